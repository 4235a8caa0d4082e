// The database commands of the main window on the scripted platform: a new
// Texture.bin, sets and tiles, set types, export and import, with their
// dialogs, messages, menu states, tile list and files.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/format.h"
#include "shell/command_fixture.h"
#include "support/pcx_writer.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace lorvane::testing {
namespace {

using Kind = ScriptedPlatform::DialogCall::Kind;
using Press = ScriptedDialogs::SetPress;

class DatabaseCommandTest : public CommandTest {
  protected:
    // A tiles folder with Tiles.txt naming the tiles in order.
    std::filesystem::path TilesFolder(const std::vector<std::string>& names) {
        const auto tiles = folder / "tiles";
        std::filesystem::create_directories(tiles);
        std::ofstream list(tiles / "Tiles.txt");
        list << "Tile list\n";
        for (const std::string& name : names) list << name << "\n";
        return tiles;
    }
    // Two sets: set 0 with H000 and H001 (a road on H000), set 1 with H010.
    void LoadTwoSets() {
        state.session.Replace(MakeDatabase({
            TileSet{4,
                    {MakeTile("H000.PCX", {{10, 60, 100, 200, 300, 400}}), MakeTile("H001.PCX")}},
            TileSet{9, {MakeTile("H010.PCX")}},
        }));
        state.session.document().MarkSaved();  // as if just read from its file
    }
    // A multiple choice of tiles in the folder.
    void AnswerTiles(const std::vector<std::string>& names) {
        FileChoice choice = FileChoice::Chosen(folder / "x");
        choice.path = choice.folderPart();
        choice.fileNames = names;
        platform.choices.push_back(choice);
    }
    std::vector<int> ListIds() const {
        std::vector<int> ids;
        for (const TileListRow& row : shell.tileList().rows)
            ids.push_back(state.session.database().index[static_cast<size_t>(row.position)].id);
        return ids;
    }
};

TEST_F(DatabaseCommandTest, DatabaseCommandsDoNothingWithoutADatabase) {
    for (int id : {kMenuAddSet, kMenuAddTilesToSet, kMenuChangeSetType, kMenuExportTiles,
                   kMenuImportTiles, kMenuSaveTextureBin}) {
        SCOPED_TRACE(id);
        shell.HandleCommand(id);
    }
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_TRUE(dialogs.setViews.empty());
}

TEST_F(DatabaseCommandTest, NewDatabaseIsBuiltThenSavedAsTextureBinInItsFolder) {
    platform.settings["Paths/Work2"] = "/old-tiles/";
    EXPECT_FALSE(Enabled(kMenuSaveTextureBin));
    const auto tiles = TilesFolder({"H0A0.PCX", "H0A1.PCX", "H0B0.PCX"});
    Answer(tiles / "H0A0.PCX");
    const auto saved = folder / "Texture.bin";
    Answer(saved);
    shell.HandleCommand(kMenuGenerateTextureBin);

    ASSERT_EQ(platform.dialogs.size(), 2u);
    const FileDialogRequest& pick = platform.dialogs[0].request;
    EXPECT_EQ(platform.dialogs[0].kind, Kind::Open);
    EXPECT_EQ(pick.title, "Select New Tiles Folder by Its Tiles.txt");
    EXPECT_EQ(pick.filter, "Tiles.txt and tile images|Tiles.txt;*.pcx;*.PCX||");
    EXPECT_EQ(pick.proposedName, "Tiles.txt");
    EXPECT_EQ(pick.startFolder, "/old-tiles/");
    // The save dialog follows at once, proposing Texture.bin in the folder.
    EXPECT_EQ(platform.dialogs[1].kind, Kind::Save);
    EXPECT_EQ(platform.dialogs[1].request.title, "Save Texture.bin File");
    EXPECT_EQ(platform.dialogs[1].request.proposedName, "Texture.bin");
    EXPECT_EQ(platform.dialogs[1].request.startFolder, tiles / "");

    EXPECT_TRUE(platform.messages.empty());
    // Built, then saved: two notices, each naming its folder or file.
    ASSERT_EQ(platform.notices.size(), 2u);
    EXPECT_EQ(platform.notices[0], (Message{"Texture.bin generated: 2 Sets  3 Tiles",
                                            "Texture.bin Generated", MessageIcon::Information}));
    EXPECT_EQ(platform.notices[0].detail, PathToUtf8(tiles / ""));
    EXPECT_EQ(platform.notices[1], (Message{"Texture.bin saved: 2 Sets  3 Tiles",
                                            "Texture.bin Saved", MessageIcon::Information}));
    EXPECT_EQ(platform.notices[1].detail, PathToUtf8(saved));
    EXPECT_TRUE(state.session.loaded());
    EXPECT_FALSE(Enabled(kMenuSaveTextureBin));  // saved: nothing left to save
    EXPECT_TRUE(Enabled(kMenuAddSet));
    EXPECT_EQ(state.session.database().setCount(), 2);
    EXPECT_EQ(state.session.database().tileCount(), 3);
    EXPECT_EQ(platform.settings["Paths/Work2"], (tiles / "").string());
    const auto reread = LoadTextureBin(saved, platform);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->index.size(), 3u);
    EXPECT_EQ(reread->index[2].id, 16);
    EXPECT_FALSE(panel->panel().HasUnsavedEdits());
}

