#include "map/CMapDisplay.h"

#include "map/CBaiduMapLoader.h"
#include "map/CGoogleMapLoader.h"
#include "config/TileSource.h"
#include "map/CWebMapEventHandler.h"
#include "map/ScriptCallSource.h"
#include "track/MapKind.h"

#include <new>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

CMapDisplay::CMapDisplay(AppConfig& config) : config_(config) {}

CMapDisplay::~CMapDisplay() = default;

uint8_t CMapDisplay::mapNumberFor(std::string_view setting) {
    if (equalsIgnoringCase(setting, "BaiduMap")) return MAP_KIND_BAIDU;
    if (equalsIgnoringCase(setting, "GoogleMap")) return MAP_KIND_GOOGLE;
    if (equalsIgnoringCase(setting, "YandexMap")) return MAP_KIND_YANDEX;
    return MAP_KIND_UNKNOWN;
}

int CMapDisplay::select(std::string_view setting) {
    if (const uint8_t number = mapNumberFor(setting); number != MAP_KIND_UNKNOWN) config_.mapKind.store(number);
    const uint8_t kind = config_.mapKind.load();
    if (kind == MAP_KIND_BAIDU) {
        install(std::unique_ptr<CMapLoader>(new (std::nothrow) CBaiduMapLoader(config_)));
        return 1;
    }
    if (kind == MAP_KIND_GOOGLE) {
        install(std::unique_ptr<CMapLoader>(new (std::nothrow) CGoogleMapLoader(config_)));
        return 1;
    }
    if (config_.locale == "China") {
        install(std::unique_ptr<CMapLoader>(new (std::nothrow) CBaiduMapLoader(config_)));
    } else {
        install(std::unique_ptr<CMapLoader>(new (std::nothrow) CGoogleMapLoader(config_)));
    }
    return 0;
}

int CMapDisplay::startUp(ScriptHost& browser, const ConfigStore& store, const std::string& programFolder) {
    configStore_.store(&store, std::memory_order_release);
    const std::string setting = store.ReadConfigString("", "Map");
    const int result = select(setting);
    if (result == 0) store.WriteConfigString("GoogleMap", "Map");
    openPage(browser, programFolder);
    return result;
}

void CMapDisplay::install(std::unique_ptr<CMapLoader> loader) {
    if (!loader) return;  // out of memory: the display keeps what it had
    CMapLoader* raw = loader.get();
    {
        std::lock_guard lock(ownedMutex_);
        owned_.push_back(std::move(loader));
    }
    loader_.store(raw, std::memory_order_release);
}

void CMapDisplay::openPage(ScriptHost& browser, const std::string& programFolder) {
    if (CMapLoader* l = loader()) {
        presetTileSources(browser);
        l->openPage(browser, programFolder);
        watchPageLoads(browser);
    }
}

void CMapDisplay::reopenPage(ScriptHost& browser, const std::string& programFolder) {
    if (CMapLoader* l = loader()) {
        presetTileSources(browser);
        l->reopenPage(browser, programFolder);
        watchPageLoads(browser);
    }
}

void CMapDisplay::presetTileSources(ScriptHost& browser) {
    const ConfigStore* settings = configStore_.load(std::memory_order_acquire);
    if (!settings) return;
    // Every page's configured source, so the page takes its own before it
    // asks for a single tile: the default server never hears of the user.
    // Texts travel as JSON string literals, never as script.
    std::string sources = "window.veltaraTileSources = {";
    for (const char* page : kPageFiles) {
        const TileSource tiles = TileSource::read(*settings, page);
        if (!tiles.configured()) continue;
        sources += jsonStringLiteral(page) + ": [" + jsonStringLiteral(tiles.urlTemplate) + ", " +
                   jsonStringLiteral(tiles.attributionHtml) + ", " + std::to_string(tiles.maxZoom) + "], ";
    }
    sources += "};";
    browser.SetStartupScript("veltara-tile-sources", sources);
}

void CMapDisplay::watchPageLoads(ScriptHost& browser) {
    // Queued after the loader's navigation by a web view; the load ends much later.
    browser.SetWebBrowserEventHandler(
        std::make_shared<CWebMapEventHandler>([this, &browser, alive = std::weak_ptr<int>(alive_)] {
            if (alive.lock()) onPageLoaded(browser);
        }));
}

void CMapDisplay::onPageLoaded(ScriptHost& browser) {
    CMapLoader* l = loader();
    if (!l) return;
    // A page starts metric.
    if (config_.units != UnitSystem::Metric) showUnits(browser);
    if (store_) {
        // The loader draws from the shown pages on; from 0 it starts a new
        // line (clearLinePoints first). shownPages is the UI thread's alone.
        const int32_t shown = store_->getShownPages();
        if (shown > 0) {
            store_->setShownPages(0);
            l->drawNewPages(browser, *store_, shown);
            store_->setShownPages(shown);
        }
    }
    if (lastFix_) {
        // A fresh page has no marker: create it again.
        l->resetMarker();
        l->moveMarker(browser, lastFix_->longitude, lastFix_->latitude);
    }
    if (pageLoadHook_) pageLoadHook_(browser);
}

void CMapDisplay::showUnits(ScriptHost& browser) {
    page_.callScript(browser, "setScaleUnits", {config_.units == UnitSystem::Imperial ? "imperial" : "metric"});
}

void CMapDisplay::moveMarker(ScriptHost& browser, double longitude, double latitude) {
    lastFix_ = MapPosition{latitude, longitude};
    if (CMapLoader* l = loader()) l->moveMarker(browser, longitude, latitude);
}

void CMapDisplay::drawBatch(ScriptHost& browser, TrackStore& store, int32_t endPage) {
    store_ = &store;
    drawNewPages(browser, store, endPage);
}

void CMapDisplay::drawNewPages(ScriptHost& browser, const TrackStore& store, int32_t endPage) {
    if (CMapLoader* l = loader()) l->drawNewPages(browser, store, endPage);
}

void CMapDisplay::clearTrack(ScriptHost& browser) {
    lastFix_.reset();
    if (CMapLoader* l = loader()) l->clearTrack(browser);
}

void CMapDisplay::removeMarker(ScriptHost& browser) {
    lastFix_.reset();
    if (CMapLoader* l = loader()) l->removeMarker(browser);
}

void CMapDisplay::resetMarker() {
    lastFix_.reset();
    if (CMapLoader* l = loader()) l->resetMarker();
}

std::string CMapDisplay::pageFileName() const {
    const CMapLoader* l = loader();
    return l ? l->pageFileName() : std::string();
}

int32_t CMapDisplay::linePoints() const {
    const CMapLoader* l = loader();
    return l ? l->linePoints() : 0;
}

std::optional<MapPosition> CMapDisplay::marker() const {
    const CMapLoader* l = loader();
    return l ? l->marker() : std::nullopt;
}

TrackMapConversion CMapDisplay::trackConversion() const {
    const CMapLoader* l = loader();
    return l ? l->trackConversion() : TrackMapConversion::Copy;
}
