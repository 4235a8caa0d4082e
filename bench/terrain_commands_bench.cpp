// The terrain commands as lorvane-cli runs them (l2m, thr and mea streaming
// from the L2/O2 to their output), each beside its floor: a program that
// reads the same files with plain system calls of its own, converts, writes
// the same bytes and flushes them to the disk once, the least work that
// gives the same file as durably (terrain_floors.h). Every command at 1024
// and 4096 posts a side, 7- and 9-byte records.
//
// After the table: at 1024 and 4096 posts, the median of paired runs (ours
// and the floor one after the other, the order alternating; 21 pairs of
// the short runs at 1024, 7 at 4096) of each ratio, in wall and processor
// time, with the peak memory of lorvane-cli running the command beside the
// size of its input files; the .thr map's cost per post at 1024 and 4096
// posts; and the peak memory of lorvane-cli's mea and thr from an O2 whose
// entries all name one section.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>

#include "base/file_io.h"
#include "ratio_reporter.h"
#include "support/texture_builder.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"
#include "terrain_floors.h"
#include "terrain_pattern.h"
#include "tiledb/texture_bin.h"

namespace {

using namespace lorvane;
using namespace lorvane::bench;

struct Inputs {
    Inputs() {
        folder = testing::MakeTempFolder("lorvane-bench-commands");
        for (int n : {64, 256}) {
            for (int recordSize : {7, 9})
                l2Paths[{n, recordSize}] = WritePatternL2(folder, n, recordSize);
        }
        database = testing::MakeLargeDatabase(256, 16, 6, 3);  // 4096 tiles
        texturePath = folder / "Texture.bin";
        testing::WriteFileBytes(texturePath, SerializeTextureBin(database));
        WriteAliasedL2(512);
    }
    ~Inputs() { fs::remove_all(folder); }

    // One section of 7-byte records, and an O2 of n × n entries that all
    // name it: a 1 MiB O2 for n = 512.
    void WriteAliasedL2(int n) {
        aliasedL2 = folder / "ALIASED.L2";
        std::ofstream l2(aliasedL2, std::ios::binary);
        for (uint32_t post = 0; post < 256; ++post) {
            const auto record = testing::EncodeL2Record(PatternCell(post % 16, post / 16), 7);
            l2.write(reinterpret_cast<const char*>(record.data()), 7);
        }
        const std::vector<char> zeros(4 * static_cast<size_t>(n) * static_cast<size_t>(n), 0);
        std::ofstream(folder / "ALIASED.O2", std::ios::binary)
            .write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    }

    const fs::path& L2(int n, int recordSize) { return l2Paths[{n, recordSize}]; }

