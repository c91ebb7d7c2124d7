// The box reader on arbitrary bytes: every box it lists lies inside its
// parent, every sample of every track inside the file, and it never crashes
// or hangs whatever the sizes and counts say.
#include "telemetry/IsoFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

void checkInside(const IsoBox& box, uint64_t begin, uint64_t end) {
    if (box.offset < begin || box.size < box.headerSize || box.size > end - box.offset) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IsoFile file;
    std::string reason;
    if (!file.openBytes(std::string_view(reinterpret_cast<const char*>(data), size), reason)) {
        if (reason.empty() || !file.topLevel().empty()) std::abort();
        return 0;
    }
    for (const IsoBox& top : file.topLevel()) {
        checkInside(top, 0, file.size());
        for (const IsoBox& child : file.children(top, 8))
            checkInside(child, top.payloadOffset(), top.offset + top.size);
    }
    IsoBox found;
    if (file.findChild(file.moov(), fourcc("udta"), found))
        checkInside(found, file.moov().offset, file.moov().offset + file.moov().size);
    int64_t created = 0;
    if (file.creationTime(created) && created < 0) std::abort();
    std::vector<IsoSample> samples;
    for (const IsoTrack& track : file.tracks()) {
        if (!file.samples(track, samples, reason)) {
            if (!samples.empty()) std::abort();
            continue;
        }
        if (samples.size() > IsoFile::kMaxSamples) std::abort();
        for (const IsoSample& s : samples)
            if (s.offset > file.size() || s.size > file.size() - s.offset) std::abort();
    }
    return 0;
}
