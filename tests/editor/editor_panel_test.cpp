// The editor panel's commands: choosing and loading tiles with write-back,
// list notifications, the delete dialogs.

#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

using Outcome = FileChoice::Outcome;

TEST_F(PanelTest, StartsCleared) {
    EXPECT_EQ(panel.Readout(kPanelType), " ");
    EXPECT_EQ(panel.Readout(kPanelCentreY), " ");
    EXPECT_TRUE(panel.showPaths());
    EXPECT_TRUE(panel.showAreas());
    // Before a tile is loaded there is no viewer: refresh and New Path do nothing.
    panel.Command(kPanelRefresh);
    host.newPathDialog = [] { return true; };
    panel.Command(kPanelNewPath);
    EXPECT_TRUE(panel.Frame().empty());
    EXPECT_EQ(panel.tool(), ToolKind::Select);
}

TEST_F(PanelTest, LoadingATileShowsItsPlaceAndTakesItsEntriesIn) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H010.PCX");
    EXPECT_EQ(panel.Readout(kPanelTileName), "H010.PCX");
    EXPECT_EQ(panel.Readout(kPanelSetNumber), "1");
    EXPECT_EQ(panel.Readout(kPanelOffset), "16");
    EXPECT_EQ(panel.Readout(kPanelTerrainType), "Urban");
    EXPECT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.pathRows().Rows()[0],
              (ListRow{"01", "River", "120", "200", "3000", "2800", "2400"}));
    EXPECT_TRUE(panel.showsImage());
}

TEST_F(PanelTest, LoadingAnotherTileWritesTheEditedOneBack) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H000.PCX");
    panel.RightClickList(PanelList::Paths, 0);  // removes segment 1
    EXPECT_EQ(database.sets[0].tiles[0].modified, 1);
    EXPECT_EQ(database.index[0].modified, 1);
    LoadTile("H001.PCX");
    const TileRecord& edited = database.sets[0].tiles[0];
    ASSERT_EQ(edited.pathCount(), 1);
    EXPECT_EQ(edited.paths[0], (TilePath{10, 60, 300, 400, 500, 600}));
    EXPECT_EQ(database.index[0].modified, 1);  // the index keeps the mark for export
    EXPECT_EQ(host.updatedRows, (std::vector<int>{0}));
    // An unchanged tile is not written back.
    LoadTile("H010.PCX");
    EXPECT_EQ(host.updatedRows.size(), 1u);
}

TEST_F(PanelTest, ATileNotInTheDatabaseIsShownWithEmptyLists) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H010.PCX");
    ASSERT_EQ(panel.Readout(kPanelSetNumber), "1");
    LoadTile("H7F3.PCX");
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"PCX file H7F3.PCX not in Texture.bin file.",
                                     "Tile Info Not Found", MessageIcon::Error}}));
    // Nothing of H010 is left in the header's fields: they are blank.
    for (int id : {kPanelSetNumber, kPanelOffset, kPanelTerrainType})
        EXPECT_EQ(panel.Readout(id), " ") << id;
    EXPECT_EQ(panel.tables().pathCount(), 0);
    EXPECT_EQ(panel.pathRows().RowCount(), 0u);
    EXPECT_EQ(ItemsOf<FrameImage>(panel.Frame()).size(), 1u);
    // What is drawn now goes into no tile.
    host.newPathDialog = [] { return true; };
    panel.Command(kPanelNewPath);
    Click(5, 5);
    Click(50, 5);
    LoadTile("H001.PCX");
    EXPECT_EQ(database.sets[0].tiles[0].pathCount(), 2);
    EXPECT_EQ(database.sets[0].tiles[0].modified, 0);
}

TEST_F(PanelTest, AnIndexEntryOutOfRangeIsReported) {
    LoadDatabase(TwoSetDatabase());
    database.index[2].tileIndex = 16;
    LoadTile("H010.PCX");
    EXPECT_EQ(platform.messages, (std::vector<Message>{{"Tile: H010.PCX  Set# = 1  Tile# = 16",
                                                        "Tile Index Error", MessageIcon::Error}}));
    EXPECT_EQ(panel.tables().pathCount(), 0);
    EXPECT_EQ(panel.tileOnScreen(), std::nullopt);
}

TEST_F(PanelTest, WithoutADatabaseTheTilePositionComesFromItsName) {
    LoadTile("H0A3.PCX");
    EXPECT_EQ(panel.currentSet(), 10);
    EXPECT_EQ(panel.tileOnScreen(), std::nullopt);  // nothing to draw into
    EXPECT_EQ(panel.Readout(kPanelSetNumber), "");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PanelTest, ALaterDatabaseDoesNotTakeTheTileDrawnBeforeIt) {
    LoadTile("H000.PCX");  // no database yet: position 0, 0 from the name
    LoadDatabase(TwoSetDatabase());
    host.newPathDialog = [] { return true; };
    panel.Command(kPanelNewPath);
    Click(5, 5);
    Click(50, 5);
    LoadTile("H001.PCX");
    // H000.PCX keeps its stored paths: it was never taken in.
    EXPECT_EQ(database.sets[0].tiles[0].pathCount(), 2);
    EXPECT_EQ(database.sets[0].tiles[0].modified, 0);
}

