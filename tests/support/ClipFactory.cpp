#include "support/ClipFactory.h"

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace testing_support {

namespace {

std::string srtTime(double seconds) {
    const long ms = static_cast<long>(seconds * 1000.0 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld,%03ld", ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60,
                  ms % 1000);
    return text;
}

std::string ffmpegPath() {
    const std::string inProgramFolder = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
    return platform::pathExists(inProgramFolder) ? inProgramFolder : "/usr/bin/ffmpeg";
}

}  // namespace

std::string cameraTrackText(int i) {
    char text[128];
    const int second = i % 60, minute = (30 + i / 60) % 60, hour = 10 + (30 + i / 60) / 60;
    // The G-sensor reads 2000 at 0 G and about 333 a G: braking and
    // accelerating, curves, and the road's bumps on top of gravity.
    const double t = i;
    const int x = 2000 + static_cast<int>(std::lround(170.0 * std::sin(t * 0.21) + 35.0 * std::sin(t * 1.3)));
    const int y = 2000 + static_cast<int>(std::lround(120.0 * std::sin(t * 0.13 + 1.0) + 25.0 * std::sin(t * 0.9)));
    const int z = 2333 + static_cast<int>(std::lround(45.0 * std::sin(t * 0.5) + 30.0 * std::sin(t * 2.1)));
    std::snprintf(text, sizeof text, "2016-05-20 %02d:%02d:%02d/E113 56 %05.2f/N22 33 %05.2f/%.1f/X:%d/Y:%d/Z:%d",
                  hour % 24, minute, second, 12.34 + (i % 40), 44.50 + (i % 13), 20.0 + (i % 50) * 0.5, x, y, z);
    return text;
}

std::vector<std::string> cameraTrack(int n) {
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i) texts.push_back(cameraTrackText(i));
    return texts;
}

std::string srtOf(const ClipSpec& spec) {
    std::string srt;
    for (size_t i = 0; i < spec.trackTexts.size(); ++i) {
        const double start = static_cast<double>(i) * spec.cueSeconds;
        srt += std::to_string(i + 1) + "\n" + srtTime(start) + " --> " + srtTime(start + spec.cueSeconds) + "\n" +
               spec.trackTexts[i] + "\n\n";
    }
    return srt;
}

std::string makeClip(const std::string& path, const ClipSpec& spec) {
    const std::string srtPath = path + ".srt";
    if (spec.withSubtitle) {
        FILE* f = std::fopen(srtPath.c_str(), "wb");
        if (!f) return "cannot write " + srtPath;
        const std::string srt = srtOf(spec);
        std::fwrite(srt.data(), 1, srt.size(), f);
        std::fclose(f);
    }
    const std::string duration = std::to_string(spec.durationSeconds);
    std::vector<std::string> args{ffmpegPath(), "-hide_banner", "-loglevel", "error", "-y"};
    int input = 0;
    std::vector<std::string> maps;
    if (spec.withVideo) {
        args.insert(args.end(), {"-f", "lavfi", "-i",
                                 "testsrc=size=" + std::to_string(spec.width) + "x" + std::to_string(spec.height) +
                                     ":rate=" + std::to_string(spec.frameRate)});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":v"});
    }
    if (spec.withAudio) {
        args.insert(args.end(), {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050"});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":a"});
    }
    if (spec.withSubtitle) {
        args.insert(args.end(), {"-i", srtPath});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":s"});
    }
    args.insert(args.end(), {"-t", duration});
    args.insert(args.end(), maps.begin(), maps.end());
    if (spec.withVideo) args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-g", "10"});
    if (spec.withAudio) args.insert(args.end(), {"-c:a", "aac", "-b:a", "32k"});
    if (spec.withSubtitle)
        args.insert(args.end(), {"-c:s", "mov_text", "-metadata:s:s:0", "handler_name=" + spec.handlerName});
    args.push_back(path);

    platform::ChildProcess ffmpeg;
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    if (int rc = ffmpeg.start(args, options)) return "ffmpeg did not start: errno " + std::to_string(rc);
    ffmpeg.closeStdin();
    std::string output;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(ffmpeg.stdoutFd(), buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    const auto code = ffmpeg.waitFor(std::chrono::minutes(5));
    if (spec.withSubtitle) ::unlink(srtPath.c_str());
    if (code != 0) return "ffmpeg failed: " + output;
    return {};
}

}  // namespace testing_support
