// The select tool, snapping while drawing, list cells and typed points,
// through the panel's pointer in viewer pixels of the zoomable view (a
// 300-pixel square over the tile: 10.93 feet a pixel).

#include <cmath>

#include "editor/clipboard.h"
#include "editor/status_text.h"
#include "editor/typed_values.h"
#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

class SelectToolTest : public PanelTest {
  protected:
    void SetUp() override {
        // H000: a road of two joined segments (100, 200)-(300, 400)-(500, 600)
        // and a lake of radius 300 at (2400, 800).
        LoadDatabase(TwoSetDatabase());
        LoadTile("H000.PCX");
        platform.messages.clear();
    }
    ScreenPoint At(double x, double y, double dx = 0, double dy = 0) const {
        const ScreenPoint p = panel.view().ToScreen({x, y});
        return {p.x + dx, p.y + dy};
    }
    void Drag(ScreenPoint from, ScreenPoint to, Modifiers modifiers = {}) {
        panel.PointerPressed(MouseButton::Left, from, modifiers);
        for (int step = 1; step <= 4; ++step) {
            panel.PointerMoved(
                {from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4},
                modifiers);
        }
        panel.PointerReleased(MouseButton::Left, to, modifiers);
        panel.RunPosted();
    }
    const EditorWorkingSet& Tables() const { return panel.tables(); }
};

TEST_F(SelectToolTest, AClickPicksTheNearestEntryAndItsRow) {
    ASSERT_EQ(panel.tool(), ToolKind::Select);
    struct Case {
        ScreenPoint at;
        std::optional<Pick> pick;
    };
    const Case cases[] = {
        {At(300, 400, 2, 2), Pick{EntryKind::Path, 2, PickPart::Start}},  // the joint
        {At(100, 200, -3, 0), Pick{EntryKind::Path, 1, PickPart::Start}},
        {At(400, 500, 2, 0), Pick{EntryKind::Path, 2, PickPart::Body}},
        {At(2400, 1100), Pick{EntryKind::Area, 1, PickPart::Rim}},
        {At(2400, 800, 1, 1), Pick{EntryKind::Area, 1, PickPart::Centre}},
        {At(3000, 3000), std::nullopt},
    };
    for (const Case& c : cases) {
        panel.PointerPressed(MouseButton::Left, c.at);
        panel.PointerReleased(MouseButton::Left, c.at);
        EXPECT_EQ(panel.selection(), c.pick);
    }
    // A row chosen in a list picks its entry; none chosen picks none.
    panel.SelectRow(PanelList::Paths, 1);
    EXPECT_EQ(panel.selection(), (Pick{EntryKind::Path, 2, PickPart::Body}));
    panel.SelectRow(PanelList::Areas, 0);
    EXPECT_EQ(panel.selection(), (Pick{EntryKind::Area, 1, PickPart::Centre}));
    panel.SelectRow(PanelList::Areas, -1);
    EXPECT_EQ(panel.selection(), std::nullopt);
    panel.SelectRow(PanelList::Paths, 5);  // no such row
    EXPECT_EQ(panel.selection(), std::nullopt);
}

TEST_F(SelectToolTest, DraggingMovesAJointCentreOrRimAsOneUndoableStep) {
    ASSERT_EQ(panel.document().NextUndo(), nullptr);
    // The joint, dragged 20 pixels right: both segments follow.
    Drag(At(300, 400), At(300, 400, 20, 0));
    const float y = StoredFeet(400 + 20 * 3280.0 / 300);
    EXPECT_EQ(Tables().Path(1).endY, y);
    EXPECT_EQ(Tables().Path(2).startY, y);
    EXPECT_EQ(Tables().Path(2).startX, 300);
    EXPECT_FALSE(Tables().Path(2).beginsPath);
    EXPECT_EQ(panel.UndoText(), "Move Point");
    // The lake's centre, then its rim.
    Drag(At(2400, 800), At(2400, 800, 0, -10));
    EXPECT_EQ(Tables().Area(1).centerX, StoredFeet(2400 + 10 * 3280.0 / 300));
    const double rim = 300;
    Drag(At(Tables().Area(1).centerX, 800 + rim), At(Tables().Area(1).centerX, 800 + rim, 10, 0));
    EXPECT_NEAR(Tables().Area(1).radius, 300 + 10 * 3280.0 / 300, 1);
    // Undone, each drag is taken back whole.
    panel.Undo();
    panel.Undo();
    EXPECT_EQ(Tables().Area(1), (WorkingArea{0, 300, 2400, 800}));
    panel.Undo();
    EXPECT_EQ(Tables().Path(1).endY, 400);
    EXPECT_EQ(Tables().Path(2).startY, 400);
    EXPECT_EQ(panel.document().NextUndo(), nullptr);  // three drags, three steps
    // A press and release without moving changes nothing.
    Drag(At(300, 400), At(300, 400, 1, 1));
    EXPECT_EQ(panel.document().NextUndo(), nullptr);
}

