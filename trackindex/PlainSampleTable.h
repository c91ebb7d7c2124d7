#pragma once
// Whether a track's sample table is one FFmpeg's MP4 reader takes as it
// stands: it mends or reads differently tables whose counts disagree, whose
// chunk runs go backwards, whose times overflow its integers, or whose last
// sample lasts far longer than the others. Our box reader is lenient with
// all of these; a reader that must give FFmpeg's very samples declines them.
//
// Threads: any; a pure check of one open file.
#include <cstddef>

class IsoFile;
struct IsoTrack;

class PlainSampleTable {
public:
    // samples: how many samples the box reader listed for the track.
    static bool check(const IsoFile& file, const IsoTrack& track, size_t samples);
};
