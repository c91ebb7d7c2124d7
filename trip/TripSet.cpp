#include "trip/TripSet.h"

#include "track/CameraTime.h"
#include "trackindex/TripBuilder.h"
#include "trip/EventDetector.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace {

// The moment of each record in its clip: its cue start, or, when the cues'
// times are unknown, the camera clock since the clip's first timed record.
int64_t recordTimeMs(const ClipTrack& clip, size_t index, int64_t firstSeconds, bool haveFirst) {
    if (index < clip.timesMs.size()) return clip.timesMs[index];
    int64_t seconds = 0;
    if (!haveFirst || !cameraSeconds(clip.records[index], seconds)) return 0;
    return (seconds - firstSeconds) * 1000;
}

void appendRoute(const ClipTrack& clip, uint32_t clipIndex, TripRoute& route) {
    int64_t firstSeconds = 0;
    bool haveFirst = false;
    if (clip.timesMs.size() < clip.records.size()) {
        for (const TrackRecord& r : clip.records)
            if (cameraSeconds(r, firstSeconds)) {
                haveFirst = true;
                break;
            }
    }
    route.clipFirstFix.push_back(route.fixes.size());
    for (size_t i = 0; i < clip.records.size(); ++i) {
        const TrackRecord& r = clip.records[i];
        if (!hasPositionFix(r)) continue;
        route.fixes.push_back(
            {r.latitude, r.longitude, r.speed, clipIndex, recordTimeMs(clip, i, firstSeconds, haveFirst)});
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

std::shared_ptr<const TripSet> TripSet::build(Clips clips, const EventSettings& events) {
    const EventDetector detector(events);
    auto set = std::make_shared<TripSet>();
    std::vector<TripClipView> tripClips;
    std::vector<size_t> tripClipToClip;
    for (size_t i = 0; i < clips.size(); ++i) {
        if (!clips[i]) continue;
        set->clipByPath_.emplace(clips[i]->path, i);
        if (!clips[i]->readable()) continue;
        // Seen in place: a rebuild (one per snapshot) copies no clip's records.
        tripClips.push_back({clips[i]->path, clips[i]->records, clips[i]->timesMs});
        tripClipToClip.push_back(i);
    }
    for (Trip& trip : buildTrips(tripClips)) {
        TripRoute route;
        route.channel = std::move(trip.channel);
        route.figures = trip.figures;
        std::vector<EventClipTrack> eventClips;
        for (size_t k : trip.clips) {
            const ClipTrack& clip = *clips[tripClipToClip[k]];
            const auto index = static_cast<uint32_t>(route.clipPaths.size());
            route.clipPaths.push_back(clip.path);
            appendRoute(clip, index, route);
            eventClips.push_back({clip.records, clip.timesMs});
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
