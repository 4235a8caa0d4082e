#include "theater/map_view.h"

#include <gtest/gtest.h>

#include <random>

#include "support/texture_builder.h"
#include "support/theater_builder.h"

namespace lorvane {
namespace {

TEST(MapViewTest, ANewTheaterFitsTheViewAndPostsLieNorthUp) {
    MapView view;
    view.SetViewport(400, 200);
    view.SetTheater(100, 50);
    EXPECT_DOUBLE_EQ(view.scale(), 4.0);
    // The top-left pixel is the north-west post, the bottom-right the south-east.
    EXPECT_EQ(view.PostAt(0.5, 0.5), (PostCoordinates{0, 49}));
    EXPECT_EQ(view.PostAt(399.5, 199.5), (PostCoordinates{99, 0}));
    EXPECT_EQ(view.PostAt(5, 3), (PostCoordinates{1, 49}));
    EXPECT_FALSE(view.PostAt(-1, 10));
    EXPECT_FALSE(view.PostAt(10, 200.5));
    const PostRegion all = view.VisiblePosts();
    EXPECT_EQ(std::tie(all.firstX, all.firstY, all.columns, all.rows),
              std::make_tuple(0, 0, 100, 50));
}

TEST(MapViewTest, ZoomKeepsThePointUnderThePointerAndPanMovesThePicture) {
    MapView view;
    view.SetViewport(640, 480);
    view.SetTheater(4096, 4096);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(0, 640), y(0, 480), factor(0.3, 3.0);
    for (int round = 0; round < 100; ++round) {
        const double px = x(random), py = y(random);
        const MapPoint before = view.ScreenToMap(px, py);
        view.ZoomAt(px, py, factor(random));
        EXPECT_GE(view.scale(), MapView::kMinScale);
        EXPECT_LE(view.scale(), MapView::kMaxScale);
        const MapPoint after = view.ScreenToMap(px, py);
        EXPECT_NEAR(after.u, before.u, 1e-6 * 4096);
        EXPECT_NEAR(after.v, before.v, 1e-6 * 4096);
        const MapPoint screen = view.MapToScreen(before);
        EXPECT_NEAR(screen.u, px, 1e-6);
        // A pan moves every map point by the same screen distance.
        const double dx = x(random) - 320, dy = y(random) - 240;
        view.Pan(dx, dy);
        const MapPoint moved = view.MapToScreen(before);
        EXPECT_NEAR(moved.u, px + dx, 1e-6);
        EXPECT_NEAR(moved.v, py + dy, 1e-6);
    }
    for (int k = 0; k < 100; ++k) view.ZoomAt(0, 0, 4);
    EXPECT_DOUBLE_EQ(view.scale(), MapView::kMaxScale);
}

TEST(MapViewTest, VisiblePostsCoverTheScreenAndNoMore) {
    MapView view;
    view.SetViewport(100, 100);
    view.SetTheater(64, 64);
    view.ZoomAt(50, 50, 10.0 / view.scale());  // 10 pixels a post about the middle
    const PostRegion region = view.VisiblePosts();
    EXPECT_EQ(region.columns, 10);
    EXPECT_EQ(region.rows, 10);
    // Every pixel's post is inside the region.
    for (int y = 0; y < 100; y += 7) {
        for (int x = 0; x < 100; x += 7) {
            const auto post = view.PostAt(x, y);
            ASSERT_TRUE(post);
            EXPECT_GE(post->x, region.firstX);
            EXPECT_LT(post->x, region.firstX + region.columns);
            EXPECT_GE(post->y, region.firstY);
            EXPECT_LT(post->y, region.firstY + region.rows);
        }
    }
    view.Pan(10000, 0);
    EXPECT_EQ(view.VisiblePosts().columns, 0);
}

TEST(MapViewTest, PostStatusNamesTileIdElevationAndClass) {
    std::vector<TileSet> sets = {
        {7, {testing::MakeTile("H000.PCX"), testing::MakeTile("H001.PCX")}},
        {9, {testing::MakeTile("H010.PCX")}}};
    const TileDatabase database = testing::MakeDatabase(std::move(sets));
    TerrainMatrix matrix = MakeTerrainMatrix(3, 2);
    matrix.Cell(1, 0) = {1, 1234, 0, 0, 0};
    matrix.Cell(2, 1) = {16, 80, 0, 0, 0};
    matrix.Cell(0, 1) = {99, 7, 0, 0, 0};
    struct Case {
        PostCoordinates post;
        bool withDatabase;
        const char* expected;
    };
    const Case cases[] = {
        {{1, 0}, true, "Post 1, 0   Tile H001.PCX   Id 1   Elevation 1234   Class Thick Forest"},
        {{2, 1}, true, "Post 2, 1   Tile H010.PCX   Id 16   Elevation 80   Class Urban"},
        {{0, 1}, true, "Post 0, 1   Tile (not in Texture.bin)   Id 99   Elevation 7"},
        {{1, 0}, false, "Post 1, 0   Id 1   Elevation 1234"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PostStatus(matrix, c.withDatabase ? &database : nullptr, c.post), c.expected);
}

TEST(MapViewTest, TheFingerprintChangesWithWhatTheMapShows) {
    TileDatabase database = testing::PatternDatabase(
        {testing::MakeTile("", {{10, 60, 0, 0, 100, 100}}), testing::MakeTile("")});
    const uint64_t original = DatabaseFingerprint(database);
    EXPECT_EQ(DatabaseFingerprint(testing::PatternDatabase(
                  {testing::MakeTile("", {{10, 60, 0, 0, 100, 100}}), testing::MakeTile("")})),
              original);
    const std::vector<std::function<void(TileDatabase&)>> changes = {
        [](TileDatabase& d) { d.sets[0].tiles[0].paths[0].endX = 101; },
        [](TileDatabase& d) { d.sets[0].tiles[0].paths[0].type = 2; },
        [](TileDatabase& d) { d.sets[0].tiles[1].paths.push_back({}); },
        [](TileDatabase& d) {
            d.sets[0].tiles[1].areas.push_back({1, 10, 5, 5});
        },
        [](TileDatabase& d) { d.sets[0].terrainType = 9; },
        [](TileDatabase& d) { d.index[1].terrainType = 9; },
    };
    for (size_t k = 0; k < changes.size(); ++k) {
        TileDatabase changed = database;
        changes[k](changed);
        EXPECT_NE(DatabaseFingerprint(changed), original) << k;
    }
}

}  // namespace
}  // namespace lorvane
