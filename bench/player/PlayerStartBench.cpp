// Time from CMplayer::Start to PLAYER_STARTED with the program's engine
// (no picture, no sound), against `mpv --vo=null --ao=null --frames=1` on
// the same clip: both start a process, open the file and get to the first
// frame. Target: the player takes at most 1.25 times as long as bare mpv.
//
// Usage: PlayerStartBench [benchmark options] — the engine is taken from the
// build's program folder; mpv and ffmpeg from PATH.
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "platform/RecordingMessageTarget.h"
#include "player/CMplayer.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::string clipPath;
std::map<std::string, double> meanSeconds;  // by benchmark

// Runs a program to its end, draining its output; false when it failed.
bool run(const std::vector<std::string>& argv) {
    platform::ChildProcess child;
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    if (child.start(argv, options) != 0) return false;
    child.closeStdin();
    char buffer[4096];
    while (::read(child.stdoutFd(), buffer, sizeof buffer) > 0) {
    }
    return child.waitFor(std::chrono::minutes(2)) == 0;
}

bool makeClip(const std::string& folder) {
    clipPath = folder + "bench clip.mp4";
    return run({"/usr/bin/env", "ffmpeg",
                "-hide_banner", "-loglevel",
                "error",        "-y",
                "-f",           "lavfi",
                "-i",           "testsrc=size=1280x720:rate=30",
                "-f",           "lavfi",
                "-i",           "sine=frequency=440",
                "-t",           "20",
                "-c:v",         "libx264",
                "-preset",      "ultrafast",
                "-c:a",         "aac",
                clipPath});
}

void record(const std::string& name, double total, benchmark::IterationCount count) {
    if (count > 0) meanSeconds[name] = total / static_cast<double>(count);
}

// mpv prints "Exiting... (End of file)" once its one frame is done; its
// shutdown after that is not part of getting to the first frame, so it is
// timed apart (the "process_ms" counter).
void BM_BareMpvFirstFrame(benchmark::State& state) {
    double total = 0, totalProcess = 0;
    for (auto _ : state) {
        platform::ChildProcess mpv;
        platform::ChildProcess::Options options;
        options.mergeStderrIntoStdout = true;
        const auto start = Clock::now();
        if (mpv.start({"/usr/bin/env", "mpv", "--no-config", "--vo=null", "--ao=null", "--frames=1", clipPath},
                      options) != 0) {
            state.SkipWithError("mpv did not start");
            return;
        }
        mpv.closeStdin();
        std::string output;
        std::optional<Clock::time_point> firstFrame;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(mpv.stdoutFd(), buffer, sizeof buffer)) > 0) {
            output.append(buffer, static_cast<size_t>(n));
            if (!firstFrame && output.find("Exiting") != std::string::npos) firstFrame = Clock::now();
        }
        const bool ok = mpv.waitFor(std::chrono::minutes(1)) == 0;
        const auto end = Clock::now();
        if (!ok || !firstFrame) {
            state.SkipWithError("mpv failed (is it installed?)");
            return;
        }
        const double seconds = std::chrono::duration<double>(*firstFrame - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        totalProcess += std::chrono::duration<double>(end - start).count();
    }
    record("mpv", total, state.iterations());
    record("mpv process", totalProcess, state.iterations());
    state.counters["process_ms"] = 1000 * totalProcess / static_cast<double>(state.iterations());
}

void BM_PlayerStartToStarted(benchmark::State& state) {
    platform::RecordingMessageTarget events;
    CMplayer player;
    player.SetPlayerPath(std::string(VELTARA_BENCH_PROGRAM_DIR) + "MPlayer/mplayer");
    player.SetNotifyWindow(&events, platform::WM_PLAYER_EVENT);
    player.SetVideoOut("null");
    player.SetAudioOut("null");
    player.SetExtraOptions("-sid 0 -idx -nokeepaspect");
    player.SetMediaFile(clipPath);
    double total = 0;
    for (auto _ : state) {
        events.clear();
        const auto start = Clock::now();
        if (player.Start() != 0 ||
            !events.waitFor(platform::WM_PLAYER_EVENT, PLAYER_STARTED, std::chrono::seconds(20))) {
            state.SkipWithError("the engine did not start playing");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        player.Stop();
    }
    record("player", total, state.iterations());
}

}  // namespace

BENCHMARK(BM_BareMpvFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PlayerStartToStarted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    char folder[] = "/tmp/veltara-bench-XXXXXX";
    if (!::mkdtemp(folder)) return 1;
    const std::string path = std::string(folder) + "/";
    if (!makeClip(path)) {
        std::fprintf(stderr, "could not make the clip (ffmpeg)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(clipPath.c_str());
    ::rmdir(folder);

    const auto mpv = meanSeconds.find("mpv");
    const auto mpvProcess = meanSeconds.find("mpv process");
    const auto ours = meanSeconds.find("player");
    if (mpv == meanSeconds.end() || mpvProcess == meanSeconds.end() || ours == meanSeconds.end()) return 1;
    const double ratio = ours->second / mpv->second;
    std::printf("player start to PLAYER_STARTED %.1f ms; bare mpv to its first frame %.1f ms (%.1f ms to its exit)\n",
                ours->second * 1000, mpv->second * 1000, mpvProcess->second * 1000);
    std::printf("ratio %.2f against the first frame, %.2f against the exit (target at most 1.25)\n", ratio,
                ours->second / mpvProcess->second);
    return ratio <= 1.25 ? 0 : 2;
}
