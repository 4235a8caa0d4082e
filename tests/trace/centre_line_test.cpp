// The simplification of a traced centre line: few segments, none short,
// no loops.

#include "trace/centre_line.h"

#include <gtest/gtest.h>

namespace lorvane {
namespace {

TEST(SimplifyLine, AStaircaseWithinTheToleranceIsOneSegment) {
    // A line of slope 1/3 on the pixel grid.
    std::vector<TracePoint> stairs;
    for (int i = 0; i <= 60; ++i)
        stairs.push_back({static_cast<double>(i), static_cast<double>(i / 3)});
    const auto simplified = SimplifyLine(stairs, 0.75);
    EXPECT_EQ(simplified, (std::vector<TracePoint>{{0, 0}, {60, 20}}));
}

TEST(SimplifyLine, KeepsACornerAndMergesAJointThatHardlyTurns) {
    // A right angle keeps its corner.
    std::vector<TracePoint> corner;
    for (int i = 0; i <= 20; ++i) corner.push_back({static_cast<double>(i), 0});
    for (int i = 1; i <= 20; ++i) corner.push_back({20, static_cast<double>(i)});
    EXPECT_EQ(SimplifyLine(corner, 1), (std::vector<TracePoint>{{0, 0}, {20, 0}, {20, 20}}));
    // A bend of a few degrees just past the tolerance is one segment.
    const std::vector<TracePoint> bend{{0, 0}, {50, 1.2}, {100, 0}};
    EXPECT_EQ(SimplifyLine(bend, 1), (std::vector<TracePoint>{{0, 0}, {100, 0}}));
}

TEST(DropShortSegments, TakesOutShortSegmentsAndKeepsTheEnds) {
    struct Case {
        std::vector<TracePoint> vertices;
        std::vector<TracePoint> expected;
    };
    const Case cases[] = {
        // Short first and last segments lose their inner vertex.
        {{{0, 0}, {1, 0}, {20, 5}, {40, 0}, {41, 0}}, {{0, 0}, {20, 5}, {41, 0}}},
        // A short inner segment becomes its midpoint.
        {{{0, 0}, {20, 0}, {20, 2}, {40, 2}}, {{0, 0}, {20, 1}, {40, 2}}},
        // A trace shorter than the width stays one segment.
        {{{0, 0}, {1, 1}, {2, 0}}, {{0, 0}, {2, 0}}},
    };
    for (const Case& c : cases) {
        std::vector<TracePoint> vertices = c.vertices;
        DropShortSegments(vertices, 5);
        EXPECT_EQ(vertices, c.expected);
    }
}

TEST(RemoveSelfCrossings, CutsLoopsAndBacktracks) {
    struct Case {
        std::vector<TracePoint> vertices;
        std::vector<TracePoint> expected;
    };
    const Case cases[] = {
        // A loop: the first segment is crossed by the fourth at (5, 0).
        {{{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, -5}, {5, -10}},
         {{0, 0}, {5, 0}, {5, -5}, {5, -10}}},
        // Straight back along itself.
        {{{0, 0}, {10, 0}, {4, 0}, {4, 8}}, {{0, 0}, {4, 0}, {4, 8}}},
        // Nothing to cut.
        {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelfIntersects(c.vertices), c.vertices != c.expected);
        std::vector<TracePoint> vertices = c.vertices;
        RemoveSelfCrossings(vertices);
        EXPECT_EQ(vertices, c.expected);
        EXPECT_FALSE(SelfIntersects(vertices));
    }
}

}  // namespace
}  // namespace lorvane
