#include "tiledb/tile_sets.h"

#include <gtest/gtest.h>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

using Strings = std::vector<std::string>;

// count tiles named H<set><k>.PCX.
std::vector<TileRecord> Tiles(int set, int count) {
    std::vector<TileRecord> tiles;
    for (int k = 0; k < count; ++k) {
        char name[20];
        std::snprintf(name, sizeof name, "H%02X%X.PCX", set, k);
        tiles.push_back(testing::MakeTile(name));
    }
    return tiles;
}

// Set 0: 3 Plains tiles; set 1: empty; set 2: 16 Urban tiles; set 3: 10
// Rocky tiles.
TileDatabase SampleDatabase() {
    return testing::MakeDatabase({TileSet{4, Tiles(0, 3)}, TileSet{0, {}}, TileSet{9, Tiles(2, 16)},
                                  TileSet{8, Tiles(3, 10)}});
}

// Everything a change could touch: the file, the index with its marks.
std::vector<std::byte> Snapshot(const TileDatabase& database) {
    std::vector<std::byte> bytes = SerializeTextureBin(database);
    const std::vector<std::byte> index = SerializeTileInfo(database);
    bytes.insert(bytes.end(), index.begin(), index.end());
    return bytes;
}

TEST(SetTypes, NamesAndCodesGiveTheListPosition) {
    EXPECT_EQ(SetTypeNames(), (Strings{"Water", "Swamp", "Plains", "Brush", "Thin Forest",
                                       "Thick Forest", "Rocky", "Urban"}));
    const std::vector<std::pair<std::string, std::optional<int>>> cases = {
        {"Water", 0},
        {"thin forest", 4},
        {"THICK FOREST", 5},
        {"6", 4},
        {"9", 7},
        {"1", 0},
        {"Road", std::nullopt},
        {"2", std::nullopt},
        {"0", std::nullopt},
        {"", std::nullopt},
        {"Thin", std::nullopt},
        {"Runway", std::nullopt},
    };
    for (const auto& [text, position] : cases)
        EXPECT_EQ(SetTypePositionFromText(text), position) << text;
}

TEST(ChangeSetTerrainType, ChangesTheSetAndExactlyItsIndexEntries) {
    TileDatabase database = SampleDatabase();
    // A tile added to set 0 later has its entry at the end of the index.
    NullMessages messages;
    ASSERT_TRUE(AddTilesToSet(database, 0, 4, Strings{"H003.PCX"}, messages));
    ASSERT_TRUE(ChangeSetTerrainType(database, 0, 6));
    EXPECT_EQ(database.sets[0].terrainType, 6);
    EXPECT_EQ(IndexPositionsOfSet(database, 0), (std::vector<int>{0, 1, 2, 29}));
    for (const TileIndexEntry& entry : database.index) {
        const int expected = entry.setIndex == 0
                                 ? 6
                                 : database.sets[static_cast<size_t>(entry.setIndex)].terrainType;
        EXPECT_EQ(entry.terrainType, expected) << entry.id;
    }
    EXPECT_EQ(database.sets[2].terrainType, 9);
    EXPECT_FALSE(ChangeSetTerrainType(database, 4, 6));
    EXPECT_FALSE(ChangeSetTerrainType(database, -1, 6));
}

TEST(SetDialog, StartsEachModeWithItsCaptionNumberAndType) {
    const TileDatabase database = SampleDatabase();
    const struct {
        SetDialogMode mode;
        int currentSet;
        const char* caption;
        const char* applyText;
        bool numberEnabled;
        const char* number;
        int typePosition;
        bool showsType;  // adding tiles keeps the set's type
    } cases[] = {
        {SetDialogMode::ChangeType, 2, "Edit Set Terrain Type", "Apply Change", false, "2", 7,
         true},
        {SetDialogMode::AddSet, 2, "Add a New Tile Set", "Continue", true, "4", 7, true},
        {SetDialogMode::AddTiles, 3, "Add Tiles to a Set", "Continue", true, "3", 6, false},
        // Type 0 is not in the list, and a set that does not exist has none.
        {SetDialogMode::AddTiles, 1, "Add Tiles to a Set", "Continue", true, "1", 0, false},
        {SetDialogMode::ChangeType, 9, "Edit Set Terrain Type", "Apply Change", false, "9", 0,
         true},
    };
    for (const auto& c : cases) {
        const SetDialogView view = StartSetDialog(database, c.mode, c.currentSet);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_EQ(view.applyText, c.applyText);
        EXPECT_EQ(view.numberEnabled, c.numberEnabled);
        EXPECT_EQ(view.numberText, c.number) << c.caption;
        EXPECT_EQ(view.typePosition, c.typePosition) << c.caption << ' ' << c.currentSet;
        EXPECT_EQ(view.showsType, c.showsType) << c.caption;
        EXPECT_EQ(view.typeNames, SetTypeNames());
    }
}

