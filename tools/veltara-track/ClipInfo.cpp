#include "veltara-track/ClipInfo.h"

#include "platform/CivilTime.h"
#include "track/CameraTime.h"
#include "trackfile/TrackTextEscape.h"

namespace {

const char* timeKindName(TelemetryTime kind) {
    switch (kind) {
        case TelemetryTime::Utc:
            return "utc";
        case TelemetryTime::Camera:
            return "camera";
        case TelemetryTime::Creation:
            return "creation";
        case TelemetryTime::None:
            break;
    }
    return "none";
}

// A camera clock has no zone: no "Z".
std::string moment(int64_t ms, TelemetryTime kind) {
    std::string text = platform::formatMilliseconds(ms, true, false);
    if (kind == TelemetryTime::Camera) text.pop_back();
    return text;
}

}  // namespace

ClipInfo clipInfoOf(const std::string& path, const ClipReading& reading) {
    ClipInfo info;
    info.path = path;
    info.format = reading.format();
    const ClipTelemetry& t = reading.telemetry;
    info.samples = t.samples.size();
    info.fixes = t.fixes();
    info.gSensor = t.hasGSensor();
    info.timeKind = t.timeKind();
    info.order = t.orderProblem();
    for (const TelemetrySample& s : t.samples) {
        if (s.timeKind == TelemetryTime::None) continue;
        if (info.first.empty()) info.first = moment(s.timeMs, s.timeKind);
        info.last = moment(s.timeMs, s.timeKind);
    }
    return info;
}

std::string clipInfoText(const std::vector<ClipInfo>& clips) {
    std::string out = "path\tformat\tsamples\tfixes\tfirst\tlast\ttime\tg_sensor\torder\n";
    for (const ClipInfo& c : clips) {
        out += printableText(c.path) + '\t' + (c.cut ? "cut" : std::string(telemetryFormatName(c.format))) + '\t' +
               std::to_string(c.samples) + '\t' + std::to_string(c.fixes) + '\t' + (c.first.empty() ? "-" : c.first) +
               '\t' + (c.last.empty() ? "-" : c.last) + '\t' + timeKindName(c.timeKind) + '\t' +
               (c.gSensor ? "yes" : "no") + '\t' + (c.order.empty() ? "-" : c.order) + '\n';
    }
    return out;
}

std::string clipInfoJson(const std::vector<ClipInfo>& clips) {
    std::string out = "[";
    for (size_t i = 0; i < clips.size(); ++i) {
        const ClipInfo& c = clips[i];
        const auto textOrNull = [](const std::string& s) { return s.empty() ? std::string("null") : jsonString(s); };
        out += i == 0 ? "\n  {" : ",\n  {";
        out += "\"path\": " + jsonString(c.path) +
               ", \"format\": " + jsonString(c.cut ? "cut" : telemetryFormatName(c.format)) +
               ", \"samples\": " + std::to_string(c.samples) + ", \"fixes\": " + std::to_string(c.fixes) +
               ", \"first\": " + textOrNull(c.first) + ", \"last\": " + textOrNull(c.last) +
               ", \"time_kind\": " + jsonString(timeKindName(c.timeKind)) +
               ", \"g_sensor\": " + (c.gSensor ? "true" : "false") + ", \"order\": " + textOrNull(c.order) + "}";
    }
    out += clips.empty() ? "]\n" : "\n]\n";
    return out;
}
