// The edge markers of the tile on screen: where the paths of the tiles
// beside it in the theater cross its edges, snapping to them, and a path
// started on one; the neighbours themselves, where they lie around it and
// how the frame shows them.

#include <random>

#include "editor/neighbour_markers.h"
#include "panel_fixture.h"
#include "support/texture_builder.h"
#include "terrain/terrain_matrix.h"
#include "theater/orientation.h"

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

// Where the tiles east and north of the tile on screen lie in its feet,
// worked out by hand from how each orientation lays a tile on its post
// (which way the image's top, +X, and its right side, +Y, face).
TEST(NeighbourOrigin, EachOrientationMovesTheNeighboursAlongItsAxes) {
    constexpr double S = TILE_SPAN;
    struct Case {
        int orientation;
        FeetPointF east;
        FeetPointF north;
    };
    const Case cases[] = {
        {0, {0, S}, {S, 0}},    // top north, right side east
        {1, {S, 0}, {0, -S}},   // top east, right side south
        {2, {0, -S}, {-S, 0}},  // top south, right side west
        {3, {-S, 0}, {0, S}},   // top west, right side north
        {4, {0, -S}, {S, 0}},   // mirrored: top north, right side west
        {5, {S, 0}, {0, S}},    // top east, right side north
        {6, {0, S}, {-S, 0}},   // top south, right side east
        {7, {-S, 0}, {0, -S}},  // top west, right side south
    };
    std::mt19937 random(5);
    std::uniform_real_distribution<float> feet(0, kTileSpanFeet);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        EXPECT_EQ(NeighbourOrigin(c.orientation, 1, 0), c.east);
        EXPECT_EQ(NeighbourOrigin(c.orientation, 0, 1), c.north);
        EXPECT_EQ(NeighbourOrigin(c.orientation, -1, -1),
                  (FeetPointF{-c.east.x - c.north.x, -c.east.y - c.north.y}));
        // A point of a neighbour, moved by its origin, lies where the theater
        // has it: its post's feet plus the step, in the post of the tile.
        for (int east = -1; east <= 1; ++east) {
            for (int north = -1; north <= 1; ++north) {
                const FeetPointF origin = NeighbourOrigin(c.orientation, east, north);
                const TilePoint own{feet(random), feet(random)};
                const PostPoint there = TileToPost(c.orientation, own);
                const PostPoint here = TileToPost(
                    c.orientation,
                    {static_cast<float>(own.x + origin.x), static_cast<float>(own.y + origin.y)});
                EXPECT_NEAR(here.east, there.east + east * kTileSpanFeet, 0.01);
                EXPECT_NEAR(here.north, there.north + north * kTileSpanFeet, 0.01);
            }
        }
    }
}

