#include "veltara-track/TripWriter.h"

#include "veltara-track/TrackTextEscape.h"
#include "veltara-track/TrackWriter.h"
#include "trackindex/CameraTime.h"

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

}  // namespace

std::string tripsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names) {
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
               ",\"avg_speed_kmh\":" + trackDecimal(f.averageSpeedKmh(), 1) + ",\"events\":[]}";
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
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], columnsOf(row[c]));
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            // Figures line up on the right, names and times on the left.
            const bool right = c >= 3 && c <= 7;
            line += (c == 0 ? "" : "  ") + (c + 1 == row.size() ? row[c] : padded(row[c], widths[c], right));
        }
        out += line + "\n";
    }
    return out;
}
