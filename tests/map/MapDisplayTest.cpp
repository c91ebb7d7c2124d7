#include "support/RecordingScriptHost.h"
#include "config/ConfigStore.h"
#include "map/CMapDisplay.h"
#include "map/CoordinateText.h"
#include "map/ScriptErrors.h"
#include "support/TempFolder.h"
#include "track/MapKind.h"

#include <gtest/gtest.h>

using testing_support::TempFolder;

namespace {

using Names = std::vector<std::string>;
using Args = std::vector<std::string>;

// Adds a page of `count` records at (lat0 + i/1000, lng0 + i/1000), taken
// over unchanged as map coordinates; every record listed in `invalid` did
// not parse. The page is published.
void addPage(TrackStore& store, int32_t index, int32_t count, double lat0, double lng0,
             std::vector<int32_t> invalid = {}) {
    for (int32_t i = 0; i < count; ++i) {
        TrackRecord r;
        r.valid = std::find(invalid.begin(), invalid.end(), i) == invalid.end();
        r.latitude = lat0 + i / 1000.0;
        r.longitude = lng0 + i / 1000.0;
        ASSERT_TRUE(store.add(&r));
    }
    ASSERT_EQ(store.publishPage(store.generation(), index,
                                [](TrackPage& page) { return convertPageCopy(page.records(), page.count()); }),
              1);
}

struct Display {
    AppConfig config;
    RecordingScriptHost host;
    CMapDisplay map{config};

