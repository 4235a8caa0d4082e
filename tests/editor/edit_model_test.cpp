// The edit model: every kind of command undone and redone on the tables, the
// history's saved and written places, the document's per-tile histories and
// write-back, and random edit sequences undone and redone to the byte.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "editor/edit_document.h"
#include "support/random_edits.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

constexpr int32_t kTile = 16;

EditorWorkingSet ThreeSegmentsTwoAreas() {
    EditorWorkingSet working;
    working.paths = {{1, 50, 100, 200, 300, 400, true},
                     {1, 50, 300, 400, 500, 600, false},
                     {0, 100, 7, 8, 9, 10, true}};
    working.areas = {{0, 300, 1000, 2000}, {6, 80, 30, 40}};
    return working;
}

std::unique_ptr<EditCommand> Command(const EditorWorkingSet& working, int which) {
    switch (which) {
        case 0:
            return std::make_unique<AddSegmentCommand>(kTile, 2,
                                                       WorkingPath{3, 20, 1, 1, 2, 2, true});
        case 1:
            return std::make_unique<AddAreaCommand>(kTile, 3, WorkingArea{2, 44, 5, 6});
        case 2:
            return MakeRemoveEntry(working, kTile, EntryKind::Path, 1);
        case 3:
            return MakeRemoveEntry(working, kTile, EntryKind::Area, 2);
        case 4:
            return MakeMovePoint(working, kTile, EntryKind::Path, 1, PointRole::Start, {11, 12});
        case 5:
            return MakeMovePoint(working, kTile, EntryKind::Path, 3, PointRole::End, {0, 0});
        case 6:
            return MakeMovePoint(working, kTile, EntryKind::Area, 1, PointRole::Centre, {1, 2});
        case 7:
            return MakeChangeValue(working, kTile, EntryKind::Path, 2, ValueField::Width, 75);
        case 8:
            return MakeChangeValue(working, kTile, EntryKind::Path, 2, ValueField::Type, 3);
        case 9:
            return MakeChangeValue(working, kTile, EntryKind::Area, 2, ValueField::Radius, 9);
        default:
            return MakeChangeValue(working, kTile, EntryKind::Path, 1, ValueField::StartY, 5);
    }
}

TEST(EditCommand, EveryKindRedoesAndUndoesExactly) {
    struct Case {
        CommandKind kind;
        std::string text;
        // A value of the tables after Redo, read back.
        std::function<bool(const EditorWorkingSet&)> done;
    };
    const std::vector<Case> cases = {
        {CommandKind::AddSegment, "Add Railway Segment",
         [](const auto& w) {
             return w.pathCount() == 4 && w.Path(2).width == 20 && w.Path(3).width == 50;
         }},
        {CommandKind::AddArea, "Add Plains Area",
         [](const auto& w) { return w.areaCount() == 3 && w.Area(3).radius == 44; }},
        {CommandKind::RemoveEntry, "Remove Road Segment",
         [](const auto& w) { return w.pathCount() == 2 && w.Path(1).startX == 300; }},
        {CommandKind::RemoveEntry, "Remove Rocky Area",
         [](const auto& w) { return w.areaCount() == 1; }},
        // The start of a segment that begins a path stays the start of one.
        {CommandKind::MovePoint, "Move Point",
         [](const auto& w) {
             return w.Path(1).startX == 11 && w.Path(1).startY == 12 && w.Path(1).beginsPath;
         }},
        {CommandKind::MovePoint, "Move Point",
         [](const auto& w) { return w.Path(3).endX == 0 && w.Path(3).endY == 0; }},
        {CommandKind::MovePoint, "Move Point",
         [](const auto& w) { return w.Area(1).centerX == 1 && w.Area(1).centerY == 2; }},
        {CommandKind::ChangeValue, "Change Width",
         [](const auto& w) { return w.Path(2).width == 75; }},
        {CommandKind::ChangeValue, "Change Type",
         [](const auto& w) { return w.Path(2).typeChoice == 3; }},
        {CommandKind::ChangeValue, "Change Radius",
         [](const auto& w) { return w.Area(2).radius == 9; }},
        {CommandKind::ChangeValue, "Change Start Y",
         [](const auto& w) { return w.Path(1).startY == 5 && w.Path(1).beginsPath; }},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const EditorWorkingSet before = ThreeSegmentsTwoAreas();
        EditorWorkingSet working = before;
        const auto command = Command(working, static_cast<int>(i));
        ASSERT_NE(command, nullptr) << i;
        EXPECT_EQ(command->kind(), cases[i].kind) << i;
        EXPECT_EQ(command->tileId(), kTile);
        EXPECT_EQ(command->Text(), cases[i].text) << i;
        ASSERT_TRUE(command->Redo(working)) << i;
        EXPECT_TRUE(cases[i].done(working)) << i;
        const EditorWorkingSet after = working;
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(command->Undo(working)) << i;
            EXPECT_EQ(working.paths, before.paths) << i;
            EXPECT_EQ(working.areas, before.areas) << i;
            ASSERT_TRUE(command->Redo(working)) << i;
            EXPECT_EQ(working.paths, after.paths) << i;
            EXPECT_EQ(working.areas, after.areas) << i;
        }
        // On tables it does not fit (no entries at all) it changes nothing.
        // (Putting a removed entry 1 back fits even an empty table.)
        EditorWorkingSet empty;
        EXPECT_FALSE(command->Redo(empty)) << i;
        if (command->kind() != CommandKind::RemoveEntry) {
            EXPECT_FALSE(command->Undo(empty)) << i;
            EXPECT_TRUE(empty.paths.empty() && empty.areas.empty()) << i;
        }
    }
}

