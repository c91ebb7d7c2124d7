// Clips of every camera data layout in the real program (Xvfb): each plays
// with its map line, the car marker and the panel following the picture
// (paused, seeking, stepping, faster), and its G-sensor chart, or an empty
// chart where the layout has no G-sensor. The panel shows the data's UTC in
// the zone of the settings.
#include "support/DumpFields.h"
#include "support/MadeUpDrive.h"
#include "support/ProgramHarness.h"
#include "support/TelemetryClips.h"

#include <QJsonArray>
#include <cmath>
#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using namespace program_harness;
using testing_support::ClipLayout;

namespace {

constexpr int kPlaying = 3;
constexpr int kPaused = 4;
constexpr double kDriveSeconds = 15.0;
// One record every 0.2 s from 0 to the last moment (14 s).
constexpr int kRecords = 71;

struct LayoutCase {
    ClipLayout layout;
    const char* name;
    bool gSensor;
};

const std::vector<LayoutCase> kLayouts = {
    {ClipLayout::Novatek, "01_novatek.MP4", false},
    {ClipLayout::NovatekV3, "02_novatek_v3.MP4", true},
    {ClipLayout::NovatekDoubles, "03_doubles.MP4", true},
    {ClipLayout::Nmea, "04_nmea.MP4", false},
    {ClipLayout::Thinkware, "05_thinkware.MP4", true},
    {ClipLayout::BlackVue, "06_blackvue.MP4", true},
    {ClipLayout::Gpmf, "07_gpmf.MP4", true},
    {ClipLayout::GpmfGps9, "08_gps9.MP4", true},
    {ClipLayout::Camm, "09_camm.MP4", true},
    {ClipLayout::Garmin, "10_garmin.MP4", false},
    {ClipLayout::SeventyMai, "11_70mai.MP4", false},
};

qint64 positionMs(const QJsonObject& d) {
    return player(d)["positionMs"].toInteger();
}

// The number of "Speed: 61.5 km/h"; NaN when there is none.
double panelSpeed(const QJsonObject& d) {
    const QStringList words = label(d, "LabelSpeed").split(' ', Qt::SkipEmptyParts);
    bool ok = false;
    const double speed = words.size() >= 2 ? words[1].toDouble(&ok) : 0.0;
    return ok ? speed : std::nan("");
}

class TelemetryEndToEnd : public ProgramFixture {
protected:
    // The drive every 10 ms, to compare with any moment of the picture.
    const std::vector<testing_support::DriveMoment> drive =
        testing_support::madeUpDrive({.seconds = kDriveSeconds, .perSecond = 100});

    const testing_support::DriveMoment& at(qint64 ms) const {
        const size_t i = static_cast<size_t>(std::clamp<qint64>(ms / 10, 0, static_cast<qint64>(drive.size()) - 1));
        return drive[i];
    }

