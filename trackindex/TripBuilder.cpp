#include "trackindex/TripBuilder.h"

#include "track/CameraTime.h"

#include <algorithm>
#include <map>

std::string clipChannel(std::string_view fileName) {
    const size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    const size_t dot = fileName.find_last_of('.');
    const std::string_view stem = dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    const size_t underscore = stem.find_last_of('_');
    return underscore == std::string_view::npos ? std::string() : std::string(stem.substr(underscore + 1));
}

std::vector<Trip> buildTrips(const std::vector<TripClip>& clips) {
    std::vector<TripClipView> views;
    views.reserve(clips.size());
    for (const TripClip& clip : clips) views.push_back({clip.name, clip.records, clip.timesMs});
    return buildTrips(views);
}

std::vector<Trip> buildTrips(const std::vector<TripClipView>& clips) {
    struct Span {
        size_t clip;
        int64_t first, last;
    };
    std::map<std::string, std::vector<Span>> channels;
    for (size_t i = 0; i < clips.size(); ++i) {
        bool any = false;
        Span span{i, 0, 0};
        for (const TrackRecord& r : clips[i].records) {
            int64_t t = 0;
            if (!cameraSeconds(r, t)) continue;
            if (!any) span.first = t;
            span.last = t;
            any = true;
        }
        if (any) channels[clipChannel(clips[i].name)].push_back(span);
    }
    std::vector<Trip> trips;
    for (auto& [channel, spans] : channels) {
        std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
        for (size_t i = 0; i < spans.size(); ++i) {
            if (i == 0 || spans[i].first - spans[i - 1].last > TRIP_GAP_SECONDS) {
                trips.emplace_back();
                trips.back().channel = channel;
            }
            Trip& trip = trips.back();
            trip.clips.push_back(spans[i].clip);
            const TripClipView& clip = clips[spans[i].clip];
            trip.figures.startClip();
            for (size_t k = 0; k < clip.records.size(); ++k)
                trip.figures.add(clip.records[k], k < clip.timesMs.size() ? clip.timesMs[k] : -1);
        }
    }
    return trips;
}
