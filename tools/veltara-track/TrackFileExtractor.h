#pragma once
// Runs the player's extraction pipeline (SubtitleExtractor, batch processing,
// TrackStore, map conversion) on one clip at a time and hands back the
// stored records, or the reason why the clip gave no track.
//
// Threads: main only; the extractor's own threads run inside extract().
// Each call ends its run completely (threads joined, converter reaped).
#include "veltara-track/TrackToolOptions.h"
#include "track/SubtitleExtractor.h"
#include "track/TrackRecord.h"
#include "track/TrackStore.h"

#include <string>
#include <vector>

class TrackFileExtractor {
public:
    enum class Result { Track, PartialTrack, Failed };

    TrackFileExtractor(const std::string& converterPath, const TrackToolOptions& options);

    // records: every stored record in track order. reason: why the clip
    // failed, or what is missing from a partial track.
    Result extract(const std::string& path, std::vector<TrackRecord>& records, std::string& reason);

private:
    // Why a run that stored nothing gave nothing.
    static std::string whyEmpty(const SubtitleExtractor::RunReport& report);

    std::string converterPath_;
    TrackStore store_;
    SubtitleExtractor extractor_;
};