    fs::path folder;
    std::map<std::pair<int, int>, fs::path> l2Paths;
    fs::path aliasedL2;
    TileDatabase database;
    fs::path texturePath;
};

Inputs& Data() {
    static Inputs inputs;
    return inputs;
}

// ---- ours: what lorvane-cli does after parsing its arguments ----

struct Opened {
    TerrainRows rows;
};

Opened Open(const fs::path& l2Path) {
    NullMessages messages;
    return {std::move(*OpenTerrainRows(l2Path, false, messages))};
}

void OursL2m(const fs::path& l2Path, const fs::path& out) {
    const Opened terrain = Open(l2Path);
    NullMessages messages;
    SilentProgress progress;
    SaveRowsAsL2M(out, terrain.rows, progress, messages);
}

void OursThr(const fs::path& l2Path, const fs::path& out) {
    const Opened terrain = Open(l2Path);
    NullMessages messages;
    SilentProgress progress;
    GenerateTheaterMap(out, terrain.rows, Data().database, progress, messages);
}

void OursMea(const fs::path& l2Path, const fs::path& out) {
    const Opened terrain = Open(l2Path);
    NullMessages messages;
    GenerateMeaFile(out, terrain.rows, messages);
}

void FloorThrOfData(const fs::path& l2Path, const fs::path& out) {
    FloorThr(l2Path, out, Data().database);
}

// ---- the table ----

using Job = void (*)(const fs::path&, const fs::path&);

struct Command {
    const char* name;
    Job ours;
    Job floor;
    const char* floorDefinition;
};

const Command kCommands[] = {
    {"l2m", OursL2m, FloorL2m, kFloorL2m},
    {"thr", OursThr, FloorThrOfData, kFloorThr},
    {"mea", OursMea, FloorMea, kFloorMea},
};

void RunJob(benchmark::State& state, Job job, const char* output) {
    const fs::path& l2 =
        Data().L2(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const fs::path out = Data().folder / output;
    RunWithPeak(state, [&] { job(l2, out); });
    state.counters["ns/post"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 256.0 * static_cast<double>(state.range(0)) *
            static_cast<double>(state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_L2m(benchmark::State& state) { RunJob(state, OursL2m, "ours.L2M"); }
void BM_L2mFloor(benchmark::State& state) { RunJob(state, FloorL2m, "floor.L2M"); }
void BM_Thr(benchmark::State& state) { RunJob(state, OursThr, "ours.thr"); }
void BM_ThrFloor(benchmark::State& state) { RunJob(state, FloorThrOfData, "floor.thr"); }
void BM_Mea(benchmark::State& state) { RunJob(state, OursMea, "ours.mea"); }
void BM_MeaFloor(benchmark::State& state) { RunJob(state, FloorMea, "floor.mea"); }

// The .thr map composed from the mapped rows, without the write: the cost of
// its column-order store per post.
void BM_ComposeThr(benchmark::State& state) {
    const Opened terrain = Open(Data().L2(static_cast<int>(state.range(0)), 7));
    SilentProgress progress;
    lorvane::bench::RunWithPeak(state, [&] {
        auto bytes = ComposeTheaterMap(terrain.rows, Data().database, progress);
        benchmark::DoNotOptimize(bytes->data());
    });
    state.counters["ns/post"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(terrain.rows.Rows()) *
            static_cast<double>(terrain.rows.Columns()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void CommandArguments(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"sections", "record"});
    for (int n : {64, 256}) {
        for (int recordSize : {7, 9}) benchmark->Args({n, recordSize});
    }
    benchmark->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_L2m)->Apply(CommandArguments);
BENCHMARK(BM_L2mFloor)->Apply(CommandArguments);
BENCHMARK(BM_Thr)->Apply(CommandArguments);
BENCHMARK(BM_ThrFloor)->Apply(CommandArguments);
BENCHMARK(BM_Mea)->Apply(CommandArguments);
BENCHMARK(BM_MeaFloor)->Apply(CommandArguments);
BENCHMARK(BM_ComposeThr)->Arg(64)->Arg(256)->ArgName("sections")->Unit(benchmark::kMillisecond);

// ---- paired runs, peaks and checks ----

// The peak resident memory of lorvane-cli running one command, in MiB:
// what a user's run takes, the process's own libraries included. It runs
// under /usr/bin/time, whose small process starts it: a process started
// straight from this one would count this one's peak as its own, which
// the system carries over into the program it starts. Negative when the
// peak cannot be had.
double CliPeakMiB(const std::vector<std::string>& arguments) {
    const std::string report = (Data().folder / "peak.txt").string();
    std::vector<std::string> words = {"/usr/bin/time", "-f", "%M", "-o", report, LORVANE_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || status != 0) return -1;
    std::ifstream in(report);
    double kib = -1024;
    in >> kib;
    return kib / 1024.0;
}

std::vector<std::string> CliArguments(const Command& command, const fs::path& l2,
                                      const fs::path& out);

// The peak resident memory of one run above what the process held before,
// in MiB; negative where the peak cannot be reset.
double PeakMiB(const std::function<void()>& job) {
    if (!ResetPeakMemory()) return -1;
    const long before = StatusKiB("VmRSS:");
    job();
    return static_cast<double>(StatusKiB("VmHWM:") - before) / 1024.0;
}

double FileMiB(const fs::path& l2Path) {
    return static_cast<double>(fs::file_size(l2Path) + fs::file_size(*O2PathFor(l2Path))) /
           (1024.0 * 1024.0);
}

// Ours and the floor write the same bytes, for every input.
bool SameOutputs() {
    bool same = true;
    for (const Command& command : kCommands) {
        for (const auto& [key, l2] : Data().l2Paths) {
            const fs::path ours = Data().folder / "check.ours";
            const fs::path floor = Data().folder / "check.floor";
            command.ours(l2, ours);
            command.floor(l2, floor);
            if (testing::ReadFileBytes(ours) != testing::ReadFileBytes(floor)) {
                std::printf("MISMATCH: %s differs from its floor for %s\n", command.name,
                            l2.filename().c_str());
                same = false;
            }
        }
    }
    return same;
}

constexpr int kPairs = 7;

std::vector<std::string> CliArguments(const Command& command, const fs::path& l2,
                                      const fs::path& out) {
    std::vector<std::string> arguments = {command.name};
    const std::string name = command.name;
    if (name == "l2m") {
        arguments.push_back(l2.string());
    } else {
        if (name == "thr") {
            arguments.push_back("--texture");
            arguments.push_back(Data().texturePath.string());
        }
        arguments.push_back("--terrain");
        arguments.push_back(l2.string());
    }
    for (const char* option : {"-o", "", "--overwrite", "--quiet"})
        arguments.push_back(*option ? option : out.string());
    return arguments;
}

void ReportPaired() {
    std::printf(
        "\nAt 1024 and 4096 posts a side, median of %d paired runs (%d at 1024; wall time; "
        "processor time):\n",
        kPairs, 3 * kPairs);
    for (const Command& command : kCommands) {
        for (const auto& [key, l2] : Data().l2Paths) {
            const auto [n, recordSize] = key;
            const fs::path ours = Data().folder / "paired.ours";
            const fs::path floor = Data().folder / "paired.floor";
            const Paired paired =
                MeasurePaired([&] { command.ours(l2, ours); }, [&] { command.floor(l2, floor); },
                              n == 64 ? 3 * kPairs : kPairs);
            const double cliPeak = CliPeakMiB(CliArguments(command, l2, ours));
            const double floorPeak = PeakMiB([&] { command.floor(l2, floor); });
            std::printf(
                "paired %s / floor, %d posts, %d-byte: wall %.2f (%.1f ms / %.1f ms), "
                "processor %.2f; lorvane-cli peak %.0f MiB for L2+O2 of %.0f MiB (floor %.1f MiB "
                "above its start); floor: %s\n",
                command.name, 16 * n, recordSize, paired.wall, 1000 * paired.oursWall,
                1000 * paired.otherWall, paired.cpu, cliPeak, FileMiB(l2), floorPeak,
                command.floorDefinition);
        }
    }
}

void ReportThrPerPost() {
    SilentProgress progress;
    Times perPost[2];
    int k = 0;
    for (int n : {64, 256}) {
        const Opened terrain = Open(Data().L2(n, 7));
        std::vector<double> wall, cpu;
        // The 1024 map takes a few milliseconds: many more runs, so that the
        // median is not what other programs on the machine made of a few.
        for (int run = 0; run < (n == 64 ? 16 * kPairs : kPairs); ++run) {
            const Times times = Measure([&] {
                auto bytes = ComposeTheaterMap(terrain.rows, Data().database, progress);
                benchmark::DoNotOptimize(bytes->data());
            });
            wall.push_back(times.wall);
            cpu.push_back(times.cpu);
        }
        const double posts = 256.0 * n * n;
        perPost[k++] = {1e9 * Median(wall) / posts, 1e9 * Median(cpu) / posts};
    }
    std::printf(
        "thr composed per post: %.2f ns at 1024, %.2f ns at 4096, ratio %.2f; processor time "
        "%.2f ns, %.2f ns, ratio %.2f\n",
        perPost[0].wall, perPost[1].wall, perPost[1].wall / perPost[0].wall, perPost[0].cpu,
        perPost[1].cpu, perPost[1].cpu / perPost[0].cpu);
}

void ReportAliased() {
    const fs::path out = Data().folder / "aliased.out";
    std::printf(
        "O2 of 512 x 512 entries naming one section (8192 x 8192 posts, %.2f MiB of files): "
        "lorvane-cli peak of mea %.1f MiB, of thr %.1f MiB (its one byte per post %.0f MiB)\n",
        FileMiB(Data().aliasedL2), CliPeakMiB(CliArguments(kCommands[2], Data().aliasedL2, out)),
        CliPeakMiB(CliArguments(kCommands[1], Data().aliasedL2, out)),
        8192.0 * 8192.0 / (1024.0 * 1024.0));
}

}  // namespace

int main(int argc, char** argv) {
    using lorvane::FormatText;
    if (!SameOutputs()) return 1;
    std::vector<lorvane::bench::RatioOf> ratios;
    const char* names[] = {"L2m", "Thr", "Mea"};
    for (size_t command = 0; command < 3; ++command) {
        const char* name = names[command];
        for (int n : {64, 256}) {
            for (int r : {7, 9}) {
                const std::string arguments = FormatText("/sections:%d/record:%d/real_time", n, r);
                ratios.push_back({FormatText("%s / floor, %d posts, %d-byte", name, 16 * n, r),
                                  std::string("BM_") + name + arguments,
                                  std::string("BM_") + name + "Floor" + arguments,
                                  kCommands[command].floorDefinition});
            }
        }
    }
    return lorvane::bench::RunWithRatios(argc, argv, std::move(ratios), [] {
        ReportPaired();
        ReportThrPerPost();
        ReportAliased();
    });
}
