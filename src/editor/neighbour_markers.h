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

// The markers of a tile under the orientation the theater's paths meet best
// in. None when the matrix is not complete.
std::vector<NeighbourMarker> NeighbourMarkersOf(const TerrainMatrix& matrix,
                                                const TileDatabase& database, int32_t tileId);

// The marker nearest the pointer within reach (feet); null when none is.
const NeighbourMarker* NearestMarker(std::span<const NeighbourMarker> markers, FeetPointF pointer,
                                     double reach);

}  // namespace lorvane
