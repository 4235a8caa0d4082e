#include "theater/theater_picture.h"

#include <algorithm>
#include <cmath>

#include "terrain/theater_tile_map.h"
#include "theater/orientation.h"
#include "theater/seams.h"

namespace lorvane {

const std::array<uint32_t, kTerrainClassCount> kClassColours = {
    0xFF3D6FB6,  // Water
    0xFF6B7F4A,  // Swamp
    0xFF8C7B6B,  // Rocky
    0xFFC9C27A,  // Plains
    0xFFA3A05A,  // Brush
    0xFF5E9A4E,  // Thin Forest
    0xFF2F6B34,  // Thick Forest
    0xFFA8A8A8,  // Urban
};

const std::array<const char*, kTerrainClassCount> kClassNames = {
    "Water", "Swamp", "Rocky", "Plains", "Brush", "Thin Forest", "Thick Forest", "Urban"};

namespace {

// Post spacing and how much the relief is exaggerated so that hills show.
constexpr float kPostFeet = 3280.0f;
constexpr float kExaggeration = 12.0f;
constexpr float kMinFactor = 0.45f;
constexpr float kMaxFactor = 1.5f;

PostRegion ClipRegion(const TerrainMatrix& matrix, PostRegion region) {
    const int32_t x0 = std::clamp(region.firstX, 0, matrix.xMapExtent());
    const int32_t y0 = std::clamp(region.firstY, 0, matrix.yMapExtent());
    const int32_t x1 =
        std::clamp(region.firstX + std::max(region.columns, 0), x0, matrix.xMapExtent());
    const int32_t y1 =
        std::clamp(region.firstY + std::max(region.rows, 0), y0, matrix.yMapExtent());
    return {x0, y0, x1 - x0, y1 - y0};
}

// The colours a post can take: the classes', then the missing tile's and
// the one of a picture without a database.
constexpr size_t kMissingIndex = kTerrainClassCount;
constexpr size_t kNoDatabaseIndex = kTerrainClassCount + 1;
constexpr size_t kPostColourCount = kTerrainClassCount + 2;

uint32_t PostColourOf(size_t index) {
    if (index == kMissingIndex) return kMissingTileColour;
    if (index == kNoDatabaseIndex) return kNoDatabaseColour;
    return kClassColours[index];
}

// The colour of each post's tile, looked up once per tile id.
class PostColours {
  public:
    // The colour of every id below kDenseIds is made once, so a post's
    // colour is one load.
    explicit PostColours(const TileDatabase* database) {
        if (database == nullptr) return;
        lookup_.emplace(*database);
        dense_.resize(kDenseIds);
        for (uint32_t id = 0; id < kDenseIds; ++id) dense_[id] = Lookup(id);
    }
    // The post colour number (0 … kPostColourCount − 1) of a tile.
    uint8_t IndexOf(uint32_t tileId) const {
        if (!lookup_) return kNoDatabaseIndex;
        return tileId < kDenseIds ? dense_[tileId] : Lookup(tileId);
    }
    uint32_t Of(uint32_t tileId) const { return PostColourOf(IndexOf(tileId)); }

  private:
    static constexpr uint32_t kDenseIds = 1u << 16;
    uint8_t Lookup(uint32_t tileId) const {
        const std::optional<uint8_t> bits = lookup_->Find(tileId);
        return bits ? static_cast<uint8_t>(*bits & 7u) : static_cast<uint8_t>(kMissingIndex);
    }

