#include "shell/main_shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/command_ids.h"
#include "support/pcx_writer.h"
#include "support/scripted_platform.h"
#include "support/shell_panel.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

class FakeHost : public ShellHost {
  public:
    void MenuChanged() override { ++menuChanges; }
    void TitleChanged(const std::string& title) override { this->title = title; }
    bool CreateTileListWindow() override {
        ++windowsCreated;
        return canCreate;
    }
    void TileListChanged(std::optional<int>) override { ++listChanges; }
    void TileListSelectionChanged() override {}
    void FocusTileList() override {}
    void ShowAboutBox() override { ++aboutBoxes; }
    void CloseWindow() override { ++closeRequests; }
    void Post(std::function<void()> work) override { posted.push_back(std::move(work)); }
    void RunPosted() {
        auto work = std::move(posted);
        posted.clear();
        for (auto& job : work) job();
    }
    int menuChanges = 0, listChanges = 0, windowsCreated = 0, aboutBoxes = 0, closeRequests = 0;
    bool canCreate = true;
    std::string title;
    std::vector<std::function<void()>> posted;
};

class MainShellTest : public ::testing::Test {
  protected:
    MainShellTest() : shell(state, {platform, platform, platform, platform, platform}) {
        shell.SetHost(&host);
        shell.SetProgressView(&platform);
        shell.Initialize(folder);
        shell.LoadRecentFileList();
        editor.emplace(shell);
    }
    // A database of two tiles in memory, with nothing unsaved (or changed).
    void LoadDatabase(bool unsaved = false) {
        state.session.Replace(testing::MakeDatabase(
            {TileSet{1, {testing::MakeTile("H100.PCX"), testing::MakeTile("H101.PCX")}}}));
        if (!unsaved) state.session.document().MarkSaved();
    }
    const EditorPanel& panel() { return editor->panel(); }
    // A tile image for the tiles folder.
    std::string MakeTile(const std::string& name) {
        const auto path = folder / "tiles" / name;
        std::filesystem::create_directories(path.parent_path());
        testing::WriteFileBytes(path, testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
        return path.string();
    }
    std::string MakeFile(const std::string& relative) {
        const auto path = folder / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        return path.string();
    }

    std::filesystem::path folder = testing::MakeTempFolder("shell");
    testing::ScriptedPlatform platform;
    AppState state;
    FakeHost host;
    MainShell shell;
    std::optional<testing::ShellPanel> editor;
};

TEST_F(MainShellTest, StartsWithTheTemplateStatesAndTheTerrainCommandsEnabled) {
    const MenuBar& menu = shell.menu();
    ASSERT_EQ(menu.popups.size(), 5u);
    EXPECT_EQ(menu.popups[kFilePopup].title, "&File");
    EXPECT_EQ(menu.popups[kViewPopup].title, "&View");
    EXPECT_EQ(menu.popups[kHelpPopup].title, "&Help");
    for (int id : {kMenuOpenL2File, kMenuLoadL2Matrix, kMenuOpenTextureBin, kMenuGenerateThr,
                   kMenuExit, kMenuShowTileList, kPanelLoadTile, kMenuAbout})
        EXPECT_TRUE(menu.IsEnabled(id)) << id;
    for (int id : {kMenuSaveL2Matrix, kMenuSaveTextureBin, kMenuSelectTheaterTitle})
        EXPECT_FALSE(menu.IsEnabled(id)) << id;
    EXPECT_TRUE(menu.IsChecked(kTheaterFirst));
    EXPECT_FALSE(state.session.loaded());
    EXPECT_EQ(state.theaters.settings.xSections, 64);
}

TEST_F(MainShellTest, CommandsThatNeedADatabaseOrTerrainDoNothingWithoutIt) {
    std::vector<int> ran;
    const std::vector<int> gated = {kMenuSaveL2Matrix,  kMenuExportTiles, kMenuImportTiles,
                                    kMenuAddTilesToSet, kMenuAddSet,      kMenuChangeSetType};
    for (int id : gated) shell.RegisterCommand(id, [&ran, id] { ran.push_back(id); });
    for (int id : gated) EXPECT_TRUE(shell.HandleCommand(id));
    EXPECT_TRUE(shell.HandleCommand(kMenuSaveTextureBin));
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(platform.dialogs.empty());  // no save dialog
    EXPECT_TRUE(platform.messages.empty());

    LoadDatabase();
    state.shell.terrainLoaded = true;
    for (int id : gated) shell.HandleCommand(id);
    EXPECT_EQ(ran, gated);
    platform.choices.push_back(FileChoice::Cancelled());
    shell.HandleCommand(kMenuSaveTextureBin);
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].request.title, "Save Texture.bin File");
}

