#include "editor/neighbour_markers.h"

#include <cmath>

#include "editor/entry_points.h"
#include "editor/working_set.h"
#include "theater/edge_markers.h"

namespace lorvane {

FeetPointF NeighbourOrigin(int orientation, int32_t east, int32_t north) {
    // The tile frame is the post frame turned and mirrored: a whole post's
    // step east or north is a whole tile's step in the tile's own feet.
    const TilePoint origin = PostToTile(orientation, {0, 0});
    const TilePoint moved = PostToTile(orientation, {static_cast<float>(east) * kTileSpanFeet,
                                                     static_cast<float>(north) * kTileSpanFeet});
    return {double(moved.x) - double(origin.x), double(moved.y) - double(origin.y)};
}

namespace {

// The place whose surroundings show (see Neighbourhood), and the number of
// posts that carry the tile.
void FindPlace(const TerrainMatrix& matrix, uint32_t tileId, Neighbourhood& out) {
    const int32_t width = matrix.xMapExtent();
    const int32_t height = matrix.yMapExtent();
    bool inside = false;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (matrix.Cell(x, y).tileId != tileId) continue;
            ++out.places;
            if (inside) continue;
            const bool surrounded = x > 0 && y > 0 && x + 1 < width && y + 1 < height;
            if (out.postX < 0 || surrounded) {
                out.postX = x;
                out.postY = y;
                inside = surrounded;
            }
        }
    }
}

}  // namespace

Neighbourhood NeighbourhoodOf(const TerrainMatrix& matrix, const TileDatabase& database,
                              int32_t tileId) {
    Neighbourhood out;
    if (!matrix.IsComplete() || tileId < 0) return out;
    const auto id = static_cast<uint32_t>(tileId);
    out.orientation = SeamFinder(matrix, database).FindOrientation();
    for (const EdgeMarker& marker : EdgeMarkersOf(matrix, database, id, out.orientation)) {
        out.markers.push_back({{marker.at.x, marker.at.y},
                               PathChoiceOfCode(marker.type),
                               static_cast<int32_t>(std::lround(marker.width)),
                               marker.places});
    }
    FindPlace(matrix, id, out);
    if (out.postX < 0) return out;
    for (int32_t north = 1; north >= -1; --north) {
        for (int32_t east = -1; east <= 1; ++east) {
            const int32_t x = out.postX + east;
            const int32_t y = out.postY + north;
            if ((east == 0 && north == 0) || x < 0 || y < 0 || x >= matrix.xMapExtent() ||
                y >= matrix.yMapExtent())
                continue;
            out.tiles.push_back(
                {matrix.Cell(x, y).tileId, NeighbourOrigin(out.orientation, east, north)});
        }
    }
    return out;
}

const NeighbourMarker* NearestMarker(std::span<const NeighbourMarker> markers, FeetPointF pointer,
                                     double reach) {
    const NeighbourMarker* nearest = nullptr;
    double best = reach;
    for (const NeighbourMarker& marker : markers) {
        const double distance = Distance(pointer, marker.point);
        if (distance <= best && (nearest == nullptr || distance < best)) {
            nearest = &marker;
            best = distance;
        }
    }
    return nearest;
}

}  // namespace lorvane