    std::optional<TileBitsLookup> lookup_;
    std::vector<uint8_t> dense_;
};

void FillBlock(PixelImage& image, int32_t left, int32_t top, int32_t size, uint32_t colour,
               float factor, const std::vector<uint32_t>* block) {
    for (int32_t dy = 0; dy < size; ++dy) {
        uint32_t* line = &image.At(left, top + dy);
        for (int32_t dx = 0; dx < size; ++dx) {
            const uint32_t base =
                block != nullptr ? (*block)[static_cast<size_t>(dy * size + dx)] : colour;
            line[dx] = ShadeColour(base, factor);
        }
    }
}

void DrawPostPaths(PixelImage& image, const TileRecord& tile, int orientation, int32_t left,
                   int32_t top, int32_t size) {
    const float scale = static_cast<float>(size) / kTileSpanFeet;
    const PixelRect clip{left, top, size, size};
    for (const TilePath& path : tile.paths) {
        const PostPoint a = TileToPost(orientation, {path.startX, path.startY});
        const PostPoint b = TileToPost(orientation, {path.endX, path.endY});
        const auto width =
            std::max<int32_t>(1, static_cast<int32_t>(std::lround(path.width * scale)));
        DrawLine(image, static_cast<float>(left) + a.east * scale,
                 static_cast<float>(top) + (kTileSpanFeet - a.north) * scale,
                 static_cast<float>(left) + b.east * scale,
                 static_cast<float>(top) + (kTileSpanFeet - b.north) * scale, width,
                 PathColour(path.type), clip);
    }
}

// The relief factor from the rise of the ground between the posts either
// side (spans in posts: 2, or 1 at the border).
float ReliefFactor(int riseEast, int spanEast, int riseNorth, int spanNorth) {
    // Flat ground comes out as 1 exactly; no branch for it, as the rises of
    // a theater change from post to post past any prediction.
    const float slopeEast =
        kExaggeration * static_cast<float>(riseEast) / (kPostFeet * static_cast<float>(spanEast));
    const float slopeNorth =
        kExaggeration * static_cast<float>(riseNorth) / (kPostFeet * static_cast<float>(spanNorth));
    // The surface normal (−slopeEast, −slopeNorth, 1) against the light from
    // the north-west, 45 degrees high, over its value on flat ground.
    const float length = std::sqrt(slopeEast * slopeEast + slopeNorth * slopeNorth + 1.0f);
    const float lit = (slopeEast - slopeNorth) * 0.70710678f + 1.0f;
    return std::clamp(lit / length, kMinFactor, kMaxFactor);
}

// The factor in 1/256 steps (1 is 256, which keeps each channel).
uint32_t ScaleOf(float factor) { return static_cast<uint32_t>(factor * 256.0f + 0.5f); }
constexpr uint32_t kMaxScale = static_cast<uint32_t>(kMaxFactor * 256.0f + 0.5f);

// Each channel times scale / 256, rounded and held at 255.
uint32_t ShadeScaled(uint32_t colour, uint32_t scale) {
    uint32_t shaded = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t channel = (((colour >> shift) & 0xFFu) * scale + 128) >> 8;
        shaded |= std::min(channel, 255u) << shift;
    }
    return shaded;
}

// The scale of every rise up to kTableRise feet either way between posts
// two apart both ways (every post but the border's), worked out once by
// ReliefFactor, so such a post's shading is one load and gives the same
// pixel as working it out.
constexpr int kTableRise = 255;
constexpr int kTableSide = 2 * kTableRise + 1;

const std::vector<uint16_t>& InnerReliefScales() {
    static const std::vector<uint16_t> scales = [] {
        std::vector<uint16_t> table(static_cast<size_t>(kTableSide) * kTableSide);
        for (int east = -kTableRise; east <= kTableRise; ++east)
            for (int north = -kTableRise; north <= kTableRise; ++north)
                table[static_cast<size_t>((east + kTableRise) * kTableSide + north + kTableRise)] =
                    static_cast<uint16_t>(ScaleOf(ReliefFactor(east, 2, north, 2)));
        return table;
    }();
    return scales;
}

// Every post colour at every scale.
using ShadedColours = std::array<std::array<uint32_t, kMaxScale + 1>, kPostColourCount>;

const ShadedColours& ShadedPostColours() {
    static const ShadedColours shaded = [] {
        ShadedColours table{};
        for (size_t index = 0; index < kPostColourCount; ++index)
            for (uint32_t scale = 0; scale <= kMaxScale; ++scale)
                table[index][scale] = ShadeScaled(PostColourOf(index), scale);
        return table;
    }();
    return shaded;
}

// One line of the picture at one pixel a post in class colours, the relief
// and the colour of each post in one pass: the posts firstX … firstX +
// columns − 1 of the matrix row here, between the rows south and north of it.
void ShadeLine(uint32_t* line, const TerrainCell* here, const TerrainCell* south,
               const TerrainCell* north, int spanNorth, int32_t firstX, int32_t columns,
               int32_t lastX, const PostColours& colours) {
    const uint16_t* scales = InnerReliefScales().data();
    const ShadedColours& shaded = ShadedPostColours();
    const auto shadeWorkedOut = [&](int32_t x) {
        const int32_t west = std::max(x - 1, 0);
        const int32_t east = std::min(x + 1, lastX);
        const uint32_t scale = ScaleOf(
            ReliefFactor(here[east].elevation - here[west].elevation, std::max(east - west, 1),
                         north[x].elevation - south[x].elevation, spanNorth));
        line[x - firstX] = shaded[colours.IndexOf(here[x].tileId)][scale];
    };
    const int32_t end = firstX + columns;
    // The posts with a neighbour on every side, two apart both ways, in a
    // loop of their own; the border posts, and rises beyond the table,
    // worked out.
    const int32_t innerFirst = spanNorth == 2 ? std::clamp(firstX, 1, end) : end;
    const int32_t innerEnd = spanNorth == 2 ? std::clamp(lastX, innerFirst, end) : end;
    for (int32_t x = firstX; x < innerFirst; ++x) shadeWorkedOut(x);
    for (int32_t x = innerFirst; x < innerEnd; ++x) {
        const auto eastAt =
            static_cast<unsigned>(here[x + 1].elevation - here[x - 1].elevation + kTableRise);
        const auto northAt =
            static_cast<unsigned>(north[x].elevation - south[x].elevation + kTableRise);
        if (eastAt >= kTableSide || northAt >= kTableSide) {
            shadeWorkedOut(x);
            continue;
        }
        line[x - firstX] =
            shaded[colours.IndexOf(here[x].tileId)][scales[eastAt * kTableSide + northAt]];
    }
    for (int32_t x = std::max(innerEnd, firstX); x < end; ++x) shadeWorkedOut(x);
}

}  // namespace

