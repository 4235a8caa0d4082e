// Decoding 256 × 256 and 1024 × 1024 PCX tiles (stretches of equal pixels
// between noise, as in tile images):
// - from the file, as the editor loads a tile, beside its floor: the file
//   read whole with plain system calls and its lines decoded without checks
//   into a new image, the palette copied (checked first to give our pixels
//   and palette);
// - from its bytes in memory, beside copying as many pixel bytes into fresh
//   memory.
// The ratios are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "floor_files.h"
#include "image/pcx.h"
#include "ratio_reporter.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"

namespace {

using namespace lorvane;

struct Tiles {
    Tiles() : folder(testing::MakeTempFolder("lorvane-pcx-bench")) {}
    ~Tiles() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::map<int, std::vector<std::byte>> files;
};

Tiles& Data() {
    static Tiles tiles;
    return tiles;
}

const std::vector<std::byte>& TileFile(int size) {
    auto& file = Data().files[size];
    if (file.empty()) {
        file = testing::WritePcx(testing::MakePatternPicture(size, size, 42));
        testing::WriteFileBytes(Data().folder / (std::to_string(size) + ".pcx"), file);
    }
    return file;
}

std::filesystem::path TilePath(int size) {
    TileFile(size);
    return Data().folder / (std::to_string(size) + ".pcx");
}

// What the floor decodes: the pixels and the palette.
struct FloorImage {
    std::vector<uint8_t> pixels;
    uint8_t palette[768] = {};
};

FloorImage FloorDecode(const std::filesystem::path& path) {
    const size_t size = std::filesystem::file_size(path);
    const std::unique_ptr<char[]> file = lorvane::bench::ReadWhole(path);
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.get());
    const auto field = [&](size_t at) {
        return static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
    };
    const int width = field(8) - field(4) + 1;
    const int height = field(10) - field(6) + 1;
    const int bytesPerLine = field(66);
    const int stride = (bytesPerLine * bytes[65] + 3) / 4 * 4;
    FloorImage image;
    image.pixels.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
    const uint8_t* p = bytes + 128;
    for (int y = 0; y < height; ++y) {
        uint8_t* line = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int col = 0; col < bytesPerLine;) {
            const uint8_t b = *p++;
            if (b <= 192) {
                if (col <= width) line[col] = b;
                ++col;
                continue;
            }
            const int count = b - 192;
            if (col <= width)
                std::memset(line + col, *p, static_cast<size_t>(std::min(count, stride - col)));
            ++p;
            col += count;
        }
    }
    if (static_cast<size_t>(p - bytes) + 769 <= size && *p == 12)
        std::memcpy(image.palette, p + 1, 768);
    return image;
}

void BM_LoadPcxTile(benchmark::State& state) {
    const std::filesystem::path path = TilePath(static_cast<int>(state.range(0)));
    lorvane::bench::RunWithPeak(state, [&] {
        auto image = LoadPcxTile(path);
        benchmark::DoNotOptimize(image->pixels.data());
    });
}

void BM_PcxFloor(benchmark::State& state) {
    const std::filesystem::path path = TilePath(static_cast<int>(state.range(0)));
    lorvane::bench::RunWithPeak(state, [&] {
        auto image = FloorDecode(path);
        benchmark::DoNotOptimize(image.pixels.data());
    });
}

void BM_DecodePcx(benchmark::State& state) {
    const auto size = static_cast<int>(state.range(0));
    const std::vector<std::byte>& file = TileFile(size);
    lorvane::bench::RunWithPeak(state, [&] {
        auto image = DecodePcx(file);
        benchmark::DoNotOptimize(image->pixels.data());
    });
    state.SetBytesProcessed(state.iterations() * size * size);
}

// The least work: the same number of pixel bytes copied into fresh memory.
void BM_CopyPixels(benchmark::State& state) {
    const auto size = static_cast<size_t>(state.range(0));
    const std::vector<uint8_t> source(size * size, 7);
    lorvane::bench::RunWithPeak(state, [&] {
        auto pixels = std::make_unique_for_overwrite<uint8_t[]>(size * size);
        std::memcpy(pixels.get(), source.data(), size * size);
        benchmark::DoNotOptimize(pixels.get());
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * size));
}

BENCHMARK(BM_LoadPcxTile)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PcxFloor)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePcx)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyPixels)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

// The floor gives our pixels and palette.
bool SameAsOurs() {
    for (const int size : {256, 1024}) {
        const auto ours = LoadPcxTile(TilePath(size));
        const FloorImage floor = FloorDecode(TilePath(size));
        bool same = ours && ours->pixels == floor.pixels;
        for (size_t i = 0; same && i < 256; ++i)
            same = ours->palette[i].red == floor.palette[3 * i] &&
                   ours->palette[i].green == floor.palette[3 * i + 1] &&
                   ours->palette[i].blue == floor.palette[3 * i + 2];
        if (!same) {
            std::printf("MISMATCH: the PCX floor differs from ours at %d\n", size);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!SameAsOurs()) return 1;
    constexpr const char* kFloor =
        "open, fstat, read the file into one new buffer; its lines decoded without checks into a "
        "new image, the palette copied";
    constexpr const char* kCopy = "the same number of pixel bytes copied into fresh memory";
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"load tile / floor, 256 x 256", "BM_LoadPcxTile/256", "BM_PcxFloor/256", kFloor},
         {"load tile / floor, 1024 x 1024", "BM_LoadPcxTile/1024", "BM_PcxFloor/1024", kFloor},
         {"decode / copy, 256 x 256", "BM_DecodePcx/256", "BM_CopyPixels/256", kCopy},
         {"decode / copy, 1024 x 1024", "BM_DecodePcx/1024", "BM_CopyPixels/1024", kCopy}});
}
