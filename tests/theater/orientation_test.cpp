#include "theater/orientation.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace lorvane {
namespace {

// Where the point a quarter along the top edge of the tile's image (X = 3280,
// Y = 820) lands under each orientation: turned clockwise quarter by quarter,
// first without and then with the east-west mirror.
TEST(OrientationTest, TopEdgePointLandsOnTheTurnedEdge) {
    struct Case {
        int orientation;
        PostPoint expected;
    };
    const Case cases[] = {
        {0, {820, 3280}},  {1, {3280, 2460}}, {2, {2460, 0}}, {3, {0, 820}},
        {4, {2460, 3280}}, {5, {3280, 820}},  {6, {820, 0}},  {7, {0, 2460}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const PostPoint post = TileToPost(c.orientation, {3280, 820});
        EXPECT_FLOAT_EQ(post.east, c.expected.east);
        EXPECT_FLOAT_EQ(post.north, c.expected.north);
    }
}

TEST(OrientationTest, PostToTileUndoesTileToPostAndTheEightDiffer) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> feet(0.0f, kTileSpanFeet);
    for (int round = 0; round < 200; ++round) {
        const TilePoint point{feet(random), feet(random)};
        std::set<std::pair<float, float>> images;
        for (int o = 0; o < kOrientationCount; ++o) {
            const PostPoint post = TileToPost(o, point);
            EXPECT_GE(post.east, 0.0f);
            EXPECT_LE(post.east, kTileSpanFeet);
            const TilePoint back = PostToTile(o, post);
            EXPECT_NEAR(back.x, point.x, 1e-3f);
            EXPECT_NEAR(back.y, point.y, 1e-3f);
            images.insert({post.east, post.north});
        }
        // A point off the diagonals has eight different places.
        if (std::abs(point.x - point.y) > 1 && std::abs(point.x + point.y - kTileSpanFeet) > 1 &&
            std::abs(point.x - kTileSpanFeet / 2) > 1 &&
            std::abs(point.y - kTileSpanFeet / 2) > 1) {
            EXPECT_EQ(images.size(), 8u);
        }
    }
}

TEST(OrientationTest, EdgesStepToTheirNeighbourAndBack) {
    for (Edge edge : kEdges) {
        const PostStep there = StepAcross(edge);
        const PostStep back = StepAcross(OppositeEdge(edge));
        EXPECT_EQ(there.dx + back.dx, 0);
        EXPECT_EQ(there.dy + back.dy, 0);
        EXPECT_EQ(std::abs(there.dx) + std::abs(there.dy), 1);
    }
    EXPECT_STREQ(EdgeName(Edge::North), "north");
    EXPECT_STREQ(EdgeName(OppositeEdge(Edge::East)), "west");
}

}  // namespace
}  // namespace lorvane
