// The map pages in a real web view, offline: each page loads, defines the
// six functions, draws the line and the car marker, follows the car until
// the user moves the map, keeps itself against link clicks and reports no
// script error; the tile source of the settings file and the map's web
// profile. Also the script bridge through the engine.
#include "app/StartupEnvironment.h"
#include "config/TileSource.h"
#include "config/Version.h"
#include "map/CMapDisplay.h"
#include "map/CScriptMapLoader.h"
#include "map/CWebBrowserUI.h"
#include "map/CWebPage.h"
#include "support/MapPageScript.h"
#include "support/TempFolder.h"
#include "track/TrackMapConversion.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVariantMap>
#include <QWebEngineProfile>
#include <cmath>
#include <memory>
#include <thread>

namespace {

const std::string kProgramDir = VELTARA_TEST_PROGRAM_DIR;

using testing_support::evaluate;
using testing_support::pageState;

double at(const QVariantMap& state, const char* key, int index) {
    return state.value(key).toList().value(index).toDouble();
}

// A drive of `count` WGS-84 points through Shenzhen, heading north-east.
std::vector<TrackRecord> drive(int count) {
    std::vector<TrackRecord> records(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TrackRecord& r = records[static_cast<size_t>(i)];
        r.valid = true;
        r.latitude = 22.540 + i * 0.0004;
        r.longitude = 113.930 + i * 0.0006 + 0.002 * std::sin(i / 8.0);
    }
    return records;
}

struct PageCase {
    const char* setting;
    const char* locale;
    const char* page;
};

class MapPage : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        view.resize(800, 560);
        view.show();
        config.locale = GetParam().locale;
        ASSERT_EQ(map.select(GetParam().setting), 1);
    }

    // Opens the page from another thread, as the start-up thread does.
    void openPage() {
        QSignalSpy loaded(&view, &CWebBrowserUI::pageLoaded);
        std::thread starter([this] { map.openPage(view, kProgramDir); });
        starter.join();
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, 30000));
        ASSERT_TRUE(loaded.first().first().toBool()) << "the page did not load";
    }

    void publish(int32_t index, const std::vector<TrackRecord>& records) {
        for (const TrackRecord& r : records) ASSERT_TRUE(store.add(&r));
        const TrackMapConversion conversion = map.trackConversion();
        ASSERT_EQ(store.publishPage(
                      store.generation(), index,
                      [conversion](TrackPage& page) { return convertPage(conversion, page.records(), page.count()); }),
                  1);
        const int32_t ready = store.getReadyPages();
        map.drawNewPages(view, store, ready);
        store.setShownPages(ready);
    }

    const CWebPage& loaderPage() const { return dynamic_cast<const CScriptMapLoader&>(*map.loader()).webPage(); }

    CWebBrowserUI view;
    AppConfig config;
    CMapDisplay map{config};
    TrackStore store;
};

}  // namespace

