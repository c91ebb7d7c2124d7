#pragma once
// The settings in memory: one instance for the whole process, created by the
// main window and filled by ConfigStore::LoadConfig right afterwards.
//
// Threads: the UI thread writes every field. Worker threads read `locale`
// and `mapKind` (coordinate conversion, map set-up) and the start-up thread
// reads the player's outputs; those do not change after start-up, except
// mapKind, which the start-up thread sets and is therefore atomic.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "config/UnitSystem.h"
#include "telemetry/DisplayZone.h"

#include <atomic>
#include <cstdint>
#include <string>

struct AppConfig {
    std::string languageFile;  // file name inside conf/sysconfig/
    std::string locale;        // "China" (exactly) or any other region
    std::atomic<uint8_t> mapKind{0};  // MAP_KIND_* of track/MapKind.h
    std::string videoOutput;   // the player's "-vo" value
    std::string audioOutput;   // the player's "-ao" value: "dsound" or "win32"
    int32_t soundDevice = 0;   // device number while audioOutput is "dsound"
    int32_t volume = 40;       // start value of the volume slider
    bool snapshotPreview = false;
    bool cleanTip = false;
    UnitSystem units = UnitSystem::Metric;  // speeds and distances shown
    DisplayZone displayZone;                // where UTC times from a clip's data are shown
    // How the cameras of one moment share the picture ("CameraLayout"), and
    // whether the partner is mirrored ("MirrorRear": a rear camera sees the
    // road as a mirror would not).
    cameras::CameraLayout cameraLayout = cameras::CameraLayout::Inset;
    cameras::CameraChannel largeCamera = cameras::CameraChannel::None;  // a car's camera shown large
    bool mirrorRear = false;
};
