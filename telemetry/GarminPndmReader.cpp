#include "telemetry/GarminPndmReader.h"

bool GarminPndmReader::probe(const IsoFile&) const {
    return false;
}

void GarminPndmReader::read(const IsoFile&, ClipTelemetry&) const {}
