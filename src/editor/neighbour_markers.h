#pragma once
// The edge markers of the tile on screen, as the editor uses them: where the
// paths of the tiles beside it in the theater cross its edges, with the path
// type (as a choice of the path list) and whole-feet width a path started
// there takes, and the number of places in the theater.

#include <cstdint>
#include <span>
#include <vector>

#include "editor/view_transform.h"
#include "terrain/terrain_matrix.h"
#include "tiledb/tile_database.h"

namespace lorvane {

struct NeighbourMarker {
    FeetPointF point{};
    int32_t typeChoice = 0;  // position in PathTypeCodes
    int32_t width = 0;       // feet
    uint64_t places = 0;
    bool operator==(const NeighbourMarker&) const = default;
};

// A tile that lies beside the tile on screen at one place of the theater:
// its id and where its own origin (X = 0, Y = 0) lies in the feet of the
// tile on screen. Every tile lies under the theater's one orientation, so a
// neighbour is only moved against the tile on screen, never turned.
struct NeighbourTile {
    uint32_t tileId = 0;
    FeetPointF origin{};
    bool operator==(const NeighbourTile&) const = default;
};

// Where the origin of the tile on the post east posts to the east and north
// posts to the north of the tile on screen lies in its feet, under the
// orientation.
FeetPointF NeighbourOrigin(int orientation, int32_t east, int32_t north);

// What the theater says about a tile's surroundings.
struct Neighbourhood {
    int orientation = 0;
    // Every place of the theater counts toward the markers.
    std::vector<NeighbourMarker> markers;
    // The place whose surroundings show: the first post, row by row, that
    // carries the tile and has all eight neighbours inside the theater, or
    // else the first that carries it; −1 when none does. places counts the
    // posts that carry it.
    int32_t postX = -1;
    int32_t postY = -1;
    uint64_t places = 0;
    // The tiles around that post (at most eight).
    std::vector<NeighbourTile> tiles;
};

// The surroundings of a tile under the orientation the theater's paths meet
// best in. Empty when the matrix is not complete.
Neighbourhood NeighbourhoodOf(const TerrainMatrix& matrix, const TileDatabase& database,
                              int32_t tileId);

// The marker nearest the pointer within reach (feet); null when none is.
const NeighbourMarker* NearestMarker(std::span<const NeighbourMarker> markers, FeetPointF pointer,
                                     double reach);

}  // namespace lorvane
