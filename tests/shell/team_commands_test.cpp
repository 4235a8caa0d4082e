// Team work in the desktop program: compare with another database, merge,
// export since the file as opened, import with its preview and undo, and
// the warning for an image already in another set.

#include "shell/team_commands.h"

#include "command_fixture.h"
#include "editor/frame.h"
#include "shell/database_session.h"
#include "support/pcx_writer.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace lorvane::testing {
namespace {

class RecordingCompareView : public CompareView {
  public:
    void ShowComparison(const std::string& shownTitle,
                        const std::vector<CompareRow>& shownRows) override {
        title = shownTitle;
        rows = shownRows;
    }
    std::string title;
    std::vector<CompareRow> rows;
};

class TeamTest : public CommandTest {
  protected:
    TeamTest() : team(shell) {
        team.Register();
        team.SetView(&view);
    }
    // The two-set database written to a file and opened from it; the tiles
    // folder holds the images of its three tiles.
    std::filesystem::path OpenFromFile(const TileDatabase& content = TwoSetDatabase()) {
        const auto file = folder / "Texture.bin";
        WriteFileBytes(file, SerializeTextureBin(content));
        for (const char* name : {"H000.PCX", "H001.PCX", "H010.PCX"})
            WriteFileBytes(folder / name, WritePcx(MakePatternPicture(16, 16, 3)));
        state.folders.tileFolder = (folder / "").string();
        EXPECT_TRUE(session.Open(PathToUtf8(file)));
        ClearRecords();
        return file;
    }
    // A segment added to the tile at (set, position) of the database in
    // memory, as an edit of the editor.
    void AddSegment(int set, int position) {
        shell.LoadTileFromList(set * 2 + position);  // the sample's index order
        EditorPanel& editor = panel->panel();
        ASSERT_TRUE(editor.tileOnScreen());
        WorkingPath segment{1, 40, 100, 100, 900, 900, true};
        ASSERT_TRUE(editor.Apply(std::make_unique<AddSegmentCommand>(
            *editor.tileOnScreen(), editor.tables().pathCount() + 1, segment)));
    }
    int Paths(const TileDatabase& database, int set, int position) {
        return database.sets[set].tiles[position].pathCount();
    }

    RecordingCompareView view;
    TeamCommands team;
};

TEST_F(TeamTest, CompareListsTheTilesThatDifferAndShowsTheOtherSideFaded) {
    const auto file = OpenFromFile();
    AddSegment(0, 1);  // H001 gets a road
    Answer(file);
    shell.HandleCommand(kMenuCompareWith);
    EXPECT_EQ(platform.dialogs.back().request.title, "Compare With Texture.bin File");
    EXPECT_EQ(view.title, "1 tile differs from " + file.string());
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].id, 1);
    EXPECT_EQ(view.rows[0].name, "H001.PCX");
    EXPECT_EQ(view.rows[0].paths, "+1 \u22120 ~0");
    EXPECT_EQ(view.rows[0].areas, "+0 \u22120 ~0");

    // A row loads its tile; the other side's two roads of H000 show faded.
    const auto dashed = [&] {
        int count = 0;
        for (const FrameItem& item : panel->panel().Frame())
            if (const auto* line = std::get_if<FrameLine>(&item))
                count += line->stroke == LineStyle::Dashed && line->colour.alpha == kFadedAlpha;
        return count;
    };
    team.OpenRow(0);
    EXPECT_EQ(panel->panel().tileName(), "H000.PCX");
    EXPECT_EQ(dashed(), 2);
    team.StopComparing();
    EXPECT_EQ(dashed(), 0);

    // Nothing differs: said, no list.
    view.rows.clear();
    Answer(folder / "Texture.bin");
    session.Open((folder / "Texture.bin").string());
    ClearRecords();
    Answer(file);
    shell.HandleCommand(kMenuCompareWith);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(platform.notices.back().text, "No tile differs from " + file.string() + ".");
}

TEST_F(TeamTest, MergeTakesTheirWorkAndAsksAboutEachConflict) {
    const TileDatabase base = TwoSetDatabase();
    OpenFromFile(base);
    AddSegment(0, 1);  // mine: H001 gets a road
    TileDatabase theirs = base;
    theirs.sets[1].tiles[0].paths[0].width = 200;  // theirs: H010's river wider
    struct Case {
        const char* answer;  // to the conflict about H000's first road
        float width;         // what it holds after the merge
        bool merged;
    };
    for (const Case& c :
         {Case{kStopMerge, 70, false}, Case{kTakeTheirs, 90, true}, Case{kKeepOurs, 70, true}}) {
        SCOPED_TRACE(c.answer);
        OpenFromFile(base);
        AddSegment(0, 1);
        // Both changed H000's first road.
        session.database().sets[0].tiles[0].paths[0].width = 70;
        session.Changed();
        theirs.sets[0].tiles[0].paths[0].width = 90;
        platform.choiceAnswers.push_back(c.answer);
        EXPECT_EQ(team.MergeFrom(base, theirs), c.merged);
        ASSERT_EQ(platform.choiceQuestions.size(), 1u);
        EXPECT_NE(platform.choiceQuestions[0].question.text.find("Tile 0 H000.PCX, path 1"),
                  std::string::npos);
        const TileDatabase& now = session.database();
        EXPECT_EQ(now.sets[0].tiles[0].paths[0].width, c.width);
        EXPECT_EQ(now.sets[1].tiles[0].paths[0].width, c.merged ? 200 : 120);
        EXPECT_EQ(Paths(now, 0, 1), 1);  // my road stays either way
        if (c.merged) {
            EXPECT_TRUE(session.HasUnsavedChanges());
        }
        platform.choiceQuestions.clear();
    }
}

