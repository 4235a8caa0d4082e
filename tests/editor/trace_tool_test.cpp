// The trace tool over a painted tile: two clicks on a road give segments
// along its centre of its width, one command of the history; Ctrl places a
// straight leg, Backspace takes a leg back, Esc cancels, a typed width wins.
// Suggested paths of the same tile: typed by colour, accepted and rejected
// one by one or all at once, each acceptance one step of the history.

#include <cmath>

#include "panel_fixture.h"
#include "support/painted_tile.h"

namespace lorvane::testing {
namespace {

constexpr int32_t kImage = 256;
constexpr double kFeetPerPixel = 3280.0 / kImage;
constexpr double kRoadWidth = 8;  // pixels
constexpr int kRoadChoice = 1;    // Road in the New Path list

class TraceToolTest : public PanelTest {
  protected:
    void SetUp() override {
        LoadDatabase(TwoSetDatabase());
        PcxImage image = PaintedGround(kImage, 5);
        PaintBand(image, road, kRoadWidth, kRoadColour);
        PaintBand(image, river, 12, kRiverColour);
        const auto file = folder / "H001.PCX";
        WriteFileBytes(file, PaintedPcxFile(image));
        panel.LoadTileImage(file.string(), "H001.PCX");
        panel.RunPosted();
        NewPath(kRoadChoice, "50");
        panel.Command(kPanelTrace);
    }

    // A point of the image (pixels, y down) as tile feet and as a viewer pixel.
    static FeetPointF Feet(TracePoint pixel) {
        return {(kImage - pixel.y) * kFeetPerPixel, pixel.x * kFeetPerPixel};
    }
    ScreenPoint At(TracePoint pixel) const { return panel.view().ToScreen(Feet(pixel)); }
    void ClickAt(TracePoint pixel, Modifiers modifiers = {}) {
        panel.PointerMoved(At(pixel), modifiers);
        panel.PointerReleased(MouseButton::Left, At(pixel), modifiers);
    }
    // How far a stored point lies from the road's centre line, in pixels.
    double OffRoad(float x, float y) const {
        const TracePoint pixel{y / kFeetPerPixel, kImage - x / kFeetPerPixel};
        return DistanceToLine(pixel, road);
    }

