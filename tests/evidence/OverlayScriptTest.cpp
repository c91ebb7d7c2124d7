// The burned-in band's line of a car's moment: its brake and driver
// assistance where the car gives them, nothing of them from other cameras.
#include "evidence/OverlayScript.h"

#include <gtest/gtest.h>

TEST(OverlayScript, ACarsLineCarriesItsBrakeAndAssistance) {
    TrackRecord r;
    r.valid = true;
    r.year = 2026, r.month = 12, r.day = 7, r.hour = 10, r.minute = 15, r.second = 22;
    r.latitude = 52.51627, r.longitude = 13.37770, r.speed = 54.0f;
    r.hasAccel = false;
    const std::string plain = OverlayScript::line(r, UnitSystem::Metric);
    EXPECT_EQ(plain, "2026-12-07 10:15:22 UTC   54 km/h   N52.51627 E13.37770");

    r.vehicle.emplace();
    EXPECT_EQ(OverlayScript::line(r, UnitSystem::Metric), plain);  // no such channels: nothing added
    r.vehicle->brake = true;
    r.vehicle->assist = DriverAssist::Autosteer;
    EXPECT_EQ(OverlayScript::line(r, UnitSystem::Metric), plain + "   Brake on   Autosteer");
    r.vehicle->brake = false;
    r.vehicle->assist = DriverAssist::None;
    EXPECT_EQ(OverlayScript::line(r, UnitSystem::Metric), plain + "   Brake off   Assist off");
}