TEST_F(DatabaseCommandTest, NewDatabaseRefusalsLeaveTheOldOne) {
    LoadTwoSets();
    // Cancelled folder dialog: nothing at all.
    shell.HandleCommand(kMenuGenerateTextureBin);
    EXPECT_EQ(platform.dialogs.size(), 1u);
    // A folder without Tiles.txt.
    const auto empty = folder / "empty";
    std::filesystem::create_directories(empty);
    Answer(empty / "H000.PCX");
    shell.HandleCommand(kMenuGenerateTextureBin);
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"Could not find the Tiles.txt file in this folder.",
                                     "File Error", MessageIcon::Error}}));
    EXPECT_EQ(platform.dialogs.size(), 2u);  // no save dialog
    EXPECT_EQ(state.session.database().tileCount(), 3);
    EXPECT_EQ(platform.settings.count("Paths/Work2"), 0u);
    // Built, but the save is cancelled, or the file cannot be written.
    const auto tiles = TilesFolder({"H0A0.PCX"});
    for (const auto& target : {std::filesystem::path(), folder / "no" / "such" / "Texture.bin"}) {
        SCOPED_TRACE(target.string());
        Answer(tiles / "Tiles.txt");
        if (target.empty())
            platform.choices.push_back(FileChoice::Cancelled());
        else
            Answer(target);
        shell.HandleCommand(kMenuGenerateTextureBin);
        EXPECT_EQ(state.session.database().tileCount(), 3);
        EXPECT_EQ(state.session.database().setCount(), 2);
        EXPECT_FALSE(panel->panel().HasUnsavedEdits());
    }
    EXPECT_EQ(platform.messages.back().caption, "Texture.bin Not Saved");
}

TEST_F(DatabaseCommandTest, AddSetAppendsASetAndSortsTheTileList) {
    LoadTwoSets();
    shell.ShowTileList();
    shell.TileListHeaderClicked(0);  // descending ids
    ASSERT_EQ(ListIds(), (std::vector<int>{16, 1, 0}));
    state.folders.tileFolder = "/tiles/";
    dialogs.setAnswers.push_back({Press{"2", 7}});  // Urban
    AnswerTiles({"H020.PCX", "readme.txt", "h021.pcx"});
    shell.HandleCommand(kMenuAddSet);

    ASSERT_EQ(dialogs.setViews.size(), 1u);
    const SetDialogView& view = dialogs.setViews[0];
    EXPECT_EQ(view.caption, "Add a New Tile Set");
    EXPECT_EQ(view.applyText, "Continue");
    EXPECT_TRUE(view.numberEnabled);
    EXPECT_EQ(view.numberText, "2");  // setCount
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].kind, Kind::OpenSeveral);
    EXPECT_EQ(platform.dialogs[0].request.title, "Select Tiles for Set");
    EXPECT_EQ(platform.dialogs[0].request.filter, "Tile image file|*.pcx||");
    EXPECT_EQ(platform.dialogs[0].request.startFolder, "/tiles/");

    EXPECT_TRUE(platform.messages.empty());
    // readme.txt is no tile: two were added.
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0],
              (Message{"Set 2 added with 2 tiles.", "Set Added", MessageIcon::Information}));
    ASSERT_EQ(state.session.database().setCount(), 3);
    EXPECT_EQ(state.session.database().sets[2].terrainType, 9);
    EXPECT_EQ(state.session.database().sets[2].tileCount(), 2);
    // The list is in ascending id order and the next header click sorts ascending.
    EXPECT_EQ(ListIds(), (std::vector<int>{0, 1, 16, 32, 33}));
    EXPECT_TRUE(shell.tileList().sortAscending);
    // The set dialogs go on from the new set.
    EXPECT_EQ(panel->panel().currentSet(), 2);
    EXPECT_EQ(panel->panel().Readout(kPanelTerrainType), "Urban");
    EXPECT_TRUE(panel->panel().HasUnsavedEdits());
}

