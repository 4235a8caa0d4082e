// Drawing paths and areas with the mouse: clicks at viewer pixels give these
// working set entries, read-outs, rows and frame items.

#include <cmath>
#include <optional>
#include <string>

#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

class DrawingTest : public PanelTest {
  protected:
    void SetUp() override {
        LoadDatabase(TwoSetDatabase());
        LoadTile("H001.PCX");  // a tile without paths or areas
    }
    // The rubber band's disc or band: dashed.
    std::vector<FrameCircle> Discs() const {
        std::vector<FrameCircle> discs;
        for (const FrameCircle& c : ItemsOf<FrameCircle>(panel.Frame()))
            if (c.stroke == LineStyle::Dashed) discs.push_back(c);
        return discs;
    }
    std::vector<FrameLine> RubberLines() const {
        std::vector<FrameLine> lines;
        for (const FrameLine& l : ItemsOf<FrameLine>(panel.Frame()))
            if (l.stroke == LineStyle::Dashed) lines.push_back(l);
        return lines;
    }
    const WorkingPath& Segment(int n) const { return panel.tables().Path(n); }
};

TEST_F(DrawingTest, ClicksOnAViewerOf300PixelsGiveTileFeet) {
    struct Case {
        int x, y;                          // viewer pixel
        std::optional<FeetPoint> snapped;  // the start, when it snaps
        std::string shownY;                // read-out 29023
    };
    const std::vector<Case> cases = {
        {150, 150, FeetPoint{1640, 1640}, "1640"},  // the centre, in whole feet
        {0, 300, FeetPoint{0, 0}, "0"},             // lower-left corner
        {300, 0, FeetPoint{3280, 3280}, "3280"},
        {1, 299, FeetPoint{0, 0}, "0"},  // a pixel in: snapped to the start before
        {12, 288, std::nullopt, "131"},  // 12 × 10.93 feet, shown rounded
    };
    NewPath();
    const FeetPoint end = FeetAt(100, 100);
    for (const Case& c : cases) {
        Click(c.x, c.y);
        EXPECT_EQ(panel.Readout(kPanelStartY), c.shownY);
        Click(100, 100);
        const WorkingPath& segment = panel.tables().paths.back();
        const FeetPoint start = c.snapped.value_or(FeetAt(c.x, c.y));
        EXPECT_EQ(segment.startX, start.x) << c.x << "," << c.y;
        EXPECT_EQ(segment.startY, start.y) << c.x << "," << c.y;
        EXPECT_TRUE(segment.beginsPath);
        EXPECT_EQ(segment.endX, end.x);
        EXPECT_EQ(segment.endY, end.y);
        RightClick(100, 100);
        panel.RunPosted();
    }
    // With Alt held nothing snaps: one pixel in is one scale step, rounded.
    panel.PointerReleased(MouseButton::Left, {1, 299}, Modifiers{false, false, true});
    EXPECT_EQ(panel.Readout(kPanelStartX), "11");
    EXPECT_EQ(panel.Readout(kPanelStartY), "11");
    RightClick(1, 299);
    panel.RunPosted();
    // The new path that starts at Y 0 is shown and stored at 0.
    EXPECT_EQ(panel.pathRows().Rows()[1][4], "0");
    panel.WriteBackTileOnScreen();
    EXPECT_EQ(database.sets[0].tiles[1].paths[1].startY, 0.0f);
}

