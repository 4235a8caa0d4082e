// lorvane-cli seams and render-theater on theaters built in the test and on
// the sample theater of the build.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "image/pcx.h"
#include "support/pcx_writer.h"
#include "support/png_reader.h"
#include "support/run_command.h"
#include "support/texture_builder.h"
#include "support/theater_builder.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"
#include "theater/orientation.h"
#include "theater/seams.h"
#include "theater/theater_picture.h"
#include "theater/tile_blocks.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

namespace fs = std::filesystem;

class TheaterCommands : public ::testing::Test {
  protected:
    void SetUp() override { folder_ = testing::MakeTempFolder("lorvane-theater"); }
    void TearDown() override { fs::remove_all(folder_); }

    // Writes the theater as Texture.bin and Theater.L2M.
    void Write(const testing::RoadTheater& theater) {
        testing::WriteFileBytes(folder_ / "Texture.bin", SerializeTextureBin(theater.database));
        SilentProgress progress;
        NullMessages messages;
        fs::remove(folder_ / "Theater.L2M");
        ASSERT_TRUE(SaveMatrixAsL2M(folder_ / "Theater.L2M", theater.matrix, progress, messages));
    }
    testing::CommandResult Run(std::vector<std::string> arguments) {
        return testing::RunCommand(LORVANE_CLI, arguments);
    }
    testing::CommandResult Seams(std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {"seams", "--terrain", Path("Theater.L2M"),
                                              "--texture", Path("Texture.bin")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

TEST_F(TheaterCommands, SeamsFindsTheOrientationAndListsNoSeamsWhereAllMeet) {
    for (int orientation : {0, 3, 6}) {
        SCOPED_TRACE(orientation);
        Write(testing::MakeRoadTheater(16, 16, 5, 4, orientation, 11));
        const auto result = Seams({"--json", "--fail-on-seams"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(
            nlohmann::json::parse(result.out),
            nlohmann::json({{"orientation", orientation}, {"seams", nlohmann::json::array()}}));
        // Another orientation given: seams, exit 0 unless asked to fail on them.
        const std::string other = std::to_string((orientation + 1) % 8);
        const auto given = Seams({"--orientation", other, "--json"});
        ASSERT_EQ(given.exitStatus, 0) << given.err;
        const auto json = nlohmann::json::parse(given.out);
        EXPECT_EQ(json["orientation"], (orientation + 1) % 8);
        EXPECT_FALSE(json["seams"].empty());
        EXPECT_EQ(Seams({"--orientation", other, "--fail-on-seams"}).exitStatus, 1);
    }
}

TEST_F(TheaterCommands, SeamsListsAMovedRoadByTileNeighbourEdgeAndType) {
    // Tile 0 carries a road from south to north at 1200 feet east, tile 2
    // above and below it one at 1000: in a 2 × 2 pattern over 16 × 16 posts
    // tile 0 lies on 8 × 8 posts, each with tile 2 to its north, and all but
    // the 8 on the bottom row with tile 2 to its south.
    const int orientation = 2;
    const auto tile = [&](float east) {
        return testing::TileFromPost("", {{10, 60, east, 0, east, 3280}}, orientation);
    };
    auto theater = testing::RoadTheater{
        testing::PatternMatrix(16, 16, 2, 2),
        testing::PatternDatabase({tile(1200), testing::TileFromPost("", {}, orientation),
                                  tile(1000), testing::TileFromPost("", {}, orientation)})};
    Write(theater);
    const auto result = Seams({"--json", "--orientation", "2"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto expected = nlohmann::json::parse(R"({"orientation": 2, "seams": [
        {"tile": 0, "neighbour": 2, "edge": "north", "type": 10, "offsetFeet": 200.0, "places": 64},
        {"tile": 0, "neighbour": 2, "edge": "south", "type": 10, "offsetFeet": 200.0, "places": 56},
        {"tile": 2, "neighbour": 0, "edge": "north", "type": 10, "offsetFeet": 200.0, "places": 56},
        {"tile": 2, "neighbour": 0, "edge": "south", "type": 10, "offsetFeet": 200.0, "places": 64}]})");
    EXPECT_EQ(nlohmann::json::parse(result.out), expected);
    EXPECT_EQ(Seams({"--fail-on-seams"}).exitStatus, 1);
    // The text names the tiles.
    const auto text = Seams({"--orientation", "2"});
    EXPECT_NE(text.out.find(
                  "4 seams\nH000.PCX (0), north edge, next to H002.PCX (2): Road ends 200.0 feet "
                  "off, 64 places\n"),
              std::string::npos)
        << text.out;
    // Within a tolerance of 250 feet they meet.
    EXPECT_EQ(Seams({"--tolerance", "250", "--fail-on-seams"}).exitStatus, 0);

    theater.database.sets[0].tiles[0] = tile(1000);
    Write(theater);
    const auto back = Seams({"--json", "--fail-on-seams"});
    EXPECT_EQ(back.exitStatus, 0) << back.out;
    EXPECT_EQ(nlohmann::json::parse(back.out)["seams"], nlohmann::json::array());
}

TEST_F(TheaterCommands, SeamsRefusesBadInputAndOptions) {
    Write(testing::MakeRoadTheater(16, 16, 4, 4, 0, 3));
    EXPECT_EQ(Seams({"--tolerance", "-1"}).exitStatus, 2);
    EXPECT_EQ(Seams({"--orientation", "8"}).exitStatus, 2);
    const auto missing =
        Run({"seams", "--terrain", Path("None.L2M"), "--texture", Path("Texture.bin")});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("Data File Open Failed."), std::string::npos) << missing.err;
    EXPECT_EQ(Run({"seams", "--terrain", Path("Theater.L2M")}).exitStatus, 2);
}

// The sample theater: one pixel a post, north up; every post on flat ground
// shows exactly its class colour, the lake in the south-west water and the
// town near the middle urban.
TEST_F(TheaterCommands, TheSampleMapShowsTheClassColoursOfItsPosts) {
    const fs::path sample = LORVANE_SAMPLE_DIR;
    ASSERT_TRUE(fs::exists(sample / "Theater.L2")) << "the build makes the sample theater";
    const auto result =
        Run({"render-theater", "--terrain", (sample / "Theater.L2").string(), "--texture",
             (sample / "Texture.bin").string(), "-o", Path("map.png")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto map = testing::ReadPng(folder_ / "map.png");
    ASSERT_TRUE(map);
    ASSERT_EQ(map->width, 128);
    ASSERT_EQ(map->height, 128);
    const auto pixel = [&](int x, int y) { return map->At(x, 127 - y) | 0xFF000000u; };
    EXPECT_EQ(pixel(0, 0), kClassColours[0]);    // the lake
    EXPECT_EQ(pixel(58, 70), kClassColours[7]);  // the town
    EXPECT_EQ(pixel(57, 71), kClassColours[7]);

    // Every flat post, against the class the tile map gives its tile.
    const auto l2 = FileBytes::Open(sample / "Theater.L2");
    const auto o2 = FileBytes::Open(sample / "Theater.O2");
    ASSERT_TRUE(l2 && o2);
    SilentProgress progress;
    NullMessages messages;
    const auto matrix = BuildMatrixFromL2(l2->Bytes(), o2->Bytes(), progress, messages);
    const auto database = LoadTextureBin(sample / "Texture.bin", messages);
    ASSERT_TRUE(matrix && database);
    const TileBitsLookup classes(*database);
    int flat = 0;
    for (int y = 1; y < 127; ++y) {
        for (int x = 1; x < 127; ++x) {
            const auto elevation = matrix->Cell(x, y).elevation;
            if (matrix->Cell(x - 1, y).elevation != elevation ||
                matrix->Cell(x + 1, y).elevation != elevation ||
                matrix->Cell(x, y - 1).elevation != elevation ||
                matrix->Cell(x, y + 1).elevation != elevation)
                continue;
            ++flat;
            const auto bits = classes.Find(matrix->Cell(x, y).tileId);
            ASSERT_TRUE(bits);
            ASSERT_EQ(pixel(x, y), kClassColours[*bits & 7u]) << x << ", " << y;
        }
    }
    EXPECT_GT(flat, 200);
}

// The sample's third road is painted into the fifth tiles of sets 4, 2 and 3
// but not recorded. Drawn along the centre lines the images were painted
// from (post feet under the sample's orientation 5), it meets its
// neighbours: no seams; a road drawn elsewhere, or only part of it, leaves
// seams.
TEST_F(TheaterCommands, TheSampleRoadStillToDrawMeetsItsNeighboursOnceDrawn) {
    using Line = std::vector<PostPoint>;
    const Line north = {{1400, 0}, {1494, 1640}, {1400, 3280}};                  // H044
    const Line bend = {{1400, 0}, {1500, 1097}, {2200, 1450}, {3280, 1500}};     // H024
    const Line east = {{0, 1500}, {1100, 1591}, {2200, 1454.5f}, {3280, 1500}};  // H034
    const Line elsewhere = {{0, 1000}, {2000, 1400}, {3280, 2600}};
    const struct {
        const char* what;
        std::vector<std::pair<int, Line>> drawn;  // set, road on its fifth tile
        bool seams;
    } cases[] = {
        {"as built", {}, false},
        {"the whole road", {{4, north}, {2, bend}, {3, east}}, false},
        {"only the bend", {{2, bend}}, true},
        {"the bend off the painted road", {{4, north}, {2, elsewhere}, {3, east}}, true},
    };
    const fs::path sample = LORVANE_SAMPLE_DIR;
    NullMessages messages;
    const auto built = LoadTextureBin(sample / "Texture.bin", messages);
    ASSERT_TRUE(built);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TileDatabase database = *built;
        for (const auto& [set, line] : c.drawn) {
            TileRecord* tile = database.RecordAt(set, 4);
            ASSERT_TRUE(tile != nullptr);
            ASSERT_TRUE(tile->paths.empty());  // still to draw
            for (size_t i = 1; i < line.size(); ++i) {
                const TilePoint a = PostToTile(5, line[i - 1]);
                const TilePoint b = PostToTile(5, line[i]);
                tile->paths.push_back({10, 60, a.x, a.y, b.x, b.y});
            }
        }
        testing::WriteFileBytes(folder_ / "Texture.bin", SerializeTextureBin(database));
        const auto result = Run({"seams", "--terrain", (sample / "Theater.L2").string(),
                                 "--texture", Path("Texture.bin"), "--orientation", "5", "--json"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(nlohmann::json::parse(result.out)["seams"].empty(), !c.seams) << result.out;
    }
}

TEST_F(TheaterCommands, RenderTheaterScalesTileImagesOntoTheirPosts) {
    // Two flat posts of one pattern tile each; the tiles folder holds the
    // image of tile 0 only, so post 1 shows its class colour.
    testing::RoadTheater theater{
        testing::PatternMatrix(16, 16, 2, 1),
        testing::PatternDatabase({testing::MakeTile(""), testing::MakeTile("")})};
    for (TerrainCell& cell : theater.matrix.cells) cell.elevation = 100;
    Write(theater);
    const fs::path tiles = folder_ / "tiles";
    fs::create_directories(tiles);
    const auto picture = testing::MakePatternPicture(32, 32, 4);
    testing::WriteFileBytes(tiles / "H000.PCX", testing::WritePcx(picture));
    const auto result = Run({"render-theater", "--terrain", Path("Theater.L2M"), "--texture",
                             Path("Texture.bin"), "--tiles", tiles.string(), "--post-size", "4",
                             "--orientation", "6", "-o", Path("tiles.png")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("1 tile has no readable image"), std::string::npos) << result.err;
    const auto map = testing::ReadPng(folder_ / "tiles.png");
    ASSERT_TRUE(map);
    ASSERT_EQ(map->width, 64);
    const auto image = DecodePcx(testing::WritePcx(picture));
    ASSERT_TRUE(image);
    const std::vector<uint32_t> block = TileBlock(*image, 4, 6);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            // Post (0, 15) is the top-left block; post (1, 15) beside it.
            EXPECT_EQ(map->At(x, y), block[static_cast<size_t>(y * 4 + x)] & 0xFFFFFF);
            EXPECT_EQ(map->At(4 + x, y), kClassColours[3] & 0xFFFFFF);
        }
    }
}

TEST_F(TheaterCommands, RenderTheaterRefusesAPictureTooLargeAndKeepsExistingFiles) {
    Write(testing::MakeRoadTheater(16, 16, 4, 4, 0, 3));
    const auto large = Run({"render-theater", "--terrain", Path("Theater.L2M"), "--post-size",
                            "4096", "-o", Path("large.png")});
    EXPECT_EQ(large.exitStatus, 1);
    EXPECT_NE(large.err.find("too large"), std::string::npos) << large.err;
    EXPECT_FALSE(fs::exists(folder_ / "large.png"));
    const auto noFolder = Run({"render-theater", "--terrain", Path("Theater.L2M"), "--tiles",
                               Path("none"), "-o", Path("none.png")});
    EXPECT_EQ(noFolder.exitStatus, 1);
    EXPECT_NE(noFolder.err.find("is not a folder of tile images"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder_ / "none.png"));
    testing::WriteFileBytes(folder_ / "old.png", {std::byte{7}});
    EXPECT_EQ(
        Run({"render-theater", "--terrain", Path("Theater.L2M"), "-o", Path("old.png")}).exitStatus,
        2);
    EXPECT_EQ(testing::ReadFileBytes(folder_ / "old.png"), std::vector<std::byte>{std::byte{7}});
    // Without a database every post is the plain colour, shaded.
    ASSERT_EQ(Run({"render-theater", "--terrain", Path("Theater.L2M"), "-o", Path("plain.png")})
                  .exitStatus,
              0);
    const auto plain = testing::ReadPng(folder_ / "plain.png");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, 16);
}

}  // namespace
}  // namespace lorvane
