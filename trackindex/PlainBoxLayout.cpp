#include "trackindex/PlainBoxLayout.h"

#include "telemetry/IsoFile.h"

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Each box that shapes a stream, with the one parent it may have.
constexpr std::pair<uint32_t, uint32_t> kPlaces[] = {
    {fourcc("mvhd"), fourcc("moov")},
    {fourcc("trak"), fourcc("moov")},
    {fourcc("tkhd"), fourcc("trak")},
    {fourcc("edts"), fourcc("trak")},
    {fourcc("elst"), fourcc("edts")},
    {fourcc("mdia"), fourcc("trak")},
    {fourcc("mdhd"), fourcc("mdia")},
    {fourcc("hdlr"), fourcc("mdia")},
    {fourcc("minf"), fourcc("mdia")},
    {fourcc("stbl"), fourcc("minf")},
    {fourcc("stsd"), fourcc("stbl")},
    {fourcc("stts"), fourcc("stbl")},
    {fourcc("ctts"), fourcc("stbl")},
    {fourcc("stsc"), fourcc("stbl")},
    {fourcc("stsz"), fourcc("stbl")},
    {fourcc("stz2"), fourcc("stbl")},
    {fourcc("stco"), fourcc("stbl")},
    {fourcc("co64"), fourcc("stbl")},
    {fourcc("stss"), fourcc("stbl")},
    {fourcc("stps"), fourcc("stbl")},
    {fourcc("sdtp"), fourcc("stbl")},
    {fourcc("sbgp"), fourcc("stbl")},
    {fourcc("sgpd"), fourcc("stbl")},
    {fourcc("cslg"), fourcc("stbl")},
    {fourcc("tref"), fourcc("trak")},
    {fourcc("dinf"), fourcc("minf")},
    {fourcc("udta"), 0},
    {fourcc("meta"), 0},
};

// Boxes whose children FFmpeg reads as boxes. 0 as a place: anywhere.
constexpr uint32_t kContainers[] = {
    fourcc("moov"), fourcc("trak"), fourcc("edts"), fourcc("mdia"), fourcc("minf"), fourcc("stbl"),
    fourcc("dinf"), fourcc("udta"), fourcc("ilst"), fourcc("tref"), fourcc("wave"), fourcc("tapt"),
    fourcc("gmhd"), fourcc("clip"), fourcc("matt"), fourcc("imap"), fourcc("sinf"), fourcc("schi"),
    fourcc("ipro"), fourcc("mvex"), fourcc("moof"), fourcc("traf"), fourcc("mfra"),
};

bool listed(uint32_t type, const uint32_t* begin, const uint32_t* end) {
    for (const uint32_t* t = begin; t != end; ++t)
        if (*t == type) return true;
    return false;
}

// true: in its place (or not a box that shapes a stream).
bool inPlace(uint32_t type, uint32_t parent) {
    for (const auto& [box, place] : kPlaces)
        if (box == type) return place == 0 || place == parent;
    return true;
}

// Unique within one parent: a second table of the same kind would replace
// or add to the first.
bool once(uint32_t type) {
    return type != fourcc("trak") && type != fourcc("udta") && type != fourcc("meta") && type != fourcc("sbgp") &&
           type != fourcc("sgpd");
}

// A handler box in the movie's own metadata names the metadata's kind and
// FFmpeg skips it; inside a track it would rename the track.
bool walk(const IsoFile& file, const IsoBox& parent, int depth, bool inTrack) {
    if (depth > IsoFile::kMaxDepth) return false;
    std::unordered_set<uint32_t> seen;
    // A meta box is a full box in MP4 and a plain one in QuickTime: both
    // readings must be clean.
    for (const uint64_t skip : parent.type == fourcc("meta") ? std::vector<uint64_t>{0, 4} : std::vector<uint64_t>{0}) {
        seen.clear();
        for (const IsoBox& box : file.children(parent, skip)) {
            if (file.stopped()) return false;
            const bool movieMetadata = !inTrack && parent.type == fourcc("meta") && box.type == fourcc("hdlr");
            if (!movieMetadata && !inPlace(box.type, parent.type)) return false;
            if (once(box.type) && !seen.insert(box.type).second) return false;
            const bool container = listed(box.type, std::begin(kContainers), std::end(kContainers));
            if ((container || box.type == fourcc("meta")) &&
                !walk(file, box, depth + 1, inTrack || box.type == fourcc("trak")))
                return false;
        }
    }
    return true;
}

}  // namespace

bool PlainBoxLayout::check(const IsoFile& file) {
    size_t movies = 0;
    for (const IsoBox& top : file.topLevel()) {
        if (top.type == fourcc("moov"))
            ++movies;
        else if (!inPlace(top.type, 0) || top.type == fourcc("moof"))
            return false;
    }
    IsoBox fragments;
    // A walk cut short by the box budget or a stop has not seen every box.
    return movies == 1 && !file.findChild(file.moov(), fourcc("mvex"), fragments) && walk(file, file.moov(), 1, false) &&
           !file.boxBudgetSpent() && !file.stopped();
}