TEST_F(MainShellTest, GeneratorsExplainWhatIsMissing) {
    const Message both{kNeedTextureAndTerrain, "Information", MessageIcon::Exclamation};
    const Message terrain{kNeedTerrain, "Information", MessageIcon::Exclamation};
    struct Case {
        bool texture, terrain;
        int id;
        std::optional<Message> message;
    };
    for (const Case& c :
         {Case{true, false, kMenuGenerateThr, both}, Case{false, true, kMenuGenerateThr, both},
          Case{false, false, kMenuGenerateThr, both}, Case{true, false, kMenuGenerateMea, terrain},
          Case{false, true, kMenuGenerateMea, std::nullopt},
          Case{true, true, kMenuGenerateThr, std::nullopt},
          Case{true, false, kMenuTheaterMap, terrain},
          Case{false, true, kMenuTheaterMap, std::nullopt}}) {
        SCOPED_TRACE(c.id);
        platform.messages.clear();
        int ran = 0;
        shell.RegisterCommand(c.id, [&ran] { ++ran; });
        if (c.texture)
            LoadDatabase();
        else
            state.session.Close();
        state.shell.terrainLoaded = c.terrain;
        shell.HandleCommand(c.id);
        if (c.message) {
            EXPECT_EQ(platform.messages, std::vector<Message>{*c.message});
            EXPECT_EQ(ran, 0);
        } else {
            EXPECT_TRUE(platform.messages.empty());
            EXPECT_EQ(ran, 1);
        }
    }
}

TEST_F(MainShellTest, ForwardsThePanelsCommands) {
    // Open asks for a database, Load Tile for a tile; without a tile on
    // screen Undo, New Path and New Area do nothing.
    for (int id :
         {kMenuOpenTextureBin, kPanelLoadTile, kPanelUndoSegment, kPanelNewPath, kPanelNewArea}) {
        platform.choices.push_back(FileChoice::Cancelled());
        shell.HandleCommand(id);
    }
    ASSERT_EQ(platform.dialogs.size(), 2u);
    EXPECT_EQ(platform.dialogs[0].request.title, "Open Texture.bin File");
    EXPECT_EQ(platform.dialogs[1].request.title, "Select a Tile or Enter Tile Offset Number");
    EXPECT_EQ(panel().tool(), ToolKind::Select);
    shell.HandleCommand(kMenuAbout);
    shell.HandleCommand(kMenuExit);
    EXPECT_EQ(host.aboutBoxes, 1);
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_FALSE(shell.HandleCommand(4242));
}

TEST_F(MainShellTest, MenuCommandsOfTheWindowReachTheirHandlers) {
    for (const int id : {kMenuPreferences, kMenuTheaterMap, kMenuZoomFit, kMenuDeletePath}) {
        int runs = 0;
        shell.RegisterCommand(id, [&] { ++runs; });
        if (id == kMenuTheaterMap) state.shell.terrainLoaded = true;
        EXPECT_TRUE(shell.HandleCommand(id)) << id;
        EXPECT_EQ(runs, 1) << id;
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainShellTest, CommandsNotBuiltYetSayso) {
    shell.HandleCommand(kMenuEditTheaterMap);
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{kNotAvailable, "Information", MessageIcon::Information}}));
}

