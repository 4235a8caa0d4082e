#include "theater/seams.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

#include "base/progress.h"
#include "support/texture_builder.h"
#include "support/theater_builder.h"
#include "theater/theater_picture.h"

namespace lorvane {
namespace {

using testing::PostSegment;
using testing::TileFromPost;

constexpr int32_t kRiver = 2;
constexpr int32_t kRoad = 10;

TEST(SeamsTest, EachOfTheEightOrientationsIsFoundAndLeavesNoSeams) {
    for (int orientation = 0; orientation < kOrientationCount; ++orientation) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(::testing::Message() << "orientation " << orientation << " seed " << seed);
            // Unique tiles on 9 × 7 posts, and a 4 × 3 pattern repeated over 11 × 8
            // (a pattern of period 2 would look the same mirrored).
            for (const auto& theater :
                 {testing::MakeRoadTheater(9, 7, 9, 7, orientation, seed),
                  testing::MakeRoadTheater(11, 8, 4, 3, orientation, seed + 10)}) {
                const SeamFinder finder(theater.matrix, theater.database);
                const auto meeting = finder.MeetingEnds();
                EXPECT_EQ(finder.FindOrientation(), orientation);
                for (int other = 0; other < kOrientationCount; ++other) {
                    if (other == orientation) continue;
                    EXPECT_LT(meeting[static_cast<size_t>(other)],
                              meeting[static_cast<size_t>(orientation)]);
                }
                EXPECT_TRUE(finder.Seams(orientation).empty());
                EXPECT_TRUE(finder.SeamPosts(orientation).empty());
                EXPECT_FALSE(finder.Seams((orientation + 1) % kOrientationCount).empty());
            }
        }
    }
}

// A 2 × 2 pattern on 7 × 5 posts: tile 0 and tile 2 (above it) carry a road
// from south to north at roadEast; tiles 2 and 3 a river from west to east.
testing::RoadTheater RoadAndRiver(int orientation, float roadEast) {
    const PostSegment road0{kRoad, 60, roadEast, 0, roadEast, 3280};
    const PostSegment road2{kRoad, 60, 1000, 0, 1000, 3280};
    const PostSegment river{kRiver, 120, 0, 2500, 3280, 2500};
    return {testing::PatternMatrix(7, 5, 2, 2),
            testing::PatternDatabase({TileFromPost("", {road0}, orientation),
                                      TileFromPost("", {}, orientation),
                                      TileFromPost("", {road2, river}, orientation),
                                      TileFromPost("", {river}, orientation)})};
}

TEST(SeamsTest, ARoadMovedOnOneTileGivesTheSeamsWhereThatTileMeetsItsNeighbours) {
    for (int orientation = 0; orientation < kOrientationCount; ++orientation) {
        SCOPED_TRACE(orientation);
        const auto moved = RoadAndRiver(orientation, 1200);
        // Where tile 0 meets a neighbour across its north and south edges.
        std::map<Edge, uint64_t> places;
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 7; ++x)
                if (moved.matrix.Cell(x, y).tileId == 0)
                    for (Edge edge : {Edge::North, Edge::South}) {
                        const int32_t ny = y + StepAcross(edge).dy;
                        if (ny >= 0 && ny < 5) ++places[edge];
                    }
        ASSERT_EQ(places.size(), 2u);
        std::vector<Seam> expected = {
            {0, 2, Edge::North, kRoad, 200, places[Edge::North]},
            {0, 2, Edge::South, kRoad, 200, places[Edge::South]},
            {2, 0, Edge::North, kRoad, 200, places[Edge::South]},
            {2, 0, Edge::South, kRoad, 200, places[Edge::North]},
        };
        const SeamFinder finder(moved.matrix, moved.database);
        const std::vector<Seam> seams = finder.Seams(orientation);
        ASSERT_EQ(seams.size(), expected.size());
        for (size_t k = 0; k < seams.size(); ++k) {
            EXPECT_EQ(std::tie(seams[k].tile, seams[k].neighbour, seams[k].edge, seams[k].type,
                               seams[k].places),
                      std::tie(expected[k].tile, expected[k].neighbour, expected[k].edge,
                               expected[k].type, expected[k].places));
            EXPECT_NEAR(seams[k].offsetFeet, 200.0f, 0.01f);
        }
        // Every post of tile 0 or 2 with a neighbour of the other across north or south.
        for (const SeamPost& post : finder.SeamPosts(orientation)) {
            EXPECT_EQ(moved.matrix.Cell(post.x, post.y).tileId % 2, 0u);
            EXPECT_EQ(post.edges & ~0b101u, 0u);
        }

        const auto back = RoadAndRiver(orientation, 1000);
        const SeamFinder again(back.matrix, back.database);
        EXPECT_TRUE(again.Seams(orientation).empty());
        EXPECT_TRUE(again.SeamPosts(orientation).empty());
    }
}

