#pragma once
// Runs the player's extraction pipeline (SubtitleExtractor, batch processing,
// TrackStore, map conversion) on one clip at a time and hands back the
// stored records, or the reason why the clip gave no track.
//
// Threads: main only; the extractor's own threads run inside extract().
// Each call ends its run completely (threads joined, converter reaped, socket
// file removed), also when it gives up on a stalled clip or is interrupted.
#include "track/SubtitleExtractor.h"
#include "track/TrackRecord.h"
#include "track/TrackStore.h"
#include "trackfile/TrackFileOptions.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

class TrackFileExtractor {
public:
    enum class Result { Track, PartialTrack, Failed };

    // How long a clip may go without headway (no connection, no message).
    static constexpr std::chrono::milliseconds kStallLimit{10000};

    TrackFileExtractor(const std::string& converterPath, const TrackFileOptions& options);

    // A flag a signal handler sets (to the signal number): the current clip
    // is given up at once. Null: none.
    void setInterruptFlag(const std::atomic<int>* flag) { interrupted_ = flag; }
    void setStallLimit(std::chrono::milliseconds limit) { stallLimit_ = limit; }

    // records: every stored record in track order. reason: why the clip
    // failed, or what is missing from a partial track.
    Result extract(const std::string& path, std::vector<TrackRecord>& records, std::string& reason);

private:
    // Why a run that stored nothing gave nothing.
    static std::string whyEmpty(const SubtitleExtractor::RunReport& report);

    std::string converterPath_;
    const std::atomic<int>* interrupted_ = nullptr;
    std::chrono::milliseconds stallLimit_ = kStallLimit;
    TrackStore store_;
    SubtitleExtractor extractor_;
};
