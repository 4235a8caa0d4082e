#pragma once
// Edge markers: where the paths of the tiles that lie beside a tile anywhere
// in the theater cross its edges, in that tile's own frame, so that a path
// drawn on it can start exactly where its neighbours' paths end.

#include <cstdint>
#include <vector>

#include "terrain/terrain_matrix.h"
#include "theater/orientation.h"
#include "theater/seams.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// One place on an edge of the tile where neighbours' path ends of one type
// and width arrive; places counts the posts of the theater where they do.
struct EdgeMarker {
    Edge edge = Edge::North;  // the edge of the tile's post
    TilePoint at{};           // in the tile's own frame, on that edge
    int32_t type = 0;
    float width = 0;
    uint64_t places = 0;
    bool operator==(const EdgeMarker&) const = default;
};

// The markers of a tile: for every post that carries it and every edge of
// that post with a neighbour, the path ends of the neighbour's tile on the
// facing edge (within the tolerance), carried across onto this tile's edge
// under the theater's orientation. Grouped by edge, place, type and width,
// in that order; none when the tile lies nowhere in the matrix.
std::vector<EdgeMarker> EdgeMarkersOf(const TerrainMatrix& matrix, const TileDatabase& database,
                                      uint32_t tileId, int orientation,
                                      float tolerance = kDefaultSeamTolerance);

}  // namespace lorvane
