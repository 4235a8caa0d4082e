#include "theater/theater_picture.h"

#include <gtest/gtest.h>

#include <random>

#include "image/pcx.h"
#include "support/pcx_writer.h"
#include "support/progress_recorder.h"
#include "support/texture_builder.h"
#include "support/theater_builder.h"
#include "terrain/theater_tile_map.h"
#include "theater/tile_blocks.h"

namespace lorvane {
namespace {

constexpr int32_t kRoad = 10;

// One set per set terrain type, one tile each: ids 0, 16, 32, … 112.
TileDatabase ClassDatabase() {
    std::vector<TileSet> sets;
    for (int s = 0; s < kSetTypeCount; ++s)
        sets.push_back({static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(s)]),
                        {testing::MakeTile("H" + std::to_string(s) + "00.PCX")}});
    return testing::MakeDatabase(std::move(sets));
}

TEST(TheaterPictureTest, FlatPostsShowTheirClassColourNorthUp) {
    const TileDatabase database = ClassDatabase();
    // Eight posts along the bottom row with the eight sets, one above with an
    // id no index entry has; all flat.
    TerrainMatrix matrix = MakeTerrainMatrix(8, 2);
    for (int32_t x = 0; x < 8; ++x) matrix.Cell(x, 0).tileId = static_cast<uint32_t>(x * 16);
    for (int32_t x = 0; x < 8; ++x) matrix.Cell(x, 1).tileId = 999;
    SilentProgress progress;
    const auto picture = RenderTheaterPicture(matrix, &database, {}, progress);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 8);
    ASSERT_EQ(picture->height, 2);
    for (int32_t x = 0; x < 8; ++x) {
        SCOPED_TRACE(x);
        const int type = AreaTypeCodes[static_cast<size_t>(x)];
        EXPECT_EQ(picture->At(x, 1), kClassColours[static_cast<size_t>(TerrainClass(type))]);
        EXPECT_EQ(picture->At(x, 0), kMissingTileColour);
    }
    const auto plain = RenderTheaterPicture(matrix, nullptr, {}, progress);
    ASSERT_TRUE(plain);
    for (uint32_t pixel : plain->pixels) EXPECT_EQ(pixel, kNoDatabaseColour);
}

TEST(TheaterPictureTest, SlopesFacingTheNorthWestLightAreBrighter) {
    struct Case {
        const char* name;
        int eastRise;   // elevation added per post eastward
        int northRise;  // and northward
        int expected;   // the sign of factor − 1
    };
    const Case cases[] = {
        // Ground rising to the east faces west, toward the light.
        {"flat", 0, 0, 0},
        {"rising east", 300, 0, 1},
        {"rising west", -300, 0, -1},
        {"rising north", 0, 300, -1},
        {"rising south", 0, -300, 1},
        {"facing the light", 300, -300, 1},
        // Across the light: a little darker than flat ground.
        {"rising north-east evenly", 300, 300, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerrainMatrix matrix = MakeTerrainMatrix(3, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 3; ++x)
                matrix.Cell(x, y).elevation =
                    static_cast<uint16_t>(2000 + x * c.eastRise + y * c.northRise);
        const float factor = HillshadeFactor(matrix, 1, 1);
        if (c.expected == 0) {
            EXPECT_NEAR(factor, 1.0f, 1e-3f);
        } else {
            EXPECT_EQ(factor > 1.0f ? 1 : -1, c.expected);
        }
        EXPECT_EQ(ShadeColour(0xFF102030, factor) == 0xFF102030, c.expected == 0);
    }
    EXPECT_EQ(ShadeColour(0xFF808080, 1.5f), 0xFFC0C0C0u);
    EXPECT_EQ(ShadeColour(0xFFF0F0F0, 1.5f), 0xFFFFFFFFu);
}

TEST(TheaterPictureTest, PathsAreDrawnOnBigPostsAsTheOrientationLaysThem) {
    // A road across the tile's image from left to right, a third of the way
    // down: under orientation 0 it runs west to east, under 1 north to south.
    const TileDatabase database =
        testing::PatternDatabase({testing::MakeTile("", {{kRoad, 100, 2187, 0, 2187, 3280}})});
    const TerrainMatrix matrix = testing::PatternMatrix(1, 1, 1, 1);
    SilentProgress progress;
    for (int orientation : {0, 1}) {
        SCOPED_TRACE(orientation);
        const auto picture =
            RenderTheaterPicture(matrix, &database, {32, orientation, {}}, progress);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, 32);
        const uint32_t road = PathColour(kRoad);
        int roadPixels = 0;
        for (int32_t k = 0; k < 32; ++k) {
            // 2187 feet north is line 10 from the top; turned, it is 2187
            // feet east, column 21.
            EXPECT_EQ(orientation == 0 ? picture->At(k, 10) : picture->At(21, k), road);
        }
        for (uint32_t pixel : picture->pixels) roadPixels += pixel == road;
        EXPECT_LE(roadPixels, 32 * 2);
        // Below kPathPostSize no path is drawn.
        const auto small =
            RenderTheaterPicture(matrix, &database, {kPathPostSize - 1, orientation, {}}, progress);
        ASSERT_TRUE(small);
        for (uint32_t pixel : small->pixels) EXPECT_NE(pixel, road);
    }
}

