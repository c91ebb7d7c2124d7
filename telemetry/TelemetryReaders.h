#pragma once
// The one table of format readers, in the order they are tried, and the
// entry point that finds a clip's layout and reads it. The camera's own text
// track is recognised here but read by its own path (NativeTrackReader and
// the parser): readTelemetry() then sets format CameraText and no samples.
//
// Threads: any; no state.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/IsoFile.h"

#include <atomic>
#include <string>

// Probes an opened file and reads the first layout that matches; format None
// when none does.
void readTelemetry(const IsoFile& file, ClipTelemetry& out);

// Opens the clip and reads it as above; false (reason set) when the file
// cannot be opened or is no ISO media file. A stop flag set meanwhile ends
// the read early (what was read so far is kept).
bool readTelemetryFile(const std::string& path, ClipTelemetry& out, std::string& reason,
                       const std::atomic<bool>* stop = nullptr);
