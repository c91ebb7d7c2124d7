// A car's own channels in the real program (Xvfb): the panel's vehicle rows
// are hidden until a clip gives them, and paused at a moment they show that
// frame's generated steering, pedal, brake, indicators, gear and assistance;
// the chart draws the car's speed, pedal and brake as the settings chose,
// and a choice of the chart's menu is drawn and kept.
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"
#include "support/VehicleSeiClips.h"

#include <QJsonObject>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPaused = 4;
constexpr int kFrameRate = 36;

QJsonObject vehicleRows(const QJsonObject& d) {
    return d["vehicle"].toObject();
}

// The rows as the panel shows frame k, in English.
QJsonObject expectedRows(int k) {
    const VehicleFrame f = testing_support::vehicleFrameAt(k);
    char steering[32], pedal[32];
    std::snprintf(steering, sizeof steering, "Steering: %.1f\xC2\xB0", f.steeringDeg);
    std::snprintf(pedal, sizeof pedal, "Accelerator: %.1f %%", f.acceleratorPct);
    const char* const gears[] = {"P", "D", "R", "N"};
    const char* const assists[] = {"off", "self-driving", "Autosteer", "traffic-aware cruise"};
    const char* indicators = f.indicatorLeft && f.indicatorRight ? "both"
                             : f.indicatorLeft                   ? "left"
                             : f.indicatorRight                  ? "right"
                                                                 : "off";
    return {{"LabelSteering", QString::fromUtf8(steering)},
            {"LabelAccelerator", QString::fromUtf8(pedal)},
            {"LabelBrake", QString("Brake: ") + (f.brake ? "on" : "off")},
            {"LabelIndicators", QString("Indicators: ") + indicators},
            {"LabelGear", QString("Gear: ") + gears[f.gear]},
            {"LabelAssist", QString("Driver assistance: ") + assists[f.assist]}};
}

class VehiclePanel : public ProgramFixture {};

TEST_F(VehiclePanel, PausedMomentShowsTheFramesChannels) {
    const std::string folder = home.path() + "TeslaCam/";
    std::filesystem::create_directories(folder);
    const std::string clip = folder + "2026-12-07_10-15-22-front.mp4";
    testing_support::VehicleClipSpec spec;
    spec.frames = 10 * kFrameRate;
    spec.frameRate = kFrameRate;
    ASSERT_EQ(testing_support::makeVehicleClip(clip, spec), "");
    writeSettings("ChartShows=car\n");
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);
    // No clip, no car: every row hidden.
    for (const QJsonValue row : vehicleRows(dump)) EXPECT_TRUE(row.isNull()) << text(dump);
    EXPECT_EQ(vehicleRows(dump).size(), 6);

    EXPECT_TRUE(driver.ask("drop " + clip)["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return !vehicleRows(d)["LabelGear"].isNull(); }, 30s)) << text(dump);
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == kPaused; }, 5s)) << text(dump);
    EXPECT_TRUE(driver.ask("slide sliderProgress 5")["ok"].toBool());
    // The frame shown: at the paused moment, or the one before when the
    // player's time lies a hair below the frame's.
    const auto showsItsFrame = [](const QJsonObject& d) {
        const qint64 ms = player(d)["positionMs"].toInteger();
        if (std::abs(ms - 5000) > 100) return false;
        const int k = static_cast<int>(std::floor(static_cast<double>(ms) * kFrameRate / 1000.0 + 1e-6));
        return vehicleRows(d) == expectedRows(k) || vehicleRows(d) == expectedRows(k - 1);
    };
    EXPECT_TRUE(waitFor(showsItsFrame, 10s)) << text(dump);
    EXPECT_EQ(chart(dump)["shows"].toString(), "car");
    EXPECT_GT(chart(dump)["Speed"].toInt(), 0) << text(dump);
    EXPECT_EQ(chart(dump)["Brake"].toInt(), chart(dump)["Speed"].toInt());
    // The menu's choice is drawn and kept.
    EXPECT_TRUE(driver.ask("chart both")["ok"].toBool());
    EXPECT_TRUE(waitFor([](const QJsonObject& d) { return chart(d)["shows"].toString() == "both"; }, 5s));
    std::ifstream settings(settingsPath());
    const std::string kept((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    EXPECT_NE(kept.find("ChartShows=both"), std::string::npos) << kept;
    capture("vehicle-panel.png");
    quitCleanly();
}

}  // namespace
