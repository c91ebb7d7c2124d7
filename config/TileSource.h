#pragma once
// The tile source a map page may take from the settings file instead of its
// own: a section named after the page ("GoogleMap_Oversea" for
// GoogleMap_Oversea.html) with TileUrl, TileAttribution and TileMaxZoom.
// The file is hand-edited, so nothing is trusted: only an http(s) template
// with {z}, {x} and {y} (and at most {s}) is taken, otherwise the page keeps
// its own source; the attribution is shown as plain text.
//
// Threads: plain values; read may run on any thread once the store's paths
// are set. Nothing starts or stops.
#include "config/ConfigStore.h"

#include <string>
#include <string_view>

class TileSource {
public:
    static constexpr std::string_view kUrlKey = "TileUrl";
    static constexpr std::string_view kAttributionKey = "TileAttribution";
    static constexpr std::string_view kMaxZoomKey = "TileMaxZoom";
    static constexpr int kLowestMaxZoom = 1;
    static constexpr int kHighestMaxZoom = 22;

    std::string urlTemplate;      // empty: the page's own source
    std::string attributionHtml;  // the configured text, escaped for HTML
    int maxZoom = 0;              // 0: the page's own

    bool configured() const { return !urlTemplate.empty(); }

    // The source configured for the page of that file name.
    static TileSource read(const ConfigStore& store, std::string_view pageFileName);
    // "GoogleMap_China.html" -> "GoogleMap_China".
    static std::string sectionFor(std::string_view pageFileName);
    // http:// or https://, a host, {z}, {x} and {y}, no other placeholder
    // than {s}, and only printable characters that need no quoting.
    static bool isUrlTemplate(std::string_view text);
    // & < > " ' as entities, control characters dropped.
    static std::string escapeHtml(std::string_view text);
};
