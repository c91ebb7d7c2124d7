#pragma once
// Reads Garmin PNDM. (Layout and cameras: to be written by the reader's author.)
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class GarminPndmReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
