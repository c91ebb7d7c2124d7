#include "trip/TripSet.h"

#include "trackindex/TripBuilder.h"
#include "trip/EventDetector.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

void appendRoute(const ClipTrack& clip, uint32_t clipIndex, TripRoute& route) {
    route.clipFirstFix.push_back(route.fixes.size());
    for (const TelemetrySample& s : clip.samples) {
        if (!s.fix || !plausiblePosition(s.latitude, s.longitude)) continue;
        const float kmh = s.hasSpeed && std::isfinite(s.speedKmh) ? std::max(0.0f, s.speedKmh) : 0.0f;
        route.fixes.push_back({s.latitude, s.longitude, kmh, clipIndex, s.clipMs});
    }
}

// A crafted clip can hold an event every few seconds for days: the strongest
// are kept, in trip order.
void keepStrongestEvents(TripRoute& route) {
    std::vector<TripEvent>& events = route.events;
    if (events.size() <= TripRoute::kMaxEvents) return;
    route.eventsLeftOut = events.size() - TripRoute::kMaxEvents;
    std::nth_element(events.begin(), events.begin() + TripRoute::kMaxEvents, events.end(),
                     [](const TripEvent& a, const TripEvent& b) { return a.peakG > b.peakG; });
    events.resize(TripRoute::kMaxEvents);
    std::sort(events.begin(), events.end(), [](const TripEvent& a, const TripEvent& b) {
        return a.clip != b.clip ? a.clip < b.clip : a.timeMs < b.timeMs;
    });
}

// The car's own events stand beside the detected ones, never left out.
void addCarEvents(TripRoute& route, const TripSet::Clips& clips, const std::vector<size_t>& tripClipToClip,
                  const std::vector<size_t>& tripClips) {
    bool added = false;
    for (size_t c = 0; c < tripClips.size(); ++c) {
        const ClipTrack& clip = *clips[tripClipToClip[tripClips[c]]];
        if (!clip.carEvent || !clip.carEvent->onThisClip) continue;
        route.events.push_back({static_cast<uint32_t>(c), clip.carEvent->timeMs, TripEventKind::Car, 0.0, -1});
        added = true;
    }
    if (added)
        std::stable_sort(route.events.begin(), route.events.end(), [](const TripEvent& a, const TripEvent& b) {
            return a.clip != b.clip ? a.clip < b.clip : a.timeMs < b.timeMs;
        });
}

// Each event's fix: the one of its clip nearest its moment, by a binary
// search over the clip's fixes sorted by time (a crafted clip's times need
// not be in order).
void findEventFixes(TripRoute& route) {
    std::vector<std::pair<int64_t, size_t>> byTime;
    uint32_t sortedClip = UINT32_MAX;
    for (TripEvent& e : route.events) {
        if (e.clip >= route.clipFirstFix.size()) continue;
        if (e.clip != sortedClip) {
            byTime.clear();
            for (size_t i = route.clipFirstFix[e.clip]; i < route.fixes.size() && route.fixes[i].clip == e.clip; ++i)
                byTime.emplace_back(route.fixes[i].timeMs, i);
            std::sort(byTime.begin(), byTime.end());
            sortedClip = e.clip;
        }
        if (byTime.empty()) continue;
        auto at = std::lower_bound(byTime.begin(), byTime.end(), std::make_pair(e.timeMs, size_t{0}));
        // The nearer of the fixes on either side; compared without overflow.
        if (at == byTime.end() ||
            (at != byTime.begin() && static_cast<uint64_t>(e.timeMs) - static_cast<uint64_t>((at - 1)->first) <
                                         static_cast<uint64_t>(at->first) - static_cast<uint64_t>(e.timeMs)))
            --at;
        e.fix = static_cast<int64_t>(at->second);
    }
}

}  // namespace

std::shared_ptr<const TripSet> TripSet::build(Clips clips, const EventSettings& events, const DisplayZone& zone) {
    const EventDetector detector(events, zone);
    auto set = std::make_shared<TripSet>();
    set->zone_ = zone;
    std::vector<TripClipView> tripClips;
    std::vector<size_t> tripClipToClip;
    for (size_t i = 0; i < clips.size(); ++i) {
        if (!clips[i]) continue;
        set->clipByPath_.emplace(clips[i]->path, i);
        if (!clips[i]->readable()) continue;
        // Seen in place: a rebuild (one per snapshot) copies no clip's samples.
        tripClips.push_back({clips[i]->path, clips[i]->samples});
        tripClipToClip.push_back(i);
    }
    for (Trip& trip : buildTrips(tripClips, zone)) {
        TripRoute route;
        route.channel = std::move(trip.channel);
        route.figures = trip.figures;
        std::vector<EventClipTrack> eventClips;
        for (size_t k : trip.clips) {
            const ClipTrack& clip = *clips[tripClipToClip[k]];
            const auto index = static_cast<uint32_t>(route.clipPaths.size());
            route.clipPaths.push_back(clip.path);
            appendRoute(clip, index, route);
            // A camera's text gives counts, which the events' scale reads.
            eventClips.emplace_back(clip.samples, clip.format == TelemetryFormat::CameraText);
            set->tripByPath_.emplace(clip.path, set->trips_.size());
        }
        route.events = detector.detect(eventClips);
        keepStrongestEvents(route);
        addCarEvents(route, clips, tripClipToClip, trip.clips);
        findEventFixes(route);
        route.thinForDrawing();
        set->trips_.push_back(std::move(route));
    }
    set->clips_ = std::move(clips);
    return set;
}

const ClipTrack* TripSet::clip(const std::string& path) const {
    const auto it = clipByPath_.find(path);
    return it == clipByPath_.end() ? nullptr : clips_[it->second].get();
}

const TripRoute* TripSet::tripOf(const std::string& path, size_t* clipIndex) const {
    const auto it = tripByPath_.find(path);
    if (it == tripByPath_.end()) return nullptr;
    const TripRoute& trip = trips_[it->second];
    if (clipIndex) *clipIndex = trip.clipIndexOf(path);
    return &trip;
}
