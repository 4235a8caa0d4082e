#include "editor/viewer_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lorvane {
namespace {

// A viewer whose image area is size × size pixels at (20, 40) of the panel.
ViewerGeometry Viewer(int32_t size) {
    return ViewerSetup({size + 4, size + 4, {17, 37, 20 + size + 3, 40 + size + 3}});
}

TEST(ViewerSetup, ImageAreaScalesAndClip) {
    const ViewerGeometry geometry = ViewerSetup({296, 290, {10, 20, 310, 316}});
    EXPECT_EQ(geometry.destinationWidth, 296);
    EXPECT_EQ(geometry.destinationHeight, 290);
    EXPECT_EQ(geometry.imageArea, (ImageArea{13, 23, 307, 313}));
    EXPECT_EQ(geometry.horizontalScale, 3280.0f / 294.0f);
    EXPECT_EQ(geometry.verticalScale, 3280.0f / 290.0f);
    EXPECT_EQ(geometry.ClipRect(), (ImageArea{0, 0, 294, 290}));

    // Bounds are included when a point is tested against the image area.
    EXPECT_TRUE(geometry.imageArea.Contains(13, 23));
    EXPECT_TRUE(geometry.imageArea.Contains(307, 313));
    EXPECT_FALSE(geometry.imageArea.Contains(12, 100));
    EXPECT_FALSE(geometry.imageArea.Contains(100, 314));

    // A viewer too small for an image area still has finite scales.
    const ViewerGeometry tiny = ViewerSetup({4, 4, {0, 0, 6, 5}});
    EXPECT_EQ(tiny.horizontalScale, 3280.0f);
    EXPECT_EQ(tiny.verticalScale, 3280.0f);
    EXPECT_EQ(TileToPixel(tiny, TILE_SPAN, Axis::Horizontal), 1);
}

TEST(PixelToTile, CornersCentreAndCutTowardZero) {
    const ViewerGeometry geometry = Viewer(300);  // image area (20, 40) to (320, 340)
    struct Case {
        int32_t x, y;  // panel pixel
        int32_t tileY, tileX;
    };
    const Case cases[] = {
        {20, 340, 0, 0},         // lower-left corner
        {170, 190, 1640, 1640},  // centre: 150 × 10.93… feet
        {320, 40, 3280, 3280},   // upper-right corner
        {21, 339, 10, 10},       // one pixel in: 10.93 cut to 10
        {19, 341, -10, -10},     // one pixel out: cut toward zero, not down
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PixelToTile(geometry, c.x, Axis::Horizontal), c.tileY) << c.x;
        EXPECT_EQ(PixelToTile(geometry, c.y, Axis::Vertical), c.tileX) << c.y;
    }
    // Where the float scale rounds down the far corner gives 3279.
    for (int32_t size : {100, 200, 241, 300, 397, 512, 640, 1000}) {
        const ViewerGeometry g = Viewer(size);
        const int32_t far = PixelToTile(g, g.imageArea.right, Axis::Horizontal);
        EXPECT_TRUE(far == 3280 || far == 3279) << size << ": " << far;
        EXPECT_EQ(PixelToTile(g, g.imageArea.top, Axis::Vertical), far) << size;
    }
}

TEST(TileToPixel, ViewerFrameAndRowsFromTheBottom) {
    const ViewerGeometry geometry = Viewer(300);
    // Vertical: X = 0 is the bottom row of the drawable part, counted in the
    // viewer's own frame (no panel offset); 3280 falls just short of row 0.
    EXPECT_EQ(TileToPixel(geometry, 0, Axis::Vertical), 300);
    EXPECT_EQ(TileToPixel(geometry, 3280, Axis::Vertical), 1);
    EXPECT_EQ(TileToPixel(geometry, 1640, Axis::Vertical), 151);
    // Horizontal: Y ÷ scale, no offset.
    EXPECT_EQ(TileToPixel(geometry, 0, Axis::Horizontal), 0);
    EXPECT_EQ(TileToPixel(geometry, 3280, Axis::Horizontal), 299);
    EXPECT_EQ(TileToPixel(geometry, 1640, Axis::Horizontal), 149);
    EXPECT_EQ(TileToPixel(geometry, -11, Axis::Horizontal), -1);  // cut toward zero
    // A scale that divides evenly lands on whole rows.
    const ViewerGeometry even = Viewer(328);  // 10 feet per pixel
    EXPECT_EQ(TileToPixel(even, 3280, Axis::Vertical), 0);
    EXPECT_EQ(TileToPixel(even, 3279, Axis::Vertical), 1);
    EXPECT_EQ(TileToPixel(even, 1234, Axis::Horizontal), 123);
}

TEST(TileToPixel, RoundTripFromEveryPixelStaysWithinOnePixel) {
    for (int32_t size : {150, 300, 397}) {
        const ViewerGeometry g = Viewer(size);
        for (int32_t p = 0; p <= size; ++p) {
            const int32_t y = PixelToTile(g, g.imageArea.left + p, Axis::Horizontal);
            const int32_t back = TileToPixel(g, y, Axis::Horizontal);
            ASSERT_TRUE(back == p || back == p - 1) << size << " column " << p << " -> " << back;
            const int32_t x = PixelToTile(g, g.imageArea.top + p, Axis::Vertical);
            const int32_t row = TileToPixel(g, x, Axis::Vertical);
            ASSERT_TRUE(row == p || row == p + 1) << size << " row " << p << " -> " << row;
        }
    }
}

TEST(CutTowardZero, SaturatesAndIgnoresNaN) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(CutTowardZero(2.9), 2);
    EXPECT_EQ(CutTowardZero(-2.9), -2);
    EXPECT_EQ(CutTowardZero(1e12), kMax);
    EXPECT_EQ(CutTowardZero(-1e12), -kMax);
    EXPECT_EQ(CutTowardZero(std::nan("")), 0);
    // Far-off feet do not overflow a huge viewer.
    const ViewerGeometry huge = Viewer(100000);
    EXPECT_EQ(TileToPixel(huge, kMax, Axis::Horizontal), kMax);
}

}  // namespace
}  // namespace lorvane
