#include "telemetry/CammReader.h"

#include "telemetry/GSensorWindows.h"
#include "telemetry/TrackPayloads.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxSampleBytes = 64 * 1024;
constexpr int64_t kGpsEpochUnix = 315964800;  // 1980-01-06
constexpr double kGravity = 9.80665;
constexpr double kMaxSpeedMs = 1000.0;
// UTC times outside these years are no GPS times.
constexpr double kFirstUnix = 315964800.0;    // 1980
constexpr double kLastUnix = 4102444800.0;    // 2100
constexpr double kPi = 3.14159265358979323846;

// The whole packet, header included; 0 for a type of unknown size.
size_t packetSize(uint16_t type) {
    switch (type) {
    case 0: case 2: case 3: case 4: case 7: return 16;  // three f32
    case 1: return 12;                                  // exposure times
    case 5: return 28;
    case 6: return 60;
    default: return 0;
    }
}

uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
float f32(const unsigned char* p) {
    const uint32_t bits = le32(p);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}
double f64(const unsigned char* p) {
    const uint64_t bits = le32(p) | (uint64_t(le32(p + 4)) << 32);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// GPS time minus UTC at a moment (the leap seconds since 1980).
int leapSeconds(double unixSeconds) {
    static constexpr struct { double from; int seconds; } kSteps[] = {
        {1483228800, 18}, {1435708800, 17}, {1341100800, 16}, {1230768000, 15}, {1136073600, 14},
    };
    for (const auto& step : kSteps)
        if (unixSeconds >= step.from) return step.seconds;
    return 13;
}

struct ClipClock {
    bool hasCreation = false;
    int64_t creation = 0;  // seconds since 1970

    // The packet's time as UTC ms; false when it is no time.
    bool utcOf(double seconds, int64_t& ms) const {
        if (!std::isfinite(seconds) || seconds < 0.0 || seconds > kLastUnix) return false;
        double fromGps = seconds + static_cast<double>(kGpsEpochUnix);
        fromGps -= leapSeconds(fromGps);
        const double fromUnix = seconds;
        const auto created = static_cast<double>(creation);
        const double chosen =
            hasCreation && std::fabs(fromUnix - created) < std::fabs(fromGps - created) ? fromUnix : fromGps;
        if (chosen < kFirstUnix || chosen > kLastUnix) return false;
        ms = std::llround(chosen * 1000.0);
        return true;
    }
    void creationTime(TelemetrySample& s) const {
        if (!hasCreation) return;
        s.timeKind = TelemetryTime::Creation;
        s.timeMs = creation * 1000 + s.clipMs;
    }
};

struct Packet {
    uint16_t type;
    size_t at;
};

// The packets of one sample up to the first that cannot be read.
std::vector<Packet> packetsOf(std::string_view bytes, ClipTelemetry& out) {
    std::vector<Packet> packets;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 4) {
            out.drop("a CAMM packet cut short was dropped");
            break;
        }
        const uint16_t type = le16(p + at + 2);
        const size_t size = packetSize(type);
        if (size == 0) {
            out.drop("a CAMM packet of unknown type " + std::to_string(type) + " ended its sample");
            break;
        }
        if (bytes.size() - at < size) {
            out.drop("a CAMM packet cut short was dropped");
            break;
        }
        packets.push_back({type, at});
        at += size;
    }
    return packets;
}

// The latest moment of a UTC fix, so G readings get UTC times too.
struct UtcAnchor {
    bool known = false;
    int64_t offsetMs = 0;  // UTC ms minus clip ms
};

void readSample(const TrackPayload& payload, const ClipClock& clock, UtcAnchor& anchor,
                std::vector<TelemetrySample>& fixes, GSensorWindows& gsensor, ClipTelemetry& out) {
    const std::vector<Packet> packets = packetsOf(payload.bytes, out);
    size_t total[8] = {};
    for (const Packet& packet : packets) ++total[packet.type];
    size_t seen[8] = {};
    const auto* p = reinterpret_cast<const unsigned char*>(payload.bytes.data());
    for (const Packet& packet : packets) {
        const unsigned char* q = p + packet.at;
        // Packets of a type share the sample's duration evenly.
        const size_t k = seen[packet.type]++;
        const int64_t clipMs = payload.clipMs + static_cast<int64_t>(k) * payload.durationMs /
                                                    static_cast<int64_t>(total[packet.type]);
        if (packet.type == 6 || packet.type == 5) {
            if (fixes.size() >= ClipTelemetry::kSampleLimit) continue;
            TelemetrySample s;
            s.clipMs = clipMs;
            const double lat = f64(q + (packet.type == 6 ? 16 : 4));
            const double lon = f64(q + (packet.type == 6 ? 24 : 12));
            const bool measured = packet.type == 5 || le32(q + 12) != 0;
            const bool plausible = plausiblePosition(lat, lon);
            if (measured && !plausible && !(lat == 0.0 && lon == 0.0)) out.drop("a position outside the earth was dropped");
            s.fix = measured && plausible;
            if (s.fix) {
                s.latitude = lat;
                s.longitude = lon;
            }
            int64_t utcMs = 0;
            if (packet.type == 6 && clock.utcOf(f64(q + 4), utcMs)) {
                s.timeKind = TelemetryTime::Utc;
                s.timeMs = utcMs;
                anchor = {true, utcMs - clipMs};
            } else {
                clock.creationTime(s);
            }
            if (packet.type == 6 && s.fix) {
                const double east = f32(q + 44), north = f32(q + 48);
                const double speed = std::hypot(east, north);
                if (std::isfinite(speed) && speed < kMaxSpeedMs) {
                    s.hasSpeed = true;
                    s.speedKmh = static_cast<float>(speed * 3.6);
                    // A course only from a real motion: standing still it is noise.
                    if (speed >= 0.5) {
                        double course = std::atan2(east, north) * 180.0 / kPi;
                        if (course < 0.0) course += 360.0;
                        s.hasCourse = true;
                        s.courseDeg = static_cast<float>(course);
                    }
                }
            }
            fixes.push_back(s);
        } else if (packet.type == 3) {
            TelemetrySample when;
            when.clipMs = clipMs;
            if (anchor.known) {
                when.timeKind = TelemetryTime::Utc;
                when.timeMs = clipMs + anchor.offsetMs;
            } else {
                clock.creationTime(when);
            }
            if (!gsensor.add(clipMs, when.timeMs, when.timeKind, f32(q + 4) / kGravity, f32(q + 8) / kGravity,
                             f32(q + 12) / kGravity))
                out.drop("an acceleration that is no number or beyond any sensor was dropped");
        }
    }
}

const IsoTrack* cammTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks())
        if (track.sampleEntry == fourcc("camm")) return &track;
    return nullptr;
}

}  // namespace

bool CammReader::probe(const IsoFile& file) const {
    return cammTrack(file) != nullptr;
}

void CammReader::read(const IsoFile& file, ClipTelemetry& out) const {
    const IsoTrack* track = cammTrack(file);
    if (!track) return;
    out.format = TelemetryFormat::Camm;
    ClipClock clock;
    clock.hasCreation = file.creationTime(clock.creation);
    UtcAnchor anchor;
    std::vector<TelemetrySample> samples;
    GSensorWindows gsensor;
    TrackPayloads payloads(file, *track, kMaxSampleBytes, &out);
    TrackPayload payload;
    while (payloads.next(payload)) readSample(payload, clock, anchor, samples, gsensor, out);
    gsensor.mergeInto(samples);
    for (const TelemetrySample& s : samples)
        if (!out.add(s)) break;
}
