#include "trip/EventSettings.h"

#include "config/ConfigStore.h"

#include <charconv>
#include <cmath>
#include <string>

double EventSettings::parseSetting(std::string_view text, double low, double high, double fallback) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    // from_chars reads "." whatever the process locale is.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    if (!std::isfinite(value) || value < low || value > high) return fallback;
    return value;
}

EventSettings EventSettings::read(const ConfigStore& store) {
    EventSettings s;
    const auto value = [&](std::string_view key, double low, double high, double fallback) {
        return parseSetting(store.ReadConfigString("", key, kSection), low, high, fallback);
    };
    s.zeroCount = value("GSensorZero", -100000.0, 100000.0, s.zeroCount);
    s.countsPerG = value("GSensorPerG", 0.01, 100000.0, s.countsPerG);
    s.brakeG = value("BrakeG", 0.05, 5.0, s.brakeG);
    s.accelG = value("AccelG", 0.05, 5.0, s.accelG);
    s.impactG = value("ImpactG", 0.2, 20.0, s.impactG);
    s.holdSeconds = value("HoldSeconds", 0.0, 10.0, s.holdSeconds);
    s.mergeSeconds = value("MergeSeconds", 0.0, 60.0, s.mergeSeconds);
    return s;
}
