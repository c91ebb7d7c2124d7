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

std::string numbers(const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i > 0 ? "," : "") + number(values[i]);
    return out + "]";
}

std::string boolean(bool value) {
    return value ? "true" : "false";
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
    for (size_t i = 0; i < events.size(); ++i)
        out += std::string(i > 0 ? "," : "") + "{\"at\":" + number(events[i].atSeconds) +
               ",\"kind\":" + jsonString(events[i].kind) + ",\"peakG\":" + number(events[i].peakG) + "}";
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
    return out + "]}";
}
