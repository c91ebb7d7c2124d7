#include "evidence/EvidenceExport.h"

#include "cameras/CameraNaming.h"
#include "cameras/ClipPartners.h"
#include "config/ProgramVersion.h"
#include "evidence/CameraClockOffset.h"
#include "evidence/ChecksumList.h"
#include "evidence/CustodyLog.h"
#include "evidence/EncoderVersion.h"
#include "evidence/EvidenceFolder.h"
#include "evidence/EvidenceSigner.h"
#include "evidence/ExportLayout.h"
#include "evidence/ExportStretch.h"
#include "evidence/FrameHashes.h"
#include "evidence/JourneyCopy.h"
#include "evidence/OverlayScript.h"
#include "evidence/RepairedSource.h"
#include "evidence/ReportInput.h"
#include "evidence/TimestampRequest.h"
#include "evidence/VideoCut.h"
#include "platform/ChildProcess.h"
#include "platform/DurationText.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeFolder.h"
#include "platform/Sha256.h"
#include "telemetry/IsoFile.h"
#include "track/CameraTime.h"
#include "track/TelemetryRecords.h"
#include "trackfile/ClipTrackSource.h"
#include "trackfile/TrackTextEscape.h"
#include "trackfile/TrackWriter.h"
#include "trackindex/RecordBudget.h"
#include "trackindex/TrackFigures.h"
#include "trip/EventDetector.h"
#include "vehicle/CarEventOfClip.h"
#include "vehicle/CarEventReason.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <optional>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace {

// Another camera's clip of the same moment in the picture.
struct OtherCamera {
    std::string path;
    size_t input = 0;  // a layout's list it joins (from 1)
    struct stat before {};
    std::string hash;
    std::optional<RepairedSource> repaired;  // when it is a repaired copy
};

struct SourceClip {
    StretchClip stretch;
    // The inset's clip, or the cameras of the moment in a layout.
    std::vector<OtherCamera> others;
    std::vector<TelemetrySample> samples;
    int shownOffset = 0;  // what its UTC times are moved by to show them
    TelemetryFormat format = TelemetryFormat::None;
    bool utc = false;
    std::vector<double> clockDifferences;  // camera clock less GPS UTC, where the clip has both
    struct stat before {};
    std::optional<RepairedSource> repaired;  // when it is a repaired copy
};

// The report's lines on a repaired source clip, when it is one.
std::optional<ReportRepair> repairOf(const std::optional<RepairedSource>& repaired) {
    if (!repaired) return std::nullopt;
    const RepairProvenance& from = repaired->provenance;
    return ReportRepair{repaired->originalPath, from.originalSha256, repaired->originalState(), from.reference,
                        from.referenceSha256};
}

// A file's identity and state: any write changes it.
bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

bool writeFile(const std::string& path, const std::string& text, std::string& reason) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
        reason = "cannot write " + path + " (is the disk full?)";
        return false;
    }
    return true;
}

std::string clockText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

// A clip whose name says it is another camera or channel than the start's
// never continues the stretch: a front's drive goes on through the front's
// clips, not into the rear clip of the same moment. A name that says nothing
// stays: the reading of the clip decides.
bool otherChannel(const cameras::ClipName& start, const std::string& path) {
    const cameras::ClipName name = cameras::CameraNaming::parse(path);
    return start.known() && name.known() && !name.sameStream(start);
}

// The request with only the start clip's channel (and those clips' partners).
EvidenceRequest oneChannel(const EvidenceRequest& request) {
    EvidenceRequest one = request;
    if (request.startClip >= request.clips.size()) return one;
    const cameras::ClipName start = cameras::CameraNaming::parse(request.clips[request.startClip]);
    one.clips.clear();
    one.partners.clear();
    for (size_t i = 0; i < request.clips.size(); ++i) {
        if (otherChannel(start, request.clips[i])) continue;
        if (i == request.startClip) one.startClip = one.clips.size();
        one.clips.push_back(request.clips[i]);
        if (i < request.partners.size()) one.partners.push_back(request.partners[i]);
    }
    return one;
}

// A private working folder for the links, the list and the scripts.
std::string workFolder(std::string& reason) {
    std::string base = platform::privateRuntimeFolder();
    if (base.empty()) base = "/tmp/";
    std::string pattern = platform::withTrailingSlash(base) + "veltara-export.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        reason = "cannot make a working folder in " + base;
        return {};
    }
    return pattern + "/";
}

// A word for the folder's name from a language file: letters, digits,
// blanks, '-' and '_' only (no path, no control), else the English word.
std::string folderWord(const std::string& word, const std::string& english) {
    if (word.empty() || word.size() > 40 || validUtf8(word) != word) return english;
    for (const unsigned char c : word)
        if (c < 0x80 && !std::isalnum(c) && c != ' ' && c != '-' && c != '_') return english;
    return word;
}

// What the user wrote, as the report may hold it: valid UTF-8, bounded.
std::string userField(const std::string& text) {
    std::string out = validUtf8(text.substr(0, EvidenceRequest::kMaxFieldBytes));
    // A cut through a character leaves a replacement sign at most.
    return out;
}

std::string zoneOfClock(const std::tm& local) {
    return DisplayZone::offsetText(local.tm_gmtoff);
}

// Records this far around the stretch are kept too: the events of its edges
// are found with what led up to them.
constexpr double kContextSeconds = 30.0;

// The clip's start on the records' clock, from its samples as they will be records.
std::optional<double> recordedStartOf(const ClipTelemetry& telemetry, const DisplayZone& zone) {
    for (const TelemetrySample& s : telemetry.samples) {
        if (s.timeKind == TelemetryTime::None) continue;
        const TrackRecord r = trackRecordOf(s, zone);
        int64_t seconds = 0;
        if (r.valid && cameraSeconds(r, seconds))
            return static_cast<double>(seconds) - static_cast<double>(s.clipMs) / 1000.0;
    }
    return std::nullopt;
}

// Leaves the samples whose moment lies in [from, from + length] of the clip,
// or in its first `head` seconds (where a stretch that starts in a clip
// before goes on), with the context around them.
void keepAround(ClipTelemetry& telemetry, std::optional<double> from, double length, double head) {
    std::erase_if(telemetry.samples, [&](const TelemetrySample& s) {
        const double t = static_cast<double>(s.clipMs) / 1000.0;
        return t > head + kContextSeconds &&
               !(from && t >= *from - kContextSeconds && t <= *from + length + kContextSeconds);
    });
}

