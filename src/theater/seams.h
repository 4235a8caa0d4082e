#pragma once
// Seams: places where a path leaves one post and does not go on in the post
// beside it.
//
// A path end lies on an edge of its post when it is within the tolerance of
// that edge (corner ends lie on two). Across a shared edge an end meets an
// end of the same path type on the neighbour's facing edge whose distance
// along the edge is within the tolerance; an end that meets none is a seam.
// The offset of a seam is the distance along the edge to the nearest end of
// that type across it, or a whole tile (3280 feet) when there is none.
//
// Everything is worked out once per distinct pair of neighbouring tile ids,
// counted over the matrix, so a theater of millions of posts costs one pass
// over its posts and then work in the number of distinct pairs.

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "terrain/terrain_matrix.h"
#include "theater/orientation.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// The default tolerance: 1% of a tile.
inline constexpr float kDefaultSeamTolerance = kTileSpanFeet / 100.0f;

// A tile by id: the first index entry with that id, as the tile map takes it.
class TileTable {
  public:
    explicit TileTable(const TileDatabase& database);
    // The index position of the tile with that id; none when no entry has it.
    std::optional<int> Position(uint32_t tileId) const;
    const TileRecord* Find(uint32_t tileId) const;

  private:
    const TileDatabase& database_;
    std::vector<int32_t> dense_;  // position + 1 by id, 0 for none
    std::unordered_map<uint32_t, int32_t> sparse_;
};

// One path end on an edge: its type and its place along the edge (feet east
// on the north and south edges, feet north on the east and west edges).
struct EdgeEnd {
    int32_t type = 0;
    float along = 0;
    bool operator==(const EdgeEnd&) const = default;
};
using EdgeEnds = std::array<std::vector<EdgeEnd>, 4>;  // by Edge

// The ends of a tile's path segments that lie on each edge of its post under
// an orientation, each place and type once, sorted along the edge.
EdgeEnds EdgeEndsOf(const TileRecord& tile, int orientation, float tolerance);

// Neighbouring posts: second lies east of first (EastWest) or north of it
// (SouthNorth); places counts the posts where they meet so.
enum class PairAxis : uint8_t { EastWest, SouthNorth };
struct PostPair {
    uint32_t first = 0;
    uint32_t second = 0;
    PairAxis axis = PairAxis::EastWest;
    uint64_t places = 0;
};

struct Seam {
    uint32_t tile = 0;
    uint32_t neighbour = 0;
    Edge edge = Edge::North;  // the side of tile that faces neighbour
    int32_t type = 0;
    float offsetFeet = 0;  // the worst offset of the tile's ends of that type there
    uint64_t places = 0;
    bool operator==(const Seam&) const = default;
};

// A post with seams: the edges (bit 1 << Edge) on which it has one.
struct SeamPost {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t edges = 0;
    bool operator==(const SeamPost&) const = default;
};

class SeamFinder {
  public:
    // Counts the neighbouring pairs of the matrix whose tiles have path ends
    // near an edge. The matrix and database must outlive the finder.
    SeamFinder(const TerrainMatrix& matrix, const TileDatabase& database,
               float tolerance = kDefaultSeamTolerance);

    // For each orientation, how many path ends on shared edges meet an end
    // across (counted over every place in the theater).
    std::array<uint64_t, kOrientationCount> MeetingEnds() const;
    // The orientation under which the most ends meet; the lowest number of
    // those that tie.
    int FindOrientation() const;

    // Every seam under an orientation, by tile, neighbour, edge and type.
    std::vector<Seam> Seams(int orientation) const;
    // The posts of the matrix that have seams, row by row.
    std::vector<SeamPost> SeamPosts(int orientation) const;

    const std::vector<PostPair>& pairs() const { return pairs_; }

  private:
    const EdgeEnds* EndsOf(uint32_t tileId, int orientation) const;
    template <typename Visit>
    void VisitUnmatched(const PostPair& pair, int orientation, Visit visit) const;

    const TerrainMatrix& matrix_;
    TileTable table_;
    float tolerance_;
    // For every tile with ends near an edge: its ends under each orientation.
    std::unordered_map<uint32_t, std::array<EdgeEnds, kOrientationCount>> ends_;
    std::vector<PostPair> pairs_;
};

}  // namespace lorvane
