#pragma once
// The data layouts the readers know, with the name the tool and the index use
// ("novatek", "gpmf", ...) and the label the player shows ("Novatek GPS").
// Plain functions; any thread.
#include <cstdint>
#include <string_view>

enum class TelemetryFormat : uint8_t {
    None = 0,
    CameraText = 1,      // the camera's text subtitle track
    Novatek = 2,         // freeGPS blocks, classic layout
    NovatekV3 = 3,       // freeGPS blocks with the G-sensor
    NovatekDoubles = 4,  // freeGPS blocks of doubles
    Nmea = 5,            // NMEA sentences in a text track
    Thinkware = 6,       // NMEA with a G-sensor part
    BlackVue = 7,        // top-level free box (or .gps/.3gf files)
    Gpmf = 8,            // GoPro metadata track
    Camm = 9,            // camera motion metadata track
    Garmin = 10,         // PNDM samples in a text track
    SeventyMai = 11,     // top-level "GPS " box
    VehicleSei = 12,     // a car's own data in every H.264 frame
};

constexpr int kTelemetryFormatCount = 13;

// "camera-text", "novatek", ... "none".
std::string_view telemetryFormatName(TelemetryFormat format);
// "Camera text", "Novatek GPS", ... "No GPS data".
std::string_view telemetryFormatLabel(TelemetryFormat format);
// The format of a stored number, None when it is no known one.
TelemetryFormat telemetryFormatOf(int value);
