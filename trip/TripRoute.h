#pragma once
// One trip of the playlist: its clips in order and its whole route, every
// fix kept (seeking uses every fix), the fixes to draw (thinned where the trip
// is built, on its worker: thinning millions of fixes takes seconds), and its
// events. A plain value.
#include "trackindex/TrackFigures.h"
#include "trip/TripEvent.h"

#include <cstdint>
#include <string>
#include <vector>

struct RouteFix {
    double latitude = 0.0;  // decimal degrees as recorded (WGS-84)
    double longitude = 0.0;
    float speedKmh = 0.0f;
    uint32_t clip = 0;   // index into TripRoute::clipPaths
    int64_t timeMs = 0;  // the moment in that clip
};

struct TripRoute {
    std::string channel;
    std::vector<std::string> clipPaths;  // in trip order
    std::vector<size_t> clipFirstFix;    // per clip: index of its first fix (that of the next clip when it has none)
    std::vector<RouteFix> fixes;         // in trip order
    TrackFigures figures;
    std::vector<TripEvent> events;  // sorted by clip and time; the strongest kMaxEvents
    size_t eventsLeftOut = 0;       // weaker events beyond kMaxEvents
    std::vector<size_t> clipMarks;  // the first fix of each clip that has one
    std::vector<size_t> drawn;      // the fixes to draw: thinned for a view kViewPixels wide, marks kept

    static constexpr size_t kMaxEvents = 1000;
    static constexpr double kViewPixels = 2000.0;

    // Fills clipMarks and drawn from fixes and clipFirstFix.
    void thinForDrawing();

    size_t clipIndexOf(const std::string& path) const;  // clipPaths.size() when not in the trip
};