TEST_F(MainShellTest, RecentFilesHoldTheDatabasesOpenedOrSavedMostRecentFirst) {
    const auto database = [&](const std::string& relative) {
        const std::string path = (folder / relative).string();
        std::filesystem::create_directories((folder / relative).parent_path());
        testing::WriteFileBytes(path, SerializeTextureBin(testing::MakeDatabase(
                                          {TileSet{1, {testing::MakeTile("H010.PCX")}}})));
        return path;
    };
    const std::string first = database("v1.5/Texture.bin");  // a folder with a '.'
    const std::string second = database("Second.BIN");
    const auto entries = [&] {
        std::vector<std::string> texts;
        for (int p = 0; p < state.recentFiles->count; ++p)
            texts.push_back(*GetRecentFile(*state.recentFiles, p, false));
        return texts;
    };
    // Tiles, terrain and other files never go in.
    for (const std::string& path : {MakeTile("H010.PCX"), MakeFile("korea.L2M"),
                                    MakeFile("Theater.L2"), MakeFile("notes.txt")})
        shell.RememberFile(path);
    EXPECT_TRUE(entries().empty());

    // Opened by any way, a database comes first; reopened from the list it
    // comes first again.
    platform.choices.push_back(FileChoice::Chosen(first));
    shell.HandleCommand(kMenuOpenTextureBin);
    shell.OpenPath(second);
    EXPECT_EQ(entries(), (std::vector<std::string>{second, first}));
    shell.HandleCommand(kRecentFirst + 1);
    EXPECT_EQ(state.session.File(), first);
    EXPECT_EQ(entries(), (std::vector<std::string>{first, second}));
    EXPECT_EQ(platform.settings.at("File1"), first);
    EXPECT_EQ(shell.menu().Find(kRecentFirst)->text, "&1 " + first);

    // A tile loaded through Load Tile or the command line stays out.
    platform.choices.push_back(FileChoice::Chosen(MakeTile("H010.PCX")));
    shell.HandleCommand(kPanelLoadTile);
    ASSERT_EQ(panel().tileName(), "H010.PCX");
    shell.OpenPath(MakeTile("H010.PCX"));
    EXPECT_EQ(entries(), (std::vector<std::string>{first, second}));

    // Saved under a new name: that file comes first.
    const std::string saved = (folder / "Saved.bin").string();
    platform.choices.push_back(FileChoice::Chosen(saved));
    shell.HandleCommand(kMenuSaveTextureBinAs);
    EXPECT_EQ(entries(), (std::vector<std::string>{saved, first, second}));

    // A list kept by an earlier version with tiles and terrain in it: they
    // are left out of the menu and the settings.
    AppState secondState;
    testing::ScriptedPlatform secondPlatform;
    secondPlatform.settings = {{"File1", "/t/H000.PCX"},
                               {"File2", "/t/Texture.bin"},
                               {"File3", "/t/Theater.L2"},
                               {"File4", "/t/Other.bin"}};
    MainShell restarted(secondState, {secondPlatform, secondPlatform, secondPlatform,
                                      secondPlatform, secondPlatform});
    restarted.LoadRecentFileList();
    EXPECT_EQ(secondState.recentFiles->count, 2);
    EXPECT_EQ(secondPlatform.settings.at("File1"), "/t/Texture.bin");
    EXPECT_EQ(secondPlatform.settings.at("File2"), "/t/Other.bin");
    EXPECT_EQ(secondPlatform.settings.at("File3"), "");
    EXPECT_EQ(restarted.menu().Find(kRecentFirst + 1)->text, "&2 /t/Other.bin");
}

