#include "evidence/EvidenceExport.h"

#include "cameras/CameraNaming.h"
#include "evidence/ChecksumList.h"
#include "evidence/EvidenceFolder.h"
#include "evidence/ExportStretch.h"
#include "evidence/OverlayScript.h"
#include "evidence/RepairedSource.h"
#include "evidence/ReportInput.h"
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
#include <thread>

namespace {

struct SourceClip {
    StretchClip stretch;
    std::string partner;  // the other camera's clip, when it is inset
    struct stat partnerBefore {};
    std::string partnerHash;
    std::vector<TrackRecord> records;
    std::vector<int64_t> timesMs;
    TelemetryFormat format = TelemetryFormat::None;
    bool utc = false;
    struct stat before {};
    std::optional<RepairedSource> repaired;  // when it is a repaired copy
};

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

double horizontalG(const TrackRecord& r, const EventSettings& s) {
    const double x = (r.accelX - s.zeroCount) / s.countsPerG;
    const double y = (r.accelY - s.zeroCount) / s.countsPerG;
    return std::sqrt(x * x + y * y);
}

class Export {
public:
    Export(const EvidenceRequest& request, const std::atomic<bool>& stop, const EvidenceExport::Progress& progress,
           const std::function<void(const std::string&)>& folderMadeHook)
        : request_(request),
          stop_(stop),
          progress_(progress),
          folderMadeHook_(folderMadeHook),
          startClip_(request.startClip),
          startSeconds_(request.startSeconds),
          length_(request.lengthSeconds) {}
    ~Export() {
        std::error_code ignored;
        if (!work_.empty()) std::filesystem::remove_all(work_, ignored);  // private: no one else's links in it
        if (!kept_) folder_.remove();
    }

    bool run(std::string& folder, std::string& reason) {
        if (!startEarlier(reason) || !readClips(reason) || !plan(reason) || !partnersReady(reason) ||
            cancelled(reason))
            return false;
        // The sources are read for their checksums while FFmpeg cuts: both
        // read the same clips, and the checksums are needed only by the report.
        hashing_ = std::thread([this] {
            hashed_ = hashSources(hashReason_);
            hashDone_.store(true);
        });
        const bool made = folder_.create(request_.exportsFolder, request_.kind, std::time(nullptr), reason) &&
                          folderMade() && !(work_ = workFolder(reason)).empty() && linkSources(reason) &&
                          video(reason) && videoWhole(reason) &&
                          !cancelled(reason) && tracks(reason);
        // A cancel while the checksums are still being made stops them too.
        while (!hashDone_.load()) {
            if (!made || stop_.load()) hashStop_.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        hashing_.join();
        if (!made) return false;
        if (!hashed_) {
            if (!cancelled(reason)) reason = hashReason_;
            return false;
        }
        if (cancelled(reason) || !report(reason) || cancelled(reason) || !unchanged(reason) || !checksums(reason))
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
        TrackFileOptions options;
        options.utcOffsetSeconds = request_.utcOffsetSeconds;
        ClipTrackSource source(options, nullptr);
        const DisplayZone zone = DisplayZone::fixed(options.utcOffsetSeconds);
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
            source.setTrim([&](ClipTelemetry& telemetry) {
                clip.stretch.startSeconds = recordedStartOf(telemetry, zone);
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
            source.read(clip.stretch.path, clip.records, clip.timesMs, why);
            clip.format = source.lastReading().format();
            clip.utc = source.lastReading().telemetry.timeKind() == TelemetryTime::Utc;
            held += clip.records.size();
            if (held > request_.recordBudget) {
                held -= clip.records.size();
                record_budget::thin(clip.records, clip.timesMs, request_.recordBudget - held);
                held += clip.records.size();
            }
            if (request_.inset && i < request_.partners.size()) clip.partner = request_.partners[i];
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
                                                                  request_.utcOffsetSeconds) +
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
        if (!request_.inset) return true;
        for (const StretchSegment& s : segments_) {
            SourceClip& clip = clips_[s.clip];
            std::string why;
            if (clip.partner.empty() || ::stat(clip.partner.c_str(), &clip.partnerBefore) != 0 ||
                !S_ISREG(clip.partnerBefore.st_mode) || !playable(clip.partner, why)) {
                reason = platform::fileName(clip.stretch.path) + ": no other camera's clip to inset" +
                         (clip.partner.empty() ? ""
                                               : " (" + platform::fileName(clip.partner) + " cannot be read" +
                                                     (why.empty() ? "" : ": " + why) + ")");
                return false;
            }
        }
        return true;
    }

    // A clip with a picture to inset: an unreadable one would leave the
    // inset frozen on the clip before while the report named it as a source.
    static bool playable(const std::string& path, std::string& why) {
        IsoFile file;
        if (!file.open(path, why)) return false;
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
            if (!Sha256::ofFile(clip.stretch.path, hashes_[s.clip], why, &hashStop_) ||
                (request_.inset && !Sha256::ofFile(clip.partner, clip.partnerHash, why, &hashStop_))) {
                reason = platform::fileName(clip.stretch.path) + ": cannot be read (" + why + ")";
                return false;
            }
            clip.repaired = RepairedSource::of(absolute(clip.stretch.path), &hashStop_);
        }
        return true;
    }

    bool linkSources(std::string& reason) {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            if (!link(clip.stretch.path, std::to_string(s.clip) + ".mp4", reason) ||
                (request_.inset && !link(clip.partner, std::to_string(s.clip) + "p.mp4", reason)))
                return false;
        }
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

    // The records inside the stretch, each at its moment of the video.
    template <typename Take>
    void eachRecord(const Take& take) const {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            for (size_t i = 0; i < clip.records.size() && i < clip.timesMs.size(); ++i) {
                const double t = static_cast<double>(clip.timesMs[i]) / 1000.0;
                if (t < s.inSeconds || t >= s.outSeconds) continue;
                take(s, clip, i, s.outputSeconds + t - s.inSeconds);
            }
        }
    }