// The kind of the first date and time of a clip's samples, None without one.
TelemetryTime timeKindOf(const std::vector<TelemetrySample>& samples) {
    for (const TelemetrySample& s : samples)
        if (s.timeKind != TelemetryTime::None) return s.timeKind;
    return TelemetryTime::None;
}

double horizontalG(const TrackRecord& r, const EventSettings& s) {
    const double x = (r.accelX - s.zeroCount) / s.countsPerG;
    const double y = (r.accelY - s.zeroCount) / s.countsPerG;
    return std::sqrt(x * x + y * y);
}

class Export {
public:
    Export(const EvidenceRequest& request, const std::atomic<bool>& stop, const EvidenceExport::Progress& progress,
           const std::function<void(const std::string&)>& folderMadeHook, EvidenceOutputs& outputs)
        : request_(request),
          outputs_(outputs),
          stop_(stop),
          progress_(progress),
          folderMadeHook_(folderMadeHook),
          startClip_(request.startClip),
          startSeconds_(request.startSeconds),
          length_(request.lengthSeconds),
          offset_(request.utcOffsetSeconds) {}
    ~Export() {
        // A copy still running ends before its files are taken away.
        copyStop_.store(true);
        if (copying_.joinable()) copying_.join();
        std::error_code ignored;
        if (!work_.empty()) std::filesystem::remove_all(work_, ignored);  // private: no one else's links in it
        if (!kept_) folder_.remove();
    }

