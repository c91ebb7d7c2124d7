#pragma once
// One parsed track text: date and time, position, speed and the three
// G-sensor axes; and, from a car that records itself, its own channels.
// A plain value; whoever owns it decides which thread uses it.
#include "telemetry/VehicleChannels.h"

#include <cstdint>
#include <optional>

struct TrackRecord {
    bool valid = false;  // false: the other fields mean nothing
    int32_t year = 0;
    uint8_t month = 0;  // low 8 bits of each parsed number
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    double longitude = 0.0;        // decimal degrees, east positive
    char longitudeHemisphere = 0;  // 'E' or 'W'
    uint8_t longitudeDegrees = 0;
    uint8_t longitudeMinutes = 0;
    float longitudeSeconds = 0.0f;
    double mapLongitude = 0.0;    // in the datum of the map in use; written by the page conversion
    double latitude = 0.0;        // decimal degrees, north positive
    char latitudeHemisphere = 0;  // 'N' or 'S'
    uint8_t latitudeDegrees = 0;
    uint8_t latitudeMinutes = 0;
    float latitudeSeconds = 0.0f;
    double mapLatitude = 0.0;
    float speed = 0.0f;  // km/h
    int32_t accelX = 0;  // G-sensor values as written, unscaled
    int32_t accelY = 0;
    int32_t accelZ = 0;
    bool hasAccel = true;  // false: no G-sensor reading at this moment (the axes mean nothing)
    bool hasFix = true;    // false: no position at this moment (latitude and longitude mean nothing)
    bool hasSpeed = true;  // false: no speed at this moment
    uint16_t millisecond = 0;  // the time's fraction of a second, where the data has one
    std::optional<VehicleChannels> vehicle;  // the car's own channels; empty from every other camera
};

// A valid record with a position: the camera writes exactly 0° 0' 0" on both
// axes when it has no fix, and such a point is no place the car has been.
inline bool hasPositionFix(const TrackRecord& record) {
    return record.valid && record.hasFix && !(record.latitude == 0.0 && record.longitude == 0.0);
}

// What the track store keeps of a parsed record: whether it is valid and,
// when it is, its time, position, speed and axes (and which of them it has).
// An invalid record only marks its place; its other fields are not read.
inline void copyStoredFields(const TrackRecord& from, TrackRecord& to) {
    to.valid = from.valid;
    if (!from.valid) return;
    to.year = from.year;
    to.month = from.month;
    to.day = from.day;
    to.hour = from.hour;
    to.minute = from.minute;
    to.second = from.second;
    to.longitude = from.longitude;
    to.latitude = from.latitude;
    to.speed = from.speed;
    to.accelX = from.accelX;
    to.accelY = from.accelY;
    to.accelZ = from.accelZ;
    to.hasAccel = from.hasAccel;
    to.hasFix = from.hasFix;
    to.hasSpeed = from.hasSpeed;
    to.millisecond = from.millisecond;
    to.vehicle = from.vehicle;
}
