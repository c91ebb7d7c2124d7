#pragma once
// The samples of one track, one after the other, for the readers of layouts
// that live in tracks: each sample's bytes with its moment and length in the
// clip in milliseconds. A sample larger than the reader's bound is skipped,
// a sample whose bytes overlap one already given is skipped (each byte is
// read and decoded once), and all samples together read at most
// kMaxTotalBytes, so a sample table that points many times at the same
// bytes cannot make a reader read the file over and over; what is skipped
// is noted in the clip's telemetry.
//
// Threads: one thread per object; the file outlives it. Starts when made,
// ends with the last sample or when the file's stop flag is set.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/IsoFile.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct TrackPayload {
    std::string_view bytes;  // valid until the next call of next()
    int64_t clipMs = 0;
    int64_t durationMs = 0;
    size_t index = 0;  // of the sample in the track
};

class TrackPayloads {
public:
    static constexpr uint64_t kMaxTotalBytes = 256ull * 1024 * 1024;

    // notes: where skipped samples are told (null: nowhere, for probes).
    TrackPayloads(const IsoFile& file, const IsoTrack& track, size_t maxSampleBytes, ClipTelemetry* notes)
        : file_(file), track_(track), maxSampleBytes_(maxSampleBytes), notes_(notes) {
        std::string reason;
        if (!file.samples(track, samples_, reason) && notes_) notes_->drop(reason);
    }

    size_t count() const { return samples_.size(); }

    // The next sample; false after the last one, and at once when the file
    // was asked to stop (its reads fail then, and a track of millions of
    // samples would otherwise be walked to its end, sample by failed sample).
    bool next(TrackPayload& payload) {
        while (at_ < samples_.size()) {
            if (file_.stopped()) {
                at_ = samples_.size();
                return false;
            }
            const IsoSample& s = samples_[at_++];
            if (s.size > maxSampleBytes_) {
                note("a sample larger than " + std::to_string(maxSampleBytes_) + " bytes was skipped");
                continue;
            }
            if (s.size > kMaxTotalBytes - total_) {
                note("the track holds more than " + std::to_string(kMaxTotalBytes >> 20) +
                     " MB of data: the rest is left out");
                at_ = samples_.size();
                return false;
            }
            if (s.size > 0 && !firstRead(s.offset, s.offset + s.size)) {
                if (!overlapNoted_) note("samples pointing at bytes already read were skipped");
                overlapNoted_ = true;
                continue;
            }
            total_ += s.size;
            if (!file_.read(s.offset, s.size, buffer_)) {
                note("a sample could not be read");
                continue;
            }
            payload.bytes = buffer_;
            payload.clipMs = milliseconds(s.startTicks);
            payload.durationMs = milliseconds(s.startTicks + s.durationTicks) - payload.clipMs;
            payload.index = at_ - 1;
            return true;
        }
        return false;
    }

    // Ticks of the track's time scale as milliseconds (no time scale: they are).
    int64_t milliseconds(int64_t ticks) const {
        const int64_t scale = track_.timescale;
        if (scale == 0) return ticks;
        return ticks / scale * 1000 + ticks % scale * 1000 / scale;
    }

private:
    // True, and the range kept, when [begin, end) overlaps no range given before.
    bool firstRead(uint64_t begin, uint64_t end) {
        auto after = given_.lower_bound(end);  // the ranges are disjoint: the one before is the only candidate
        if (after != given_.begin() && std::prev(after)->second > begin) return false;
        given_.emplace(begin, end);
        return true;
    }

    void note(std::string text) {
        if (notes_) notes_->drop(std::move(text));
    }

    const IsoFile& file_;
    const IsoTrack& track_;
    size_t maxSampleBytes_;
    ClipTelemetry* notes_;
    std::vector<IsoSample> samples_;
    std::string buffer_;
    size_t at_ = 0;
    uint64_t total_ = 0;
    std::map<uint64_t, uint64_t> given_;  // begin -> end of the samples' bytes given
    bool overlapNoted_ = false;
};
