#pragma once
// The console report of every benchmark program, followed by the ratios of
// one benchmark's time to another's, each on one line with its wall and
// processor time, the peak memory of both where they measured it
// (RecordPeak), and what the floor it is compared with does:
//   ratio load / floor: wall 1.12, processor 1.08; peak 40 / 38 MiB; floor: read, ...
// so each run reports its ratios measured side by side.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lorvane::bench {

struct RatioOf {
    RatioOf(std::string label_, std::string ours_, std::string other_, std::string floor_ = {})
        : label(std::move(label_)),
          ours(std::move(ours_)),
          other(std::move(other_)),
          floor(std::move(floor_)) {}
    std::string label;
    std::string ours;   // benchmark name, with its arguments ("BM_DecodePcx/256")
    std::string other;  // the benchmark it is compared with
    std::string floor;  // what the other does, when it is a floor
};

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
inline long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    }
    return 0;
}

// Resets the peak (VmHWM) to the memory held now; false where the system
// does not let it be reset.
inline bool ResetPeakMemory() {
    std::FILE* reset = std::fopen("/proc/self/clear_refs", "w");
    if (reset == nullptr) return false;
    std::fputs("5", reset);
    std::fclose(reset);
    return true;
}

// Runs the benchmark's loop and records, as its counter "peak_MiB", the
// peak resident memory above what the process held before the loop.
template <typename Job>
void RunWithPeak(benchmark::State& state, Job job) {
    const bool reset = ResetPeakMemory();
    const long before = StatusKiB("VmRSS:");
    for (auto _ : state) job();
    if (reset)
        state.counters["peak_MiB"] = static_cast<double>(StatusKiB("VmHWM:") - before) / 1024.0;
}

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
            if (const auto peak = run.counters.find("peak_MiB"); peak != run.counters.end())
                peak_[name] = peak->second.value;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n");  // the ratios start on a line of their own
        for (const RatioOf& ratio : ratios_) {
            if (real_.count(ratio.ours) == 0 || real_.count(ratio.other) == 0) continue;
            if (real_[ratio.other] <= 0 || cpu_[ratio.other] <= 0) continue;
            std::string line = FormatLine(
                "ratio %s: wall %.2f, processor %.2f", ratio.label.c_str(),
                real_[ratio.ours] / real_[ratio.other], cpu_[ratio.ours] / cpu_[ratio.other]);
            if (peak_.count(ratio.ours) != 0 && peak_.count(ratio.other) != 0) {
                line += FormatLine("; peak %.1f / %.1f MiB", peak_[ratio.ours], peak_[ratio.other]);
            }
            if (!ratio.floor.empty()) line += "; floor: " + ratio.floor;
            std::printf("%s\n", line.c_str());
        }
        if (after_) after_();
    }

  private:
    template <typename... Values>
    static std::string FormatLine(const char* format, Values... values) {
        char text[256];
        std::snprintf(text, sizeof text, format, values...);
        return text;
    }

    std::vector<RatioOf> ratios_;
    std::function<void()> after_;
    std::map<std::string, double> real_;
    std::map<std::string, double> cpu_;
    std::map<std::string, double> peak_;
};

// Wall and processor time of one run, in seconds. The machine is shared, so
// the processor time shows the work where other programs stretch the wall
// time.
struct Times {
    double wall = 0;
    double cpu = 0;
};

inline double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

inline Times Measure(const std::function<void()>& job) {
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    job();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds() - cpu};
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The medians of paired runs of ours and of other, one after the other with
// the order alternating: the ratios in wall and processor time, and each
// one's wall time in seconds.
struct Paired {
    double wall = 0;
    double cpu = 0;
    double oursWall = 0;
    double otherWall = 0;
};

inline Paired MeasurePaired(const std::function<void()>& ours, const std::function<void()>& other,
                            int pairs) {
    std::vector<double> wall, cpu, oursWall, otherWall;
    for (int pair = 0; pair < pairs; ++pair) {
        Times a, b;
        if (pair % 2 == 0) {
            a = Measure(ours);
            b = Measure(other);
        } else {
            b = Measure(other);
            a = Measure(ours);
        }
        wall.push_back(a.wall / b.wall);
        cpu.push_back(a.cpu / b.cpu);
        oursWall.push_back(a.wall);
        otherWall.push_back(b.wall);
    }
    return {Median(wall), Median(cpu), Median(oursWall), Median(otherWall)};
}

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
