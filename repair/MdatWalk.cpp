#include "repair/MdatWalk.h"

#include "repair/AacFrameFinder.h"
#include "repair/NalSampleScanner.h"
#include "repair/PictureOrder.h"
#include "telemetry/BigEndian.h"

#include <algorithm>
#include <memory>

namespace {

constexpr size_t kMaxTextSample = 4096;
constexpr uint64_t kMaxSoundlessStretch = 4 << 20;
constexpr uint32_t kMaxDataBlock = 4 << 20;

bool isTextByte(unsigned char c) {
    return c >= 0x20 || c == '\n' || c == '\r' || c == '\t';
}

// The boxes mov_text puts after a sample's text.
bool isTextModifier(uint32_t type) {
    for (const uint32_t t : {fourcc("styl"), fourcc("hlit"), fourcc("hclr"), fourcc("krok"), fourcc("dlay"),
                             fourcc("href"), fourcc("tbox"), fourcc("blnk"), fourcc("twrp")})
        if (type == t) return true;
    return false;
}

}  // namespace

MdatWalk::MdatWalk(const IsoFile& file, const RepairProfile& profile, uint64_t start, uint64_t end)
    : file_(file), profile_(profile), start_(start), end_(std::min(end, file.size())), window_(file, end_) {
    // Every length that opens a picture, a block or a text sample is small
    // next to its field, so its first byte is too; other bytes are passed over.
    const RepairTrack& video = profile.video();
    const uint32_t maxLength = NalSampleScanner::kMaxSample;
    firstByteMax_ = video.nalLengthSize == 4 ? static_cast<unsigned char>(maxLength >> 24) : 255;
    for (const RepairTrack& t : profile.tracks)
        if (t.kind == RepairTrack::Kind::Text) firstByteMax_ = std::max(firstByteMax_, static_cast<unsigned char>(kMaxTextSample >> 8));
}

bool MdatWalk::zerosToEnd(uint64_t at) {
    if (nonZeroAt_ > at) return false;
    for (uint64_t p = at; p < end_;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(end_ - p, 1 << 16));
        const unsigned char* b = window_.at(p, n);
        if (b == nullptr) return false;
        for (size_t i = 0; i < n; ++i)
            if (b[i] != 0) {
                nonZeroAt_ = p + i;
                return false;
            }
        p += n;
    }
    return true;
}

uint32_t MdatWalk::dataBlockAt(uint64_t at) {
    const unsigned char* h = window_.at(at, 8);
    if (h == nullptr) return 0;
    const uint32_t size = bigEndian::u32(h);
    const uint32_t type = bigEndian::u32(h + 4);
    if (type != fourcc("free") && type != fourcc("skip") && type != fourcc("GPS ") && type != fourcc("gps "))
        return 0;
    if (size < 8 || size > kMaxDataBlock || size > end_ - at) return 0;  // a block cut short is dropped
    return size;
}

uint32_t MdatWalk::textSampleAt(uint64_t at, const RepairTrack& track) {
    const unsigned char* h = window_.at(at, 2);
    if (h == nullptr) return 0;
    const uint32_t length = bigEndian::u16(h);
    if (length == 0) return track.emptyTextSamples ? 2 : 0;
    if (length > kMaxTextSample) return 0;
    const unsigned char* text = window_.at(at + 2, length);
    if (text == nullptr || !std::all_of(text, text + length, isTextByte)) return 0;
    uint64_t end = at + 2 + length;
    while (const unsigned char* m = window_.at(end, 8)) {
        const uint32_t size = bigEndian::u32(m);
        if (!isTextModifier(bigEndian::u32(m + 4)) || size < 8 || size > kMaxTextSample || size > end_ - end) break;
        end += size;
    }
    return static_cast<uint32_t>(end - at);
}

uint32_t MdatWalk::pcmChunkAt(uint64_t at, const RepairTrack& track) {
    const uint64_t step = uint64_t(track.pcmFrameBytes) * track.pcmChunkFrames;
    uint64_t p = at;
    while (step <= end_ - p && p - at + step <= UINT32_MAX / 2) {
        p += step;
        if (p == end_ || otherStartsAt(p) || (window_.at(p, 1) != nullptr && zerosToEnd(p))) break;
    }
    return static_cast<uint32_t>(p - at);
}

bool MdatWalk::otherStartsAt(uint64_t at) {
    const RepairTrack& video = profile_.video();
    NalSampleScanner nal(window_, video.hevc, video.nalLengthSize, video.maxPicture);
    if (dataBlockAt(at) != 0 || nal.sampleAt(at).size != 0) return true;
    for (const RepairTrack& t : profile_.tracks)
        if (t.kind == RepairTrack::Kind::Text && textSampleAt(at, t) != 0) return true;
    return false;
}

