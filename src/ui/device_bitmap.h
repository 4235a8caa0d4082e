#pragma once
// The decoded tile image in the shape of a 256-colour device-independent
// bitmap: the 40-byte header and a colour table of 256 (blue, green, red, 0)
// entries, beside the image's own top-down buffer of colour indices, whose
// lines are already padded to a multiple of 4 bytes as a bitmap's are.

#include <array>
#include <cstdint>

#include "image/pcx.h"

namespace lorvane {

struct BitmapHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;  // −(image height): the first buffer line is the top
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;  // uncompressed
    uint32_t imageSize = 0;
    int32_t xPixelsPerMeter = 0;
    int32_t yPixelsPerMeter = 0;
    uint32_t coloursUsed = 256;
    uint32_t coloursImportant = 256;
};

struct ColourEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const ColourEntry&) const = default;
};

// The bitmap header of an image: its width, minus its height, and the planes
// and bits per pixel of the file it came from.
BitmapHeader BitmapHeaderOf(const PcxImage& image);

// The image's palette as a bitmap colour table.
std::array<ColourEntry, 256> ColourTableOf(const PcxImage& image);

}  // namespace lorvane
