// The in-process track reader on arbitrary bytes held in memory: whatever
// the container says, it never crashes or hangs, and each cue it yields is
// at most what a text slot holds.
#include "trackindex/NativeTrackReader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    const auto result = reader.readBytes(std::string_view(reinterpret_cast<const char*>(data), size), cues, reason);
    if (result == NativeTrackReader::Result::Failed && (reason.empty() || !cues.empty())) std::abort();
    for (const TrackCue& cue : cues)
        if (cue.text.size() > 127) std::abort();
    return 0;
}
