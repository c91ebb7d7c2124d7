#include "telemetry/NmeaTrackReader.h"

bool NmeaTrackReader::probe(const IsoFile&) const {
    return false;
}

void NmeaTrackReader::read(const IsoFile&, ClipTelemetry&) const {}