TEST_F(MainShellTest, ARecentFileThatCannotBeReadLeavesTheListButACancelKeepsIt) {
    const std::string kept = MakeFile("kept.bin");
    const std::string broken = MakeFile("broken.bin");  // not a Texture.bin
    shell.RememberFile(kept);
    shell.RememberFile(broken);

    // Unsaved changes, and the question cancelled: nothing is opened and
    // the entry stays.
    LoadDatabase(true);
    platform.answers.push_back(SaveAnswer::Cancel);
    shell.HandleCommand(kRecentFirst);
    EXPECT_EQ(state.recentFiles->count, 2);
    EXPECT_TRUE(platform.messages.empty());

    LoadDatabase();
    shell.HandleCommand(kRecentFirst);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().text, "Error reading Texture.bin");
    EXPECT_FALSE(state.session.loaded());
    EXPECT_EQ(state.recentFiles->count, 1);
    EXPECT_EQ(platform.settings.at("File1"), kept);
    EXPECT_EQ(platform.settings.at("File2"), "");
    EXPECT_EQ(shell.menu().Find(kRecentFirst)->text, "&1 " + kept);
    EXPECT_EQ(shell.menu().Find(kRecentFirst + 1), nullptr);
}

TEST(DropPlanTest, TakesTheFirstDatabaseAndTheFirstTileImage) {
    struct Case {
        std::vector<std::string> dropped;
        std::string database, tileImage;
    };
    const Case cases[] = {
        {{"/a/Texture.bin"}, "/a/Texture.bin", ""},
        {{"/a/H001.PCX", "/a/texture.BIN", "/b/Other.bin", "/a/H002.pcx"},
         "/a/texture.BIN",
         "/a/H001.PCX"},
        {{"/a/Theater.L2", "/a/notes.txt", "/a/noext", "/a.bin/readme"}, "", ""},
        {{}, "", ""},
    };
    for (const Case& c : cases) {
        const DropPlan plan = PlanDrop(c.dropped);
        EXPECT_EQ(plan.database, c.database);
        EXPECT_EQ(plan.tileImage, c.tileImage);
        EXPECT_EQ(plan.empty(), c.database.empty() && c.tileImage.empty());
    }
    EXPECT_EQ(KindOfFile("/a/Theater.L2M"), FileKind::Terrain);
}

