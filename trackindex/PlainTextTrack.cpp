#include "trackindex/PlainTextTrack.h"

#include "telemetry/BigEndian.h"
#include "telemetry/IsoFile.h"
#include "trackindex/CueList.h"
#include "trackindex/CueText.h"
#include "trackindex/NativeTrackReader.h"
#include "trackindex/PlainBoxLayout.h"
#include "trackindex/PlainSampleTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

using Outcome = PlainTextTrack::Outcome;

constexpr const char* kCameraHandler = NativeTrackReader::CAMERA_HANDLER;
// Far beyond any clip, and small enough that every product below fits 64 bits.
constexpr int64_t kLatestTick = int64_t{1} << 40;
constexpr int64_t kLatestUs = int64_t{1} << 52;

using bigEndian::u16;
using bigEndian::u32;
using bigEndian::u64;

// a * b / c rounded half away from zero, as FFmpeg rescales a time
// (a >= 0, a * b within 64 bits).
int64_t rescale(int64_t a, int64_t b, int64_t c) {
    return (a * b + c / 2) / c;
}

bool isTextLike(const IsoTrack& t) {
    for (const uint32_t entry :
         {fourcc("text"), fourcc("tx3g"), fourcc("wvtt"), fourcc("stpp"), fourcc("c608"), fourcc("c708")})
        if (t.sampleEntry == entry) return true;
    return t.isText() || t.handlerType == fourcc("clcp");
}

bool subtitleHandler(const IsoTrack& t) {
    return t.handlerType == fourcc("text") || t.handlerType == fourcc("sbtl") || t.handlerType == fourcc("subt");
}

// What a track's edit list asks of FFmpeg: nothing (no list), or to play the
// media from `mediaTime` on at the normal rate for `length` (in the movie's
// time scale). Anything else (an empty edit, several entries, another rate)
// moves or drops samples: not plain.
struct PlainEdit {
    bool listed = false;
    uint64_t mediaTime = 0;
    uint64_t length = 0;
};

bool plainEdit(const IsoFile& file, const IsoBox& trak, PlainEdit& edit) {
    IsoBox edts, elst;
    if (!file.findChild(trak, fourcc("edts"), edts)) return true;
    std::string e;
    if (!file.findChild(edts, fourcc("elst"), elst) || !file.payload(elst, e, 64) || e.size() < 8 || u32(e, 4) != 1)
        return false;
    const bool wide = uint8_t(e[0]) == 1;
    if (e.size() < (wide ? 28u : 20u)) return false;
    edit.mediaTime = wide ? u64(e, 16) : u32(e, 12);
    edit.length = wide ? u64(e, 8) : u32(e, 8);
    edit.listed = true;
    const uint32_t rate = u32(e, wide ? 24 : 16);
    return edit.mediaTime <= (wide ? uint64_t{INT64_MAX} : uint64_t{INT32_MAX}) && rate == 0x00010000;
}

// Every stream starts at 0 or later, so the clip's start is 0 and a text
// sample's time is its decoding time, as FFmpeg then has it. A sound track
// may start its media later (the encoder's priming samples): FFmpeg counts
// the samples it skips into that stream's start, which stays 0.
// edits: each track's edit, in the order of file.tracks().
bool plainTiming(const IsoFile& file, std::vector<PlainEdit>& edits) {
    if (file.moov().size == 0 || !PlainBoxLayout::check(file)) return false;
    IsoBox box;
    edits.clear();
    for (const IsoBox& trak : file.children(file.moov())) {
        if (trak.type != fourcc("trak")) continue;
        if (!plainEdit(file, trak, edits.emplace_back())) return false;
    }
    if (edits.size() != file.tracks().size() || edits.size() >= IsoFile::kMaxTracks) return false;
    for (size_t i = 0; i < edits.size(); ++i) {
        const IsoTrack& t = file.tracks()[i];
        if (edits[i].mediaTime != 0 && t.handlerType != fourcc("soun")) return false;
        if (t.stbl.size != 0 && file.findChild(t.stbl, fourcc("ctts"), box)) return false;
    }
    return true;
}

