#include "telemetry/VehicleSeiReader.h"

#include "cameras/CameraNaming.h"
#include "platform/GuardedMapping.h"
#include "telemetry/VehicleFrameMessage.h"
#include "telemetry/VehicleSeiSample.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double kGravity = 9.80665;
// Beyond these a value is no measurement of a car.
constexpr double kMaxSpeedMs = 1000.0;
constexpr double kMaxG = 100.0;

const IsoTrack* videoTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks())
        if (track.sampleEntry == fourcc("avc1") || track.sampleEntry == fourcc("avc3")) return &track;
    return nullptr;
}

// The starts of a track's samples: copied out of a mapping of the file (no
// system call per sample), or, where the file cannot be mapped, read in
// batches where they lie close.
class SampleStarts {
public:
    SampleStarts(const IsoFile& file, const std::vector<IsoSample>& samples) : file_(file), samples_(samples) {
        mapping_.map(file.descriptor(), file.size());
    }

    // The first n bytes of sample i (n at most its size); false when they
    // cannot be read or the clip's read budget is spent.
    bool get(size_t i, size_t n, std::string_view& out) {
        const IsoSample& s = samples_[i];
        if (mapping_.mapped()) return copy(s, n, out);
        if (s.offset < from_ || s.offset + n > from_ + buffer_.size()) {
            uint64_t end = s.offset + n;
            // A first look takes its close neighbours along; a longer one reads alone.
            if (n <= VehicleSeiReader::kFirstBytes) {
                for (size_t j = i + 1; j < samples_.size(); ++j) {
                    const IsoSample& next = samples_[j];
                    const uint64_t nextEnd = next.offset + std::min<uint64_t>(next.size, VehicleSeiReader::kFirstBytes);
                    if (next.offset < samples_[j - 1].offset || next.offset > end + VehicleSeiReader::kBatchGap ||
                        nextEnd - s.offset > VehicleSeiReader::kMaxBatch)
                        break;
                    end = std::max(end, nextEnd);
                }
            }
            const uint64_t bytes = end - s.offset;
            if (bytes > VehicleSeiReader::kMaxTotalBytes - total_) return false;
            total_ += bytes;
            from_ = s.offset;
            if (!file_.read(s.offset, static_cast<size_t>(bytes), buffer_)) {
                buffer_.clear();
                return false;
            }
        }
        out = std::string_view(buffer_).substr(static_cast<size_t>(s.offset - from_), n);
        return true;
    }

    bool budgetSpent() const { return total_ >= VehicleSeiReader::kMaxTotalBytes - VehicleSeiReader::kMaxStartBytes; }

private:
    bool copy(const IsoSample& s, size_t n, std::string_view& out) {
        if (file_.stopped() || n > VehicleSeiReader::kMaxTotalBytes - total_) return false;
        total_ += n;
        if (buffer_.size() < n) buffer_.resize(n);
        if (!mapping_.copy(s.offset, n, buffer_.data())) return false;
        out = std::string_view(buffer_.data(), n);
        return true;
    }

    const IsoFile& file_;
    platform::GuardedMapping mapping_;
    const std::vector<IsoSample>& samples_;
    std::string buffer_;
    uint64_t from_ = 0;
    uint64_t total_ = 0;
};

// The message of sample i, read from as few of its first bytes as will do;
// false when they cannot be read (a stop, the budget spent, a failing drive).
bool messageOf(SampleStarts& starts, const IsoSample& sample, size_t i, std::string& message,
               VehicleSeiSample::Scan& scan) {
    size_t n = std::min<size_t>(sample.size, VehicleSeiReader::kFirstBytes);
    for (;;) {
        std::string_view start;
        if (!starts.get(i, n, start)) return false;
        size_t needed = 0;
        scan = VehicleSeiSample::scan(start, sample.size, message, needed);
        if (scan != VehicleSeiSample::Scan::NeedMore) return true;
        if (needed > VehicleSeiReader::kMaxStartBytes) {
            scan = VehicleSeiSample::Scan::NoMessage;
            return true;
        }
        n = std::min<size_t>(sample.size, std::max(needed, 2 * n));
    }
}

int64_t milliseconds(const IsoTrack& track, int64_t ticks) {
    const int64_t scale = track.timescale;
    if (scale == 0) return ticks;
    return ticks / scale * 1000 + ticks % scale * 1000 / scale;
}

template <typename Enum>
std::optional<Enum> enumOf(int32_t value, Enum last) {
    if (value < 0 || value > static_cast<int32_t>(last)) return std::nullopt;
    return static_cast<Enum>(value);
}