    bool run(std::string& folder, std::string& reason) {
        if (!sealReady(reason) || !startEarlier(reason) || !readClips(reason) || !plan(reason) || !partnersReady(reason) ||
            cancelled(reason))
            return false;
        findEvents();
        const bool made = makeFolder(reason) && folderMade() && startHashing() && startCopying(reason) &&
                          !(work_ = workFolder(reason)).empty() && linkSources(reason) &&
                          video(reason) && videoWhole(reason) && frameHashes(reason) &&
                          !cancelled(reason) && tracks(reason);
        // A cancel while the checksums are still being made stops them too.
        while (hashing_.joinable() && !hashDone_.load()) {
            if (!made || stop_.load()) hashStop_.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (hashing_.joinable()) hashing_.join();
        if (!made) return false;
        if (!hashed_) {
            if (!cancelled(reason)) reason = hashReason_;
            return false;
        }
        if (cancelled(reason) || !acquired(reason) || !report(reason) || cancelled(reason) ||
            !journeyCopied(reason) || !unchanged(reason) || !checksums(reason) || !exported(reason) ||
            !seal(reason))
            return false;
        // The files are where the folder is held; its path must lead there too.
        if (!folder_.inPlace()) {
            reason = folder_.path() + " was moved or replaced while the export wrote into it";
            return false;
        }
        kept_ = true;
        folder = folder_.path();
        tell(1.0);
        return true;
    }

private:
    // The sources are read for their checksums (and the journey copied)
    // while FFmpeg cuts: all read the same clips, and neither is needed
    // before the report.
    bool startHashing() {
        hashing_ = std::thread([this] {
            hashed_ = hashSources(hashReason_);
            hashDone_.store(true);
        });
        return true;
    }

    // The journey's originals are copied on a worker of their own, through
    // the cut and the report (whose input needs only their names).
    bool startCopying(std::string& reason) {
        if (!request_.originals) return true;
        std::vector<std::string> stretch;
        for (const StretchSegment& s : segments_) stretch.push_back(clips_[s.clip].stretch.path);
        if (!journey_.plan(request_, stretch, reason)) return false;
        copying_ = std::thread([this] {
            copied_.store(journey_.copy(folder_, copyStop_, copyReason_));
            copyDone_.store(true);
        });
        return true;
    }

    bool journeyCopied(std::string& reason) {
        if (!copying_.joinable()) return true;
        while (!copyDone_.load()) {
            if (stop_.load()) copyStop_.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        copying_.join();
        if (!copied_.load()) {
            if (!cancelled(reason)) reason = copyReason_;
            return false;
        }
        // A clip of the stretch copied with other bytes than it was hashed with changed meanwhile.
        for (const StretchSegment& s : segments_)
            for (const JourneyCopy::Original& o : journey_.originals())
                if (o.path == absolute(clips_[s.clip].stretch.path) && o.sha256 != hashes_[s.clip]) {
                    reason = platform::fileName(o.path) +
                             ": the clip changed while it was exported; its checksum no longer holds";
                    return false;
                }
        return copiedLine(reason);
    }

    // Named after the stretch's incident, or its start, on the clock shown;
    // after the export's own time where the data has no time.
    bool makeFolder(std::string& reason) {
        std::optional<int64_t> at;
        eachRecord([&](const StretchSegment&, const SourceClip&, const TrackRecord& r, int64_t, double when) {
            int64_t seconds = 0;
            if (!r.valid || !cameraSeconds(r, seconds)) return;
            if (!at || (incident_ && when <= incident_->atSeconds)) at = seconds;
        });
        std::string kind = request_.kind;
        if (incident_) {
            static const std::pair<const char*, std::pair<const char*, const char*>> kWords[] = {
                {"impact", {"IDS_EVENT_IMPACT", "Impact"}},
                {"brake", {"IDS_EVENT_BRAKE", "Hard braking"}},
                {"accel", {"IDS_EVENT_ACCEL", "Hard acceleration"}}};
            for (const auto& [name, word] : kWords) {
                if (incident_->kind != name) continue;
                std::string language;
                for (const auto& [key, text] : request_.reportTexts)
                    if (key == word.first) language = text;
                kind = folderWord(language, word.second);
            }
        }
        if (!at) return folder_.create(request_.exportsFolder, kind, std::time(nullptr), reason);
        return folder_.createAt(request_.exportsFolder, kind, *at, reason);
    }

    bool folderMade() {
        if (folderMadeHook_) folderMadeHook_(folder_.path());
        return true;
    }

    bool cancelled(std::string& reason) const {
        if (!stop_.load()) return false;
        reason = "cancelled";
        return true;
    }

    void tell(double fraction) const {
        if (progress_) progress_(std::clamp(fraction, 0.0, 1.0));
    }

    // A start before the start clip's beginning lies in the clips before it.
    bool startEarlier(std::string& reason) {
        while (!request_.startClock && startSeconds_ < 0.0 && startClip_ > 0 && startClip_ <= request_.clips.size()) {
            const std::string& path = request_.clips[startClip_ - 1];
            IsoFile file;
            std::string why;
            if (!file.open(path, why) || !(file.durationSeconds() > 0.0)) {
                if (request_.withinDrive) {
                    // The drive cannot go on into a clip that cannot be read.
                    length_ += startSeconds_;
                    startSeconds_ = 0.0;
                    break;
                }
                reason = platform::fileName(path) + ": the clip before the stretch's start cannot be read" +
                         (why.empty() ? "" : " (" + why + ")");
                return false;
            }
            --startClip_;
            startSeconds_ += file.durationSeconds();
        }
        return true;
    }

    // The clips from the start clip on, until the stretch is covered.
    bool readClips(std::string& reason) {
        bool zoneResolved = !request_.zone || request_.zone->kind() != DisplayZone::Kind::System;
        if (request_.zone && zoneResolved) offset_ = static_cast<int>(request_.zone->offsetAt(0));
        TrackFileOptions options;
        options.utcOffsetSeconds = offset_;
        auto source = std::make_unique<ClipTrackSource>(options, nullptr);
        // A start by the clock may be in any clip: all are read.
        const bool byClock = request_.startClock.has_value();
        double covered = -startSeconds_;
        size_t held = 0;  // records kept of the clips so far
        for (size_t i = byClock ? 0 : startClip_; i < request_.clips.size(); ++i) {
            if (!byClock && covered >= length_) break;
            SourceClip clip;
            clip.stretch.path = request_.clips[i];
            IsoFile file;
            std::string why;
            if (::stat(clip.stretch.path.c_str(), &clip.before) != 0 || !S_ISREG(clip.before.st_mode) ||
                !file.open(clip.stretch.path, why)) {
                reason = platform::fileName(clip.stretch.path) + ": at " +
                         platform::durationText(std::max(0.0, covered)) + " of the stretch the clip cannot be read" + (why.empty() ? "" : " (" + why + ")");
                return false;
            }
            clip.stretch.lengthSeconds = file.durationSeconds();
            // Only what the stretch can take of a clip becomes records, within the budget for all.
            const auto trimmed = [&](ClipTrackSource& reader) {
                reader.setTrim([&](ClipTelemetry& telemetry) {
                    clip.stretch.startSeconds = recordedStartOf(telemetry, DisplayZone::fixed(options.utcOffsetSeconds));
                    std::optional<double> from;
                    double head = length_;  // a later clip: what is left of the stretch
                    if (byClock && clip.stretch.startSeconds)
                        from = *request_.startClock - *clip.stretch.startSeconds;
                    else if (!byClock && i == startClip_)
                        from = startSeconds_, head = 0.0;
                    else if (!byClock)
                        head = length_ - covered;
                    keepAround(telemetry, from, length_, head);
                });
                clip.shownOffset = options.utcOffsetSeconds;
                reader.read(clip.stretch.path, clip.samples, why);
            };
            trimmed(*source);
            clip.format = source->lastReading().format();
            const TelemetryTime timeKind = timeKindOf(clip.samples);
            clip.utc = timeKind == TelemetryTime::Utc;
            int64_t created = 0;
            if (file.creationTime(created)) CameraClockOffset::collect(created, clip.samples, clip.clockDifferences);
            // The computer's zone: its offset of the stretch's time (summer
            // time or not), taken once from the first dated clip.
            if (!zoneResolved && !clip.samples.empty() && timeKind != TelemetryTime::None) {
                const int64_t seconds = clip.samples.front().timeMs / 1000;
                offset_ = static_cast<int>(clip.utc ? request_.zone->offsetAt(seconds)
                                                    : request_.zone->offsetAtLocal(seconds));
                zoneResolved = true;
                if (offset_ != options.utcOffsetSeconds) {
                    options.utcOffsetSeconds = offset_;
                    source = std::make_unique<ClipTrackSource>(options, nullptr);
                    trimmed(*source);
                }
            }
            held += clip.samples.size();
            if (held > request_.recordBudget) {
                held -= clip.samples.size();
                record_budget::thin(clip.samples, request_.recordBudget - held);
                held += clip.samples.size();
            }
            if (request_.inset && i < request_.partners.size() && !request_.partners[i].empty())
                clip.others.emplace_back().path = request_.partners[i];
            covered += clip.stretch.lengthSeconds;
            clips_.push_back(std::move(clip));
        }
        return true;
    }

    bool plan(std::string& reason) {
        std::vector<StretchClip> stretch;
        for (const SourceClip& clip : clips_) stretch.push_back(clip.stretch);
        if (clips_.empty()) {
            reason = "no clip to start from";
            return false;
        }
        size_t first = 0;
        double start = startSeconds_;
        if (request_.startClock && !ExportStretch::locate(stretch, *request_.startClock, first, start)) {
            reason = "no clip given was recording at " + clockText(static_cast<int64_t>(*request_.startClock) -
                                                                  offset_) +
                     " (UTC)";
            return false;
        }
        if (request_.startClock) {
            // The clip found gives the channel the stretch follows.
            const cameras::ClipName channel = cameras::CameraNaming::parse(clips_[first].stretch.path);
            std::erase_if(clips_, [&](const SourceClip& clip) { return otherChannel(channel, clip.stretch.path); });
            stretch.clear();
            for (const SourceClip& clip : clips_) stretch.push_back(clip.stretch);
            ExportStretch::locate(stretch, *request_.startClock, first, start);
        }
        if (request_.withinDrive && !request_.startClock) {
            ExportStretch::keepWithinDrive(stretch, request_.startClip - startClip_, first, start, length_);
            if (!(length_ > 0.0)) {
                reason = "the stretch lies outside the drive of " + platform::fileName(request_.clips[request_.startClip]);
                return false;
            }
        }
        return ExportStretch::plan(stretch, first, start, length_, segments_, reason);
    }

    // With the inset, every clip of the stretch has its other camera's clip.
    bool partnersReady(std::string& reason) {
        if (request_.layout) return camerasReady(reason);
        if (!request_.inset) return true;
        for (const StretchSegment& s : segments_) {
            SourceClip& clip = clips_[s.clip];
            std::string why;
            OtherCamera* partner = clip.others.empty() ? nullptr : &clip.others.front();
            if (partner == nullptr || ::stat(partner->path.c_str(), &partner->before) != 0 ||
                !S_ISREG(partner->before.st_mode) || !playable(partner->path, why)) {
                reason = platform::fileName(clip.stretch.path) + ": no other camera's clip to inset" +
                         (partner == nullptr ? ""
                                             : " (" + platform::fileName(partner->path) + " cannot be read" +
                                                   (why.empty() ? "" : ": " + why) + ")");
                return false;
            }
        }
        return true;
    }

    // A layout's cameras, each joined as a list of its own (see ExportLayout::plan).
    bool camerasReady(std::string& reason) {
        const std::string& main = clips_[segments_.front().clip].stretch.path;
        long long width = 0, height = 0;
        if (!ExportLayout::pictureSize(main, width, height)) {
            reason = platform::fileName(main) + ": the size of its picture cannot be read";
            return false;
        }
        std::vector<std::string> stretch;
        for (const StretchSegment& s : segments_) stretch.push_back(clips_[s.clip].stretch.path);
        const std::vector<std::vector<ExportLayout::Camera>> moments =
            ExportLayout::momentsOf(stretch, request_.journey.empty() ? request_.clips : request_.journey);
        std::vector<std::vector<ExportLayout::Readable>> readable(moments.size());
        std::map<std::string, struct stat> before;  // as each clip was when found
        for (size_t m = 0; m < moments.size(); ++m) {
            for (const ExportLayout::Camera& camera : moments[m]) {
                struct stat st {};
                std::string why;
                double seconds = 0.0;
                if (::stat(camera.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                    !playable(camera.path, why, &seconds))
                    continue;
                readable[m].push_back({camera, seconds});
                before[camera.path] = st;
            }
        }
        layout_ = ExportLayout::plan({partners::channelOf(main).channel, 0, width, height}, readable, segments_,
                                     *request_.layout, request_.largeCamera);
        for (const ExportLayout::Plan::Use& use : layout_.uses) {
            if (use.standIn) continue;
            OtherCamera& other = clips_[segments_[use.segment].clip].others.emplace_back();
            other.path = use.path;
            other.input = use.input;
            other.before = before[use.path];
        }
        return true;
    }

    // A clip with a picture to inset: an unreadable one would leave the
    // inset frozen on the clip before while the report named it as a source.
    static bool playable(const std::string& path, std::string& why, double* seconds = nullptr) {
        IsoFile file;
        if (!file.open(path, why)) return false;
        if (seconds != nullptr) *seconds = file.durationSeconds();
        const bool video = std::any_of(file.tracks().begin(), file.tracks().end(),
                                       [](const IsoTrack& t) { return t.handlerType == fourcc("vide"); });
        if (!video || !(file.durationSeconds() > 0.0)) why = "no video in it";
        return video && file.durationSeconds() > 0.0;
    }

    bool hashSources(std::string& reason) {
        hashes_.resize(clips_.size());
        for (const StretchSegment& s : segments_) {
            std::string why;
            SourceClip& clip = clips_[s.clip];
            if (!Sha256::ofFile(clip.stretch.path, hashes_[s.clip], why, &hashStop_)) {
                reason = platform::fileName(clip.stretch.path) + ": cannot be read (" + why + ")";
                return false;
            }
            for (OtherCamera& other : clip.others)
                if (!Sha256::ofFile(other.path, other.hash, why, &hashStop_)) {
                    reason = platform::fileName(clip.stretch.path) + ": cannot be read (" + why + ")";
                    return false;
                }
            clip.repaired = RepairedSource::of(absolute(clip.stretch.path), &hashStop_);
            for (OtherCamera& other : clip.others)
                other.repaired = RepairedSource::of(absolute(other.path), &hashStop_);
        }
        return true;
    }

    bool linkSources(std::string& reason) {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            if (!link(clip.stretch.path, std::to_string(s.clip) + ".mp4", reason)) return false;
            for (const OtherCamera& other : clip.others)
                if (!link(other.path,
                          request_.layout ? VideoCut::cameraLinkName(s.clip, other.input)
                                          : std::to_string(s.clip) + "p.mp4",
                          reason))
                    return false;
        }
        for (const ExportLayout::Plan::Use& use : layout_.uses)
            if (use.standIn &&
                !link(use.path, VideoCut::cameraLinkName(segments_[use.segment].clip, use.input), reason))
                return false;
        for (size_t k = 1; request_.layout && k < layout_.inputs.size(); ++k)
            if (!writeFile(work_ + VideoCut::cameraListName(k), VideoCut::cameraList(segments_, k), reason))
                return false;
        return writeFile(work_ + VideoCut::kListName, VideoCut::concatList(segments_), reason) &&
               (!request_.inset ||
                writeFile(work_ + VideoCut::kPartnerListName, VideoCut::concatList(segments_, true), reason));
    }

    bool link(const std::string& path, const std::string& name, std::string& reason) const {
        const std::string target = absolute(path);
        if (::symlink(target.c_str(), (work_ + name).c_str()) == 0) return true;
        reason = "cannot prepare the clips in " + work_;
        return false;
    }

    static std::string absolute(const std::string& path) {
        if (!path.empty() && path.front() == '/') return path;
        return std::filesystem::absolute(path).lexically_normal().string();
    }

    // The samples inside the stretch as the records shown of them, each at
    // its moment of the video.
    template <typename Take>
    void eachRecord(const Take& take) const {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            const DisplayZone zone = DisplayZone::fixed(clip.shownOffset);
            for (const TelemetrySample& sample : clip.samples) {
                const double t = static_cast<double>(sample.clipMs) / 1000.0;
                if (t < s.inSeconds || t >= s.outSeconds) continue;
                take(s, clip, trackRecordOf(sample, zone), sample.clipMs, s.outputSeconds + t - s.inSeconds);
            }
        }
    }

    bool video(std::string& reason) {
        if (request_.overlay) {
            std::vector<OverlayMoment> moments;
            eachRecord([&](const StretchSegment&, const SourceClip& clip, const TrackRecord& r, int64_t, double at) {
                moments.push_back({at, r, zoneText(clip)});
            });
            OverlayScript::holdReadings(moments);
            const GSensorScale scale{request_.events.zeroCount, request_.events.countsPerG};
            if (!writeFile(work_ + VideoCut::kOverlayName,
                           OverlayScript::make(moments, length_, request_.units, scale), reason))
                return false;
        }
        VideoCut::Picture picture;
        picture.overlay = request_.overlay;
        picture.inset = request_.inset;
        picture.mirror = request_.mirrorInset;
        if (request_.layout) {
            picture.mirror = request_.mirrorRear;
            picture.layout =
                VideoCut::Picture::Layout{*request_.layout, request_.largeCamera, layout_.inputs, layout_.blanks};
        }
        folder_.adopt("video.mp4");
        const auto cut = [&] {
            return VideoCut::run(VideoCut::arguments(request_.ffmpeg, length_, picture, work_, "video.mp4"),
                                 folder_.fd(), length_, stop_, [this](double f) { tell(0.85 * f); }, reason);
        };
        if (cut()) return true;
        // No font for a missing camera's name (FFmpeg says so as it starts):
        // once more, its black unnamed.
        if (!picture.layout || !picture.layout->labels || stop_.load() || reason.find("drawtext") == std::string::npos)
            return false;
        picture.layout->labels = false;
        reason.clear();
        return cut();
    }

    // FFmpeg may end well with a video shorter than the stretch (clips that
    // claim more than they hold) or without its index (a full disk while the
    // trailer was written): the video is read back before the report vouches
    // for its length.
    bool videoWhole(std::string& reason) {
        IsoFile file;
        std::string why;
        std::vector<IsoSample> samples;
        const auto picture = [&]() -> const IsoTrack* {
            for (const IsoTrack& t : file.tracks())
                if (t.handlerType == fourcc("vide")) return &t;
            return nullptr;
        };
        const IsoTrack* track = file.openAt(folder_.fd(), "video.mp4", why) ? picture() : nullptr;
        if (track == nullptr || track->timescale == 0 || !file.samples(*track, samples, why) || samples.empty()) {
            reason = "video.mp4 was not finished (" + (why.empty() ? "no video index was written" : why) +
                     "; is the disk full?)";
            return false;
        }
        const double seconds = static_cast<double>(track->duration) / track->timescale;
        videoSeconds_ = seconds;
        const double slack = std::max(2.5 * seconds / static_cast<double>(samples.size()), 0.2);
        // The original frames are cut at the key frames around the stretch: longer is no fault there.
        const bool reencoded = reencodes();
        if (seconds < length_ - slack || (reencoded && seconds > length_ + slack)) {
            char text[160];
            std::snprintf(text, sizeof text, "the video holds %.2f s, not the stretch's %.2f s", seconds,
                          length_);
            reason = std::string(text) + " (the clips hold less than they claim?)";
            return false;
        }
        return true;
    }

    // The original frames of the stretch, before anything is re-encoded.
    bool frameHashes(std::string& reason) {
        if (!request_.frameHashes) return true;
        for (const StretchSegment& s : segments_)
            outputs_.frameStretches.push_back({absolute(clips_[s.clip].stretch.path), s.inSeconds, s.outSeconds});
        folder_.adopt(FrameHashes::kName);
        if (!FrameHashes::write(folder_.fd(), outputs_.frameStretches, outputs_.framesSha256, reason, &stop_))
            return false;
        tell(0.86);
        return true;
    }

    // A key or certificate that cannot sign is told before the export's work.
    bool sealReady(std::string& reason) const {
        if (request_.signKey.empty() != request_.signCert.empty()) {
            reason = "signing needs both a private key and its certificate";
            return false;
        }
        return request_.signKey.empty() ||
               EvidenceSigner::ready(request_.signKey, request_.signPassword, request_.signCert, reason);
    }

    // Over the final SHA256SUMS: its signature and the time-stamp request.
    bool seal(std::string& reason) {
        if (!request_.signKey.empty()) {
            SignedOutput signature;
            folder_.adopt(EvidenceSigner::kSignatureName);
            if (!EvidenceSigner::sign(folder_.fd(), request_.signKey, request_.signPassword, request_.signCert,
                                      signature, reason))
                return false;
            outputs_.signature = signature;
        }
        if (request_.timestampRequest) {
            TimestampRequestOutput request;
            folder_.adopt(TimestampRequest::kRequestName);
            if (!TimestampRequest::write(folder_.fd(), request, reason)) return false;
            outputs_.timestampRequest = request;
        }
        if (!outputs_.signature && !outputs_.timestampRequest) return true;
        CustodyEntry sealed;
        sealed.action = "signed";
        if (outputs_.signature) {
            sealed.settings = "CMS signature over SHA256SUMS by " + outputs_.signature->signer;
            sealed.inputs = {{"SHA256SUMS", outputs_.signature->signedSha256}};
            sealed.outputs.push_back({outputs_.signature->name, outputs_.signature->sha256});
        }
        if (outputs_.timestampRequest) {
            sealed.settings += std::string(sealed.settings.empty() ? "" : "; ") + "RFC 3161 time-stamp request";
            sealed.outputs.push_back({outputs_.timestampRequest->name, outputs_.timestampRequest->sha256});
        }
        sealed.result = "written";
        return log(sealed, reason);
    }

    bool tracks(std::string& reason) {
        for (const auto& [format, name] : {std::pair{TrackFormat::Gpx, "track.gpx"}, {TrackFormat::Csv, "track.csv"}}) {
            const std::unique_ptr<TrackWriter> writer = makeTrackWriter(format, offset_, request_.zone.has_value());
            std::string out;
            writer->begin(out);
            if (!folder_.write(name, out, reason)) return false;
            out.clear();
            for (const StretchSegment& s : segments_) {
                const SourceClip& clip = clips_[s.clip];
                std::vector<TelemetrySample> samples;
                for (const TelemetrySample& sample : clip.samples) {
                    const double t = static_cast<double>(sample.clipMs) / 1000.0;
                    if (t < s.inSeconds || t >= s.outSeconds) continue;
                    samples.push_back(sample);
                }
                if (samples.empty()) continue;
                const bool gSensor = std::any_of(samples.begin(), samples.end(),
                                                 [](const TelemetrySample& sample) { return sample.hasAccel; });
                writer->clipFormat(clip.format, gSensor);
                writer->clipClock(clip.utc);
                writer->track(out, platform::fileName(clip.stretch.path), samples);
                // Clip by clip: a stretch of millions of fixes is never text all at once.
                if (!folder_.append(name, out, reason)) return false;
                out = std::string();
            }
            writer->end(out);
            if (!folder_.append(name, out, reason)) return false;
        }
        tell(0.88);
        return true;
    }

    bool frame(double atSeconds) {
        platform::ChildProcess ffmpeg;
        char at[32];
        std::snprintf(at, sizeof at, "%.3f", atSeconds);
        const std::vector<std::string> args = {request_.ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error",
                                               "-ss", at, "-i", "video.mp4", "-frames:v", "1", "-vf",
                                               "scale=640:-2", "-y", work_ + "frame.png"};
        platform::ChildProcess::Options options;
        options.workingDirectoryFd = folder_.fd();
        if (ffmpeg.start(args, options) != 0) return false;
        ffmpeg.closeStdin();
        const std::optional<int> code = ffmpeg.waitFor(std::chrono::seconds(30));
        return code && *code == 0;
    }

    // The zone a clip's times are written in: the one known, else UTC for
    // GPS time and none for a camera's clock.
    std::string zoneText(const SourceClip& clip) const {
        if (request_.zone || clip.utc) return DisplayZone::offsetText(offset_);
        return "";
    }

    // The events of the stretch and, of them, the incident: the strongest
    // one the G-sensor found, else the car's own event.
    void findEvents() {
        ReportInput found;
        events(found);
        events_ = std::move(found.events);
        for (const ReportEvent& e : events_) {
            const bool sensed = e.kind == "impact" || e.kind == "brake" || e.kind == "accel";
            const bool incidentSensed = incident_ && (incident_->kind == "impact" || incident_->kind == "brake" ||
                                                      incident_->kind == "accel");
            if (!incident_ || (sensed && (!incidentSensed || e.peakG > incident_->peakG))) incident_ = e;
        }
    }

    // Where the report comes from and when it was made.
    void provenance(ReportInput& input) const {
        input.caseReference = userField(request_.caseReference);
        input.vehicle = userField(request_.vehicle);
        input.note = userField(request_.note);
        input.software = programVersionText(request_.program);
        const std::time_t now = std::time(nullptr);
        std::tm utc{}, local{};
        ::gmtime_r(&now, &utc);
        ::localtime_r(&now, &local);
        char text[40];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
        input.createdUtc = text;
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S ", &local);
        input.createdLocal = text + zoneOfClock(local);
        input.cameraClock = cameraClock();
        input.custody = CustodyLog::summaries(folder_.fd());
    }

    CameraClockOffset cameraClock() const {
        std::vector<double> differences;
        for (const StretchSegment& s : segments_) {
            const std::vector<double>& clip = clips_[s.clip].clockDifferences;
            differences.insert(differences.end(), clip.begin(), clip.end());
        }
        return CameraClockOffset::of(std::move(differences));
    }

    bool report(std::string& reason) {
        ReportInput input;
        input.texts = request_.reportTexts;
        input.overlay = request_.overlay;
        input.inset = request_.inset;
        if (request_.layout) input.layout = cameras::layoutName(*request_.layout);
        input.imperial = request_.units == UnitSystem::Imperial;
        // The stretch found: the video as it was read back, not the length asked for.
        input.lengthSeconds = videoSeconds_ > 0.0 ? videoSeconds_ : length_;
        input.askedSeconds = request_.lengthSeconds;
        input.stretchSeconds = length_;
        provenance(input);
        input.incident = incident_;
        int64_t incidentSeconds = -1;
        TrackFigures figures;
        int64_t first = -1, last = -1;
        bool utc = false;
        const StretchSegment* segment = nullptr;
        eachRecord([&](const StretchSegment& s, const SourceClip& clip, const TrackRecord& r, int64_t clipMs,
                       double at) {
            if (segment != &s) figures.startClip();
            segment = &s;
            if (!r.valid) return;
            input.hasData = true;
            figures.add(r, clipMs);
            int64_t seconds = 0;
            if (cameraSeconds(r, seconds)) {
                if (first < 0) first = seconds;
                last = seconds;
            }
            utc = utc || clip.utc;
            if (input.zone.empty()) input.zone = zoneText(clip);
            const bool beforeIncident = incident_ && at <= incident_->atSeconds;
            if (beforeIncident && cameraSeconds(r, seconds)) incidentSeconds = seconds;
            if (hasPositionFix(r)) {
                const ReportPlace place{r.latitude, r.longitude};
                if (!input.startPlace) input.startPlace = place;
                input.endPlace = place;
                if (incident_ && (beforeIncident || !input.incidentPlace)) input.incidentPlace = place;
                input.route.insert(input.route.end(), {r.latitude, r.longitude});
                if (r.hasSpeed) input.speed.insert(input.speed.end(), {at, r.speed});
            }
            if (r.hasAccel) {
                const double g = horizontalG(r, request_.events);
                input.hasG = true;
                input.strongestG = std::max(input.strongestG, g);
                input.g.insert(input.g.end(), {at, g});
            }
        });
        input.distanceMetres = figures.distanceMetres();
        input.topSpeedKmh = figures.maxSpeedKmh();
        // Over the stretch's length: the clock of the data may jump.
        input.averageSpeedKmh = input.distanceMetres / length_ * 3.6;
        input.timeKind = utc ? "UTC" : "camera clock";
        if (first >= 0) {
            // Records carry their times in the zone shown (UTC data moved
            // into it); the report writes that zone beside them.
            input.start = clockText(first);
            input.end = clockText(last);
        }
        if (incidentSeconds >= 0) input.incidentTime = clockText(incidentSeconds);
        input.events = events_;
        double frameAt = length_ / 2.0;
        if (incident_) frameAt = incident_->atSeconds;
        if (frame(std::min(frameAt, std::max(0.0, length_ - 0.2)))) input.frame = work_ + "frame.png";
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            ReportClip row;
            row.path = clip.stretch.path;
            row.sizeBytes = static_cast<int64_t>(clip.before.st_size);
            char span[64];
            std::snprintf(span, sizeof span, "%.1f s", s.inSeconds);
            row.from = span;
            std::snprintf(span, sizeof span, "%.1f s", s.outSeconds);
            row.to = span;
            row.sha256 = hashes_[s.clip];
            row.repair = repairOf(clip.repaired);
            input.clips.push_back(row);
            for (const OtherCamera& other : clip.others) {
                row.path = other.path;
                row.sizeBytes = static_cast<int64_t>(other.before.st_size);
                row.sha256 = other.hash;
                row.repair = repairOf(other.repaired);
                input.clips.push_back(row);
            }
        }
        for (const std::string& name : derivedNames()) input.derived.push_back(name);
        for (const std::string& place : journey_.places()) input.originals.push_back(place);
        // The figures above are the whole stretch's; what is drawn is thinned.
        if (!input.fitForDrawing(reason, request_.reportInputLimit)) return false;
        const std::string json = work_ + "report.json";
        if (!writeFile(json, input.json(), reason)) return false;
        platform::ChildProcess program;
        platform::ChildProcess::Options options;
        options.workingDirectoryFd = folder_.fd();
        folder_.adopt("report.pdf");
        if (program.start({request_.reportProgram, json, "report.pdf"}, options) != 0) {
            reason = "cannot start the report program (" + request_.reportProgram + ")";
            return false;
        }
        program.closeStdin();
        std::string errors;
        char block[1024];
        for (ssize_t n; (n = ::read(program.stderrFd(), block, sizeof block)) > 0;)
            if (errors.size() < 2048) errors.append(block, static_cast<size_t>(n));
        const std::optional<int> code = program.waitFor(std::chrono::seconds(60));
        if (!code || *code != 0) {
            while (!errors.empty() && errors.back() == '\n') errors.pop_back();
            reason = "the report could not be written" + (errors.empty() ? std::string() : ": " + errors);
            return false;
        }
        tell(0.95);
        return true;
    }

