#include "telemetry/VehicleChannels.h"

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