TEST_F(SelectToolTest, AJointDraggedTakesEveryEndOnItAndAltTakesThePickedOneAlone) {
    // A branch road that starts on the joint and one that ends on it.
    ASSERT_TRUE(panel.Apply(std::make_unique<AddSegmentCommand>(
        panel.document().tileId(), 3, WorkingPath{1, 40, 300, 400, 900, 1400, true})));
    ASSERT_TRUE(panel.Apply(std::make_unique<AddSegmentCommand>(
        panel.document().tileId(), 4, WorkingPath{1, 40, 1500, 1500, 300, 400, true})));
    const EditorWorkingSet before = Tables();
    Drag(At(300, 400), At(300, 400, 0, -20));
    const float x = StoredFeet(300 + 20 * 3280.0 / 300);
    const std::vector<FeetPoint> ends = {{Tables().Path(1).endX, Tables().Path(1).endY},
                                         {Tables().Path(2).startX, Tables().Path(2).startY},
                                         {Tables().Path(3).startX, Tables().Path(3).startY},
                                         {Tables().Path(4).endX, Tables().Path(4).endY}};
    EXPECT_EQ(ends, std::vector<FeetPoint>(4, FeetPoint{x, 400}));
    EXPECT_TRUE(Tables().Path(3).beginsPath);
    EXPECT_EQ(Tables().Path(3).endX, 900);  // the far ends stay
    panel.Undo();                           // one step
    EXPECT_EQ(Tables().paths, before.paths);
    // With Alt held the picked end moves alone (the snap is off too).
    Drag(At(300, 400), At(300, 400, 0, -20), Modifiers{false, false, true});
    int stayed = 0;
    for (const WorkingPath& p : Tables().paths) {
        stayed += p.startX == 300 && p.startY == 400;
        stayed += p.endX == 300 && p.endY == 400;
    }
    EXPECT_EQ(stayed, 3);
    ASSERT_TRUE(panel.selection());
    EXPECT_EQ(panel.selection()->kind, EntryKind::Path);
}

