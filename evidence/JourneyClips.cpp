#include "evidence/JourneyClips.h"

#include "evidence/ExportStretch.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <map>

namespace {

bool joined(const StretchClip& before, const StretchClip& clip) {
    if (!(before.lengthSeconds > 0.0) || !(clip.lengthSeconds > 0.0) || !before.startSeconds || !clip.startSeconds)
        return false;
    const double gap = *clip.startSeconds - (*before.startSeconds + before.lengthSeconds);
    return gap <= ExportStretch::kMaxGapSeconds && gap >= -ExportStretch::kMaxGapSeconds;
}

std::string parentName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return {};
    return platform::fileName(path.substr(0, slash));
}

}  // namespace

std::pair<size_t, size_t> JourneyClips::drive(const std::vector<StretchClip>& channel, size_t first, size_t last) {
    if (channel.empty()) return {0, 0};
    last = std::min(last, channel.size() - 1);
    first = std::min(first, last);
    while (first > 0 && joined(channel[first - 1], channel[first])) --first;
    while (last + 1 < channel.size() && joined(channel[last], channel[last + 1])) ++last;
    return {first, last};
}

std::vector<std::string> JourneyClips::withMoments(const std::vector<std::string>& driveClips,
                                                   const std::vector<partners::ClipStamp>& candidates) {
    const std::vector<std::vector<size_t>> moments = partners::matchMoments(candidates);
    std::vector<std::string> out;
    const auto add = [&](const std::string& path) {
        if (std::find(out.begin(), out.end(), path) == out.end()) out.push_back(path);
    };
    for (const std::string& clip : driveClips) {
        add(clip);
        for (const std::vector<size_t>& moment : moments) {
            const bool holds =
                std::any_of(moment.begin(), moment.end(), [&](size_t i) { return candidates[i].path == clip; });
            if (!holds) continue;
            for (const size_t i : moment) add(candidates[i].path);
        }
    }
    return out;
}

bool JourneyClips::places(const std::vector<std::string>& paths, std::vector<std::string>& relative,
                          std::string& reason) {
    std::map<std::string, int> names;
    for (const std::string& path : paths) ++names[platform::fileName(path)];
    relative.clear();
    for (const std::string& path : paths) {
        const std::string name = platform::fileName(path);
        const std::string parent = parentName(path);
        relative.push_back(names[name] > 1 && !parent.empty() ? parent + "/" + name : name);
    }
    for (size_t i = 0; i < relative.size(); ++i)
        for (size_t j = i + 1; j < relative.size(); ++j)
            if (relative[i] == relative[j]) {
                reason = paths[i] + " and " + paths[j] + " share a name and a folder name; originals/ cannot hold both";
                return false;
            }
    return true;
}
