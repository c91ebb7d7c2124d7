#include "telemetry/GarminPndmReader.h"

#include "telemetry/BigEndian.h"
#include "telemetry/TrackPayloads.h"

#include <cstdint>

namespace {

// A record with room for a trailing box some writers add.
constexpr size_t kMaxSampleBytes = 256;
// Samples looked at before a track is judged not to hold PNDM records.
constexpr size_t kProbeSamples = 64;
constexpr double kKmhPerMph = 1.609344;
// Faster is no car's speed but garbage.
constexpr double kMaxKmh = 3600.0;

// The record itself: after the u16 length, or after a u32 size some writers use.
bool recordBytes(std::string_view bytes, std::string_view& record) {
    if (bytes.size() >= 6 && bytes.substr(2, 4) == "PNDM")
        record = bytes.substr(2);
    else if (bytes.size() >= 8 && bytes.substr(4, 4) == "PNDM")
        record = bytes.substr(4);
    else
        return false;
    return record.size() >= 20;
}

// Whether a sample holds nothing at all (a zero length), which a camera writes before it starts.
bool emptySample(std::string_view bytes) {
    return bytes.size() <= 2 || (bytes[0] == 0 && bytes[1] == 0);
}

const IsoTrack* pndmTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks()) {
        if (!track.isText()) continue;
        TrackPayloads payloads(file, track, kMaxSampleBytes, nullptr);
        TrackPayload payload;
        TelemetrySample sample;
        for (size_t n = 0; n < kProbeSamples && payloads.next(payload); ++n) {
            if (GarminPndmReader::readRecord(payload.bytes, sample)) return &track;
            if (!emptySample(payload.bytes)) break;
        }
    }
    return nullptr;
}

}  // namespace

bool GarminPndmReader::readRecord(std::string_view bytes, TelemetrySample& sample) {
    std::string_view record;
    if (!recordBytes(bytes, record)) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(record.data());
    const auto lat = static_cast<int32_t>(bigEndian::u32(p + 12));
    const auto lon = static_cast<int32_t>(bigEndian::u32(p + 16));
    constexpr double kDegreesPerUnit = 180.0 / 2147483648.0;
    sample.latitude = lat * kDegreesPerUnit;
    sample.longitude = lon * kDegreesPerUnit;
    sample.fix = lat != INT32_MIN && lon != INT32_MIN && plausiblePosition(sample.latitude, sample.longitude);
    if (!sample.fix) sample.latitude = sample.longitude = 0.0;
    // Without a fix the speed is whatever the camera last knew, or nothing.
    const double kmh = bigEndian::u16(p + 8) * kKmhPerMph;
    sample.hasSpeed = sample.fix && kmh <= kMaxKmh;
    sample.speedKmh = sample.hasSpeed ? static_cast<float>(kmh) : 0.0f;
    return true;
}

bool GarminPndmReader::probe(const IsoFile& file) const {
    return pndmTrack(file) != nullptr;
}

void GarminPndmReader::read(const IsoFile& file, ClipTelemetry& out) const {
    const IsoTrack* track = pndmTrack(file);
    if (!track) return;
    out.format = TelemetryFormat::Garmin;
    int64_t creation = 0;
    const bool hasCreation = file.creationTime(creation);
    TrackPayloads payloads(file, *track, kMaxSampleBytes, &out);
    TrackPayload payload;
    while (payloads.next(payload)) {
        TelemetrySample sample;
        if (!readRecord(payload.bytes, sample)) {
            if (!emptySample(payload.bytes)) out.drop("a sample that is no PNDM record was skipped");
            continue;
        }
        sample.clipMs = payload.clipMs;
        if (hasCreation) {
            sample.timeKind = TelemetryTime::Creation;
            sample.timeMs = creation * 1000 + payload.clipMs;
        }
        if (!out.add(sample)) break;
    }
}
