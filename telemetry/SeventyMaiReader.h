#pragma once
// Reads the top-level `GPS ` box of 70mai cameras (Pro, Pro Plus):
// 36-byte little-endian records {1, 1, seconds from the clip's start, speed
// in km/h x 1000, N/S, latitude DDMM.MMM x 1000, E/W, longitude x 1000, ten
// zero bytes}, ended by 36 zero bytes. The records carry no date: a sample's
// time is the clip's creation time plus its seconds.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class SeventyMaiReader : public TelemetryReader {
public:
    static constexpr size_t kRecordSize = 36;

    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
