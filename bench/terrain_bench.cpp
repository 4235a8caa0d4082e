// The terrain operations beside the least work of the same job, and beside
// literal one-record-at-a-time versions:
// - building the matrix from an L2/O2 pair (1024 and 4096 posts a side,
//   7- and 9-byte records) against reading the same bytes into fresh memory,
//   and at 1024 against a seek and a read per post;
// - the .thr map of a matrix against a linear index search per post;
// - the L2M load against reading the same bytes.
// The commands that stream from the terrain files to their outputs are
// measured in terrain_commands_bench.
// The ratios are printed at the end, and the peak memory of one 4096 × 4096
// build beside the size of the matrix and of the file bytes.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "base/file_io.h"
#include "base/format.h"
#include "ratio_reporter.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"
#include "terrain_pattern.h"

namespace {

using namespace lorvane;
using namespace lorvane::bench;
namespace fs = std::filesystem;

struct Fixture {
    Fixture() {
        folder = testing::MakeTempFolder("lorvane-bench-terrain");
        for (int n : {64, 256}) {
            for (int recordSize : {7, 9})
                l2Paths[{n, recordSize}] = WritePatternL2(folder, n, recordSize);
        }
        database = testing::MakeLargeDatabase(256, 16, 6, 3);  // 4096 tiles
        NullMessages messages;
        SilentProgress progress;
        const auto l2 = FileBytes::Open(l2Paths[{64, 7}]);
        const auto o2 = FileBytes::Open(*O2PathFor(l2Paths[{64, 7}]));
        matrix = *BuildMatrixFromL2(l2->Bytes(), o2->Bytes(), progress, messages);
        SaveMatrixAsL2M(folder / "M.L2M", matrix, progress, messages);
    }
    ~Fixture() { fs::remove_all(folder); }
    fs::path folder;
    std::map<std::pair<int, int>, fs::path> l2Paths;
    TileDatabase database;
    TerrainMatrix matrix;  // 1024 × 1024
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

// The least work of reading a file: its bytes into fresh memory, taken as
// the matrix takes its own (huge pages where the system has them).
size_t ReadIntoFreshMemory(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const auto size = static_cast<size_t>(fs::file_size(path));
    const auto release = [size](char* memory) { FreeCellMemory(memory, size); };
    std::unique_ptr<char, decltype(release)> bytes(static_cast<char*>(AllocateCellMemory(size)),
                                                   release);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.get());
    return done;
}

void BM_ReadL2Bytes(benchmark::State& state) {
    const fs::path& l2 =
        Data().l2Paths[{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))}];
    lorvane::bench::RunWithPeak(state, [&] {
        benchmark::DoNotOptimize(ReadIntoFreshMemory(l2) + ReadIntoFreshMemory(*O2PathFor(l2)));
    });
}

void BM_BuildMatrixFromL2(benchmark::State& state) {
    const fs::path& l2Path =
        Data().l2Paths[{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))}];
    NullMessages messages;
    SilentProgress progress;
    lorvane::bench::RunWithPeak(state, [&] {
        const auto rows = OpenTerrainRows(l2Path, false, messages);
        auto matrix = BuildMatrixFromL2(*rows, progress, messages);
        benchmark::DoNotOptimize(matrix->cells.data());
    });
}

// One seek and one read per post, and one O2 seek and read per section and
// post row, as a literal reading of the file layout does it.
void BM_BuildLiteral(benchmark::State& state) {
    const fs::path& l2Path =
        Data().l2Paths[{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))}];
    lorvane::bench::RunWithPeak(state, [&] {
        const int l2 = ::open(l2Path.c_str(), O_RDONLY);
        const int o2 = ::open(O2PathFor(l2Path)->c_str(), O_RDONLY);
        const TerrainLayout layout =
            SetDimensionsFromFiles(fs::file_size(*O2PathFor(l2Path)), fs::file_size(l2Path));
        const auto n = static_cast<size_t>(layout.dimensions.xSections);
        const auto recordSize = static_cast<size_t>(layout.l2RecordSize);
        TerrainCells cells(n * n * 256);
        TerrainCell* cell = cells.data();
        unsigned char record[9];
        for (size_t sy = 0; sy < n; ++sy) {
            for (size_t r = 0; r < 16; ++r) {
                for (size_t sx = 0; sx < n; ++sx) {
                    uint32_t offset = 0;
                    ::lseek(o2, static_cast<off_t>(4 * (sy * n + sx)), SEEK_SET);
                    if (::read(o2, &offset, 4) != 4) state.SkipWithError("O2 read");
                    for (size_t c = 0; c < 16; ++c) {
                        ::lseek(l2, static_cast<off_t>(offset + (16 * r + c) * recordSize),
                                SEEK_SET);
                        if (::read(l2, record, recordSize) != static_cast<ssize_t>(recordSize)) {
                            state.SkipWithError("L2 read");
                        }
                        const size_t id = recordSize == 7 ? 2 : 4;
                        cell->tileId =
                            recordSize == 7
                                ? static_cast<uint32_t>(record[0] | record[1] << 8)
                                : static_cast<uint32_t>(record[0] | record[1] << 8 |
                                                        record[2] << 16 | record[3] << 24);
                        cell->elevation = static_cast<uint16_t>(record[id] | record[id + 1] << 8);
                        cell->aux0 = record[id + 2];
                        cell->aux1 = record[id + 3];
                        cell->aux2 = record[id + 4];
                        ++cell;
                    }
                }
            }
        }
        ::close(l2);
        ::close(o2);
        benchmark::DoNotOptimize(cells.data());
    });
}

