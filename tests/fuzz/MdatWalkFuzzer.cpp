// The walk of a cut clip's media data on arbitrary bytes: never a crash or a
// hang, every sample and data block inside the bytes, in order and without
// overlap, and the cut never past the end. The first byte picks the codec and
// the NAL length size; the sound is PCM, so no decoder is loaded.
#include "repair/MdatWalk.h"

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    RepairProfile profile;
    RepairTrack video;
    video.kind = RepairTrack::Kind::Video;
    video.hevc = (data[0] & 1) != 0;
    video.nalLengthSize = (data[0] & 2) != 0 ? 2 : 4;
    video.timescale = 12800;
    video.sampleDelta = 512;
    RepairTrack sound;
    sound.kind = RepairTrack::Kind::Pcm;
    sound.pcmFrameBytes = 4;
    sound.pcmChunkFrames = 1 + (data[0] >> 4);
    sound.timescale = sound.sampleDelta = 1;
    RepairTrack text;
    text.kind = RepairTrack::Kind::Text;
    text.emptyTextSamples = (data[0] & 4) != 0;
    text.timescale = 1000;
    text.sampleDelta = 1000;
    profile.tracks = {video, sound, text};

    IsoFile file;
    std::string reason;
    if (!file.openBytes(std::string_view(reinterpret_cast<const char*>(data), size), reason)) return 0;
    // The start at 1 (past the byte that chose), the declared end far past the bytes.
    MdatWalk walk(file, profile, 1, UINT64_MAX);
    const WalkResult result = walk.run();
    if (result.end > size || result.end < 1) std::abort();
    uint64_t last = 1;
    std::vector<WalkedSample> all = result.dataBlocks;
    for (const auto& track : result.tracks) all.insert(all.end(), track.begin(), track.end());
    for (const WalkedSample& s : all)
        if (s.size == 0 || s.offset < 1 || s.offset + s.size > result.end) std::abort();
    std::sort(all.begin(), all.end(), [](const WalkedSample& a, const WalkedSample& b) { return a.offset < b.offset; });
    for (const WalkedSample& s : all) {
        if (s.offset < last) std::abort();
        last = s.offset + s.size;
    }
    return 0;
}
