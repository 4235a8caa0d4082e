// Drawing paths and areas with the mouse: clicks at viewer pixels give these
// working set entries, read-outs, rows and canvas calls.

#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

class DrawingTest : public PanelTest {
  protected:
    void SetUp() override {
        LoadDatabase(TwoSetDatabase());
        LoadTile("H001.PCX");  // a tile without paths or areas
        canvas.Take();
    }
    const WorkingPath& Segment(int n) const { return panel.working.Path(n); }
};

TEST_F(DrawingTest, ClicksOnAViewerOf300PixelsGiveTileFeet) {
    struct Case {
        int x, y;               // viewer pixel
        int32_t tileX, startY;  // stored start X and (signed) start Y
        std::string shownY;     // read-out 29023
    };
    const std::vector<Case> cases = {
        {150, 150, 1640, -1640, "1640"},
        {0, 300, 0, -1, "0"},  // lower-left corner: Y 0 is kept as -1
        {300, 0, 3280, -3280, "3280"},
        {1, 299, 10, -10, "10"},  // one pixel in: one scale step, cut toward zero
    };
    for (const Case& c : cases) {
        NewPath();
        Click(c.x, c.y);
        const WorkingPath& segment = panel.working.paths.back();
        EXPECT_EQ(segment.startX, c.tileX) << c.x << "," << c.y;
        EXPECT_EQ(segment.startY, c.startY) << c.x << "," << c.y;
        EXPECT_EQ(segment.endX, segment.startX);
        EXPECT_EQ(segment.endY, -c.startY);
        EXPECT_EQ(panel.Readout(kPanelStartY), c.shownY);
        RightClick(c.x, c.y);
        panel.RunPosted();
    }
    // Shown and saved as 1.
    NewPath();
    Click(0, 300);
    Click(150, 150);
    EXPECT_EQ(panel.working.pathList.Rows().back()[4], "1");
    panel.RightButtonUp(kAreaLeft + 5, kAreaTop + 5);
    panel.Command(kPanelSave);           // no save name yet: the save dialog is cancelled
    panel.Command(kPanelLoadTileImage);  // writes the working set back
    EXPECT_EQ(database.sets[0].tiles[1].paths.back().startY, 1.0f);
}

