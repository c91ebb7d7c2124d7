// An 8-hour trip recorded five times a second (144,000 samples in 480
// one-minute clips, with a braking and a bump every ten minutes): the trip's
// events found (EventDetector), against the baseline of the trip's figures
// (TrackFigures, one pass over the same samples), in the same run. Target:
// the events take at most 20 times the figures, so the indexer's snapshot
// stays about as cheap as before.
#include "bench/RatioReporter.h"
#include "track/TelemetryRecords.h"
#include "trackindex/TrackFigures.h"
#include "trip/EventDetector.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kClips = 480;
constexpr int kRecordsPerClip = 60 * 5;

struct Clip {
    std::vector<TelemetrySample> samples;
};

const std::vector<Clip>& trip() {
    static const std::vector<Clip> clips = [] {
        std::vector<Clip> out(kClips);
        double latitude = 48.0;
        for (int c = 0; c < kClips; ++c) {
            for (int i = 0; i < kRecordsPerClip; ++i) {
                const int second = c * 60 + i / 5;
                const double t = (second % 600) + (i % 5) * 0.2;
                const bool braking = t >= 300 && t < 303;
                TrackRecord r;
                r.valid = true;
                r.year = 2026, r.month = 12, r.day = 7;
                r.hour = static_cast<uint8_t>(8 + second / 3600);
                r.minute = static_cast<uint8_t>(second / 60 % 60);
                r.second = static_cast<uint8_t>(second % 60);
                r.speed = static_cast<float>(braking ? 80.0 - (t - 300) * 23.0 : t >= 303 ? 11.0 : 80.0);
                latitude += r.speed / 3.6 * 0.2 / 111000.0;
                r.latitude = latitude;
                r.longitude = 8.0 + 0.001 * std::sin(t / 30.0);
                r.accelX = 2000 + (braking ? -220 : 0) + static_cast<int>(10 * std::sin(i * 1.7));
                r.accelY = 2000 + static_cast<int>(10 * std::cos(i * 2.3));
                r.accelZ = 2333 + (t == 450.0 ? 800 : 0);
                out[static_cast<size_t>(c)].samples.push_back(telemetrySampleOf(r, static_cast<int64_t>(i) * 200));
            }
        }
        return out;
    }();
    return clips;
}

void BM_FiguresPass(benchmark::State& state) {
    for (auto _ : state) {
        TrackFigures figures;
        for (const Clip& clip : trip()) {
            figures.startClip();
            for (const TelemetrySample& sample : clip.samples) figures.add(sample, DisplayZone::utc());
        }
        benchmark::DoNotOptimize(figures.distanceMetres());
    }
}
BENCHMARK(BM_FiguresPass)->Unit(benchmark::kMillisecond);

void BM_DetectEvents(benchmark::State& state) {
    std::vector<EventClipTrack> clips;
    for (const Clip& clip : trip()) clips.emplace_back(clip.samples);
    size_t found = 0;
    for (auto _ : state) {
        found = EventDetector().detect(clips).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["events"] = static_cast<double>(found);
}
BENCHMARK(BM_DetectEvents)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto pass = reporter.times.find("BM_FiguresPass");
    const auto detect = reporter.times.find("BM_DetectEvents");
    if (pass != reporter.times.end() && detect != reporter.times.end() && pass->second.real > 0)
        std::printf("BM_DetectEvents: %.2f ms, figures %.2f ms, ratio %.1f; target <= 20\n", detect->second.real,
                    pass->second.real, detect->second.real / pass->second.real);
    benchmark::Shutdown();
    return 0;
}
