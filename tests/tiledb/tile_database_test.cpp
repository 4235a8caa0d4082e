#include "tiledb/tile_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <utility>

#include "support/texture_builder.h"

namespace lorvane {
namespace {

TEST(TileNumberFromName, ScansTheThreeCharactersBeforeTheFirstDot) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"H0A3.PCX", 0x0A3},
        {"h0a3.pcx", 0x0A3},
        {"tile.pcx", 0},
        {"AB.PCX", 0},
        {"H1FF.PCX", 0x1FF},
        {"HFFF.PCX", 0xFFF},
        {"NODOT", 0},
        {"X 12.pcx", 0x12},
        {"H0x1.pcx", 0x1},
        {"H12G.pcx", 0x12},
        {"ABC.D.E", 0xABC},
        {".pcx", 0},
        {"", 0},
        // A text of 20 characters or more is cut to its first 19: no dot remains.
        {"H0000000000000000001.PCX", 0},
        {"H0000000000000001.PCX", 0x001},
    };
    for (const auto& [name, number] : cases) {
        EXPECT_EQ(TileNumberFromName(name), number) << name;
    }
    EXPECT_EQ(SetOfTileNumber(0x0A3), 10);
    EXPECT_EQ(PositionOfTileNumber(0x0A3), 3);
    EXPECT_EQ(SetOfTileNumber(0xFFF), 0xFF);
}

TEST(TileNumberFromName, AgreesWithTheStandardHexConversion) {
    // Every three-character head from an alphabet of blanks, signs, prefix
    // letters, digits and non-digits scans as sscanf's "%x" does.
    const std::string alphabet = " \t+-0xXaF9g.";
    for (char a : alphabet) {
        for (char b : alphabet) {
            for (char c : alphabet) {
                const std::string head{a, b, c};
                const std::string name = "H" + head + ".PCX";
                const size_t dot = name.find('.');
                unsigned expected = 0;
                if (dot >= 3 && std::sscanf(name.substr(dot - 3, 3).c_str(), "%x", &expected) != 1)
                    expected = 0;
                if (dot < 3) expected = 0;
                EXPECT_EQ(TileNumberFromName(name), expected & 0xFFFF) << name;
            }
        }
    }
}

TEST(TypeTables, MapListPositionsToCodes) {
    EXPECT_STREQ(TypeName(6), "Thin Forest");
    EXPECT_STREQ(TypeName(14), "Station");
    EXPECT_STREQ(TypeName(99), "No Data");
    EXPECT_EQ(PathTypeCodes[2], 12);  // "Bridge"
    EXPECT_EQ(PathTypePosition(11), 3);
    EXPECT_EQ(AreaTypeCodes[8], 13);  // "Runway"
    EXPECT_EQ(AreaTypePosition(9), 7);
    EXPECT_FALSE(AreaTypePosition(2).has_value());
}

// A tile is found at its place or its id's position, or not at all: the
// first tile (set 0, tile 0, id 0 at position 0) is told apart from none.
TEST(Lookups, RecordAtAndPositionOfId) {
    TileDatabase database = testing::MakeDatabase({
        TileSet{4, {testing::MakeTile("H000.PCX"), testing::MakeTile("H001.PCX")}},
        TileSet{1, {testing::MakeTile("H010.PCX")}},
        TileSet{2, {}},
    });
    struct Place {
        int32_t set;
        int32_t tile;
        const char* name;  // nullptr: no tile there
    };
    const Place places[] = {
        {0, 0, "H000.PCX"}, {0, 1, "H001.PCX"},    {1, 0, "H010.PCX"}, {0, 2, nullptr},
        {1, 1, nullptr},    {2, 0, nullptr},       {3, 0, nullptr},    {-1, 0, nullptr},
        {0, -1, nullptr},   {1 << 30, 0, nullptr},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(::testing::Message() << "set " << p.set << ", tile " << p.tile);
        const TileRecord* record = std::as_const(database).RecordAt(p.set, p.tile);
        if (p.name == nullptr) {
            EXPECT_EQ(record, nullptr);
            EXPECT_EQ(database.RecordAt(p.set, p.tile), nullptr);
            continue;
        }
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(NameText(record->name), p.name);
        EXPECT_EQ(database.RecordAt(p.set, p.tile), record);  // the same tile, writable
    }

    struct Id {
        int32_t id;
        std::optional<int> position;
    };
    const Id ids[] = {{0, 0}, {1, 1}, {16, 2}, {2, std::nullopt}, {-1, std::nullopt}};
    for (const Id& c : ids) {
        SCOPED_TRACE(::testing::Message() << "id " << c.id);
        EXPECT_EQ(database.PositionOfId(c.id), c.position);
    }
    // Two entries with one id: the first in index order.
    database.index[2].id = 1;
    EXPECT_EQ(database.PositionOfId(1), 1);
    EXPECT_EQ(database.PositionOfId(16), std::nullopt);
    EXPECT_EQ(TileNameById(database, 1), "H001.PCX");
}

TEST(Lookups, FindByNamePrefixIdAndPosition) {
    const TileDatabase database = testing::MakeDatabase({
        TileSet{4, {testing::MakeTile("H001.PCX"), testing::MakeTile("H0A3.PCX")}},
        TileSet{1, {testing::MakeTile("h0a3.pcx")}},
    });
    const TileIndexEntry* entry = FindIndexEntryByName(database, "h0a");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(NameText(entry->name), "H0A3.PCX");  // the first in index order
    EXPECT_EQ(FindIndexEntryByName(database, ""), &database.index[0]);
    EXPECT_EQ(FindIndexEntryByName(database, "H0A3.PCXX"), nullptr);
    EXPECT_EQ(FindIndexEntryByName(database, "Z"), nullptr);

    EXPECT_EQ(TileNameById(database, 16), "h0a3.pcx");
    EXPECT_EQ(TileNameById(database, 5), "");
    EXPECT_EQ(database.PositionOfId(16), 2);
    EXPECT_EQ(database.PositionOfId(5), std::nullopt);
    EXPECT_EQ(database.Tile(database.index[2]), &database.sets[1].tiles[0]);

    TileDatabase freed = database;
    FreeTileDatabase(freed);
    EXPECT_EQ(freed.setCount(), 0);
    EXPECT_EQ(freed.tileCount(), 0);
}

}  // namespace
}  // namespace lorvane