// FFmpeg drops the samples an edit does not reach: the last text must start
// before the edit's end and end by it.
bool editCovers(const PlainEdit& edit, uint32_t movieScale, const IsoTrack& track, const IsoSample& last) {
    if (!edit.listed) return true;
    if (edit.mediaTime != 0) return false;
    const uint64_t lastStart = static_cast<uint64_t>(last.startTicks);
    uint64_t editEnd = 0, start = 0, end = 0;
    // Beyond 64 bits is beyond any clip: not plain.
    // FFmpeg keeps the scale in an int.
    if (movieScale == 0 || movieScale > INT32_MAX ||
        __builtin_mul_overflow(edit.length, uint64_t{track.timescale}, &editEnd) ||
        __builtin_mul_overflow(lastStart, uint64_t{movieScale}, &start) ||
        __builtin_mul_overflow(lastStart + last.durationTicks, uint64_t{movieScale}, &end))
        return false;
    return start < editEnd && end <= editEnd;
}

// A sample of no text: the decoder gives no cue for it, and the cue after it
// keeps the next number.
bool emptyText(const IsoSample& s) {
    return s.size == 2;
}

// The camera's track as the FFmpeg path picks it, or null when that pick
// could differ.
const IsoTrack* cameraTrack(const IsoFile& file) {
    std::vector<const IsoTrack*> texts;
    for (const IsoTrack& t : file.tracks()) {
        if (!isTextLike(t)) continue;
        if (t.sampleEntry != fourcc("tx3g") || !subtitleHandler(t)) return nullptr;
        texts.push_back(&t);
    }
    if (texts.size() == 1) return texts.front();
    const IsoTrack* named = nullptr;
    for (const IsoTrack* t : texts) {
        if (t->handlerName.find("Ambarella") == std::string::npos) continue;
        if (named || t->handlerName != kCameraHandler) return nullptr;
        named = t;
    }
    return named;
}

// One sample description, tx3g, whose default style the SRT encoder adds
// nothing to.
bool plainStyle(const IsoFile& file, const IsoTrack& track) {
    IsoBox stsd;
    std::string d;
    if (!file.findChild(track.stbl, fourcc("stsd"), stsd) || !file.payload(stsd, d, 4096) || d.size() < 16 ||
        u32(d, 4) != 1)
        return false;
    const size_t entrySize = u32(d, 8);
    if (u32(d, 12) != fourcc("tx3g") || entrySize < 8 + 38 || 8 + entrySize > d.size()) return false;
    const std::string e = d.substr(16, entrySize - 8);  // after the entry's own header
    // Display flags, justification (centre, bottom), the default style's
    // font size 16, no face flags, white.
    if (u32(e, 8) != 0 || uint8_t(e[12]) != 1 || uint8_t(e[13]) != 0xFF) return false;
    const uint16_t fontId = u16(e, 30);
    if (uint8_t(e[32]) != 0 || uint8_t(e[33]) != 16 || u32(e, 34) != 0xFFFFFFFF) return false;
    // The font table names the style's font "Arial".
    for (size_t at = 38; at + 8 <= e.size();) {
        const size_t size = u32(e, at);
        if (size < 8 || at + size > e.size()) return false;
        if (u32(e, at + 4) == fourcc("ftab")) {
            const std::string f = e.substr(at + 8, size - 8);
            if (f.size() < 2) return false;
            size_t p = 2;
            for (uint16_t n = u16(f, 0); n > 0 && p + 3 <= f.size(); --n) {
                const uint16_t id = u16(f, p);
                const size_t length = uint8_t(f[p + 2]);
                if (p + 3 + length > f.size()) return false;
                if (id == fontId) return f.compare(p + 3, length, "Arial") == 0;
                p += 3 + length;
            }
            return false;
        }
        at += size;
    }
    return false;
}

// Neighbouring samples are read at once: a camera writes a chunk of texts at
// a time, and a read per text would be most of the time spent. A quarter
// of a megabyte is as fast as more, and a larger buffer is only more pages
// to fault in.
constexpr uint64_t kRunGap = 16 * 1024;     // bytes of other data read over
constexpr uint64_t kRunBytes = 256 * 1024;  // one read at most

struct SampleRun {
    uint64_t start = 0;
    std::string bytes;
};