TEST_F(DatabaseCommandTest, SetDialogRefusalsAndCancelsChangeNothing) {
    LoadTwoSets();
    // A used set is refused and the dialog stays open; then cancel.
    dialogs.setAnswers.push_back({Press{"0", 0}});
    shell.HandleCommand(kMenuAddSet);
    EXPECT_EQ(platform.messages, (std::vector<Message>{{"The Set# 0 has tiles. Select another Set",
                                                        "Set is used", MessageIcon::Warning}}));
    EXPECT_TRUE(platform.dialogs.empty());
    // Applied, but the tile dialog is cancelled.
    dialogs.setAnswers.push_back({Press{"5", 0}});
    shell.HandleCommand(kMenuAddSet);
    EXPECT_EQ(platform.dialogs.size(), 1u);
    // Adding tiles: 17 picked tiles are refused before anything changes.
    dialogs.setAnswers.push_back({Press{"1", 0}});
    std::vector<std::string> many;
    for (int i = 0; i < 17; ++i) many.push_back(FormatText("H0%02X.PCX", 0x20 + i));
    AnswerTiles(many);
    shell.HandleCommand(kMenuAddTilesToSet);
    EXPECT_EQ(dialogs.setViews.back().caption, "Add Tiles to a Set");
    EXPECT_EQ(platform.dialogs.back().request.title, "Select Tiles to Add");
    EXPECT_EQ(platform.messages.back(),
              (Message{"A Set can only hold 16 tiles.", "Too many Tiles", MessageIcon::Error}));

    EXPECT_EQ(state.session.database().setCount(), 2);
    EXPECT_EQ(state.session.database().tileCount(), 3);
    EXPECT_EQ(state.session.database().sets[1].tileCount(), 1);
    EXPECT_EQ(panel->panel().currentSet(), 0);
    EXPECT_FALSE(panel->panel().HasUnsavedEdits());
}

TEST_F(DatabaseCommandTest, AddingTilesKeepsTheSetTypeAndTheEditsOnScreen) {
    LoadTwoSets();
    // The editor shows H000 of set 0 and draws a segment on it.
    const auto image = folder / "H000.PCX";
    WriteFileBytes(image, WritePcx(MakePatternPicture(16, 16, 3)));
    panel->panel().LoadTileImage(image.string(), "H000.PCX");
    panel->HandleCommand(kPanelNewPath);
    panel->Click(30, 30);
    panel->Click(150, 150);
    panel->RightClick(150, 150);
    ASSERT_EQ(panel->panel().tables().pathCount(), 2);

    dialogs.setAnswers.push_back({Press{"1", 0}});  // Water chosen, set 1 keeps Urban
    AnswerTiles({"H011.PCX"});
    shell.HandleCommand(kMenuAddTilesToSet);
    EXPECT_EQ(state.session.database().sets[1].terrainType, 9);
    EXPECT_EQ(state.session.database().sets[1].tileCount(), 2);
    EXPECT_EQ(platform.notices.back(),
              (Message{"1 tile added to Set 1.", "Tiles Added", MessageIcon::Information}));
    // The refused additions said nothing was done.
    EXPECT_EQ(platform.notices.size(), 1u);
    // The segment went into H000, not into the new tile.
    EXPECT_EQ(state.session.database().sets[0].tiles[0].pathCount(), 2);
    EXPECT_EQ(state.session.database().sets[1].tiles[1].pathCount(), 0);
    // The header (and the set dialogs) stay with the set of the tile on screen.
    EXPECT_EQ(panel->panel().currentSet(), 0);
    EXPECT_EQ(panel->panel().Readout(kPanelSetNumber), "0");
    EXPECT_EQ(panel->panel().Readout(kPanelTerrainType), TypeName(4));
    // Drawing goes on into the tile on screen, and only into it.
    panel->Click(200, 200);
    panel->Click(250, 250);
    panel->RightClick(250, 250);
    panel->panel().WriteBackTileOnScreen();
    EXPECT_EQ(state.session.database().sets[0].tiles[0].pathCount(), 3);
    EXPECT_EQ(state.session.database().sets[1].tiles[1].pathCount(), 0);
    EXPECT_EQ(state.session.database().sets[1].tiles[0].pathCount(), 0);
}

