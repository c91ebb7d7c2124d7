#pragma once
// Reads camera motion metadata (CAMM), written by 360-degree and street-view
// cameras (Insta360 Pro, ONE and X series, street-view mapping rigs and
// exports): a track with sample entry `camm` (handler `meta` or `camm`)
// whose samples hold little-endian packets {u16 reserved, u16 type, payload}.
// Type 6 gives the GPS fix with its time (seconds since the GPS epoch
// 1980-01-06, which runs ahead of UTC by the leap seconds; some writers count
// from 1970 instead: the epoch that lands nearer the clip's creation wins),
// position, and east/north velocity; type 5 a position without time (the
// clip's creation time plus the sample's moment); type 3 the acceleration in
// m/s^2. Packets of the other known types are skipped by their size; a
// packet of an unknown type or cut short ends its sample.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class CammReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
