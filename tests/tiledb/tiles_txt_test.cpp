#include "tiledb/tiles_txt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

using Strings = std::vector<std::string>;

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

TEST(TilesTxtPieces, SplitLinesIntoPiecesOfAtMost19Characters) {
    const std::string nineteen(19, 'a');
    const struct {
        std::string text;
        Strings pieces;
    } cases[] = {
        {"H0A1.PCX\n", {"H0A1.PCX\n"}},
        {"H0A1.PCX", {"H0A1.PCX"}},  // no line end at the end of the file
        {"H0A1.PCX\r\nH0A2.PCX\r\n", {"H0A1.PCX\n", "H0A2.PCX\n"}},
        {"H0A1.PCX\rH0A2.PCX\r", {"H0A1.PCX\n", "H0A2.PCX\n"}},
        {"\n\n", {"\n", "\n"}},
        // 18 characters and CR LF make one piece of 19.
        {std::string(18, 'a') + "\r\n", {std::string(18, 'a') + "\n"}},
        // 19 characters fill a piece; the line end is a piece of its own.
        {nineteen + "\n", {nineteen, "\n"}},
        // A line of 25 characters is two pieces.
        {std::string(25, 'b') + "\n", {std::string(19, 'b'), std::string(6, 'b') + "\n"}},
        {std::string(40, 'c'), {std::string(19, 'c'), std::string(19, 'c'), "cc"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TilesTxtPieces(c.text), c.pieces) << c.text;
}

TEST(TilesTxtNames, KeepTheFirst12CharactersOfPiecesThatBeginWithH) {
    const struct {
        std::string text;
        Strings names;
    } cases[] = {
        {"H0A1.PCX\nh0a2.pcx\n", {"H0A1.PCX", "h0a2.pcx"}},
        // The line end never belongs to a name, whatever its form.
        {"H0A1.PCX\r\nH0A2.PCX\rH0A3.PCX\n", {"H0A1.PCX", "H0A2.PCX", "H0A3.PCX"}},
        // Blank lines, headings and indented names are not tiles.
        {"Tiles of the north\n\n H0A1.PCX\n# H0A2.PCX\nH0A3.PCX\n", {"H0A3.PCX"}},
        {"H0A1.PCX old name\n", {"H0A1.PCX old"}},
        {"H0A1.PCXABCDEFGHIJ\n", {"H0A1.PCXABCD"}},
        // 25 characters: the second piece is a tile when it begins with h.
        {"H0A1.PCX...........h0a2.pcx\n", {"H0A1.PCX....", "h0a2.pcx"}},
        {"H0A1.PCX...........x0a2.pcx\n", {"H0A1.PCX...."}},
        {std::string("H0A1\0.PCX\n", 10), {"H0A1"}},
        {"no tiles\nat all\n", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TilesTxtNames(c.text), c.names) << c.text;
}

struct ExpectedTile {
    int set;
    int tile;
    int id;
    const char* name;
};

TEST(BuildTileDatabase, GroupsConsecutiveNamesWithTheSameSetKey) {
    const struct {
        const char* what;
        Strings names;
        std::vector<int> setSizes;
        std::vector<ExpectedTile> index;
    } cases[] = {
        {"keys 0x0A, 0x0A, 0x0B",
         {"H0A3.PCX", "H0A7.PCX", "H0B1.PCX"},
         {2, 1},
         {{0, 0, 0, "H0A3.PCX"}, {0, 1, 1, "H0A7.PCX"}, {1, 0, 16, "H0B1.PCX"}}},
        {"one key for all",
         {"H051.PCX", "H05F.PCX", "H050.PCX"},
         {3},
         {{0, 0, 0, "H051.PCX"}, {0, 1, 1, "H05F.PCX"}, {0, 2, 2, "H050.PCX"}}},
        {"keys 1, 2, 1 give three sets",
         {"H011.PCX", "H021.PCX", "H012.PCX"},
         {1, 1, 1},
         {{0, 0, 0, "H011.PCX"}, {1, 0, 16, "H021.PCX"}, {2, 0, 32, "H012.PCX"}}},
        {"positions follow the order, not the key",
         {"HFF0.PCX", "H000.PCX"},
         {1, 1},
         {{0, 0, 0, "HFF0.PCX"}, {1, 0, 16, "H000.PCX"}}},
        {"no tiles", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog messages;
        const auto database = BuildTileDatabase(c.names, messages);
        ASSERT_TRUE(database.has_value());
        EXPECT_TRUE(messages.messages.empty());
        std::vector<int> sizes;
        for (const TileSet& set : database->sets) {
            sizes.push_back(set.tileCount());
            EXPECT_EQ(set.terrainType, 0);
        }
        EXPECT_EQ(sizes, c.setSizes);
        ASSERT_EQ(database->index.size(), c.index.size());
        for (size_t i = 0; i < c.index.size(); ++i) {
            const TileIndexEntry& entry = database->index[i];
            const ExpectedTile& expected = c.index[i];
            EXPECT_EQ(entry.setIndex, expected.set);
            EXPECT_EQ(entry.tileIndex, expected.tile);
            EXPECT_EQ(entry.id, expected.id);
            EXPECT_EQ(NameText(entry.name), expected.name);
            EXPECT_EQ(entry.number, TileNumberFromName(expected.name));
            EXPECT_EQ(entry.terrainType, 0);
            EXPECT_EQ(entry.modified, 0);
            const TileRecord* tile = database->Tile(entry);
            ASSERT_NE(tile, nullptr);
            EXPECT_EQ(tile->id, expected.id);
            EXPECT_EQ(tile->name, MakeTileName(expected.name));
            EXPECT_EQ(tile->pathCount() + tile->areaCount() + tile->modified, 0);
        }
    }
}

// Names of count tiles in one set (key 0x12) and then a name of set key.
Strings OneSet(int count) {
    Strings names;
    for (int k = 0; k < count; ++k) {
        char name[20];
        std::snprintf(name, sizeof name, "H12%X.PCX", k % 16);
        names.emplace_back(name);
    }
    return names;
}

// count sets of one tile each, keys alternating so that none merge.
Strings ManySets(int count) {
    Strings names;
    for (int s = 0; s < count; ++s) {
        char name[20];
        std::snprintf(name, sizeof name, "H%02X0.PCX", s % 2);
        names.emplace_back(name);
    }
    return names;
}

TEST(BuildTileDatabase, RefusesWhatATileNumberCannotHold) {
    const struct {
        const char* what;
        Strings names;
        const char* message;  // null: built
    } cases[] = {
        {"16 tiles in a set", OneSet(16), nullptr},
        {"17 tiles in a set", OneSet(17),
         "Set 0 in Tiles.txt (tiles H120.PCX to H120.PCX) has 17 tiles. A Set can only hold 16 "
         "tiles."},
        {"256 sets", ManySets(256), nullptr},
        {"257 sets", ManySets(257),
         "Tiles.txt lists more than 256 sets: set 256 would begin with the tile H000.PCX. A "
         "Texture.bin can hold at most 256 sets."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog messages;
        const auto database = BuildTileDatabase(c.names, messages);
        if (c.message == nullptr) {
            EXPECT_TRUE(database.has_value());
            EXPECT_TRUE(messages.messages.empty());
            continue;
        }
        EXPECT_FALSE(database.has_value());
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0], (Message{c.message, "File Error", MessageIcon::Error}));
    }
    // The set named is the one that is too big, not the first.
    Strings names = {"H010.PCX"};
    for (const std::string& name : OneSet(18)) names.push_back(name);
    MessageLog messages;
    EXPECT_FALSE(BuildTileDatabase(names, messages).has_value());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(
        messages.messages[0].text,
        "Set 1 in Tiles.txt (tiles H120.PCX to H121.PCX) has 18 tiles. A Set can only hold 16 "
        "tiles.");
}

class BuildFromFolder : public ::testing::Test {
  protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_ = testing::MakeTempFolder("tiles-txt");
};

TEST_F(BuildFromFolder, MissingTilesTxtLeavesNothingBuilt) {
    MessageLog messages;
    EXPECT_FALSE(BuildTextureBinFromFolder(folder_, messages).has_value());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], (Message{"Could not find the Tiles.txt file in this folder.",
                                             "File Error", MessageIcon::Error}));
    // A folder named Tiles.txt is not the file.
    std::filesystem::create_directory(folder_ / "Tiles.txt");
    EXPECT_FALSE(BuildTextureBinFromFolder(folder_, messages).has_value());
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(BuildFromFolder, BuildsFromTheFileAndSavesWhatLoadsBack) {
    // A list written on another system: CR LF line ends, a heading, a blank line.
    WriteText(folder_ / "TILES.TXT", "New tiles\r\n\r\nH0A3.PCX\r\nh0a4.pcx\r\nH0B1.PCX\r\n");
    MessageLog messages;
    const auto database = BuildTextureBinFromFolder(folder_, messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(database->setCount(), 2);
    EXPECT_EQ(database->tileCount(), 3);
    EXPECT_EQ(NameText(database->sets[0].tiles[1].name), "h0a4.pcx");
    // The names carry no line end, so the lookups by the full name find them.
    const TileIndexEntry* entry = FindIndexEntryByName(*database, "H0B1.PCX");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->id, 16);

    const auto reloaded = ParseTextureBin(SerializeTextureBin(*database), messages);
    ASSERT_TRUE(reloaded.has_value());
    EXPECT_EQ(SerializeTileInfo(*reloaded), SerializeTileInfo(*database));
}

TEST_F(BuildFromFolder, TheFolderIsPickedThroughAnyFileInIt) {
    const FileDialogRequest request = TilesFolderRequest("/work/texture");
    EXPECT_EQ(request.title, "Select New Tiles Folder by Its Tiles.txt");
    EXPECT_EQ(request.filter, "Tiles.txt and tile images|Tiles.txt;*.pcx;*.PCX||");
    EXPECT_EQ(request.proposedName, "Tiles.txt");
    WriteText(folder_ / "Tiles.txt", "H001.PCX\n");
    const FileChoice choice = FileChoice::Chosen(folder_ / "H001.PCX");
    MessageLog messages;
    const auto database = BuildTextureBinFromFolder(choice.folderPart(), messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_EQ(database->tileCount(), 1);
}

TEST_F(BuildFromFolder, AnEmptyListBuildsAnEmptyDatabase) {
    WriteText(folder_ / "Tiles.txt", "");
    MessageLog messages;
    const auto database = BuildTextureBinFromFolder(folder_, messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_EQ(database->setCount(), 0);
    EXPECT_EQ(database->tileCount(), 0);
}

}  // namespace
}  // namespace lorvane