    void events(ReportInput& input) const {
        std::vector<EventClipTrack> tracks;
        for (const StretchSegment& segment : segments_) {
            const SourceClip& clip = clips_[segment.clip];
            tracks.emplace_back(clip.samples,
                                clip.format == TelemetryFormat::None || clip.format == TelemetryFormat::CameraText);
        }
        const DisplayZone zone = DisplayZone::fixed(clips_.empty() ? 0 : clips_.front().shownOffset);
        const std::vector<TripEvent> found = EventDetector(request_.events, zone).detect(tracks);
        for (const TripEvent& e : found) {
            if (e.clip >= segments_.size()) continue;
            const StretchSegment& s = segments_[e.clip];
            const double t = static_cast<double>(e.timeMs) / 1000.0;
            if (t < s.inSeconds || t >= s.outSeconds) continue;
            input.events.push_back({s.outputSeconds + t - s.inSeconds, std::string(tripEventKindName(e.kind)), e.peakG});
        }
        // The car's own saved or sentry event, in words, where it falls in the stretch.
        for (const StretchSegment& s : segments_) {
            const std::optional<CarEventMark> car = CarEventOfClip::find(clips_[s.clip].stretch.path);
            if (!car || !car->onThisClip) continue;
            const double t = static_cast<double>(car->timeMs) / 1000.0;
            if (t < s.inSeconds || t >= s.outSeconds) continue;
            input.events.push_back(
                {s.outputSeconds + t - s.inSeconds, CarEventReason::text(car->event.reason, car->sentry), 0.0});
        }
        std::stable_sort(input.events.begin(), input.events.end(),
                         [](const ReportEvent& a, const ReportEvent& b) { return a.atSeconds < b.atSeconds; });
    }

