#include "telemetry/VehicleChannels.h"

#include <cmath>

std::string_view vehicleGearName(VehicleGear gear) {
    switch (gear) {
    case VehicleGear::Park: return "P";
    case VehicleGear::Drive: return "D";
    case VehicleGear::Reverse: return "R";
    case VehicleGear::Neutral: return "N";
    }
    return "";
}

std::string_view driverAssistName(DriverAssist assist) {
    switch (assist) {
    case DriverAssist::None: return "none";
    case DriverAssist::SelfDriving: return "self-driving";
    case DriverAssist::Autosteer: return "autosteer";
    case DriverAssist::TrafficAwareCruise: return "traffic-aware-cruise";
    }
    return "";
}

bool plausibleVehicleChannels(const VehicleChannels& c) {
    if (c.steeringDeg && !(std::isfinite(*c.steeringDeg) && std::fabs(*c.steeringDeg) <= kMaxSteeringDeg)) return false;
    if (c.acceleratorPct && !(std::isfinite(*c.acceleratorPct) && *c.acceleratorPct >= 0.0f && *c.acceleratorPct <= 100.0f))
        return false;
    return (!c.gear || *c.gear <= VehicleGear::Neutral) && (!c.assist || *c.assist <= DriverAssist::TrafficAwareCruise);
}