TEST_F(SelectToolTest, ADraggedEndSnapsToOtherPointsButNotToItself) {
    // The end of the road dragged next to the lake's centre lands on it.
    Drag(At(500, 600), At(2400, 800, 4, -3));
    EXPECT_EQ(Tables().Path(2).endX, 2400);
    EXPECT_EQ(Tables().Path(2).endY, 800);
    // With Alt held it lands where it is let go.
    Drag(At(2400, 800), At(2000, 1000, 4, -3), Modifiers{false, false, true});
    EXPECT_NE(std::fmod(Tables().Area(1).centerX, 100.0f), 0);
    // While dragging, the frame shows the tables as they will be.
    panel.PointerPressed(MouseButton::Left, At(100, 200));
    panel.PointerMoved(At(100, 200, 30, 0));
    bool moved = false;
    for (const FrameItem& item : panel.Frame()) {
        if (const auto* line = std::get_if<FrameLine>(&item))
            moved = moved || std::abs(line->from.x - At(100, 200, 30, 0).x) < 1e-6;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(Tables().Path(1).startY, 200);  // not changed until released
    panel.Key(EditorKey::Escape);
    panel.PointerReleased(MouseButton::Left, At(100, 200, 30, 0));
    EXPECT_EQ(Tables().Path(1).startY, 200);
}

TEST_F(SelectToolTest, DeleteRemovesWhatIsPicked) {
    panel.PointerPressed(MouseButton::Left, At(2400, 800));
    panel.PointerReleased(MouseButton::Left, At(2400, 800));
    EXPECT_TRUE(panel.Key(EditorKey::Delete));
    EXPECT_EQ(Tables().areaCount(), 0);
    EXPECT_EQ(panel.selection(), std::nullopt);
    EXPECT_FALSE(panel.Key(EditorKey::Delete));  // nothing picked
    panel.Undo();
    EXPECT_EQ(Tables().areaCount(), 1);
}

TEST_F(SelectToolTest, SeveralAreSelectedByShiftCtrlABoxAndSelectAll) {
    const Pick first{EntryKind::Path, 1, PickPart::Body};
    const Pick lake{EntryKind::Area, 1, PickPart::Centre};
    const auto click = [&](ScreenPoint at, Modifiers modifiers = {}) {
        panel.PointerPressed(MouseButton::Left, at, modifiers);
        panel.PointerReleased(MouseButton::Left, at, modifiers);
    };
    const auto selected = [&] {
        std::vector<std::pair<EntryKind, int32_t>> entries;
        for (const Pick& pick : panel.selectedEntries())
            entries.emplace_back(pick.kind, pick.entry);
        return entries;
    };
    using E = std::vector<std::pair<EntryKind, int32_t>>;
    click(At(200, 300));
    click(At(2400, 800), {.shift = true});
    EXPECT_EQ(selected(), (E{{EntryKind::Path, 1}, {EntryKind::Area, 1}}));
    EXPECT_EQ(panel.selection(), lake);  // the one picked last
    click(At(200, 300), {.control = true});
    EXPECT_EQ(selected(), (E{{EntryKind::Area, 1}}));
    click(At(200, 300), {.control = true});
    EXPECT_EQ(panel.selection(), first);
    click(At(3000, 3000));
    EXPECT_TRUE(selected().empty());
    // A box from beside everything: the segments wholly inside it; with
    // Shift it adds, and a disc it cuts is not inside.
    Drag(At(20, 100), At(550, 650));
    EXPECT_EQ(selected(), (E{{EntryKind::Path, 1}, {EntryKind::Path, 2}}));
    Drag(At(2450, 1300), At(1900, 250), {.shift = true});
    EXPECT_EQ(selected().size(), 2u);
    Drag(At(2000, 400), At(2800, 1200), {.shift = true});
    EXPECT_EQ(selected().size(), 3u);
    Drag(At(250, 700), At(550, 350));  // cuts the first segment: only the second
    EXPECT_EQ(selected(), (E{{EntryKind::Path, 2}}));
    EXPECT_EQ(panel.UndoText(), "");  // selecting changes nothing
    panel.SelectAll();
    EXPECT_EQ(selected().size(), 3u);
    // The list rows select too; with keepOther the other list stays.
    panel.SelectRows(PanelList::Paths, {1}, true);
    EXPECT_EQ(selected(), (E{{EntryKind::Area, 1}, {EntryKind::Path, 2}}));
    panel.SelectRows(PanelList::Paths, {0, 1});
    EXPECT_EQ(selected(), (E{{EntryKind::Path, 1}, {EntryKind::Path, 2}}));
    // Copied, the two stay one path; pasted, the copies are the selection.
    const auto copied = ReadClipboardText(panel.CopySelection());
    ASSERT_TRUE(copied && copied->paths.size() == 2);
    EXPECT_TRUE(copied->paths[0].beginsPath);
    EXPECT_FALSE(copied->paths[1].beginsPath);
    ASSERT_TRUE(panel.Paste(panel.CopySelection()));
    EXPECT_EQ(selected(), (E{{EntryKind::Path, 4}, {EntryKind::Path, 3}}));
    EXPECT_EQ(Tables().Path(3), Tables().Path(1));
}

TEST_F(SelectToolTest, TheSelectionMovesChangesAndGoesAsOneStepEach) {
    const EditorWorkingSet before = Tables();
    panel.SelectAll();
    panel.SelectRows(PanelList::Paths, {1}, true);  // the second segment and the lake
    // Dragged by the segment's body: both move by the same feet, one step.
    Drag(At(400, 500), At(400, 500, 20, -10));
    const double dx = Tables().Path(2).startX - before.Path(2).startX;
    const double dy = Tables().Path(2).startY - before.Path(2).startY;
    EXPECT_NE(dx, 0);
    EXPECT_NE(dy, 0);
    EXPECT_NEAR(Tables().Path(2).endX - before.Path(2).endX, dx, 0.01);
    EXPECT_NEAR(Tables().Area(1).centerX - before.Area(1).centerX, dx, 0.01);
    EXPECT_NEAR(Tables().Area(1).centerY - before.Area(1).centerY, dy, 0.01);
    EXPECT_EQ(Tables().Path(1), before.Path(1));
    EXPECT_EQ(panel.UndoText(), "Move 2 Entries");
    panel.Undo();
    EXPECT_EQ(Tables().paths, before.paths);
    EXPECT_EQ(Tables().areas, before.areas);
    // Toward the tile's far corner: held on the tile, the shape kept.
    Drag(At(400, 500), At(3270, 3270));
    EXPECT_FLOAT_EQ(Tables().Area(1).centerX, TILE_SPAN);
    EXPECT_FLOAT_EQ(Tables().Area(1).centerY, TILE_SPAN);
    EXPECT_NEAR(Tables().Area(1).centerX - Tables().Path(2).startX,
                before.Area(1).centerX - before.Path(2).startX, 0.01);
    panel.Undo();
    // Type and width from a row's menu: every selected segment, one step.
    panel.SelectAll();
    host.entryType = 0;  // River
    ASSERT_TRUE(panel.RunContextAction(ContextAction::ChangeType, {PanelList::Paths, 0}));
    host.entryWidth = 80;
    ASSERT_TRUE(panel.RunContextAction(ContextAction::ChangeWidth, {PanelList::Paths, 1}));
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(Tables().Path(n).typeChoice, 0);
        EXPECT_EQ(Tables().Path(n).width, 80);
    }
    EXPECT_EQ(panel.UndoText(), "Change Width of 2 Entries");
    panel.Undo();
    panel.Undo();
    EXPECT_EQ(Tables().paths, before.paths);
    // Of a row that is not selected, the row's entry alone.
    panel.SelectRows(PanelList::Paths, {1});
    ASSERT_TRUE(panel.RunContextAction(ContextAction::ChangeWidth, {PanelList::Paths, 0}));
    EXPECT_EQ(Tables().Path(1).width, 80);
    EXPECT_EQ(Tables().Path(2).width, before.Path(2).width);
    panel.Undo();
    // Delete: the whole selection, given back by one undo.
    panel.SelectAll();
    EXPECT_TRUE(panel.Key(EditorKey::Delete));
    EXPECT_EQ(Tables().pathCount() + Tables().areaCount(), 0);
    EXPECT_EQ(panel.UndoText(), "Delete 3 Entries");
    panel.Undo();
    EXPECT_EQ(Tables().paths, before.paths);
    EXPECT_EQ(Tables().areas, before.areas);
    // The Edit menu's Cut and Paste: through the window's clipboard.
    panel.SelectRows(PanelList::Paths, {0, 1});
    panel.Command(kPanelCut);
    EXPECT_EQ(Tables().pathCount(), 0);
    EXPECT_EQ(ReadClipboardText(host.clipboard)->paths, before.paths);
    panel.Command(kPanelPaste);
    EXPECT_EQ(Tables().paths, before.paths);
}

