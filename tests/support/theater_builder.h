#pragma once
// Builds theaters in code whose paths meet across posts: tiles drawn in the
// post's frame (east, north) and laid under a chosen orientation, and the
// matrix that repeats a pattern of them.

#include <cstdint>
#include <string>
#include <vector>

#include "terrain/terrain_matrix.h"
#include "tiledb/tile_database.h"

namespace lorvane::testing {

// A path segment in post feet: from (east1, north1) to (east2, north2).
struct PostSegment {
    int32_t type = 0;
    float width = 40.0f;
    float east1 = 0;
    float north1 = 0;
    float east2 = 0;
    float north2 = 0;
};

// A tile whose paths, laid under the orientation, are the given segments.
TileRecord TileFromPost(const std::string& name, const std::vector<PostSegment>& segments,
                        int orientation);

// A database of the tiles in order, 16 to a set of Plains, so that the tile
// at position k has id k; named H<set><position>.PCX.
TileDatabase PatternDatabase(std::vector<TileRecord> tiles);

// A matrix of width × height posts laid with a pattern of periodX × periodY
// tile ids repeated: post (x, y) holds id (x mod periodX) + periodX·(y mod
// periodY). Elevations rise gently to the north-east.
TerrainMatrix PatternMatrix(int32_t width, int32_t height, int32_t periodX, int32_t periodY);

struct RoadTheater {
    TerrainMatrix matrix;
    TileDatabase database;
};

// A pattern of periodX × periodY tiles on width × height posts where about
// half the shared edges of the pattern carry a River, Road or Railway at a
// random place, each such path running from the edge to near the middle of
// both posts; every tile is laid under the orientation, so all the paths
// meet under it.
RoadTheater MakeRoadTheater(int32_t width, int32_t height, int32_t periodX, int32_t periodY,
                            int orientation, uint32_t seed);

}  // namespace lorvane::testing
