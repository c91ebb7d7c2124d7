#include "telemetry/NovatekReader.h"

#include "telemetry/BigEndian.h"
#include "telemetry/NovatekBlock.h"
#include "telemetry/SignatureSearch.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

using Layout = NovatekBlock::Layout;
using Issue = NovatekBlock::Issue;

constexpr size_t kChunk = 1 << 19;  // large reads keep the search near the speed of reading the file
constexpr size_t kSignatureSize = SignatureSearch::kSize;
constexpr size_t kMaxIndexBytes = 16 * 1024 * 1024;
// A block's time may run ahead of its place in the order by this much (a gap in
// the recording); more is a wrong clock.
constexpr int64_t kMaxTimeGapMs = 600'000;

struct Region {
    uint64_t begin, end;
};

// Where blocks may be: every mdat's payload, and, when moov was never
// written, everything from the first mdat (or after the last box read) on.
std::vector<Region> mediaRegions(const IsoFile& file) {
    std::vector<Region> regions;
    const IsoBox* firstMdat = nullptr;
    for (const IsoBox& box : file.topLevel()) {
        if (box.type != fourcc("mdat")) continue;
        if (!firstMdat) firstMdat = &box;
        regions.push_back({box.payloadOffset(), box.offset + box.size});
    }
    if (file.moov().size == 0) {
        uint64_t begin = 0;
        if (firstMdat) {
            begin = firstMdat->payloadOffset();
        } else if (!file.topLevel().empty()) {
            begin = file.topLevel().back().offset + file.topLevel().back().size;
        }
        regions.assign(1, {begin, file.size()});
    }
    return regions;
}

// Calls hit(bytes, n) for every block signature in the regions, with
// up to kHeadBytes of the block; stops when hit says false or after `budget`
// bytes were searched.
template <typename Hit>
void searchBlocks(const IsoFile& file, const std::vector<Region>& regions, uint64_t budget, Hit&& hit) {
    uint64_t longest = 0;
    for (const Region& region : regions) longest = std::max(longest, region.end - region.begin);
    const size_t bufferSize = static_cast<size_t>(std::min<uint64_t>({kChunk, longest, budget}));
    if (bufferSize < kSignatureSize) return;
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(bufferSize);
    std::array<unsigned char, NovatekBlock::kHeadBytes> head;
    for (const Region& region : regions) {
        for (uint64_t pos = region.begin; pos < region.end && budget > 0;) {
            const size_t length = static_cast<size_t>(std::min<uint64_t>({bufferSize, region.end - pos, budget}));
            if (length < kSignatureSize || !file.read(pos, length, buffer.get())) break;
            budget -= length;
            const unsigned char* from = buffer.get();
            const unsigned char* const end = buffer.get() + length;
            while (const unsigned char* signature = SignatureSearch::find(from, end, NovatekBlock::kSignature)) {
                from = signature + kSignatureSize;
                const uint64_t at = pos + uint64_t(signature - buffer.get());
                if (at < region.begin + 4) continue;
                const uint64_t start = at - 4;
                const size_t n = static_cast<size_t>(std::min<uint64_t>(NovatekBlock::kHeadBytes, region.end - start));
                const unsigned char* bytes = signature - 4;
                // A block across the chunk's edges is read on its own.
                if (start < pos || start + n > pos + length) {
                    if (!file.read(start, n, head.data())) continue;
                    bytes = head.data();
                }
                if (!hit(bytes, n)) return;
            }
            if (pos + length >= region.end) break;
            pos += length - (kSignatureSize - 1);  // a signature across the edge is found in the next chunk
        }
    }
}

TelemetryFormat formatOf(Layout layout) {
    switch (layout) {
        case Layout::V3:
            return TelemetryFormat::NovatekV3;
        case Layout::Doubles:
            return TelemetryFormat::NovatekDoubles;
        default:
            return TelemetryFormat::Novatek;
    }
}

// Turns blocks, in file order, into samples at their moments in the clip,
// and counts what it leaves out.
class SampleMaker {
public:
    explicit SampleMaker(ClipTelemetry& out) : out_(out) {}

    // False when the bytes hold no block, or the clip is full.
    bool add(const unsigned char* bytes, size_t n) {
        if (full_) return false;
        NovatekBlock block;
        block.decode(bytes, n, last_);
        if (block.issue == Issue::NotABlock) return false;
        const size_t i = seen_++;
        switch (block.issue) {
            case Issue::CutShort:
                ++cutShort_;
                return true;
            case Issue::UnknownLayout:
                ++unknown_;
                return true;
            case Issue::BadPosition:
                ++badPosition_;
                return true;
            case Issue::BadDate:
                ++badDate_;
                return true;
            default:
                break;
        }
        if (block.layout == Layout::Encrypted) {
            ++encrypted_;
            return true;
        }
        last_ = block.layout;
        if (block.speedDropped) ++speedDropped_;
        if (layout_ == Layout::Unknown || (block.sample.fix && !layoutOfFix_)) {
            layout_ = block.layout;
            layoutOfFix_ = block.sample.fix;
        }
        TelemetrySample s = block.sample;
        // One block a second, unless the blocks' own times say better.
        int64_t clip = previousClip_ < 0 ? int64_t(i) * 1000 : previousClip_ + int64_t(i - previousIndex_) * 1000;
        if (s.timeKind != TelemetryTime::None) {
            if (!haveReference_) {
                haveReference_ = true;
                referenceTime_ = s.timeMs;
                referenceClip_ = clip;
                referenceKind_ = s.timeKind;
            } else if (s.timeKind == referenceKind_) {
                const int64_t byTime = referenceClip_ + (s.timeMs - referenceTime_);
                if (byTime >= std::max<int64_t>(previousClip_, 0) && byTime - clip <= kMaxTimeGapMs) clip = byTime;
            }
        }
        s.clipMs = clip;
        previousClip_ = clip;
        previousIndex_ = i;
        full_ = !out_.add(s);
        return !full_;
    }

