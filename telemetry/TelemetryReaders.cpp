#include "telemetry/TelemetryReaders.h"

#include "cameras/CameraNaming.h"

#include "telemetry/BlackVueReader.h"
#include "telemetry/CammReader.h"
#include "telemetry/GarminPndmReader.h"
#include "telemetry/GpmfReader.h"
#include "telemetry/NmeaTrackReader.h"
#include "telemetry/NovatekReader.h"
#include "telemetry/SeventyMaiReader.h"
#include "telemetry/VehicleSeiReader.h"

namespace {

bool hasTextTrack(const IsoFile& file) {
    for (const IsoTrack& track : file.tracks())
        if (track.isText()) return true;
    return false;
}

const BlackVueReader kBlackVue;
const CammReader kCamm;
const GarminPndmReader kGarmin;
const GpmfReader kGpmf;
const NmeaTrackReader kNmea;
const NovatekReader kNovatek;
const SeventyMaiReader kSeventyMai;
const VehicleSeiReader kVehicleSei;

// Tried in this order; the first whose probe says yes reads the clip. Layouts
// in boxes of their own first, then the tracks whose content tells them
// apart, then any other text track (the camera's: the null slot, filled by
// the caller's reader), then the car's messages in the video's first frames,
// and last the Novatek blocks, whose probe may look
// into the media data.
const TelemetryReader* const kReaders[] = {
    &kSeventyMai, &kBlackVue, &kGpmf, &kCamm, &kGarmin, &kNmea, nullptr, &kVehicleSei, &kNovatek,
};

}  // namespace

void readTelemetry(const IsoFile& file, ClipTelemetry& out, const TelemetryReader* cameraText) {
    out.clear();
    // A car's own clips hold no Novatek blocks: its cameras without per-frame
    // data are spared the search through their video.
    const bool carClip = cameras::CameraNaming::parse(file.path()).family == cameras::CameraFamily::Tesla;
    for (const TelemetryReader* slot : kReaders) {
        const TelemetryReader* reader = slot != nullptr ? slot : cameraText;
        if (reader == nullptr) {
            if (!hasTextTrack(file)) continue;
            out.format = TelemetryFormat::CameraText;  // recognised only: the caller reads it its own way
            return;
        }
        if (carClip && reader == &kNovatek) continue;
        if (!reader->probe(file)) continue;
        reader->read(file, out);
        return;
    }
}

bool readTelemetryFile(const std::string& path, ClipTelemetry& out, std::string& reason,
                       const std::atomic<bool>* stop, const TelemetryReader* cameraText) {
    out.clear();
    IsoFile file;
    file.setStopFlag(stop);
    if (!file.open(path, reason)) return false;
    readTelemetry(file, out, cameraText);
    return true;
}
