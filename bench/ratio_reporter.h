#pragma once
// The console report of every benchmark program, followed by the ratios of
// one benchmark's time to another's ("ratio load / read: 2.9"), real and CPU
// time, so each run reports its ratios measured side by side.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lorvane::bench {

struct RatioOf {
    std::string label;
    std::string ours;   // benchmark name, with its arguments ("BM_DecodePcx/256")
    std::string other;  // the benchmark it is compared with
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::vector<RatioOf> ratios, std::function<void()> after)
        : ratios_(std::move(ratios)), after_(std::move(after)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // Plain runs, or the median when repetitions are asked for.
        for (const Run& run : runs) {
            if (!run.aggregate_name.empty() && run.aggregate_name != "median") continue;
            std::string name = run.run_name.str();
            name = name.substr(0, name.find("/min_"));
            real_[name] = run.GetAdjustedRealTime();
            cpu_[name] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const RatioOf& ratio : ratios_) {
            if (real_.count(ratio.ours) == 0 || real_.count(ratio.other) == 0) continue;
            if (real_[ratio.other] <= 0 || cpu_[ratio.other] <= 0) continue;
            std::printf("ratio %s: %.2f (cpu time %.2f)\n", ratio.label.c_str(),
                        real_[ratio.ours] / real_[ratio.other], cpu_[ratio.ours] / cpu_[ratio.other]);
        }
        if (after_) after_();
    }

private:
    std::vector<RatioOf> ratios_;
    std::function<void()> after_;
    std::map<std::string, double> real_;
    std::map<std::string, double> cpu_;
};

// Runs the benchmarks of the program and prints the ratios; `after` prints
// what else the program measured.
inline int RunWithRatios(int argc, char** argv, std::vector<RatioOf> ratios,
                         std::function<void()> after = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(ratios), std::move(after));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace lorvane::bench
