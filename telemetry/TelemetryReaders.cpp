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

// The camera's own track: a text subtitle track that no reader above claimed.
// It is read by the converter's path, so only its presence is told here.
class CameraTextProbe : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override {
        for (const IsoTrack& track : file.tracks())
            if (track.isText()) return true;
        return false;
    }
    void read(const IsoFile&, ClipTelemetry& out) const override { out.format = TelemetryFormat::CameraText; }
};

const BlackVueReader kBlackVue;
const CammReader kCamm;
const GarminPndmReader kGarmin;
const GpmfReader kGpmf;
const NmeaTrackReader kNmea;
const NovatekReader kNovatek;
const SeventyMaiReader kSeventyMai;
const VehicleSeiReader kVehicleSei;
const CameraTextProbe kCameraText;

// Tried in this order; the first whose probe says yes reads the clip. Layouts
// in boxes of their own first, then the tracks whose content tells them
// apart, then any other text track (the camera's), then the car's messages
// in the video's first frames, and last the Novatek blocks, whose probe may
// look into the media data.
const TelemetryReader* const kReaders[] = {
    &kSeventyMai, &kBlackVue, &kGpmf, &kCamm, &kGarmin, &kNmea, &kCameraText, &kVehicleSei, &kNovatek,
};

}  // namespace

void readTelemetry(const IsoFile& file, ClipTelemetry& out) {
    out.clear();
    // A car's own clips hold no Novatek blocks: its cameras without per-frame
    // data are spared the search through their video.
    const bool carClip = cameras::CameraNaming::parse(file.path()).family == cameras::CameraFamily::Tesla;
    for (const TelemetryReader* reader : kReaders) {
        if (carClip && reader == &kNovatek) continue;
        if (!reader->probe(file)) continue;
        reader->read(file, out);
        return;
    }
}

bool readTelemetryFile(const std::string& path, ClipTelemetry& out, std::string& reason,
                       const std::atomic<bool>* stop) {
    out.clear();
    IsoFile file;
    file.setStopFlag(stop);
    if (!file.open(path, reason)) return false;
    readTelemetry(file, out);
    return true;
}
