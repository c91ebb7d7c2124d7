#include "map/MapTripLayer.h"

#include "map/CoordinateText.h"
#include "map/ScriptCallSource.h"
#include "trip/ClipSeconds.h"
#include "trip/NearestFix.h"
#include "trip/RouteDatum.h"

#include <algorithm>

namespace {

// The positions as a JSON array of numbers, latitude first, in the page's
// datum; only numbers this program formats reach the page.
std::string positionsText(const std::vector<RouteFix>& fixes, const std::vector<size_t>& indexes,
                          TrackMapConversion conversion) {
    std::vector<RouteFix> picked;
    picked.reserve(indexes.size());
    for (size_t i : indexes) picked.push_back(fixes[i]);
    picked = routeInMapDatum(picked, conversion);
    std::string text = "[";
    text.reserve(picked.size() * 24 + 2);
    for (size_t k = 0; k < picked.size(); ++k) {
        if (k > 0) text += ',';
        text += coordinateText(picked[k].latitude);
        text += ',';
        text += coordinateText(picked[k].longitude);
    }
    text += ']';
    return text;
}

// The events as a JSON array of (latitude, longitude, kind) in the page's
// datum, each at the fix the trip found for it; kind 0 brake, 1 accel,
// 2 impact, 3 the car's own event, at the place the car gave where it gave
// one. labels: each event's tool tip as a JSON array of strings (the car's
// city; "" for none), escaped as JSON so the text stays text.
std::string eventsText(const TripRoute& route, const TripSet* trips, TrackMapConversion conversion,
                       std::string& labels) {
    std::vector<RouteFix> picked;
    std::vector<int> kinds;
    labels = "[";
    for (const TripEvent& e : route.events) {
        const ClipTrack* clip = trips && e.kind == TripEventKind::Car && e.clip < route.clipPaths.size()
                                    ? trips->clip(route.clipPaths[e.clip])
                                    : nullptr;
        const CarEventMark* car = clip && clip->carEvent ? &*clip->carEvent : nullptr;
        if (car && car->event.hasPlace()) {
            picked.push_back({*car->event.latitude, *car->event.longitude, 0.0f, e.clip, e.timeMs});
        } else if (e.fix >= 0 && static_cast<uint64_t>(e.fix) < route.fixes.size()) {
            picked.push_back(route.fixes[static_cast<size_t>(e.fix)]);
        } else {
            continue;
        }
        kinds.push_back(static_cast<int>(e.kind));
        labels += (kinds.size() > 1 ? "," : "") + jsonStringLiteral(car ? car->event.city : std::string());
    }
    labels += ']';
    picked = routeInMapDatum(picked, conversion);
    std::string text = "[";
    for (size_t k = 0; k < picked.size(); ++k) {
        if (k > 0) text += ',';
        text += coordinateText(picked[k].latitude) + ',' + coordinateText(picked[k].longitude) + ',' +
                std::to_string(kinds[k]);
    }
    return text + ']';
}

bool sharesAClip(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::any_of(a.begin(), a.end(),
                       [&b](const std::string& path) { return std::find(b.begin(), b.end(), path) != b.end(); });
}

// The current clip's own fixes, as a route of one clip.
TripRoute clipRoute(const ClipTrack& clip) {
    TripRoute route;
    route.clipPaths.push_back(clip.path);
    route.clipFirstFix.push_back(0);
    for (const TelemetrySample& s : clip.samples) {
        if (!s.fix || !plausiblePosition(s.latitude, s.longitude)) continue;
        route.fixes.push_back({s.latitude, s.longitude, s.hasSpeed ? std::max(0.0f, s.speedKmh) : 0.0f, 0, s.clipMs});
    }
    return route;
}

}  // namespace

void MapTripLayer::ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) {
    const TripRoute* trip = trips && !currentClip.empty() ? trips->tripOf(currentClip) : nullptr;
    const bool wasDrawn = drawnPoints_ > 0;
    if (trip && !trip->fixes.empty()) {
        // The same trip, perhaps grown by clips read since: the page keeps its
        // view (same key) and gets the route again only when it changed.
        const bool same = wasDrawn && route_ && sharesAClip(route_->clipPaths, trip->clipPaths);
        const bool unchanged = same && route_->clipPaths == trip->clipPaths && drawnFixCount_ == trip->fixes.size() &&
                               conversion_ == display_.trackConversion();
        trips_ = trips;
        route_ = trip;
        if (unchanged) return;
        if (!same) ++key_;
        keep(trip, true);
        send();
        return;
    }
    trips_ = trips;
    const ClipTrack* clip = trips && !currentClip.empty() ? trips->clip(currentClip) : nullptr;
    if (clip && clip->readable()) {
        ownRoute_ = clipRoute(*clip);
        keep(&ownRoute_, false);
    } else {
        keep(nullptr, false);
    }
    if (wasDrawn && browser_) page_.callScript0(*browser_, kClearTripRoute);
}

void MapTripLayer::keep(const TripRoute* route, bool draw) {
    if (route != &ownRoute_) ownRoute_ = TripRoute{};
    route_ = route;
    conversion_ = display_.trackConversion();
    drawnFixes_.clear();
    drawnMarks_.clear();
    drawnEvents_.clear();
    drawnEventLabels_.clear();
    drawnPoints_ = 0;
    drawnFixCount_ = 0;
    if (!draw || !route || route->fixes.empty()) return;
    // Thinned where the trip was built. The datum shift varies slowly:
    // thinning the recorded positions thins the converted ones alike.
    const std::vector<RouteFix>& fixes = route->fixes;
    drawnFixes_ = positionsText(fixes, route->drawn, conversion_);
    drawnMarks_ = positionsText(fixes, route->clipMarks, conversion_);
    drawnEvents_ = eventsText(*route, trips_.get(), conversion_, drawnEventLabels_);
    drawnPoints_ = route->drawn.size();
    drawnFixCount_ = fixes.size();
}

void MapTripLayer::send() {
    if (!browser_ || drawnPoints_ == 0) return;
    page_.callScript(*browser_, kSetTripRoute,
                     {std::to_string(key_), drawnFixes_, drawnMarks_, drawnEvents_, drawnEventLabels_});
}

void MapTripLayer::Redraw() {
    // A layer kept before the map's page was chosen is in the wrong datum.
    if (route_ && conversion_ != display_.trackConversion()) keep(route_, route_ != &ownRoute_);
    send();
}

std::optional<MapTripLayer::Moment> MapTripLayer::MomentNear(double latitude, double longitude,
                                                             double toleranceMetres) const {
    if (!route_) return std::nullopt;
    double wgsLatitude = 0.0;
    double wgsLongitude = 0.0;
    wgsOfMapPosition(conversion_, latitude, longitude, wgsLatitude, wgsLongitude);
    const std::optional<size_t> found = NearestFix::find(route_->fixes, wgsLatitude, wgsLongitude, toleranceMetres);
    if (!found) return std::nullopt;
    const RouteFix& fix = route_->fixes[*found];
    if (fix.clip >= route_->clipPaths.size()) return std::nullopt;
    return Moment{route_->clipPaths[fix.clip], clipSecondOfMs(fix.timeMs, true)};
}
