#pragma once
// The picture of a theater: one block of postSize × postSize pixels per post,
// north at the top (post row 0 is the bottom line of blocks). A block is the
// colour of its tile's terrain class (the classes of the tile map) or, with
// tile images, its tile's image scaled down and laid as the orientation lays
// it; either is shaded by the relief (hillshade, light from the north-west),
// and on blocks of kPathPostSize pixels or more the tile's paths are drawn
// over it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/progress.h"
#include "terrain/terrain_matrix.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// Pixels as 0xFFRRGGBB, line after line from the top. A large picture is
// taken in huge pages, as a matrix's cells are, and its pixels are left
// unset until drawn.
using PixelBuffer = std::vector<uint32_t, CellAllocator<uint32_t>>;
struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    PixelBuffer pixels;

    uint32_t At(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    uint32_t& At(int32_t x, int32_t y) {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

inline constexpr int kTerrainClassCount = 8;
// Water, Swamp, Rocky, Plains, Brush, Thin Forest, Thick Forest, Urban.
extern const std::array<uint32_t, kTerrainClassCount> kClassColours;
extern const std::array<const char*, kTerrainClassCount> kClassNames;
// A post whose tile id no index entry has.
inline constexpr uint32_t kMissingTileColour = 0xFFFF00FF;
// Every post when no database is given.
inline constexpr uint32_t kNoDatabaseColour = 0xFFC8C8C8;
inline constexpr uint32_t kSeamColour = 0xFFFF0000;
inline constexpr int kPathPostSize = 8;
// Pictures wider or higher than this, or of more pixels, are refused.
inline constexpr int64_t kMaxPictureSide = 32768;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;

// True when a picture of columns × rows posts of postSize pixels is allowed.
bool PictureFits(int32_t columns, int32_t rows, int32_t postSize);

// The colour of a path type on the map (River, Road, Bridge, Railway; others
// white).
uint32_t PathColour(int32_t type);

// The relief factor of a post: 1 on flat ground, above 1 on slopes that face
// the light, below on slopes away from it.
float HillshadeFactor(const TerrainMatrix& matrix, int32_t x, int32_t y);
// A colour with each channel multiplied by factor, rounded, at most 255.
uint32_t ShadeColour(uint32_t colour, float factor);

// A tile's image as a block, already laid as the orientation lays it (first
// line north); null when the tile has none, so its class colour shows.
using TileBlockSource = std::function<const std::vector<uint32_t>*(uint32_t tileId)>;

struct TheaterPictureOptions {
    int32_t postSize = 1;
    int orientation = 0;
    TileBlockSource tileBlocks;  // empty: class colours
};

// The posts firstX … firstX + columns − 1, firstY … firstY + rows − 1 of the
// picture (clipped to the matrix), a region of the whole.
struct PostRegion {
    int32_t firstX = 0;
    int32_t firstY = 0;
    int32_t columns = 0;
    int32_t rows = 0;
};

// Renders a region; database may be null (then kNoDatabaseColour). After
// each row of sections it reports the sections done (count) and the post
// rows done (bar), and stops, giving none, when the progress asks to abort.
// None as well when the picture does not fit or the matrix is not complete.
std::optional<PixelImage> RenderTheaterRegion(const TerrainMatrix& matrix,
                                              const TileDatabase* database, PostRegion region,
                                              const TheaterPictureOptions& options,
                                              Progress& progress);
std::optional<PixelImage> RenderTheaterPicture(const TerrainMatrix& matrix,
                                               const TileDatabase* database,
                                               const TheaterPictureOptions& options,
                                               Progress& progress);

// A rectangle of pixels: [x, x + width) × [y, y + height).
struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Draws a line of the given pixel width between two points (pixel
// coordinates, may be fractional) into the image, clipped to clip and to the
// image.
void DrawLine(PixelImage& image, float x1, float y1, float x2, float y2, int32_t width,
              uint32_t colour, PixelRect clip);

}  // namespace lorvane
