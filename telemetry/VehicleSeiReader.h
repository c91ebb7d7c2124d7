#pragma once
// Reads the data that cars with built-in cameras write into every frame of
// their H.264 video (VehicleSeiSample finds it, VehicleFrameMessage decodes
// it): one sample per frame whose message is there and sound, with the speed
// in km/h, the position and heading where the position is a place, the
// acceleration in G and the vehicle channels. A frame without a message, or
// with a damaged one, gives no sample; its neighbours still do.
//
// Only the first bytes of each video sample are read (kFirstBytes, more only
// while the units before the first slice need it, up to kMaxStartBytes),
// never the picture. They are copied out of a read-only mapping of the file
// (platform::GuardedMapping: no system call per frame, and a clip cut short
// meanwhile ends the reading instead of the program); where the file cannot
// be mapped, starts of samples that lie close together are read in one go.
//
// The message holds no time: a frame's time is the clip's start from its
// name (the car's own clock) plus the frame's moment; a clip renamed beyond
// recognition falls back to the movie's creation time.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

#include <cstddef>
#include <cstdint>

class VehicleSeiReader : public TelemetryReader {
public:
    static constexpr size_t kFirstBytes = 512;
    static constexpr size_t kMaxStartBytes = 256 * 1024;
    // Starts of samples at most this far apart are read together...
    static constexpr uint64_t kBatchGap = 4096;
    // ...in reads of at most this many bytes.
    static constexpr uint64_t kMaxBatch = 256 * 1024;
    // All reads of one clip together, at most (a table that points many
    // times at the same bytes cannot make the reader read them over and over).
    static constexpr uint64_t kMaxTotalBytes = 256ull * 1024 * 1024;
    // The first samples a probe looks into.
    static constexpr size_t kProbeSamples = 3;

    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
