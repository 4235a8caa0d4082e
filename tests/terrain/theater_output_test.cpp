// The theater tile map (.thr) and the minimum egress altitude file (.mea).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/progress_recorder.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"
#include "terrain/mea_file.h"
#include "terrain/theater_tile_map.h"

namespace lorvane {
namespace {

using testing::MakeTile;
using testing::ProgressRecorder;

TilePath Path(TerrainType type) { return {static_cast<int32_t>(type), 40.0f, 0, 0, 100, 100}; }
TileArea Area(TerrainType type) { return {static_cast<int32_t>(type), 50.0f, 10, 10}; }
TileSet Set(TerrainType type, std::vector<TileRecord> tiles) {
    return {static_cast<uint8_t>(type), std::move(tiles)};
}

// Ids: set × 16 + position.
TileDatabase PostDatabase() {
    return testing::MakeDatabase({
        Set(TerrainType::Plains, {MakeTile("H000.PCX", {Path(TerrainType::Railway)})}),  // id 0
        Set(TerrainType::ThickForest,
            {MakeTile("H010.PCX", {Path(TerrainType::Road), Path(TerrainType::Bridge)}),  // id 16
             MakeTile("H011.PCX", {}, {Area(TerrainType::Water)}),                        // id 17
             MakeTile("H012.PCX", {}, {Area(TerrainType::Urban)})}),                      // id 18
        Set(TerrainType::Urban, {MakeTile("H020.PCX", {Path(TerrainType::River)}),        // id 32
                                 MakeTile("H021.PCX")}),                                  // id 33
        Set(TerrainType::Runway, {MakeTile("H030.PCX")}),                                 // id 48
        Set(TerrainType::Bridge, {MakeTile("H040.PCX", {Path(TerrainType::Road)})}),      // id 64
    });
}

std::optional<uint8_t> PostByte(const TileDatabase& database, uint32_t tileId, uint8_t aux2) {
    TerrainMatrix matrix = MakeTerrainMatrix(1, 1);
    matrix.cells[0].tileId = tileId;
    matrix.cells[0].aux2 = aux2;
    ProgressRecorder progress;
    MessageLog messages;
    const auto bytes = ComposeTheaterMap(matrix, database, progress, messages);
    if (!bytes || bytes->size() != 5) return std::nullopt;
    return std::to_integer<uint8_t>((*bytes)[4]);
}

TEST(TheaterTileMapTest, PostBytes) {
    const TileDatabase database = PostDatabase();
    struct Case {
        uint32_t tileId;
        uint8_t aux2;
        uint8_t expected;
        const char* what;
    };
    const Case cases[] = {
        {16, 20, 0x66, "Thick Forest with Road and Bridge, band 2"},
        {32, 63, 0x00, "Urban with a River: class 0"},
        {17, 63, 0x00, "a Water area: class 0"},
        {18, 63, 0x06, "other areas change nothing"},
        {33, 0, 0x37, "Urban, band 3"},
        {48, 42, 0x17, "Runway as a set type: class 7"},
        {64, 63, 0x40, "any other type: class 0, the road still counts"},
        {0, 0, 0xB3, "the tile at index position 0 keeps its class and bits"},
        {1, 0, 0x30, "an id not in the index: class 0, no path bits"},
        {0x10010, 0, 0x30, "an id above 16 bits matches nothing"},
        {33, 21, 0x27, "band edges: 21 gives 2"},
        {33, 22, 0x17, "22 gives 1"},
        {33, 43, 0x07, "43 gives 0"},
        {33, 64, 0x07, "above 63: band 0"},
        {33, 255, 0x07, "255: band 0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PostByte(database, c.tileId, c.aux2), c.expected) << c.what;
}

TEST(TheaterTileMapTest, TheFirstIndexEntryOfAnIdWins) {
    for (int32_t id : {5, 100000}) {  // a small id and one beyond the dense table
        TileDatabase database = PostDatabase();
        database.index[1].id = id;  // H010: Thick Forest with a road
        database.index[3].id = id;  // H012: Thick Forest without
        database.index.push_back(database.index[4]);
        database.index.back().id = id;  // H020: Urban with a river
        EXPECT_EQ(PostByte(database, static_cast<uint32_t>(id), 63), 0x46) << id;
        TileBitsLookup lookup(database);
        EXPECT_EQ(lookup.Find(static_cast<uint32_t>(id)), 0x46);
        EXPECT_EQ(lookup.Find(static_cast<uint32_t>(id) + 1), std::nullopt);
    }
}

TEST(TheaterTileMapTest, FileHoldsTheExtentsThenColumns) {
    const auto folder = testing::MakeTempFolder("lorvane-thr");
    // 64 wide and 32 tall tells columns from rows; each post's tile tells
    // its place: id = x + 64·y, so the class byte differs between posts.
    TileDatabase database;
    for (int s = 0; s < 128; ++s) {
        std::vector<TileRecord> tiles;
        for (int k = 0; k < 16; ++k) tiles.push_back(MakeTile("T.PCX"));
        database.sets.push_back(Set(TerrainType::Plains, std::move(tiles)));
    }
    database = testing::MakeDatabase(std::move(database.sets));
    for (TileIndexEntry& entry : database.index)
        entry.terrainType = static_cast<uint8_t>(AreaTypeCodes[entry.id % 8]);
    TerrainMatrix matrix = MakeTerrainMatrix(64, 32);
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            matrix.Cell(x, y).tileId = static_cast<uint32_t>(x + 64 * y);
            matrix.Cell(x, y).aux2 = static_cast<uint8_t>(y);
        }
    }
    ProgressRecorder progress;
    MessageLog messages;
    ASSERT_TRUE(GenerateTheaterMap(folder / "T.thr", matrix, database, progress, messages));
    const auto bytes = testing::ReadFileBytes(folder / "T.thr");
    ASSERT_EQ(bytes.size(), 4u + 64u * 32u);
    EXPECT_EQ(bytes[0], std::byte{32});  // yMapExtent first
    EXPECT_EQ(bytes[1], std::byte{0});
    EXPECT_EQ(bytes[2], std::byte{64});
    EXPECT_EQ(bytes[3], std::byte{0});
    for (int32_t x = 0; x < 64; ++x) {
        for (int32_t y = 0; y < 32; ++y) {
            const int id = x + 64 * y;
            const int terrainClass =
                id == 0 ? 0 : TerrainClass(AreaTypeCodes[static_cast<size_t>(id % 8)]);
            const int expected = terrainClass | ((63 - y) / 21) << 4;
            ASSERT_EQ(std::to_integer<int>(bytes[4 + static_cast<size_t>(x * 32 + y)]), expected)
                << x << "," << y;
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(TheaterTileMapTest, LargeMapProgressAndAbort) {
    const auto folder = testing::MakeTempFolder("lorvane-thr");
    const TileDatabase database = PostDatabase();
    TerrainMatrix matrix = MakeTerrainMatrix(1024, 1024);
    matrix.Cell(3, 5).tileId = 16;
    ProgressRecorder progress;
    MessageLog messages;
    ASSERT_TRUE(GenerateTheaterMap(folder / "T.thr", matrix, database, progress, messages));
    const auto bytes = testing::ReadFileBytes(folder / "T.thr");
    ASSERT_EQ(bytes.size(), 4u + 1048576u);
    EXPECT_EQ(bytes[0], std::byte{0x00});
    EXPECT_EQ(bytes[1], std::byte{0x04});
    EXPECT_EQ(bytes[2], std::byte{0x00});
    EXPECT_EQ(bytes[3], std::byte{0x04});
    EXPECT_EQ(bytes[4 + 1024 * 3 + 5], std::byte{0x76});  // aux2 0: band 3
    EXPECT_EQ(bytes[4 + 1024 * 5 + 3],
              std::byte{0xB3});  // post (5, 3): tile id 0, Plains with a railway
    ASSERT_EQ(progress.reports.size(), 1024u);
    for (int y = 0; y < 1024; ++y)
        ASSERT_EQ(progress.reports[static_cast<size_t>(y)], std::make_pair(4 * y, 4 * y));

    ProgressRecorder abort(10);
    EXPECT_FALSE(GenerateTheaterMap(folder / "Aborted.thr", matrix, database, abort, messages));
    EXPECT_EQ(abort.reports.size(), 9u);
    EXPECT_FALSE(std::filesystem::exists(folder / "Aborted.thr"));
    EXPECT_TRUE(messages.messages.empty());
    std::filesystem::remove_all(folder);
}

TEST(TheaterOutputTest, RefusalsAndFileErrors) {
    const auto folder = testing::MakeTempFolder("lorvane-out");
    const auto unwritable = folder / "missing" / "out";
    const TileDatabase database = PostDatabase();
    TerrainMatrix incomplete = MakeTerrainMatrix(16, 16);
    incomplete.cells.pop_back();
    const TerrainMatrix matrix = MakeTerrainMatrix(16, 16);
    ProgressRecorder progress;
    struct Case {
        std::function<bool(MessageLog&)> run;
        Message message;
    };
    const Case cases[] = {
        {[&](MessageLog& m) {
             return GenerateTheaterMap(folder / "a", incomplete, database, progress, m);
         },
         {"The L2 Terrain matrix (or file) and/or Texture.bin have not been loaded.", "Information",
          MessageIcon::Exclamation}},
        {[&](MessageLog& m) { return GenerateMeaFile(folder / "b", incomplete, m); },
         {"The L2 Terrain matrix (or file) has not been loaded.", "Information",
          MessageIcon::Exclamation}},
        {[&](MessageLog& m) {
             return GenerateTheaterMap(unwritable, matrix, database, progress, m);
         },
         {"Error opening the .thr file.", "File Open Error", MessageIcon::Error}},
        {[&](MessageLog& m) { return GenerateMeaFile(unwritable, matrix, m); },
         {"Error opening the .mea file.", "File Open Error", MessageIcon::Error}},
    };
    for (const Case& c : cases) {
        MessageLog messages;
        EXPECT_FALSE(c.run(messages));
        EXPECT_EQ(messages.messages, std::vector<Message>{c.message});
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    EXPECT_FALSE(std::filesystem::exists(folder / "b"));
    std::filesystem::remove_all(folder);
}

uint16_t MeaValue(const std::vector<std::byte>& bytes, size_t offset) {
    return static_cast<uint16_t>(std::to_integer<unsigned>(bytes[offset]) |
                                 std::to_integer<unsigned>(bytes[offset + 1]) << 8);
}

TEST(MeaFileTest, BlockMaximaInBlockRowOrder) {
    const auto folder = testing::MakeTempFolder("lorvane-mea");
    TerrainMatrix matrix = MakeTerrainMatrix(1024, 1024);
    matrix.Cell(8 + 7, 16 + 0).elevation = 4500;  // block (1, 2)
    matrix.Cell(8 + 0, 16 + 7).elevation = 4499;
    matrix.Cell(0, 0).elevation = 40000;        // block (0, 0): above the signed range
    matrix.Cell(1023, 1023).elevation = 32767;  // the last block
    matrix.Cell(1016, 0).elevation = 1;         // block (127, 0)
    MessageLog messages;
    ASSERT_TRUE(GenerateMeaFile(folder / "T.mea", matrix, messages));
    const auto bytes = testing::ReadFileBytes(folder / "T.mea");
    ASSERT_EQ(bytes.size(), 32768u);
    EXPECT_EQ(bytes[514], std::byte{0x94});  // 4500 at 2·(2·128 + 1)
    EXPECT_EQ(bytes[515], std::byte{0x11});
    EXPECT_EQ(MeaValue(bytes, 0), 32767);
    EXPECT_EQ(MeaValue(bytes, 2 * 127), 1);
    EXPECT_EQ(MeaValue(bytes, 32766), 32767);
    size_t nonZero = 0;
    for (size_t offset = 0; offset < bytes.size(); offset += 2)
        nonZero += MeaValue(bytes, offset) != 0;
    EXPECT_EQ(nonZero, 4u);  // every other block is all zero
    std::filesystem::remove_all(folder);
}

TEST(MeaFileTest, EveryPostOfABlockCounts) {
    // A 16 × 16 matrix: 2 × 2 blocks. Raising one post at a time must raise
    // exactly its own block.
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            TerrainMatrix matrix = MakeTerrainMatrix(16, 16);
            matrix.Cell(x, y).elevation = 77;
            MessageLog messages;
            const auto bytes = ComposeMeaFile(matrix, messages);
            ASSERT_TRUE(bytes && bytes->size() == 8u);
            const size_t offset = 2 * static_cast<size_t>((y / 8) * 2 + x / 8);
            for (size_t o = 0; o < 8; o += 2)
                ASSERT_EQ(MeaValue(*bytes, o), o == offset ? 77 : 0) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace lorvane
