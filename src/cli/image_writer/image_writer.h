#pragma once
// The image writer of lorvane-cli render: a small module loaded only when an
// image is drawn, so the commands that draw nothing start without the Qt
// libraries. It draws the overlay's shapes over an RGB image (0x00RRGGBB
// pixels, row by row) and encodes the result as PNG bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cli/render_overlay.h"

namespace lorvane::cli {

// The module's one entry point, looked up by this name.
inline constexpr const char* kDrawPngSymbol = "LorvaneDrawPng";
// The module's file name, beside the tool or in ../lib/lorvane from it.
#if defined(_WIN32)
inline constexpr const char* kImageWriterModule = "liblorvane-image-writer.dll";
#else
inline constexpr const char* kImageWriterModule = "liblorvane-image-writer.so";
#endif

enum class DrawPngResult : int {
    Drawn = 0,
    NoMemory = 1,  // the picture or its PNG bytes can't be allocated
    Failed = 2,    // the picture cannot be encoded
};

using DrawPngFunction = DrawPngResult (*)(const uint32_t* rgb, int width, int height,
                                          const Overlay& overlay, std::vector<std::byte>& png);

}  // namespace lorvane::cli
