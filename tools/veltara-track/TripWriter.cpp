#include "veltara-track/TripWriter.h"

#include "track/CameraTime.h"
#include "trackfile/TrackTextEscape.h"
#include "trackfile/TrackWriter.h"
#include "vehicle/CarEventReason.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Width in characters: UTF-8 continuation bytes take no column.
size_t columnsOf(const std::string& text) {
    size_t columns = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++columns;
    return columns;
}

std::string padded(const std::string& text, size_t width, bool right) {
    const size_t columns = columnsOf(text);
    const std::string fill(width > columns ? width - columns : 0, ' ');
    return right ? fill + text : text + fill;
}

const CarEventMark* carEventOf(const Trip& trip, const TripEvent& e, const CarEventMarks& carEvents) {
    if (e.kind != TripEventKind::Car) return nullptr;
    const size_t clip = trip.clips[e.clip];
    return clip < carEvents.size() && carEvents[clip] ? &*carEvents[clip] : nullptr;
}

std::string eventJson(const Trip& trip, const std::vector<std::string>& names, const TripEvent& e,
                      const CarEventMarks& carEvents) {
    std::string out = "{\"clip\":" + jsonString(baseName(names[trip.clips[e.clip]])) +
                      ",\"time_s\":" + trackDecimal(static_cast<double>(e.timeMs) / 1000.0, 1) + ",\"kind\":\"" +
                      std::string(tripEventKindName(e.kind)) + "\",\"peak_g\":" + trackDecimal(e.peakG, 2);
    if (const CarEventMark* car = carEventOf(trip, e, carEvents)) {
        out += ",\"reason\":" + jsonString(car->event.reason) +
               ",\"words\":" + jsonString(CarEventReason::text(car->event.reason, car->sentry));
        if (!car->event.city.empty()) out += ",\"city\":" + jsonString(car->event.city);
        if (car->event.hasPlace())
            out += ",\"lat\":" + trackDecimal(*car->event.latitude, 6) +
                   ",\"lon\":" + trackDecimal(*car->event.longitude, 6);
    }
    return out + "}";
}

// The peak, or for the car's own event its words and city.
std::string peakOrWords(const Trip& trip, const TripEvent& e, const CarEventMarks& carEvents) {
    const CarEventMark* car = carEventOf(trip, e, carEvents);
    if (!car) return e.kind == TripEventKind::Car ? std::string("-") : trackDecimal(e.peakG, 2) + " G";
    std::string text = CarEventReason::text(car->event.reason, car->sentry);
    if (!car->event.city.empty()) text += ", " + car->event.city;
    return printableText(text);
}

// Columns rightFrom..rightTo line up on the right, the others on the left.
std::string aligned(const std::vector<std::vector<std::string>>& rows, size_t rightFrom, size_t rightTo) {
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], columnsOf(row[c]));
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const bool right = c >= rightFrom && c <= rightTo;
            line += (c == 0 ? "" : "  ") + (c + 1 == row.size() ? row[c] : padded(row[c], widths[c], right));
        }
        out += line + "\n";
    }
    return out;
}

}  // namespace

std::string tripsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                      const CarEventMarks& carEvents) {
    std::string out = "[";
    for (size_t t = 0; t < trips.size(); ++t) {
        const Trip& trip = trips[t];
        const TrackFigures& f = trip.figures;
        out += t == 0 ? "\n" : ",\n";
        out += "{\"channel\":" + jsonString(trip.channel) + ",\"clips\":[";
        for (size_t i = 0; i < trip.clips.size(); ++i)
            out += (i == 0 ? "" : ",") + jsonString(baseName(names[trip.clips[i]]));
        out += "],\"start\":\"" + formatSeconds(f.startSeconds(), false) + "\",\"end\":\"" +
               formatSeconds(f.endSeconds(), false) + "\",\"duration_s\":" + std::to_string(f.durationSeconds()) +
               ",\"distance_m\":" + trackDecimal(f.distanceMetres(), 1) +
               ",\"max_speed_kmh\":" + trackDecimal(f.maxSpeedKmh(), 1) +
               ",\"avg_speed_kmh\":" + trackDecimal(f.averageSpeedKmh(), 1) + ",\"events\":[";
        if (t < events.size())
            for (size_t i = 0; i < events[t].size(); ++i)
                out += (i == 0 ? "" : ",") + eventJson(trip, names, events[t][i], carEvents);
        out += "]}";
    }
    out += trips.empty() ? "]\n" : "\n]\n";
    return out;
}

std::string tripsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names) {
    std::vector<std::vector<std::string>> rows{
        {"channel", "start", "end", "duration", "distance", "max speed", "avg speed", "clips", "first clip"}};
    for (const Trip& trip : trips) {
        const TrackFigures& f = trip.figures;
        const int64_t d = f.durationSeconds();
        char duration[32];
        std::snprintf(duration, sizeof duration, "%lld:%02lld:%02lld", static_cast<long long>(d / 3600),
                      static_cast<long long>(d / 60 % 60), static_cast<long long>(d % 60));
        rows.push_back({printableText(trip.channel.empty() ? "-" : trip.channel),
                        formatSeconds(f.startSeconds(), false), formatSeconds(f.endSeconds(), false), duration,
                        trackDecimal(f.distanceMetres() / 1000.0, 2) + " km",
                        trackDecimal(f.maxSpeedKmh(), 1) + " km/h", trackDecimal(f.averageSpeedKmh(), 1) + " km/h",
                        std::to_string(trip.clips.size()), printableText(baseName(names[trip.clips.front()]))});
    }
    // Figures line up on the right, names and times on the left.
    return aligned(rows, 3, 7);
}

std::string eventsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                       const CarEventMarks& carEvents) {
    std::string out = "[";
    bool first = true;
    for (size_t t = 0; t < trips.size() && t < events.size(); ++t)
        for (const TripEvent& e : events[t]) {
            out += (first ? "\n" : ",\n") + eventJson(trips[t], names, e, carEvents);
            first = false;
        }
    out += first ? "]\n" : "\n]\n";
    return out;
}

std::string eventsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                        const CarEventMarks& carEvents) {
    std::vector<std::vector<std::string>> rows{{"channel", "clip", "time", "kind", "peak"}};
    for (size_t t = 0; t < trips.size() && t < events.size(); ++t)
        for (const TripEvent& e : events[t]) {
            const int64_t tenths = e.timeMs / 100;
            char time[32];
            std::snprintf(time, sizeof time, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                          static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
            rows.push_back({printableText(trips[t].channel.empty() ? "-" : trips[t].channel),
                            printableText(baseName(names[trips[t].clips[e.clip]])), time,
                            std::string(tripEventKindName(e.kind)), peakOrWords(trips[t], e, carEvents)});
        }
    return aligned(rows, 2, 2);
}
