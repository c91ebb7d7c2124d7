#include "telemetry/ClipTelemetry.h"

#include <algorithm>

bool ClipTelemetry::add(const TelemetrySample& sample) {
    if (samples.size() >= kSampleLimit) {
        drop("more than " + std::to_string(kSampleLimit) + " samples: the rest is left out");
        return false;
    }
    samples.push_back(sample);
    return true;
}

void ClipTelemetry::drop(std::string note) {
    if (dropped.size() < kNoteLimit && std::find(dropped.begin(), dropped.end(), note) == dropped.end())
        dropped.push_back(std::move(note));
}

size_t ClipTelemetry::fixes() const {
    return static_cast<size_t>(std::count_if(samples.begin(), samples.end(), [](const TelemetrySample& s) {
        return s.fix && plausiblePosition(s.latitude, s.longitude);
    }));
}

bool ClipTelemetry::hasGSensor() const {
    return std::any_of(samples.begin(), samples.end(), [](const TelemetrySample& s) { return s.hasAccel; });
}

TelemetryTime ClipTelemetry::timeKind() const {
    for (const TelemetrySample& s : samples)
        if (s.timeKind != TelemetryTime::None) return s.timeKind;
    return TelemetryTime::None;
}

void ClipTelemetry::clear() {
    format = TelemetryFormat::None;
    samples.clear();
    problem.clear();
    dropped.clear();
}
