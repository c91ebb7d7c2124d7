#include "telemetry/NmeaTrackReader.h"

#include "telemetry/NmeaSentence.h"
#include "telemetry/TrackPayloads.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

// A u16 of text and room for the style boxes a tx3g sample may carry after it.
constexpr size_t kMaxSampleBytes = 65535 + 2 + 4096;
// Samples with text looked at before a track is judged to hold no NMEA, and samples at all.
constexpr size_t kProbeSamples = 8;
constexpr size_t kProbeTries = 256;
constexpr int64_t kDayMs = 86'400'000;
constexpr double kKmhPerKnot = 1.852;
// Faster is no car's speed but garbage.
constexpr double kMaxKmh = 3600.0;
constexpr double kMaxG = 64.0;

// The sample's text: what its length says, or all of it when it has no length.
std::string_view sampleText(std::string_view bytes, bool& cut) {
    cut = false;
    if (bytes.size() < 2) return {};
    const size_t length = (size_t(static_cast<unsigned char>(bytes[0])) << 8) | static_cast<unsigned char>(bytes[1]);
    if (length <= bytes.size() - 2) return bytes.substr(2, length);
    if (bytes[0] == '$') return bytes;
    cut = true;
    return bytes.substr(2);
}

// Calls part(text) for each line or `;` part of a sample's text.
template <typename Part>
void forEachPart(std::string_view text, Part part) {
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find_first_of(std::string_view("\r\n;\0", 4), from);
        const std::string_view piece = text.substr(from, end == std::string_view::npos ? end : end - from);
        if (!piece.empty()) part(piece);
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
}

// An RMC or GGA sentence by its start, whatever became of the rest.
bool fixSentenceStart(std::string_view part) {
    if (!part.empty() && part.front() == '$') part.remove_prefix(1);
    return part.size() >= 6 && part[0] >= 'A' && part[0] <= 'Z' && part[1] >= 'A' && part[1] <= 'Z' &&
           (part.substr(2, 4) == "RMC," || part.substr(2, 4) == "GGA,");
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool number(std::string_view s, double& v) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(v);
}

// "gsensori,range,counts,x,y,z" as G.
bool gsensorPart(std::string_view part, double g[3]) {
    std::string_view field[6];
    size_t count = 0;
    for (size_t from = 0; count < 6;) {
        const size_t comma = part.find(',', from);
        field[count++] = part.substr(from, comma == std::string_view::npos ? comma : comma - from);
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    double range = 0.0, counts = 0.0;
    if (count < 6 || !number(field[1], range) || !number(field[2], counts) || range <= 0.0 || counts <= 0.0)
        return false;
    for (int i = 0; i < 3; ++i) {
        double v = 0.0;
        if (!number(field[3 + i], v)) return false;
        g[i] = v * range / counts;
        if (!std::isfinite(g[i]) || std::fabs(g[i]) > kMaxG) return false;
    }
    return true;
}

bool nmeaContent(std::string_view bytes) {
    bool cut = false;
    bool found = false;
    forEachPart(sampleText(bytes, cut), [&](std::string_view part) {
        NmeaSentence sentence;
        found = found || startsWith(part, "gsensori,") || fixSentenceStart(part) || sentence.parse(part);
    });
    return found;
}

bool hasText(std::string_view bytes) {
    bool cut = false;
    const std::string_view text = sampleText(bytes, cut);
    return std::any_of(text.begin(), text.end(), [](char c) { return c > ' '; });
}

const IsoTrack* nmeaTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks()) {
        if (!track.isText()) continue;
        TrackPayloads payloads(file, track, kMaxSampleBytes, nullptr);
        TrackPayload payload;
        for (size_t n = 0, tries = 0; n < kProbeSamples && tries < kProbeTries && payloads.next(payload); ++tries) {
            if (!hasText(payload.bytes)) continue;
            if (nmeaContent(payload.bytes)) return &track;
            ++n;
        }
    }
    return nullptr;
}

// Builds fixes from the sentences in track order: those of one time are one fix.
class FixBuilder {
public:
    FixBuilder(const IsoFile& file, ClipTelemetry& out) : out_(out) { hasCreation_ = file.creationTime(creation_); }

    void sample(const TrackPayload& payload) {
        bool cut = false;
        const std::string_view text = sampleText(payload.bytes, cut);
        if (cut) out_.drop("a sample whose text was cut short was read as far as it goes");
        bool hasG = false;
        double g[3] = {};
        bool firstOfSample = true;
        int64_t sampleFirstTod = 0;
        forEachPart(text, [&](std::string_view part) {
            if (startsWith(part, "gsensori,")) {
                thinkware_ = true;
                hasG = gsensorPart(part, g);
                if (!hasG) out_.drop("a G-sensor part that could not be read was dropped");
                return;
            }
            NmeaSentence s;
            if (!s.parse(part)) {
                if (fixSentenceStart(part))
                    out_.drop("NMEA sentences with a wrong checksum, cut short or out of range were dropped");
                return;
            }
            if (!s.hasTime()) {
                if (pending_.active) merge(s);
                return;
            }
            const int64_t tod = s.timeOfDayMs();
            if (pending_.active && pending_.tod == tod) {
                merge(s);
                return;
            }
            flush();
            if (firstOfSample) {
                firstOfSample = false;
                sampleFirstTod = tod;
            }
            // Several times in one sample share its duration by their distance.
            int64_t offset = tod - sampleFirstTod;
            if (offset < 0) offset += kDayMs;
            pending_ = Pending();
            pending_.active = true;
            pending_.tod = tod;
            pending_.sample = payload.index;
            pending_.clipMs = payload.clipMs + std::min(offset, payload.durationMs);
            merge(s);
        });
        if (!hasG) return;
        if (pending_.active && pending_.sample == payload.index && !pending_.hasG) {
            pending_.hasG = true;
            std::copy(g, g + 3, pending_.g);
            return;
        }
        // A G reading without a sentence of its own sample stands alone.
        flush();
        TelemetrySample s;
        s.clipMs = payload.clipMs;
        if (anchored_) {
            s.timeKind = TelemetryTime::Utc;
            s.timeMs = payload.clipMs + utcMinusClipMs_;
        } else {
            creationTime(s);
        }
        setG(s, g);
        add(s);
    }

