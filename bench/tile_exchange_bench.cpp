// Exporting and importing every tile of a database of 4096 tiles (256 sets of
// 16, 50 paths and 20 areas each), beside the least work each job does:
// writing the same bytes (plainly, and replaced safely as export does) and
// reading them into fresh memory. The ratios are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/file_io.h"
#include "ratio_reporter.h"
#include "support/texture_builder.h"
#include "tiledb/tile_exchange.h"

namespace {

using namespace lorvane;

struct Fixture {
    Fixture() {
        folder = testing::MakeTempFolder("lorvane-exchange-bench");
        file = folder / "tiles.exp";
        database = testing::MakeLargeDatabase(256, 16, 50, 20);
        for (size_t i = 0; i < database.index.size(); ++i)
            MarkTileForExport(database, database.index[i].id);
        bytes = SerializeTileExport(database);
        testing::WriteFileBytes(file, bytes);
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::filesystem::path file;
    TileDatabase database;
    std::vector<std::byte> bytes;
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_WriteFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        std::ofstream out(data.folder / "raw.exp", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.bytes.data()),
                  static_cast<std::streamsize>(data.bytes.size()));
    }
}

void BM_ReplaceFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReplaceFile(data.folder / "replaced.exp", data.bytes));
}

void BM_ExportModifiedTiles(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ExportModifiedTiles(data.folder / "exported.exp", data.database, messages));
    }
}

void BM_ReadFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        std::ifstream in(data.file, std::ios::binary);
        std::vector<char> bytes(std::filesystem::file_size(data.file));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_ImportTiles(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    TileDatabase target = testing::MakeLargeDatabase(256, 16, 0, 0);
    for (auto _ : state) benchmark::DoNotOptimize(ImportTiles(data.file, target, messages));
}

BENCHMARK(BM_WriteFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportModifiedTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"export / write", "BM_ExportModifiedTiles", "BM_WriteFileBytes",
          "the export file's bytes written with ofstream, no fsync"},
         {"export / safe replace", "BM_ExportModifiedTiles", "BM_ReplaceFileBytes",
          "the export file's bytes put in place by ReplaceFile, ours: the cost above the safe "
          "write"},
         {"import / read", "BM_ImportTiles", "BM_ReadFileBytes",
          "the export file read into one new buffer with ifstream, nothing parsed"}});
}
