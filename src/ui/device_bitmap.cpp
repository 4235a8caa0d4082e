#include "ui/device_bitmap.h"

namespace lorvane {

BitmapHeader BitmapHeaderOf(const PcxImage& image) {
    BitmapHeader header;
    header.width = image.width;
    header.height = -image.height;
    header.planes = static_cast<uint16_t>(image.planes);
    header.bitCount = static_cast<uint8_t>(image.bitsPerPixel);
    return header;
}

std::array<ColourEntry, 256> ColourTableOf(const PcxImage& image) {
    std::array<ColourEntry, 256> table;
    for (size_t i = 0; i < table.size(); ++i) {
        const PaletteColour& colour = image.palette[i];
        table[i] = {colour.blue, colour.green, colour.red, 0};
    }
    return table;
}

}  // namespace lorvane
