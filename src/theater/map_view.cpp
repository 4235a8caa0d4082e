#include "theater/map_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/format.h"
#include "terrain/theater_tile_map.h"
#include "theater/seams.h"

namespace lorvane {

void MapView::SetViewport(int width, int height) {
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
}

void MapView::SetTheater(int32_t columns, int32_t rows) {
    columns_ = std::max(columns, 0);
    rows_ = std::max(rows, 0);
    Fit();
}

void MapView::Fit() {
    const double fit = std::min(static_cast<double>(width_) / std::max(columns_, 1),
                                static_cast<double>(height_) / std::max(rows_, 1));
    scale_ = std::clamp(fit, kMinScale, kMaxScale);
    origin_ = {columns_ / 2.0 - width_ / (2 * scale_), rows_ / 2.0 - height_ / (2 * scale_)};
}

MapPoint MapView::ScreenToMap(double x, double y) const {
    return {origin_.u + x / scale_, origin_.v + y / scale_};
}

MapPoint MapView::MapToScreen(MapPoint point) const {
    return {(point.u - origin_.u) * scale_, (point.v - origin_.v) * scale_};
}

std::optional<PostCoordinates> MapView::PostAt(double x, double y) const {
    const MapPoint point = ScreenToMap(x, y);
    const double column = std::floor(point.u);
    const double line = std::floor(point.v);
    if (column < 0 || line < 0 || column >= columns_ || line >= rows_) return std::nullopt;
    return PostCoordinates{static_cast<int32_t>(column), rows_ - 1 - static_cast<int32_t>(line)};
}

void MapView::ZoomAt(double x, double y, double factor) {
    const MapPoint fixed = ScreenToMap(x, y);
    scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    origin_ = {fixed.u - x / scale_, fixed.v - y / scale_};
}

void MapView::Pan(double dx, double dy) {
    origin_.u -= dx / scale_;
    origin_.v -= dy / scale_;
}

PostRegion MapView::VisiblePosts() const {
    const MapPoint topLeft = ScreenToMap(0, 0);
    const MapPoint bottomRight = ScreenToMap(width_, height_);
    const auto first = [](double value, int32_t limit) {
        return static_cast<int32_t>(std::clamp(std::floor(value), 0.0, static_cast<double>(limit)));
    };
    const auto last = [](double value, int32_t limit) {
        return static_cast<int32_t>(std::clamp(std::ceil(value), 0.0, static_cast<double>(limit)));
    };
    const int32_t u0 = first(topLeft.u, columns_);
    const int32_t u1 = last(bottomRight.u, columns_);
    const int32_t v0 = first(topLeft.v, rows_);
    const int32_t v1 = last(bottomRight.v, rows_);
    // Picture lines v0 … v1 − 1 are post rows rows − v1 … rows − 1 − v0.
    return {u0, rows_ - v1, u1 - u0, v1 - v0};
}

std::string PostStatus(const TerrainMatrix& matrix, const TileDatabase* database,
                       PostCoordinates post) {
    const TerrainCell& cell = matrix.Cell(post.x, post.y);
    std::string status = FormatText("Post %d, %d", post.x, post.y);
    std::optional<uint8_t> bits;
    if (database != nullptr) {
        const std::string name = TileNameById(*database, static_cast<int32_t>(cell.tileId));
        status += "   Tile " + (name.empty() ? std::string("(not in Texture.bin)") : name);
        if (!name.empty()) bits = TileBitsLookup(*database).Find(cell.tileId);
    }
    status += FormatText("   Id %u   Elevation %u", cell.tileId, unsigned{cell.elevation});
    if (bits) status += std::string("   Class ") + kClassNames[*bits & 7u];
    return status;
}

uint64_t DatabaseFingerprint(const TileDatabase& database) {
    // FNV-1a over the values as they lie in memory.
    uint64_t hash = 1469598103934665603ull;
    const auto add = [&hash](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    for (const TileIndexEntry& entry : database.index) {
        add(&entry.id, sizeof entry.id);
        add(&entry.terrainType, sizeof entry.terrainType);
        add(&entry.setIndex, sizeof entry.setIndex);
        add(&entry.tileIndex, sizeof entry.tileIndex);
    }
    for (const TileSet& set : database.sets) {
        add(&set.terrainType, sizeof set.terrainType);
        for (const TileRecord& tile : set.tiles) {
            const size_t counts[2] = {tile.paths.size(), tile.areas.size()};
            add(counts, sizeof counts);
            for (const TilePath& path : tile.paths) {
                const float values[5] = {path.width, path.startX, path.startY, path.endX,
                                         path.endY};
                add(&path.type, sizeof path.type);
                add(values, sizeof values);
            }
            for (const TileArea& area : tile.areas) {
                const float values[3] = {area.radius, area.centerX, area.centerY};
                add(&area.type, sizeof area.type);
                add(values, sizeof values);
            }
        }
    }
    return hash;
}

}  // namespace lorvane