// Which place's surroundings show, and the tiles found there.
TEST(NeighbourhoodOf, TheFirstPlaceWithAllEightNeighboursElseTheFirst) {
    const TileDatabase database = MakeDatabase(
        {TileSet{4, {MakeTile("H000.PCX"), MakeTile("H001.PCX"), MakeTile("H002.PCX")}}});
    constexpr double S = TILE_SPAN;
    // 4 × 3 posts, row 0 south; no paths: orientation 0 (east is +Y).
    struct Case {
        std::vector<uint32_t> cells;  // row by row from the south
        int32_t postX, postY;
        uint64_t places;
        std::vector<NeighbourTile> tiles;  // north row first, west to east
    };
    const Case cases[] = {
        {{1, 1, 1, 1,  //
          1, 0, 2, 0,  //
          1, 1, 1, 1},
         1,
         1,
         2,
         {{1, {S, -S}},
          {1, {S, 0}},
          {1, {S, S}},
          {1, {0, -S}},
          {2, {0, S}},
          {1, {-S, -S}},
          {1, {-S, 0}},
          {1, {-S, S}}}},
        // Only on the theater's border: the first place, its neighbours inside.
        {{2, 0, 1, 1,  //
          1, 2, 1, 0,  //
          1, 1, 1, 1},
         1,
         0,
         2,
         {{1, {S, -S}}, {2, {S, 0}}, {1, {S, S}}, {2, {0, -S}}, {1, {0, S}}}},
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, -1, -1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.postX);
        TerrainMatrix matrix = MakeTerrainMatrix(4, 3);
        for (size_t i = 0; i < c.cells.size(); ++i) matrix.cells[i].tileId = c.cells[i];
        const Neighbourhood around = NeighbourhoodOf(matrix, database, 0);
        EXPECT_EQ(around.orientation, 0);
        EXPECT_EQ(around.postX, c.postX);
        EXPECT_EQ(around.postY, c.postY);
        EXPECT_EQ(around.places, c.places);
        EXPECT_EQ(around.tiles, c.tiles);
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
    // On the viewer's right edge: drawn a little inward, whole.
    const ScreenPoint at = panel.view().ToScreen({1000, 3280});
    EXPECT_EQ(shown[0].at, (ScreenPoint{at.x - kMarkerReach, at.y}));

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

// The fixture's theater: H000 at (0, 0) and (0, 1), H001 east of both.
// The first place, (0, 0), has itself to the north, H001 to the north-east
// and to the east.
TEST_F(EdgeMarkerPanelTest, TheFrameShowsTheNeighboursImagesAndPathsPastTheEdges) {
    const std::vector<NeighbourTile> around = {{0, {3280, 0}}, {1, {3280, 3280}}, {1, {0, 3280}}};
    EXPECT_EQ(panel.neighbourhood().tiles, around);
    // Fitted, the neighbours lie outside the square viewer; zoomed out all
    // the way (one image pixel a screen pixel: 16 of them) they show.
    EXPECT_TRUE(ItemsOf<FrameNeighbour>(panel.Frame()).empty());
    panel.view().ZoomSteps(-20);
    // H001's image is missing: its squares show its paths and no image, and
    // nobody is told.
    std::vector<FrameNeighbour> shown = ItemsOf<FrameNeighbour>(panel.Frame());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(shown[0].picture != nullptr);  // H000 beside itself
    EXPECT_EQ(shown[1].picture, nullptr);
    EXPECT_EQ(shown[2].picture, nullptr);
    EXPECT_EQ(shown[2].lines.size(), 2u);  // H001's road and river
    EXPECT_TRUE(shown[0].lines.empty());

    // The tile beside itself shows what is drawn on it now.
    panel.view().Fit();
    NewPath();
    panel.PointerReleased(MouseButton::Left, At(500, 500));
    panel.PointerReleased(MouseButton::Left, At(800, 800));
    panel.PointerReleased(MouseButton::Right, At(800, 800));
    panel.RunPosted();
    ASSERT_EQ(panel.tables().pathCount(), 1);
    panel.view().ZoomSteps(-20);
    shown = ItemsOf<FrameNeighbour>(panel.Frame());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].lines.size(), 1u);

    // With H001's image there, a newly loaded matrix shows it, decoded once
    // for both its places.
    WriteTileImage("H001.PCX");
    ++revision;
    shown = ItemsOf<FrameNeighbour>(panel.Frame());
    ASSERT_EQ(shown.size(), 3u);
    ASSERT_TRUE(shown[1].picture != nullptr);
    EXPECT_EQ(shown[1].picture, shown[2].picture);
    EXPECT_EQ(shown[1].pictureKey, shown[2].pictureKey);
    EXPECT_NE(shown[0].pictureKey, shown[1].pictureKey);
    EXPECT_EQ(ItemsOf<FrameNeighbour>(panel.Frame()), shown);  // not again per frame

    // On H001, whose neighbours are H000 and itself, nothing is decoded
    // again: H000's image, gone from the folder meanwhile, still shows.
    const std::shared_ptr<const PcxImage> h000 = shown[0].picture;
    const std::shared_ptr<const PcxImage> h001 = shown[1].picture;
    std::filesystem::remove(folder / "H000.PCX");
    LoadTile("H001.PCX");
    panel.view().ZoomSteps(-20);
    shown = ItemsOf<FrameNeighbour>(panel.Frame());
    ASSERT_EQ(shown.size(), 3u);
    for (const FrameNeighbour& neighbour : shown)
        EXPECT_TRUE(neighbour.picture == h000 || neighbour.picture == h001);
    EXPECT_TRUE(platform.messages.empty());

    // Without the theater's matrix: the margins stay empty.
    matrix = TerrainMatrix{};
    ++revision;
    EXPECT_TRUE(ItemsOf<FrameNeighbour>(panel.Frame()).empty());
}

}  // namespace
}  // namespace lorvane::testing
