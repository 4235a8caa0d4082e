// Decoding 256 × 256 and 1024 × 1024 PCX tiles (stretches of equal pixels
// between noise, as in tile images), beside the least work the same job can
// do: copying as many pixel bytes into fresh memory. The ratios (decode /
// copy) are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "image/pcx.h"
#include "ratio_reporter.h"
#include "support/pcx_writer.h"

namespace {

using namespace lorvane;

const std::vector<std::byte>& TileFile(int size) {
    static std::map<int, std::vector<std::byte>> files;
    auto& file = files[size];
    if (file.empty()) file = testing::WritePcx(testing::MakePatternPicture(size, size, 42));
    return file;
}

void BM_DecodePcx(benchmark::State& state) {
    const auto size = static_cast<int>(state.range(0));
    const std::vector<std::byte>& file = TileFile(size);
    for (auto _ : state) {
        auto image = DecodePcx(file);
        benchmark::DoNotOptimize(image->pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * size * size);
}

// The least work: the same number of pixel bytes copied into fresh memory.
void BM_CopyPixels(benchmark::State& state) {
    const auto size = static_cast<size_t>(state.range(0));
    const std::vector<uint8_t> source(size * size, 7);
    for (auto _ : state) {
        auto pixels = std::make_unique_for_overwrite<uint8_t[]>(size * size);
        std::memcpy(pixels.get(), source.data(), size * size);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * size));
}

BENCHMARK(BM_DecodePcx)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyPixels)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kCopy = "the same number of pixel bytes copied into fresh memory";
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"decode / copy, 256 x 256", "BM_DecodePcx/256", "BM_CopyPixels/256", kCopy},
         {"decode / copy, 1024 x 1024", "BM_DecodePcx/1024", "BM_CopyPixels/1024", kCopy}});
}