    // The settings the custody log records: enough to make the same export again.
    std::string settings() const {
        char text[512];
        std::snprintf(text, sizeof text,
                      "length %.3f s; overlay %s; inset %s%s; originals %s; UTC offset %d s; units %s; "
                      "G zero %g, counts per G %g",
                      length_, request_.overlay ? "yes" : "no", request_.inset ? "yes" : "no",
                      request_.inset && request_.mirrorInset ? " (mirrored)" : "", request_.originals ? "yes" : "no",
                      request_.utcOffsetSeconds, request_.units == UnitSystem::Imperial ? "imperial" : "metric",
                      request_.events.zeroCount, request_.events.countsPerG);
        std::string out = text;
        if (request_.layout) {
            out += "; layout " + std::string(cameras::layoutName(*request_.layout));
            if (request_.largeCamera != cameras::CameraChannel::None)
                out += ", large " + std::string(cameras::channelName(request_.largeCamera));
            if (request_.mirrorRear) out += ", back mirrored";
            out += ", " + std::to_string(layout_.inputs.size()) + " cameras";
        }
        if (!segments_.empty()) {
            std::snprintf(text, sizeof text, " from %.3f s of ", segments_.front().inSeconds);
            out = "stretch" + std::string(text) + absolute(clips_[segments_.front().clip].stretch.path) + "; " + out;
        }
        if (!request_.command.empty()) out += "; command: " + request_.command;
        return out;
    }