    // The panel and the marker show the drive at the paused picture's moment.
    ::testing::AssertionResult showsTheDrive(const QJsonObject& d) const {
        const testing_support::DriveMoment& m = at(positionMs(d));
        const QJsonObject marker = map(d)["marker"].toObject();
        if (label(d, "LabelPositionStatus") != "GPS status: Valid fix" || marker.isEmpty())
            return ::testing::AssertionFailure() << "no fix or no marker";
        if (!(std::fabs(panelSpeed(d) - m.speedKmh) <= 1.0))
            return ::testing::AssertionFailure() << "speed " << panelSpeed(d) << " for " << m.speedKmh;
        if (std::fabs(marker["latitude"].toDouble() - m.latitude) > 1e-4 ||
            std::fabs(marker["longitude"].toDouble() - m.longitude) > 1e-4)
            return ::testing::AssertionFailure() << "marker away from the drive";
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

TEST_F(TelemetryEndToEnd, EveryLayoutPlaysWithItsLineMarkerPanelAndChart) {
    const std::string folder = home.path() + "DCIM/";
    std::filesystem::create_directories(folder);
    for (const LayoutCase& c : kLayouts) {
        testing_support::TelemetryClipSpec spec;
        spec.layout = c.layout;
        spec.drive = testing_support::madeUpDrive({.seconds = kDriveSeconds});
        spec.withVideo = true;
        ASSERT_EQ(testing_support::makeTelemetryClip(folder + c.name, spec), "") << c.name;
    }
    writeSettings("TimeZone=+01:00\n");
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);
    EXPECT_TRUE(driver.ask("drop " + folder + kLayouts[0].name)["ok"].toBool());

    for (size_t row = 0; row < kLayouts.size(); ++row) {
        const LayoutCase& c = kLayouts[row];
        SCOPED_TRACE(c.name);
        // An activation within a second of the last one is ignored, so the first waits that
        // second out; it is asked again only when ignored all the same. A loaded machine may take
        // seconds to start the clip, and asking again too early would start it a second time,
        // after the seek below.
        if (row > 0) std::this_thread::sleep_for(1100ms);
        for (int attempt = 0; row > 0 && attempt < 3 && current(dump) != static_cast<int>(row); ++attempt) {
            driver.ask("activate " + std::to_string(row));
            waitFor([&](const QJsonObject& d) { return current(d) == static_cast<int>(row); }, 10s);
        }
        const auto trackShown = [&](const QJsonObject& d) {
            const QJsonObject ch = chart(d);
            const int points = c.gSensor ? kRecords : 0;
            return state(d) == kPlaying && current(d) == static_cast<int>(row) &&
                   map(d)["linePoints"].toInt() == kRecords && ch["X"].toInt() == points && ch["Z"].toInt() == points &&
                   map(d)["marker"].isObject() && label(d, "LabelPositionStatus") == "GPS status: Valid fix";
        };
        ASSERT_TRUE(waitFor(trackShown, 30s)) << text(dump);
        // 10:00 UTC in the zone of the settings.
        EXPECT_TRUE(label(dump, "LabelTime").startsWith("Date/time: 2026-12-07 11:00:")) << text(dump);

        // Paused, a seek and a frame step bring the panel and the car to the picture's moment.
        EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
        ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == kPaused; }, 5s)) << text(dump);
        EXPECT_TRUE(driver.ask("slide sliderProgress 10")["ok"].toBool());
        ASSERT_TRUE(waitFor([](const QJsonObject& d) { return std::abs(positionMs(d) - 10000) <= 100; }, 10s))
            << text(dump);
        EXPECT_TRUE(waitFor([&](const QJsonObject& d) { return bool(showsTheDrive(d)); }, 5s))
            << showsTheDrive(dump).message() << " " << text(dump);
        EXPECT_TRUE(label(dump, "LabelTime").endsWith("11:00:10 +01:00")) << text(dump);  // the zone written
        const qint64 before = positionMs(dump);
        EXPECT_TRUE(driver.ask("key .")["ok"].toBool());
        ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return positionMs(d) != before; }, 5s)) << text(dump);
        EXPECT_TRUE(waitFor([&](const QJsonObject& d) { return bool(showsTheDrive(d)); }, 5s))
            << showsTheDrive(dump).message() << " " << text(dump);

        if (row == 1) capture("telemetry-gsensor.png");
        if (row == 0) {
            // Twice as fast, the car keeps moving with the picture.
            EXPECT_TRUE(driver.ask("key ]")["ok"].toBool());
            EXPECT_TRUE(driver.ask("key ]")["ok"].toBool());
            EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
            ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == kPlaying; }, 5s));
            const QJsonValue marker = map(driver.ask("dump"))["marker"];
            EXPECT_TRUE(waitFor(
                [&](const QJsonObject& d) { return map(d)["marker"].isObject() && map(d)["marker"] != marker; }, 3s))
                << text(dump);
            capture("telemetry-faster.png");
            EXPECT_TRUE(driver.ask("key Backspace")["ok"].toBool());
            EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
        }
    }
    quitCleanly();
}
