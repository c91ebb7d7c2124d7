#pragma once
// Telemetry samples as the track index stores them: a little-endian record
// per sample, of fixed length (a car's samples add their channels).
// Unpacking checks every size, so a damaged or forged row is refused, never
// misread. Plain functions; any thread.
#include "telemetry/TelemetrySample.h"

#include <string>
#include <string_view>
#include <vector>

std::string packSamples(const std::vector<TelemetrySample>& samples);
// False when the bytes are no whole list of samples (or more than the reader's limit).
bool unpackSamples(std::string_view bytes, std::vector<TelemetrySample>& samples);
