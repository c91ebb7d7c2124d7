#pragma once
// What a car says of itself at one moment, beside where it is and how fast:
// the steering wheel, the accelerator pedal, the brake, the indicators, the
// gear and the driver-assistance state. Each channel is empty where the data
// does not give it. A plain value; any thread.
#include <cstdint>
#include <optional>
#include <string_view>

enum class VehicleGear : uint8_t { Park = 0, Drive = 1, Reverse = 2, Neutral = 3 };

enum class DriverAssist : uint8_t { None = 0, SelfDriving = 1, Autosteer = 2, TrafficAwareCruise = 3 };

struct VehicleChannels {
    std::optional<float> steeringDeg;     // the wheel's angle, degrees
    std::optional<float> acceleratorPct;  // the pedal's position, 0-100
    std::optional<bool> brake;            // applied
    std::optional<bool> indicatorLeft;    // on
    std::optional<bool> indicatorRight;
    std::optional<VehicleGear> gear;
    std::optional<DriverAssist> assist;

    bool operator==(const VehicleChannels&) const = default;
};

// The most a steering wheel's angle can be, either way: several turns lock
// to lock, with room for cars that count the rack's ratio in.
constexpr float kMaxSteeringDeg = 3600.0f;

// Whether every channel given is one a car can show: a finite angle within
// kMaxSteeringDeg, a pedal from 0 to 100 %, a known gear and state.
bool plausibleVehicleChannels(const VehicleChannels& channels);

// "P", "D", "R", "N".
std::string_view vehicleGearName(VehicleGear gear);
// "none", "self-driving", "autosteer", "traffic-aware-cruise".
std::string_view driverAssistName(DriverAssist assist);
