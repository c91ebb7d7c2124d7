#pragma once
// Reads GoPro's GPMF metadata, written by GoPro HERO5 and later (mounted as
// dash cameras) and some motorcycle cameras: a track with sample entry `gpmd`
// (handler `meta`) whose samples, one a second, hold nested big-endian KLV
// records: key, type, element size, repeat count, data padded to four bytes.
// Read are GPS5 (with GPSU, the UTC time of its first fix, and GPSF, the fix
// kind; the fixes share the sample's duration evenly), GPS9 (HERO11 and
// later: each fix with its own date and time), and ACCL (m/s^2, given as G
// and averaged to the chart's rate, see GSensorWindows), each with SCAL
// applied per field. Other cameras reuse the sample entry for data of their
// own: a sample is read only when it starts with DEVC.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class GpmfReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