TEST(SetDialog, ApplyFollowsTheRulesOfEachMode) {
    const struct {
        const char* what;
        SetDialogMode mode;
        int currentSet;
        const char* number;
        int typePosition;
        SetDialogEnd end;
        int newSet;       // when applied
        int chosenType;   // when applied
        Message warning;  // empty text: none
    } cases[] = {
        {"new set at the end", SetDialogMode::AddSet, 0, "4", 4, SetDialogEnd::Applied, 4, 6, {}},
        {"larger number: still at the end",
         SetDialogMode::AddSet,
         0,
         "70",
         0,
         SetDialogEnd::Applied,
         4,
         1,
         {}},
        {"empty set reused", SetDialogMode::AddSet, 0, "1", 7, SetDialogEnd::Applied, 1, 9, {}},
        {"set with tiles",
         SetDialogMode::AddSet,
         0,
         "0",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# 0 has tiles. Select another Set", "Set is used", MessageIcon::Warning}},
        {"negative set",
         SetDialogMode::AddSet,
         0,
         "-1",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# -1 is not a Set number. Select another Set", "Invalid Set",
          MessageIcon::Warning}},
        {"no number: the one shown",
         SetDialogMode::AddSet,
         0,
         "",
         2,
         SetDialogEnd::Applied,
         4,
         4,
         {}},
        {"full set",
         SetDialogMode::AddTiles,
         0,
         "2",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# 2 has 16 tiles. Select another Set", "Set is Full", MessageIcon::Warning}},
        {"adding keeps the set's type",
         SetDialogMode::AddTiles,
         2,
         "3",
         0,
         SetDialogEnd::Applied,
         3,
         8,
         {}},
        {"empty set accepts tiles",
         SetDialogMode::AddTiles,
         0,
         " 1",
         3,
         SetDialogEnd::Applied,
         1,
         0,
         {}},
        {"set beyond the last",
         SetDialogMode::AddTiles,
         0,
         "4",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# 4 does not exist. Select another Set", "Set Not Found", MessageIcon::Warning}},
        {"negative set to add to",
         SetDialogMode::AddTiles,
         0,
         "-2",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# -2 does not exist. Select another Set", "Set Not Found", MessageIcon::Warning}},
        {"huge number",
         SetDialogMode::AddTiles,
         0,
         "99999999999",
         0,
         SetDialogEnd::StaysOpen,
         0,
         0,
         {"The Set# 2147483647 does not exist. Select another Set", "Set Not Found",
          MessageIcon::Warning}},
        {"change type",
         SetDialogMode::ChangeType,
         3,
         "ignored",
         1,
         SetDialogEnd::Applied,
         3,
         3,
         {}},
        {"change type of no set",
         SetDialogMode::ChangeType,
         7,
         "7",
         1,
         SetDialogEnd::Cancelled,
         0,
         0,
         {"The Set# 7 does not exist. Load a tile of the set first", "Set Not Found",
          MessageIcon::Warning}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TileDatabase database = SampleDatabase();
        const std::vector<std::byte> before = Snapshot(database);
        MessageLog messages;
        const SetDialogOutcome outcome =
            ApplySetDialog(database, c.mode, c.currentSet, c.number, c.typePosition, messages);
        EXPECT_EQ(outcome.end, c.end);
        if (c.warning.text.empty()) {
            EXPECT_TRUE(messages.messages.empty());
        } else {
            EXPECT_EQ(messages.messages, std::vector<Message>{c.warning});
        }
        if (c.end == SetDialogEnd::Applied) {
            EXPECT_EQ(outcome.currentSet, c.newSet);
            EXPECT_EQ(outcome.chosenType, c.chosenType);
            EXPECT_EQ(outcome.terrainLabel, TypeName(c.chosenType));
        }
        // Only an applied type change changes the database.
        const bool changes = c.mode == SetDialogMode::ChangeType && c.end == SetDialogEnd::Applied;
        EXPECT_EQ(Snapshot(database) == before, !changes);
        if (changes) {
            EXPECT_EQ(database.sets[static_cast<size_t>(c.newSet)].terrainType, c.chosenType);
            EXPECT_EQ(outcome.changedRows, IndexPositionsOfSet(database, c.newSet));
            EXPECT_EQ(outcome.changedRows.size(), 10u);
        }
    }
}

TEST(AddTilesToSet, RefusesMoreThan16TilesBeforeAnythingChanges) {
    const struct {
        const char* what;
        int set;
        Strings names;
        bool added;
    } cases[] = {
        {"10 + 6",
         3,
         {"H03A.PCX", "H03B.PCX", "H03C.PCX", "H03D.PCX", "H03E.PCX", "H03F.PCX"},
         true},
        {"10 + 7",
         3,
         {"H03A.PCX", "H03B.PCX", "H03C.PCX", "H03D.PCX", "H03E.PCX", "H03F.PCX", "H040.PCX"},
         false},
        {"17 for a new set", 4, {}, false},
        {"16 tiles and other files for a new set", 4, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Strings names = c.names;
        if (names.empty()) {
            for (const TileRecord& tile : Tiles(4, 16)) names.emplace_back(NameText(tile.name));
            if (c.added) {
                names.insert(names.begin() + 3, "readme.txt");
                names.push_back("Thumbs.db");
            } else {
                names.push_back("h050.pcx");
            }
        }
        TileDatabase database = SampleDatabase();
        const std::vector<std::byte> before = Snapshot(database);
        MessageLog messages;
        const auto added = AddTilesToSet(database, c.set, 8, names, messages);
        EXPECT_EQ(added.has_value(), c.added);
        if (c.added) {
            EXPECT_TRUE(messages.messages.empty());
            EXPECT_EQ(database.sets[static_cast<size_t>(c.set)].tileCount(), 16);
            EXPECT_EQ(added->lastTile, 15);
        } else {
            EXPECT_EQ(messages.messages,
                      (std::vector<Message>{{"A Set can only hold 16 tiles.", "Too many Tiles",
                                             MessageIcon::Error}}));
            EXPECT_EQ(Snapshot(database), before);
        }
    }
}

TEST(AddTilesToSet, RefusesLongNamesAndPicksWithoutTiles) {
    const struct {
        Strings names;
        Message message;
    } cases[] = {
        {{"H040.PCX", "H041.PCX.backup", "H042_final.pcx"},
         {"A tile name can have at most 12 characters; these are longer: H041.PCX.backup, "
          "H042_final.pcx. No tile was added.",
          "Tile Name Too Long", MessageIcon::Error}},
        {{"readme.txt", "notes"},
         {"None of the picked files is a tile (tile names begin with H). No tile was added.",
          "No Tiles", MessageIcon::Error}},
    };
    for (const auto& c : cases) {
        TileDatabase database = SampleDatabase();
        const std::vector<std::byte> before = Snapshot(database);
        MessageLog messages;
        EXPECT_FALSE(AddTilesToSet(database, 4, 6, c.names, messages).has_value());
        EXPECT_EQ(messages.messages, std::vector<Message>{c.message});
        EXPECT_EQ(Snapshot(database), before);
    }
    // A name of exactly 12 characters fits.
    TileDatabase database = SampleDatabase();
    MessageLog messages;
    EXPECT_TRUE(AddTilesToSet(database, 4, 6, Strings{"H040.PCX.PCX"}, messages).has_value());
}

TEST(AddTilesToSet, PlacesTilesAndAppendsIndexEntriesAtTheEnd) {
    const struct {
        const char* what;
        int target;
        int set;        // where they land
        int first;      // first new position
        int typeAfter;  // the set's type after adding
    } cases[] = {
        {"to a set with tiles", 0, 0, 3, 6},
        {"to an empty set", 1, 1, 0, 6},
        {"a new set at the end", 4, 4, 0, 6},
        {"a number beyond the end makes the next set", 9, 4, 0, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TileDatabase database = SampleDatabase();
        const size_t oldCount = database.index.size();
        const std::vector<TileIndexEntry> oldIndex = database.index;
        MessageLog messages;
        const auto added =
            AddTilesToSet(database, c.target, 6, Strings{"/tiles/H0C1.PCX", "h0c2.pcx"}, messages);
        ASSERT_TRUE(added.has_value());
        EXPECT_EQ(added->set, c.set);
        EXPECT_EQ(added->lastTile, c.first + 1);
        EXPECT_EQ(database.setCount(), c.target >= 4 ? 5 : 4);
        EXPECT_EQ(database.sets[static_cast<size_t>(c.set)].terrainType, c.typeAfter);
        ASSERT_EQ(database.index.size(), oldCount + 2);
        // The old entries stay where they were, the new ones follow them.
        for (size_t i = 0; i < oldCount; ++i) {
            EXPECT_EQ(database.index[i].id, oldIndex[i].id);
            EXPECT_EQ(database.index[i].terrainType,
                      oldIndex[i].setIndex == c.set ? c.typeAfter : oldIndex[i].terrainType);
        }
        const char* names[] = {"H0C1.PCX", "h0c2.pcx"};
        for (int k = 0; k < 2; ++k) {
            const TileIndexEntry& entry = database.index[oldCount + static_cast<size_t>(k)];
            // The id is the place the tile takes, whatever its name says.
            EXPECT_EQ(entry.id, c.set * 16 + c.first + k);
            EXPECT_EQ(entry.setIndex, c.set);
            EXPECT_EQ(entry.tileIndex, c.first + k);
            EXPECT_EQ(entry.terrainType, 6);
            EXPECT_EQ(NameText(entry.name), names[k]);
            EXPECT_EQ(entry.number, TileNumberFromName(names[k]));
            const TileRecord* tile = database.Tile(entry);
            ASSERT_NE(tile, nullptr);
            EXPECT_EQ(tile->id, entry.id);
            EXPECT_EQ(tile->name, entry.name);
            EXPECT_EQ(tile->pathCount() + tile->areaCount() + tile->modified, 0);
        }
    }
}

TEST(AddTilesToSet, ThroughTheDialogKeepsTheTypeOfTheSetAddedTo) {
    // The editor shows a tile of set 0 (Plains); tiles go to set 3 (Rocky)
    // while the list still shows "Water".
    TileDatabase database = SampleDatabase();
    MessageLog messages;
    const SetDialogOutcome outcome =
        ApplySetDialog(database, SetDialogMode::AddTiles, 0, "3", 0, messages);
    ASSERT_EQ(outcome.end, SetDialogEnd::Applied);
    ASSERT_TRUE(AddTilesToSet(database, outcome.currentSet, outcome.chosenType, Strings{"H03A.PCX"},
                              messages));
    EXPECT_EQ(database.sets[3].terrainType, 8);
    EXPECT_EQ(database.index.back().terrainType, 8);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(PickedNames, DropTheFolderPart) {
    EXPECT_EQ(FileNameOfPath("/work/tiles/H0A1.PCX"), "H0A1.PCX");
    EXPECT_EQ(FileNameOfPath("C:\\Tiles\\New\\h0a2.pcx"), "h0a2.pcx");
    EXPECT_EQ(FileNameOfPath("H0A3.PCX"), "H0A3.PCX");

    FileChoice single = FileChoice::Chosen("/work/tiles/H0A1.PCX");
    EXPECT_EQ(PickedFileNames(single), Strings{"H0A1.PCX"});
    FileChoice several = FileChoice::Chosen("/work/tiles/");
    several.fileNames = {"H0A1.PCX", "H0A2.PCX"};
    EXPECT_EQ(PickedFileNames(several), (Strings{"H0A1.PCX", "H0A2.PCX"}));
    EXPECT_TRUE(PickedFileNames(FileChoice::Cancelled()).empty());

    const FileDialogRequest request = PickTilesRequest(SetDialogMode::AddTiles, "/work/tiles");
    EXPECT_EQ(request.title, "Select Tiles to Add");
    EXPECT_EQ(request.filter, "Tile image file|*.pcx||");
    EXPECT_EQ(PickTilesRequest(SetDialogMode::AddSet, "").title, "Select Tiles for Set");
}

}  // namespace
}  // namespace lorvane
