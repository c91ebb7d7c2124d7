#include "evidence/ReportInput.h"

#include "trackfile/TrackTextEscape.h"

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

}  // namespace

std::string ReportInput::json() const {
    std::string out = "{";
    out += "\"texts\":{";
    for (size_t i = 0; i < texts.size(); ++i)
        out += std::string(i > 0 ? "," : "") + jsonString(texts[i].first) + ":" + jsonString(texts[i].second);
    out += "}";
    out += ",\"overlay\":" + boolean(overlay) + ",\"inset\":" + boolean(inset) + ",\"hasData\":" + boolean(hasData) + ",\"imperial\":" + boolean(imperial);
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