TEST_P(MapPage, DrawsTheTrackAndFollowsTheCarOffline) {
    CWebPage probe;
    EXPECT_FALSE(probe.callScript0(view, "createPolyline"));
    EXPECT_EQ(probe.lastError(), "JSCall Error:\nNo page is loaded.");

    ASSERT_NO_FATAL_FAILURE(openPage());
    EXPECT_EQ(map.pageFileName(), GetParam().page);
    EXPECT_TRUE(view.url().toLocalFile().endsWith(QString("/Map/") + GetParam().page));
    EXPECT_TRUE(evaluate(view,
                         "['clearLinePoints','addLinePoints','createPolyline','reloadPolyline',"
                         "'createCarMarker','setCarMarker','removeCarMarker'].every(function (n) {"
                         " return typeof window[n] === 'function'; })")
                    .toBool());

    // Before any track: a map of the world (an outline stands in until a tile comes).
    const QVariantMap start = pageState(view);
    EXPECT_TRUE(start.value("worldLand").toBool());
    EXPECT_TRUE(start.value("worldBackdrop").toBool() ||
                evaluate(view, "document.querySelectorAll('img.leaflet-tile-loaded').length").toInt() > 0);
    if (std::string(GetParam().page) == "GoogleMap_Oversea.html") {
        EXPECT_GE(at(start, "bounds", 3) - at(start, "bounds", 1), 180.0);
    }

    std::vector<TrackRecord> track = drive(100);
    track[70].valid = false;  // a text that did not parse
    publish(0, {track.begin(), track.begin() + 64});
    publish(1, {track.begin() + 64, track.end()});
    QVariantMap state = pageState(view);
    EXPECT_EQ(state.value("linePoints").toInt(), 99);
    EXPECT_EQ(map.linePoints(), 99);

    // The whole line is in view before the car appears.
    const TrackRecord& first = store.getPage(0)->records()[0];
    const TrackRecord& last = store.getPage(1)->records()[35];
    for (const TrackRecord* r : {&first, &last}) {
        EXPECT_GE(r->mapLatitude, at(state, "bounds", 0));
        EXPECT_GE(r->mapLongitude, at(state, "bounds", 1));
        EXPECT_LE(r->mapLatitude, at(state, "bounds", 2));
        EXPECT_LE(r->mapLongitude, at(state, "bounds", 3));
    }

    // The car is placed where the program says, and the view follows it.
    for (int i : {10, 60}) {
        map.moveMarker(view, track[static_cast<size_t>(i)].longitude, track[static_cast<size_t>(i)].latitude);
        state = pageState(view);
        ASSERT_TRUE(map.marker().has_value());
        EXPECT_NEAR(at(state, "car", 0), map.marker()->latitude, 1e-6);
        EXPECT_NEAR(at(state, "car", 1), map.marker()->longitude, 1e-6);
        EXPECT_NEAR(at(state, "center", 0), map.marker()->latitude, 1e-4);
        EXPECT_NEAR(at(state, "center", 1), map.marker()->longitude, 1e-4);
    }

    if (std::string(GetParam().page) == "GoogleMap_Oversea.html") {
        QDir().mkpath(VELTARA_TEST_SCREENSHOT_DIR);
        QTest::qWait(300);
        view.grab().save(QString(VELTARA_TEST_SCREENSHOT_DIR) + "/map.png");
    }

    // Once the user zooms, the car moves without taking the view along.
    const int zoom = state.value("zoom").toInt();
    evaluate(view, "document.querySelector('.leaflet-control-zoom-out').click()");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageState(view).value("zoom").toInt() != zoom; }, 5000));
    QTest::qWait(500);  // the zoom animation ends
    const QVariantMap before = pageState(view);
    map.moveMarker(view, track[95].longitude, track[95].latitude);
    state = pageState(view);
    EXPECT_FALSE(state.value("following").toBool());
    EXPECT_NEAR(at(state, "car", 0), map.marker()->latitude, 1e-6);
    EXPECT_DOUBLE_EQ(at(state, "center", 0), at(before, "center", 0));

    // Another clip starts: nothing of this one stays on the page.
    map.clearTrack(view);
    state = pageState(view);
    EXPECT_EQ(state.value("linePoints").toInt(), -1);
    EXPECT_TRUE(state.value("car").isNull());
    EXPECT_EQ(map.linePoints(), 0);
    EXPECT_FALSE(map.marker().has_value());

    // The scale bar follows the units setting.
    EXPECT_EQ(state.value("scaleUnits").toString(), "metric");
    config.units = UnitSystem::Imperial;
    map.showUnits(view);
    EXPECT_EQ(pageState(view).value("scaleUnits").toString(), "imperial");

    // Tiles were asked for and failed (no network) without a script error.
    EXPECT_GT(evaluate(view, "document.querySelectorAll('img.leaflet-tile').length").toInt(), 0);
    EXPECT_EQ(loaderPage().lastError(), "");
    EXPECT_TRUE(view.ScriptErrors().isEmpty()) << view.ScriptErrors().join('\n').toStdString();
}

TEST_P(MapPage, LinksOfThePageDoNotReplaceIt) {
    ASSERT_NO_FATAL_FAILURE(openPage());
    const QUrl url = view.url();
    EXPECT_TRUE(evaluate(view,
                         "var a = document.querySelector('.leaflet-control-attribution a[href^=\"http\"]');"
                         "if (a) a.click(); !!a")
                    .toBool());
    QTest::qWait(1000);
    EXPECT_EQ(view.url(), url);
    EXPECT_TRUE(view.IsPageLoaded());
    EXPECT_EQ(evaluate(view, "typeof setCarMarker").toString(), "function");
}

// Tiles are kept on disk in the user's cache folder and asked for in the program's name.
TEST(MapWebProfile, KeepsTilesOnDiskAndNamesTheProgram) {
    CWebBrowserUI view;
    const QWebEngineProfile* profile = view.page()->profile();
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_EQ(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
    EXPECT_TRUE(profile->cachePath().startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)))
        << profile->cachePath().toStdString();
    EXPECT_TRUE(profile->httpUserAgent().startsWith("VeltaraDVRPlayer/" VELTARA_VERSION " "));
}

