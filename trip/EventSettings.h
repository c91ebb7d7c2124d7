#pragma once
// The thresholds of the event detection and the scale of the G-sensor values,
// section [Events] of the settings. Every value has a range; a value outside
// it or not a number (a hand-edited file) gives the default.
//
// Threads: a plain value; read() reads the file through the store on the
// calling thread. Nothing starts or stops.
#include <string_view>

class ConfigStore;

struct EventSettings {
    static constexpr std::string_view kSection = "Events";

    // The chart draws 0..4000 as -6..+6 G.
    double zeroCount = 2000.0;          // GSensorZero: the value of 0 G
    double countsPerG = 4000.0 / 12.0;  // GSensorPerG
    double brakeG = 0.45;               // BrakeG: deceleration of a braking
    double accelG = 0.35;               // AccelG
    double impactG = 1.5;               // ImpactG: a dynamic peak
    double holdSeconds = 0.5;           // HoldSeconds: how long a braking or acceleration lasts at least
    double mergeSeconds = 3.0;          // MergeSeconds: events of one kind closer than this are one

    static EventSettings read(const ConfigStore& store);
    // A setting's text as a number within [low, high], else fallback.
    static double parseSetting(std::string_view text, double low, double high, double fallback);
};