    bool video(std::string& reason) {
        if (request_.overlay) {
            std::vector<OverlayMoment> moments;
            eachRecord([&](const StretchSegment&, const SourceClip& clip, size_t i, double at) {
                moments.push_back({at, clip.records[i]});
            });
            OverlayScript::holdReadings(moments);
            const GSensorScale scale{request_.events.zeroCount, request_.events.countsPerG};
            if (!writeFile(work_ + VideoCut::kOverlayName,
                           OverlayScript::make(moments, length_, request_.units, scale), reason))
                return false;
        }
        const VideoCut::Picture picture{request_.overlay, request_.inset, request_.mirrorInset};
        const auto args = VideoCut::arguments(request_.ffmpeg, length_, picture, work_, "video.mp4");
        folder_.adopt("video.mp4");
        return VideoCut::run(args, folder_.fd(), length_, stop_,
                             [this](double f) { tell(0.85 * f); }, reason);
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
        const double slack = std::max(2.5 * seconds / static_cast<double>(samples.size()), 0.2);
        // The original frames are cut at the key frames around the stretch: longer is no fault there.
        const bool reencoded = request_.overlay || request_.inset;
        if (seconds < length_ - slack || (reencoded && seconds > length_ + slack)) {
            char text[160];
            std::snprintf(text, sizeof text, "the video holds %.2f s, not the stretch's %.2f s", seconds,
                          length_);
            reason = std::string(text) + " (the clips hold less than they claim?)";
            return false;
        }
        return true;
    }

