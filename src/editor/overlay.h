#pragma once
// The working set as shapes in viewer pixels, each with its type's pen: what
// the viewer draws over the tile image. Path segments are lines from start
// to end, areas circles around their centre.

#include <cstdint>
#include <vector>

#include "editor/pens.h"
#include "editor/viewer_geometry.h"
#include "editor/working_set.h"

namespace lorvane {

struct SegmentShape {
    Pen pen;
    int32_t x1 = 0, y1 = 0;  // start: (TileToPixel |startY|, TileToPixel startX)
    int32_t x2 = 0, y2 = 0;  // end
    bool operator==(const SegmentShape&) const = default;
};

struct CircleShape {
    Pen pen;
    int32_t centerX = 0, centerY = 0;  // (TileToPixel centerY, TileToPixel centerX)
    int32_t radius = 0;                // TileToPixel of the radius, horizontally
    bool operator==(const CircleShape&) const = default;
};

SegmentShape SegmentOf(const WorkingPath& segment, const ViewerGeometry& geometry);
CircleShape CircleOf(const WorkingArea& area, const ViewerGeometry& geometry);

struct Overlay {
    std::vector<SegmentShape> segments;  // in table order
    std::vector<CircleShape> circles;
};

// Every segment (when showPaths) and every area (when showAreas).
Overlay OverlayOf(const EditorWorkingSet& working, const ViewerGeometry& geometry,
                  bool showPaths = true, bool showAreas = true);

}  // namespace lorvane