// At the deepest zoom a click lands between whole feet: the segment keeps
// the fraction, the read-outs and rows show it rounded, the tile stores it.
TEST_F(DrawingTest, APointPlacedAtAFractionOfAFootIsSavedWithIt) {
    const double fitted = panel.view().ToFeet(1.0);
    panel.view().ZoomSteps(40);  // as deep as it goes
    const ScreenPoint first{101.5, 57.25};
    const ScreenPoint second{203.75, 211.5};
    const FeetPointF start = panel.view().ToFeet(first);
    const FeetPointF end = panel.view().ToFeet(second);
    ASSERT_LT(panel.view().ToFeet(1.0), fitted);
    NewPath();
    const Modifiers noSnap{false, false, true};
    panel.PointerReleased(MouseButton::Left, first, noSnap);
    panel.PointerReleased(MouseButton::Left, second, noSnap);
    RightClick(10, 10);
    ASSERT_EQ(panel.tables().pathCount(), 1);
    const WorkingPath& segment = Segment(1);
    EXPECT_EQ(segment.startX, static_cast<float>(start.x));
    EXPECT_EQ(segment.startY, static_cast<float>(start.y));
    EXPECT_EQ(segment.endX, static_cast<float>(end.x));
    EXPECT_EQ(segment.endY, static_cast<float>(end.y));
    EXPECT_NE(segment.endX, std::round(segment.endX));
    EXPECT_EQ(panel.pathRows().Rows()[0][5], std::to_string(std::lround(end.x)));
    panel.WriteBackTileOnScreen();
    const TilePath& stored = database.sets[0].tiles[1].paths[0];
    EXPECT_EQ(stored.startX, segment.startX);
    EXPECT_EQ(stored.startY, segment.startY);
    EXPECT_EQ(stored.endX, segment.endX);
    EXPECT_EQ(stored.endY, segment.endY);
}

