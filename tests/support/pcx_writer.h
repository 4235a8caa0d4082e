#pragma once
// Writes 8-bit, one-plane PCX images in code, for the tests, the benchmarks
// and the sample data: a 128-byte header, each line run-length encoded on its
// own, then the palette marker 12 and 768 bytes of red, green, blue.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lorvane::testing {

using Rgb = std::array<uint8_t, 3>;  // red, green, blue

struct PcxPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;    // width × height colour indices, top line first
    std::array<Rgb, 256> palette{};  // colour of each index

    uint8_t& At(int x, int y) { return indices[static_cast<size_t>(y * width + x)]; }
};

struct PcxWriteOptions {
    int bytesPerLine = 0;  // 0: the width rounded up to an even count
    bool withPalette = true;
    int16_t xMin = 0;
    int16_t yMin = 0;
};

// The 128-byte header of an image with the given window and line size.
std::vector<std::byte> PcxHeaderBytes(int16_t xMin, int16_t yMin, int16_t xMax, int16_t yMax,
                                      int16_t bytesPerLine, int8_t planes = 1,
                                      int8_t bitsPerPixel = 8);

// One line of bytes run-length encoded: runs of up to 63 equal bytes as
// (0xC0 + count, value); single bytes above 0xBF as a run of one.
std::vector<std::byte> EncodePcxLine(std::span<const uint8_t> line);

// The whole file of a picture. Lines are padded with index 0 up to
// bytesPerLine.
std::vector<std::byte> WritePcx(const PcxPicture& picture, const PcxWriteOptions& options = {});

// A picture of the given size whose indices and palette vary with the seed.
PcxPicture MakePatternPicture(int width, int height, unsigned seed);

}  // namespace lorvane::testing
