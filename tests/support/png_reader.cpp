#include "support/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/texture_builder.h"

namespace lorvane::testing {

namespace {

uint32_t Big32(const std::byte* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the filter of each line in place; false on an unknown filter.
bool Unfilter(std::vector<uint8_t>& data, int height, size_t lineBytes, size_t pixelBytes,
              std::vector<uint8_t>& out) {
    out.assign(lineBytes * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t filter = data[static_cast<size_t>(y) * (lineBytes + 1)];
        const uint8_t* in = &data[static_cast<size_t>(y) * (lineBytes + 1) + 1];
        uint8_t* line = &out[static_cast<size_t>(y) * lineBytes];
        const uint8_t* up = y > 0 ? line - lineBytes : nullptr;
        for (size_t i = 0; i < lineBytes; ++i) {
            const int a = i >= pixelBytes ? line[i - pixelBytes] : 0;
            const int b = up ? up[i] : 0;
            const int c = up && i >= pixelBytes ? up[i - pixelBytes] : 0;
            int predictor = 0;
            switch (filter) {
                case 0:
                    predictor = 0;
                    break;
                case 1:
                    predictor = a;
                    break;
                case 2:
                    predictor = b;
                    break;
                case 3:
                    predictor = (a + b) / 2;
                    break;
                case 4:
                    predictor = Paeth(a, b, c);
                    break;
                default:
                    return false;
            }
            line[i] = static_cast<uint8_t>(in[i] + predictor);
        }
    }
    return true;
}

}  // namespace

std::optional<RgbImage> ReadPng(const std::filesystem::path& path) {
    const std::vector<std::byte> file = ReadFileBytes(path);
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return std::nullopt;
    RgbImage image;
    int colourType = -1;
    std::vector<uint8_t> compressed;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = Big32(&file[at]);
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (at + 12 + length > file.size()) return std::nullopt;
        const std::byte* body = &file[at + 8];
        if (type == "IHDR") {
            image.width = static_cast<int>(Big32(body));
            image.height = static_cast<int>(Big32(body + 4));
            const auto depth = static_cast<int>(body[8]);
            colourType = static_cast<int>(body[9]);
            const auto interlace = static_cast<int>(body[12]);
            if (depth != 8 || (colourType != 2 && colourType != 6) || interlace != 0)
                return std::nullopt;
        } else if (type == "IDAT") {
            const auto* bytes = reinterpret_cast<const uint8_t*>(body);
            compressed.insert(compressed.end(), bytes, bytes + length);
        }
        at += 12 + length;
    }
    if (colourType < 0 || image.width <= 0 || image.height <= 0) return std::nullopt;
    const size_t pixelBytes = colourType == 6 ? 4 : 3;
    const size_t lineBytes = pixelBytes * static_cast<size_t>(image.width);
    std::vector<uint8_t> raw((lineBytes + 1) * static_cast<size_t>(image.height));
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK ||
        rawSize != raw.size()) {
        return std::nullopt;
    }
    std::vector<uint8_t> lines;
    if (!Unfilter(raw, image.height, lineBytes, pixelBytes, lines)) return std::nullopt;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint8_t* p = &lines[i * pixelBytes];
        image.pixels[i] = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    return image;
}

}  // namespace lorvane::testing
