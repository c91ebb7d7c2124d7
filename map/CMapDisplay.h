#pragma once
// The map view as the rest of the program sees it: picks the map loader from
// the "Map" setting at start-up and forwards every call to it; without a
// loader every call does nothing.
//
// Threads: startUp (select, openPage) runs once on the start-up thread; the
// UI thread may already call the rest meanwhile, which then finds no loader
// or the one just chosen (the loader is published atomically). A browser
// control that is a web view queues the start-up thread's calls for its own
// thread, so the start-up thread never waits for the UI thread.
// Lifecycle: created by the view manager; the loader is chosen once and
// kept until the display goes.
//
// Script calls made before the page has loaded are lost, yet the caller
// counts the pages as shown. So the display puts its own handler on the
// browser, and each time the page (re)loads it draws the line again from the
// first page up to the shown ones and places the marker at its last fix.
// That redraw, drawBatch, moveMarker and resetMarker run on the UI thread.
//
// The main window's calls (through MapTrackView, one of the track views):
//   start-up thread: startUp(webMap, configStore, programFolder), then hand
//       trackConversion() to the extractor (TrackBatchProcessor::setConversion)
//       before the first extraction run;
//   new pages: drawBatch(webMap, store, ready) with the ready count TrackViews read;
//   a live record with a position: moveMarker(webMap, record.longitude, record.latitude);
//   no live position (an unparsed text, a moment without a text, 0/0), Stop,
//       the end of a clip: removeMarker(webMap);
//   any clip starting: clearTrack(webMap).
//   the units setting changed: showUnits(webMap) (a page load shows them itself).
// Each page starts with the tile source configured for it (TileSource) in
// place of its own, when there is a usable one.
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "map/CMapLoader.h"
#include "map/CWebPage.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

class CMapDisplay : public CMapLoader {
public:
    explicit CMapDisplay(AppConfig& config);
    ~CMapDisplay() override;
    CMapDisplay(const CMapDisplay&) = delete;
    CMapDisplay& operator=(const CMapDisplay&) = delete;

    // The map number of a "Map" setting (whole text, any case): 1 "BaiduMap",
    // 2 "GoogleMap", 3 "YandexMap", 0 for anything else.
    static uint8_t mapNumberFor(std::string_view setting);

    // Stores a recognised map number as the config's mapKind and creates the
    // loader: Baidu for 1, Google for 2 (returns 1); otherwise, by region,
    // Baidu for exactly "China" and Google for any other (returns 0).
    int select(std::string_view setting);

    // The start-up steps: read "Map", select, write "GoogleMap" when the
    // setting names no usable map, open the page. Returns select's result.
    int startUp(ScriptHost& browser, const ConfigStore& store, const std::string& programFolder);

    void openPage(ScriptHost& browser, const std::string& programFolder) override;
    void reopenPage(ScriptHost& browser, const std::string& programFolder) override;
    void moveMarker(ScriptHost& browser, double longitude, double latitude) override;
    void drawNewPages(ScriptHost& browser, const TrackStore& store, int32_t endPage) override;
    // drawNewPages, keeping the store for the redraw after a page load. The
    // store must outlive the display or the browser's page.
    void drawBatch(ScriptHost& browser, TrackStore& store, int32_t endPage);
    void resetMarker() override;
    void removeMarker(ScriptHost& browser) override;
    void clearTrack(ScriptHost& browser) override;
    // The scale bar in the config's units (UI thread).
    void showUnits(ScriptHost& browser);
    // Called on the UI thread after each page load has put the line and the
    // marker back, for the layers others draw on the page.
    void onEachPageLoad(std::function<void(ScriptHost&)> hook) { pageLoadHook_ = std::move(hook); }

    std::string pageFileName() const override;
    int32_t linePoints() const override;
    std::optional<MapPosition> marker() const override;
    // The loader's datum for the track line; Copy while there is none.
    TrackMapConversion trackConversion() const override;

    // The loader in use, or null.
    CMapLoader* loader() const { return loader_.load(std::memory_order_acquire); }

private:
    void install(std::unique_ptr<CMapLoader> loader);
    // Follows the loader's openPage: our handler in place of the loader's,
    // with the same navigation rules.
    void watchPageLoads(ScriptHost& browser);
    // The tile sources of the settings file, for the page to take at its start.
    void presetTileSources(ScriptHost& browser);
    static constexpr const char* kPageFiles[] = {"GoogleMap_Oversea.html", "GoogleMap_China.html", "BaiduMap.html"};
    void onPageLoaded(ScriptHost& browser);

    AppConfig& config_;
    std::atomic<CMapLoader*> loader_{nullptr};
    std::atomic<const ConfigStore*> configStore_{nullptr};  // set by startUp, read on page loads
    // Every loader ever chosen: one replaced by a later select may still be
    // in use on the other thread, so none goes before the display.
    std::mutex ownedMutex_;
    std::vector<std::unique_ptr<CMapLoader>> owned_;

    // UI thread.
    TrackStore* store_ = nullptr;
    std::function<void(ScriptHost&)> pageLoadHook_;
    CWebPage page_;  // the display's own calls
    std::optional<MapPosition> lastFix_;  // WGS-84, as moveMarker got it
    // The browser's handler may outlive the display; it calls back only while this lives.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
