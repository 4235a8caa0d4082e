// The edge markers of the tile on screen: where the paths of the tiles
// beside it in the theater cross its edges, snapping to them, and a path
// started on one.

#include "editor/neighbour_markers.h"
#include "panel_fixture.h"
#include "support/texture_builder.h"
#include "terrain/terrain_matrix.h"

namespace lorvane::testing {
namespace {

constexpr int32_t kRoad = 10;
constexpr int32_t kRiver = 2;

TEST(SnapToEdgeMarkers, AMarkerGivesExactlyItsFeetUnlessAPointIsNearer) {
    const ViewTransform view{328, 328, 256};  // 10 feet a pixel: a reach of 80 feet
    const std::vector<NeighbourMarker> markers = {{{1000.5, 3280}, 1, 60, 4},
                                                  {{0, 2200.25}, 0, 120, 1}};
    const std::vector<WorkingPath> paths = {{1, 50, 1040, 3200, 1500, 2000, true}};
    struct Case {
        FeetPointF pointer;
        FeetPointF point;
        SnapKind kind;
        std::optional<NeighbourMarker> marker;
    };
    const Case cases[] = {
        {{1010, 3250}, {1000.5, 3280}, SnapKind::Neighbour, markers[0]},
        {{30, 2170}, {0, 2200.25}, SnapKind::Neighbour, markers[1]},
        // The segment's start is nearer than the marker.
        {{1035, 3210}, {1040, 3200}, SnapKind::Point, std::nullopt},
        // Out of reach of both: the edge.
        {{30, 1500}, {0, 1500}, SnapKind::Edge, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointer.x);
        const SnapOptions options{true, 0, kSnapPixels, markers};
        const Snapped snapped = Snap(c.pointer, view, paths, {}, options);
        EXPECT_EQ(snapped.point, c.point);
        EXPECT_EQ(snapped.kind, c.kind);
        EXPECT_EQ(snapped.marker, c.marker);
    }
}

class EdgeMarkerPanelTest : public PanelTest {
  protected:
    // H000 (id 0) with H001 (id 1) east of it on both rows of a 2 × 2
    // matrix; H001's road starts on its west edge at X = 1000, and its river
    // ends nowhere near an edge.
    void SetUp() override {
        LoadDatabase(MakeDatabase(
            {TileSet{4,
                     {MakeTile("H000.PCX"),
                      MakeTile("H001.PCX", {{kRoad, 60, 1000, 0, 2000, 1500},
                                            {kRiver, 120, 1500, 1500, 2000, 2000}})}}}));
        matrix = MakeTerrainMatrix(2, 2);
        for (int32_t y = 0; y < 2; ++y) matrix.Cell(1, y).tileId = 1;
        panel.UseTheater(matrix, revision);
        LoadTile("H000.PCX");
        platform.messages.clear();
    }
    ScreenPoint At(double x, double y, double dx = 0, double dy = 0) const {
        const ScreenPoint p = panel.view().ToScreen({x, y});
        return {p.x + dx, p.y + dy};
    }

    TerrainMatrix matrix;
    uint64_t revision = 1;
};

TEST_F(EdgeMarkerPanelTest, TheTileShowsItsNeighboursPathEndsAndAClickStartsSuchAPath) {
    const int32_t road = PathChoiceOfCode(kRoad);
    const std::vector<NeighbourMarker> expected = {{{1000, 3280}, road, 60, 2}};
    EXPECT_EQ(panel.edgeMarkers(), expected);
    // The frame shows it in the road's colour with its count.
    std::vector<FrameEdgeMarker> shown;
    for (const FrameItem& item : panel.Frame())
        if (const auto* marker = std::get_if<FrameEdgeMarker>(&item)) shown.push_back(*marker);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].colour, Opaque(PathPen(road)));
    EXPECT_EQ(shown[0].places, 2u);
    EXPECT_EQ(shown[0].at, panel.view().ToScreen({1000, 3280}));

    // A path tool set to another type and width: the click near the marker
    // starts on it and the path takes the road's type and width.
    const int other = road == 0 ? 1 : 0;
    NewPath(other, "30");
    panel.PointerReleased(MouseButton::Left, At(1000, 3280, -3, 4));
    EXPECT_EQ(panel.stroke().open, (FeetPoint{1000, 3280}));
    panel.PointerReleased(MouseButton::Left, At(1500, 1500));
    panel.PointerReleased(MouseButton::Right, At(1500, 1500));
    panel.RunPosted();
    ASSERT_EQ(panel.tables().pathCount(), 1);
    const WorkingPath& path = panel.tables().Path(1);
    EXPECT_EQ(path.typeChoice, road);
    EXPECT_EQ(path.width, 60);
    EXPECT_EQ(path.startX, 1000);
    EXPECT_EQ(path.startY, 3280);
    // A path started away from the markers keeps the tool's own choices.
    panel.PointerReleased(MouseButton::Left, At(500, 500));
    panel.PointerReleased(MouseButton::Left, At(800, 800));
    panel.PointerReleased(MouseButton::Right, At(800, 800));
    ASSERT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.tables().Path(2).typeChoice, other);
    EXPECT_EQ(panel.tables().Path(2).width, 30);
}

TEST_F(EdgeMarkerPanelTest, MarkersFollowTheMatrix) {
    ASSERT_EQ(panel.edgeMarkers().size(), 1u);
    // H001 now only on the top row: one place.
    matrix.Cell(1, 0).tileId = 0;
    ++revision;
    ASSERT_EQ(panel.edgeMarkers().size(), 1u);
    EXPECT_EQ(panel.edgeMarkers()[0].places, 1u);
    // No neighbour with paths: none.
    matrix.Cell(1, 1).tileId = 0;
    ++revision;
    EXPECT_TRUE(panel.edgeMarkers().empty());
}

}  // namespace
}  // namespace lorvane::testing