    void finish() {
        flush();
        out_.format = thinkware_ ? TelemetryFormat::Thinkware : TelemetryFormat::Nmea;
    }

private:
    struct Pending {
        bool active = false;
        int64_t tod = 0;
        size_t sample = 0;
        int64_t clipMs = 0;
        bool hasRmc = false, rmcValid = false, ggaValid = false;
        bool hasPosition = false;
        double latitude = 0.0, longitude = 0.0;
        bool hasSpeed = false, hasCourse = false;
        double kmh = 0.0, course = 0.0;
        bool hasUtc = false;
        int64_t utcMs = 0;
        bool hasG = false;
        double g[3] = {};
    };

    void merge(const NmeaSentence& s) {
        Pending& p = pending_;
        if (s.type() == NmeaSentence::Type::Rmc) {
            p.hasRmc = true;
            p.rmcValid = s.valid();
            if (s.hasSpeed() && s.knots() * kKmhPerKnot <= kMaxKmh) {
                p.hasSpeed = true;
                p.kmh = s.knots() * kKmhPerKnot;
            }
            if (s.hasCourse()) {
                p.hasCourse = true;
                p.course = s.courseDeg();
            }
            int64_t ms = 0;
            if (!p.hasUtc && s.utcMs(ms)) {
                p.hasUtc = true;
                p.utcMs = ms;
            }
        } else {
            p.ggaValid = p.ggaValid || s.valid();
        }
        // RMC's position wins: it comes with the status that vouches for it.
        if (s.hasPosition() && (!p.hasPosition || s.type() == NmeaSentence::Type::Rmc)) {
            p.hasPosition = true;
            p.latitude = s.latitude();
            p.longitude = s.longitude();
        }
    }

    void flush() {
        if (!pending_.active) return;
        const Pending& p = pending_;
        TelemetrySample s;
        s.clipMs = p.clipMs;
        const bool valid = p.hasRmc ? p.rmcValid : p.ggaValid;
        s.fix = valid && p.hasPosition && plausiblePosition(p.latitude, p.longitude);
        if (s.fix) {
            s.latitude = p.latitude;
            s.longitude = p.longitude;
        }
        if (p.hasSpeed) {
            s.hasSpeed = true;
            s.speedKmh = static_cast<float>(p.kmh);
        }
        if (p.hasCourse) {
            s.hasCourse = true;
            s.courseDeg = static_cast<float>(p.course);
        }
        // GGA alone has no date: it takes the last one RMC gave, a day on past midnight.
        if (p.hasUtc) {
            dayStartMs_ = p.utcMs - p.tod;
            hasDay_ = true;
            s.timeKind = TelemetryTime::Utc;
            s.timeMs = p.utcMs;
        } else if (hasDay_) {
            if (p.tod + kDayMs / 2 < lastTod_) dayStartMs_ += kDayMs;
            s.timeKind = TelemetryTime::Utc;
            s.timeMs = dayStartMs_ + p.tod;
        } else {
            creationTime(s);
        }
        lastTod_ = p.tod;
        if (s.timeKind == TelemetryTime::Utc) {
            anchored_ = true;
            utcMinusClipMs_ = s.timeMs - s.clipMs;
        }
        if (p.hasG) setG(s, p.g);
        pending_.active = false;
        add(s);
    }

    void creationTime(TelemetrySample& s) const {
        if (!hasCreation_) return;
        s.timeKind = TelemetryTime::Creation;
        s.timeMs = creation_ * 1000 + s.clipMs;
    }

    static void setG(TelemetrySample& s, const double g[3]) {
        s.hasAccel = true;
        s.accelX = static_cast<float>(g[0]);
        s.accelY = static_cast<float>(g[1]);
        s.accelZ = static_cast<float>(g[2]);
    }

    void add(const TelemetrySample& s) {
        // Samples stay in clip order even when a track's times go back.
        TelemetrySample ordered = s;
        if (!out_.samples.empty() && ordered.clipMs < out_.samples.back().clipMs)
            ordered.clipMs = out_.samples.back().clipMs;
        out_.add(ordered);
    }

    ClipTelemetry& out_;
    bool hasCreation_ = false;
    int64_t creation_ = 0;
    Pending pending_;
    bool thinkware_ = false;
    bool hasDay_ = false;
    int64_t dayStartMs_ = 0;
    int64_t lastTod_ = 0;
    bool anchored_ = false;
    int64_t utcMinusClipMs_ = 0;
};

}  // namespace

bool NmeaTrackReader::probe(const IsoFile& file) const {
    return nmeaTrack(file) != nullptr;
}

void NmeaTrackReader::read(const IsoFile& file, ClipTelemetry& out) const {
    const IsoTrack* track = nmeaTrack(file);
    if (!track) return;
    FixBuilder fixes(file, out);
    TrackPayloads payloads(file, *track, kMaxSampleBytes, &out);
    TrackPayload payload;
    while (payloads.next(payload) && out.samples.size() < ClipTelemetry::kSampleLimit) fixes.sample(payload);
    fixes.finish();
}
