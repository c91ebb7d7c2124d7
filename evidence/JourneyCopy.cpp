#include "evidence/JourneyCopy.h"

#include "cameras/CameraNaming.h"
#include "evidence/JourneyClips.h"
#include "evidence/OriginalsCopy.h"
#include "platform/FileSystem.h"
#include "telemetry/IsoFile.h"
#include "trackfile/ClipTrackSource.h"
#include "trackfile/TrackWriter.h"

#include <unistd.h>
#include <algorithm>
#include <filesystem>

namespace {

std::string absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

// A clip as the drive's joins see it: its length, and its start from its
// name, else from its first dated record.
StretchClip stretchClipOf(const std::string& path, int utcOffsetSeconds) {
    StretchClip clip;
    clip.path = path;
    IsoFile file;
    std::string why;
    if (!file.open(path, why)) return clip;
    clip.lengthSeconds = file.durationSeconds();
    const cameras::ClipName name = cameras::CameraNaming::parse(path);
    if (name.startSeconds) {
        clip.startSeconds = static_cast<double>(*name.startSeconds);
        return clip;
    }
    TrackFileOptions options;
    options.utcOffsetSeconds = utcOffsetSeconds;
    ClipTrackSource source(options, nullptr);
    std::vector<TelemetrySample> samples;
    source.read(path, samples, why);
    for (const TelemetrySample& s : samples) {
        int64_t seconds = 0;
        int millisecond = 0;
        if (!trackShownTime(s, utcOffsetSeconds, seconds, millisecond)) continue;
        clip.startSeconds = static_cast<double>(seconds) - static_cast<double>(s.clipMs) / 1000.0;
        break;
    }
    return clip;
}

}  // namespace

std::vector<std::string> JourneyCopy::journey(const EvidenceRequest& request,
                                              const std::vector<std::string>& stretch) const {
    // The stretch's channel, in the request's order.
    const cameras::ClipName start = cameras::CameraNaming::parse(stretch.front());
    std::vector<std::string> channel;
    for (const std::string& clip : request.clips) {
        const cameras::ClipName name = cameras::CameraNaming::parse(clip);
        if (!start.known() || !name.known() || name.sameStream(start)) channel.push_back(absolute(clip));
    }
    const auto indexOf = [&](const std::string& path) {
        return static_cast<size_t>(std::find(channel.begin(), channel.end(), absolute(path)) - channel.begin());
    };
    size_t first = indexOf(stretch.front()), last = indexOf(stretch.back());
    if (first >= channel.size() || last >= channel.size() || last < first) return stretch;
    // Outward from the stretch, one neighbour at a time: only the clips that may join are read.
    std::vector<StretchClip> known(channel.size());
    std::vector<bool> read(channel.size(), false);
    const auto clipAt = [&](size_t i) -> const StretchClip& {
        if (!read[i]) known[i] = stretchClipOf(channel[i], request.utcOffsetSeconds), read[i] = true;
        return known[i];
    };
    for (size_t i = first; i <= last; ++i) clipAt(i);
    for (;;) {
        if (first > 0) clipAt(first - 1);
        if (last + 1 < channel.size()) clipAt(last + 1);
        const std::pair<size_t, size_t> drive = JourneyClips::drive(known, first, last);
        if (drive.first == first && drive.second == last) break;
        first = drive.first;
        last = drive.second;
    }
    const std::vector<std::string> driveClips(channel.begin() + static_cast<std::ptrdiff_t>(first),
                                              channel.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    std::vector<partners::ClipStamp> candidates;
    std::vector<std::string> pool = request.journey;
    if (pool.empty()) {
        pool = request.clips;
        pool.insert(pool.end(), request.partners.begin(), request.partners.end());
    }
    for (const std::string& path : pool) {
        if (path.empty()) continue;
        struct stat st {};
        // The name's time pairs clips; the file's time stands in where a name has none.
        const double time = ::stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_mtim.tv_sec) : 0.0;
        candidates.push_back({absolute(path), time});
    }
    std::vector<std::string> clips = JourneyClips::withMoments(driveClips, candidates);
    // The partners the player paired with the drive's clips belong to it too.
    for (size_t i = 0; i < request.clips.size() && i < request.partners.size(); ++i) {
        if (request.partners[i].empty()) continue;
        if (std::find(driveClips.begin(), driveClips.end(), absolute(request.clips[i])) == driveClips.end()) continue;
        if (std::find(clips.begin(), clips.end(), absolute(request.partners[i])) == clips.end())
            clips.push_back(absolute(request.partners[i]));
    }
    return clips;
}

bool JourneyCopy::plan(const EvidenceRequest& request, const std::vector<std::string>& stretch, std::string& reason) {
    clips_.clear();
    places_.clear();
    if (stretch.empty()) return true;
    clips_ = journey(request, stretch);
    if (!JourneyClips::places(clips_, places_, reason)) return false;
    for (std::string& place : places_) place = std::string(JourneyClips::kFolder) + "/" + place;
    return true;
}

bool JourneyCopy::copy(EvidenceFolder& folder, const std::atomic<bool>& stop, std::string& reason) {
    originals_.clear();
    if (clips_.empty()) return true;
    if (folder.subfolder(JourneyClips::kFolder, reason) < 0) return false;
    for (size_t i = 0; i < clips_.size(); ++i) {
        const std::string& relative = places_[i];
        const size_t slash = relative.find_last_of('/');
        const std::string inside = relative.substr(0, slash);
        if (folder.subfolder(inside, reason) < 0) return false;
        const int to = folder.createFile(inside, relative.substr(slash + 1), reason);
        if (to < 0) return false;
        OriginalsCopy::Result result;
        const bool copied = OriginalsCopy::copy(clips_[i], to, relative, result, reason, &stop);
        ::close(to);
        if (!copied) return false;
        originals_.push_back({clips_[i], relative, result.sha256, result.source});
    }
    return true;
}