bool PictureFits(int32_t columns, int32_t rows, int32_t postSize) {
    const int64_t width = int64_t{columns} * postSize;
    const int64_t height = int64_t{rows} * postSize;
    return postSize >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

uint32_t PathColour(int32_t type) {
    switch (static_cast<TerrainType>(type)) {
        case TerrainType::River:
            return 0xFF2E86DE;
        case TerrainType::Road:
            return 0xFFF5F0E1;
        case TerrainType::Bridge:
            return 0xFFFFD23F;
        case TerrainType::Railway:
            return 0xFF303030;
        default:
            return 0xFFFFFFFF;
    }
}

float HillshadeFactor(const TerrainMatrix& matrix, int32_t x, int32_t y) {
    const int32_t west = std::max(x - 1, 0);
    const int32_t east = std::min(x + 1, matrix.xMapExtent() - 1);
    const int32_t south = std::max(y - 1, 0);
    const int32_t north = std::min(y + 1, matrix.yMapExtent() - 1);
    return ReliefFactor(matrix.Cell(east, y).elevation - matrix.Cell(west, y).elevation,
                        std::max(east - west, 1),
                        matrix.Cell(x, north).elevation - matrix.Cell(x, south).elevation,
                        std::max(north - south, 1));
}

uint32_t ShadeColour(uint32_t colour, float factor) { return ShadeScaled(colour, ScaleOf(factor)); }

void DrawLine(PixelImage& image, float x1, float y1, float x2, float y2, int32_t width,
              uint32_t colour, PixelRect clip) {
    const int32_t left = std::max(clip.x, 0);
    const int32_t top = std::max(clip.y, 0);
    const int32_t right = std::min(clip.x + clip.width, image.width);
    const int32_t bottom = std::min(clip.y + clip.height, image.height);
    if (left >= right || top >= bottom) return;
    const float length = std::max(std::fabs(x2 - x1), std::fabs(y2 - y1));
    const int steps = std::max(1, static_cast<int>(std::ceil(length * 2.0f)));
    const float half = static_cast<float>(width) / 2.0f;
    // Stamps a width × width square every half pixel along the line.
    for (int step = 0; step <= steps; ++step) {
        const float t = static_cast<float>(step) / static_cast<float>(steps);
        const float cx = x1 + (x2 - x1) * t;
        const float cy = y1 + (y2 - y1) * t;
        const auto x0 = std::max(left, static_cast<int32_t>(std::floor(cx - half + 0.5f)));
        const auto y0 = std::max(top, static_cast<int32_t>(std::floor(cy - half + 0.5f)));
        const int32_t xEnd =
            std::min(right, static_cast<int32_t>(std::floor(cx - half + 0.5f)) + width);
        const int32_t yEnd =
            std::min(bottom, static_cast<int32_t>(std::floor(cy - half + 0.5f)) + width);
        for (int32_t y = y0; y < yEnd; ++y)
            for (int32_t x = x0; x < xEnd; ++x) image.At(x, y) = colour;
    }
}

std::optional<PixelImage> RenderTheaterRegion(const TerrainMatrix& matrix,
                                              const TileDatabase* database, PostRegion region,
                                              const TheaterPictureOptions& options,
                                              Progress& progress) {
    if (!matrix.IsComplete() || options.postSize < 1) return std::nullopt;
    region = ClipRegion(matrix, region);
    const int32_t size = options.postSize;
    if (!PictureFits(region.columns, region.rows, size)) return std::nullopt;
    PixelImage image;
    image.width = region.columns * size;
    image.height = region.rows * size;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    PostColours colours(database);
    const int32_t sectionsAcross = (region.columns + 15) / 16;
    std::optional<TileTable> tiles;
    if (database != nullptr && size >= kPathPostSize) tiles.emplace(*database);
    const int32_t lastX = matrix.xMapExtent() - 1;
    const int32_t lastY = matrix.yMapExtent() - 1;
    // Rows of a matrix that shares its sections are gathered here.
    const size_t gathered = matrix.SharesSections() ? static_cast<size_t>(lastX + 1) : 0;
    std::vector<TerrainCell> hereCells(gathered), southCells(gathered), northCells(gathered);
    for (int32_t row = 0; row < region.rows; ++row) {
        const int32_t y = region.firstY + row;
        const int32_t top = (region.rows - 1 - row) * size;
        const TerrainCell* here = matrix.Row(y, hereCells.data());
        const TerrainCell* south = matrix.Row(std::max(y - 1, 0), southCells.data());
        const TerrainCell* north = matrix.Row(std::min(y + 1, lastY), northCells.data());
        const int spanNorth = std::max(std::min(y + 1, lastY) - std::max(y - 1, 0), 1);
        if (size == 1 && !options.tileBlocks) {
            ShadeLine(
                image.pixels.data() + static_cast<size_t>(top) * static_cast<size_t>(image.width),
                here, south, north, spanNorth, region.firstX, region.columns, lastX, colours);
        } else {
            for (int32_t column = 0; column < region.columns; ++column) {
                const int32_t x = region.firstX + column;
                const int32_t west = std::max(x - 1, 0);
                const int32_t east = std::min(x + 1, lastX);
                const float factor = ReliefFactor(
                    here[east].elevation - here[west].elevation, std::max(east - west, 1),
                    north[x].elevation - south[x].elevation, spanNorth);
                const uint32_t id = here[x].tileId;
                const std::vector<uint32_t>* block =
                    options.tileBlocks ? options.tileBlocks(id) : nullptr;
                FillBlock(image, column * size, top, size, colours.Of(id), factor, block);
                if (!tiles) continue;
                if (const TileRecord* tile = tiles->Find(id))
                    DrawPostPaths(image, *tile, options.orientation, column * size, top, size);
            }
        }
        if ((row + 1) % 16 == 0 || row + 1 == region.rows) {
            progress.Report((row + 1) / 16 * sectionsAcross, row + 1);
            if (progress.AbortRequested()) return std::nullopt;
        }
    }
    return image;
}

std::optional<PixelImage> RenderTheaterPicture(const TerrainMatrix& matrix,
                                               const TileDatabase* database,
                                               const TheaterPictureOptions& options,
                                               Progress& progress) {
    return RenderTheaterRegion(matrix, database, {0, 0, matrix.xMapExtent(), matrix.yMapExtent()},
                               options, progress);
}

}  // namespace lorvane
