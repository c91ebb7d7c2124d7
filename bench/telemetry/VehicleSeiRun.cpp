// The car's per-frame data, for vehicle_sei.sh:
//   VehicleSeiRun --make FOLDER      writes FOLDER/one/: a one-minute
//                                    1280x960 36 frames/s front clip with the
//                                    data and a back clip without (the plain
//                                    test picture: about 10.6 MB, 4.7 KB a
//                                    frame); FOLDER/dense/: the front clip
//                                    again with a noisy picture at a car's
//                                    bit rate (about 36 MB, 16 KB a frame);
//                                    FOLDER/hour/: 60 minutes of the four
//                                    cameras (front with the data), as hard
//                                    links to the two clips of one/
//   VehicleSeiRun --time CLIP [N]    in-process, warm cache, best of N (5):
//                                    reading the file once against reading
//                                    its per-frame data
#include "support/VehicleSeiClips.h"

#include "telemetry/TelemetryReaders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

int make(const std::string& folder) {
    const std::string one = folder + "/one", dense = folder + "/dense", hour = folder + "/hour";
    for (const std::string& f : {folder, one, dense, hour}) ::mkdir(f.c_str(), 0755);
    const std::string name = "/2026-12-07_10-00-00-front.mp4";
    const std::string front = one + name, back = one + "/2026-12-07_10-00-00-back.mp4";
    testing_support::VehicleClipSpec plain;
    plain.frames = 36 * 60;
    plain.width = 1280;
    plain.height = 960;
    plain.bitrate = "4500k";
    testing_support::VehicleClipSpec bare = plain;
    bare.withData = false;
    testing_support::VehicleClipSpec noisy = plain;
    noisy.bitrate = "4700k";  // about 36 MB a minute, a car's rate for one camera
    noisy.pictureFilter = "noise=alls=12:allf=t";
    for (const auto& [path, spec] : {std::pair{front, plain}, std::pair{back, bare}, std::pair{dense + name, noisy}}) {
        if (::access(path.c_str(), R_OK) == 0) continue;
        const std::string error = testing_support::makeVehicleClip(path, spec);
        if (!error.empty()) return std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str()), 1;
    }
    for (int minute = 0; minute < 60; ++minute) {
        char stem[64];
        std::snprintf(stem, sizeof stem, "%s/2026-12-07_10-%02d-00-", hour.c_str(), minute);
        for (const char* camera : {"front", "back", "left_repeater", "right_repeater"}) {
            const std::string link = std::string(stem) + camera + ".mp4";
            ::unlink(link.c_str());
            if (::link(std::strcmp(camera, "front") == 0 ? front.c_str() : back.c_str(), link.c_str()) != 0)
                return std::perror(link.c_str()), 1;
        }
    }
    return 0;
}

// What `cat` does: the whole file through a 128 KiB buffer.
uint64_t readOnce(const char* path) {
    static char buffer[128 * 1024];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    uint64_t total = 0;
    for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;) total += static_cast<uint64_t>(got);
    if (fd >= 0) ::close(fd);
    return total;
}

double secondsOf(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) return make(argv[2]);
    if (argc < 3 || std::strcmp(argv[1], "--time") != 0) {
        std::fprintf(stderr, "usage: VehicleSeiRun --make FOLDER | --time CLIP [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    double once = 1e9, data = 1e9;
    size_t samples = 0;
    readOnce(argv[2]);  // warm
    for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        readOnce(argv[2]);
        once = std::min(once, secondsOf(start));
        start = Clock::now();
        ClipTelemetry clip;
        std::string reason;
        if (!readTelemetryFile(argv[2], clip, reason)) return std::fprintf(stderr, "%s\n", reason.c_str()), 1;
        data = std::min(data, secondsOf(start));
        samples = clip.samples.size();
        if (clip.format != TelemetryFormat::VehicleSei) return std::fprintf(stderr, "no vehicle data\n"), 1;
    }
    const double ratio = data / once;
    std::printf("one minute, warm, best of %d: read once %.4f s, per-frame data %.4f s (%zu samples), ratio %.3f "
                "(target <= 0.25) %s\n",
                rounds, once, data, samples, ratio, ratio <= 0.25 ? "ok" : "MISSED");
    return ratio <= 0.25 ? 0 : 1;
}
