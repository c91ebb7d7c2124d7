#pragma once
// The trips the clips read so far form: each clip's track (or why it has
// none) by path, and the trips with their routes and figures. Built whole by
// whoever read the clips and never changed afterwards, so a shared one may
// be read on any thread.
#include "telemetry/DisplayZone.h"
#include "trip/ClipTrack.h"
#include "trip/EventSettings.h"
#include "trip/TripRoute.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TripSet {
public:
    using Clips = std::vector<std::shared_ptr<const ClipTrack>>;

    // Clips without a sample with a real date and time belong to no trip.
    // Each trip's events are found with the given settings. zone: where UTC
    // times are shown, which is the clock trips are split and shown on.
    static std::shared_ptr<const TripSet> build(Clips clips, const EventSettings& events = {},
                                                const DisplayZone& zone = {});

    const Clips& clips() const { return clips_; }
    const std::vector<TripRoute>& trips() const { return trips_; }
    // Null when the clip has not been read.
    const ClipTrack* clip(const std::string& path) const;
    // The trip the clip belongs to, and the clip's index in it; null when none.
    const TripRoute* tripOf(const std::string& path, size_t* clipIndex = nullptr) const;
    // The zone the set was built in: its clips' times are shown in it.
    const DisplayZone& zone() const { return zone_; }

private:
    Clips clips_;
    DisplayZone zone_;
    std::vector<TripRoute> trips_;
    std::unordered_map<std::string, size_t> clipByPath_;
    std::unordered_map<std::string, size_t> tripByPath_;
};
