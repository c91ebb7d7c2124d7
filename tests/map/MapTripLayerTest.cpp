// The trip layer on the real map pages, offline: the trip is drawn under the
// clip's line on each page in its datum, fitted once per trip, replaced by
// another trip and cleared for a clip in no trip; a click on the page reaches
// the program as numbers and names the moment of the nearest fix.
#include "app/StartupEnvironment.h"
#include "map/CMapDisplay.h"
#include "map/CWebBrowserUI.h"
#include "map/MapClickBridge.h"
#include "map/MapTripLayer.h"
#include "support/MapPageScript.h"
#include "track/TelemetryRecords.h"
#include "trip/RouteDatum.h"
#include "trip/TripSet.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVariantMap>
#include <memory>

namespace {

const std::string kProgramDir = VELTARA_TEST_PROGRAM_DIR;

using testing_support::evaluate;
using testing_support::pageState;

// A clip of one minute through Shenzhen, `minute` minutes after 10:00 on
// 2026-12-07, a fix a second heading north-east.
std::shared_ptr<const ClipTrack> clipAt(const std::string& channel, int minute) {
    auto clip = std::make_shared<ClipTrack>();
    clip->path = "/drive/2026_1207_10" + std::to_string(10 + minute) + "00_" + channel + ".MP4";
    for (int s = 0; s < 60; ++s) {
        TrackRecord r;
        r.valid = true;
        r.year = 2026, r.month = 12, r.day = 7, r.hour = 10;
        r.minute = static_cast<uint8_t>(10 + minute);
        r.second = static_cast<uint8_t>(s);
        const int t = minute * 60 + s;
        r.latitude = 22.540 + t * 0.0001 + (channel == "R" ? 0.05 : 0.0);
        r.longitude = 113.930 + t * 0.00015;
        r.speed = 50.0f;
        clip->samples.push_back(telemetrySampleOf(r, s * 1000));
    }
    return clip;
}

struct PageCase {
    const char* setting;
    const char* locale;
};

class TripLayer : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        view.resize(800, 560);
        view.show();
        config.locale = GetParam().locale;
        ASSERT_EQ(map.select(GetParam().setting), 1);
        bridge.Attach(view.page());
        bridge.SetHandler([this](const std::string& path, int32_t seconds) { picked.emplace_back(path, seconds); });
        layer.SetBrowser(&view);
        QSignalSpy loaded(&view, &CWebBrowserUI::pageLoaded);
        map.openPage(view, kProgramDir);
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, 30000));
        ASSERT_TRUE(loaded.first().first().toBool());
        ASSERT_TRUE(QTest::qWaitFor([&] { return pageState(view).value("clickBridge").toBool(); }, 10000));
    }

    // Fires a click at a WGS-84 position through the page's click handler.
    void clickAt(double latitude, double longitude) {
        RouteFix at;
        at.latitude = latitude;
        at.longitude = longitude;
        const RouteFix onPage = routeInMapDatum({at}, map.trackConversion()).front();
        const int before = bridge.AcceptedClicks();
        ASSERT_TRUE(
            evaluate(
                view,
                QString("simulateMapClick(%1, %2)").arg(onPage.latitude, 0, 'f', 7).arg(onPage.longitude, 0, 'f', 7))
                .toBool());
        ASSERT_TRUE(QTest::qWaitFor([&] { return bridge.AcceptedClicks() > before; }, 5000));
    }

    CWebBrowserUI view;
    AppConfig config;
    CMapDisplay map{config};
    MapTripLayer layer{map};
    MapClickBridge bridge{layer};
    std::vector<std::pair<std::string, int32_t>> picked;
};

}  // namespace

TEST_P(TripLayer, DrawsTheTripOnceAndPicksMomentsByClick) {
    // Front: three clips in a row; rear: one; a clip with no real time is in no trip.
    const auto f0 = clipAt("F", 0), f1 = clipAt("F", 1), f2 = clipAt("F", 2), r0 = clipAt("R", 0);
    auto lone = std::make_shared<ClipTrack>(*clipAt("F", 30));
    for (TelemetrySample& s : lone->samples) s.timeKind = TelemetryTime::None;
    lone->path = "/drive/lone_F.MP4";
    const auto trips = TripSet::build({f0, f1, f2, r0, lone});

    layer.ShowTrips(trips, f0->path);
    QVariantMap state;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (state = pageState(view)).value("tripPoints").toInt() > 0; }, 5000));
    EXPECT_EQ(state.value("tripPoints").toInt(), static_cast<int>(layer.DrawnPoints()));
    EXPECT_EQ(state.value("tripMarks").toInt(), 3);
    EXPECT_EQ(state.value("tripFits").toInt(), 1);
    // The whole trip is in view.
    const QVariantList bounds = state.value("bounds").toList();
    const RouteFix last = routeInMapDatum({trips->tripOf(f2->path)->fixes.back()}, map.trackConversion()).front();
    EXPECT_LE(last.latitude, bounds.value(2).toDouble());
    EXPECT_LE(last.longitude, bounds.value(3).toDouble());

    // The next clip of the trip keeps the layer and the view.
    layer.ShowTrips(trips, f1->path);
    QTest::qWait(200);
    EXPECT_EQ(pageState(view).value("tripFits").toInt(), 1);

    // A click near the 21st second of the third clip plays it from there;
    // a click far from the route does nothing.
    const TelemetrySample& moment = f2->samples[21];
    clickAt(moment.latitude + 0.00002, moment.longitude);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].first, f2->path);
    EXPECT_NEAR(picked[0].second, 21, 1);
    clickAt(moment.latitude + 0.5, moment.longitude);
    EXPECT_EQ(picked.size(), 1u);

    // The page hands over numbers only.
    evaluate(view, "veltaraMapClicks.mapClicked('22.5', 113.9, 10); veltaraMapClicks.mapClicked(22.5, 113.9, NaN);");
    EXPECT_TRUE(QTest::qWaitFor([&] { return bridge.RefusedClicks() == 2; }, 5000));
    EXPECT_EQ(picked.size(), 1u);

    // Another trip replaces the layer and is fitted in turn; a clip in no
    // trip clears it, yet its own fixes can still be picked.
    layer.ShowTrips(trips, r0->path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageState(view).value("tripFits").toInt() == 2; }, 5000));
    EXPECT_EQ(pageState(view).value("tripMarks").toInt(), 1);
    layer.ShowTrips(trips, lone->path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageState(view).value("tripPoints").toInt() == 0; }, 5000));
    clickAt(lone->samples[5].latitude, lone->samples[5].longitude);
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(picked[1], std::make_pair(lone->path, 5));

    // What is not a list of numbers draws nothing and breaks nothing.
    evaluate(view, "setTripRoute('1', '{bad', null); setTripRoute('2', '[\"a\", 1, 91, 10]', '[]');");
    EXPECT_EQ(pageState(view).value("tripPoints").toInt(), 0);
    EXPECT_TRUE(view.ScriptErrors().isEmpty()) << view.ScriptErrors().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, TripLayer,
                         ::testing::Values(PageCase{"GoogleMap", "Oversea"}, PageCase{"GoogleMap", "China"},
                                           PageCase{"BaiduMap", "Oversea"}),
                         [](const ::testing::TestParamInfo<PageCase>& param) {
                             return std::string(param.param.setting == std::string("BaiduMap") ? "Baidu"
                                                : param.param.locale == std::string("China")   ? "GoogleChina"
                                                                                               : "GoogleOversea");
                         });

int main(int argc, char** argv) {
    StartupEnvironment::Apply();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
