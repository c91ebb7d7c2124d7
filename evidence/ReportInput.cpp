#include "evidence/ReportInput.h"

#include "trackfile/TrackTextEscape.h"
#include "trip/RouteSimplifier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string number(double value) {
    if (!std::isfinite(value)) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

// Positions keep their sixth decimal (about 0.1 m).
std::string number6(double value) {
    if (!std::isfinite(value)) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

std::string numbers(const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i > 0 ? "," : "") + number(values[i]);
    return out + "]";
}

std::string boolean(bool value) {
    return value ? "true" : "false";
}

std::string place(const char* key, const std::optional<ReportPlace>& at) {
    if (!at) return "";
    return std::string(",\"") + key + "\":[" + number6(at->latitude) + "," + number6(at->longitude) + "]";
}

std::string event(const ReportEvent& e) {
    return "{\"at\":" + number(e.atSeconds) + ",\"kind\":" + jsonString(e.kind) + ",\"peakG\":" + number(e.peakG) + "}";
}

// Pairs (latitude, longitude) thinned to at most `most`: the line a page
// shows, then every k-th point with the last.
void thinRoute(std::vector<double>& route, size_t most) {
    const size_t n = route.size() / 2;
    if (n <= most) return;
    if (most < 2) {
        route.clear();
        return;
    }
    std::vector<RouteFix> fixes(n);
    for (size_t i = 0; i < n; ++i) fixes[i].latitude = route[2 * i], fixes[i].longitude = route[2 * i + 1];
    std::vector<size_t> kept = RouteSimplifier::simplify(fixes, {}, RouteSimplifier::screenTolerance(fixes, 1000.0));
    if (kept.size() > most) {
        const size_t step = (kept.size() + most - 2) / std::max<size_t>(most - 1, 1);
        std::vector<size_t> even;
        for (size_t i = 0; i < kept.size(); i += step) even.push_back(kept[i]);
        if (even.back() != kept.back()) even.back() = kept.back();
        kept = std::move(even);
    }
    std::vector<double> out;
    out.reserve(kept.size() * 2);
    for (const size_t i : kept) out.insert(out.end(), {route[2 * i], route[2 * i + 1]});
    route = std::move(out);
}

// Pairs (seconds, value) thinned to at most `most`: each stretch of the
// curve keeps its first point and its largest value, so no peak is lost.
void thinCurve(std::vector<double>& curve, size_t most) {
    const size_t n = curve.size() / 2;
    if (n <= most || most < 2) {
        if (most < 2 && n > most) curve.resize(most * 2);
        return;
    }
    const size_t per = (n + most / 2 - 1) / (most / 2);
    std::vector<double> out;
    out.reserve(most * 2);
    for (size_t from = 0; from < n; from += per) {
        const size_t to = std::min(n, from + per);
        size_t peak = from;
        for (size_t i = from + 1; i < to; ++i)
            if (curve[2 * i + 1] > curve[2 * peak + 1]) peak = i;
        out.insert(out.end(), {curve[2 * from], curve[2 * from + 1]});
        if (peak != from) out.insert(out.end(), {curve[2 * peak], curve[2 * peak + 1]});
    }
    curve = std::move(out);
}

// What one point of the route or a curve costs in the JSON, at most: two
// numbers of "%.7g" and their commas.
constexpr size_t kPointBytes = 2 * 16;

}  // namespace

bool ReportInput::fitForDrawing(std::string& reason, size_t limit) {
    ReportInput bare = *this;
    bare.route.clear();
    bare.speed.clear();
    bare.g.clear();
    const size_t base = bare.json().size();
    if (base >= limit) {
        reason = "the report's input would take " + std::to_string(base) + " bytes, more than the report reads (" +
                 std::to_string(limit) + ")";
        return false;
    }
    const size_t most = std::min(kDrawnPoints, (limit - base) / (3 * kPointBytes));
    thinRoute(route, most);
    thinCurve(speed, most);
    thinCurve(g, most);
    return true;
}

