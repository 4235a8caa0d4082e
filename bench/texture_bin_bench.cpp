// Loading and saving a database of 4096 tiles (256 sets of 16, 50 paths and
// 20 areas each), beside the least work of each: reading the same bytes from
// the file into a new buffer, and writing the same two files with one fsync
// each. The ratios are printed at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "ratio_reporter.h"
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

// The least work: the file's bytes read into a new buffer with plain
// system calls (open, fstat, read, close), nothing parsed.
void BM_ReadFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] {
        const int fd = ::open(data.file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        const auto size = static_cast<size_t>(info.st_size);
        std::unique_ptr<char[]> bytes(new char[size]);
        for (size_t done = 0; done < size;) {
            const ssize_t got = ::read(fd, bytes.get() + done, size - done);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(bytes.get());
    });
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(data.file)));
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
    for (auto _ : state) {
        TileDatabase database;
        benchmark::DoNotOptimize(LiteralLoad(data.file, database));
    }
}

// The least work of a save as durable as ours: the same two files
// (TileInfo.dat and the database), each written whole and flushed to the
// disk with one fsync.
void WriteDurably(const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    ::fsync(fd);
    ::close(fd);
}

void BM_WriteFileBytes(benchmark::State& state) {
    Fixture& data = Data();
    const auto tileInfo = SerializeTileInfo(data.database);
    const auto bytes = SerializeTextureBin(data.database);
    lorvane::bench::RunWithPeak(state, [&] {
        WriteDurably(data.folder / "RawInfo.dat", tileInfo);
        WriteDurably(data.folder / "Raw.bin", bytes);
    });
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
BENCHMARK(BM_LoadTextureBin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTextureBin)->Unit(benchmark::kMillisecond);

// Prints the ratios of each operation to the raw file work it does.
}  // namespace

int main(int argc, char** argv) {
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"load / floor", "BM_LoadTextureBin", "BM_ReadFileBytes",
          "open, fstat, read the file into one new buffer, close; nothing parsed"},
         {"literal load / load", "BM_LoadLiteral", "BM_LoadTextureBin", ""},
         {"save / floor", "BM_SaveTextureBin", "BM_WriteFileBytes",
          "write the serialized TileInfo.dat and Texture.bin bytes, one fsync each"}});
}
