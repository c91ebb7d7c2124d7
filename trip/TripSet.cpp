#include "trip/TripSet.h"

#include "trackindex/CameraTime.h"
#include "trackindex/TripBuilder.h"
#include "trip/EventDetector.h"

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

}  // namespace

std::shared_ptr<const TripSet> TripSet::build(Clips clips, const EventSettings& events) {
    const EventDetector detector(events);
    auto set = std::make_shared<TripSet>();
    std::vector<TripClip> tripClips;
    std::vector<size_t> tripClipToClip;
    for (size_t i = 0; i < clips.size(); ++i) {
        if (!clips[i]) continue;
        set->clipByPath_.emplace(clips[i]->path, i);
        if (!clips[i]->readable()) continue;
        // The builder copies what it needs; the records stay in the clips.
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
