#pragma once
// Whether a clip was cut short: it has media data (`mdat`) but no index
// (`moov`), or an index that ends before its declared size. The media data's
// usable stretch runs to its declared end or the file's, whichever comes
// first (a size of 0, or one larger than the file, runs to the end).
//
// Threads: any; a pure look at an opened file.
#include "telemetry/IsoFile.h"

#include <cstdint>
#include <string>

struct CutClip {
    enum class State { Cut, HasIndex, NoMediaData };
    State state = State::NoMediaData;
    uint64_t mediaStart = 0;  // first byte of the media data's payload
    uint64_t mediaEnd = 0;    // one past its last usable byte

    static CutClip of(const IsoFile& file);
    // Opens the file and looks: true only for a clip cut short.
    static bool isCut(const std::string& path);
};