void BM_ComposeTheaterMap(benchmark::State& state) {
    NullMessages messages;
    SilentProgress progress;
    lorvane::bench::RunWithPeak(state, [&] {
        auto bytes = ComposeTheaterMap(Data().matrix, Data().database, progress, messages);
        benchmark::DoNotOptimize(bytes->data());
    });
}

// The map with a linear search of the index per post, and the tile's paths
// and areas walked per post.
void BM_ComposeTheaterMapLinear(benchmark::State& state) {
    const TerrainMatrix& matrix = Data().matrix;
    const TileDatabase& database = Data().database;
    lorvane::bench::RunWithPeak(state, [&] {
        const auto columns = static_cast<size_t>(matrix.xMapExtent());
        const auto rows = static_cast<size_t>(matrix.yMapExtent());
        std::vector<std::byte> bytes(4 + columns * rows);
        for (size_t y = 0; y < rows; ++y) {
            for (size_t x = 0; x < columns; ++x) {
                const TerrainCell& cell = matrix.cells[x + y * columns];
                uint8_t tileBits = 0;
                for (const TileIndexEntry& entry : database.index) {
                    if (static_cast<uint32_t>(entry.id) == cell.tileId) {
                        tileBits = TileBits(database, entry);
                        break;
                    }
                }
                bytes[4 + x * rows + y] =
                    static_cast<std::byte>(tileBits | Aux2BandBits(cell.aux2));
            }
        }
        benchmark::DoNotOptimize(bytes.data());
    });
}

void BM_LoadMatrixFromL2M(benchmark::State& state) {
    NullMessages messages;
    SilentProgress progress;
    lorvane::bench::RunWithPeak(state, [&] {
        const auto rows = OpenTerrainRows(Data().folder / "M.L2M", true, messages);
        auto matrix = LoadMatrixFromL2M(*rows, progress, messages);
        benchmark::DoNotOptimize(matrix->cells.data());
    });
}

void BM_ReadL2MBytes(benchmark::State& state) {
    lorvane::bench::RunWithPeak(
        state, [&] { benchmark::DoNotOptimize(ReadIntoFreshMemory(Data().folder / "M.L2M")); });
}

void BuildArguments(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"sections", "record"});
    for (int n : {64, 256}) {
        for (int recordSize : {7, 9}) benchmark->Args({n, recordSize});
    }
}

BENCHMARK(BM_ReadL2Bytes)->Apply(BuildArguments)->MinWarmUpTime(0.3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMatrixFromL2)
    ->Apply(BuildArguments)
    ->MinWarmUpTime(0.3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildLiteral)
    ->Args({64, 7})
    ->Args({64, 9})
    ->ArgNames({"sections", "record"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeTheaterMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeTheaterMapLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMatrixFromL2M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadL2MBytes)->Unit(benchmark::kMillisecond);

// The peak resident memory of one 4096 × 4096 build above what the process
// held before it (the high-water mark is reset first), beside what the
// matrix and the file bytes take.
void ReportBuildPeak(int recordSize) {
    const fs::path l2Path = Data().l2Paths[{256, recordSize}];
    if (!ResetPeakMemory()) return;
    const long beforeKiB = StatusKiB("VmRSS:");
    {
        NullMessages messages;
        SilentProgress progress;
        const auto rows = OpenTerrainRows(l2Path, false, messages);
        auto matrix = BuildMatrixFromL2(*rows, progress, messages);
        benchmark::DoNotOptimize(matrix->cells.data());
    }
    const long peakKiB = StatusKiB("VmHWM:");
    const double mib = 1024.0 * 1024.0;
    const double matrixMiB = 4096.0 * 4096.0 * sizeof(TerrainCell) / mib;
    const double fileMiB =
        static_cast<double>(fs::file_size(l2Path) + fs::file_size(*O2PathFor(l2Path))) / mib;
    std::printf(
        "peak of the 4096 x 4096 build, %d-byte records: %.0f MiB above the %.0f MiB held before "
        "(matrix %.0f MiB + file bytes %.0f MiB = %.0f MiB)\n",
        recordSize, static_cast<double>(peakKiB - beforeKiB) / 1024.0,
        static_cast<double>(beforeKiB) / 1024.0, matrixMiB, fileMiB, matrixMiB + fileMiB);
}

}  // namespace

int main(int argc, char** argv) {
    using lorvane::FormatText;
    std::vector<lorvane::bench::RatioOf> ratios;
    for (int n : {64, 256}) {
        for (int r : {7, 9}) {
            ratios.push_back({FormatText("build / read L2+O2, %d posts, %d-byte", 16 * n, r),
                              FormatText("BM_BuildMatrixFromL2/sections:%d/record:%d", n, r),
                              FormatText("BM_ReadL2Bytes/sections:%d/record:%d", n, r),
                              "open, read the L2 and O2 bytes into fresh memory, nothing parsed"});
        }
    }
    for (int r : {7, 9}) {
        ratios.push_back({FormatText("literal seek+read per post / build, 1024 posts, %d-byte", r),
                          FormatText("BM_BuildLiteral/sections:64/record:%d", r),
                          FormatText("BM_BuildMatrixFromL2/sections:64/record:%d", r)});
    }
    ratios.push_back(
        {"thr linear search / lookup table", "BM_ComposeTheaterMapLinear", "BM_ComposeTheaterMap"});
    ratios.push_back({"L2M load / read", "BM_LoadMatrixFromL2M", "BM_ReadL2MBytes",
                      "open, read the L2M bytes into fresh memory, nothing parsed"});
    return lorvane::bench::RunWithRatios(argc, argv, std::move(ratios), [] {
        ReportBuildPeak(7);
        ReportBuildPeak(9);
    });
}