    bool full() const { return full_; }
    size_t seen() const { return seen_; }

    // The format, and notes of what was left out.
    void finish() {
        out_.format = formatOf(layout_);
        if (out_.samples.empty() && encrypted_ > 0) {
            out_.format = TelemetryFormat::Novatek;
            out_.problem = "unsupported variant (encrypted Novatek blocks)";
            return;
        }
        if (out_.samples.empty()) out_.problem = "no readable freeGPS blocks";
        note(encrypted_, "encrypted blocks left out");
        note(cutShort_, "blocks cut short left out");
        note(unknown_, "blocks of an unknown layout left out");
        note(badPosition_, "fixes with an impossible position left out");
        note(badDate_, "fixes with an impossible date left out");
        note(speedDropped_, "impossible speeds or courses left unset");
    }

private:
    void note(size_t count, const char* what) {
        if (count > 0) out_.drop(std::to_string(count) + " " + what);
    }

    ClipTelemetry& out_;
    bool full_ = false;
    size_t seen_ = 0;                // blocks, also those left out: each stands for a second
    Layout last_ = Layout::Unknown;  // tried first on the next block
    Layout layout_ = Layout::Unknown;
    bool layoutOfFix_ = false;  // the first fix names the layout, else the first block
    int64_t previousClip_ = -1;
    size_t previousIndex_ = 0;
    bool haveReference_ = false;
    int64_t referenceTime_ = 0, referenceClip_ = 0;
    TelemetryTime referenceKind_ = TelemetryTime::None;
    size_t encrypted_ = 0, cutShort_ = 0, unknown_ = 0, badPosition_ = 0, badDate_ = 0, speedDropped_ = 0;
};

bool inRegions(const std::vector<Region>& regions, uint64_t offset, uint64_t& regionEnd) {
    for (const Region& r : regions) {
        if (offset >= r.begin && offset < r.end && r.end - offset >= 12) {
            regionEnd = r.end;
            return true;
        }
    }
    return false;
}

// Reads the blocks the index points at, in file order; false when the
// index is missing, damaged or gives nothing. badEntries: entries outside
// the media data or not at a block.
bool readIndex(const IsoFile& file, const std::vector<Region>& regions, SampleMaker& maker, size_t& badEntries) {
    IsoBox index;
    if (!file.findChild(file.moov(), fourcc("gps "), index)) return false;
    std::string data;
    const size_t length = static_cast<size_t>(std::min<uint64_t>(index.payloadSize(), kMaxIndexBytes));
    if (length < 8 || !file.read(index.payloadOffset(), length, data)) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    // Pairs are read while they fit, whatever the count says.
    const size_t pairs = (length - 8) / 8;
    const bool countTooLarge = bigEndian::u32(p + 4) > pairs;
    std::vector<uint32_t> offsets;
    offsets.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        const uint32_t offset = bigEndian::u32(p + 8 + i * 8), size = bigEndian::u32(p + 12 + i * 8);
        if (offset == 0 && size == 0) continue;  // slots the camera never filled
        offsets.push_back(offset);
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    std::array<unsigned char, NovatekBlock::kHeadBytes> head;
    for (const uint64_t offset : offsets) {
        uint64_t regionEnd = 0;
        if (!inRegions(regions, offset, regionEnd)) {
            ++badEntries;
            continue;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(head.size(), regionEnd - offset));
        if (!file.read(offset, n, head.data()) || !maker.add(head.data(), n)) {
            if (maker.full()) break;
            ++badEntries;
        }
    }
    return !countTooLarge && badEntries == 0 && maker.seen() > 0;
}

}  // namespace

bool NovatekReader::probe(const IsoFile& file) const {
    IsoBox index;
    if (file.findChild(file.moov(), fourcc("gps "), index)) return true;
    bool found = false;
    searchBlocks(file, mediaRegions(file), kProbeBytes, [&](const unsigned char*, size_t) {
        found = true;
        return false;
    });
    return found;
}

void NovatekReader::read(const IsoFile& file, ClipTelemetry& out) const {
    out.clear();
    const std::vector<Region> regions = mediaRegions(file);
    IsoBox index;
    if (file.findChild(file.moov(), fourcc("gps "), index)) {
        SampleMaker maker(out);
        size_t badEntries = 0;
        if (readIndex(file, regions, maker, badEntries)) {
            maker.finish();
            return;
        }
        const bool damaged = badEntries > 0 || maker.seen() > 0;
        out.clear();
        if (damaged)
            out.drop("the block index is damaged (" + std::to_string(badEntries) +
                     " bad entries): the media data was searched instead");
    }
    SampleMaker maker(out);
    searchBlocks(file, regions, UINT64_MAX, [&](const unsigned char* bytes, size_t n) {
        maker.add(bytes, n);
        return !maker.full();
    });
    maker.finish();
}