    bool tracks(std::string& reason) {
        for (const auto& [format, name] : {std::pair{TrackFormat::Gpx, "track.gpx"}, {TrackFormat::Csv, "track.csv"}}) {
            const std::unique_ptr<TrackWriter> writer = makeTrackWriter(format, request_.utcOffsetSeconds);
            std::string out;
            writer->begin(out);
            if (!folder_.write(name, out, reason)) return false;
            out.clear();
            for (const StretchSegment& s : segments_) {
                const SourceClip& clip = clips_[s.clip];
                std::vector<TrackRecord> records;
                std::vector<int64_t> times;
                for (size_t i = 0; i < clip.records.size() && i < clip.timesMs.size(); ++i) {
                    const double t = static_cast<double>(clip.timesMs[i]) / 1000.0;
                    if (t < s.inSeconds || t >= s.outSeconds) continue;
                    records.push_back(clip.records[i]);
                    times.push_back(clip.timesMs[i]);
                }
                if (records.empty()) continue;
                const bool gSensor = std::any_of(records.begin(), records.end(), [](const TrackRecord& r) {
                    return r.valid && r.hasAccel;
                });
                writer->clipFormat(clip.format, gSensor);
                writer->track(out, platform::fileName(clip.stretch.path), records, times);
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

    bool report(std::string& reason) {
        ReportInput input;
        input.texts = request_.reportTexts;
        input.overlay = request_.overlay;
        input.inset = request_.inset;
        input.imperial = request_.units == UnitSystem::Imperial;
        input.lengthSeconds = length_;
        TrackFigures figures;
        int64_t first = -1, last = -1;
        bool utc = false;
        const StretchSegment* segment = nullptr;
        eachRecord([&](const StretchSegment& s, const SourceClip& clip, size_t i, double at) {
            if (segment != &s) figures.startClip();
            segment = &s;
            const TrackRecord& r = clip.records[i];
            if (!r.valid) return;
            input.hasData = true;
            figures.add(r, clip.timesMs[i]);
            int64_t seconds = 0;
            if (cameraSeconds(r, seconds)) {
                if (first < 0) first = seconds;
                last = seconds;
            }
            utc = utc || clip.utc;
            if (hasPositionFix(r)) {
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
            // Records of UTC data carry the offset; the report gives UTC.
            const int64_t shift = utc ? request_.utcOffsetSeconds : 0;
            input.start = clockText(first - shift);
            input.end = clockText(last - shift);
        }
        events(input);
        double frameAt = length_ / 2.0;
        if (!input.events.empty()) frameAt = input.events.front().atSeconds;
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
            if (clip.repaired) {
                const RepairProvenance& from = clip.repaired->provenance;
                row.repair = ReportRepair{clip.repaired->originalPath, from.originalSha256,
                                          clip.repaired->originalState(), from.reference, from.referenceSha256};
            }
            input.clips.push_back(row);
            row.repair.reset();
            if (!request_.inset) continue;
            row.path = clip.partner;
            row.sizeBytes = static_cast<int64_t>(clip.partnerBefore.st_size);
            row.sha256 = clip.partnerHash;
            input.clips.push_back(row);
        }
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
        for (const StretchSegment& s : segments_)
            tracks.push_back({clips_[s.clip].records, clips_[s.clip].timesMs});
        const std::vector<TripEvent> found = EventDetector(request_.events).detect(tracks);
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

    // A source written to meanwhile no longer matches its checksum.
    bool unchanged(std::string& reason) const {
        for (const StretchSegment& s : segments_) {
            const SourceClip& clip = clips_[s.clip];
            for (const auto& [path, before] : {std::pair{&clip.stretch.path, &clip.before}, {&clip.partner, &clip.partnerBefore}}) {
                if (path->empty()) continue;
                struct stat now;
                if (::stat(path->c_str(), &now) != 0 || !sameFile(now, *before)) {
                    reason = platform::fileName(*path) + ": the clip changed while it was exported; its checksum no longer holds";
                    return false;
                }
            }
        }
        return true;
    }

    bool checksums(std::string& reason) {
        std::string sums;
        for (const char* name : {"video.mp4", "track.gpx", "track.csv", "report.pdf"}) {
            std::string hex, why;
            if (!Sha256::ofFileAt(folder_.fd(), name, hex, why)) {
                reason = std::string("cannot read back ") + name + " (" + why + ")";
                return false;
            }
            sums += ChecksumList::line(hex, name);
        }
        for (const StretchSegment& s : segments_) {
            sums += ChecksumList::line(hashes_[s.clip], absolute(clips_[s.clip].stretch.path));
            // A repaired copy's original, with the checksum the repair read it with.
            if (const auto& repaired = clips_[s.clip].repaired)
                sums += ChecksumList::line(repaired->provenance.originalSha256, repaired->originalPath);
            if (request_.inset) sums += ChecksumList::line(clips_[s.clip].partnerHash, absolute(clips_[s.clip].partner));
        }
        return folder_.write("SHA256SUMS", sums, reason);
    }

    const EvidenceRequest& request_;
    const std::atomic<bool>& stop_;
    const EvidenceExport::Progress& progress_;
    const std::function<void(const std::string&)>& folderMadeHook_;
    std::vector<SourceClip> clips_;
    std::vector<StretchSegment> segments_;
    std::vector<std::string> hashes_;
    size_t startClip_ = 0;
    double startSeconds_ = 0.0;
    double length_ = 0.0;  // the request's, or less when kept within the drive
    EvidenceFolder folder_;
    std::string work_;
    bool kept_ = false;
    // The checksums' worker: it owns hashes_ and the partners' hashes until joined.
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
    const EvidenceRequest one = request.startClock ? request : oneChannel(request);
    Export job(one, stop_, progress, folderMadeHook_);
    return job.run(folder, reason);
}
