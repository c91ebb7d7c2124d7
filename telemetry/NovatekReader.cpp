#include "telemetry/NovatekReader.h"

bool NovatekReader::probe(const IsoFile&) const {
    return false;
}

void NovatekReader::read(const IsoFile&, ClipTelemetry&) const {}