TEST(EditCommand, CommandsThatWouldNotFitOrChangeNothingAreNotMade) {
    const EditorWorkingSet working = ThreeSegmentsTwoAreas();
    struct Case {
        const char* why;
        std::unique_ptr<EditCommand> command;
    };
    Case cases[] = {
        {"no entry 0", MakeRemoveEntry(working, kTile, EntryKind::Path, 0)},
        {"no entry 4", MakeRemoveEntry(working, kTile, EntryKind::Path, 4)},
        {"no area 3", MakeRemoveEntry(working, kTile, EntryKind::Area, 3)},
        {"centre of a path",
         MakeMovePoint(working, kTile, EntryKind::Path, 1, PointRole::Centre, {1, 1})},
        {"start of an area",
         MakeMovePoint(working, kTile, EntryKind::Area, 1, PointRole::Start, {1, 1})},
        {"to where it is",
         MakeMovePoint(working, kTile, EntryKind::Path, 1, PointRole::End, {300, 400})},
        {"below 0", MakeMovePoint(working, kTile, EntryKind::Area, 1, PointRole::Centre, {-1, 5})},
        {"same width", MakeChangeValue(working, kTile, EntryKind::Path, 1, ValueField::Width, 50)},
        {"width 0", MakeChangeValue(working, kTile, EntryKind::Path, 1, ValueField::Width, 0)},
        {"radius 0", MakeChangeValue(working, kTile, EntryKind::Area, 1, ValueField::Radius, 0)},
        {"radius of a path",
         MakeChangeValue(working, kTile, EntryKind::Path, 1, ValueField::Radius, 9)},
        {"width of an area",
         MakeChangeValue(working, kTile, EntryKind::Area, 1, ValueField::Width, 9)},
        {"path type 5", MakeChangeValue(working, kTile, EntryKind::Path, 1, ValueField::Type, 5)},
        {"area type 11", MakeChangeValue(working, kTile, EntryKind::Area, 1, ValueField::Type, 11)},
        {"type -1", MakeChangeValue(working, kTile, EntryKind::Area, 1, ValueField::Type, -1)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.command, nullptr) << c.why;
    EXPECT_NE(MakeChangeValue(working, kTile, EntryKind::Area, 1, ValueField::Type, 10), nullptr);
}

TEST(EditHistory, NewCommandsDropTheUndoneOnesAndTheirPlaces) {
    EditorWorkingSet working;
    EditHistory history;
    const auto add = [&](float x) {
        return history.Push(std::make_unique<AddAreaCommand>(kTile, working.areaCount() + 1,
                                                             WorkingArea{0, 10, x, x}),
                            working);
    };
    EXPECT_TRUE(history.IsSaved());
    ASSERT_TRUE(add(1));
    ASSERT_TRUE(add(2));
    history.MarkSaved();
    ASSERT_TRUE(add(3));
    EXPECT_FALSE(history.IsSaved());
    EXPECT_TRUE(history.Undo(working));
    EXPECT_TRUE(history.IsSaved());
    EXPECT_TRUE(history.Undo(working));
    EXPECT_FALSE(history.IsSaved());
    EXPECT_EQ(history.NextRedo()->Text(), "Add Water Area");
    // A new command drops the two undone ones, the saved place with them.
    ASSERT_TRUE(add(4));
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.NextRedo(), nullptr);
    EXPECT_FALSE(history.Redo(working));
    EXPECT_EQ(working.Area(2).centerX, 4);
    while (history.Undo(working)) {
        EXPECT_FALSE(history.IsSaved());
    }
    EXPECT_EQ(working.areaCount(), 0);
    EXPECT_FALSE(history.Undo(working));
    // A command that does not fit is not kept.
    EXPECT_FALSE(history.Push(std::make_unique<AddAreaCommand>(kTile, 5, WorkingArea{}), working));
    EXPECT_FALSE(history.Push(nullptr, working));
    EXPECT_EQ(history.position(), 0u);
}