    std::vector<CustodyFile> sources() const {
        std::vector<CustodyFile> files;
        for (const StretchSegment& s : segments_) {
            files.push_back({absolute(clips_[s.clip].stretch.path), hashes_[s.clip]});
            for (const OtherCamera& other : clips_[s.clip].others) files.push_back({absolute(other.path), other.hash});
        }
        return files;
    }

    bool log(const CustodyEntry& entry, std::string& reason) {
        folder_.adopt(CustodyLog::kName);
        return CustodyLog::append(folder_.fd(), entry, reason);
    }

    // The custody log's first lines: the sources as read, the repaired ones.
    bool acquired(std::string& reason) {
        CustodyEntry entry;
        entry.action = "acquired";
        entry.settings = settings();
        entry.inputs = sources();
        entry.result = "read and hashed where they lie";
        const CameraClockOffset clock = cameraClock();
        if (clock.known) {
            char text[160];
            std::snprintf(text, sizeof text, "; camera clock less GPS UTC: median %+.1f s (%+.1f to %+.1f s, %zu samples)",
                          clock.medianSeconds, clock.minSeconds, clock.maxSeconds, clock.samples);
            entry.result += text;
        }
        if (request_.zone) entry.result += "; times shown in the zone " + request_.zone->text();
        if (!log(entry, reason)) return false;
        for (const StretchSegment& s : segments_) {
            const auto& repaired = clips_[s.clip].repaired;
            if (!repaired) continue;
            CustodyEntry fix;
            fix.action = "repaired";
            fix.settings = "repaired copy used in place of its original";
            fix.inputs = {{repaired->originalPath, repaired->provenance.originalSha256},
                          {repaired->provenance.reference, repaired->provenance.referenceSha256}};
            fix.outputs = {{absolute(clips_[s.clip].stretch.path), hashes_[s.clip]}};
            fix.result = std::string("original beside the copy ") + repaired->originalState();
            if (!log(fix, reason)) return false;
        }
        return true;
    }

