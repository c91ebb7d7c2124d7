#pragma once
// The car's message of one video frame, as the car writes it: a Protocol
// Buffers message (proto3) of its version, gear, frame number, speed (m/s),
// pedal, steering, indicators, brake, driver-assistance state, position,
// heading and acceleration (m/s^2). Fields absent from the message are their
// zero value; fields may come in any order, a repeated field's last value
// counts, unknown fields are skipped by their wire type. A message that is
// cut short, has a varint of more than ten bytes, a known field of the wrong
// wire type, a field number 0 or a group is damaged and gives nothing.
//
// Pure; any thread.
#include <cstdint>
#include <string_view>

struct VehicleFrame {
    uint32_t version = 0;
    int32_t gear = 0;  // 0 park, 1 drive, 2 reverse, 3 neutral
    uint64_t frameNumber = 0;
    float speedMs = 0.0f;
    float acceleratorPct = 0.0f;
    float steeringDeg = 0.0f;
    bool indicatorLeft = false;
    bool indicatorRight = false;
    bool brake = false;
    int32_t assist = 0;  // 0 none, 1 self-driving, 2 autosteer, 3 traffic-aware cruise
    double latitude = 0.0;
    double longitude = 0.0;
    double headingDeg = 0.0;
    double accelX = 0.0;  // m/s^2
    double accelY = 0.0;
    double accelZ = 0.0;
};

class VehicleFrameMessage {
public:
    // false when the message is damaged; frame is then unspecified.
    static bool decode(std::string_view message, VehicleFrame& frame);
};