class DocumentTest : public ::testing::Test {
  protected:
    // Two tiles with entries in feet that are not whole, one empty tile.
    DocumentTest()
        : database(testing::MakeDatabase(
              {TileSet{4,
                       {testing::MakeTile("H000.PCX", {{10, 60.5f, 100.25f, 200.75f, 300, 400}},
                                          {{1, 300.5f, 2400, 800.9f}}),
                        testing::MakeTile("H001.PCX")}},
               TileSet{9, {testing::MakeTile("H010.PCX", {{2, 120, 200, 3000, 2800.5f, 2400}})}}})),
          document(database) {}

    void Open(int32_t set, int32_t tile) { ASSERT_TRUE(document.OpenTile(set, tile, choices)); }
    std::vector<std::byte> Bytes() {
        document.WriteBack();
        return SerializeTextureBin(database);
    }

    TileDatabase database;
    EditDocument document;
    EditorChoices choices;
};

TEST_F(DocumentTest, EachTileKeepsItsHistoryWhileTheDatabaseIsOpen) {
    const auto start = Bytes();
    Open(0, 0);
    ASSERT_TRUE(document.Apply(MakeRemoveEntry(document.working(), 0, EntryKind::Path, 1)));
    Open(0, 1);
    EXPECT_EQ(document.NextUndo(), nullptr);
    ASSERT_TRUE(document.Apply(std::make_unique<AddAreaCommand>(1, 1, WorkingArea{0, 5, 1, 1})));
    EXPECT_FALSE(
        document.Apply(std::make_unique<AddAreaCommand>(0, 1, WorkingArea{})));  // another tile's
    EXPECT_EQ(database.sets[0].tiles[0].pathCount(), 0);  // written back on leaving
    Open(0, 0);
    ASSERT_NE(document.NextUndo(), nullptr);
    EXPECT_EQ(document.NextUndo()->Text(), "Remove Road Segment");
    ASSERT_TRUE(document.Undo());
    EXPECT_EQ(document.working().pathCount(), 1);
    EXPECT_EQ(document.working().pathList.RowCount(), 1u);
    // Back at its start the tile gets its entries exactly as they were.
    Open(0, 1);
    ASSERT_TRUE(document.Undo());
    EXPECT_EQ(Bytes(), start);
    EXPECT_EQ(database.index[0].modified, 1);  // the export mark stays
    EXPECT_EQ(document.OpenTile(5, 0, choices), false);
    EXPECT_FALSE(document.HasTile());
}

TEST_F(DocumentTest, TheListenerHearsEveryCommandRunWithItsTile) {
    std::vector<std::string> heard;
    document.SetListener([&](EditEvent event, const EditCommand& command) {
        const char* what = event == EditEvent::Done     ? "done"
                           : event == EditEvent::Undone ? "undone"
                                                        : "redone";
        heard.push_back(std::string(what) + " " + command.Text() + " " +
                        std::to_string(command.tileId()));
    });
    Open(1, 0);
    ASSERT_TRUE(document.Apply(
        MakeChangeValue(document.working(), 16, EntryKind::Path, 1, ValueField::Width, 80)));
    ASSERT_TRUE(document.Undo());
    ASSERT_TRUE(document.Redo());
    EXPECT_FALSE(document.Redo());  // nothing run: nothing heard
    EXPECT_EQ(heard, (std::vector<std::string>{"done Change Width 16", "undone Change Width 16",
                                               "redone Change Width 16"}));
}

TEST_F(DocumentTest, UnsavedFollowsTheSavedPlacesAndTheChangesOutside) {
    EXPECT_FALSE(document.HasUnsavedChanges());
    Open(1, 0);
    ASSERT_TRUE(document.Apply(
        MakeChangeValue(document.working(), 16, EntryKind::Path, 1, ValueField::Width, 80)));
    EXPECT_TRUE(document.HasUnsavedChanges());
    document.MarkSaved();
    EXPECT_FALSE(document.HasUnsavedChanges());
    ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(document.HasUnsavedChanges());
    ASSERT_TRUE(document.Redo());
    EXPECT_FALSE(document.HasUnsavedChanges());
    // A change outside the editor that leaves the tables alone keeps the history.
    database.sets[1].terrainType = 3;
    document.DatabaseChanged(choices);
    EXPECT_TRUE(document.HasUnsavedChanges());
    EXPECT_NE(document.NextUndo(), nullptr);
    document.MarkSaved();
    // One that replaces the tile's entries (an import) drops its history,
    // and the tile on screen shows the new entries.
    document.WriteBack();
    database.sets[1].tiles[0].paths.push_back({10, 50, 1, 2, 3, 4});
    document.DatabaseChanged(choices);
    EXPECT_EQ(document.NextUndo(), nullptr);
    EXPECT_EQ(document.working().pathCount(), 2);
    EXPECT_TRUE(document.HasTile());
    document.Reset(true, false);
    EXPECT_FALSE(document.HasTile());
    EXPECT_FALSE(document.HasUnsavedChanges());
}

