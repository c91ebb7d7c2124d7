#pragma once
// The trip layer of the map: the whole route of the current clip's trip,
// lighter and under the clip's own line, with marks at the clip boundaries
// and, coloured by kind, at the trip's events.
// The route drawn is the trip's thinned one (TripRoute::drawn) and only the
// points drawn are converted to the page's datum; the full route (in the
// shared trip snapshot) stays for picking a moment with a click
// (MomentNear). A current clip in no trip draws nothing but can still be
// picked on: its own fixes are kept.
//
// Threads: UI thread only. Lifecycle: created by the view manager next to the
// map display; given the window's browser once the controls are looked up;
// added to the trip review, which calls ShowTrips. Without a browser only its
// state moves. Redraw puts the layer back on a freshly loaded page.
#include "map/CMapDisplay.h"
#include "map/CWebPage.h"
#include "map/ScriptHost.h"
#include "trip/TripDisplay.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class MapTripLayer final : public TripDisplay {
public:
    static constexpr const char* kSetTripRoute = "setTripRoute";
    static constexpr const char* kClearTripRoute = "clearTripRoute";

    struct Moment {
        std::string clip;
        int32_t seconds = 0;
    };

    explicit MapTripLayer(const CMapDisplay& display) : display_(display) {}

    void SetBrowser(ScriptHost* browser) { browser_ = browser; }

    void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) override;
    // Draws the layer again (a page load lost it).
    void Redraw();

    // The moment of the fix nearest to a position of the page's datum within
    // toleranceMetres: of the trip shown, or of the current clip when it is in
    // no trip. None when nothing is that near.
    std::optional<Moment> MomentNear(double latitude, double longitude, double toleranceMetres) const;

    // The points sent for drawing (0: no trip shown).
    size_t DrawnPoints() const { return drawnPoints_; }

private:
    void keep(const TripRoute* route, bool draw);
    void send();

    const CMapDisplay& display_;
    ScriptHost* browser_ = nullptr;
    CWebPage page_;

    std::shared_ptr<const TripSet> trips_;  // holds route_
    const TripRoute* route_ = nullptr;      // the trip shown, or ownRoute_
    TripRoute ownRoute_;                    // the current clip's fixes when it is in no trip
    std::string drawnFixes_;                // the points drawn, as sent (page datum)
    std::string drawnMarks_;
    std::string drawnEvents_;       // the trip's events, as sent
    std::string drawnEventLabels_;  // each event's tool tip (the car's city), a JSON array of strings
    size_t drawnPoints_ = 0;
    size_t drawnFixCount_ = 0;  // of the route last drawn, to tell when it grew
    TrackMapConversion conversion_ = TrackMapConversion::Copy;
    int64_t key_ = 0;  // the page's name for the trip drawn
};