TEST_F(MainShellTest, ADropOpensTheDatabaseAsFileOpenThenLoadsTheTileAsLoadTile) {
    const std::string dropped = (folder / "drop" / "Texture.bin").string();
    std::filesystem::create_directories(folder / "drop");
    testing::WriteFileBytes(
        dropped,
        SerializeTextureBin(testing::MakeDatabase({TileSet{1, {testing::MakeTile("H010.PCX")}}})));
    const std::string tile = MakeTile("H010.PCX");
    shell.OpenDropped(PlanDrop({tile, dropped}));
    EXPECT_EQ(state.session.File(), dropped);
    EXPECT_EQ(platform.settings.at("Paths/Texture"), (folder / "drop" / "").string());
    EXPECT_EQ(*GetRecentFile(*state.recentFiles, 0, false), dropped);
    EXPECT_EQ(panel().tileName(), "H010.PCX");
    EXPECT_EQ(panel().tileImagePath(), tile);
    EXPECT_EQ(platform.settings.at("Paths/Work2"), (folder / "tiles" / "").string());
    EXPECT_TRUE(platform.messages.empty());

    // A tile image whose name is not a tile's: read as an offset number, as
    // Load Tile reads it, and refused.
    shell.OpenDropped(PlanDrop({MakeTile("picture.pcx")}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "An invalid Tile Offset number entered.");
    EXPECT_EQ(panel().tileName(), "H010.PCX");

    // A database that cannot be read: the tile dropped with it is not loaded.
    platform.messages.clear();
    shell.OpenDropped(PlanDrop({MakeFile("broken.bin"), MakeTile("H011.PCX")}));
    EXPECT_FALSE(state.session.loaded());
    EXPECT_NE(panel().tileName(), "H011.PCX");
}

TEST_F(MainShellTest, AMissingRecentFileLeavesTheListTheSettingsAndTheMenu) {
    const std::string kept = MakeFile("kept.bin");
    const std::string gone = (folder / "gone.bin").string();
    shell.RememberFile(kept);
    shell.RememberFile(gone);
    ASSERT_NE(shell.menu().Find(kRecentFirst + 1), nullptr);

    shell.HandleCommand(kRecentFirst);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Data Base Open error code = 2");
    EXPECT_EQ(platform.messages[0].caption, gone);
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(state.recentFiles->count, 1);
    EXPECT_EQ(platform.settings.at("File1"), kept);
    EXPECT_EQ(platform.settings.at("File2"), "");
    EXPECT_EQ(shell.menu().Find(kRecentFirst)->text, "&1 " + kept);
    EXPECT_EQ(shell.menu().Find(kRecentFirst + 1), nullptr);
    EXPECT_FALSE(state.session.loaded());
}

TEST_F(MainShellTest, RecentFilesSurviveARestart) {
    shell.RememberFile("/x/One.bin");
    shell.RememberFile("/x/Two.bin");

    AppState secondState;
    testing::ScriptedPlatform secondPlatform;
    secondPlatform.settings = platform.settings;
    MainShell second(secondState, {secondPlatform, secondPlatform, secondPlatform, secondPlatform,
                                   secondPlatform});
    second.Initialize(folder);
    second.LoadRecentFileList();
    EXPECT_EQ(second.menu().Find(kRecentFirst)->text, "&1 /x/Two.bin");
    EXPECT_EQ(second.menu().Find(kRecentFirst + 1)->text, "&2 /x/One.bin");
}

TEST_F(MainShellTest, TileListLoadsThroughPostedPanelCommands) {
    shell.ShowTileList();
    EXPECT_TRUE(shell.tileListOpen());
    EXPECT_TRUE(shell.tileList().rows.empty());  // no database: empty

    LoadDatabase();
    shell.ShowTileList();  // refilled where it is
    EXPECT_EQ(host.windowsCreated, 1);
    ASSERT_EQ(shell.tileList().rows.size(), 2u);

    // No tiles folder known: the tile dialog, proposing the row's tile.
    shell.TileListRowClicked(1);
    EXPECT_TRUE(platform.dialogs.empty());  // posted, not yet run
    platform.choices.push_back(FileChoice::Cancelled());
    host.RunPosted();
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].request.proposedName, "H101.PCX");

    MakeTile("H100.PCX");
    MakeTile("H101.PCX");
    state.folders.tileFolder = (folder / "tiles" / "").string();
    shell.HandleArrowKey(false);
    host.RunPosted();
    EXPECT_EQ(panel().tileImagePath(), state.folders.tileFolder + "H100.PCX");
    EXPECT_EQ(panel().tileName(), "H100.PCX");

    shell.TileListClosed();
    // Without the list the arrows (and the Tile Select spin buttons) step
    // through the database from the tile on screen, and stop at its ends.
    shell.HandleArrowKey(true);
    host.RunPosted();
    EXPECT_EQ(panel().tileName(), "H101.PCX");
    shell.HandleArrowKey(true);
    EXPECT_TRUE(host.posted.empty());
    shell.HandleArrowKey(false);
    host.RunPosted();
    EXPECT_EQ(panel().tileName(), "H100.PCX");
    shell.UpdateTileListRow(0);
    EXPECT_TRUE(host.posted.empty());
}

