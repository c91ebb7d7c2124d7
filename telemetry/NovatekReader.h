#pragma once
// Reads Novatek "freeGPS" blocks (NovatekBlock: classic, v3 with G-sensor,
// doubles), written inside the media data once a second by Viofo A119/A119S,
// A119 V3, A129 and A139, Kenwood DRV-A510W and many white-label Novatek
// cameras. The blocks are found through the `moov/gps ` index of
// {offset, size} pairs; when the index is missing, damaged (entries outside
// the media data or not at a block) or gives nothing, every `mdat` is
// searched for the block signature instead, and the rest of the file too
// when `moov` was never written (a power cut). The search reads the file
// once, in large chunks.
//
// Times: UTC from the block, or the camera's clock when it wrote the year in
// full. The moment in the clip is the time since the first block's time, or
// one second per block where that gives nothing sensible.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class NovatekReader : public TelemetryReader {
public:
    // How much media data probe() searches for a block when there is no index.
    static constexpr uint64_t kProbeBytes = 32ull * 1024 * 1024;
    // The search without an index reads at most this much: all of any clip
    // a camera's card holds, the first and last halves of anything larger.
    static constexpr uint64_t kSearchBytes = 4ull * 1024 * 1024 * 1024;

    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
