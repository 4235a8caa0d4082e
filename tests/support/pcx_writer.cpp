#include "support/pcx_writer.h"

#include <algorithm>
#include <random>

namespace lorvane::testing {

std::vector<std::byte> PcxHeaderBytes(int16_t xMin, int16_t yMin, int16_t xMax, int16_t yMax,
                                      int16_t bytesPerLine, int8_t planes, int8_t bitsPerPixel) {
    std::vector<std::byte> header(128, std::byte{0});
    const auto put16 = [&](size_t offset, int16_t value) {
        header[offset] = static_cast<std::byte>(value & 0xFF);
        header[offset + 1] = static_cast<std::byte>((value >> 8) & 0xFF);
    };
    header[0] = std::byte{10};  // manufacturer
    header[1] = std::byte{5};   // version: 256-colour palette at the end
    header[2] = std::byte{1};   // run-length encoding
    header[3] = static_cast<std::byte>(bitsPerPixel);
    put16(4, xMin);
    put16(6, yMin);
    put16(8, xMax);
    put16(10, yMax);
    put16(12, 72);  // resolution
    put16(14, 72);
    header[65] = static_cast<std::byte>(planes);
    put16(66, bytesPerLine);
    put16(68, 1);  // palette information: colour
    return header;
}

std::vector<std::byte> EncodePcxLine(std::span<const uint8_t> line) {
    std::vector<std::byte> out;
    size_t i = 0;
    while (i < line.size()) {
        const uint8_t value = line[i];
        size_t run = 1;
        while (i + run < line.size() && line[i + run] == value && run < 63) ++run;
        if (run > 1 || value > 0xBF) out.push_back(static_cast<std::byte>(0xC0 + run));
        out.push_back(static_cast<std::byte>(value));
        i += run;
    }
    return out;
}

std::vector<std::byte> WritePcx(const PcxPicture& picture, const PcxWriteOptions& options) {
    const int bytesPerLine =
        options.bytesPerLine > 0 ? options.bytesPerLine : (picture.width + 1) / 2 * 2;
    std::vector<std::byte> file = PcxHeaderBytes(
        options.xMin, options.yMin, static_cast<int16_t>(options.xMin + picture.width - 1),
        static_cast<int16_t>(options.yMin + picture.height - 1),
        static_cast<int16_t>(bytesPerLine));
    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine));
    for (int y = 0; y < picture.height; ++y) {
        std::fill(line.begin(), line.end(), uint8_t{0});
        const auto first = picture.indices.begin() + static_cast<std::ptrdiff_t>(y) * picture.width;
        std::copy_n(first, std::min(picture.width, bytesPerLine), line.begin());
        const std::vector<std::byte> encoded = EncodePcxLine(line);
        file.insert(file.end(), encoded.begin(), encoded.end());
    }
    if (options.withPalette) {
        file.push_back(std::byte{12});
        for (const Rgb& colour : picture.palette) {
            for (uint8_t channel : colour) file.push_back(static_cast<std::byte>(channel));
        }
    }
    return file;
}

PcxPicture MakePatternPicture(int width, int height, unsigned seed) {
    PcxPicture picture;
    picture.width = width;
    picture.height = height;
    picture.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::mt19937 random(seed);
    // Stretches of equal pixels between noise, as in a tile image.
    size_t i = 0;
    while (i < picture.indices.size()) {
        const auto value = static_cast<uint8_t>(random() & 0xFF);
        const size_t length = random() % 3 == 0 ? 1 + random() % 90 : 1;
        for (size_t k = 0; k < length && i < picture.indices.size(); ++k)
            picture.indices[i++] = value;
    }
    for (size_t c = 0; c < picture.palette.size(); ++c) {
        picture.palette[c] = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                              static_cast<uint8_t>(random())};
    }
    return picture;
}

}  // namespace lorvane::testing
