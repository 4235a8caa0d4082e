#include "theater/edge_markers.h"

#include <map>
#include <tuple>

namespace lorvane {

namespace {

// The place along an edge of a post at which an end lies on it, if it does.
bool AlongEdge(PostPoint point, Edge edge, float tolerance, float& along) {
    switch (edge) {
        case Edge::North:
            along = point.east;
            return point.north >= kTileSpanFeet - tolerance;
        case Edge::East:
            along = point.north;
            return point.east >= kTileSpanFeet - tolerance;
        case Edge::South:
            along = point.east;
            return point.north <= tolerance;
        case Edge::West:
            along = point.north;
            return point.east <= tolerance;
    }
    return false;
}

// The point of a post's edge at a place along it.
PostPoint OnEdge(Edge edge, float along) {
    switch (edge) {
        case Edge::North:
            return {along, kTileSpanFeet};
        case Edge::East:
            return {kTileSpanFeet, along};
        case Edge::South:
            return {along, 0};
        case Edge::West:
            return {0, along};
    }
    return {};
}

}  // namespace

std::vector<EdgeMarker> EdgeMarkersOf(const TerrainMatrix& matrix, const TileDatabase& database,
                                      uint32_t tileId, int orientation, float tolerance) {
    std::vector<EdgeMarker> markers;
    if (!matrix.IsComplete()) return markers;
    // How often each tile lies across each edge of a post of this tile.
    std::map<std::pair<Edge, uint32_t>, uint64_t> neighbours;
    const int32_t width = matrix.xMapExtent();
    const int32_t height = matrix.yMapExtent();
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (matrix.Cell(x, y).tileId != tileId) continue;
            for (const Edge edge : kEdges) {
                const PostStep step = StepAcross(edge);
                const int32_t nx = x + step.dx;
                const int32_t ny = y + step.dy;
                if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                ++neighbours[{edge, matrix.Cell(nx, ny).tileId}];
            }
        }
    }
    const TileTable table(database);
    std::map<std::tuple<Edge, float, int32_t, float>, uint64_t> grouped;
    for (const auto& [key, places] : neighbours) {
        const auto& [edge, neighbourId] = key;
        const TileRecord* neighbour = table.Find(neighbourId);
        if (neighbour == nullptr) continue;
        const Edge facing = OppositeEdge(edge);
        // A place is counted once per neighbour, type and width, however
        // many segment ends of that neighbour lie there.
        std::map<std::tuple<float, int32_t, float>, bool> seen;
        for (const TilePath& path : neighbour->paths) {
            for (const TilePoint end :
                 {TilePoint{path.startX, path.startY}, TilePoint{path.endX, path.endY}}) {
                float along = 0;
                if (!AlongEdge(TileToPost(orientation, end), facing, tolerance, along)) continue;
                if (seen[{along, path.type, path.width}]) continue;
                seen[{along, path.type, path.width}] = true;
                grouped[{edge, along, path.type, path.width}] += places;
            }
        }
    }
    markers.reserve(grouped.size());
    for (const auto& [key, places] : grouped) {
        const auto& [edge, along, type, pathWidth] = key;
        markers.push_back(
            {edge, PostToTile(orientation, OnEdge(edge, along)), type, pathWidth, places});
    }
    return markers;
}

}  // namespace lorvane
