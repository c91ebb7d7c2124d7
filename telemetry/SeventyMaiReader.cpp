#include "telemetry/SeventyMaiReader.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr size_t kChunkRecords = 29127;  // about 1 MiB a read
constexpr double kMaxSpeedKmh = 1000.0;

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// DDMM.MMM x 1000 to degrees; false when it is no coordinate.
bool degreesOf(uint32_t thousandths, char letter, char positive, char negative, double limit, double& degrees) {
    if (letter != positive && letter != negative) return false;
    const uint32_t whole = thousandths / 100000;
    const double minutes = (thousandths % 100000) / 1000.0;
    degrees = whole + minutes / 60.0;
    if (minutes >= 60.0 || degrees > limit) return false;
    if (letter == negative) degrees = -degrees;
    return true;
}

enum class Record { Sample, End, Bad };

Record decode(const unsigned char* p, TelemetrySample& s) {
    if (std::all_of(p, p + SeventyMaiReader::kRecordSize, [](unsigned char c) { return c == 0; })) return Record::End;
    const uint32_t seconds = le32(p + 8), speed = le32(p + 12), latitude = le32(p + 17), longitude = le32(p + 22);
    s.clipMs = int64_t(seconds) * 1000;
    // Without a fix the camera writes the letters and zero coordinates.
    if (latitude == 0 && longitude == 0) return Record::Sample;
    double lat = 0.0, lon = 0.0;
    if (!degreesOf(latitude, char(p[16]), 'N', 'S', 90.0, lat) ||
        !degreesOf(longitude, char(p[21]), 'E', 'W', 180.0, lon))
        return Record::Bad;
    s.latitude = lat;
    s.longitude = lon;
    s.fix = plausiblePosition(lat, lon);
    if (s.fix && speed / 1000.0 <= kMaxSpeedKmh) {
        s.hasSpeed = true;
        s.speedKmh = static_cast<float>(speed / 1000.0);
    }
    return Record::Sample;
}

}  // namespace

bool SeventyMaiReader::probe(const IsoFile& file) const {
    return file.findTop(fourcc("GPS ")) != nullptr;
}

void SeventyMaiReader::read(const IsoFile& file, ClipTelemetry& out) const {
    out.clear();
    out.format = TelemetryFormat::SeventyMai;
    const IsoBox* box = file.findTop(fourcc("GPS "));
    if (!box) return;
    int64_t creation = 0;
    const bool hasCreation = file.creationTime(creation);
    const uint64_t records = box->payloadSize() / kRecordSize;
    size_t bad = 0;
    bool ended = false, unordered = false;
    std::string chunk;
    for (uint64_t first = 0; first < records && !ended;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(kChunkRecords, records - first));
        if (!file.read(box->payloadOffset() + first * kRecordSize, count * kRecordSize, chunk)) break;
        first += count;
        const auto* p = reinterpret_cast<const unsigned char*>(chunk.data());
        for (size_t i = 0; i < count; ++i, p += kRecordSize) {
            TelemetrySample s;
            const Record r = decode(p, s);
            if (r == Record::End) {
                ended = true;
                break;
            }
            if (r == Record::Bad) {
                ++bad;
                continue;
            }
            if (hasCreation) {
                s.timeMs = creation * 1000 + s.clipMs;
                s.timeKind = TelemetryTime::Creation;
            }
            if (!out.samples.empty() && s.clipMs < out.samples.back().clipMs) unordered = true;
            if (!out.add(s)) {
                ended = true;
                break;
            }
        }
    }
    if (unordered)
        std::stable_sort(out.samples.begin(), out.samples.end(),
                         [](const TelemetrySample& a, const TelemetrySample& b) { return a.clipMs < b.clipMs; });
    if (bad > 0) out.drop(std::to_string(bad) + " records with an impossible position left out");
    if (!ended) out.drop("the list has no end mark: the " + std::to_string(records) + " whole records were read");
    if (!ended && box->payloadSize() % kRecordSize != 0) out.drop("a record cut short at the end of the box left out");
    if (out.samples.empty()) out.problem = "the GPS box holds no records";
}