TEST_F(DrawingTest, ThreeClicksAndARightClickDrawTwoChainedSegments) {
    panel.choices.currentPathChoice = 0;  // River
    panel.choices.currentWidth = 80;
    NewPath();
    Click(30, 270);
    Move(100, 200);
    Click(100, 200);
    EXPECT_EQ(panel.Readout(kPanelEndX), "1093");
    EXPECT_EQ(panel.Readout(kPanelEndY), "1093");
    Click(200, 100);
    RightClick(200, 100);
    ASSERT_EQ(panel.working.pathCount(), 2);
    const WorkingPath& first = Segment(1);
    const WorkingPath& second = Segment(2);
    EXPECT_EQ(first.startY, -328);  // 30 × 10.93
    EXPECT_EQ(second.startX, first.endX);
    EXPECT_EQ(second.startY, first.endY);
    EXPECT_GE(second.startY, 0);
    EXPECT_EQ(second.endX, 2186);
    EXPECT_EQ(second.endY, 2186);
    EXPECT_EQ(FirstColumn(panel.working.pathList), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(panel.working.pathList.Rows()[1],
              (ListRow{"02", "River", "80", "1093", "1093", "2186", "2186"}));
    // The right click ended the path: read-outs cleared, the next click starts a path.
    EXPECT_EQ(panel.Readout(kPanelStartX), " ");
    EXPECT_EQ(panel.drawing.newPathPending, 1);
    EXPECT_EQ(panel.drawing.rubberBand, 0);
}

TEST_F(DrawingTest, LeftThenRightClickLeavesAZeroLengthSegmentWithoutARow) {
    NewPath();
    Click(50, 50);
    RightClick(60, 60);
    ASSERT_EQ(panel.working.pathCount(), 1);
    EXPECT_EQ(Segment(1).endX, Segment(1).startX);
    EXPECT_EQ(Segment(1).endY, -Segment(1).startY);
    EXPECT_EQ(panel.working.pathList.RowCount(), 0u);
    // A later path gets number 2, and its row says so.
    Click(100, 100);
    Click(120, 100);
    EXPECT_EQ(FirstColumn(panel.working.pathList), (std::vector<std::string>{"02"}));
}

TEST_F(DrawingTest, AnAreaIsACentreAndARadius) {
    panel.choices.currentAreaChoice = 6;  // Rocky
    NewArea();
    Click(100, 100);
    EXPECT_EQ(panel.Readout(kPanelCentreX), "2186");
    EXPECT_EQ(panel.Readout(kPanelCentreY), "1093");
    EXPECT_EQ(panel.drawing.rubberBand, 1);
    Move(150, 100);
    Click(150, 100);  // 50 pixels to the right
    ASSERT_EQ(panel.working.areaCount(), 1);
    const WorkingArea& area = panel.working.Area(1);
    EXPECT_EQ(area.radius, 546);  // 50 × 10.93 cut toward zero
    EXPECT_EQ(panel.Readout(kPanelRadius), "546");
    EXPECT_EQ(panel.working.areaList.Rows()[0], (ListRow{"01", "Rocky", "546", "2186", "1093"}));
    EXPECT_EQ(panel.drawing.centrePending, 1);
    // Redrawn from feet, the circle is one pixel smaller than the one clicked
    // (radius 49), around the centre as cut to feet and back: (99, 101).
    canvas.Take();
    panel.RunPosted();
    const auto calls = canvas.Take();
    EXPECT_EQ(calls.back(), "0,0,255/2 arc 50,52,148,150 from 148,101 to 147,101");
}

TEST_F(DrawingTest, TheRubberBandInvertsOnlyTheChangedLineAndCircle) {
    NewArea();
    Click(100, 100);
    canvas.Take();
    Move(110, 100);
    EXPECT_EQ(canvas.Take(),
              (std::vector<std::string>{"inv/2 line 100,100-100,100",  // the old line, erased
                                        "inv/2 line 100,100-110,100",
                                        "inv/2 arc 100,100,100,100 from 100,100 to 100,100",
                                        "inv/2 arc 90,90,110,110 from 110,100 to 109,100"}));
    Move(100, 120);
    EXPECT_EQ(canvas.Take(),
              (std::vector<std::string>{"inv/2 line 100,100-110,100", "inv/2 line 100,100-100,120",
                                        "inv/2 arc 90,90,110,110 from 110,100 to 109,100",
                                        "inv/2 arc 80,80,120,120 from 120,100 to 119,100"}));
    // Off the image: the read-outs and the band stay as they were.
    panel.MouseMove(kAreaLeft - 1, kAreaTop + 10);
    EXPECT_TRUE(canvas.Take().empty());
    EXPECT_EQ(panel.Readout(kPanelPointerX), "1968");
    EXPECT_EQ(panel.Readout(kPanelPointerY), "1093");
}

TEST_F(DrawingTest, EndingAStrokeErasesTheRubberLineAndRefreshes) {
    panel.choices.currentPathChoice = 1;  // Road
    NewPath();
    Click(10, 10);
    Move(40, 50);
    canvas.Take();
    RightClick(40, 50);
    EXPECT_EQ(canvas.Take(), (std::vector<std::string>{"inv/2 line 10,10-40,50", "normal"}));
    EXPECT_TRUE(panel.HasPosted());
    panel.RunPosted();
    const auto refresh = canvas.Take();
    ASSERT_FALSE(refresh.empty());
    EXPECT_EQ(refresh.front(), "image 16x16");
}

TEST_F(DrawingTest, UndoDuringAPathStrokeStepsBackOneSegment) {
    NewPath();
    Click(0, 0);
    Click(100, 0);
    Click(200, 0);
    Click(200, 100);
    ASSERT_EQ(panel.working.pathCount(), 3);
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.working.pathCount(), 2);
    EXPECT_EQ(FirstColumn(panel.working.pathList), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(panel.Readout(kPanelEndX), " ");
    panel.RunPosted();
    // The band restarts from the end of segment 2 and drawing goes on from there.
    EXPECT_EQ(panel.drawing.rubberBand, 1);
    // Segment 2 ends at X 3280, Y 2186, which is drawn at (199, 1).
    EXPECT_EQ(panel.drawing.anchor, (ViewerPoint{199, 1}));
    EXPECT_EQ(canvas.mode(), RasterMode::Invert);
    Click(250, 50);
    ASSERT_EQ(panel.working.pathCount(), 3);
    EXPECT_EQ(Segment(3).startX, Segment(2).endX);
    EXPECT_EQ(Segment(3).startY, Segment(2).endY);
}

TEST_F(DrawingTest, UndoingTheStartOfTheOpenPathEndsTheStroke) {
    NewPath();
    Click(0, 0);
    Click(100, 0);
    RightClick(100, 0);
    const WorkingPath kept = Segment(1);
    Click(150, 150);  // a new path's first click
    panel.Command(kPanelUndoSegment);
    panel.RunPosted();
    EXPECT_EQ(panel.working.pathCount(), 1);
    EXPECT_EQ(panel.drawing.rubberBand, 0);
    EXPECT_EQ(panel.drawing.newPathPending, 1);
    // The next click starts a path; the segment before is not moved.
    Click(200, 200);
    EXPECT_EQ(Segment(1), kept);
    EXPECT_LT(Segment(2).startY, 0);
}

TEST_F(DrawingTest, UndoOfAreasFollowsTheNewLastArea) {
    NewArea();
    Click(100, 100);
    Click(120, 100);
    Click(200, 200);
    Click(210, 200);
    Click(50, 50);  // a third centre, radius pending
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.working.areaCount(), 2);
    EXPECT_EQ(panel.Readout(kPanelCentreX), "1093");
    EXPECT_EQ(panel.Readout(kPanelCentreY), "2186");
    panel.RunPosted();
    EXPECT_EQ(panel.drawing.anchor, (ViewerPoint{199, 201}));  // X 1093, Y 2186
    panel.Command(kPanelUndoSegment);
    panel.Command(kPanelUndoSegment);
    EXPECT_EQ(panel.working.areaCount(), 0);
    EXPECT_EQ(panel.Readout(kPanelCentreX), " ");
    EXPECT_EQ(panel.drawing.centrePending, 1);
    EXPECT_EQ(panel.working.areaList.RowCount(), 0u);
    panel.RunPosted();
    EXPECT_EQ(panel.drawing.rubberBand, 0);
    // With nothing left, undo posts nothing.
    panel.Command(kPanelUndoSegment);
    EXPECT_FALSE(panel.HasPosted());
}

