#include "theater/tile_blocks.h"

#include <algorithm>
#include <cctype>

#include "base/path_text.h"
#include "theater/orientation.h"

namespace lorvane {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The image averaged down (or repeated up) to size × size in its own frame.
std::vector<uint32_t> ScaleImage(const PcxImage& image, int32_t size) {
    const int64_t width = image.Width();
    const int64_t height = image.Height();
    std::vector<uint32_t> scaled(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int32_t row = 0; row < size; ++row) {
        const auto y0 = static_cast<int32_t>(row * height / size);
        const auto y1 = std::max<int32_t>(y0 + 1, static_cast<int32_t>((row + 1) * height / size));
        for (int32_t column = 0; column < size; ++column) {
            const auto x0 = static_cast<int32_t>(column * width / size);
            const auto x1 =
                std::max<int32_t>(x0 + 1, static_cast<int32_t>((column + 1) * width / size));
            uint64_t red = 0, green = 0, blue = 0;
            for (int32_t y = y0; y < y1; ++y) {
                for (int32_t x = x0; x < x1; ++x) {
                    const uint32_t rgb = image.Rgb(x, y);
                    red += (rgb >> 16) & 0xFF;
                    green += (rgb >> 8) & 0xFF;
                    blue += rgb & 0xFF;
                }
            }
            const auto count = static_cast<uint64_t>(y1 - y0) * static_cast<uint64_t>(x1 - x0);
            scaled[static_cast<size_t>(row * size + column)] =
                0xFF000000u | static_cast<uint32_t>((red + count / 2) / count) << 16 |
                static_cast<uint32_t>((green + count / 2) / count) << 8 |
                static_cast<uint32_t>((blue + count / 2) / count);
        }
    }
    return scaled;
}

}  // namespace

std::vector<uint32_t> TileBlock(const PcxImage& image, int32_t size, int orientation) {
    if (size <= 0) return {};
    const std::vector<uint32_t> scaled = ScaleImage(image, size);
    std::vector<uint32_t> block(scaled.size());
    const float pixelFeet = kTileSpanFeet / static_cast<float>(size);
    for (int32_t row = 0; row < size; ++row) {
        for (int32_t column = 0; column < size; ++column) {
            // The block pixel's centre in post feet, back into the tile's
            // frame, then into the image (its top line is X = 3280).
            const PostPoint centre{(static_cast<float>(column) + 0.5f) * pixelFeet,
                                   kTileSpanFeet - (static_cast<float>(row) + 0.5f) * pixelFeet};
            const TilePoint tile = PostToTile(orientation, centre);
            const auto imageColumn =
                std::clamp(static_cast<int32_t>(tile.y / pixelFeet), 0, size - 1);
            const auto imageRow =
                std::clamp(static_cast<int32_t>((kTileSpanFeet - tile.x) / pixelFeet), 0, size - 1);
            block[static_cast<size_t>(row * size + column)] =
                scaled[static_cast<size_t>(imageRow * size + imageColumn)];
        }
    }
    return block;
}

TileImageFolder::TileImageFolder(const std::filesystem::path& folder, const TileDatabase* database,
                                 int32_t size, int orientation)
    : database_(database), size_(size), orientation_(orientation) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error)) continue;
        const std::string name = PathToUtf8(entry.path().filename());
        files_.emplace(Lower(name), entry.path());
        if (Lower(PathToUtf8(entry.path().extension())) != ".pcx") continue;
        const uint32_t number = TileNumberFromName(name);
        byNumber_.emplace(
            static_cast<uint32_t>(SetOfTileNumber(number) * 16 + PositionOfTileNumber(number)),
            entry.path());
    }
}

std::optional<std::filesystem::path> TileImageFolder::FileOf(uint32_t tileId) const {
    if (database_ != nullptr) {
        const std::string name = TileNameById(*database_, static_cast<int32_t>(tileId));
        if (name.empty()) return std::nullopt;
        const auto found = files_.find(Lower(name));
        if (found == files_.end()) return std::nullopt;
        return found->second;
    }
    const auto found = byNumber_.find(tileId);
    if (found == byNumber_.end()) return std::nullopt;
    return found->second;
}

const std::vector<uint32_t>* TileImageFolder::Block(uint32_t tileId) {
    auto [place, inserted] = blocks_.try_emplace(tileId);
    if (inserted) {
        const auto file = FileOf(tileId);
        const auto image = file ? LoadPcxTile(*file) : std::nullopt;
        if (image) {
            place->second = TileBlock(*image, size_, orientation_);
        } else {
            ++missing_;
        }
    }
    return place->second ? &*place->second : nullptr;
}

}  // namespace lorvane