    bool copiedLine(std::string& reason) {
        CustodyEntry copied;
        copied.action = "copied";
        copied.settings = "the journey's original clips, bit for bit, with their modification times";
        for (const JourneyCopy::Original& o : journey_.originals()) {
            copied.inputs.push_back({o.path, o.sha256});
            copied.outputs.push_back({o.relative, o.sha256});
        }
        copied.result = std::to_string(journey_.originals().size()) + " copies read back and matched";
        return log(copied, reason);
    }

    // The last lines: the derived files, then SHA256SUMS over them all.
    bool exported(std::string& reason) {
        CustodyEntry entry;
        entry.action = "exported";
        entry.settings = settings();
        entry.inputs = sources();
        if (reencodes()) entry.libx264 = EncoderVersion::x264At(folder_.fd(), "video.mp4");
        for (const std::string& name : derivedNames()) {
            std::string hex, why;
            if (!Sha256::ofFileAt(folder_.fd(), name, hex, why)) {
                reason = "cannot read back " + name + " (" + why + ")";
                return false;
            }
            entry.outputs.push_back({name, hex});
        }
        entry.frames = stretchesOfFrames();
        entry.result = "made";
        if (!log(entry, reason)) return false;
        CustodyEntry hashed;
        hashed.action = "hashed";
        hashed.settings = "SHA256SUMS over the folder's files and the source clips";
        hashed.inputs = entry.outputs;
        for (const JourneyCopy::Original& o : journey_.originals()) hashed.inputs.push_back({o.relative, o.sha256});
        const std::vector<CustodyFile> read = sources();
        hashed.inputs.insert(hashed.inputs.end(), read.begin(), read.end());
        std::string hex, why;
        if (!Sha256::ofFileAt(folder_.fd(), "SHA256SUMS", hex, why)) {
            reason = "cannot read back SHA256SUMS (" + why + ")";
            return false;
        }
        hashed.outputs = {{"SHA256SUMS", hex}};
        hashed.result = "written";
        return log(hashed, reason);
    }

