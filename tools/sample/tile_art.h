#pragma once
// Paints terrain-looking 8-bit tile images for the sample theater: ground
// texture by terrain type, areas as filled patches and paths (rivers, roads,
// railways, bridges) as bands, at the tile coordinates the database records
// for them, so what the editor draws over a tile lies on what the image shows.

#include <array>
#include <cstdint>
#include <vector>

#include "tiledb/tile_database.h"

namespace lorvane::sample {

using Palette = std::array<std::array<uint8_t, 3>, 256>;  // red, green, blue

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top line first, width bytes a line
};

// The palette of every sample tile: 16 ramps of 16 shades, one ramp per
// terrain look (water, swamp, plains, …, road, river, bridge, railway).
const Palette& SamplePalette();

// A square tile of size pixels of the given ground type (a set terrain type
// code), with the areas and paths painted over it.
IndexedImage PaintTile(int groundType, const std::vector<TileArea>& areas,
                       const std::vector<TilePath>& paths, int size, uint32_t seed);

}  // namespace lorvane::sample
