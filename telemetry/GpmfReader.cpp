#include "telemetry/GpmfReader.h"

#include "telemetry/BigEndian.h"
#include "telemetry/GSensorWindows.h"
#include "telemetry/TrackPayloads.h"
#include "platform/CivilTime.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kMaxSampleBytes = 2 * 1024 * 1024;
// DEVC > STRM > records is all GPMF uses; a little room beyond it.
constexpr int kMaxDepth = 6;
constexpr size_t kMaxFields = 64;
// Samples with data looked at before a track is judged to hold no GPMF, and samples at all.
constexpr size_t kProbeSamples = 8;
constexpr size_t kProbeTries = 256;
constexpr double kGravity = 9.80665;
constexpr double kMaxSpeedMs = 1000.0;
constexpr int64_t kUnix2000Ms = 946684800000;

size_t typeSize(char type) {
    switch (type) {
    case 'b': case 'B': case 'c': return 1;
    case 's': case 'S': return 2;
    case 'l': case 'L': case 'f': case 'q': case 'F': return 4;
    case 'd': case 'j': case 'J': case 'Q': return 8;
    case 'U': case 'G': return 16;
    default: return 0;
    }
}

// A numeric field as a double; false for a type that is no number.
bool number(const unsigned char* p, char type, double& v) {
    switch (type) {
    case 'b': v = static_cast<int8_t>(p[0]); return true;
    case 'B': v = p[0]; return true;
    case 's': v = bigEndian::s16(p); return true;
    case 'S': v = bigEndian::u16(p); return true;
    case 'l': v = static_cast<int32_t>(bigEndian::u32(p)); return true;
    case 'L': v = bigEndian::u32(p); return true;
    case 'q': v = static_cast<int32_t>(bigEndian::u32(p)) / 65536.0; return true;
    case 'j': v = static_cast<double>(static_cast<int64_t>(bigEndian::u64(p))); return true;
    case 'J': v = static_cast<double>(bigEndian::u64(p)); return true;
    case 'Q': v = static_cast<double>(static_cast<int64_t>(bigEndian::u64(p))) / 4294967296.0; return true;
    case 'f': {
        const uint32_t bits = bigEndian::u32(p);
        float f;
        std::memcpy(&f, &bits, 4);
        v = f;
        return true;
    }
    case 'd': {
        const uint64_t bits = bigEndian::u64(p);
        std::memcpy(&v, &bits, 8);
        return true;
    }
    default: return false;
    }
}

// GPSF and GPS9's fix: 0 none, 2 or 3 a fix; anything else that is no small whole number counts as none.
int fixKind(double v) {
    return std::isfinite(v) && v >= 0.0 && v <= 3.0 ? static_cast<int>(v) : 0;
}

