#pragma once
// A map loader knows one map page and how to feed it: it opens the page in
// a browser control, draws the newly ready pages of the track store as the
// track line and places the car marker. CMapDisplay picks one and stands
// in front of it.
//
// Threads: openPage and reopenPage on the start-up thread (once) or the UI
// thread; everything else on the UI thread.
#include "map/MapPosition.h"
#include "map/ScriptHost.h"
#include "track/TrackMapConversion.h"
#include "track/TrackStore.h"

#include <cstdint>
#include <optional>
#include <string>

class CMapLoader {
public:
    virtual ~CMapLoader() = default;

    // programFolder ends in "/"; the pages live in its Map/ folder.
    virtual void openPage(ScriptHost& browser, const std::string& programFolder) = 0;
    virtual void reopenPage(ScriptHost& browser, const std::string& programFolder) = 0;
    // WGS-84 degrees, longitude first.
    virtual void moveMarker(ScriptHost& browser, double longitude, double latitude) = 0;
    // Draws the pages from the store's shownPages up to (not including)
    // endPage, which the caller read from getReadyPages().
    virtual void drawNewPages(ScriptHost& browser, const TrackStore& store, int32_t endPage) = 0;
    virtual void resetMarker() = 0;
    // The car leaves the page too (playback stopped, no position now).
    virtual void removeMarker(ScriptHost& browser) = 0;
    // Another clip starts: the previous clip's line and car leave the page,
    // so a clip without a track never shows someone else's route.
    virtual void clearTrack(ScriptHost& browser) = 0;

    // What the page shows, for diagnostics: the page's file name ("" before
    // openPage), the points added to the current line, the car marker's
    // last position (in the page's datum; none after a reset).
    virtual std::string pageFileName() const = 0;
    virtual int32_t linePoints() const = 0;
    virtual std::optional<MapPosition> marker() const = 0;
    // The datum the track line's map coordinates must be written in.
    virtual TrackMapConversion trackConversion() const = 0;
};