TEST_F(DrawingTest, ClicksBesideTheImage) {
    NewPath();
    Click(10, 10);
    Click(20, 10);
    // A left click beside the image gives the tile list the focus.
    panel.LeftButtonUp(kAreaLeft - 4, kAreaTop);
    EXPECT_EQ(host.focusCount, 1);
    EXPECT_EQ(panel.working.pathCount(), 1);
    // A right click beside it does nothing; the stroke goes on.
    panel.RightButtonUp(kAreaLeft + kAreaSize + 1, kAreaTop);
    EXPECT_EQ(panel.drawing.rubberBand, 1);
    // A double click on the image does nothing beyond its releases.
    panel.LeftDoubleClick(kAreaLeft + 20, kAreaTop + 10);
    EXPECT_EQ(panel.working.pathCount(), 1);
    // A double click beside it undoes.
    panel.LeftDoubleClick(kAreaLeft + 50, kAreaTop + kAreaSize + 2);
    EXPECT_EQ(panel.working.pathCount(), 0);
}

TEST_F(DrawingTest, CancelledNewPathLeavesModeAndStroke) {
    NewArea();
    Click(100, 100);
    host.newPathDialog = [] { return false; };
    panel.Command(kPanelNewPath);
    EXPECT_EQ(panel.drawing.drawMode, DrawMode::Areas);
    EXPECT_EQ(panel.drawing.rubberBand, 1);
    // Confirmed, it ends the area stroke and switches to paths.
    NewPath();
    EXPECT_EQ(panel.drawing.drawMode, DrawMode::Paths);
    EXPECT_EQ(panel.drawing.rubberBand, 0);
    EXPECT_EQ(panel.drawing.centrePending, 0);
    EXPECT_EQ(panel.drawing.newPathPending, 1);
}

