#pragma once
// Reads Garmin's PNDM records, written by the Garmin Dash Cam 35 to 66W (and
// Mini, Tandem) into a text track: each sample is `00 14` (the length),
// `PNDM`, four zero bytes, the speed in mph (u16 BE), two flag bytes (the
// second set when the driver flagged an event), then latitude and longitude
// as i32 BE in units of 180 / 2^31 degrees, -2^31 when there is no fix. The
// records carry no time: a sample's time is the clip's creation time plus
// its moment in the clip.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

#include <string_view>

class GarminPndmReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;

    // One sample's bytes into `sample` (position, speed); false when they are
    // no PNDM record.
    static bool readRecord(std::string_view bytes, TelemetrySample& sample);
};