// The tile list's row of the tile on screen counts its paths and areas as
// they are drawn, before they go into the database, and again when the list
// is opened anew.
TEST_F(MainShellTest, TheTileListCountsTheTileOnScreenAsItIsDrawn) {
    LoadDatabase();
    MakeTile("H100.PCX");
    state.folders.tileFolder = (folder / "tiles" / "").string();
    shell.ShowTileList();
    shell.TileListRowClicked(0);
    host.RunPosted();
    ASSERT_EQ(panel().tileName(), "H100.PCX");
    const auto cells = [&] {
        const TileListRow& row = shell.tileList().rows[size_t(*shell.tileList().RowOf(0))];
        return std::pair(row.cells[5], row.cells[6]);
    };
    const int paths = state.session.database().sets[0].tiles[0].pathCount();
    const int areas = state.session.database().sets[0].tiles[0].areaCount();
    ASSERT_TRUE(
        editor->panel().Paste("Lorvane entries 1\npath 10 50 100 200 300 400 begins\n"
                              "area 1 300 1000 1200\n"));
    editor->panel().RunPosted();
    const auto drawn = std::pair(std::to_string(paths + 1), std::to_string(areas + 1));
    EXPECT_EQ(cells(), drawn);
    EXPECT_EQ(state.session.database().sets[0].tiles[0].pathCount(), paths);  // not written back
    shell.TileListClosed();
    shell.ShowTileList();
    EXPECT_EQ(cells(), drawn);
}

// Without the list the spin buttons load the next tile at once from the
// folder the tile on screen came from (else the remembered tiles folder);
// an image that is not there is named with the folder, and the tile on
// screen stays.
TEST_F(MainShellTest, SteppingLoadsFromTheFolderOfTheTileOnScreen) {
    LoadDatabase();
    const std::string own = (folder / "own" / "").string();
    for (const char* name : {"H100.PCX", "H101.PCX"}) {
        std::filesystem::create_directories(own);
        testing::WriteFileBytes(own + name,
                                testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
    }
    MakeTile("H100.PCX");  // the remembered folder lacks H101
    platform.settings["Paths/Work2"] = (folder / "tiles" / "").string();

    // Nothing on screen: the remembered folder, read from the settings.
    shell.HandleArrowKey(true);
    host.RunPosted();
    EXPECT_EQ(panel().tileImagePath(), (folder / "tiles" / "H100.PCX").string());
    shell.HandleArrowKey(true);
    EXPECT_TRUE(host.posted.empty());
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"The tile image H101.PCX was not found in the folder " +
                                         (folder / "tiles" / "").string() + ".",
                                     "Tile Image Not Found", MessageIcon::Error}}));
    EXPECT_EQ(panel().tileName(), "H100.PCX");

    // A tile from another folder: its neighbours come from there.
    editor->panel().LoadTileImage(own + "H100.PCX", "H100.PCX");
    shell.HandleArrowKey(true);
    host.RunPosted();
    EXPECT_EQ(panel().tileImagePath(), own + "H101.PCX");
    EXPECT_TRUE(panel().image() != nullptr);
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_EQ(platform.messages.size(), 1u);
}

// A tile's name from the database is read in the tiles folder only: a name
// that leads out of it is refused with its message and loads nothing.
TEST_F(MainShellTest, TileNamesThatLeaveTheTilesFolderAreRefused) {
    state.folders.tileFolder = (folder / "tiles" / "").string();
    for (const char* name : {"../../../etc/passwd", "a/b.PCX", "C:x.PCX", "..", "x\\y.pcx", ""}) {
        SCOPED_TRACE(name);
        state.session.Replace(testing::MakeDatabase({TileSet{1, {testing::MakeTile(name)}}}));
        platform.messages.clear();
        shell.LoadTileFromList(0);
        host.RunPosted();
        EXPECT_TRUE(host.posted.empty());
        EXPECT_TRUE(panel().tileName().empty());
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].caption, "Tile Name Error");
    }
    MakeTile("H0A0.PCX");
    state.session.Replace(testing::MakeDatabase({TileSet{1, {testing::MakeTile("H0A0.PCX")}}}));
    shell.LoadTileFromList(0);
    host.RunPosted();
    EXPECT_EQ(panel().tileImagePath(), state.folders.tileFolder + "H0A0.PCX");
}

