#include "support/CarFolderTree.h"

#include "support/ClipFactory.h"

#include <filesystem>
#include <fstream>

namespace testing_support {

namespace {

std::string writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return out ? std::string() : "cannot write " + path;
}

}  // namespace

std::string makeCarFolderTree(const std::string& root) {
    const std::string saved = root + "TeslaCam/SavedClips/2026-12-07_10-00-00/";
    const std::string sentry = root + "TeslaCam/SentryClips/2026-12-08_01-00-00/";
    std::filesystem::create_directories(saved);
    std::filesystem::create_directories(sentry);
    ClipSpec spec;
    spec.withAudio = false;
    spec.withSubtitle = false;
    spec.durationSeconds = 3.0;
    spec.width = 64;
    spec.height = 36;
    spec.frameRate = 2;
    for (const std::string& clip : {saved + "2026-12-07_09-59-00-front.mp4", saved + "2026-12-07_09-59-00-back.mp4",
                                    sentry + "2026-12-08_00-59-00-front.mp4"})
        if (std::string failed = makeClip(clip, spec); !failed.empty()) return failed;
    std::string failed =
        writeText(saved + "event.json",
                  "{\"timestamp\":\"2026-12-07T09:59:01\",\"city\":\"K\xC3\xB6ln <b>\",\"est_lat\":\"50.9375\","
                  "\"est_lon\":\"6.9603\",\"reason\":\"user_interaction_honk\",\"camera\":\"0\"}");
    if (failed.empty())
        failed = writeText(sentry + "event.json",
                           "{\"timestamp\":\"2026-12-08T00:59:02\",\"city\":\"Ulm\",\"est_lat\":\"48.4011\","
                           "\"est_lon\":\"9.9876\",\"reason\":\"sentry_aware_object_detection\"}");
    return failed;
}

}  // namespace testing_support
