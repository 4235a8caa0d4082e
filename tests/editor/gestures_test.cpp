// The editor's gestures: the double click that ends a path, the context
// menus of list rows and of the viewer, the Starting Point typed while a
// path is open.

#include "editor/clipboard.h"
#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

class GestureTest : public PanelTest {
  protected:
    void SetUp() override {
        LoadDatabase(TwoSetDatabase());
        LoadTile("H001.PCX");  // a tile without paths or areas
    }
    // A double click as the viewer gets it: press and release, the double
    // click (the second press), the second release.
    void DoubleClick(int x, int y) {
        const ScreenPoint at{double(x), double(y)};
        panel.PointerPressed(MouseButton::Left, at);
        panel.PointerReleased(MouseButton::Left, at);
        panel.PointerDoubleClicked(at);
        panel.PointerReleased(MouseButton::Left, at);
        panel.RunPosted();
    }
    const WorkingPath& Segment(int n) const { return panel.tables().Path(n); }
};

TEST_F(GestureTest, ADoubleClickEndsThePathWhereItsFirstClickPlacedThePoint) {
    NewPath(0, "80");  // River
    Click(10, 10);
    Click(60, 10);
    DoubleClick(110, 40);
    ASSERT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.stroke().phase, StrokePhase::None);
    EXPECT_EQ((FeetPoint{Segment(2).endX, Segment(2).endY}), FeetAt(110, 40));
    // Undo takes back the last segment: the double click undid nothing.
    EXPECT_EQ(panel.UndoText(), "Add River Segment");
    // The next click opens a new path: no segment from the old end.
    Click(200, 200);
    EXPECT_EQ(panel.stroke().phase, StrokePhase::PathOpen);
    EXPECT_EQ(panel.tables().pathCount(), 2);
    // A double click as the first point opens and ends a path of nothing.
    panel.EndStroke();
    DoubleClick(150, 150);
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.stroke().phase, StrokePhase::None);
    // With the select tool, or beside the tile, it changes nothing.
    panel.Key(EditorKey::Escape);
    ASSERT_EQ(panel.tool(), ToolKind::Select);
    DoubleClick(60, 10);
    panel.PointerDoubleClicked({50, kAreaSize + 2});
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.UndoText(), "Add River Segment");
}

TEST_F(GestureTest, ADoubleClickAcceptsTheTrace) {
    panel.Command(kPanelTrace);
    ASSERT_EQ(panel.tool(), ToolKind::Trace);
    Click(20, 150);
    DoubleClick(200, 150);
    EXPECT_EQ(panel.stroke().phase, StrokePhase::None);
    ASSERT_GE(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.UndoText().rfind("Trace ", 0), 0u);
    for (int n = 1; n <= panel.tables().pathCount(); ++n)
        EXPECT_FALSE(Segment(n).startX == Segment(n).endX && Segment(n).startY == Segment(n).endY);
}

TEST_F(GestureTest, TheMenusOfRowsAndOfTheViewer) {
    using A = ContextAction;
    const std::vector<A> segment{A::Delete, A::Copy, A::ChangeType, A::ChangeWidth, A::ZoomTo};
    const std::vector<A> area{A::Delete, A::Copy, A::ChangeType, A::ZoomTo};
    const std::vector<A> tile{A::NewPath, A::Trace, A::NewArea, A::ZoomToTile};
    NewPath();
    DrawPath({{20, 150}, {120, 150}});
    NewArea();
    Click(200, 60);
    Click(220, 60);
    panel.Key(EditorKey::Escape);
    ASSERT_EQ(panel.tool(), ToolKind::Select);
    struct Case {
        PanelList list;
        int row;
        std::vector<A> actions;
    };
    for (const Case& c : {Case{PanelList::Paths, 0, segment}, Case{PanelList::Areas, 0, area},
                          Case{PanelList::Paths, 1, {}}, Case{PanelList::Areas, -1, {}}})
        EXPECT_EQ(panel.ContextActions(c.list, c.row), c.actions) << c.row;
    // On the viewer: the picked entry (picked by the click), else the tile.
    EXPECT_EQ(panel.ViewerContextTarget({70, 150}), (ContextTarget{PanelList::Paths, 0}));
    EXPECT_EQ(panel.selection()->entry, 1);
    EXPECT_EQ(panel.ViewerContextTarget({200, 60}), (ContextTarget{PanelList::Areas, 0}));
    EXPECT_EQ(panel.ContextActions(*panel.ViewerContextTarget({70, 250})), tile);
    EXPECT_EQ(panel.ViewerContextTarget({50, kAreaSize + 5}), std::nullopt);
    // With a path open the right click is the tool's: it ends the path.
    NewPath();
    Click(10, 10);
    EXPECT_EQ(panel.ViewerContextTarget({70, 150}), std::nullopt);
    EXPECT_FALSE(panel.RunContextAction(A::Delete, {PanelList::Paths, 5}));
}