TEST_F(DrawingTest, ContinueShowsTheCurrentChoicesWithoutADialog) {
    panel.choices.currentWidth = 35;
    panel.choices.currentPathType = 11;
    panel.state.showPaths = 0;
    panel.Command(kPanelContinuePath);
    EXPECT_EQ(panel.Readout(kPanelWidth), "35");
    EXPECT_EQ(panel.Readout(kPanelType), "Railway");
    EXPECT_EQ(panel.state.showPaths, 1);
    panel.choices.currentAreaType = 8;
    panel.Command(kPanelContinueArea);
    EXPECT_EQ(panel.Readout(kPanelType), "Rocky");
    EXPECT_EQ(panel.drawing.drawMode, DrawMode::Areas);
}

TEST_F(DrawingTest, RefreshDrawsTheImageAndEveryEntryWithItsPen) {
    LoadTile("H000.PCX");
    const auto calls = canvas.Take();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "image 16x16",
                         "255,0,0/2 line 18,291-36,273",  // Road
                         "255,0,0/2 line 36,273-54,255",
                         "0,255,255/2 arc 46,54,100,108 from 100,81 to 99,81",  // Water
                     }));
    panel.Command(kPanelShowPaths);
    panel.RunPosted();
    EXPECT_EQ(canvas.Take().size(), 2u);  // the image and the circle
    EXPECT_EQ(panel.state.showPaths, 0);
    panel.Command(kPanelShowAreas);
    panel.RunPosted();
    EXPECT_EQ(canvas.Take(), (std::vector<std::string>{"image 16x16"}));
}

TEST(DrawArc, EndPointsAndCurrentPosition) {
    RecordingCanvas canvas;
    DrawArc(canvas, 100, 100, 20, 0.0f, 360.0f);
    // 360 degrees with the float factors falls just short of a turn: P(360)
    // is cut to (119, 100), on the same ray as P(0), so the whole circle.
    EXPECT_EQ(canvas.Take(),
              (std::vector<std::string>{"0,0,0/1 arc 80,80,120,120 from 120,100 to 119,100"}));
    EXPECT_EQ(canvas.position(), (std::pair<int, int>{119, 100}));
    DrawArc(canvas, 100, 100, 20, 90.0f, -90.0f);  // the quarter from P(0) to P(90)
    EXPECT_EQ(canvas.Take(),
              (std::vector<std::string>{"0,0,0/1 arc 80,80,120,120 from 120,100 to 100,81"}));
    EXPECT_EQ(canvas.position(), (std::pair<int, int>{120, 100}));
    DrawArc(canvas, 100, 100, 20, 0.0f, 90.0f);
    EXPECT_EQ(canvas.position(), (std::pair<int, int>{100, 81}));
}

TEST_F(DrawingTest, BlinkingAlternatesBlackAndTheEntrysColour) {
    LoadTile("H000.PCX");
    canvas.Take();
    panel.ActivateRow(PanelList::Areas, 0);
    EXPECT_EQ(host.timer, 300);
    std::vector<std::string> ticks;
    for (int tick = 0; tick < 7; ++tick) {
        panel.BlinkTimer();
        const auto calls = canvas.Take();
        ticks.push_back(calls.empty() ? "-" : calls.front().substr(0, calls.front().find(' ')));
    }
    EXPECT_EQ(ticks, (std::vector<std::string>{"0,0,0/2", "0,255,255/2", "0,0,0/2", "0,255,255/2",
                                               "0,0,0/2", "0,255,255/2", "-"}));
    EXPECT_EQ(host.timer, 0);
}

TEST_F(DrawingTest, DrawingAfterASaveMarksTheTileAgain) {
    NewPath();
    Click(10, 10);
    Click(50, 10);
    platform.choices.push_back(FileChoice::Chosen(folder / "Saved.bin"));
    panel.Command(kPanelSave);
    EXPECT_EQ(database.sets[0].tiles[1].modified, 0);
    EXPECT_FALSE(panel.HasUnsavedEdits());
    Click(90, 10);  // the same stroke goes on
    EXPECT_EQ(database.sets[0].tiles[1].modified, 1);
    EXPECT_TRUE(panel.HasUnsavedEdits());
    LoadTile("H010.PCX");
    EXPECT_EQ(database.sets[0].tiles[1].pathCount(), 2);
}

}  // namespace
}  // namespace lorvane::testing