TEST_F(DrawingTest, ThreeClicksAndARightClickDrawTwoChainedSegments) {
    NewPath(0, "80");  // River
    Click(30, 270);
    Move(100, 200);
    Click(100, 200);
    EXPECT_EQ(panel.Readout(kPanelEndX), "1093");
    EXPECT_EQ(panel.Readout(kPanelEndY), "1093");
    Click(200, 100);
    RightClick(200, 100);
    ASSERT_EQ(panel.tables().pathCount(), 2);
    const WorkingPath& first = Segment(1);
    const WorkingPath& second = Segment(2);
    EXPECT_EQ(first.startY, FeetAt(30, 270).y);
    EXPECT_TRUE(first.beginsPath);
    EXPECT_EQ(second.startX, first.endX);
    EXPECT_EQ(second.startY, first.endY);
    EXPECT_FALSE(second.beginsPath);
    EXPECT_EQ(second.endX, FeetAt(200, 100).x);
    EXPECT_EQ(second.endY, FeetAt(200, 100).y);
    EXPECT_EQ(FirstColumn(panel.pathRows()), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(panel.pathRows().Rows()[1],
              (ListRow{"02", "River", "80", "1093", "1093", "2187", "2187"}));
    // The right click ended the path: read-outs cleared, the next two clicks
    // make a segment that begins a new path.
    EXPECT_EQ(panel.Readout(kPanelStartX), " ");
    Click(10, 10);
    Click(20, 10);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    EXPECT_TRUE(Segment(3).beginsPath);
    EXPECT_EQ(Segment(3).startX, FeetAt(10, 10).x);
}

TEST_F(DrawingTest, NoSegmentOfNoLengthIsStored) {
    NewPath();
    // A left click then a right click: a point opened and closed, nothing stored.
    Click(50, 50);
    RightClick(50, 50);
    EXPECT_EQ(panel.tables().pathCount(), 0);
    // A click on the open point again adds nothing either.
    Click(100, 100);
    Click(100, 100);
    EXPECT_EQ(panel.tables().pathCount(), 0);
    Click(120, 100);
    EXPECT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(FirstColumn(panel.pathRows()), (std::vector<std::string>{"01"}));
    EXPECT_FALSE(panel.document().NextUndo() == nullptr);
}

TEST_F(DrawingTest, AnAreaIsACentreAndARadius) {
    NewArea(6);  // Rocky
    Click(100, 100);
    EXPECT_EQ(panel.Readout(kPanelCentreX), "2187");
    EXPECT_EQ(panel.Readout(kPanelCentreY), "1093");
    EXPECT_EQ(panel.tables().areaCount(), 0);  // nothing stored until the radius
    Move(150, 100);
    Click(150, 100);  // 50 pixels to the right
    ASSERT_EQ(panel.tables().areaCount(), 1);
    const WorkingArea& area = panel.tables().Area(1);
    EXPECT_EQ(area.centerX, FeetAt(100, 100).x);
    EXPECT_EQ(area.centerY, FeetAt(100, 100).y);
    // From the centre to the click, 50 pixels across: 546.7 feet, shown
    // rounded.
    EXPECT_NEAR(area.radius, FeetAt(150, 100).y - FeetAt(100, 100).y, 1e-3);
    EXPECT_EQ(panel.Readout(kPanelRadius), "547");
    EXPECT_EQ(panel.areaRows().Rows()[0], (ListRow{"01", "Rocky", "547", "2187", "1093"}));
    // Drawn where it was clicked: 50 pixels around the click.
    panel.RunPosted();
    const std::vector<FrameCircle> circles = ItemsOf<FrameCircle>(panel.Frame());
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_NEAR(circles[0].radius, 50, 1e-3);
    EXPECT_NEAR(circles[0].centre.x, 100, 1e-3);
    EXPECT_NEAR(circles[0].centre.y, 100, 1e-3);
    // A radius click on the centre stores no circle of no radius.
    Click(200, 200);
    Click(200, 200);
    EXPECT_EQ(panel.tables().areaCount(), 1);
}

TEST_F(DrawingTest, TheRubberBandFollowsThePointer) {
    NewArea();
    Click(100, 100);
    Move(110, 100);
    ASSERT_EQ(Discs().size(), 1u);
    EXPECT_NEAR(Discs()[0].radius, 10, 0.1);
    Move(100, 120);
    ASSERT_EQ(Discs().size(), 1u);
    EXPECT_NEAR(Discs()[0].radius, 20, 0.1);
    EXPECT_NEAR(Discs()[0].centre.x, 100, 0.1);
    // Off the image: the read-outs and the band stay as they were.
    Move(-1, 10);
    ASSERT_EQ(Discs().size(), 1u);
    EXPECT_NEAR(Discs()[0].radius, 20, 0.1);
    EXPECT_EQ(panel.Readout(kPanelPointerX), "1968");
    EXPECT_EQ(panel.Readout(kPanelPointerY), "1093");
}

TEST_F(DrawingTest, EndingAStrokeTakesTheRubberBandAway) {
    NewPath(1, "50");  // Road
    Click(10, 10);
    Move(40, 50);
    ASSERT_EQ(RubberLines().size(), 1u);
    EXPECT_NEAR(RubberLines()[0].to.x, 40, 0.1);
    EXPECT_NEAR(RubberLines()[0].to.y, 50, 0.1);
    RightClick(40, 50);
    EXPECT_TRUE(RubberLines().empty());
    EXPECT_EQ(ItemsOf<FrameImage>(panel.Frame()).size(), 1u);
}

TEST_F(DrawingTest, UndoDuringAPathStrokeStepsBackOneSegment) {
    NewPath();
    Click(0, 0);
    Click(100, 0);
    Click(200, 0);
    Click(200, 100);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(FirstColumn(panel.pathRows()), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(panel.Readout(kPanelEndX), " ");
    panel.RunPosted();
    // The band goes on from the end of segment 2 (X 3280, Y 2187, at
    // (200, 0)), and so does drawing.
    Move(250, 50);
    ASSERT_EQ(RubberLines().size(), 1u);
    EXPECT_NEAR(RubberLines()[0].from.x, 200, 0.1);
    EXPECT_NEAR(RubberLines()[0].from.y, 0, 0.1);
    Click(250, 50);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    EXPECT_EQ(Segment(3).startX, Segment(2).endX);
    EXPECT_EQ(Segment(3).startY, Segment(2).endY);
}

TEST_F(DrawingTest, UndoingTheStartOfTheOpenPathCancelsIt) {
    NewPath();
    DrawPath({{0, 0}, {100, 0}});
    const WorkingPath kept = Segment(1);
    Click(150, 150);  // a new path's first point
    EXPECT_EQ(panel.UndoText(), "Start Point");
    panel.Command(kPanelUndoSegment);
    panel.RunPosted();
    EXPECT_EQ(panel.tables().pathCount(), 1);
    // The next click opens a path; the segment before is not moved.
    Click(200, 200);
    Click(220, 200);
    EXPECT_EQ(Segment(1), kept);
    EXPECT_TRUE(Segment(2).beginsPath);
    EXPECT_EQ(Segment(2).startY, FeetAt(200, 200).y);
}

TEST_F(DrawingTest, UndoOfAreasCancelsTheOpenCentreThenTakesAreasBack) {
    NewArea();
    Click(100, 100);
    Click(120, 100);
    Click(200, 200);
    Click(210, 200);
    Click(50, 50);  // a third centre, radius pending
    EXPECT_EQ(panel.UndoText(), "Center");
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.tables().areaCount(), 2);
    EXPECT_EQ(panel.Readout(kPanelCentreX), " ");
    panel.RunPosted();
    EXPECT_EQ(panel.UndoText(), "Add Water Area");
    panel.Command(kPanelUndoSegment);
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.tables().areaCount(), 0);
    EXPECT_EQ(panel.areaRows().RowCount(), 0u);
    panel.RunPosted();
    // With nothing left, undo posts nothing; the next two clicks make an area.
    panel.Command(kPanelUndoSegment);
    EXPECT_FALSE(panel.HasPosted());
    Click(100, 100);
    Click(110, 100);
    EXPECT_EQ(panel.tables().areaCount(), 1);
}