// Two posts side by side under orientation 0; tile 0 has a road end on its
// east edge at 1000 feet north, tile 1 what the case gives on its west edge.
TEST(SeamsTest, EndsMeetOnlyWithinTheToleranceAndWithTheirType) {
    struct Case {
        const char* name;
        PostSegment west;  // of tile 1
        float tolerance;
        float offset0;  // the seam of tile 0 on its east edge; 0: none
        float offset1;  // the seam of tile 1 on its west edge; 0: none
    };
    const Case cases[] = {
        {"same place", {kRoad, 60, 0, 1000, 1640, 1640}, kDefaultSeamTolerance, 0, 0},
        {"20 feet along", {kRoad, 60, 0, 1020, 1640, 1640}, kDefaultSeamTolerance, 0, 0},
        {"40 feet along", {kRoad, 60, 0, 1040, 1640, 1640}, kDefaultSeamTolerance, 40, 40},
        {"40 feet with a wider tolerance", {kRoad, 60, 0, 1040, 1640, 1640}, 50, 0, 0},
        {"a river there", {kRiver, 60, 0, 1000, 1640, 1640}, kDefaultSeamTolerance, 3280, 3280},
        {"40 feet in from the edge",
         {kRoad, 60, 40, 1000, 1640, 1640},
         kDefaultSeamTolerance,
         3280,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TileDatabase database =
            testing::PatternDatabase({TileFromPost("", {{kRoad, 60, 1640, 1640, 3280, 1000}}, 0),
                                      TileFromPost("", {c.west}, 0)});
        const TerrainMatrix matrix = testing::PatternMatrix(2, 1, 2, 1);
        const std::vector<Seam> seams = SeamFinder(matrix, database, c.tolerance).Seams(0);
        std::map<uint32_t, float> offsets;
        for (const Seam& seam : seams) {
            EXPECT_EQ(seam.places, 1u);
            EXPECT_EQ(seam.edge, seam.tile == 0 ? Edge::East : Edge::West);
            offsets[seam.tile] = seam.offsetFeet;
        }
        EXPECT_NEAR(offsets.count(0) ? offsets[0] : 0.0f, c.offset0, 0.01f);
        EXPECT_NEAR(offsets.count(1) ? offsets[1] : 0.0f, c.offset1, 0.01f);
    }
}

TEST(SeamsTest, EndsOnTheTheaterBorderAndTilesOutsideTheDatabaseAreNoSeams) {
    // A road from the west border of one post to its east border: the east
    // neighbour's tile id is in no index entry, so there is nothing to meet.
    const TileDatabase database =
        testing::PatternDatabase({TileFromPost("", {{kRoad, 60, 0, 1000, 3280, 1000}}, 0)});
    TerrainMatrix matrix = testing::PatternMatrix(2, 1, 1, 1);
    matrix.Cell(1, 0).tileId = 77;
    const SeamFinder finder(matrix, database);
    const std::vector<Seam> seams = finder.Seams(0);
    ASSERT_EQ(seams.size(), 1u);
    EXPECT_EQ(seams[0], (Seam{0, 77, Edge::East, kRoad, 3280, 1}));
    EXPECT_EQ(finder.SeamPosts(0), (std::vector<SeamPost>{{0, 0, 1u << 1}}));
}

// The pairs are counted place by place as a brute force counts them: every
// pair of neighbours of which at least one tile has an end near an edge,
// with tiles that meet many different neighbours on a side, tiles without
// such ends, ids no entry has (below and above the dense ids) and a matrix
// that shares its sections.
TEST(SeamsTest, PairsCountEveryPlaceWhereATileWithEdgeEndsMeetsANeighbour) {
    // Tiles 0 … 5 carry a road to the east edge, 6 … 9 nothing near an edge.
    std::vector<TileRecord> tiles;
    for (int t = 0; t < 10; ++t)
        tiles.push_back(
            TileFromPost("",
                         t < 6 ? std::vector<PostSegment>{{kRoad, 60, 1640, 1640, 3280, 1000}}
                               : std::vector<PostSegment>{{kRoad, 60, 1000, 1000, 2000, 2000}},
                         0));
    const TileDatabase database = testing::PatternDatabase(std::move(tiles));
    const auto edgeEnds = [](uint32_t id) { return id < 6; };
    const uint32_t ids[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 900, 70000, 0xFFFFFFFFu};
    std::mt19937 random(3);
    for (const int spread : {1, 3, 13}) {
        SCOPED_TRACE(spread);
        TerrainMatrix matrix = MakeTerrainMatrix(48, 32);
        std::uniform_int_distribution<int> pick(0, spread - 1);
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 48; ++x)
                matrix.Cell(x, y).tileId = ids[(x + 2 * y + pick(random)) % 13];
        std::map<std::tuple<PairAxis, uint32_t, uint32_t>, uint64_t> expected;
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 48; ++x) {
                const uint32_t id = matrix.Cell(x, y).tileId;
                if (x + 1 < 48) {
                    const uint32_t east = matrix.Cell(x + 1, y).tileId;
                    if (edgeEnds(id) || edgeEnds(east)) ++expected[{PairAxis::EastWest, id, east}];
                }
                if (y + 1 < 32) {
                    const uint32_t north = matrix.Cell(x, y + 1).tileId;
                    if (edgeEnds(id) || edgeEnds(north))
                        ++expected[{PairAxis::SouthNorth, id, north}];
                }
            }
        }
        std::map<std::tuple<PairAxis, uint32_t, uint32_t>, uint64_t> counted;
        const SeamFinder finder(matrix, database);
        for (const PostPair& pair : finder.pairs())
            counted[{pair.axis, pair.first, pair.second}] = pair.places;
        EXPECT_EQ(counted, expected);
    }
}

