#pragma once
// Going from event to event of a trip: an event is played from kLeadInMs
// before it (not before its clip's start), so the next event is the first
// one whose start lies clearly after the position, and the previous one the
// last whose start lies clearly before it; a press right after a jump thus
// moves on instead of finding the same event again.
//
// Threads: plain functions on values; any thread.
#include "trip/TripRoute.h"

#include <cstdint>

struct EventJump {
    size_t event = 0;     // index into the trip's events
    int64_t startMs = 0;  // where its clip is to play from
};

constexpr int64_t kEventLeadInMs = 5000;

// Where to play the event from in its clip.
int64_t eventStartMs(const TripEvent& event);

// From clip `clip` of the trip at positionMs: the next (or previous) event;
// false when there is none.
bool stepEvent(const TripRoute& trip, size_t clip, int64_t positionMs, bool forward, EventJump& jump);
