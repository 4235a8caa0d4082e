#pragma once
// Tile images as blocks of the theater picture: each tile's PCX image scaled
// down (each block pixel the mean of the image pixels it covers) and laid on
// its post as the orientation lays it.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "image/pcx.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// The image as size × size pixels (0xFFRRGGBB), first line north, under the
// orientation. Empty when size is not positive.
std::vector<uint32_t> TileBlock(const PcxImage& image, int32_t size, int orientation);

// The tile images of a folder. A tile's file is the database's name of its
// id; without a database, the file whose name's number (set × 16 + position)
// is the id. Names are matched without regard to letter case.
class TileImageFolder {
  public:
    TileImageFolder(const std::filesystem::path& folder, const TileDatabase* database, int32_t size,
                    int orientation);
    // The tile's block, made once; null when it has no readable image.
    const std::vector<uint32_t>* Block(uint32_t tileId);
    // How many tiles had no readable image so far.
    int missing() const { return missing_; }

  private:
    std::optional<std::filesystem::path> FileOf(uint32_t tileId) const;

    const TileDatabase* database_;
    int32_t size_;
    int orientation_;
    std::map<std::string, std::filesystem::path> files_;  // by lower-case name
    std::unordered_map<uint32_t, std::filesystem::path> byNumber_;
    std::unordered_map<uint32_t, std::optional<std::vector<uint32_t>>> blocks_;
    int missing_ = 0;
};

}  // namespace lorvane
