#pragma once
// Walks a cut clip's media data from its start and tells every sample of
// every track the reference knows: pictures (NalSampleScanner), sound (PCM in
// whole chunks of the camera's frame size, AAC frame by frame through
// AacFrameFinder), text samples, and the camera's data blocks (`free`,
// `skip`, `GPS `, `gps ` boxes, as Novatek cameras interleave them). It stops
// at the first byte that fits nothing, at a tail of zeros, or at the end:
// that is the cut. Sound whose frames cannot be told apart (no FFmpeg) is
// skipped up to the next recognised sample and counted as a stretch without
// sound. Where the reference shows its pictures out of decode order, each
// picture's order count is read as it is found (PictureOrder).
//
// Threads: one thread per object; the stop flag may be set from any thread
// (the walk then ends early, reporting stopped).
#include "repair/MdatWindow.h"
#include "repair/RepairProfile.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct WalkedSample {
    uint64_t offset = 0;
    uint32_t size = 0;
    bool key = false;  // pictures: a key frame. PCM: one sample is a whole chunk of frames
};

struct WalkResult {
    std::vector<std::vector<WalkedSample>> tracks;  // in the profile's order
    std::vector<WalkedSample> dataBlocks;
    std::vector<int> pictureCounts;  // each picture's order count where the camera reorders them; else empty
    uint64_t end = 0;              // the cut: first byte not taken
    size_t soundlessStretches = 0;  // sound skipped because its frames could not be told apart
    bool stopped = false;
    bool zeroTail = false;  // the walk ended at zeros running to the end
};

class MdatWalk {
public:
    MdatWalk(const IsoFile& file, const RepairProfile& profile, uint64_t start, uint64_t end);
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    // Progress as the fraction of the media data walked; any thread may read it.
    void setProgress(std::atomic<double>* progress) { progress_ = progress; }
    // Raised (stored and notified) as the walk goes, up to the cut at its
    // end: every byte before it is taken, so a copy may follow that far.
    void setReached(std::atomic<uint64_t>* reached) { reached_ = reached; }
    WalkResult run();

    static constexpr size_t kMaxSamples = 4'000'000;  // of all tracks together

private:
    bool zerosToEnd(uint64_t at);
    uint32_t dataBlockAt(uint64_t at);
    uint32_t textSampleAt(uint64_t at, const RepairTrack& track);
    // Something other than sound starts here.
    bool otherStartsAt(uint64_t at);
    uint32_t pcmChunkAt(uint64_t at, const RepairTrack& track);
    uint64_t nextRecognised(uint64_t at, uint64_t limit);
    // The first offset after at, at most limit on, where otherStartsAt; 0: none.
    uint64_t nextOtherStart(uint64_t at, uint64_t limit);

    const IsoFile& file_;
    const RepairProfile& profile_;
    uint64_t start_, end_;
    MdatWindow window_;
    const std::atomic<bool>* stop_ = nullptr;
    std::atomic<double>* progress_ = nullptr;
    std::atomic<uint64_t>* reached_ = nullptr;
    uint64_t nonZeroAt_ = 0;
    unsigned char firstByteMax_ = 255;  // no other kind starts with a larger byte  // a byte known not to be zero, found by zerosToEnd
};
