// Writes clips that load the tool's memory: each one holds FIXES Garmin fixes
// (22-byte PNDM samples, 2,000,000 by default: the reader's limit), RATE a
// second (10,000 by default: 200 s of clip), with a small video and sound
// underneath, one after the other on the clock (mvhd creation time), named
// FOLDER/clipN.mp4. For tool_memory.sh.
//
//   MakeDenseGarminClips FOLDER COUNT [FIXES [RATE]]
#include "support/ClipFactory.h"
#include "support/MadeUpDrive.h"
#include "support/Mp4Writer.h"
#include "support/TelemetryClips.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace testing_support;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: MakeDenseGarminClips FOLDER COUNT [FIXES [RATE]]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int count = std::atoi(argv[2]);
    const long fixes = argc > 3 ? std::atol(argv[3]) : 2'000'000;
    const int rate = argc > 4 ? std::atoi(argv[4]) : 10'000;
    if (count < 1 || fixes < 1 || rate < 1 || rate > 1'000'000) return 2;
    std::filesystem::create_directories(folder);
    const double seconds = static_cast<double>(fixes) / rate;
    // One drive moment a second, repeated: the position moves on per fix.
    DriveSpec driveSpec;
    driveSpec.seconds = seconds + 1;
    const std::vector<DriveMoment> drive = madeUpDrive(driveSpec);
    for (int c = 0; c < count; ++c) {
        const std::string path = (folder / ("clip" + std::to_string(c + 1) + ".mp4")).string();
        if (std::filesystem::exists(path)) continue;
        ClipSpec video;
        video.withSubtitle = false;
        video.durationSeconds = seconds;
        video.frameRate = 2;
        video.keyframeInterval = 2;
        if (const std::string e = makeClip(path, video); !e.empty()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.c_str());
            return 1;
        }
        const int64_t creation = kDriveStartUtcMs / 1000 + static_cast<int64_t>(c * seconds);
        Mp4Writer writer(creation, static_cast<int64_t>(seconds * 1000));
        Mp4Track track{"text", "GarminGPS", Mp4Writer::textSampleEntry(), static_cast<uint32_t>(rate), {}, {}};
        track.samples.reserve(static_cast<size_t>(fixes));
        for (long i = 0; i < fixes; ++i) {
            DriveMoment m = drive[static_cast<size_t>(i / rate) % drive.size()];
            m.latitude += 1e-7 * static_cast<double>(i % rate);
            track.samples.push_back(garminSample(m));
        }
        track.durations.assign(static_cast<size_t>(fixes), 1);
        writer.addTrack(std::move(track));
        if (const std::string e = writer.addTo(path); !e.empty()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.c_str());
            return 1;
        }
    }
    return 0;
}