// A path that starts at Y 0 is saved at 0 whether it was left alone, changed
// or drawn new, and the entries nobody changed keep their bytes.
TEST(EditDocumentSave, APathStartingAtYZeroIsSavedThere) {
    const std::vector<TilePath> stored = {{10, 50.5f, 100, 0, 300, 400.25f},
                                          {10, 50, 300, 400.25f, 500, 600}};
    using Edit = std::function<std::unique_ptr<EditCommand>(const EditorWorkingSet&)>;
    struct Case {
        const char* what;
        Edit edit;
        std::vector<TilePath> saved;
    };
    const Case cases[] = {
        {"segment 2's width alone: segment 1 keeps its bytes",
         [](const auto& w) {
             return MakeChangeValue(w, 0, EntryKind::Path, 2, ValueField::Width, 75);
         },
         {stored[0], {10, 75, 300, 400.25f, 500, 600}}},
        {"segment 1 changed: its start stays at Y 0",
         [](const auto& w) {
             return MakeChangeValue(w, 0, EntryKind::Path, 1, ValueField::EndX, 310);
         },
         {{10, 50.5f, 100, 0, 310, 400.25f}, stored[1]}},
        {"a new path drawn from Y 0",
         [](const auto&) {
             return std::make_unique<AddSegmentCommand>(0, 3,
                                                        WorkingPath{0, 80, 700, 0, 900, 0, true});
         },
         {stored[0], stored[1], {2, 80, 700, 0, 900, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TileDatabase database =
            testing::MakeDatabase({TileSet{4, {testing::MakeTile("H006.PCX", stored)}}});
        EditDocument document(database);
        EditorChoices choices;
        ASSERT_TRUE(document.OpenTile(0, 0, choices));
        EXPECT_TRUE(document.working().Path(1).beginsPath);
        ASSERT_TRUE(document.Apply(c.edit(document.working())));
        document.WriteBack();
        MessageLog messages;
        const std::optional<TileDatabase> saved =
            ParseTextureBin(SerializeTextureBin(database), messages);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->sets[0].tiles[0].paths, c.saved);
    }
}

// Random edits of every kind (groups too) on random tiles, with saves between them; then
// every history undone to its start and redone to its end.
TEST(EditDocumentRandom, UndoneToTheStartAndRedoneToTheEndByteForByte) {
    testing::RandomEdits edits(20261208);
    const auto pick = [&](int32_t low, int32_t high) { return edits.Pick(low, high); };
    for (int sequence = 0; sequence < 2000; ++sequence) {
        const std::vector<TileRecord> tiles = edits.Tiles();
        TileDatabase database = testing::MakeDatabase({TileSet{4, tiles}});
        const auto start = SerializeTextureBin(database);
        EditDocument document(database);
        EditorChoices choices;
        const auto bytes = [&] {
            document.WriteBack();
            return SerializeTextureBin(database);
        };
        const auto open = [&](int32_t tile) { ASSERT_TRUE(document.OpenTile(0, tile, choices)); };
        open(0);
        for (int step = pick(5, 30); step > 0; --step) {
            std::unique_ptr<EditCommand> command;
            switch (pick(0, 5)) {
                case 0:
                    open(pick(0, 2));
                    break;
                case 1:
                    document.Undo();
                    break;
                case 2:
                    document.Redo();
                    break;
                case 3:
                    bytes();
                    document.MarkSaved();
                    break;
                default:
                    command = edits.Command(document.working(), document.tileId());
                    break;
            }
            if (command != nullptr) {
                ASSERT_TRUE(document.Apply(std::move(command)));
            }
        }
        // The end: every history at its last command.
        for (int32_t tile = 0; tile < 3; ++tile) {
            open(tile);
            while (document.Redo()) {
            }
        }
        const auto end = bytes();
        for (int32_t tile = 0; tile < 3; ++tile) {
            open(tile);
            while (document.Undo()) {
            }
        }
        ASSERT_EQ(bytes(), start) << "sequence " << sequence;
        for (int32_t tile = 0; tile < 3; ++tile) {
            open(tile);
            while (document.Redo()) {
            }
        }
        ASSERT_EQ(bytes(), end) << "sequence " << sequence;
    }
}

}  // namespace
}  // namespace lorvane
