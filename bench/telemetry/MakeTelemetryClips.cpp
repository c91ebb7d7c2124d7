// Writes the clips of the camera-layout benchmarks into FOLDER: for every
// layout one one-minute clip (FOLDER/one/LAYOUT.mp4) and a folder of 60
// one-minute clips of one drive (FOLDER/LAYOUT/NNN.mp4). The data is what
// the cameras write (one fix a second; NMEA, GPMF and CAMM ten samples a
// second as such cameras do), in a file without video. With --video the 60
// clips get a small video and sound and the camera's names
// (FOLDER/LAYOUT/2026_1207_10MM00_F.MP4), for the player's benchmarks, and
// the first one alone goes into FOLDER/LAYOUT-single/.
//
//   MakeTelemetryClips [--video] FOLDER [LAYOUT...]
#include "support/TelemetryClips.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

using namespace testing_support;

int main(int argc, char** argv) {
    const bool video = argc > 1 && std::string(argv[1]) == "--video";
    if (video) --argc, ++argv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: MakeTelemetryClips [--video] FOLDER [LAYOUT...]\n");
        return 2;
    }
    const std::map<std::string, std::pair<ClipLayout, int>> layouts{
        {"novatek", {ClipLayout::Novatek, 1}}, {"nmea", {ClipLayout::Nmea, 10}},
        {"blackvue", {ClipLayout::BlackVue, 1}}, {"gpmf", {ClipLayout::Gpmf, 10}},
        {"camm", {ClipLayout::Camm, 10}},       {"garmin", {ClipLayout::Garmin, 1}},
        {"70mai", {ClipLayout::SeventyMai, 1}}};
    const std::filesystem::path folder = argv[1];
    for (const auto& [name, layout] : layouts) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || name == argv[i];
        if (!wanted) continue;
        std::filesystem::create_directories(folder / "one");
        std::filesystem::create_directories(folder / name);
        TelemetryClipSpec spec;
        spec.layout = layout.first;
        spec.withVideo = video;
        spec.width = 320, spec.height = 180, spec.frameRate = 30;
        for (int clip = 0; clip < (video ? 60 : 61); ++clip) {
            DriveSpec drive;
            drive.seconds = 60;
            drive.perSecond = layout.second;
            drive.startUtcMs = kDriveStartUtcMs + clip * 60'000LL;
            spec.drive = madeUpDrive(drive);
            spec.creationUnixSeconds = drive.startUtcMs / 1000;
            char file[32];
            if (video)
                std::snprintf(file, sizeof file, "2026_1207_10%02d00_F.MP4", clip);
            else
                std::snprintf(file, sizeof file, "%03d.mp4", clip);
            const std::filesystem::path path = clip == 60 ? folder / "one" / (name + ".mp4") : folder / name / file;
            if (std::filesystem::exists(path)) continue;
            if (const std::string error = makeTelemetryClip(path.string(), spec); !error.empty()) {
                std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
                return 1;
            }
            if (video && clip == 0) {
                std::filesystem::create_directories(folder / (name + "-single"));
                std::filesystem::copy_file(path, folder / (name + "-single") / file,
                                           std::filesystem::copy_options::skip_existing);
            }
        }
    }
    return 0;
}