    explicit Display(const char* setting, const char* locale = "Oversea") {
        config.locale = locale;
        map.select(setting);
        map.openPage(host, "/opt/veltara/");
    }
    // Draws as the main window does on TRACK_BATCH_READY.
    void batchReady(TrackStore& store) {
        const int32_t ready = store.getReadyPages();
        map.drawBatch(host, store, ready);
        store.setShownPages(ready);
    }
    Args lastArgs() const { return host.calls.back().arguments(); }
};

Names repeated(const std::string& name, size_t times) {
    return Names(times, name);
}

Names concat(std::initializer_list<Names> parts) {
    Names out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

TEST(MapDisplayLine, FirstBatchStartsTheLineAndLaterBatchesExtendIt) {
    Display d("GoogleMap");
    TrackStore store;
    addPage(store, 0, 64, 22.5, 113.9, {3, 10});
    d.batchReady(store);
    EXPECT_EQ(d.host.names(), concat({{"clearLinePoints"}, repeated("addLinePoints", 62), {"createPolyline"}}));
    EXPECT_EQ(d.host.calls[1].arguments(), (Args{"22.500000", "113.900000"}));  // latitude first
    EXPECT_EQ(d.host.calls[3].arguments(), (Args{"22.502000", "113.902000"}));
    EXPECT_EQ(d.host.calls[4].arguments(), (Args{"22.504000", "113.904000"}));  // record 3 skipped
    EXPECT_EQ(d.map.linePoints(), 62);

    d.host.calls.clear();
    addPage(store, 1, 5, 23.0, 114.0);
    d.batchReady(store);
    EXPECT_EQ(d.host.names(), concat({repeated("addLinePoints", 5), {"reloadPolyline"}}));
    EXPECT_EQ(d.map.linePoints(), 67);

    d.host.calls.clear();
    d.batchReady(store);  // nothing new
    EXPECT_TRUE(d.host.calls.empty());
}

TEST(MapDisplayLine, SeveralReadyPagesInOneEventEachEndWithTheirOwnCall) {
    Display d("BaiduMap");
    TrackStore store;
    addPage(store, 0, 64, 30.0, 120.0);
    addPage(store, 1, 2, 31.0, 121.0, {0, 1});  // a page without a valid record
    addPage(store, 2, 1, 32.0, 122.0);
    d.batchReady(store);
    EXPECT_EQ(d.host.names(), concat({{"clearLinePoints"},
                                      repeated("addLinePoints", 64),
                                      {"createPolyline", "reloadPolyline", "addLinePoints", "reloadPolyline"}}));
}

TEST(MapDisplayLine, NewFileStartsANewLineAndEndPastTheStoreStaysBounded) {
    Display d("GoogleMap");
    TrackStore store;
    addPage(store, 0, 3, 1.0, 1.0);
    d.batchReady(store);
    store.clear();
    addPage(store, 0, 2, 2.0, 2.0);
    d.host.calls.clear();
    d.batchReady(store);
    EXPECT_EQ(d.host.names(), (Names{"clearLinePoints", "addLinePoints", "addLinePoints", "createPolyline"}));
    EXPECT_EQ(d.map.linePoints(), 2);

    // A ready count beyond the allocated pages draws only pages that exist.
    d.host.calls.clear();
    d.map.drawNewPages(d.host, store, 1 << 30);
    EXPECT_EQ(d.host.calls.size(), static_cast<size_t>(store.getPageCount() - 1));
}

// Calls made before the page loaded fail, yet the pages count as shown: the
// load must bring the whole line and the marker.
TEST(MapDisplayLine, BatchBeforeThePageLoadedIsDrawnWhenItLoads) {
    Display d("GoogleMap");
    TrackStore store;
    d.host.immediateCode = SCRIPT_E_NO_PAGE;
    addPage(store, 0, 64, 22.5, 113.9, {3});
    addPage(store, 1, 4, 23.0, 114.0);
    d.batchReady(store);
    d.map.moveMarker(d.host, 113.95, 22.55);
    EXPECT_EQ(d.map.linePoints(), 0);
    ASSERT_EQ(store.getShownPages(), 2);

    d.host.immediateCode = SCRIPT_OK;
    d.host.calls.clear();
    ASSERT_NE(d.host.handler, nullptr);
    d.host.handler->DocumentComplete("file:///opt/veltara/Map/GoogleMap_Oversea.html", false);
    EXPECT_TRUE(d.host.calls.empty());  // a failed load has no functions to call
    d.host.handler->DocumentComplete("file:///opt/veltara/Map/GoogleMap_Oversea.html", true);
    EXPECT_EQ(d.host.names(), concat({{"clearLinePoints"},
                                      repeated("addLinePoints", 63),
                                      {"createPolyline"},
                                      repeated("addLinePoints", 4),
                                      {"reloadPolyline", "createCarMarker"}}));
    EXPECT_EQ(d.map.linePoints(), 67);
    EXPECT_EQ(store.getShownPages(), 2);
    ASSERT_TRUE(d.map.marker().has_value());
    EXPECT_EQ(d.lastArgs(), (Args{"22.550000", "113.950000"}));

    // Later batches go on from there; the marker, once reset, stays away.
    d.host.calls.clear();
    addPage(store, 2, 1, 24.0, 115.0);
    d.batchReady(store);
    EXPECT_EQ(d.host.names(), (Names{"addLinePoints", "reloadPolyline"}));
    d.map.resetMarker();
    d.host.calls.clear();
    d.host.handler->DocumentComplete("file:///opt/veltara/Map/GoogleMap_Oversea.html", true);
    EXPECT_EQ(d.host.names().back(), "reloadPolyline");
    EXPECT_EQ(d.map.linePoints(), 68);
}

TEST(MapDisplayMarker, CreatedOnceThenMovedAndCreatedAgainAfterReset) {
    Display d("GoogleMap");
    d.map.moveMarker(d.host, 2.35, 48.85);
    d.map.moveMarker(d.host, 2.36, 48.86);
    d.map.resetMarker();
    EXPECT_FALSE(d.map.marker().has_value());
    d.map.moveMarker(d.host, 2.37, 48.87);
    EXPECT_EQ(d.host.names(), (Names{"createCarMarker", "setCarMarker", "createCarMarker"}));
    EXPECT_EQ(d.host.calls[1].arguments(), (Args{"48.860000", "2.360000"}));
    ASSERT_TRUE(d.map.marker().has_value());
    EXPECT_DOUBLE_EQ(d.map.marker()->latitude, 48.87);
    EXPECT_DOUBLE_EQ(d.map.marker()->longitude, 2.37);
}

TEST(MapDisplaySelection, TableChoosesTheLoaderAndPage) {
    struct Case {
        const char* setting;
        const char* locale;
        int result;
        uint8_t kind;
        const char* page;
        TrackMapConversion line;
    };
    const Case cases[] = {
        {"gOOGLEmAP", "Oversea", 1, MAP_KIND_GOOGLE, "GoogleMap_Oversea.html", TrackMapConversion::Copy},
        {"GoogleMap", "China", 1, MAP_KIND_GOOGLE, "GoogleMap_China.html", TrackMapConversion::Gcj},
        {"GoogleMap", "china", 1, MAP_KIND_GOOGLE, "GoogleMap_Oversea.html", TrackMapConversion::Copy},
        {"BAIDUMAP", "Oversea", 1, MAP_KIND_BAIDU, "BaiduMap.html", TrackMapConversion::Baidu},
        {"YandexMap", "Oversea", 0, MAP_KIND_YANDEX, "GoogleMap_Oversea.html", TrackMapConversion::Copy},
        // No usable map: the region's loader, and its datum for the line.
        {"YandexMap", "China", 0, MAP_KIND_YANDEX, "BaiduMap.html", TrackMapConversion::Baidu},
        {"GoogleMap ", "China", 0, MAP_KIND_UNKNOWN, "BaiduMap.html", TrackMapConversion::Baidu},
        {"", "Oversea", 0, MAP_KIND_UNKNOWN, "GoogleMap_Oversea.html", TrackMapConversion::Copy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " / " + c.locale);
        AppConfig config;
        config.locale = c.locale;
        CMapDisplay map(config);
        EXPECT_EQ(map.select(c.setting), c.result);
        EXPECT_EQ(config.mapKind.load(), c.kind);
        RecordingScriptHost host;
        map.openPage(host, "/opt/veltara/");
        EXPECT_EQ(host.navigations, (Names{std::string("/opt/veltara/Map/") + c.page}));
        EXPECT_NE(host.handler, nullptr);
        EXPECT_EQ(map.pageFileName(), c.page);
        EXPECT_EQ(map.trackConversion(), c.line);
    }
}

TEST(MapDisplaySelection, StartUpRewritesASettingThatNamesNoUsableMap) {
    TempFolder program;
    TempFolder documents;
    program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nMap=YandexMap\n");
    ConfigStore store(program.path());
    store.InitConfigPaths(documents.path());
    AppConfig config;
    config.locale = "Oversea";
    CMapDisplay map(config);
    RecordingScriptHost host;
    EXPECT_EQ(map.startUp(host, store, program.path()), 0);
    EXPECT_EQ(store.ReadConfigString("", "Map"), "GoogleMap");
    EXPECT_EQ(host.navigations, (Names{program.path() + "Map/GoogleMap_Oversea.html"}));

    // The next start selects the Google map and leaves the setting alone.
    CMapDisplay next(config);
    ASSERT_TRUE(store.WriteConfigString("googlemap", "Map"));
    EXPECT_EQ(next.startUp(host, store, program.path()), 1);
    EXPECT_EQ(store.ReadConfigString("", "Map"), "googlemap");
}

TEST(MapDisplayDatums, MarkerTextsInThePagesDatum) {
    {
        SCOPED_TRACE("Google outside China: as recorded, line copied");
        Display d("GoogleMap", "Oversea");
        d.map.moveMarker(d.host, 116.4, 39.9);
        EXPECT_EQ(d.lastArgs(), (Args{"39.900000", "116.400000"}));
        EXPECT_EQ(d.map.trackConversion(), TrackMapConversion::Copy);
    }
    {
        SCOPED_TRACE("Google in China: GCJ-02");
        Display d("GoogleMap", "China");
        d.map.moveMarker(d.host, 116.4, 39.9);
        EXPECT_EQ(d.lastArgs(), (Args{"39.901404", "116.406243"}));
    }
    {
        SCOPED_TRACE("Baidu: BD-09 inside the box, as recorded outside it, line shifted everywhere");
        Display d("BaiduMap", "Oversea");
        d.map.moveMarker(d.host, 116.4, 39.9);
        EXPECT_EQ(d.lastArgs(), (Args{"39.907734", "116.412628"}));
        d.map.moveMarker(d.host, 2.35, 48.85);
        EXPECT_EQ(d.lastArgs(), (Args{"48.850000", "2.350000"}));
        EXPECT_EQ(d.map.trackConversion(), TrackMapConversion::Baidu);
    }
}

TEST(MapDisplay, CoordinateTextsNeverUseAnExponent) {
    EXPECT_EQ(coordinateText(-33.8688197), "-33.868820");
    EXPECT_EQ(coordinateText(1e-7), "0.000000");
    EXPECT_EQ(coordinateText(1e20), "100000000000000000000.000000");
}

TEST(MapDisplay, WithoutALoaderEveryCallDoesNothing) {
    AppConfig config;
    CMapDisplay map(config);
    RecordingScriptHost host;
    TrackStore store;
    addPage(store, 0, 3, 1.0, 1.0);
    map.openPage(host, "/opt/veltara/");
    map.moveMarker(host, 1.0, 2.0);
    map.drawNewPages(host, store, store.getReadyPages());
    map.resetMarker();
    EXPECT_TRUE(host.navigations.empty());
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(map.pageFileName(), "");
    EXPECT_FALSE(map.marker().has_value());
}
