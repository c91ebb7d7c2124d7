// Full-form parse throughput in texts per second, against two baselines over
// the same texts: a plain scan (strlen plus a memchr for every slash), the
// least any parser must do, and one sscanf of all the numbers.
// Target: more than 2 million texts per second on one core.
#include "track/TrackParser.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Texts as the extraction hands them over: a subtitle cue around each track
// text, with varied numbers so branch prediction cannot learn one text.
const std::vector<std::string>& texts() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> v;
        for (int i = 0; i < 1024; ++i) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "%d\n00:%02d:%02d,000 --> 00:%02d:%02d,000\n2016-05-20 10:%02d:%02d/%c%d %d %d.%02d/%c%d %d "
                          "%d.%02d/%d.%d/X:%d/Y:%d/Z:%d\n\n",
                          i + 1, i / 60 % 60, i % 60, (i + 1) / 60 % 60, (i + 1) % 60, i / 60 % 60, i % 60,
                          i % 7 ? 'E' : 'W', 73 + i % 60, i % 60, i % 60, i % 100, i % 5 ? 'N' : 'S', 18 + i % 37,
                          (i * 7) % 60, (i * 3) % 60, (i * 11) % 100, i % 120, i % 10, i % 50 - 25, -(i % 9),
                          90 + i % 20);
            v.emplace_back(text);
        }
        return v;
    }();
    return all;
}

void BM_TrackParserFull(benchmark::State& state) {
    const auto& all = texts();
    TrackParser parser;
    size_t i = 0;
    int64_t valid = 0;
    for (auto _ : state) {
        valid += parser.parse(all[i].c_str());
        benchmark::DoNotOptimize(parser.record());
        i = (i + 1) & (all.size() - 1);
    }
    if (valid != state.iterations()) state.SkipWithError("a text did not parse");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrackParserFull);

void BM_BaselineScan(benchmark::State& state) {
    const auto& all = texts();
    size_t i = 0;
    for (auto _ : state) {
        const char* p = all[i].c_str();
        const size_t n = std::strlen(p);
        int slashes = 0;
        for (const char* s = p; (s = static_cast<const char*>(std::memchr(s, '/', n - static_cast<size_t>(s - p))));
             ++s)
            ++slashes;
        benchmark::DoNotOptimize(slashes);
        i = (i + 1) & (all.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaselineScan);

void BM_BaselineSscanf(benchmark::State& state) {
    const auto& all = texts();
    size_t i = 0;
    int year, month, day, hour, minute, second, lonD, lonM, latD, latM, x, y, z;
    float lonS, latS, speed;
    char lonH, latH;
    for (auto _ : state) {
        const char* p = std::strchr(all[i].c_str(), '/') - 19;
        const int n = std::sscanf(p, "%4d-%2d-%2d %2d:%2d:%2d/%c%d %d %f/%c%d %d %f/%f/X:%d/Y:%d/Z:%d", &year, &month,
                                  &day, &hour, &minute, &second, &lonH, &lonD, &lonM, &lonS, &latH, &latD, &latM, &latS,
                                  &speed, &x, &y, &z);
        benchmark::DoNotOptimize(n);
        i = (i + 1) & (all.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaselineSscanf);

}  // namespace

BENCHMARK_MAIN();
