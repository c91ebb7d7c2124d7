#pragma once
// veltara-track --repair: repairs each clip cut short (no index) from the
// reference given or the nearest healthy clip of its camera, and prints each
// repaired copy's path; a clip that cannot be repaired gets its reason on
// standard error.
//
// Threads: main; each repair runs on a worker that a signal stops.
#include "veltara-track/TrackToolOptions.h"

#include <atomic>
#include <string>
#include <vector>

// The exit status: 0 every clip repaired, 1 any not.
int runRepairCommand(const TrackToolOptions& options, const std::vector<std::string>& clips,
                     const std::atomic<int>& interrupted);

// Whether the clip is cut short (media data without a whole index).
bool isCutClip(const std::string& path);