    const std::vector<TracePoint> road{{30, 200}, {130, 150}, {225, 60}};
    const std::vector<TracePoint> river{{20, 20}, {120, 40}};
};

TEST_F(TraceToolTest, TwoClicksOnARoadAreOneTraceAlongItsCentre) {
    ASSERT_EQ(panel.tool(), ToolKind::Trace);
    ClickAt({31, 200});
    // The preview follows the road to the pointer and the status says so.
    panel.PointerMoved(At({130, 151}));
    EXPECT_FALSE(ItemsOf<FrameBand>(panel.Frame()).empty());
    EXPECT_EQ(panel.Status().drawing.rfind("Trace ", 0), 0u) << panel.Status().drawing;
    ClickAt({224, 61});
    ASSERT_TRUE(panel.Key(EditorKey::Enter));
    panel.RunPosted();

    const EditorWorkingSet& tables = panel.tables();
    ASSERT_GE(tables.pathCount(), 2);
    EXPECT_LE(tables.pathCount(), 6);
    for (int32_t n = 1; n <= tables.pathCount(); ++n) {
        const WorkingPath& s = tables.Path(n);
        EXPECT_EQ(s.beginsPath, n == 1) << n;
        EXPECT_EQ(s.typeChoice, kRoadChoice);
        EXPECT_LE(OffRoad(s.startX, s.startY), kRoadWidth / 2) << n;
        EXPECT_LE(OffRoad(s.endX, s.endY), kRoadWidth / 2) << n;
        if (n > 1) {
            EXPECT_EQ(s.startX, tables.Path(n - 1).endX);
            EXPECT_EQ(s.startY, tables.Path(n - 1).endY);
        }
        EXPECT_NEAR(s.width, kRoadWidth * kFeetPerPixel, 2 * kFeetPerPixel);
    }
    // One step of the history takes it all back, and puts it all back.
    EXPECT_EQ(panel.UndoText(), "Trace Road");
    const int32_t count = tables.pathCount();
    panel.Undo();
    EXPECT_EQ(panel.tables().pathCount(), 0);
    panel.Redo();
    EXPECT_EQ(panel.tables().pathCount(), count);
}

TEST_F(TraceToolTest, CtrlBackspaceEscapeAndATypedWidth) {
    ClickAt({31, 200});
    ClickAt({130, 151});
    const size_t tracedBands = ItemsOf<FrameBand>(panel.Frame()).size();
    // With Ctrl the leg is one straight segment to the click, off any road.
    ClickAt({60, 40}, Modifiers{false, true, false});
    const FeetPoint straightEnd{StoredFeet(Feet({60, 40}).x), StoredFeet(Feet({60, 40}).y)};
    EXPECT_EQ(panel.stroke().open, straightEnd);
    // Backspace takes that leg back: the trace goes on from the road again.
    EXPECT_EQ(panel.UndoText(), "Trace Leg");
    ASSERT_TRUE(panel.Key(EditorKey::Backspace));
    EXPECT_LE(OffRoad(panel.stroke().open.x, panel.stroke().open.y), kRoadWidth / 2);
    EXPECT_EQ(ItemsOf<FrameBand>(panel.Frame()).size(), tracedBands);

    // Esc throws the trace away; nothing was stored.
    ASSERT_TRUE(panel.Key(EditorKey::Escape));
    EXPECT_EQ(panel.tables().pathCount(), 0);
    EXPECT_EQ(panel.tool(), ToolKind::Trace);

    // A width typed while tracing is the trace's; a bad one is refused.
    ClickAt({31, 200});
    EXPECT_FALSE(panel.TypePoint(kPanelWidth, "wide", ""));
    EXPECT_TRUE(panel.TypePoint(kPanelWidth, "77", ""));
    EXPECT_EQ(panel.Readout(kPanelWidth), "77");
    ClickAt({224, 61});
    panel.PointerReleased(MouseButton::Right, At({224, 61}));
    ASSERT_GE(panel.tables().pathCount(), 1);
    for (const WorkingPath& s : panel.tables().paths) EXPECT_EQ(s.width, 77.0f);
    // Esc with nothing open leaves tracing.
    ASSERT_TRUE(panel.Key(EditorKey::Escape));
    EXPECT_EQ(panel.tool(), ToolKind::Select);
}

TEST_F(TraceToolTest, SuggestionsAreTypedByColourAndAcceptedAsOneStepEach) {
    panel.Command(kPanelSuggest);
    const SuggestionLayer& layer = panel.suggestions();
    ASSERT_EQ(layer.items().size(), 2u);
    // Longest first: the road, then the river, each of its type's colour.
    EXPECT_EQ(layer.items()[0].typeChoice, kRoadChoice);
    EXPECT_EQ(layer.items()[1].typeChoice, 0);  // River
    EXPECT_EQ(panel.Status().drawing.rfind("Suggestion 1 of 2: Road", 0), 0u);
    EXPECT_FALSE(ItemsOf<FrameBand>(panel.Frame()).empty());  // the picked one

    // The river's colour named Railway for this theater: kept, and applied.
    panel.PointerReleased(MouseButton::Left, At({70, 30}));
    ASSERT_EQ(layer.picked(), 1u);
    host.suggestionType = 3;
    panel.Command(kPanelSuggestionType);
    EXPECT_EQ(layer.items()[1].typeChoice, 3);
    EXPECT_EQ(host.suggestionTypes.colours[3], layer.items()[1].path.colour);

    // A accepts the picked one as one step; D rejects the next.
    panel.Command(kPanelAcceptSuggestion);
    EXPECT_EQ(panel.UndoText(), "Accept Suggested Railway");
    ASSERT_GE(panel.tables().pathCount(), 1);
    for (const WorkingPath& s : panel.tables().paths) EXPECT_EQ(s.typeChoice, 3);
    panel.Command(kPanelRejectSuggestion);
    EXPECT_TRUE(layer.empty());
    panel.Undo();
    EXPECT_EQ(panel.tables().pathCount(), 0);

    // Accept All: the two in one step; the paths on the tile are not
    // suggested again.
    panel.Command(kPanelSuggest);
    panel.Command(kPanelAcceptAllSuggestions);
    EXPECT_EQ(panel.UndoText(), "Accept 2 Suggested Paths");
    const int32_t both = panel.tables().pathCount();
    panel.Command(kPanelSuggest);
    EXPECT_TRUE(layer.empty());
    panel.Undo();
    EXPECT_EQ(panel.tables().pathCount(), 0);
    panel.Redo();
    EXPECT_EQ(panel.tables().pathCount(), both);
}

}  // namespace
}  // namespace lorvane::testing