    // A source written to meanwhile no longer matches its checksum.
    bool unchanged(std::string& reason) const {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            std::vector<std::pair<const std::string*, const struct stat*>> files = {{&clip.stretch.path, &clip.before}};
            for (const OtherCamera& other : clip.others) files.emplace_back(&other.path, &other.before);
            for (const auto& [path, before] : files) {
                struct stat now;
                if (::stat(path->c_str(), &now) != 0 || !sameFile(now, *before)) {
                    reason = platform::fileName(*path) + ": the clip changed while it was exported; its checksum no longer holds";
                    return false;
                }
            }
        }
        for (const JourneyCopy::Original& o : journey_.originals()) {
            struct stat now;
            if (::stat(o.path.c_str(), &now) != 0 || !sameFile(now, o.source)) {
                reason = platform::fileName(o.path) +
                         ": the clip changed while it was exported; its checksum no longer holds";
                return false;
            }
        }
        return true;
    }

    bool checksums(std::string& reason) {
        std::string sums;
        for (const std::string& name : derivedNames()) {
            std::string hex, why;
            if (!Sha256::ofFileAt(folder_.fd(), name, hex, why)) {
                reason = "cannot read back " + name + " (" + why + ")";
                return false;
            }
            sums += ChecksumList::line(hex, name);
        }
        for (const JourneyCopy::Original& o : journey_.originals()) sums += ChecksumList::line(o.sha256, o.relative);
        for (const StretchSegment& s : segments_) {
            sums += ChecksumList::line(hashes_[s.clip], absolute(clips_[s.clip].stretch.path));
            // A repaired copy's original, with the checksum the repair read it with.
            if (const auto& repaired = clips_[s.clip].repaired)
                sums += ChecksumList::line(repaired->provenance.originalSha256, repaired->originalPath);
            for (const OtherCamera& other : clips_[s.clip].others) {
                sums += ChecksumList::line(other.hash, absolute(other.path));
                if (other.repaired)
                    sums += ChecksumList::line(other.repaired->provenance.originalSha256, other.repaired->originalPath);
            }
        }
        return folder_.write("SHA256SUMS", sums, reason);
    }

    bool reencodes() const { return request_.overlay || request_.inset || request_.layout; }

    std::vector<std::string> derivedNames() const {
        std::vector<std::string> names = {"video.mp4", "track.gpx", "track.csv", "report.pdf"};
        if (request_.frameHashes) names.insert(names.begin() + 3, FrameHashes::kName);
        return names;
    }

    // The stretches frames.md5 was made of, named by their copies under
    // originals/, for a later verification to decode again.
    std::vector<CustodyStretch> stretchesOfFrames() const {
        std::vector<CustodyStretch> list;
        for (const FrameStretch& f : outputs_.frameStretches) {
            for (const JourneyCopy::Original& o : journey_.originals()) {
                if (o.path != f.path) continue;
                list.push_back({o.relative, f.inSeconds, f.outSeconds});
                break;
            }
        }
        return list;
    }

    const EvidenceRequest& request_;
    EvidenceOutputs& outputs_;
    const std::atomic<bool>& stop_;
    const EvidenceExport::Progress& progress_;
    const std::function<void(const std::string&)>& folderMadeHook_;
    std::vector<SourceClip> clips_;
    std::vector<StretchSegment> segments_;
    ExportLayout::Plan layout_;  // with a layout: its cameras' lists
    std::vector<std::string> hashes_;
    size_t startClip_ = 0;
    double startSeconds_ = 0.0;
    double length_ = 0.0;  // the request's, or less when kept within the drive
    int offset_ = 0;       // what the times shown are ahead of UTC (the zone's, at the stretch)
    double videoSeconds_ = 0.0;  // video.mp4 as read back
    std::vector<ReportEvent> events_;
    std::optional<ReportEvent> incident_;
    EvidenceFolder folder_;
    JourneyCopy journey_;  // the copy's worker's until joined
    std::thread copying_;
    std::atomic<bool> copyStop_{false};
    std::atomic<bool> copied_{false};
    std::atomic<bool> copyDone_{false};
    std::string copyReason_;
    std::string work_;
    bool kept_ = false;
    // The checksums' worker: it owns hashes_ and the other cameras' hashes until joined.
    std::thread hashing_;
    std::atomic<bool> hashStop_{false};
    std::atomic<bool> hashDone_{false};
    bool hashed_ = false;
    std::string hashReason_;
};

}  // namespace

bool EvidenceExport::run(const EvidenceRequest& request, std::string& folder, std::string& reason,
                         const Progress& progress) {
    folder.clear();
    EvidenceRequest one = request.startClock ? request : oneChannel(request);
    one.inset = one.inset && !one.layout;  // the layout takes the other cameras in
    outputs_ = {};
    Export job(one, stop_, progress, folderMadeHook_, outputs_);
    return job.run(folder, reason);
}
