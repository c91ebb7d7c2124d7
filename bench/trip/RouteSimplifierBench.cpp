// An 8-hour trip of ten fixes a second (288,000 fixes on a winding road): the
// route thinned for drawing (RouteSimplifier at the screen's tolerance), and
// the whole preparation of the map's trip layer (the thinning, then the
// points drawn in the page's datum), against the baseline of one pass over
// the fixes (the nearest-fix search a click on the map makes), in the same
// run. Target: both at most 20 times the pass.
#include "bench/RatioReporter.h"
#include "trip/NearestFix.h"
#include "trip/RouteDatum.h"
#include "trip/RouteSimplifier.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFixes = 8 * 3600 * 10;
constexpr double kViewPixels = 2000.0;

// Through Shenzhen (the datum conversions act there), one clip a minute.
const TripRoute& trip() {
    static const TripRoute route = [] {
        TripRoute r;
        for (int s = 0; s < kFixes; ++s) {
            if (s % 600 == 0) r.clipFirstFix.push_back(r.fixes.size());
            RouteFix f;
            const double t = s / 10.0;
            // Long bends and short curves of about 100 m.
            f.latitude = 22.5 + t * 0.00008 + 0.01 * std::sin(t / 90.0) + 0.001 * std::sin(t / 7.0);
            f.longitude = 113.9 + t * 0.00011 + 0.01 * std::cos(t / 130.0) + 0.001 * std::cos(t / 11.0);
            f.clip = static_cast<uint32_t>(s / 600);
            f.timeMs = (s % 600) * 100;
            r.fixes.push_back(f);
        }
        return r;
    }();
    return route;
}

void BM_NearestFixPass(benchmark::State& state) {
    const TripRoute& r = trip();
    const RouteFix& target = r.fixes[kFixes / 2];
    for (auto _ : state) benchmark::DoNotOptimize(NearestFix::find(r.fixes, target.latitude, target.longitude, 30.0));
}
BENCHMARK(BM_NearestFixPass)->Unit(benchmark::kMillisecond);

void BM_Simplify(benchmark::State& state) {
    const TripRoute& r = trip();
    size_t kept = 0;
    for (auto _ : state) {
        const double tolerance = RouteSimplifier::screenTolerance(r.fixes, kViewPixels);
        kept = RouteSimplifier::simplify(r.fixes, r.clipFirstFix, tolerance).size();
        benchmark::DoNotOptimize(kept);
    }
    state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_Simplify)->Unit(benchmark::kMillisecond);

void BM_TripLayerPreparation(benchmark::State& state) {
    const TripRoute& r = trip();
    for (auto _ : state) {
        const double tolerance = RouteSimplifier::screenTolerance(r.fixes, kViewPixels);
        std::vector<RouteFix> drawn;
        for (size_t i : RouteSimplifier::simplify(r.fixes, r.clipFirstFix, tolerance)) drawn.push_back(r.fixes[i]);
        benchmark::DoNotOptimize(routeInMapDatum(drawn, TrackMapConversion::Baidu));
    }
}
BENCHMARK(BM_TripLayerPreparation)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto pass = reporter.times.find("BM_NearestFixPass");
    for (const auto& [name, target] : {std::pair<const char*, double>{"BM_Simplify", 20.0},
                                       std::pair<const char*, double>{"BM_TripLayerPreparation", 20.0}}) {
        const auto it = reporter.times.find(name);
        if (pass == reporter.times.end() || it == reporter.times.end() || pass->second.real <= 0) continue;
        std::printf("%s: %.2f ms, one pass %.2f ms, ratio %.1f; target <= %.0f\n", name, it->second.real,
                    pass->second.real, it->second.real / pass->second.real, target);
    }
    benchmark::Shutdown();
    return 0;
}
