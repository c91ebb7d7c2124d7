#include "telemetry/SeventyMaiReader.h"

bool SeventyMaiReader::probe(const IsoFile&) const {
    return false;
}

void SeventyMaiReader::read(const IsoFile&, ClipTelemetry&) const {}