TEST_F(PanelTest, AReloadedDatabaseShowsNoTileFromBefore) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H000.PCX");
    EXPECT_TRUE(panel.showsImage());
    LoadDatabase(TwoSetDatabase());
    EXPECT_FALSE(panel.showsImage());
    EXPECT_EQ(panel.tileOnScreen(), std::nullopt);
    EXPECT_EQ(panel.Readout(kPanelTileName), " ");
    EXPECT_EQ(panel.tables().pathCount(), 0);
    // Nothing can be drawn until a tile of it is loaded.
    NewPath();
    Click(5, 5);
    Click(50, 5);
    panel.Command(kPanelRefresh);
    EXPECT_EQ(panel.tables().pathCount(), 0);
    EXPECT_TRUE(ItemsOf<FrameImage>(panel.Frame()).empty());
    EXPECT_FALSE(panel.HasUnsavedEdits());
    LoadTile("H001.PCX");
    Click(5, 5);
    Click(50, 5);
    EXPECT_EQ(panel.tables().pathCount(), 1);
}

TEST_F(PanelTest, AnUnreadableTileImageLeavesNothingOfTheTileBefore) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H000.PCX");
    const auto missing = (folder / "H010.PCX").string();
    panel.LoadTileImage(missing, "H010.PCX");
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"The tile image " + missing + " could not be read.",
                                     "Tile Image Error", MessageIcon::Error}}));
    EXPECT_FALSE(panel.showsImage());
    EXPECT_EQ(panel.tables().pathCount(), 0);
    EXPECT_EQ(panel.tileOnScreen(), std::nullopt);
}

TEST_F(PanelTest, TheTileDialogTakesAFileOrATypedId) {
    struct Case {
        std::string chosen;    // file name chosen or typed
        std::string tileName;  // loaded, or empty
        std::vector<Message> messages;
    };
    const std::vector<Case> cases = {
        {"h0a3.pcx",
         "h0a3.pcx",
         {{"PCX file h0a3.pcx not in Texture.bin file.", "Tile Info Not Found",
           MessageIcon::Error}}},
        {"16", "H010.PCX", {}},
        // A typed id whose image is not in the folder: nothing shown under its name.
        {"0",
         "H000.PCX",
         {{"The tile image " + (folder / "H000.PCX").string() + " could not be read.",
           "Tile Image Error", MessageIcon::Error}}},
        {"abc", "", {{"An invalid Tile Offset number entered.", "Error", MessageIcon::Error}}},
        {"tile.pcx", "", {{"An invalid Tile Offset number entered.", "Error", MessageIcon::Error}}},
        {"163",
         "",
         {{"An invalid Tile Offset number entered.  Not part of this Texture.bin",
           "Offset Number Error", MessageIcon::Error}}},
    };
    LoadDatabase(TwoSetDatabase());
    WriteTileImage("h0a3.pcx");
    WriteTileImage("H010.PCX");
    for (const Case& c : cases) {
        platform.messages.clear();
        platform.choices.push_back(FileChoice::Chosen(folder / c.chosen));
        panel.Command(kPanelLoadTile);
        EXPECT_EQ(platform.messages, c.messages) << c.chosen;
        if (!c.tileName.empty()) {
            EXPECT_EQ(panel.tileName(), c.tileName) << c.chosen;
            EXPECT_EQ(panel.tileImagePath(), (folder / c.tileName).string());
            EXPECT_EQ(host.storedFolders.back(),
                      (std::pair<std::string, std::string>{"Work2", (folder / "").string()}));
        }
    }
    const FileDialogRequest& request = platform.dialogs[0].request;
    EXPECT_EQ(request.title, "Select a Tile or Enter Tile Offset Number");
    EXPECT_EQ(request.filter, "Tile image file|*.pcx||");
    EXPECT_EQ(request.proposedName, "*.pcx");
    EXPECT_FALSE(request.fileMustExist);
    // A failed dialog is reported; a cancelled one is not.
    platform.messages.clear();
    platform.choices.push_back(FileChoice::Failed(12290));
    platform.choices.push_back(FileChoice::Cancelled());
    panel.Command(kPanelLoadTile);
    panel.Command(kPanelLoadTile);
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"PCX file open error# 12290", "Error", MessageIcon::Error}}));
}

TEST_F(PanelTest, ALongTileNameIsRefused) {
    const std::string name = "H000_a_very_long_tile_image_name.PCX";
    panel.LoadTileImage((folder / name).string(), name);
    EXPECT_EQ(
        platform.messages,
        (std::vector<Message>{{"The tile image name " + name + " is longer than 31 characters.",
                               "Tile Name Error", MessageIcon::Error}}));
    EXPECT_FALSE(panel.showsImage());
}