TEST_F(SelectToolTest, DrawingSnapsToEndsAndHoldsFifteenDegreesWithShift) {
    NewPath();
    // Five pixels from the road's end: the branch starts on it exactly.
    panel.PointerReleased(MouseButton::Left, At(500, 600, 3, 4));
    EXPECT_EQ(panel.stroke().open, (FeetPoint{500, 600}));
    // S off: no snapping.
    panel.ToggleSnapping();
    EXPECT_FALSE(panel.snapping());
    EXPECT_EQ(panel.Status().snap, "Snap off");
    panel.PointerReleased(MouseButton::Left, At(300, 400, 3, 4));
    EXPECT_NE(Tables().Path(3).endX, 300);
    panel.ToggleSnapping();
    // Shift: the next segment keeps to a multiple of 15 degrees.
    const FeetPoint open = panel.stroke().open;
    const ScreenPoint pointer = At(open.x + 300, open.y + 170);
    panel.PointerMoved(pointer, Modifiers{true, false, false});
    EXPECT_TRUE(panel.Status().drawing.starts_with("Segment 345 ft, heading 030"));
    panel.PointerReleased(MouseButton::Left, pointer, Modifiers{true, false, false});
    const WorkingPath& held = Tables().Path(4);
    const double heading =
        Heading({double(held.startX), double(held.startY)}, {double(held.endX), double(held.endY)});
    EXPECT_NEAR(heading, 30, 0.5);
    // The open segment's rubber band is in the frame, as a band of its width.
    panel.PointerMoved(At(1500, 1500));
    size_t dashed = 0;
    for (const FrameItem& item : panel.Frame()) {
        if (const auto* line = std::get_if<FrameLine>(&item))
            dashed += line->stroke == LineStyle::Dashed ? 1 : 0;
    }
    EXPECT_EQ(dashed, 1u);
}

