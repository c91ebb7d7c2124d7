#pragma once
// The index (`moov`) of a repaired copy: the reference's track headers and
// sample descriptions, and sample tables built from the walk. Each picture,
// AAC frame and text sample is a chunk of its own; each PCM stretch is one
// chunk of its frames. Durations follow the reference's usual sample
// durations; the times in the headers are the given start. A Novatek index
// (`gps `) is written for the data blocks when the reference has one.
// Pictures the walk found shown out of decode order get composition offsets
// (`ctts`) and an edit that starts the track at its first picture shown.
//
// Threads: any; a pure builder.
#include "repair/MdatWalk.h"
#include "repair/PictureOrder.h"
#include "repair/RepairProfile.h"

#include <cstdint>
#include <string>

class RepairedMovie {
public:
    // dataBase: where the copied media data begins in the new file;
    // sourceStart: where it began in the cut clip.
    RepairedMovie(const RepairProfile& profile, const WalkResult& walk, uint64_t sourceStart, uint64_t dataBase)
        : profile_(profile), walk_(walk), sourceStart_(sourceStart), dataBase_(dataBase) {}

    // creationUnixSeconds: the start of the recording.
    std::string moov(int64_t creationUnixSeconds) const;
    // The picture track's duration in seconds.
    double seconds() const;

private:
    PictureOrder::Offsets pictureOffsets() const;
    std::string trak(size_t index, uint64_t mp4Time, uint32_t trackId) const;
    std::string sampleTable(size_t index) const;
    uint64_t mediaTicks(size_t index) const;
    uint64_t moved(uint64_t offset) const { return dataBase_ + (offset - sourceStart_); }

    const RepairProfile& profile_;
    const WalkResult& walk_;
    uint64_t sourceStart_, dataBase_;
};