TEST_F(DrawingTest, KeysWhileDrawing) {
    NewPath();
    // Backspace takes the last point back; the path goes on from the one before.
    Click(10, 10);
    Click(50, 10);
    Click(90, 10);
    EXPECT_TRUE(panel.Key(EditorKey::Backspace));
    EXPECT_EQ(panel.tables().pathCount(), 1);
    Click(90, 50);
    ASSERT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(Segment(2).startX, Segment(1).endX);
    // Enter ends the path as a right click does: the next two clicks begin one.
    EXPECT_TRUE(panel.Key(EditorKey::Enter));
    Click(200, 200);
    Click(210, 200);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    EXPECT_TRUE(Segment(3).beginsPath);
    // Esc cancels the open point and stores nothing.
    EXPECT_TRUE(panel.Key(EditorKey::Escape));
    Click(250, 250);
    EXPECT_TRUE(panel.Key(EditorKey::Escape));
    EXPECT_EQ(panel.tables().pathCount(), 3);
    EXPECT_EQ(panel.tool(), ToolKind::Path);
    // With nothing open Esc leaves drawing: clicks then draw nothing, and a
    // further Esc does nothing at all.
    EXPECT_TRUE(panel.Key(EditorKey::Escape));
    EXPECT_EQ(panel.tool(), ToolKind::Select);
    Click(20, 20);
    Click(40, 40);
    EXPECT_EQ(panel.tables().pathCount(), 3);
    EXPECT_FALSE(panel.Key(EditorKey::Escape));
    EXPECT_TRUE(document.hasDatabase());
    // The area tool: Esc cancels an open centre.
    NewArea();
    Click(100, 100);
    EXPECT_TRUE(panel.Key(EditorKey::Escape));
    Click(150, 150);
    Click(160, 150);
    ASSERT_EQ(panel.tables().areaCount(), 1);
    EXPECT_EQ(panel.tables().Area(1).centerX, 1640);
}

