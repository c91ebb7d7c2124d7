#pragma once
// Reads the data of BlackVue's DR series (DR900S and the like): a
// top-level `free` box whose child boxes include `gps ` (NMEA lines stamped
// with epoch milliseconds) and `3gf ` (G-sensor records), and `sttm` (the
// clip's start on the camera's clock); BlackVueData decodes them. A clip
// without that box is read from the `.gps` and `.3gf` files beside it (same
// name, extension in either case; regular files of at most kMaxSidecarBytes).
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class BlackVueReader : public TelemetryReader {
public:
    static constexpr size_t kMaxSidecarBytes = 16 * 1024 * 1024;  // also each box read

    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