TEST_F(MainShellTest, TheTileListMarksTheTileOnScreen) {
    LoadDatabase();
    shell.ShowTileList();
    const int changes = host.listChanges;
    shell.ShowTileOnScreen(state.session.database().index[1].id);
    EXPECT_EQ(shell.tileList().onScreenPosition, 1);
    EXPECT_EQ(host.listChanges, changes + 1);
    shell.ShowTileOnScreen(state.session.database().index[1].id);  // unchanged: not drawn again
    EXPECT_EQ(host.listChanges, changes + 1);
    shell.RefillTileList();
    EXPECT_EQ(shell.tileList().onScreenPosition, 1);
    shell.ShowTileOnScreen(std::nullopt);
    EXPECT_EQ(shell.tileList().onScreenPosition, std::nullopt);
    shell.ShowTileOnScreen(12345);  // not in the database
    EXPECT_EQ(shell.tileList().onScreenPosition, std::nullopt);
}

TEST_F(MainShellTest, TileListThatCannotBeCreatedDoesNothing) {
    host.canCreate = false;
    LoadDatabase();
    shell.ShowTileList();
    EXPECT_FALSE(shell.tileListOpen());
    EXPECT_TRUE(shell.tileList().rows.empty());
}

TEST_F(MainShellTest, CloseAsksOnlyWhenThereAreUnsavedChanges) {
    struct Case {
        bool unsaved;
        std::optional<SaveAnswer> answer;
        bool saveSucceeds;  // the save dialog names a file (or is cancelled)
        bool closes;
    };
    for (const Case& c :
         {Case{true, SaveAnswer::Cancel, true, false}, Case{true, SaveAnswer::Save, false, false},
          Case{true, SaveAnswer::Save, true, true}, Case{true, SaveAnswer::Discard, true, true},
          Case{false, std::nullopt, true, true}}) {
        platform.questions.clear();
        platform.dialogs.clear();
        if (c.answer) platform.answers.push_back(*c.answer);
        platform.choices.push_back(c.saveSucceeds ? FileChoice::Chosen(folder / "Saved.bin")
                                                  : FileChoice::Cancelled());
        LoadDatabase(c.unsaved);
        EXPECT_EQ(shell.ConfirmClose(), c.closes);
        EXPECT_EQ(platform.questions.size(), c.unsaved ? 1u : 0u);
        if (c.unsaved) {
            EXPECT_EQ(platform.questions[0].text, "Save changes to Texture.bin?");
        }
        // Save asks where (the database has no file yet).
        EXPECT_EQ(platform.dialogs.size(), c.answer == SaveAnswer::Save ? 1u : 0u);
        // Staying open keeps the database.
        EXPECT_EQ(state.session.loaded(), !c.closes);
        EXPECT_EQ(state.session.database().tileCount(), c.closes ? 0 : 2);
        platform.choices.clear();
    }
}