TEST_F(DrawingTest, UndoAndRedoSayWhatTheyDoAndRedoGoesOnInAnOpenPath) {
    EXPECT_EQ(panel.UndoText(), "");
    NewPath(2, "30");  // Bridge
    Click(10, 10);
    Click(50, 10);
    Click(90, 10);
    EXPECT_EQ(panel.UndoText(), "Add Bridge Segment");
    EXPECT_EQ(panel.RedoText(), "");
    panel.Undo();
    panel.Undo();
    EXPECT_EQ(panel.RedoText(), "Add Bridge Segment");
    EXPECT_EQ(panel.UndoText(), "Start Point");
    // Redo brings the segments back and the path goes on from their end.
    panel.Redo();
    panel.Redo();
    EXPECT_EQ(panel.tables().pathCount(), 2);
    Click(90, 90);
    ASSERT_EQ(panel.tables().pathCount(), 3);
    EXPECT_EQ(Segment(3).startY, Segment(2).endY);
    // A removed row says so, and comes back with Undo.
    panel.EndStroke();
    panel.RightClickList(PanelList::Paths, 0);
    EXPECT_EQ(panel.UndoText(), "Remove Bridge Segment");
    panel.Undo();
    EXPECT_EQ(panel.tables().pathCount(), 3);
    EXPECT_EQ(panel.RedoText(), "Remove Bridge Segment");
}

TEST_F(DrawingTest, ClicksBesideTheImage) {
    NewPath();
    Click(10, 10);
    Click(20, 10);
    // A left click beside the image gives the tile list the focus.
    Click(-4, 0);
    EXPECT_EQ(host.focusCount, 1);
    EXPECT_EQ(panel.tables().pathCount(), 1);
    // A right click beside it does nothing; the stroke goes on.
    RightClick(kAreaSize + 1, 0);
    Click(30, 10);
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_FALSE(Segment(2).beginsPath);
    // A double click beside it undoes nothing and leaves the path open.
    panel.PointerDoubleClicked({50, kAreaSize + 2});
    EXPECT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.stroke().phase, StrokePhase::PathOpen);
}

TEST_F(DrawingTest, CancelledNewPathLeavesToolAndStroke) {
    NewArea();
    Click(100, 100);
    host.newPathDialog = [] { return false; };
    panel.Command(kPanelNewPath);
    // The centre is still open: the next click is its radius.
    Click(110, 100);
    EXPECT_EQ(panel.tables().areaCount(), 1);
    // Confirmed, New Path ends an open centre and switches to paths.
    Click(200, 200);
    NewPath();
    Click(150, 150);
    Click(160, 150);
    EXPECT_EQ(panel.tables().areaCount(), 1);
    EXPECT_EQ(panel.tables().pathCount(), 1);
}

TEST_F(DrawingTest, ContinueBeforeAnyNewPathDrawsWithTheShownTypeAndWidth) {
    panel.Command(kPanelShowPaths);  // hidden; Continue shows them again
    panel.Command(kPanelContinuePath);
    EXPECT_EQ(panel.Readout(kPanelWidth), "50");
    EXPECT_EQ(panel.Readout(kPanelType), "Road");
    EXPECT_TRUE(panel.showPaths());
    DrawPath({{10, 10}, {50, 50}});
    ASSERT_EQ(panel.tables().pathCount(), 1);
    EXPECT_EQ(panel.pathRows().Rows()[0][1], "Road");
    EXPECT_EQ(panel.pathRows().Rows()[0][2], "50");
    // After a tile with a river: Continue goes on with River and its width.
    LoadTile("H010.PCX");
    panel.Command(kPanelContinuePath);
    EXPECT_EQ(panel.Readout(kPanelType), "River");
    EXPECT_EQ(panel.Readout(kPanelWidth), "100");
    DrawPath({{10, 10}, {50, 50}});
    EXPECT_EQ(panel.pathRows().Rows()[1][1], "River");
    EXPECT_EQ(panel.pathRows().Rows()[1][2], "100");
    // Continue in the Area group before any New Area: Water.
    panel.Command(kPanelContinueArea);
    EXPECT_EQ(panel.Readout(kPanelType), "Water");
    EXPECT_EQ(panel.tool(), ToolKind::Area);
}

