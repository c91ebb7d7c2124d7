#include "telemetry/TelemetryFormat.h"

namespace {

struct FormatNames {
    std::string_view name;
    std::string_view label;
};

// Indexed by the format's number.
constexpr FormatNames kNames[kTelemetryFormatCount] = {
    {"none", "No GPS data"},
    {"camera-text", "Camera text"},
    {"novatek", "Novatek GPS"},
    {"novatek-v3", "Novatek GPS (v3)"},
    {"novatek-doubles", "Novatek GPS (doubles)"},
    {"nmea", "NMEA text track"},
    {"thinkware", "Thinkware NMEA"},
    {"blackvue", "BlackVue GPS"},
    {"gpmf", "GoPro GPMF"},
    {"camm", "CAMM"},
    {"garmin", "Garmin PNDM"},
    {"70mai", "70mai GPS"},
    {"vehicle-sei", "Vehicle data"},
};

}  // namespace

TelemetryFormat telemetryFormatOf(int value) {
    return value > 0 && value < kTelemetryFormatCount ? static_cast<TelemetryFormat>(value) : TelemetryFormat::None;
}

std::string_view telemetryFormatName(TelemetryFormat format) {
    return kNames[static_cast<int>(telemetryFormatOf(static_cast<int>(format)))].name;
}

std::string_view telemetryFormatLabel(TelemetryFormat format) {
    return kNames[static_cast<int>(telemetryFormatOf(static_cast<int>(format)))].label;
}