TEST(SeamsTest, EdgeEndsAreSortedOncePerPlaceAndCornersLieOnTwoEdges) {
    const TileRecord tile = testing::MakeTile("H000.PCX", {{kRoad, 60, 0, 2000, 1640, 1640},
                                                           {kRoad, 60, 1640, 1640, 0, 2000},
                                                           {kRoad, 60, 0, 500, 1640, 1640},
                                                           {kRiver, 90, 3280, 3280, 1640, 1640}});
    const EdgeEnds ends = EdgeEndsOf(tile, 0, kDefaultSeamTolerance);
    // Orientation 0: X is north, Y east; X = 0 is the south edge.
    EXPECT_EQ(ends[static_cast<size_t>(Edge::South)],
              (std::vector<EdgeEnd>{{kRoad, 500}, {kRoad, 2000}}));
    EXPECT_EQ(ends[static_cast<size_t>(Edge::North)], (std::vector<EdgeEnd>{{kRiver, 3280}}));
    EXPECT_EQ(ends[static_cast<size_t>(Edge::East)], (std::vector<EdgeEnd>{{kRiver, 3280}}));
    EXPECT_TRUE(ends[static_cast<size_t>(Edge::West)].empty());
}

// The matrix as one that keeps each distinct section once.
TerrainMatrix ShareSections(const TerrainMatrix& whole) {
    TerrainMatrix shared;
    shared.dimensions = whole.dimensions;
    shared.l2FormatCode = whole.l2FormatCode;
    std::map<std::vector<uint32_t>, uint32_t> kept;  // a section's cells as words
    for (int32_t sy = 0; sy < whole.dimensions.ySections; ++sy) {
        for (int32_t sx = 0; sx < whole.dimensions.xSections; ++sx) {
            std::vector<TerrainCell> cells;
            std::vector<uint32_t> key;
            for (int32_t r = 0; r < 16; ++r) {
                for (int32_t c = 0; c < 16; ++c) {
                    const TerrainCell& cell = whole.Cell(16 * sx + c, 16 * sy + r);
                    cells.push_back(cell);
                    key.insert(key.end(), {cell.tileId, cell.elevation,
                                           uint32_t{cell.aux0} | uint32_t{cell.aux1} << 8 |
                                               uint32_t{cell.aux2} << 16});
                }
            }
            const auto [place, added] = kept.emplace(key, static_cast<uint32_t>(kept.size()));
            if (added)
                shared.sharedCells.insert(shared.sharedCells.end(), cells.begin(), cells.end());
            shared.sectionOf.push_back(place->second);
        }
    }
    return shared;
}

// Seams and the theater picture read a matrix that shares its sections as
// they read the whole one.
TEST(SeamsTest, AMatrixThatSharesItsSectionsGivesTheSameSeamsAndPicture) {
    for (const auto& [period, orientation] : {std::pair{4, 2}, std::pair{16, 5}, std::pair{5, 0}}) {
        SCOPED_TRACE(::testing::Message()
                     << "period " << period << ", orientation " << orientation);
        auto theater = testing::MakeRoadTheater(48, 32, period, period, orientation, 4);
        // One tile without its paths makes seams to find.
        theater.database.sets[0].tiles[0].paths.clear();
        const TerrainMatrix shared = ShareSections(theater.matrix);
        ASSERT_TRUE(shared.SharesSections() && shared.IsComplete());
        if (period != 5) {
            EXPECT_LT(shared.sharedCells.size(), theater.matrix.cells.size());
        }
        const SeamFinder whole(theater.matrix, theater.database);
        const SeamFinder sharing(shared, theater.database);
        EXPECT_EQ(sharing.MeetingEnds(), whole.MeetingEnds());
        EXPECT_EQ(sharing.FindOrientation(), whole.FindOrientation());
        EXPECT_EQ(sharing.Seams(orientation), whole.Seams(orientation));
        EXPECT_EQ(sharing.SeamPosts(orientation), whole.SeamPosts(orientation));
        SilentProgress progress;
        for (const int32_t postSize : {1, kPathPostSize}) {
            const TheaterPictureOptions options{postSize, orientation, {}};
            const auto a =
                RenderTheaterPicture(theater.matrix, &theater.database, options, progress);
            const auto b = RenderTheaterPicture(shared, &theater.database, options, progress);
            ASSERT_TRUE(a && b);
            EXPECT_EQ(a->pixels, b->pixels);
        }
    }
}

}  // namespace
}  // namespace lorvane
