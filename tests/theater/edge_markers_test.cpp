#include "theater/edge_markers.h"

#include <gtest/gtest.h>

#include "support/theater_builder.h"

namespace lorvane {
namespace {

using testing::PostSegment;
using testing::TileFromPost;

constexpr int32_t kRiver = 2;
constexpr int32_t kRoad = 10;

// A 2 × 2 pattern on 5 × 4 posts: tile 0 has tile 1 east and west of it
// (4 places each), tile 2 north (6 places) and south (3 places). Tile 1
// carries a road across at 800 feet north, twice ending on its west edge at
// the same place; tile 2 a river up at 1500 feet east.
std::pair<TerrainMatrix, TileDatabase> Theater(int orientation) {
    const PostSegment road{kRoad, 60, 0, 800, 3280, 800};
    const PostSegment branch{kRoad, 60, 0, 800, 1600, 2000};
    const PostSegment river{kRiver, 120, 1500, 0, 1500, 3280};
    return {testing::PatternMatrix(5, 4, 2, 2),
            testing::PatternDatabase(
                {TileFromPost("", {}, orientation), TileFromPost("", {road, branch}, orientation),
                 TileFromPost("", {river}, orientation), TileFromPost("", {}, orientation)})};
}

TEST(EdgeMarkersTest, NeighboursPathEndsLandOnTheTilesEdgesInItsOwnFrame) {
    // Under 0 the tile's X is north and Y east; under 5 X is east and Y north.
    struct Case {
        int orientation;
        std::vector<EdgeMarker> expected;
    };
    const std::vector<Case> cases = {
        {0,
         {{Edge::North, {3280, 1500}, kRiver, 120, 6},
          {Edge::East, {800, 3280}, kRoad, 60, 4},
          {Edge::South, {0, 1500}, kRiver, 120, 3},
          {Edge::West, {800, 0}, kRoad, 60, 4}}},
        {5,
         {{Edge::North, {1500, 3280}, kRiver, 120, 6},
          {Edge::East, {3280, 800}, kRoad, 60, 4},
          {Edge::South, {1500, 0}, kRiver, 120, 3},
          {Edge::West, {0, 800}, kRoad, 60, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto [matrix, database] = Theater(c.orientation);
        EXPECT_EQ(EdgeMarkersOf(matrix, database, 0, c.orientation), c.expected);
        // Tile 3 has tile 2 east and west of it and tile 1 north and south,
        // whose paths cross none of the edges that face it.
        EXPECT_TRUE(EdgeMarkersOf(matrix, database, 3, c.orientation).empty());
        // A tile that lies nowhere in the matrix has none.
        EXPECT_TRUE(EdgeMarkersOf(matrix, database, 99, c.orientation).empty());
    }
}

}  // namespace
}  // namespace lorvane
