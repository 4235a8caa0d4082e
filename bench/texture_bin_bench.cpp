// Loading and saving a database of 4096 tiles (256 sets of 16, 50 paths and
// 20 areas each), beside the least work of each: reading the same bytes from
// the file into a new buffer, and writing the same two files with one fsync
// each. The ratios are printed at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "floor_files.h"
#include "ratio_reporter.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace {

using namespace lorvane;
using lorvane::bench::FloorFile;
using lorvane::bench::ReadWhole;

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

// The least work of reading: the bytes alone, nothing parsed.
void BM_ReadFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] {
        auto bytes = ReadWhole(data.file);
        benchmark::DoNotOptimize(bytes.get());
    });
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(data.file)));
}

// The least work that gives the same database: the bytes read as above,
// then walked without checks, each set, tile and index entry made and each
// list of areas and paths copied into its vector as stored.
TileDatabase FloorLoad(const std::filesystem::path& path) {
    const auto take = [](const char*& p, void* out, size_t size) {
        std::memcpy(out, p, size);
        p += size;
    };
    {
        const std::unique_ptr<char[]> bytes = ReadWhole(path);
        TileDatabase database;
        const char* p = bytes.get();
        int32_t setCount = 0, tileCount = 0;
        take(p, &setCount, 4);
        take(p, &tileCount, 4);
        database.sets.reserve(static_cast<size_t>(setCount));
        database.index.reserve(static_cast<size_t>(tileCount));
        for (int32_t s = 0; s < setCount; ++s) {
            TileSet& set = database.sets.emplace_back();
            int32_t count = 0;
            take(p, &count, 4);
            take(p, &set.terrainType, 1);
            set.tiles.reserve(static_cast<size_t>(count));
            for (int32_t k = 0; k < count; ++k) {
                TileRecord& tile = set.tiles.emplace_back();
                int32_t areas = 0, paths = 0;
                take(p, tile.name.data(), 20);
                take(p, &areas, 4);
                take(p, &paths, 4);
                tile.areas.resize(static_cast<size_t>(areas));
                take(p, tile.areas.data(), 16 * tile.areas.size());
                tile.paths.resize(static_cast<size_t>(paths));
                take(p, tile.paths.data(), 24 * tile.paths.size());
                tile.id = s * 16 + k;
                database.index.push_back(MakeIndexEntry(tile, s, k, set.terrainType));
            }
        }
        return database;
    }
}

void BM_BuildFromBytes(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] {
        auto database = FloorLoad(data.file);
        benchmark::DoNotOptimize(database);
    });
}

void BM_LoadTextureBin(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    lorvane::bench::RunWithPeak(state, [&] {
        auto database = LoadTextureBin(data.file, messages);
        benchmark::DoNotOptimize(database);
    });
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(data.file)));
}

// The literal loader: one unbuffered read call per field and per record, as a
// reader without a buffer does it.
bool LiteralLoad(const std::filesystem::path& path, TileDatabase& database) {
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (file == nullptr) return false;
    std::setvbuf(file, nullptr, _IONBF, 0);
    auto read = [file](void* out, size_t size) { return std::fread(out, size, 1, file) == 1; };
    int32_t setCount = 0;
    int32_t tileCount = 0;
    bool ok = read(&setCount, 4) && read(&tileCount, 4);
    for (int32_t s = 0; ok && s < setCount; ++s) {
        TileSet& set = database.sets.emplace_back();
        int32_t count = 0;
        ok = read(&count, 4) && read(&set.terrainType, 1);
        for (int32_t k = 0; ok && k < count; ++k) {
            TileRecord& tile = set.tiles.emplace_back();
            int32_t areas = 0;
            int32_t paths = 0;
            ok = read(tile.name.data(), 20) && read(&areas, 4) && read(&paths, 4);
            tile.areas.resize(static_cast<size_t>(areas));
            for (TileArea& area : tile.areas) ok = ok && read(&area, sizeof area);
            tile.paths.resize(static_cast<size_t>(paths));
            for (TilePath& p : tile.paths) ok = ok && read(&p, sizeof p);
            tile.id = s * 16 + k;
            database.index.push_back({tile.id, TileNumberFromName(NameText(tile.name)), tile.name,
                                      s, k, set.terrainType, 0});
        }
    }
    std::fclose(file);
    return ok;
}

void BM_LoadLiteral(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] {
        TileDatabase database;
        benchmark::DoNotOptimize(LiteralLoad(data.file, database));
    });
}

