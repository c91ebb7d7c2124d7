#include "map/CScriptMapLoader.h"

#include "map/CoordinateText.h"

#include <algorithm>

CScriptMapLoader::CScriptMapLoader(const AppConfig& config) : config_(config) {}

void CScriptMapLoader::openPage(ScriptHost& browser, const std::string& programFolder) {
    const std::string file = choosePage();
    {
        std::lock_guard lock(pageMutex_);
        pageFile_ = file;
    }
    browser.SetWebBrowserEventHandler(handler_);
    browser.NavigateUrl(programFolder + "Map/" + file);
}

void CScriptMapLoader::reopenPage(ScriptHost& browser, const std::string& programFolder) {
    openPage(browser, programFolder);
}

void CScriptMapLoader::moveMarker(ScriptHost& browser, double longitude, double latitude) {
    double mapLatitude = latitude;
    double mapLongitude = longitude;
    if (convertMarker(latitude, longitude, mapLatitude, mapLongitude)) {
        markerLatitude_ = mapLatitude;
        markerLongitude_ = mapLongitude;
    }
    markerLatitudeText_ = coordinateText(mapLatitude);
    markerLongitudeText_ = coordinateText(mapLongitude);

    bool sent = false;
    if (markerCreated_) {
        sent = page_.callScript2(browser, setCarMarker_, markerLatitudeText_, markerLongitudeText_);
    } else {
        sent = page_.callScript2(browser, createCarMarker_, markerLatitudeText_, markerLongitudeText_);
        markerCreated_ = 1;
    }
    if (sent) lastMarker_ = MapPosition{mapLatitude, mapLongitude};
}

void CScriptMapLoader::drawNewPages(ScriptHost& browser, const TrackStore& store, int32_t endPage) {
    const int32_t first = std::max(store.getShownPages(), 0);
    // No page at or past the page count can be ready.
    const int32_t end = std::min(endPage, store.getPageCount());
    for (int32_t i = first; i < end; ++i) {
        // A page's calls go as one script: a long track's thousands of
        // points would otherwise keep the page from answering anything else.
        std::vector<ScriptCall> calls;
        if (i == 0) {
            calls.push_back({clearLinePoints_, {}});
            linePoints_ = 0;
        }
        const int32_t points = addPageCalls(store.getPage(i), calls);
        calls.push_back({i == 0 ? createPolyline_ : reloadPolyline_, {}});
        if (page_.callScripts(browser, calls)) linePoints_ += points;
    }
}

int32_t CScriptMapLoader::addPageCalls(const TrackPage* page, std::vector<ScriptCall>& calls) const {
    if (!page) return 0;
    const int32_t count = std::clamp(page->count(), 0, page->capacity());
    const TrackRecord* records = page->records();
    int32_t points = 0;
    for (int32_t j = 0; j < count; ++j) {
        const TrackRecord& record = records[j];
        if (!hasPositionFix(record)) continue;
        calls.push_back({addLinePoints_, {coordinateText(record.mapLatitude), coordinateText(record.mapLongitude)}});
        ++points;
    }
    return points;
}

void CScriptMapLoader::clearTrack(ScriptHost& browser) {
    page_.callScript0(browser, clearLinePoints_);
    page_.callScript0(browser, removeCarMarker_);
    linePoints_ = 0;
    resetMarker();
}

void CScriptMapLoader::removeMarker(ScriptHost& browser) {
    page_.callScript0(browser, removeCarMarker_);
    resetMarker();
}

void CScriptMapLoader::resetMarker() {
    markerCreated_ = 0;
    markerLongitude_ = 0.0;
    markerLatitude_ = 0.0;
    lastMarker_.reset();
}

std::string CScriptMapLoader::pageFileName() const {
    std::lock_guard lock(pageMutex_);
    return pageFile_;
}