TEST_F(DrawingTest, ANewPathWidthBelowOneIsRefused) {
    for (const std::string width : {"0", "-5", "", "wide"}) {
        NewPath(1, width);
        EXPECT_EQ(platform.messages,
                  (std::vector<Message>{{kWidthRefusal, "Width Error", MessageIcon::Exclamation}}))
            << width;
        platform.messages.clear();
        EXPECT_EQ(panel.tool(), ToolKind::Select) << width;  // the dialog was not confirmed
    }
    NewPath(1, "1");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(panel.tool(), ToolKind::Path);
}

TEST_F(DrawingTest, TheFrameShowsTheImageAndEveryEntryWithItsPen) {
    LoadTile("H000.PCX");
    const auto frame = [this] { return panel.Frame(); };
    EXPECT_EQ(ItemsOf<FrameImage>(frame()).size(), 1u);
    const std::vector<FrameBand> bands = ItemsOf<FrameBand>(frame());
    ASSERT_EQ(bands.size(), 2u);  // the two Road segments, in red
    EXPECT_EQ(bands[0].fill, (Rgba{255, 0, 0, kBandAlpha}));
    ASSERT_EQ(ItemsOf<FrameCircle>(frame()).size(), 1u);  // the lake, cyan
    EXPECT_EQ(ItemsOf<FrameCircle>(frame())[0].rim.blue, 255);
    panel.Command(kPanelShowPaths);
    EXPECT_FALSE(panel.showPaths());
    EXPECT_TRUE(ItemsOf<FrameBand>(frame()).empty());
    EXPECT_EQ(ItemsOf<FrameCircle>(frame()).size(), 1u);
    panel.Command(kPanelShowAreas);
    EXPECT_TRUE(ItemsOf<FrameCircle>(frame()).empty());
    EXPECT_EQ(ItemsOf<FrameImage>(frame()).size(), 1u);
}

TEST_F(DrawingTest, AChosenRowPicksItsEntryAndTheFrameHighlightsIt) {
    LoadTile("H000.PCX");
    const auto highlighted = [this] {
        int count = 0;
        for (const FrameCircle& c : ItemsOf<FrameCircle>(panel.Frame()))
            count += c.rim == kHighlight;
        for (const FrameLine& l : ItemsOf<FrameLine>(panel.Frame()))
            count += l.colour == kHighlight;
        return count;
    };
    EXPECT_EQ(highlighted(), 0);
    panel.ActivateRow(PanelList::Areas, 0);
    ASSERT_TRUE(panel.selection());
    EXPECT_EQ(panel.selection()->kind, EntryKind::Area);
    EXPECT_EQ(panel.selection()->entry, 1);
    EXPECT_GT(highlighted(), 0);
    panel.ActivateRow(PanelList::Paths, 5);  // no such row: the pick stays
    EXPECT_EQ(panel.selection()->kind, EntryKind::Area);
}

TEST_F(DrawingTest, UnsavedAndTheExportMarkFollowTheHistory) {
    NewPath();
    Click(10, 10);
    Click(50, 10);
    EXPECT_TRUE(panel.HasUnsavedEdits());
    EXPECT_EQ(database.index[1].modified, 1);  // marked for export
    // Saved as the program saves: written back, then marked saved.
    panel.WriteBackTileOnScreen();
    document.MarkSaved();
    EXPECT_FALSE(panel.HasUnsavedEdits());
    Click(90, 10);  // the same stroke goes on
    EXPECT_TRUE(panel.HasUnsavedEdits());
    // Back at the saved place nothing is unsaved; past it again, it is.
    panel.Undo();
    EXPECT_FALSE(panel.HasUnsavedEdits());
    panel.Redo();
    EXPECT_TRUE(panel.HasUnsavedEdits());
    LoadTile("H010.PCX");
    EXPECT_EQ(database.sets[0].tiles[1].pathCount(), 2);
    EXPECT_TRUE(panel.HasUnsavedEdits());
}

}  // namespace
}  // namespace lorvane::testing
