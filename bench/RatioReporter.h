#pragma once
// A console reporter that also keeps each benchmark's times, so a benchmark
// program can print its ratio against the baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    struct Times {
        double real;
        double cpu;
    };
    std::map<std::string, Times> times;
};
