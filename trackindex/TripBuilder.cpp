#include "trackindex/TripBuilder.h"

#include "cameras/CameraNaming.h"

#include <algorithm>
#include <map>

std::string clipChannel(std::string_view fileName) {
    return cameras::CameraNaming::parse(fileName).streamLabel();
}

std::vector<Trip> buildTrips(const std::vector<TripClip>& clips, const DisplayZone& zone) {
    std::vector<TripClipView> views;
    views.reserve(clips.size());
    for (const TripClip& clip : clips) views.push_back({clip.name, clip.samples});
    return buildTrips(views, zone);
}

std::vector<Trip> buildTrips(const std::vector<TripClipView>& clips, const DisplayZone& zone) {
    std::vector<TripClipFigures> figured(clips.size());
    for (size_t i = 0; i < clips.size(); ++i) {
        figured[i].name = clips[i].name;
        TrackFigures& figures = figured[i].figures;
        figures.startClip();
        for (const TelemetrySample& sample : clips[i].samples) figures.add(sample, zone);
    }
    return buildTrips(figured);
}

std::vector<Trip> buildTrips(const std::vector<TripClipFigures>& clips) {
    struct Span {
        size_t clip;
        int64_t first, last;
    };
    // By channel, then camera family: two cameras' fronts are two channels.
    std::map<std::pair<std::string, cameras::CameraFamily>, std::vector<Span>> channels;
    for (size_t i = 0; i < clips.size(); ++i) {
        const TrackFigures& figures = clips[i].figures;
        if (!figures.hasTime()) continue;
        const cameras::ClipName name = cameras::CameraNaming::parse(clips[i].name);
        channels[{name.streamLabel(), name.family}].push_back({i, figures.startSeconds(), figures.endSeconds()});
    }
    std::vector<Trip> trips;
    for (auto& [channel, spans] : channels) {
        std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
        for (size_t i = 0; i < spans.size(); ++i) {
            if (i == 0 || spans[i].first - spans[i - 1].last > TRIP_GAP_SECONDS) {
                trips.emplace_back();
                trips.back().channel = channel.first;
            }
            Trip& trip = trips.back();
            trip.clips.push_back(spans[i].clip);
            trip.figures.append(clips[spans[i].clip].figures);
        }
    }
    return trips;
}