TEST(TheaterPictureTest, ARegionIsTheSameCropOfTheWholePicture) {
    const auto theater = testing::MakeRoadTheater(12, 10, 5, 4, 3, 9);
    SilentProgress progress;
    const TheaterPictureOptions options{kPathPostSize, 3, {}};
    const auto whole = RenderTheaterPicture(theater.matrix, &theater.database, options, progress);
    ASSERT_TRUE(whole);
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        const int32_t x = std::uniform_int_distribution<int32_t>(0, 11)(random);
        const int32_t y = std::uniform_int_distribution<int32_t>(0, 9)(random);
        const PostRegion region{x, y, std::uniform_int_distribution<int32_t>(1, 14)(random),
                                std::uniform_int_distribution<int32_t>(1, 12)(random)};
        const auto part =
            RenderTheaterRegion(theater.matrix, &theater.database, region, options, progress);
        ASSERT_TRUE(part);
        const int32_t columns = std::min(region.columns, 12 - x);
        const int32_t rows = std::min(region.rows, 10 - y);
        ASSERT_EQ(part->width, columns * kPathPostSize);
        ASSERT_EQ(part->height, rows * kPathPostSize);
        // The region's top line is post row y + rows − 1.
        const int32_t top = (10 - (y + rows)) * kPathPostSize;
        for (int32_t py = 0; py < part->height; ++py)
            for (int32_t px = 0; px < part->width; ++px)
                ASSERT_EQ(part->At(px, py), whole->At(x * kPathPostSize + px, top + py));
    }
}

// The whole picture at one pixel a post is drawn from tables of shades; it
// must give the pixel the relief factor and the shading give, on gentle
// ground (within the tables), steep ground (beyond them), the borders and
// matrices one post wide or high, and the same as the blocks of a picture
// at two pixels a post, which work each post out.
TEST(TheaterPictureTest, OnePixelAPostIsTheShadeOfEachPostWorkedOut) {
    const TileDatabase database = ClassDatabase();
    struct Case {
        int32_t width, height, steepest;
    };
    const Case cases[] = {{40, 30, 3}, {40, 30, 250}, {33, 17, 4000},
                          {1, 9, 600}, {9, 1, 600},   {2, 2, 65535}};
    std::mt19937 random(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", " << c.steepest);
        TerrainMatrix matrix = MakeTerrainMatrix(c.width, c.height);
        std::uniform_int_distribution<int> step(-c.steepest, c.steepest);
        std::uniform_int_distribution<int> tile(0, 9);
        int elevation = 30000;
        for (int32_t y = 0; y < c.height; ++y) {
            for (int32_t x = 0; x < c.width; ++x) {
                elevation = std::clamp(elevation + step(random), 0, 65535);
                matrix.Cell(x, y).elevation = static_cast<uint16_t>(elevation);
                // Eight class tiles and ids no entry has.
                const int t = tile(random);
                matrix.Cell(x, y).tileId = t < 8 ? static_cast<uint32_t>(16 * t) : 70000u + t;
            }
        }
        SilentProgress progress;
        const auto picture = RenderTheaterPicture(matrix, &database, {}, progress);
        const auto blocks = RenderTheaterPicture(matrix, &database, {2, 0, {}}, progress);
        ASSERT_TRUE(picture && blocks);
        const auto colours = TileBitsLookup(database);
        for (int32_t y = 0; y < c.height; ++y) {
            for (int32_t x = 0; x < c.width; ++x) {
                const std::optional<uint8_t> bits = colours.Find(matrix.Cell(x, y).tileId);
                const uint32_t colour = bits ? kClassColours[*bits & 7u] : kMissingTileColour;
                const int32_t top = c.height - 1 - y;
                ASSERT_EQ(picture->At(x, top), ShadeColour(colour, HillshadeFactor(matrix, x, y)))
                    << x << ", " << y;
                ASSERT_EQ(blocks->At(2 * x + 1, 2 * top + 1), picture->At(x, top));
            }
        }
        // Regions at one pixel a post, their borders inside the matrix or on
        // its own, are crops of the whole picture.
        for (int round = 0; round < 20; ++round) {
            const PostRegion region{std::uniform_int_distribution<int32_t>(0, c.width - 1)(random),
                                    std::uniform_int_distribution<int32_t>(0, c.height - 1)(random),
                                    std::uniform_int_distribution<int32_t>(1, c.width)(random),
                                    std::uniform_int_distribution<int32_t>(1, c.height)(random)};
            const auto part = RenderTheaterRegion(matrix, &database, region, {}, progress);
            ASSERT_TRUE(part);
            const int32_t rows = std::min(region.rows, c.height - region.firstY);
            for (int32_t py = 0; py < part->height; ++py)
                for (int32_t px = 0; px < part->width; ++px)
                    ASSERT_EQ(
                        part->At(px, py),
                        picture->At(region.firstX + px, c.height - (region.firstY + rows) + py));
        }
    }
}