TEST_F(GestureTest, ContextActionsOfAnEntry) {
    NewPath(0, "80");  // River
    DrawPath({{20, 150}, {120, 150}, {120, 250}});
    const WorkingPath second = Segment(2);
    const ContextTarget row{PanelList::Paths, 1};
    // Copy: the row's entry as the clipboard's text, which pastes it back.
    EXPECT_TRUE(panel.RunContextAction(ContextAction::Copy, row));
    const auto copied = ReadClipboardText(host.clipboard);
    ASSERT_TRUE(copied && copied->paths.size() == 1);
    EXPECT_EQ(copied->paths[0].startX, second.startX);
    EXPECT_EQ(copied->paths[0].endY, second.endY);
    EXPECT_EQ(copied->paths[0].width, second.width);
    // Change Type: cancelled, nothing; a type chosen, one step of the history.
    EXPECT_FALSE(panel.RunContextAction(ContextAction::ChangeType, row));
    host.entryType = 1;  // Road
    EXPECT_TRUE(panel.RunContextAction(ContextAction::ChangeType, row));
    EXPECT_EQ(Segment(2).typeChoice, 1);
    EXPECT_EQ(Segment(1).typeChoice, 0);
    panel.Undo();
    EXPECT_EQ(Segment(2), second);
    host.entryType = 7;  // no such path type
    EXPECT_FALSE(panel.RunContextAction(ContextAction::ChangeType, row));
    // Zoom To: the segment fills the view, its ends inside it.
    EXPECT_TRUE(panel.RunContextAction(ContextAction::ZoomTo, row));
    EXPECT_GT(panel.view().scale(), 1.5 * kAreaSize / double(TILE_SPAN));
    for (const FeetPointF end :
         {FeetPointF{second.startX, second.startY}, FeetPointF{second.endX, second.endY}}) {
        const ScreenPoint at = panel.view().ToScreen(end);
        EXPECT_TRUE(at.x > 0 && at.x < kAreaSize && at.y > 0 && at.y < kAreaSize)
            << at.x << ", " << at.y;
    }
    EXPECT_TRUE(panel.RunContextAction(ContextAction::ZoomToTile, ContextTarget{}));
    EXPECT_TRUE(panel.view().fitted());
    // Delete: that entry, undoably.
    EXPECT_TRUE(panel.RunContextAction(ContextAction::Delete, row));
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.UndoText(), "Remove River Segment");
    panel.Undo();
    EXPECT_EQ(Segment(2), second);
    // The tile's actions start the tools.
    EXPECT_TRUE(panel.RunContextAction(ContextAction::Trace, ContextTarget{}));
    EXPECT_EQ(panel.tool(), ToolKind::Trace);
}

TEST_F(GestureTest, TheStartingPointTypedMovesTheOpenPathsStart) {
    NewPath();
    Click(20, 150);
    ASSERT_TRUE(panel.TypePoint(kPanelStartX, "1000", "500"));
    EXPECT_EQ(panel.stroke().open, (FeetPoint{1000, 500}));
    EXPECT_EQ(panel.Readout(kPanelStartY), "500");
    Click(120, 150);
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ((FeetPoint{Segment(1).startX, Segment(1).startY}), (FeetPoint{1000, 500}));
    Click(120, 250);
    // With segments placed the first one's start moves, one step back.
    ASSERT_TRUE(panel.TypePoint(kPanelStartX, "1200", "300"));
    EXPECT_EQ((FeetPoint{Segment(1).startX, Segment(1).startY}), (FeetPoint{1200, 300}));
    EXPECT_EQ((FeetPoint{Segment(1).endX, Segment(1).endY}), FeetAt(120, 150));
    EXPECT_EQ(panel.stroke().phase, StrokePhase::PathOpen);
    // Text that does not read moves nothing.
    EXPECT_FALSE(panel.TypePoint(kPanelStartX, "x", "300"));
    EXPECT_EQ(Segment(1).startX, 1200);
    // The path goes on from its open point.
    Click(200, 250);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    EXPECT_EQ(Segment(3).startY, Segment(2).endY);
    panel.EndStroke();
    panel.Undo();  // segment 3
    panel.Undo();  // the moved start
    EXPECT_EQ((FeetPoint{Segment(1).startX, Segment(1).startY}), (FeetPoint{1000, 500}));
}

}  // namespace
}  // namespace lorvane::testing
