#pragma once
// A view of the playlist's trips: the trip layer of the map, the timeline
// strip, the playlist's trip figures. The trip review tells each of them
// what changed; a view overrides what concerns it.
//
// Threads: UI thread only. Lifecycle: a display is added to the trip review
// once the window's controls exist and outlives it.
#include "config/UnitSystem.h"
#include "trip/TripSet.h"

#include <cstddef>
#include <memory>
#include <string>

class TripDisplay {
public:
    virtual ~TripDisplay() = default;

    // The trips of the clips read so far (null: none yet, or the playlist
    // was cleared) and the clip being played ("" when none). Called when
    // either changes.
    virtual void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) = 0;
    // Reading the playlist's clips: done of total (done == total: finished).
    virtual void ShowReadingProgress(size_t done, size_t total) {
        (void)done;
        (void)total;
    }
    virtual void SetUnits(UnitSystem units) { (void)units; }
};