// A tile source from the settings file replaces the page's own; its
// attribution shows as text, never as markup or script.
TEST_P(MapPage, TakesTheTileSourceOfTheSettingsFile) {
    testing_support::TempFolder documents;
    ConfigStore settings(kProgramDir);
    settings.InitConfigPaths(documents.path());
    const std::string section = TileSource::sectionFor(GetParam().page);
    const std::string url = "http://127.0.0.1:9/{z}/{x}/{y}.png";
    ASSERT_TRUE(settings.WriteConfigString(GetParam().setting, "Map"));
    ASSERT_TRUE(settings.WriteConfigString(url, TileSource::kUrlKey, section));
    ASSERT_TRUE(settings.WriteConfigString("Tiles <img src=x onerror=\"window.hit=1\"> ');window.hit=2;//",
                                           TileSource::kAttributionKey, section));
    ASSERT_TRUE(settings.WriteConfigString("12", TileSource::kMaxZoomKey, section));
    QSignalSpy loaded(&view, &CWebBrowserUI::pageLoaded);
    map.startUp(view, settings, kProgramDir);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageState(view).value("tileUrl").toString() == url.c_str(); }, 5000));
    // From the first tile on: the page's own server is never asked.
    EXPECT_EQ(pageState(view).value("firstTileUrl").toString().toStdString(), url);
    EXPECT_EQ(pageState(view).value("maxZoom").toInt(), 12);
    EXPECT_TRUE(evaluate(view, "document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("Tiles <img src=x onerror=\"window.hit=1\"> ');window.hit=2;//"));
    QTest::qWait(300);
    EXPECT_TRUE(evaluate(view, "window.hit === undefined").toBool());
    EXPECT_TRUE(view.ScriptErrors().isEmpty()) << view.ScriptErrors().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, MapPage,
                         ::testing::Values(PageCase{"GoogleMap", "Oversea", "GoogleMap_Oversea.html"},
                                           PageCase{"GoogleMap", "China", "GoogleMap_China.html"},
                                           PageCase{"BaiduMap", "Oversea", "BaiduMap.html"}),
                         [](const ::testing::TestParamInfo<PageCase>& param) {
                             std::string name = param.param.page;
                             return name.substr(0, name.find('.'));
                         });

TEST(ScriptBridge, TextsReachThePageWholeAndInOrder) {
    CWebBrowserUI view;
    QSignalSpy loaded(&view, &CWebBrowserUI::pageLoaded);
    view.NavigateUrl(kProgramDir + "Map/GoogleMap_Oversea.html");
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, 30000));
    evaluate(view,
             "window.echo = function (a, b) { return [a, b, arguments.length]; };"
             "window.fails = function () { throw new TypeError('no way'); };");

    CWebPage page;
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"39.900000", "116.400000"},
        {"\"); document.title = 'x'; (\"", "a\\b\nc\td"},
        {"line\xE2\x80\xA8separator", "\xE2\""},  // U+2028, and a cut UTF-8 sequence before a quote
    };
    for (const auto& [first, second] : texts) {
        std::string value = "none";
        ASSERT_TRUE(page.callScript2(view, "echo", first, second, [&](const std::string& v) { value = v; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return value != "none"; }, 5000));
        const QJsonArray answer = QJsonDocument::fromJson(QByteArray::fromStdString(value)).array();
        EXPECT_EQ(answer.at(0).toString(), QString::fromUtf8(first.c_str()));
        EXPECT_EQ(answer.at(1).toString(), QString::fromUtf8(second.c_str()));
        EXPECT_EQ(answer.at(2).toInt(), 2);
    }
    EXPECT_EQ(view.title(), "Track map (WGS-84)");

    ASSERT_TRUE(page.callScript0(view, "noSuchFunction"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.lastError().empty(); }, 5000));
    EXPECT_EQ(page.lastError(), "JSCall Error:\nUnknown name.");
    ASSERT_TRUE(page.callScript0(view, "fails"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.lastError() != "JSCall Error:\nUnknown name."; }, 5000));
    EXPECT_EQ(page.lastError(), "JSCall Error:\nException occurred.\nTypeError: no way");

    // Calls sent as one run in order whatever an earlier one did; the first failure is told.
    evaluate(view, "window.seen = []; window.keep = function (a) { seen.push(a); };");
    ASSERT_TRUE(page.callScripts(view, {{"keep", {"a\"'"}}, {"noSuchFunction", {}}, {"fails", {}}, {"keep", {"b"}}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.lastError() == "JSCall Error:\nUnknown name."; }, 5000));
    EXPECT_EQ(evaluate(view, "JSON.stringify(seen)").toString(), "[\"a\\\"'\",\"b\"]");

    // A line longer than one piece of the page's drawing keeps every point.
    EXPECT_EQ(evaluate(view,
                       "clearLinePoints();"
                       "for (var i = 0; i < 4500; i++) {"
                       "  addLinePoints(String(i / 1000), '1');"
                       "  if (i % 64 === 63) (i === 63 ? createPolyline : reloadPolyline)();"
                       "}"
                       "reloadPolyline();"
                       "trackMapState().linePoints")
                  .toInt(),
              4500);

    // What the pages are checked with: an error the page meets on its own is reported.
    EXPECT_TRUE(view.ScriptErrors().isEmpty());
    evaluate(view, "setTimeout(function () { fails(); }, 0)");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.ScriptErrors().isEmpty(); }, 5000));
}

int main(int argc, char** argv) {
    StartupEnvironment::Apply();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
