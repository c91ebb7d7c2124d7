#pragma once
// A moment of a trip worth reviewing: a hard braking, a hard acceleration or
// an impact, found in the G-sensor values or the GPS speeds; or an event the
// car saved itself (its clip's ClipTrack::carEvent says why and where).
// A plain value.
#include <cstdint>
#include <string_view>

enum class TripEventKind : uint8_t { Brake = 0, Accel = 1, Impact = 2, Car = 3 };

struct TripEvent {
    uint32_t clip = 0;   // index into the trip's clips
    int64_t timeMs = 0;  // the moment in that clip
    TripEventKind kind = TripEventKind::Brake;
    double peakG = 0.0;  // the strongest acceleration of the event, in G; 0 for the car's
    int64_t fix = -1;    // the trip's fix nearest its moment in its clip (TripRoute::fixes); -1: none
};

// "brake", "accel", "impact", "car": the names files and the test driver use.
std::string_view tripEventKindName(TripEventKind kind);
