// Loading and saving a database of 4096 tiles (256 sets of 16, 50 paths and
// 20 areas each), beside the cost of reading the same bytes from the file in
// fresh memory. The load ratio (load / read) is printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace {

using namespace lorvane;

struct Fixture {
    Fixture() {
        folder = testing::MakeTempFolder("lorvane-bench");
        file = folder / "Texture.bin";
        database = testing::MakeLargeDatabase(256, 16, 50, 20);
        testing::WriteFileBytes(file, SerializeTextureBin(database));
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::filesystem::path file;
    TileDatabase database;
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}



// The least work: read the file's bytes into a new buffer.
void BM_ReadFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        std::ifstream in(data.file, std::ios::binary);
        std::vector<char> bytes(std::filesystem::file_size(data.file));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(data.file)));
}

void BM_LoadTextureBin(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    for (auto _ : state) {
        auto database = LoadTextureBin(data.file, messages);
        benchmark::DoNotOptimize(database);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(data.file)));
}

void BM_WriteFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    const auto bytes = SerializeTextureBin(data.database);
    for (auto _ : state) {
        std::ofstream out(data.folder / "Raw.bin", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

void BM_SaveTextureBin(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SaveTextureBin(data.folder / "Saved.bin", data.database, data.folder, messages));
    }
}

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTextureBin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTextureBin)->Unit(benchmark::kMillisecond);

// Prints the ratios of each operation to the raw file work it does.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        Ratio("load / read", "BM_LoadTextureBin", "BM_ReadFileBytes");
        Ratio("save / write", "BM_SaveTextureBin", "BM_WriteFileBytes");
    }

private:
    void Ratio(const char* label, const char* ours, const char* least) {
        if (times_.count(ours) && times_.count(least) && times_[least] > 0) {
            std::printf("ratio %s: %.2f\n", label, times_[ours] / times_[least]);
        }
    }
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
