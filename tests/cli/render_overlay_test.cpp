#include "cli/render_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/view_transform.h"

namespace lorvane {
namespace {

TEST(PictureScale, EdgesOnTheFirstAndLastPixelsRowsFromTheBottom) {
    const PictureScale scale(301, 301);  // 300 spans of 10.93… feet
    // Rows: X = 0 is the bottom row; 3280 falls just short of row 0.
    EXPECT_EQ(scale.Row(0), 300);
    EXPECT_EQ(scale.Row(3280), 1);
    EXPECT_EQ(scale.Row(1640), 151);
    // Columns: Y ÷ scale, cut toward zero (not down).
    EXPECT_EQ(scale.Column(0), 0);
    EXPECT_EQ(scale.Column(3280), 299);
    EXPECT_EQ(scale.Column(1640), 149);
    EXPECT_EQ(scale.Column(-11), -1);
    // A scale that divides evenly lands on whole rows.
    const PictureScale even(329, 329);  // 10 feet per pixel
    EXPECT_EQ(even.Row(3280), 0);
    EXPECT_EQ(even.Row(3279), 1);
    EXPECT_EQ(even.Column(1234), 123);
    // A picture of one pixel still has finite scales; far-off feet saturate.
    const PictureScale tiny(1, 1);
    EXPECT_EQ(tiny.Column(TILE_SPAN), 1);
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(PictureScale(100001, 100001).Column(kMax), kMax);
}

TEST(PictureScale, ShapesOfTheTablesInTableOrder) {
    EditorWorkingSet working;
    working.paths = {{1, 50, 0, 1640, 3280, 3280, true}, {2, 50, 1640, 0, 0, 1640}};
    working.areas = {{0, 328, 1640, 1640}};
    const Overlay overlay = OverlayOf(working, PictureScale(329, 329));
    ASSERT_EQ(overlay.segments.size(), 2u);
    EXPECT_EQ(overlay.segments[0], (SegmentShape{PathPen(1), 164, 328, 328, 0}));
    EXPECT_EQ(overlay.segments[1], (SegmentShape{PathPen(2), 0, 164, 164, 328}));
    EXPECT_EQ(overlay.circles, (std::vector<CircleShape>{{AreaPen(0), 164, 164, 32}}));
}

TEST(CutTowardZero, SaturatesAndIgnoresNaN) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(CutTowardZero(2.9), 2);
    EXPECT_EQ(CutTowardZero(-2.9), -2);
    EXPECT_EQ(CutTowardZero(1e12), kMax);
    EXPECT_EQ(CutTowardZero(-1e12), -kMax);
    EXPECT_EQ(CutTowardZero(std::nan("")), 0);
}

}  // namespace
}  // namespace lorvane
