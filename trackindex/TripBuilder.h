#pragma once
// Groups clips into trips. A clip's channel is the one its name gives in the
// table of camera names (cameras/CameraNaming: "2026_1207_091500_0001F.MP4"
// -> "F"); a name the table does not know is channel "". Within a channel
// (and camera family) clips are ordered by the
// camera time of their first record with a real date and time; a clip joins
// the trip of the one before when it starts at most 120 s after that one's
// last such record. A clip without such a record belongs to no trip.
// Plain functions; any thread.
#include "telemetry/DisplayZone.h"
#include "telemetry/TelemetrySample.h"
#include "trackindex/TrackFigures.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TripClip {
    std::string name;                      // file name, as listed
    std::vector<TelemetrySample> samples;  // every sample of the clip, in clip order
};

// A clip seen where its samples are kept: building trips copies nothing.
struct TripClipView {
    std::string_view name;
    std::span<const TelemetrySample> samples;
};

// A clip seen by its figures alone (TrackFigures made from every sample of
// it, with startClip() first): its start and end are its span.
struct TripClipFigures {
    std::string name;
    TrackFigures figures;
};

struct Trip {
    std::string channel;
    std::vector<size_t> clips;  // indexes into the clips given, in trip order
    TrackFigures figures;
};

constexpr int64_t TRIP_GAP_SECONDS = 120;

std::string clipChannel(std::string_view fileName);

// Trips ordered by channel, then start.
// zone: where UTC times are shown.
std::vector<Trip> buildTrips(const std::vector<TripClip>& clips, const DisplayZone& zone);
std::vector<Trip> buildTrips(const std::vector<TripClipView>& clips, const DisplayZone& zone);
// The same from each clip's figures: no sample needs to be held.
std::vector<Trip> buildTrips(const std::vector<TripClipFigures>& clips);
