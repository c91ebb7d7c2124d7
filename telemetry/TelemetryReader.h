#pragma once
// One data layout's reader. probe() says, cheaply, whether a clip holds the
// layout; read() then gets every sample it can, keeps what it could read of
// a damaged clip, and notes in ClipTelemetry::dropped what it left out. A
// recognised layout that cannot be read (encrypted) sets the format and
// `problem` and no samples. Readers never crash, hang or grow past the
// clip's bounds on hostile input.
//
// Threads: readers hold no state; any thread, also several at once.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/IsoFile.h"

class TelemetryReader {
public:
    virtual ~TelemetryReader() = default;
    virtual bool probe(const IsoFile& file) const = 0;
    virtual void read(const IsoFile& file, ClipTelemetry& out) const = 0;
};