// "yymmddhhmmss.sss" as UTC ms.
bool gpsuTime(std::string_view text, int64_t& ms) {
    if (text.size() < 16) return false;
    for (size_t i = 0; i < 16; ++i)
        if (i == 12 ? text[i] != '.' : (text[i] < '0' || text[i] > '9')) return false;
    const auto two = [&](size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    int64_t seconds = 0;
    if (!platform::civilSeconds(2000 + two(0), two(2), two(4), two(6), two(8), two(10), seconds)) return false;
    ms = seconds * 1000 + (text[13] - '0') * 100 + (text[14] - '0') * 10 + (text[15] - '0');
    return true;
}

// One record: key, type, element size, repeat count and its data.
struct Record {
    uint32_t key = 0;
    char type = 0;
    size_t size = 0;
    size_t repeat = 0;
    std::string_view data;
};

// The sticky values of one stream that its next data record reads.
struct Stream {
    std::vector<double> scale;
    std::string_view typeText;  // TYPE, for records of type '?'
    bool hasGpsu = false;
    int64_t gpsuMs = 0;
    int gpsFix = -1;  // GPSF; -1 when not given
};

// The fields of a record's element: type and offset of each.
struct Fields {
    size_t count = 0;
    char type[kMaxFields] = {};
    size_t offset[kMaxFields] = {};
};

bool fieldsOf(const Record& r, const Stream& stream, Fields& f) {
    size_t at = 0;
    if (r.type == '?') {
        for (const char t : stream.typeText) {
            if (t == '\0') break;
            const size_t size = typeSize(t);
            if (size == 0 || f.count == kMaxFields) return false;
            f.type[f.count] = t;
            f.offset[f.count++] = at;
            at += size;
        }
    } else {
        const size_t size = typeSize(r.type);
        if (size == 0 || r.size % size != 0) return false;
        for (; at < r.size && f.count < kMaxFields; at += size) {
            f.type[f.count] = r.type;
            f.offset[f.count++] = at;
        }
    }
    return f.count > 0 && at <= r.size;
}

class PayloadWalk {
public:
    PayloadWalk(const TrackPayload& payload, bool hasCreation, int64_t creation, std::vector<TelemetrySample>& fixes,
                ClipTelemetry& out)
        : payload_(payload), hasCreation_(hasCreation), creation_(creation), fixes_(fixes), out_(out) {}

    void run(GSensorWindows& gsensor) {
        level(payload_.bytes, 0);
        // The G readings take the payload's UTC, which its GPS stream may give after them.
        for (const Reading& r : accel_) {
            TelemetrySample when = timed(r.clipMs);
            if (hasUtcStart_) {
                when.timeKind = TelemetryTime::Utc;
                when.timeMs = utcStartMs_ + (r.clipMs - payload_.clipMs);
            }
            if (!gsensor.add(r.clipMs, when.timeMs, when.timeKind, r.x, r.y, r.z))
                out_.drop("a G-sensor reading that is no number or beyond any sensor was dropped");
        }
    }

private:
    struct Reading {
        int64_t clipMs;
        double x, y, z;
    };

    void level(std::string_view bytes, int depth) {
        Stream stream;
        const auto* base = reinterpret_cast<const unsigned char*>(bytes.data());
        size_t at = 0;
        while (bytes.size() - at >= 8) {
            const unsigned char* p = base + at;
            Record r;
            r.key = bigEndian::u32(p);
            r.type = static_cast<char>(p[4]);
            r.size = p[5];
            r.repeat = bigEndian::u16(p + 6);
            if (r.key == 0) return;  // zero padding ends a payload
            const size_t length = r.size * r.repeat;
            const size_t room = bytes.size() - at - 8;
            if (length > room) {
                out_.drop("a GPMF record larger than its parent was dropped with the rest of its parent");
                return;
            }
            r.data = bytes.substr(at + 8, length);
            at += 8 + std::min((length + 3) & ~size_t(3), room);
            if (r.type == 0) {
                if (depth + 1 >= kMaxDepth)
                    out_.drop("GPMF nested more than " + std::to_string(kMaxDepth) + " deep was dropped");
                else
                    level(r.data, depth + 1);
                continue;
            }
            record(r, stream);
        }
    }

    void record(const Record& r, Stream& stream) {
        const auto* p = reinterpret_cast<const unsigned char*>(r.data.data());
        switch (r.key) {
        case fourcc("SCAL"): {
            stream.scale.clear();
            const size_t size = typeSize(r.type);
            double v = 0.0;
            for (size_t at = 0; size > 0 && at + size <= r.data.size() && stream.scale.size() < kMaxFields;
                 at += size)
                if (number(p + at, r.type, v)) stream.scale.push_back(v);
            break;
        }
        case fourcc("TYPE"):
            stream.typeText = r.data;
            break;
        case fourcc("GPSU"):
            stream.hasGpsu = gpsuTime(r.data, stream.gpsuMs);
            break;
        case fourcc("GPSF"): {
            double v = 0.0;
            if (r.size >= typeSize(r.type) && r.repeat > 0 && number(p, r.type, v)) stream.gpsFix = fixKind(v);
            break;
        }
        case fourcc("GPS5"):
        case fourcc("GPS9"):
            gps(r, stream, r.key == fourcc("GPS9"));
            break;
        case fourcc("ACCL"):
            accel(r, stream);
            break;
        default:
            break;
        }
    }

    // The values of one element, SCAL applied; false when a scale is no divisor.
    bool values(const Record& r, const Stream& stream, const Fields& f, size_t element, size_t needed,
                double* out) const {
        const auto* p = reinterpret_cast<const unsigned char*>(r.data.data()) + element * r.size;
        for (size_t j = 0; j < needed; ++j) {
            double scale = 1.0;
            if (j < stream.scale.size())
                scale = stream.scale[j];
            else if (stream.scale.size() == 1)
                scale = stream.scale[0];
            double raw = 0.0;
            if (!number(p + f.offset[j], f.type[j], raw) || scale == 0.0 || !std::isfinite(scale)) return false;
            out[j] = raw / scale;
        }
        return true;
    }

    // The moment of element k of n within the payload.
    int64_t spread(size_t k, size_t n) const {
        return payload_.clipMs + static_cast<int64_t>(k) * payload_.durationMs / static_cast<int64_t>(n);
    }

    TelemetrySample timed(int64_t clipMs) const {
        TelemetrySample s;
        s.clipMs = clipMs;
        if (hasCreation_) {
            s.timeKind = TelemetryTime::Creation;
            s.timeMs = creation_ * 1000 + clipMs;
        }
        return s;
    }

    void gps(const Record& r, const Stream& stream, bool nine) {
        Fields f;
        const size_t needed = nine ? 9 : 4;
        if (!fieldsOf(r, stream, f) || f.count < needed) {
            out_.drop(std::string(nine ? "GPS9" : "GPS5") + " records of an unknown layout were skipped");
            return;
        }
        double v[9] = {};
        for (size_t k = 0; k < r.repeat && fixes_.size() < ClipTelemetry::kSampleLimit; ++k) {
            if (!values(r, stream, f, k, needed, v)) {
                out_.drop("GPS records with a scale of zero were skipped");
                return;
            }
            TelemetrySample s = timed(spread(k, r.repeat));
            const int64_t offset = s.clipMs - payload_.clipMs;
            if (nine && v[5] >= 0.0 && v[5] < 36600.0 && v[6] >= 0.0 && v[6] < 86401.0) {
                s.timeKind = TelemetryTime::Utc;
                s.timeMs = kUnix2000Ms + static_cast<int64_t>(v[5]) * 86'400'000 + std::llround(v[6] * 1000.0);
                if (k == 0 && !hasUtcStart_) {
                    hasUtcStart_ = true;
                    utcStartMs_ = s.timeMs;
                }
            } else if (!nine && stream.hasGpsu) {
                s.timeKind = TelemetryTime::Utc;
                s.timeMs = stream.gpsuMs + offset;
                if (!hasUtcStart_) {
                    hasUtcStart_ = true;
                    utcStartMs_ = stream.gpsuMs;
                }
            }
            const int kind = nine ? fixKind(v[8]) : stream.gpsFix;
            const bool measured = kind != 0 && kind != 1;
            const bool plausible = plausiblePosition(v[0], v[1]);
            if (measured && !plausible && !(v[0] == 0.0 && v[1] == 0.0))
                out_.drop("a position outside the earth was dropped");
            s.fix = measured && plausible;
            if (s.fix) {
                s.latitude = v[0];
                s.longitude = v[1];
                if (std::isfinite(v[2]) && std::fabs(v[2]) < 1e6) {
                    s.hasAltitude = true;
                    s.altitudeM = static_cast<float>(v[2]);
                }
                if (std::isfinite(v[3]) && v[3] >= 0.0 && v[3] < kMaxSpeedMs) {
                    s.hasSpeed = true;
                    s.speedKmh = static_cast<float>(v[3] * 3.6);
                }
            }
            fixes_.push_back(s);
        }
    }

    void accel(const Record& r, const Stream& stream) {
        Fields f;
        if (!fieldsOf(r, stream, f) || f.count < 3) {
            out_.drop("ACCL records of an unknown layout were skipped");
            return;
        }
        double v[3] = {};
        for (size_t k = 0; k < r.repeat; ++k) {
            if (!values(r, stream, f, k, 3, v)) {
                out_.drop("ACCL records with a scale of zero were skipped");
                return;
            }
            accel_.push_back({spread(k, r.repeat), v[0] / kGravity, v[1] / kGravity, v[2] / kGravity});
        }
    }

    const TrackPayload& payload_;
    bool hasCreation_;
    int64_t creation_;
    std::vector<TelemetrySample>& fixes_;
    ClipTelemetry& out_;
    std::vector<Reading> accel_;
    bool hasUtcStart_ = false;
    int64_t utcStartMs_ = 0;
};

bool isGpmf(std::string_view bytes) {
    return bytes.substr(0, 4) == "DEVC";
}

const IsoTrack* gpmfTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks()) {
        if (track.sampleEntry != fourcc("gpmd")) continue;
        TrackPayloads payloads(file, track, kMaxSampleBytes, nullptr);
        TrackPayload payload;
        for (size_t n = 0, tries = 0; n < kProbeSamples && tries < kProbeTries && payloads.next(payload); ++tries) {
            if (isGpmf(payload.bytes)) return &track;
            if (!payload.bytes.empty()) ++n;
        }
    }
    return nullptr;
}

}  // namespace

bool GpmfReader::probe(const IsoFile& file) const {
    return gpmfTrack(file) != nullptr;
}

void GpmfReader::read(const IsoFile& file, ClipTelemetry& out) const {
    const IsoTrack* track = gpmfTrack(file);
    if (!track) return;
    out.format = TelemetryFormat::Gpmf;
    int64_t creation = 0;
    const bool hasCreation = file.creationTime(creation);
    std::vector<TelemetrySample> samples;
    GSensorWindows gsensor;
    TrackPayloads payloads(file, *track, kMaxSampleBytes, &out);
    TrackPayload payload;
    while (payloads.next(payload)) {
        if (payload.bytes.empty()) continue;
        if (!isGpmf(payload.bytes)) {
            out.drop("a sample that is no GPMF was skipped");
            continue;
        }
        PayloadWalk(payload, hasCreation, creation, samples, out).run(gsensor);
    }
    gsensor.mergeInto(samples);
    for (const TelemetrySample& s : samples)
        if (!out.add(s)) break;
}