TelemetrySample sampleOf(const VehicleFrame& f) {
    TelemetrySample s;
    if (std::isfinite(f.speedMs) && std::fabs(f.speedMs) < kMaxSpeedMs) {
        s.hasSpeed = true;
        s.speedKmh = static_cast<float>(std::fabs(f.speedMs) * 3.6);
    }
    s.fix = plausiblePosition(f.latitude, f.longitude);
    if (s.fix) {
        s.latitude = f.latitude;
        s.longitude = f.longitude;
        if (std::isfinite(f.headingDeg) && std::fabs(f.headingDeg) <= 3600.0) {
            double course = std::fmod(f.headingDeg, 360.0);
            if (course < 0.0) course += 360.0;
            s.hasCourse = true;
            s.courseDeg = static_cast<float>(course);
        }
    }
    const double gx = f.accelX / kGravity, gy = f.accelY / kGravity, gz = f.accelZ / kGravity;
    if (std::isfinite(gx) && std::isfinite(gy) && std::isfinite(gz) && std::fabs(gx) <= kMaxG &&
        std::fabs(gy) <= kMaxG && std::fabs(gz) <= kMaxG) {
        s.hasAccel = true;
        s.accelX = static_cast<float>(gx);
        s.accelY = static_cast<float>(gy);
        s.accelZ = static_cast<float>(gz);
    }
    VehicleChannels c;
    if (std::isfinite(f.steeringDeg) && std::fabs(f.steeringDeg) <= kMaxSteeringDeg) c.steeringDeg = f.steeringDeg;
    if (std::isfinite(f.acceleratorPct) && f.acceleratorPct >= 0.0f && f.acceleratorPct <= 100.0f)
        c.acceleratorPct = f.acceleratorPct;
    c.brake = f.brake;
    c.indicatorLeft = f.indicatorLeft;
    c.indicatorRight = f.indicatorRight;
    c.gear = enumOf(f.gear, VehicleGear::Neutral);
    c.assist = enumOf(f.assist, DriverAssist::TrafficAwareCruise);
    s.vehicle = c;
    return s;
}

void noteCount(ClipTelemetry& out, size_t count, const char* what) {
    if (count > 0) out.drop(std::to_string(count) + what);
}

}  // namespace

bool VehicleSeiReader::probe(const IsoFile& file) const {
    const IsoTrack* track = videoTrack(file);
    if (!track) return false;
    std::vector<IsoSample> samples;
    std::string reason;
    file.samples(*track, samples, reason);
    samples.resize(std::min(samples.size(), kProbeSamples));
    SampleStarts starts(file, samples);
    std::string message;
    VehicleSeiSample::Scan scan;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (!messageOf(starts, samples[i], i, message, scan)) return false;
        if (scan == VehicleSeiSample::Scan::Message || scan == VehicleSeiSample::Scan::Damaged) return true;
    }
    return false;
}

void VehicleSeiReader::read(const IsoFile& file, ClipTelemetry& out) const {
    const IsoTrack* track = videoTrack(file);
    if (!track) return;
    out.format = TelemetryFormat::VehicleSei;
    std::vector<IsoSample> samples;
    std::string reason;
    if (!file.samples(*track, samples, reason)) out.drop(reason);

    TelemetryTime kind = TelemetryTime::None;
    int64_t startMs = 0;
    const cameras::ClipName name = cameras::CameraNaming::parse(file.path());
    int64_t created = 0;
    if (name.startSeconds) {
        kind = TelemetryTime::Camera;
        startMs = *name.startSeconds * 1000;
    } else if (file.creationTime(created)) {
        kind = TelemetryTime::Creation;
        startMs = created * 1000;
    }

    // One sample a frame at most: room made once, not grown frame by frame.
    out.samples.reserve(out.samples.size() + std::min(samples.size(), ClipTelemetry::kSampleLimit));
    SampleStarts starts(file, samples);
    std::string message;
    VehicleFrame frame;
    size_t missing = 0, damaged = 0, bad = 0;
    VehicleSeiSample::Scan scan;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (starts.budgetSpent()) {
            out.drop("the video's samples point at more than " + std::to_string(kMaxTotalBytes >> 20) +
                     " MB: the rest is left out");
            break;
        }
        if (!messageOf(starts, samples[i], i, message, scan)) {
            out.drop("the video could not be read on from frame " + std::to_string(i));
            break;
        }
        switch (scan) {
        case VehicleSeiSample::Scan::Message: break;
        case VehicleSeiSample::Scan::Damaged: ++damaged; continue;
        case VehicleSeiSample::Scan::BadSample: ++bad; continue;
        default: ++missing; continue;
        }
        if (!VehicleFrameMessage::decode(message, frame)) {
            ++damaged;
            continue;
        }
        TelemetrySample s = sampleOf(frame);
        s.clipMs = milliseconds(*track, samples[i].startTicks);
        s.timeKind = kind;
        if (kind != TelemetryTime::None) s.timeMs = startMs + s.clipMs;
        if (!out.add(s)) break;
    }
    noteCount(out, damaged, " frames with a damaged vehicle message gave no sample");
    noteCount(out, bad, " video samples whose units run past the sample were skipped");
    noteCount(out, missing, " frames without a vehicle message");
    if (out.samples.empty() && out.problem.empty()) out.problem = "no frame holds a readable vehicle message";
}