std::string ReportInput::json() const {
    std::string out = "{";
    out += "\"texts\":{";
    for (size_t i = 0; i < texts.size(); ++i)
        out += std::string(i > 0 ? "," : "") + jsonString(texts[i].first) + ":" + jsonString(texts[i].second);
    out += "}";
    out += ",\"overlay\":" + boolean(overlay) + ",\"inset\":" + boolean(inset) + ",\"hasData\":" + boolean(hasData) + ",\"imperial\":" + boolean(imperial);
    if (!layout.empty()) out += ",\"layout\":" + jsonString(layout);
    out += ",\"start\":" + jsonString(start) + ",\"end\":" + jsonString(end) + ",\"timeKind\":" + jsonString(timeKind);
    out += ",\"lengthSeconds\":" + number(lengthSeconds) + ",\"distanceMetres\":" + number(distanceMetres);
    out += ",\"topSpeedKmh\":" + number(topSpeedKmh) + ",\"averageSpeedKmh\":" + number(averageSpeedKmh);
    out += ",\"strongestG\":" + number(strongestG) + ",\"hasG\":" + boolean(hasG);
    out += ",\"route\":" + numbers(route) + ",\"speed\":" + numbers(speed) + ",\"g\":" + numbers(g);
    out += ",\"events\":[";
    for (size_t i = 0; i < events.size(); ++i) out += std::string(i > 0 ? "," : "") + event(events[i]);
    out += "],\"frame\":" + jsonString(frame) + ",\"clips\":[";
    for (size_t i = 0; i < clips.size(); ++i) {
        out += std::string(i > 0 ? "," : "") + "{\"path\":" + jsonString(clips[i].path) +
               ",\"size\":" + std::to_string(clips[i].sizeBytes) + ",\"from\":" + jsonString(clips[i].from) +
               ",\"to\":" + jsonString(clips[i].to) + ",\"sha256\":" + jsonString(clips[i].sha256);
        if (const auto& r = clips[i].repair)
            out += ",\"repair\":{\"original\":" + jsonString(r->original) +
                   ",\"originalSha256\":" + jsonString(r->originalSha256) +
                   ",\"originalState\":" + jsonString(r->originalState) +
                   ",\"reference\":" + jsonString(r->reference) +
                   ",\"referenceSha256\":" + jsonString(r->referenceSha256) + "}";
        out += "}";
    }
    out += "],\"originals\":[";
    for (size_t i = 0; i < originals.size(); ++i) out += std::string(i > 0 ? "," : "") + jsonString(originals[i]);
    out += "],\"derived\":[";
    for (size_t i = 0; i < derived.size(); ++i) out += std::string(i > 0 ? "," : "") + jsonString(derived[i]);
    out += "]";
    // Fields added later: a reader that does not know them reads the rest as before.
    out += ",\"zone\":" + jsonString(zone) + ",\"askedSeconds\":" + number(askedSeconds) +
           ",\"stretchSeconds\":" + number(stretchSeconds);
    out += place("startPlace", startPlace) + place("endPlace", endPlace) + place("incidentPlace", incidentPlace);
    if (incident) out += ",\"incident\":" + event(*incident) + ",\"incidentTime\":" + jsonString(incidentTime);
    out += ",\"case\":" + jsonString(caseReference) + ",\"vehicle\":" + jsonString(vehicle) +
           ",\"note\":" + jsonString(note);
    out += ",\"software\":" + jsonString(software) + ",\"createdUtc\":" + jsonString(createdUtc) +
           ",\"createdLocal\":" + jsonString(createdLocal);
    if (cameraClock.known)
        out += ",\"cameraClock\":{\"median\":" + number(cameraClock.medianSeconds) +
               ",\"min\":" + number(cameraClock.minSeconds) + ",\"max\":" + number(cameraClock.maxSeconds) +
               ",\"samples\":" + std::to_string(cameraClock.samples) + "}";
    if (!custody.empty()) {
        out += ",\"custody\":[";
        for (size_t i = 0; i < custody.size(); ++i) out += std::string(i > 0 ? "," : "") + jsonString(custody[i]);
        out += "]";
    }
    return out + "}";
}
