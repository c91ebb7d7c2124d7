#pragma once
// Groups clips into trips. A clip's channel is the one its name gives in the
// table of camera names (cameras/CameraNaming: "2026_1207_091500_0001F.MP4"
// -> "F"); a name the table does not know is channel "". Within a channel
// (and camera family) clips are ordered by the
// camera time of their first record with a real date and time; a clip joins
// the trip of the one before when it starts at most 120 s after that one's
// last such record. A clip without such a record belongs to no trip.
// Plain functions; any thread.
#include "track/TrackRecord.h"
#include "trackindex/TrackFigures.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TripClip {
    std::string name;                  // file name, as listed
    std::vector<TrackRecord> records;  // every record of the clip, in order
    std::vector<int64_t> timesMs;      // each record's cue start, or empty when unknown
};

// A clip seen where its records are kept: building trips copies nothing.
struct TripClipView {
    std::string_view name;
    std::span<const TrackRecord> records;
    std::span<const int64_t> timesMs;
};

// A clip seen by its figures alone (TrackFigures made from every record of
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
std::vector<Trip> buildTrips(const std::vector<TripClip>& clips);
std::vector<Trip> buildTrips(const std::vector<TripClipView>& clips);
// The same from each clip's figures: no record needs to be held.
std::vector<Trip> buildTrips(const std::vector<TripClipFigures>& clips);
