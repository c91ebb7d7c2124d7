// The camera track read without FFmpeg, on arbitrary bytes held in memory:
// it never crashes or hangs, and whenever it reads a clip that FFmpeg reads
// too, FFmpeg's path gives the very same cues (it must decline everything
// else). A file FFmpeg refuses whole (a broken box it checks and we never
// look at) may still give its track here.
#include "trackindex/NativeTrackReader.h"
#include "trackindex/PlainTextTrack.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<TrackCue> plain;
    if (PlainTextTrack::readBytes(bytes, plain) != PlainTextTrack::Outcome::Read) {
        if (!plain.empty()) std::abort();
        return 0;
    }
    NativeTrackReader reader;
    std::vector<TrackCue> coded;
    std::string reason;
    const auto result = reader.readBytes(bytes, coded, reason);
    if (result == NativeTrackReader::Result::Failed && coded.empty()) return 0;
    if (result != NativeTrackReader::Result::Track || coded.size() != plain.size()) std::abort();
    for (size_t i = 0; i < plain.size(); ++i)
        if (plain[i].text != coded[i].text || plain[i].startMs != coded[i].startMs ||
            plain[i].durationMs != coded[i].durationMs)
            std::abort();
    return 0;
}
