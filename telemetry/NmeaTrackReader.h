#pragma once
// Reads NMEA sentences from a text track (handler `text` or `sbtl`, sample
// entry `text` or `tx3g`), written by many Ambarella and MStar based cameras,
// some Nextbase models, and Thinkware (F770, F800, U1000, Q800 ...). Each
// sample is a u16 BE length and text: RMC and GGA sentences of any talker,
// separated by CR LF, checksums checked. Sentences with the same time make
// one fix: RMC gives the date, status, speed and course, GGA the fix quality.
// Thinkware drops the `$` and separates parts with `;`, one of them the
// G-sensor, `gsensori,4,512,X,Y,Z`: a range of 4 G over 512 counts, so
// G = value x 4 / 512 (a camera at rest reads about 1 G across its axes
// then). Only a track whose first samples hold such sentences is claimed,
// so a camera's own text track and Garmin's PNDM records are not.
//
// Threads: no state; any thread.
#include "telemetry/TelemetryReader.h"

class NmeaTrackReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
};