TEST_F(SelectToolTest, ListCellsAreEditedOrRefusedWithAMessage) {
    struct Case {
        PanelList list;
        int row, column;
        const char* text;
        bool changed;
        const char* refusal;
    };
    const Case cases[] = {
        {PanelList::Paths, 0, 2, "80", true, nullptr},
        {PanelList::Paths, 0, 2, "-3", false, "A width must be more than 0 feet."},
        {PanelList::Paths, 0, 1, "River", true, nullptr},
        {PanelList::Paths, 0, 1, "Water", false, "\"Water\" is not a path type."},
        {PanelList::Areas, 0, 2, "12.6", true, nullptr},
        {PanelList::Areas, 0, 3, "4000", false, "A coordinate must be between 0 and 3280 feet."},
        {PanelList::Areas, 0, 1, "Urban", true, nullptr},
        {PanelList::Paths, 0, 0, "7", false, nullptr},   // the number is not edited
        {PanelList::Paths, 9, 2, "50", false, nullptr},  // no such row
        {PanelList::Paths, 0, 2, "80", false, nullptr},  // no change
    };
    for (const Case& c : cases) {
        platform.messages.clear();
        EXPECT_EQ(panel.EditCell(c.list, c.row, c.column, c.text), c.changed) << c.text;
        if (c.refusal) {
            ASSERT_EQ(platform.messages.size(), 1u) << c.text;
            EXPECT_EQ(platform.messages[0].text, c.refusal);
            EXPECT_EQ(platform.messages[0].caption, kTypedValueCaption);
            EXPECT_EQ(platform.messages[0].icon, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(platform.messages.empty()) << c.text;
        }
    }
    EXPECT_EQ(Tables().Path(1).width, 80);
    EXPECT_EQ(Tables().Path(1).typeChoice, 0);
    EXPECT_EQ(Tables().Area(1), (WorkingArea{7, 12.6f, 2400, 800}));
    // A joint's coordinate moves the joined end with it, in one step.
    EXPECT_TRUE(panel.EditCell(PanelList::Paths, 0, 5, "350"));
    EXPECT_EQ(Tables().Path(2).startX, 350);
    panel.Undo();
    EXPECT_EQ(Tables().Path(1).endX, 300);
    EXPECT_EQ(Tables().Path(2).startX, 300);
}

TEST_F(SelectToolTest, TypedPointsArePlacedExactly) {
    EXPECT_FALSE(panel.TypePoint(kPanelStartX, "10", "10"));  // nothing is being drawn
    NewArea();
    EXPECT_FALSE(panel.TypePoint(kPanelRadius, "100", ""));  // no centre yet
    EXPECT_TRUE(panel.TypePoint(kPanelCentreX, "1500.25", "3199.5"));
    EXPECT_FALSE(panel.TypePoint(kPanelRadius, "0", ""));
    EXPECT_EQ(platform.messages.back().text, "A radius must be more than 0 feet.");
    EXPECT_TRUE(panel.TypePoint(kPanelRadius, "250.75", ""));  // reaching past the tile's edge
    ASSERT_EQ(Tables().areaCount(), 2);
    EXPECT_EQ(Tables().Area(2).centerX, 1500.25f);
    EXPECT_EQ(Tables().Area(2).centerY, 3199.5f);
    EXPECT_EQ(Tables().Area(2).radius, 250.75f);
}

TEST(CommandGroup, RunsAsOneAndTakesBackWhatRanWhenOneDoesNotFit) {
    EditorWorkingSet tables;
    tables.paths = {{1, 50, 100, 200, 300, 400, true}, {1, 50, 300, 400, 500, 600}};
    const EditorWorkingSet start = tables;
    std::vector<std::unique_ptr<EditCommand>> moves;
    moves.push_back(MakeMovePoint(tables, 0, EntryKind::Path, 1, PointRole::End, {310, 410}));
    moves.push_back(MakeMovePoint(tables, 0, EntryKind::Path, 2, PointRole::Start, {310, 410}));
    const CommandGroup joint(0, std::move(moves));
    EXPECT_EQ(joint.kind(), CommandKind::Group);
    EXPECT_EQ(joint.Text(), "Move Point");
    ASSERT_TRUE(joint.Redo(tables));
    EXPECT_EQ(tables.Path(1).endX, 310);
    EXPECT_EQ(tables.Path(2).startX, 310);
    ASSERT_TRUE(joint.Undo(tables));
    EXPECT_EQ(tables.paths, start.paths);
    // The second does not fit tables of one segment: the first is taken back.
    EditorWorkingSet shorter;
    shorter.paths = {start.paths[0]};
    EXPECT_FALSE(joint.Redo(shorter));
    EXPECT_EQ(shorter.paths, std::vector<WorkingPath>{start.paths[0]});
}

}  // namespace
}  // namespace lorvane::testing