// The bytes of samples[i] (s.size of them), or null when they cannot be read.
const char* sampleBytes(const IsoFile& file, const std::vector<IsoSample>& samples, size_t i, SampleRun& run) {
    const IsoSample& s = samples[i];
    if (s.offset > file.size() || s.size > file.size() - s.offset) return nullptr;
    if (s.offset >= run.start && s.offset + s.size <= run.start + run.bytes.size())
        return run.bytes.data() + (s.offset - run.start);
    uint64_t end = s.offset + s.size;
    for (size_t j = i + 1; j < samples.size(); ++j) {
        const IsoSample& next = samples[j];
        if (next.offset < end || next.offset > file.size() || next.size > file.size() - next.offset ||
            next.offset - end > kRunGap || next.offset + next.size - s.offset > kRunBytes)
            break;
        end = next.offset + next.size;
    }
    run.start = s.offset;
    if (file.read(s.offset, end - s.offset, run.bytes) || file.read(s.offset, s.size, run.bytes))
        return run.bytes.data();
    run.bytes.clear();
    return nullptr;
}

}  // namespace

Outcome PlainTextTrack::read(const std::string& path, const std::atomic<bool>* stop, std::vector<TrackCue>& cues) {
    CueList list(cues);
    const Outcome outcome = read(path, stop, list);
    if (outcome != Outcome::Read) cues.clear();
    return outcome;
}

Outcome PlainTextTrack::read(const std::string& path, const std::atomic<bool>* stop, CueSink& sink) {
    const auto stopped = [stop] { return stop && stop->load(); };
    IsoFile file;
    file.setStopFlag(stop);
    std::string why;
    if (!file.open(path, why)) return stopped() ? Outcome::Stopped : Outcome::NotPlain;
    return readOpened(file, stop, sink);
}

Outcome PlainTextTrack::readBytes(std::string_view bytes, std::vector<TrackCue>& cues) {
    CueList list(cues);
    IsoFile file;
    std::string why;
    const Outcome outcome = file.openBytes(bytes, why) ? readOpened(file, nullptr, list) : Outcome::NotPlain;
    if (outcome != Outcome::Read) cues.clear();
    return outcome;
}

Outcome PlainTextTrack::readOpened(const IsoFile& file, const std::atomic<bool>* stop, CueSink& sink) {
    const auto stopped = [stop] { return stop && stop->load(); };
    std::string why;
    std::vector<PlainEdit> edits;
    const IsoTrack* track = plainTiming(file, edits) ? cameraTrack(file) : nullptr;
    if (!track || track->timescale == 0 || !plainStyle(file, *track)) return Outcome::NotPlain;
    std::vector<IsoSample> samples;
    if (!file.samples(*track, samples, why) || samples.size() >= NativeTrackReader::CUE_LIMIT ||
        !PlainSampleTable::check(file, *track, samples.size()))
        return stopped() ? Outcome::Stopped : Outcome::NotPlain;
    const auto lastText =
        std::find_if(samples.rbegin(), samples.rend(), [](const IsoSample& s) { return !emptyText(s); });
    if (lastText == samples.rend() ||
        !editCovers(edits[static_cast<size_t>(track - file.tracks().data())], file.movieTimescale(), *track, *lastText))
        return Outcome::NotPlain;

    const int64_t scale = track->timescale;
    sink.expect(samples.size());
    SampleRun run;
    std::string framed;  // one text at a time: the sink takes what it needs of it
    uint64_t number = 1;
    for (size_t i = 0; i < samples.size(); ++i) {
        const IsoSample& s = samples[i];
        if (stopped()) return Outcome::Stopped;
        const char* bytes = s.size < 2 || s.startTicks < 0 || s.startTicks > kLatestTick || s.durationTicks > INT32_MAX
                                ? nullptr
                                : sampleBytes(file, samples, i, run);
        if (!bytes) return stopped() ? Outcome::Stopped : Outcome::NotPlain;
        const size_t length = (size_t(uint8_t(bytes[0])) << 8) | uint8_t(bytes[1]);
        if (emptyText(s) && length == 0) continue;
        const auto* text = reinterpret_cast<const uint8_t*>(bytes) + 2;
        if (length + 2 != s.size || !CueText::plain(text, length)) return Outcome::NotPlain;
        // The times as the FFmpeg path has them: the packet's time in
        // microseconds, then milliseconds; the duration in milliseconds.
        const int64_t us = rescale(s.startTicks, 1'000'000, scale);
        if (us > kLatestUs) return Outcome::NotPlain;
        const int64_t start = rescale(us, 1000, 1'000'000);
        const uint32_t duration = static_cast<uint32_t>(rescale(s.durationTicks, 1000, scale));
        CueText::frame(number++, start, start + duration, text, length, framed);
        sink.cue(start, duration, framed);
    }
    return Outcome::Read;
}