TEST_F(DatabaseCommandTest, ChangingTheTypeChangesExactlyTheCurrentSet) {
    LoadTwoSets();
    shell.ShowTileList();
    // The tile on screen is one of set 1.
    const auto image = folder / "H010.PCX";
    WriteFileBytes(image, WritePcx(MakePatternPicture(16, 16, 3)));
    panel->panel().LoadTileImage(image.string(), "H010.PCX");
    ASSERT_EQ(panel->panel().currentSet(), 1);
    dialogs.setAnswers.push_back({Press{"", 5}});  // Thick Forest
    shell.HandleCommand(kMenuChangeSetType);
    const SetDialogView& view = dialogs.setViews.at(0);
    EXPECT_EQ(view.caption, "Edit Set Terrain Type");
    EXPECT_EQ(view.applyText, "Apply Change");
    EXPECT_FALSE(view.numberEnabled);
    EXPECT_EQ(view.numberText, "1");
    EXPECT_EQ(view.typePosition, 7);  // Urban
    EXPECT_EQ(state.session.database().sets[1].terrainType, 7);
    EXPECT_EQ(state.session.database().sets[0].terrainType, 4);
    EXPECT_EQ(state.session.database().index[2].terrainType, 7);
    EXPECT_EQ(state.session.database().index[0].terrainType, 4);
    EXPECT_EQ(shell.tileList().rows[2].cells[3], "Thick Forest");
    EXPECT_EQ(panel->panel().Readout(kPanelTerrainType), "Thick Forest");
    EXPECT_TRUE(platform.dialogs.empty());

    // Cancelled: nothing.
    shell.HandleCommand(kMenuChangeSetType);
    EXPECT_EQ(state.session.database().sets[1].terrainType, 7);
}

TEST_F(DatabaseCommandTest, ExportAndImportCarryTheTilesChanged) {
    // A database without a file: every tile with entries is new since.
    LoadTwoSets();
    platform.settings["Paths/Work2"] = "/not-read/";
    const auto file = folder / "tiles.exp";
    platform.choiceAnswers.push_back(kSinceOpened);
    Answer(file);
    shell.HandleCommand(kMenuExportTiles);
    ASSERT_EQ(platform.choiceQuestions.size(), 1u);
    EXPECT_EQ(platform.choiceQuestions[0].question.text, kExportSinceQuestion);
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].kind, Kind::Save);
    EXPECT_EQ(platform.dialogs[0].request.title, "Save Tile Export File");
    EXPECT_EQ(platform.dialogs[0].request.proposedName, "*.*");
    EXPECT_EQ(platform.dialogs[0].request.startFolder, "");  // held in memory only
    // What was done stops nobody: a notice naming the file, no box (the
    // warning about the base's missing tiles is one).
    const auto completed = [&](const char* caption) {
        return std::count_if(platform.messages.begin(), platform.messages.end(),
                             [&](const Message& shown) { return shown.caption == caption; });
    };
    EXPECT_EQ(completed("Export Completed"), 0);
    ASSERT_FALSE(platform.notices.empty());
    EXPECT_EQ(platform.notices.back(), (Message{"1 tile exported: H000.PCX.", "Export Completed",
                                                MessageIcon::Information}));
    EXPECT_EQ(platform.notices.back().detail, PathToUtf8(file));
    EXPECT_EQ(ReadFileBytes(file).size(), 4u + 16 + 24);

    // Into another database whose H010 place (set 1, tile 0) is H000's (0, 0).
    state.session.database() = MakeDatabase({TileSet{1, {MakeTile("H100.PCX")}}});
    shell.ShowTileList();
    platform.choiceAnswers.push_back(kImport);
    Answer(file);
    shell.HandleCommand(kMenuImportTiles);
    EXPECT_EQ(platform.dialogs.back().request.title, "Open Tile Import File");
    EXPECT_TRUE(platform.dialogs.back().request.fileMustExist);
    EXPECT_EQ(completed("Import Completed"), 0);
    EXPECT_EQ(platform.notices.back(),
              (Message{"1 tile imported.", "Import Completed", MessageIcon::Information}));
    EXPECT_EQ(platform.notices.back().detail, PathToUtf8(file));
    EXPECT_EQ(state.session.database().sets[0].tiles[0].pathCount(), 1);
    EXPECT_EQ(shell.tileList().rows[0].cells[5], "1");

    // Failed and cancelled dialogs.
    platform.choiceAnswers.push_back(kSinceOpened);
    AnswerFailed(7);
    shell.HandleCommand(kMenuExportTiles);
    AnswerFailed(8);
    shell.HandleCommand(kMenuImportTiles);
    shell.HandleCommand(kMenuImportTiles);
    const size_t n = platform.messages.size();
    EXPECT_EQ(platform.messages[n - 2].text, "Export file open error# 7");
    EXPECT_EQ(platform.messages[n - 1].text, "Import file open error# 8");
    EXPECT_EQ(platform.messages[n - 1].caption, "Error");
}

}  // namespace
}  // namespace lorvane::testing