TEST_F(MainShellTest, ReplacingTheDatabaseAsksTheCloseQuestionFirst) {
    // Every way another database comes in: the menu, a recent file or the
    // command line (OpenPath), a drop on the window, and generating one.
    const std::string other = (folder / "Other.bin").string();
    testing::WriteFileBytes(
        other,
        SerializeTextureBin(testing::MakeDatabase({TileSet{1, {testing::MakeTile("H500.PCX")}}})));
    int generated = 0;
    shell.RegisterCommand(kMenuGenerateTextureBin, [&] { ++generated; });
    const std::vector<std::pair<std::string, std::function<void()>>> ways = {
        {"menu", [&] { shell.HandleCommand(kMenuOpenTextureBin); }},
        {"path", [&] { shell.OpenPath(other); }},
        {"drop", [&] { shell.OpenDropped(PlanDrop({other})); }},
        {"generate", [&] { shell.HandleCommand(kMenuGenerateTextureBin); }},
    };
    struct Case {
        SaveAnswer answer;
        bool saveSucceeds;
        bool goesOn;
    };
    for (const auto& [way, run] : ways) {
        for (const Case& c :
             {Case{SaveAnswer::Cancel, true, false}, Case{SaveAnswer::Save, false, false},
              Case{SaveAnswer::Save, true, true}, Case{SaveAnswer::Discard, true, true}}) {
            SCOPED_TRACE(way + " " + std::to_string(static_cast<int>(c.answer)));
            LoadDatabase(true);
            platform.questions.clear();
            platform.dialogs.clear();
            platform.answers.push_back(c.answer);
            if (c.answer == SaveAnswer::Save)
                platform.choices.push_back(c.saveSucceeds ? FileChoice::Chosen(folder / "Saved.bin")
                                                          : FileChoice::Cancelled());
            // The menu's open dialog, when it comes, names the other file.
            platform.choices.push_back(FileChoice::Chosen(other));
            run();
            ASSERT_EQ(platform.questions.size(), 1u);
            EXPECT_EQ(platform.questions[0].text, "Save changes to Texture.bin?");
            const bool saved = !platform.dialogs.empty() &&
                               platform.dialogs[0].request.title == "Save Texture.bin File";
            EXPECT_EQ(saved, c.answer == SaveAnswer::Save);
            // Cancel (or a failed save) leaves everything as it was: nothing
            // is opened or generated.
            const bool opened =
                state.session.database().tileCount() == 1 || std::exchange(generated, 0) == 1;
            EXPECT_EQ(opened, c.goesOn);
            if (!c.goesOn) {
                EXPECT_EQ(state.session.database().tileCount(), 2);
            }
            platform.choices.clear();
        }
    }
    // Nothing unsaved: no question.
    LoadDatabase();
    platform.questions.clear();
    shell.OpenPath(other);
    EXPECT_TRUE(platform.questions.empty());
    EXPECT_EQ(state.session.File(), other);
}

TEST_F(MainShellTest, ProgressDialogCaptionsRangeAndCancel) {
    shell.OpenProgressDialog(ProgressMode::BuildTheaterOutput);
    shell.ReportProgress(3, 192);
    shell.progress()->Cancel();
    EXPECT_TRUE(shell.progress()->AbortRequested());
    shell.ReportProgress(4, 256);  // ignored once cancelled
    EXPECT_EQ(state.shell.sectionsCompleted, 3);
    shell.OpenProgressDialog(ProgressMode::SaveTerrainMatrix);
    EXPECT_FALSE(state.shell.abortRequested);
    EXPECT_EQ(state.shell.progressMode, ProgressMode::SaveTerrainMatrix);
    shell.HandleCommand(kProgressUpdate);
    shell.CloseProgressDialog();
    EXPECT_EQ(
        platform.progressLog,
        (std::vector<std::string>{"open Building <theater>.thr File 0..4096", "sections 3 192",
                                  "open Saving Terrain Matrix 0..4096", "sections 0 0", "close"}));
    EXPECT_EQ(ProgressCaption(ProgressMode::BuildTerrainMatrix), "Building Terrain Matrix");
}

TEST_F(MainShellTest, FoldersAreReadOnceAndStoredInPaths) {
    platform.settings["Paths/Work2"] = "/tiles/";
    EXPECT_EQ(shell.Folder(kTileFolderSetting), "/tiles/");
    platform.settings["Paths/Work2"] = "/other/";
    EXPECT_EQ(shell.Folder(kTileFolderSetting), "/tiles/");  // held in memory
    shell.StoreFolder(kTextureFolderSetting, "/db/");
    EXPECT_EQ(platform.settings.at("Paths/Texture"), "/db/");
    EXPECT_EQ(state.folders.textureFolder, "/db/");
    EXPECT_EQ(shell.Folder(kTerrainFolderSetting), "");
}

TEST(OpenExtensionTest, LooksAtTheFileNameOnly) {
    EXPECT_EQ(OpenExtension("/a/v1.5/Texture.bin"), "bin");
    EXPECT_EQ(OpenExtension("C:\\t.x\\k.L2M"), "L2M");
    EXPECT_EQ(OpenExtension("/a.b/noext"), "");
    EXPECT_EQ(OpenExtension("tile.pcx.bak"), "pcx.bak");
    EXPECT_EQ(FileNameOf("/a/b/c.pcx"), "c.pcx");
}

}  // namespace
}  // namespace lorvane
