#pragma once
// The one table of format readers, in the order they are tried, and the
// entry point that finds a clip's layout and reads it. The camera's own text
// track needs FFmpeg's coders and the text parser, which sit above this
// folder: its reader (trackindex/CameraTextReader) is handed in and tried in
// its place in the table. Without one, a clip with a text track is only
// recognised (format CameraText, no samples), for a caller that reads that
// track its own way (the live path's converter).
//
// Threads: any; no state.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/IsoFile.h"
#include "telemetry/TelemetryReader.h"

#include <atomic>
#include <string>

// Probes an opened file and reads the first layout that matches; format None
// when none does.
void readTelemetry(const IsoFile& file, ClipTelemetry& out, const TelemetryReader* cameraText = nullptr);

// Opens the clip and reads it as above; false (reason set) when the file
// cannot be opened or is no ISO media file. A stop flag set meanwhile ends
// the read early (what was read so far is kept).
bool readTelemetryFile(const std::string& path, ClipTelemetry& out, std::string& reason,
                       const std::atomic<bool>* stop = nullptr, const TelemetryReader* cameraText = nullptr);
