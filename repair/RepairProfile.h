#pragma once
// What a repair learns from a healthy clip of the same camera (the
// reference): each track's boxes to copy (sample description, headers), the
// codec and its NAL length size, the picture size, the sound's format and
// frame layout, each track's usual sample duration, and how the camera groups
// its sound into chunks and marks its data blocks. A reference that is cut,
// fragmented or has no picture track is refused with the reason.
//
// Threads: any; learn() fills a plain value that is read-only afterwards.
#include "telemetry/IsoFile.h"

#include <cstdint>
#include <string>
#include <vector>

struct RepairTrack {
    enum class Kind { Video, Aac, Pcm, Text };
    Kind kind = Kind::Video;
    uint32_t handlerType = 0;
    uint32_t timescale = 0;
    uint32_t sampleDelta = 0;  // the usual duration of one sample, in the time scale
    // The boxes copied into the repaired movie as they are.
    std::string tkhd, mdhd, hdlr, mediaHeader, dinf, stsd;

    // Video.
    bool hevc = false;
    int nalLengthSize = 4;
    uint32_t width = 0, height = 0;
    std::string parameterSets;  // avcC / hvcC payload, for a decode check
    uint32_t maxPicture = 0;    // the largest picture sample of the reference
    bool reorders = false;      // pictures are shown out of decode order (the reference has composition offsets)

    // Sound.
    uint32_t channels = 0;
    uint32_t pcmFrameBytes = 0;   // one sound frame of every channel
    uint32_t pcmChunkFrames = 1;  // the camera's chunks hold a multiple of this many frames
    std::string audioConfig;      // AAC's AudioSpecificConfig from esds
    uint32_t sampleRate = 0;

    // Text: whether the camera writes empty samples (two zero bytes).
    bool emptyTextSamples = false;
};

struct RepairProfile {
    std::vector<RepairTrack> tracks;  // the picture track first
    uint32_t movieTimescale = 1000;
    std::string ftyp;         // the whole box, or empty
    bool novatekIndex = false;  // moov holds a "gps " index of the data blocks

    // Fills from the reference; false with the reason when it cannot serve.
    bool learn(const IsoFile& reference, std::string& reason);
    const RepairTrack& video() const { return tracks.front(); }
    // "H.264 1920x1080, AAC 48000 Hz" for messages.
    std::string describe() const;
};
