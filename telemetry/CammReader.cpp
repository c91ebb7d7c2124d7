#include "telemetry/CammReader.h"

bool CammReader::probe(const IsoFile&) const {
    return false;
}

void CammReader::read(const IsoFile&, ClipTelemetry&) const {}