TEST_F(TeamTest, ExportSinceTheFileAsOpenedCarriesTodaysTilesOnly) {
    const auto file = OpenFromFile();
    // Nothing changed: said before any file is asked for.
    platform.choiceAnswers.push_back(kSinceOpened);
    shell.HandleCommand(kMenuExportTiles);
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_EQ(platform.notices.back().text, kNothingToExport);

    AddSegment(0, 1);
    // Saved in between: still changed since the file as opened.
    Answer(file);
    ASSERT_TRUE(session.Save());
    const auto exported = folder / "today.exp";
    platform.choiceAnswers.push_back(kSinceOpened);
    Answer(exported);
    shell.HandleCommand(kMenuExportTiles);
    EXPECT_EQ(platform.notices.back().text, "1 tile exported: H001.PCX.");
    // Imported into the database as it was, it gives today's tile.
    TileDatabase base = TwoSetDatabase();
    ASSERT_TRUE(ImportTiles(exported, base, platform));
    EXPECT_EQ(Paths(base, 0, 1), 1);
    EXPECT_EQ(Paths(base, 0, 0), 2);

    // Since another database: the one saved is the same, so nothing.
    ClearRecords();
    platform.choiceAnswers.push_back(kSinceDatabase);
    Answer(file);
    shell.HandleCommand(kMenuExportTiles);
    EXPECT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.notices.back().text, kNothingToExport);
}

TEST_F(TeamTest, ImportIsPreviewedAskedAndUndoneAsOneStep) {
    OpenFromFile();
    // An export of two tiles changed elsewhere: H000 loses a road for a
    // river of two segments, H010 gets a second river.
    TileDatabase elsewhere = TwoSetDatabase();
    elsewhere.sets[0].tiles[0].paths = {{2, 100, 10, 10, 500, 500}, {2, 100, 500, 500, 900, 700}};
    elsewhere.sets[1].tiles[0].paths.push_back({2, 80, 3000, 2800, 3100, 2000});
    const auto exported = folder / "theirs.exp";
    ASSERT_TRUE(ExportTilesChangedSince(exported, elsewhere, TwoSetDatabase(), platform));
    shell.LoadTileFromList(0);  // H000 on screen
    ClearRecords();

    // Cancelled: the preview was shown, nothing changed.
    platform.choiceAnswers.push_back(kCancelImport);
    Answer(exported);
    shell.HandleCommand(kMenuImportTiles);
    ASSERT_EQ(platform.choiceQuestions.size(), 1u);
    const std::string& preview = platform.choiceQuestions[0].question.text;
    EXPECT_NE(preview.find("of 2 tiles"), std::string::npos) << preview;
    EXPECT_NE(preview.find("H000.PCX (0): paths 2 \u2192 2, areas 1 \u2192 1"), std::string::npos)
        << preview;
    EXPECT_NE(preview.find("H010.PCX (16): paths 1 \u2192 2"), std::string::npos) << preview;
    EXPECT_EQ(Paths(session.database(), 1, 0), 1);
    EXPECT_FALSE(session.HasUnsavedChanges());

    // Imported: both tiles, the one on screen too, one step for Undo.
    platform.choiceAnswers.push_back(kImport);
    Answer(exported);
    shell.HandleCommand(kMenuImportTiles);
    EXPECT_EQ(platform.notices.back().text, "2 tiles imported.");
    EXPECT_EQ(panel->panel().tables().Path(1).typeChoice, PathChoiceOfCode(2));
    EXPECT_EQ(session.UndoText(), "Import Tiles");
    panel->panel().WriteBackTileOnScreen();
    EXPECT_EQ(Paths(session.database(), 1, 0), 2);
    EXPECT_EQ(session.database().sets[0].tiles[0].paths[1].endX, 900);
    shell.HandleCommand(kPanelUndoSegment);
    panel->panel().WriteBackTileOnScreen();
    EXPECT_EQ(Paths(session.database(), 1, 0), 1);
    EXPECT_EQ(session.database().sets[0].tiles[0].paths[0].type, 10);
    EXPECT_FALSE(session.HasUnsavedChanges());
    EXPECT_EQ(session.RedoText(), "Import Tiles");
    shell.HandleCommand(kPanelRedo);
    panel->panel().WriteBackTileOnScreen();
    EXPECT_EQ(Paths(session.database(), 1, 0), 2);
    // An edit after it: Undo is the edit's, and H010 keeps the import in
    // its own history.
    AddSegment(0, 1);
    EXPECT_NE(session.UndoText(), "Import Tiles");
}

TEST_F(TeamTest, AnImageAlreadyInAnotherSetIsSaidOnceWithItsSet) {
    OpenFromFile();
    dialogs.setAnswers.push_back({ScriptedDialogs::SetPress{"1", 0}});
    FileChoice choice = FileChoice::Chosen(folder / "x");
    choice.path = choice.folderPart();
    choice.fileNames = {"h000.pcx", "H0A1.PCX"};
    platform.choices.push_back(choice);
    shell.HandleCommand(kMenuAddTilesToSet);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages[0], (Message{"h000.pcx is already in Set# 0.",
                                             "Tile in Another Set", MessageIcon::Warning}));
}

}  // namespace
}  // namespace lorvane::testing
