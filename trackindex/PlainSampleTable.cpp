#include "trackindex/PlainSampleTable.h"

#include "telemetry/BigEndian.h"
#include "telemetry/IsoFile.h"

#include <climits>
#include <cstdint>
#include <string>

namespace {

constexpr size_t kTableLimit = 16 + IsoFile::kMaxSamples * 12;

using bigEndian::u32;

// A full box's entries: the count after version and flags, every entry of
// `entry` bytes present.
bool table(const IsoFile& file, const IsoTrack& track, uint32_t type, size_t entry, std::string& data,
           uint32_t& count) {
    IsoBox box;
    if (!file.findChild(track.stbl, type, box) || !file.payload(box, data, kTableLimit) || data.size() < 8)
        return false;
    count = u32(data, 4);
    return count <= (data.size() - 8) / entry;
}

// The times: one count for every sample, durations FFmpeg keeps as they are.
bool plainTimes(const IsoFile& file, const IsoTrack& track, uint64_t samples) {
    std::string stts;
    uint32_t runs = 0;
    if (!table(file, track, fourcc("stts"), 8, stts, runs) || runs == 0) return false;
    uint64_t counted = 0, ticks = 0;
    for (uint32_t i = 0; i < runs; ++i) {
        const uint32_t count = u32(stts, 8 + i * 8), duration = u32(stts, 12 + i * 8);
        if (count == 0 || duration > INT32_MAX) return false;
        counted += count;
        ticks += uint64_t{count} * duration;
        if (counted > samples || ticks > INT64_MAX / 2) return false;
    }
    // FFmpeg shortens a single last sample ten times longer than the average.
    const uint32_t lastCount = u32(stts, 8 + (runs - 1) * 8), lastDuration = u32(stts, 12 + (runs - 1) * 8);
    if (runs > 1 && lastCount == 1 && samples > 100 && lastDuration / 10 > ticks / samples) return false;
    // FFmpeg ends the last sample at the shorter of the media's length and the
    // table's.
    return counted == samples && ticks > 0 && track.duration >= ticks;
}

// The chunks: runs from the first chunk on, in order, one description, as
// many samples as the sizes list, every chunk used.
bool plainChunks(const IsoFile& file, const IsoTrack& track, uint64_t samples) {
    std::string stsc, stco;
    uint32_t runs = 0, chunks = 0;
    IsoBox box;
    const bool wide = file.findChild(track.stbl, fourcc("co64"), box);
    if (!table(file, track, fourcc("stsc"), 12, stsc, runs) || runs == 0 ||
        !table(file, track, fourcc(wide ? "co64" : "stco"), wide ? 8 : 4, stco, chunks) || chunks == 0)
        return false;
    uint64_t counted = 0;
    for (uint32_t i = 0; i < runs; ++i) {
        const uint32_t first = u32(stsc, 8 + i * 12), perChunk = u32(stsc, 12 + i * 12);
        const uint32_t next = i + 1 < runs ? u32(stsc, 20 + i * 12) : chunks + 1;
        if ((i == 0 && first != 1) || next <= first || next > chunks + 1 || perChunk == 0 || perChunk > INT32_MAX ||
            u32(stsc, 16 + i * 12) != 1)
            return false;
        counted += uint64_t{next - first} * perChunk;
        if (counted > samples) return false;
    }
    return counted == samples;
}

}  // namespace

bool PlainSampleTable::check(const IsoFile& file, const IsoTrack& track, size_t samples) {
    std::string stsz;
    IsoBox box;
    if (track.timescale == 0 || track.timescale > INT32_MAX || !file.findChild(track.stbl, fourcc("stsz"), box) ||
        !file.payload(box, stsz, kTableLimit) || stsz.size() < 12 || u32(stsz, 8) != samples)
        return false;
    if (u32(stsz, 4) == 0 && (stsz.size() - 12) / 4 < samples) return false;
    return plainTimes(file, track, samples) && plainChunks(file, track, samples);
}