uint64_t MdatWalk::nextOtherStart(uint64_t at, uint64_t limit) {
    const uint64_t last = std::min(end_ - 1, at + limit);
    for (uint64_t p = at + 1; p <= last;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(last + 1 - p, 4096));
        const unsigned char* b = window_.at(p, n);
        if (b == nullptr) return 0;
        size_t i = 0;
        while (i < n && b[i] > firstByteMax_) ++i;
        if (i == n) {
            p += n;
            continue;
        }
        if (otherStartsAt(p + i)) return p + i;  // b is stale from here on: the look may move the window
        p += i + 1;
    }
    return 0;
}

uint64_t MdatWalk::nextRecognised(uint64_t at, uint64_t limit) {
    const uint64_t last = std::min(end_, at + limit);
    for (uint64_t p = at + 1; p < last; ++p)
        if (otherStartsAt(p)) return p;
    return 0;
}

WalkResult MdatWalk::run() {
    WalkResult result;
    result.tracks.resize(profile_.tracks.size());
    const RepairTrack& video = profile_.video();
    NalSampleScanner nal(window_, video.hevc, video.nalLengthSize, video.maxPicture);
    std::unique_ptr<AacFrameFinder> aac;
    std::unique_ptr<PictureOrder> order;
    if (video.reorders) order = std::make_unique<PictureOrder>(video.parameterSets, video.hevc, video.nalLengthSize);
    size_t aacTrack = 0, pcmTrack = 0, textTrack = 0;
    for (size_t i = 0; i < profile_.tracks.size(); ++i) {
        const RepairTrack& t = profile_.tracks[i];
        if (t.kind == RepairTrack::Kind::Aac && !aac) {
            aac = std::make_unique<AacFrameFinder>(t.audioConfig, t.channels);
            aacTrack = i;
        }
        if (t.kind == RepairTrack::Kind::Pcm && pcmTrack == 0) pcmTrack = i;
        if (t.kind == RepairTrack::Kind::Text && textTrack == 0) textTrack = i;
    }
    size_t count = 0;
    uint64_t p = start_;
    while (p < end_ && count < kMaxSamples) {
        if ((count & 255) == 0) {
            if (stop_ != nullptr && stop_->load()) {
                result.stopped = true;
                break;
            }
            if (progress_ != nullptr) progress_->store(double(p - start_) / double(end_ - start_));
            if (reached_ != nullptr && p != start_) {
                reached_->store(p);
                reached_->notify_all();
            }
        }
        ++count;
        if (zerosToEnd(p)) {
            result.zeroTail = true;
            break;
        }
        if (const uint32_t n = dataBlockAt(p)) {
            result.dataBlocks.push_back({p, n, false});
            p += n;
            continue;
        }
        if (const NalSampleScanner::Sample s = nal.sampleAt(p); s.size != 0) {
            result.tracks[0].push_back({p, s.size, s.key});
            if (order) {
                const size_t head = std::min<size_t>(s.size, PictureOrder::kHeaderBytes);
                if (const unsigned char* bytes = window_.at(p, head)) order->add(bytes, head);
            }
            p += s.size;
            continue;
        }
        if (textTrack != 0) {
            if (const uint32_t n = textSampleAt(p, profile_.tracks[textTrack])) {
                result.tracks[textTrack].push_back({p, n, false});
                p += n;
                continue;
            }
        }
        // What starts like a picture but is no whole one is the cut, not sound.
        if (nal.unitStartsAt(p)) break;
        if (pcmTrack != 0) {
            if (const uint32_t n = pcmChunkAt(p, profile_.tracks[pcmTrack])) {
                result.tracks[pcmTrack].push_back({p, n, true});
                p += n;
                continue;
            }
        }
        if (aac && aac->usable()) {
            // Where the next picture or block starts (looked for first: the
            // look moves the window) ends the run the decoder is given.
            const uint64_t other = nextOtherStart(p, aac->maxFrame());
            const size_t want = static_cast<size_t>(std::min<uint64_t>(end_ - p, AacFrameFinder::kRun));
            const unsigned char* bytes = window_.at(p, want);
            const size_t otherAt = other != 0 ? static_cast<size_t>(other - p) : 0;
            if (const size_t n = bytes != nullptr ? aac->frameLength(p, bytes, want, otherAt) : 0) {
                result.tracks[aacTrack].push_back({p, static_cast<uint32_t>(n), false});
                p += n;
                continue;
            }
        }
        if (aac && !aac->usable()) {
            if (const uint64_t next = nextRecognised(p, kMaxSoundlessStretch)) {
                ++result.soundlessStretches;
                p = next;
                continue;
            }
        }
        break;
    }
    result.end = p;
    if (reached_ != nullptr && !result.stopped) {
        reached_->store(p);  // the copy may finish while the caller checks and builds the index
        reached_->notify_all();
    }
    if (order) result.pictureCounts = order->counts();
    if (result.pictureCounts.size() != result.tracks[0].size()) result.pictureCounts.clear();
    if (progress_ != nullptr) progress_->store(1.0);
    return result;
}