TEST_F(PanelTest, ListNotifications) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H000.PCX");
    // The spin control's down arrow proposes a positive change.
    panel.SpinDelta(1);
    panel.SpinDelta(-1);
    panel.ListKey(PanelList::Paths, TileStep::Down);
    EXPECT_EQ(host.steps, (std::vector<TileStep>{TileStep::Down, TileStep::Up, TileStep::Down}));
    // A right click with no row selected removes nothing.
    panel.RightClickList(PanelList::Paths, -1);
    panel.RightClickList(PanelList::Areas, -1);
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.tables().areaCount(), 1);
    EXPECT_FALSE(panel.HasPosted());
    EXPECT_EQ(database.sets[0].tiles[0].modified, 0);
    // With a row selected it removes that row's entry and marks the tile.
    panel.RightClickList(PanelList::Paths, 1);
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.tables().Path(1).endX, 300);
    EXPECT_EQ(FirstColumn(panel.pathRows()), (std::vector<std::string>{"01"}));
    EXPECT_EQ(database.sets[0].tiles[0].modified, 1);
    EXPECT_TRUE(panel.HasPosted());
}

TEST_F(PanelTest, ARowStandsForTheEntryOfItsNumber) {
    LoadDatabase(TwoSetDatabase());
    LoadTile("H001.PCX");
    host.newPathDialog = [] { return true; };
    panel.Command(kPanelNewPath);
    Click(5, 5);
    Click(100, 5);
    Click(200, 5);
    RightClick(200, 5);
    const WorkingPath second = panel.tables().Path(2);
    // Row 1 stands for entry 2: the rows are made from the entries.
    panel.RightClickList(PanelList::Paths, 1);
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.tables().Path(1).endY, FeetAt(100, 5).y);
    EXPECT_EQ(FirstColumn(panel.pathRows()), (std::vector<std::string>{"01"}));
    // Undone, entry 2 is back as it was; row 0 then removes entry 1.
    panel.Undo();
    ASSERT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.tables().Path(2), second);
    panel.RightClickList(PanelList::Paths, 0);
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.tables().Path(1), second);
}

TEST_F(PanelTest, DeleteDialogsCheckTheNumber) {
    struct Case {
        PanelList list;
        std::string typed;
        bool removed;
        std::string message;  // empty: none
    };
    LoadDatabase(TwoSetDatabase());
    LoadTile("H000.PCX");
    const std::vector<Case> cases = {
        {PanelList::Paths, "3", false, "There is no number 3.  The available paths are 1 thru 2."},
        {PanelList::Paths, "0", false, "There is no number 0.  The available paths are 1 thru 2."},
        {PanelList::Paths, "x", false, "There is no number 0.  The available paths are 1 thru 2."},
        {PanelList::Areas, "2", false, "There is no number 2.  The available areas are 1 thru 1."},
        {PanelList::Paths, " 1", true, ""},
        {PanelList::Areas, "1", true, ""},
        {PanelList::Areas, "1", false, "There is no number 1.  The available areas are 1 thru 0."},
    };
    for (const Case& c : cases) {
        platform.messages.clear();
        const bool removed = c.list == PanelList::Paths ? panel.DeletePathNumber(c.typed)
                                                        : panel.DeleteAreaNumber(c.typed);
        EXPECT_EQ(removed, c.removed) << c.typed;
        if (c.message.empty()) {
            EXPECT_TRUE(platform.messages.empty());
        } else {
            EXPECT_EQ(
                platform.messages,
                (std::vector<Message>{
                    {c.message, c.list == PanelList::Paths ? "Path Not Found" : "Area Not Found",
                     MessageIcon::Exclamation}}))
                << c.typed;
        }
    }
    EXPECT_EQ(panel.tables().pathCount(), 1);
    // The tile is marked for export, in its record and its index entry.
    EXPECT_EQ(database.sets[0].tiles[0].modified, 1);
    EXPECT_EQ(database.index[0].modified, 1);
}

TEST_F(PanelTest, DeletingArea1Of2LeavesRow01) {
    LoadDatabase(
        MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {}, {{1, 10, 20, 30}, {3, 40, 50, 60}})}}}));
    LoadTile("H000.PCX");
    EXPECT_TRUE(panel.DeleteAreaNumber("1"));
    EXPECT_EQ(panel.areaRows().Rows(), (std::vector<ListRow>{{"01", "Swamp", "40", "50", "60"}}));
}

TEST_F(PanelTest, EscapeDoesNotEndAnything) {
    LoadDatabase(TwoSetDatabase());
    panel.Command(kIdCancel);
    panel.Command(12345);
    EXPECT_TRUE(document.hasDatabase());
    EXPECT_FALSE(panel.HasPosted());
}

}  // namespace
}  // namespace lorvane::testing
