#include "support/ClipFactory.h"

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"

#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdio>

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

ClipSpec driveClip(int first) {
    ClipSpec spec;
    for (int i = first; i < first + 40; ++i) spec.trackTexts.push_back(cameraTrackText(i));
    spec.cueSeconds = 1.0;
    spec.durationSeconds = 40.0;
    spec.width = 320;
    spec.height = 180;
    return spec;
}

std::vector<std::string> cameraTrack(int n) {
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i) texts.push_back(cameraTrackText(i));
    return texts;
}

std::vector<std::string> incidentTrack(int seconds) {
    std::vector<std::string> texts;
    double northArcSeconds = 22 * 3600 + 33 * 60;
    for (int i = 0; i < seconds * 5; ++i) {
        const double t = i * 0.2;
        const double kmh = t < 28.5 ? 80.0 : t < 31.5 ? 80.0 - (t - 28.5) * 70.0 / 3.0 : 10.0;
        const double brakeG = t >= 28.5 && t < 31.5 ? 70.0 / 3.6 / 3.0 / 9.80665 : 0.0;
        const double bumpG = i == 45 * 5 ? 2.5 : 0.0;
        northArcSeconds += kmh / 3.6 * 0.2 / 30.87;  // about 30.87 m an arc second
        const auto whole = static_cast<int>(northArcSeconds);
        const int clock = static_cast<int>(t);
        char text[128];
        std::snprintf(
            text, sizeof text, "2026-12-07 10:%02d:%02d/E113 56 12.34/N%02d %02d %05.2f/%.1f/X:%d/Y:2000/Z:%d",
            clock / 60, clock % 60, whole / 3600, whole / 60 % 60, northArcSeconds - whole / 60 * 60, kmh / 1.852,
            static_cast<int>(std::lround(2000 - brakeG * 333.3)), static_cast<int>(std::lround(2333 + bumpG * 333.3)));
        texts.push_back(text);
    }
    return texts;
}

std::string srtOf(const std::vector<std::string>& texts, double cueSeconds, double gapSeconds) {
    std::string srt;
    for (size_t i = 0; i < texts.size(); ++i) {
        const double start = static_cast<double>(i) * (cueSeconds + gapSeconds);
        srt += std::to_string(i + 1) + "\n" + srtTime(start) + " --> " + srtTime(start + cueSeconds) + "\n" + texts[i] +
               "\n\n";
    }
    return srt;
}

std::string srtOf(const ClipSpec& spec) {
    return srtOf(spec.trackTexts, spec.cueSeconds, spec.cueGapSeconds);
}

namespace {

bool writeText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

std::string makeClip(const std::string& path, const ClipSpec& spec) {
    const std::string srtPath = path + ".srt";
    if (spec.withSubtitle && !writeText(srtPath, srtOf(spec))) return "cannot write " + srtPath;
    std::vector<std::string> extraPaths;
    for (size_t i = 0; i < spec.extraSubtitles.size(); ++i) {
        extraPaths.push_back(path + "." + std::to_string(i) + ".srt");
        if (!writeText(extraPaths.back(), srtOf(spec.extraSubtitles[i].trackTexts, spec.cueSeconds, 0.0)))
            return "cannot write " + extraPaths.back();
    }
    const std::string duration = std::to_string(spec.durationSeconds);
    std::vector<std::string> args{ffmpegPath(), "-hide_banner", "-loglevel", "error", "-y"};
    int input = 0;
    std::vector<std::string> maps;
    if (spec.withVideo) {
        args.insert(args.end(), {"-f", "lavfi", "-i",
                                 (spec.colour.empty() ? "testsrc=size=" : "color=c=" + spec.colour + ":size=") + std::to_string(spec.width) + "x" + std::to_string(spec.height) +
                                     ":rate=" + std::to_string(spec.frameRate)});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":v"});
    }
    if (spec.withAudio) {
        args.insert(args.end(), {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050"});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":a"});
    }
    // Subtitle streams in the order of their maps; handlers follow the same order.
    std::vector<std::string> handlers;
    const auto addSubtitle = [&](const std::string& srt, const std::string& handler) {
        args.insert(args.end(), {"-i", srt});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":s"});
        handlers.push_back(handler);
    };
    if (spec.withSubtitle && !spec.extraFirst) addSubtitle(srtPath, spec.handlerName);
    for (size_t i = 0; i < extraPaths.size(); ++i) addSubtitle(extraPaths[i], spec.extraSubtitles[i].handlerName);
    if (spec.withSubtitle && spec.extraFirst) addSubtitle(srtPath, spec.handlerName);
    args.insert(args.end(), {"-t", duration});
    args.insert(args.end(), maps.begin(), maps.end());
    if (spec.withVideo)
        args.insert(args.end(),
                    {"-c:v", "libx264", "-preset", "ultrafast", "-g", std::to_string(spec.keyframeInterval)});
    if (spec.withAudio) args.insert(args.end(), {"-c:a", "aac", "-b:a", "32k"});
    if (!handlers.empty()) args.insert(args.end(), {"-c:s", "mov_text"});
    for (size_t i = 0; i < handlers.size(); ++i)
        args.insert(args.end(), {"-metadata:s:s:" + std::to_string(i), "handler_name=" + handlers[i]});
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
    for (const std::string& extra : extraPaths) ::unlink(extra.c_str());
    if (code != 0) return "ffmpeg failed: " + output;
    return {};
}

}  // namespace testing_support
