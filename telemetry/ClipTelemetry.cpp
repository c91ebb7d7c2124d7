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

std::string ClipTelemetry::orderProblem() const {
    bool jumps = false;
    const TelemetrySample* timed = nullptr;  // the last sample with a date and time
    for (size_t i = 0; i < samples.size(); ++i) {
        const TelemetrySample& s = samples[i];
        if (i > 0 && s.clipMs < samples[i - 1].clipMs) return "samples out of time order, kept as the clip has them";
        if (s.timeKind == TelemetryTime::None) continue;
        if (timed != nullptr && timed->timeKind == s.timeKind) {
            int64_t clock = 0, clip = 0, ahead = 0;
            if (__builtin_sub_overflow(s.timeMs, timed->timeMs, &clock) ||
                __builtin_sub_overflow(s.clipMs, timed->clipMs, &clip) ||
                __builtin_sub_overflow(clock, clip, &ahead) || clock < 0 || ahead > kTimeJumpMs ||
                ahead < -kTimeJumpMs)
                jumps = true;
        }
        timed = &s;
    }
    return jumps ? "times that jump, kept as the clip has them" : "";
}

void ClipTelemetry::clear() {
    format = TelemetryFormat::None;
    samples.clear();
    problem.clear();
    dropped.clear();
}
