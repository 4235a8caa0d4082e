// Feeds arbitrary bytes to the PCX decoder, which streams them through a
// band as it streams a file, and again through a band of a few bytes that
// must give the same image. A decoded image must have exactly
// stride × height pixel bytes, cost no more than its data expands to (beyond
// the allowance), and stretching it must stay inside it. The mutator rewrites
// the header fields the decoder reads with edge values, or sets the height
// so that the header claims just about what the data expands to.
#include <algorithm>
#include <cstdlib>

#include "base/file_io.h"
#include "image/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::byte> bytes{reinterpret_cast<const std::byte*>(data), size};
    const auto image = lorvane::DecodePcx(bytes);
    // The same through a band of a few bytes: runs, lines and the palette
    // split across bands decode as whole.
    lorvane::MemoryBytes source(bytes);
    const auto banded = lorvane::ReadPcx(source, nullptr, 1 + size % 61);
    if (banded.has_value() != image.has_value()) std::abort();
    if (!image) return 0;
    if (banded->pixels != image->pixels || banded->palette != image->palette ||
        banded->paletteFound != image->paletteFound || banded->stride != image->stride)
        std::abort();
    const auto height = static_cast<uint64_t>(image->Height());
    if (image->pixels.size() != static_cast<size_t>(image->stride) * height) std::abort();
    // Two bytes expand to at most 63 pixel bytes; lines are padded by up to 3.
    const uint64_t backed = 32 * static_cast<uint64_t>(size) + lorvane::kPcxUnbackedAllowance;
    if (image->pixels.size() > backed + 3 * height) std::abort();
    if (static_cast<uint64_t>(image->Width()) * height > backed) std::abort();
    const auto stretched = lorvane::StretchPcx(*image, 37, 23);
    if (stretched.size() != 37u * 23u) std::abort();
    return 0;
}

#if defined(LORVANE_LIBFUZZER)
#include "mutators.h"

namespace {

using lorvane::fuzz::GetLe;
using lorvane::fuzz::PutLe;

// The columns the data after the header expands to: a byte for each literal,
// the count for each run.
uint64_t Expanded(const uint8_t* data, size_t size) {
    uint64_t columns = 0;
    for (size_t i = lorvane::kPcxHeaderSize; i < size; ++i) {
        if (data[i] <= 192) {
            ++columns;
        } else if (++i < size) {
            columns += data[i - 1] - 192u;
        }
    }
    return columns;
}

// Sets Ymax so that the header claims about what the data expands to (with
// the allowance), one line more or less.
void ClaimWhatTheDataHolds(std::minstd_rand& random, uint8_t* data, size_t size) {
    const auto xMin = static_cast<int16_t>(GetLe(data + 4, 2));
    const auto xMax = static_cast<int16_t>(GetLe(data + 8, 2));
    const auto yMin = static_cast<int16_t>(GetLe(data + 6, 2));
    const int64_t width = int64_t{xMax} - xMin + 1;
    const int64_t line = static_cast<int64_t>(data[65]) * static_cast<int16_t>(GetLe(data + 66, 2));
    const int64_t widest = std::max<int64_t>({width, line, 1});
    const auto lines = static_cast<int64_t>(
        (Expanded(data, size) + lorvane::kPcxUnbackedAllowance) / static_cast<uint64_t>(widest));
    const int64_t yMax = yMin + lines - 1 + static_cast<int64_t>(random() % 3) - 1;
    PutLe(data + 10, static_cast<uint64_t>(std::clamp<int64_t>(yMax, -32768, 32767)), 2);
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (size < lorvane::kPcxHeaderSize || random() % 3 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    // The fields read: bits per pixel, the window, planes, bytes per line.
    struct Field {
        size_t offset;
        size_t bytes;
    };
    constexpr Field kFields[] = {{3, 1}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {65, 1}, {66, 2}};
    const unsigned choice = random() % 8;
    if (choice < 7) {
        lorvane::fuzz::MutateField(random, data, size, kFields[choice].offset,
                                   kFields[choice].bytes);
    } else {
        ClaimWhatTheDataHolds(random, data, size);
    }
    return size;
}
#endif
