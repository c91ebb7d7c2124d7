#pragma once
// Telemetry samples as the track index stores them: a little-endian record
// per sample, of fixed length (a car's samples add their channels).
// Unpacking checks every size and every value, so a damaged or forged row is
// refused, never misread. Plain functions; any thread.
#include "telemetry/TelemetrySample.h"

#include <string>
#include <string_view>
#include <vector>

std::string packSamples(const std::vector<TelemetrySample>& samples);
// False when the bytes are no whole list of samples (or more than the reader's
// limit), or when the samples are not what a clip can hold (plausibleSamples).
bool unpackSamples(std::string_view bytes, std::vector<TelemetrySample>& samples);

// Whether samples are fit to be kept and trusted: moments in the clip from 0
// to kMaxClipMs and in order, dates and times within the calendar's years
// (1970-9999), and every reading given finite and within what a car can show
// (a position on earth, speed, course, altitude, at most kMaxG on an axis,
// and a car's channels as plausibleVehicleChannels has them).
// A track that fails is read from its clip every time.
constexpr int64_t kMaxClipMs = int64_t{24} * 3600 * 1000;
constexpr float kMaxG = 200.0f;
bool plausibleSamples(const std::vector<TelemetrySample>& samples);
