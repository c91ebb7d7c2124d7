#pragma once
// Whether a clip's boxes that set a stream's timing sit where the MP4
// layout puts them, once each. FFmpeg's MP4 reader applies such a box
// wherever it meets it (an edit list straight under a track, a time table
// inside user data, one after a track in the movie box), to the stream read
// last; our box reader only looks in the standard places. A reader that
// must give FFmpeg's very samples declines any other layout, and fragmented
// files (a `moof` or an `mvex`).
//
// Threads: any; a pure check of one open file.
class IsoFile;

class PlainBoxLayout {
public:
    static bool check(const IsoFile& file);
};
