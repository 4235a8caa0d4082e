#include "editor/neighbour_markers.h"

#include <cmath>

#include "editor/entry_points.h"
#include "editor/working_set.h"
#include "theater/edge_markers.h"

namespace lorvane {

std::vector<NeighbourMarker> NeighbourMarkersOf(const TerrainMatrix& matrix,
                                                const TileDatabase& database, int32_t tileId) {
    std::vector<NeighbourMarker> markers;
    if (!matrix.IsComplete() || tileId < 0) return markers;
    const int orientation = SeamFinder(matrix, database).FindOrientation();
    for (const EdgeMarker& marker :
         EdgeMarkersOf(matrix, database, static_cast<uint32_t>(tileId), orientation)) {
        markers.push_back({{marker.at.x, marker.at.y},
                           PathChoiceOfCode(marker.type),
                           static_cast<int32_t>(std::lround(marker.width)),
                           marker.places});
    }
    return markers;
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
