#pragma once
// Reads the pixels of an 8-bit RGB or RGBA PNG (as the command-line tool
// writes them), so tests can check rendered images pixel by pixel.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace lorvane::testing {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, line after line from the top

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// nullopt when the file is not a non-interlaced 8-bit RGB or RGBA PNG.
std::optional<RgbImage> ReadPng(const std::filesystem::path& path);

}  // namespace lorvane::testing