TEST(TheaterPictureTest, TooLargeIncompleteOrAbortedGivesNone) {
    const TerrainMatrix matrix = testing::PatternMatrix(64, 64, 1, 1);
    SilentProgress progress;
    EXPECT_FALSE(RenderTheaterPicture(matrix, nullptr, {1024, 0, {}}, progress));
    EXPECT_TRUE(PictureFits(4096, 4096, 4));
    EXPECT_FALSE(PictureFits(4096, 4096, 5));
    EXPECT_FALSE(PictureFits(32769, 1, 1));
    EXPECT_FALSE(RenderTheaterPicture(matrix, nullptr, {0, 0, {}}, progress));
    TerrainMatrix cut = matrix;
    cut.cells.resize(10);
    EXPECT_FALSE(RenderTheaterPicture(cut, nullptr, {}, progress));
    testing::ProgressRecorder aborting(2);
    EXPECT_FALSE(RenderTheaterPicture(matrix, nullptr, {}, aborting));
    EXPECT_EQ(aborting.reports, (std::vector<std::pair<int, int>>{{4, 16}, {8, 32}}));
}

TEST(TileBlockTest, AveragesTheImageAndLaysItAsTheOrientationDoes) {
    // A 4 × 4 image: top-left quadrant mixes indices 1 and 2, the others 3, 4, 5.
    testing::PcxPicture picture;
    picture.width = 4;
    picture.height = 4;
    picture.indices = {1, 2, 3, 3, 2, 1, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5};
    picture.palette[1] = {100, 0, 0};
    picture.palette[2] = {200, 0, 0};
    picture.palette[3] = {0, 100, 0};
    picture.palette[4] = {0, 0, 100};
    picture.palette[5] = {50, 50, 50};
    const auto image = DecodePcx(testing::WritePcx(picture));
    ASSERT_TRUE(image);
    const uint32_t topLeft = 0xFF960000, topRight = 0xFF006400, bottomLeft = 0xFF000064,
                   bottomRight = 0xFF323232;
    struct Case {
        int orientation;
        std::vector<uint32_t> block;  // north-west, north-east, south-west, south-east
    };
    const Case cases[] = {
        {0, {topLeft, topRight, bottomLeft, bottomRight}},
        {1, {bottomLeft, topLeft, bottomRight, topRight}},
        {2, {bottomRight, bottomLeft, topRight, topLeft}},
        {4, {topRight, topLeft, bottomRight, bottomLeft}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        EXPECT_EQ(TileBlock(*image, 2, c.orientation), c.block);
    }
    EXPECT_EQ(TileBlock(*image, 1, 0), (std::vector<uint32_t>{0xFF322626}));
    EXPECT_EQ(TileBlock(*image, 8, 0).size(), 64u);
}

TEST(TileBlockTest, TheFolderFindsTilesByDatabaseNameOrByNumber) {
    const auto folder = testing::MakeTempFolder("tile_blocks");
    testing::PcxPicture picture = testing::MakePatternPicture(8, 8, 3);
    testing::WriteFileBytes(folder / "h012.pcx", testing::WritePcx(picture));
    testing::WriteFileBytes(folder / "Broken.PCX", {std::byte{1}});
    // Without a database, H012 is set 1 position 2: id 18.
    TileImageFolder byNumber(folder, nullptr, 2, 0);
    EXPECT_NE(byNumber.Block(18), nullptr);
    EXPECT_EQ(byNumber.Block(2), nullptr);
    // With one, the name of the id is looked up whatever its letter case.
    const TileDatabase database = testing::MakeDatabase(
        {{4, {testing::MakeTile("H012.PCX"), testing::MakeTile("Broken.PCX")}}});
    TileImageFolder byName(folder, &database, 2, 0);
    ASSERT_NE(byName.Block(0), nullptr);
    EXPECT_EQ(*byName.Block(0), *byNumber.Block(18));
    EXPECT_EQ(byName.Block(1), nullptr);
    EXPECT_EQ(byName.Block(18), nullptr);
    EXPECT_EQ(byName.missing(), 2);
}

}  // namespace
}  // namespace lorvane
