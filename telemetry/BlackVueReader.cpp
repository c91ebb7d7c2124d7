#include "telemetry/BlackVueReader.h"

bool BlackVueReader::probe(const IsoFile&) const {
    return false;
}

void BlackVueReader::read(const IsoFile&, ClipTelemetry&) const {}
