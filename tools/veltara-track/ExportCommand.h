#pragma once
// veltara-track --export: resolves the start (CLIP@SECONDS or a UTC date and
// time) among the clips given and makes the export folder. Prints the
// folder on standard output, or the reason on standard error.
//
// Threads: main; the export runs on a worker that a signal stops.
#include "veltara-track/TrackToolOptions.h"
#include "trip/EventSettings.h"

#include <atomic>
#include <string>
#include <vector>

// The exit status: 0 written, 1 failed or stopped.
int runExportCommand(const TrackToolOptions& options, const std::vector<std::string>& clips,
                     const EventSettings& events, const std::atomic<int>& interrupted);
