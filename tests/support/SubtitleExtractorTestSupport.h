#pragma once
// Shared by the extractor's tests: an extractor wired to a store and a
// recording target, clips of n camera cues, and the way back from a stored
// record to the cue it came from.
#include "platform/FileSystem.h"
#include "platform/RecordingMessageTarget.h"
#include "support/ClipFactory.h"
#include "track/SubtitleExtractor.h"
#include "track/TrackEvents.h"
#include "track/TrackStore.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace extractor_test {

inline std::string converterPath() {
    return std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
}

// A small, quick clip: a 64x36 picture at one frame a second, no sound, and
// n camera cues of 0.1 s each (cue i is cameraTrackText(i)).
inline testing_support::ClipSpec cueClip(int n) {
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(n);
    spec.cueSeconds = 0.1;
    spec.durationSeconds = n * 0.1 + 1.0;
    spec.withAudio = false;
    spec.width = 64;
    spec.height = 36;
    spec.frameRate = 1;
    return spec;
}

// The cue a record of cameraTrackText came from, read back from its time.
inline int cueOf(const TrackRecord& r) {
    return ((r.hour - 10) * 60 + r.minute - 30) * 60 + r.second;
}

struct Harness {
    TrackStore store;
    platform::RecordingMessageTarget target;
    SubtitleExtractor extractor;

    explicit Harness(TrackSampling sampling = TrackSampling::Player, platform::RecordingMessageTarget* to = nullptr) {
        extractor.setConverterPath(converterPath());
        extractor.setExtraArguments(SubtitleExtractor::STANDARD_EXTRA_ARGUMENTS);
        extractor.setSampling(sampling);
        extractor.setStore(&store);
        extractor.setTarget(to ? to : &target);
    }

    // Clears the store and starts a run, as the playback controller does.
    int start(const std::string& clip) {
        store.clear();
        extractor.setInputPath(clip);
        return extractor.start();
    }

    // A whole run that ends by itself; false when it did not.
    bool run(const std::string& clip) {
        if (start(clip) != 0) return false;
        const bool ended = extractor.waitUntilIdle(std::chrono::seconds(60));
        extractor.stop();
        return ended;
    }

    std::vector<TrackRecord> records() const {
        std::vector<TrackRecord> out;
        for (int32_t i = 0; i < store.getReadyPages(); ++i) {
            const TrackPage* page = store.getPage(i);
            out.insert(out.end(), page->records(), page->records() + page->count());
        }
        return out;
    }

    size_t posts(uintptr_t code) const { return target.countOf(platform::WM_TRACK_EVENT, code); }
};

}  // namespace extractor_test