// The least work of a save as durable as ours: the same two files
// (TileInfo.dat and the database), each flushed to the disk with one fsync.
// The bytes of both files made from the database with plain copies, the
// lists of areas and paths as they are held, into one reused 256 KiB buffer
// written each time it is full.
void FloorSave(const TileDatabase& database, const std::filesystem::path& folder) {
    const int32_t counts[2] = {database.setCount(), database.tileCount()};
    {
        FloorFile bytes(folder / "Raw.bin");
        bytes.Put(counts, 8);
        for (const TileSet& set : database.sets) {
            const int32_t count = set.tileCount();
            bytes.Put(&count, 4);
            bytes.Put(&set.terrainType, 1);
            for (const TileRecord& tile : set.tiles) {
                const int32_t lists[2] = {tile.areaCount(), tile.pathCount()};
                bytes.Put(tile.name.data(), 20);
                bytes.Put(lists, 8);
                bytes.Put(tile.areas.data(), 16 * tile.areas.size());
                bytes.Put(tile.paths.data(), 24 * tile.paths.size());
            }
        }
    }
    FloorFile tileInfo(folder / "RawInfo.dat");
    tileInfo.Put(&counts[1], 4);
    for (const TileIndexEntry& entry : database.index) {
        const int32_t head[2] = {entry.id, static_cast<int32_t>(entry.number)};
        const int32_t place[2] = {entry.setIndex, entry.tileIndex};
        const uint8_t type[4] = {entry.terrainType, 0, 0, 0};
        tileInfo.Put(head, 8);
        tileInfo.Put(entry.name.data(), 20);
        tileInfo.Put(place, 8);
        tileInfo.Put(type, 4);
        tileInfo.Put(&entry.modified, 4);
    }
}

void BM_WriteFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] { FloorSave(data.database, data.folder); });
}

void BM_SaveTextureBin(benchmark::State& state) {
    Fixture& data = Data();
    NullMessages messages;
    lorvane::bench::RunWithPeak(state, [&] {
        benchmark::DoNotOptimize(
            SaveTextureBin(data.folder / "Saved.bin", data.database, data.folder, messages));
    });
}

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildFromBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTextureBin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTextureBin)->Unit(benchmark::kMillisecond);

// The floors give what ours gives: the same files, the same database.
bool SameAsOurs() {
    Fixture& data = Data();
    FloorSave(data.database, data.folder);
    const bool same =
        testing::ReadFileBytes(data.folder / "Raw.bin") == SerializeTextureBin(data.database) &&
        testing::ReadFileBytes(data.folder / "RawInfo.dat") == SerializeTileInfo(data.database) &&
        SerializeTextureBin(FloorLoad(data.file)) == testing::ReadFileBytes(data.file);
    if (!same) std::printf("MISMATCH: a Texture.bin floor differs from ours\n");
    return same;
}

constexpr int kPairs = 15;

// Load and save beside their floors in paired runs, the order alternating.
void ReportPaired() {
    Fixture& data = Data();
    NullMessages messages;
    const lorvane::bench::Paired load = lorvane::bench::MeasurePaired(
        [&] { benchmark::DoNotOptimize(LoadTextureBin(data.file, messages)); },
        [&] { benchmark::DoNotOptimize(FloorLoad(data.file)); }, kPairs);
    const lorvane::bench::Paired save = lorvane::bench::MeasurePaired(
        [&] { SaveTextureBin(data.folder / "Saved.bin", data.database, data.folder, messages); },
        [&] { FloorSave(data.database, data.folder); }, kPairs);
    std::printf("\nAt 4096 tiles, median of %d paired runs:\n", kPairs);
    std::printf("paired load / floor: wall %.2f (%.2f ms / %.2f ms), processor %.2f\n", load.wall,
                1000 * load.oursWall, 1000 * load.otherWall, load.cpu);
    std::printf("paired save / floor: wall %.2f (%.2f ms / %.2f ms), processor %.2f\n", save.wall,
                1000 * save.oursWall, 1000 * save.otherWall, save.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    if (!SameAsOurs()) return 1;
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"load / floor", "BM_LoadTextureBin", "BM_BuildFromBytes",
          "open, fstat, read the file into one new buffer, close; the same sets, tiles and "
          "index made from it without checks, each list copied into its vector"},
         {"load / read the bytes", "BM_LoadTextureBin", "BM_ReadFileBytes",
          "open, fstat, read the file into one new buffer, close; nothing parsed"},
         {"literal load / load", "BM_LoadLiteral", "BM_LoadTextureBin", ""},
         {"save / floor", "BM_SaveTextureBin", "BM_WriteFileBytes",
          "the Texture.bin and TileInfo.dat bytes copied from the database into a reused 256 KiB "
          "buffer, written when full, one fsync each"}},
        ReportPaired);
}
