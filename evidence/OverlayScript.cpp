#include "evidence/OverlayScript.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kMilesPerKilometre = 0.621371;

// ASS's clock: h:mm:ss.cc
std::string assTime(double seconds) {
    const long long cs = std::llround(std::max(0.0, seconds) * 100.0);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", cs / 360000, cs / 6000 % 60, cs / 100 % 60, cs % 100);
    return text;
}

}  // namespace

void OverlayScript::holdReadings(std::vector<OverlayMoment>& moments) {
    constexpr double kHoldSeconds = 1.0;
    const OverlayMoment* fix = nullptr;
    const OverlayMoment* accel = nullptr;
    std::vector<OverlayMoment> held = moments;
    for (size_t i = 0; i < moments.size(); ++i) {
        const OverlayMoment& m = moments[i];
        TrackRecord& r = held[i].record;
        if (hasPositionFix(m.record)) {
            fix = &m;
        } else if (r.valid && fix != nullptr && m.atSeconds - fix->atSeconds <= kHoldSeconds &&
                   m.atSeconds >= fix->atSeconds) {
            r.latitude = fix->record.latitude;
            r.longitude = fix->record.longitude;
            r.hasFix = true;
            r.speed = fix->record.speed;
            r.hasSpeed = fix->record.hasSpeed;
        }
        if (m.record.valid && m.record.hasAccel) {
            accel = &m;
        } else if (r.valid && accel != nullptr && m.atSeconds - accel->atSeconds <= kHoldSeconds &&
                   m.atSeconds >= accel->atSeconds) {
            r.accelX = accel->record.accelX;
            r.accelY = accel->record.accelY;
            r.accelZ = accel->record.accelZ;
            r.hasAccel = true;
        }
    }
    moments = std::move(held);
}

std::string OverlayScript::line(const TrackRecord& r, UnitSystem units, const GSensorScale& scale,
                                const std::string& zone) {
    if (!r.valid) return "No data";
    std::string out;
    char text[96];
    if (r.year > 0) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(r.year), r.month, r.day,
                      r.hour, r.minute, r.second);
        out += text;
        out += zone.empty() ? std::string(" camera clock") : " " + zone;
    }
    if (hasPositionFix(r)) {
        const bool imperial = units == UnitSystem::Imperial;
        if (r.hasSpeed) {
            std::snprintf(text, sizeof text, "%s%.0f %s", out.empty() ? "" : "   ",
                          imperial ? r.speed * kMilesPerKilometre : r.speed, imperial ? "mph" : "km/h");
            out += text;
        }
        std::snprintf(text, sizeof text, "%s%c%.5f %c%.5f", out.empty() ? "" : "   ", r.latitude < 0 ? 'S' : 'N',
                      std::fabs(r.latitude),
                      r.longitude < 0 ? 'W' : 'E', std::fabs(r.longitude));
        out += text;
    } else {
        out += out.empty() ? "No fix" : "   No fix";
    }
    if (r.hasAccel && scale.countsPerG > 0.0) {
        const double x = (r.accelX - scale.zeroCount) / scale.countsPerG;
        const double y = (r.accelY - scale.zeroCount) / scale.countsPerG;
        std::snprintf(text, sizeof text, "   %.2f G", std::sqrt(x * x + y * y));
        out += text;
    }
    // A car that records itself: its brake and driver assistance.
    if (r.vehicle && r.vehicle->brake) out += *r.vehicle->brake ? "   Brake on" : "   Brake off";
    if (r.vehicle && r.vehicle->assist) {
        switch (*r.vehicle->assist) {
            case DriverAssist::None:
                out += "   Assist off";
                break;
            case DriverAssist::SelfDriving:
                out += "   Self-driving";
                break;
            case DriverAssist::Autosteer:
                out += "   Autosteer";
                break;
            case DriverAssist::TrafficAwareCruise:
                out += "   Traffic-aware cruise";
                break;
        }
    }
    return out;
}

std::string OverlayScript::make(const std::vector<OverlayMoment>& moments, double lengthSeconds, UnitSystem units,
                                const GSensorScale& scale) {
    // A 1280x720 canvas the renderer scales to the video (26 px: the longest
    // line, with its zone, stays within the width); a box behind the
    // text (border style 3) makes the band readable on any picture.
    std::string out =
        "[Script Info]\n"
        "ScriptType: v4.00+\n"
        "PlayResX: 1280\n"
        "PlayResY: 720\n"
        "WrapStyle: 2\n"
        "ScaledBorderAndShadow: yes\n"
        "\n"
        "[V4+ Styles]\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
        "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
        "MarginR, MarginV, Encoding\n"
        "Style: Band,DejaVu Sans,26,&H00FFFFFF,&H00FFFFFF,&H80000000,&H80000000,0,0,0,0,100,100,0,0,3,8,0,2,0,0,"
        "6,1\n"
        "\n"
        "[Events]\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
    for (size_t i = 0; i < moments.size(); ++i) {
        const double from = std::max(0.0, moments[i].atSeconds);
        const double to = i + 1 < moments.size() ? moments[i + 1].atSeconds : lengthSeconds;
        if (to <= from || from >= lengthSeconds) continue;
        out += "Dialogue: 0," + assTime(from) + "," + assTime(std::min(to, lengthSeconds)) + ",Band,,0,0,0,," +
               line(moments[i].record, units, scale, moments[i].zone) + "\n";
    }
    return out;
}
