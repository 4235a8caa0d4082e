// Exporting and importing every tile of a database of 4096 tiles (256 sets of
// 16, 50 paths and 20 areas each), each beside its floor, the least work
// that gives the same result as durably with plain system calls of its own:
// - export: the same records copied from the database into one reused
//   256 KiB buffer, written when full to a new file, one fsync, renamed
//   over the old (as durable as ours, which writes a temporary file,
//   flushes it and puts it in place);
// - import: the file read whole with read() into a new buffer and each
//   record's lists copied into its tile without checks (ours checks the
//   whole file through one band, then reads the lists through another).
// Each floor is checked first to give what ours gives. After the table, the
// median of paired runs of each (ours and the floor one after the other,
// the order alternating).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "floor_files.h"
#include "ratio_reporter.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace {

using namespace lorvane;
using lorvane::bench::FloorFile;

struct Fixture {
    Fixture() {
        folder = testing::MakeTempFolder("lorvane-exchange-bench");
        file = folder / "tiles.exp";
        database = testing::MakeLargeDatabase(256, 16, 50, 20);
        for (size_t i = 0; i < database.index.size(); ++i)
            MarkTileForExport(database, database.index[i].id);
        NullMessages messages;
        ExportModifiedTiles(file, database, messages);
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

// The marked index entries' records in index order, plain copies of the
// lists as they are held.
void FloorExport(const TileDatabase& database, const std::filesystem::path& path) {
    FloorFile out(path, true);
    int32_t count = 0;
    for (const TileIndexEntry& entry : database.index) count += entry.modified != 0 ? 1 : 0;
    out.Put(&count, 4);
    for (const TileIndexEntry& entry : database.index) {
        if (entry.modified == 0) continue;
        const TileRecord& tile = database.sets[static_cast<size_t>(entry.setIndex)]
                                     .tiles[static_cast<size_t>(entry.tileIndex)];
        const int32_t head[4] = {entry.setIndex, entry.tileIndex, tile.pathCount(),
                                 tile.areaCount()};
        out.Put(head, 16);
        out.Put(tile.areas.data(), 16 * tile.areas.size());
        out.Put(tile.paths.data(), 24 * tile.paths.size());
    }
}

// The file read whole, each record's non-empty lists copied into its tile.
void FloorImport(const std::filesystem::path& path, TileDatabase& database) {
    const std::unique_ptr<char[]> bytes = lorvane::bench::ReadWhole(path);
    const char* p = bytes.get();
    const auto take = [&p](void* out, size_t size) {
        std::memcpy(out, p, size);
        p += size;
    };
    int32_t count = 0;
    take(&count, 4);
    for (int32_t i = 0; i < count; ++i) {
        int32_t head[4];
        take(head, 16);
        TileRecord& tile =
            database.sets[static_cast<size_t>(head[0])].tiles[static_cast<size_t>(head[1])];
        if (head[3] > 0) {
            tile.areas.resize(static_cast<size_t>(head[3]));
            take(tile.areas.data(), 16 * tile.areas.size());
        }
        if (head[2] > 0) {
            tile.paths.resize(static_cast<size_t>(head[2]));
            take(tile.paths.data(), 24 * tile.paths.size());
        }
    }
}

TileDatabase ImportTarget() { return testing::MakeLargeDatabase(256, 16, 0, 0); }

void BM_ExportFloor(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state,
                                [&] { FloorExport(data.database, data.folder / "floor.exp"); });
}

void BM_ExportModifiedTiles(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    lorvane::bench::RunWithPeak(state, [&] {
        benchmark::DoNotOptimize(
            ExportModifiedTiles(data.folder / "exported.exp", data.database, messages));
    });
}

void BM_ImportFloor(benchmark::State& state) {
    Fixture& data = Data();
    TileDatabase target = ImportTarget();
    lorvane::bench::RunWithPeak(state, [&] { FloorImport(data.file, target); });
}

void BM_ImportTiles(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    TileDatabase target = ImportTarget();
    lorvane::bench::RunWithPeak(
        state, [&] { benchmark::DoNotOptimize(ImportTiles(data.file, target, messages)); });
}

BENCHMARK(BM_ExportFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportModifiedTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTiles)->Unit(benchmark::kMillisecond);

constexpr const char* kExportFloor =
    "the same records copied from the database into a reused 256 KiB buffer, written when full to "
    "a new file, one fsync, renamed over the old";
constexpr const char* kImportFloor =
    "open, fstat, read the file into one new buffer; each record's lists copied into its tile "
    "without checks";

// The floors give what ours gives: the same file, the same database.
bool SameAsOurs() {
    Fixture& data = Data();
    NullMessages messages;
    FloorExport(data.database, data.folder / "floor.exp");
    TileDatabase ours = ImportTarget();
    TileDatabase floor = ImportTarget();
    const bool same =
        testing::ReadFileBytes(data.folder / "floor.exp") == testing::ReadFileBytes(data.file) &&
        ImportTiles(data.file, ours, messages) && (FloorImport(data.file, floor), true) &&
        SerializeTextureBin(ours) == SerializeTextureBin(floor);
    if (!same) std::printf("MISMATCH: a tile exchange floor differs from ours\n");
    return same;
}

constexpr int kPairs = 15;

void ReportPaired() {
    Fixture& data = Data();
    NullMessages messages;
    TileDatabase ours = ImportTarget();
    TileDatabase floor = ImportTarget();
    const lorvane::bench::Paired exported = lorvane::bench::MeasurePaired(
        [&] { ExportModifiedTiles(data.folder / "exported.exp", data.database, messages); },
        [&] { FloorExport(data.database, data.folder / "floor.exp"); }, kPairs);
    const lorvane::bench::Paired imported =
        lorvane::bench::MeasurePaired([&] { ImportTiles(data.file, ours, messages); },
                                      [&] { FloorImport(data.file, floor); }, kPairs);
    std::printf("\nAt 4096 tiles (a %.1f MiB file), median of %d paired runs:\n",
                static_cast<double>(std::filesystem::file_size(data.file)) / (1024.0 * 1024.0),
                kPairs);
    std::printf("paired export / floor: wall %.2f (%.2f ms / %.2f ms), processor %.2f; floor: %s\n",
                exported.wall, 1000 * exported.oursWall, 1000 * exported.otherWall, exported.cpu,
                kExportFloor);
    std::printf("paired import / floor: wall %.2f (%.2f ms / %.2f ms), processor %.2f; floor: %s\n",
                imported.wall, 1000 * imported.oursWall, 1000 * imported.otherWall, imported.cpu,
                kImportFloor);
}

}  // namespace

int main(int argc, char** argv) {
    if (!SameAsOurs()) return 1;
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"export / floor", "BM_ExportModifiedTiles", "BM_ExportFloor", kExportFloor},
         {"import / floor", "BM_ImportTiles", "BM_ImportFloor", kImportFloor}},
        ReportPaired);
}
