#include "telemetry/GpmfReader.h"

bool GpmfReader::probe(const IsoFile&) const {
    return false;
}

void GpmfReader::read(const IsoFile&, ClipTelemetry&) const {}
