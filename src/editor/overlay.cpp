#include "editor/overlay.h"

namespace lorvane {

SegmentShape SegmentOf(const WorkingPath& segment, const ViewerGeometry& geometry) {
    return {PathPen(segment.typeChoice),
            TileToPixel(geometry, Magnitude(segment.startY), Axis::Horizontal),
            TileToPixel(geometry, segment.startX, Axis::Vertical),
            TileToPixel(geometry, Magnitude(segment.endY), Axis::Horizontal),
            TileToPixel(geometry, segment.endX, Axis::Vertical)};
}

CircleShape CircleOf(const WorkingArea& area, const ViewerGeometry& geometry) {
    return {AreaPen(area.typeChoice), TileToPixel(geometry, area.centerY, Axis::Horizontal),
            TileToPixel(geometry, area.centerX, Axis::Vertical),
            TileToPixel(geometry, area.radius, Axis::Horizontal)};
}

Overlay OverlayOf(const EditorWorkingSet& working, const ViewerGeometry& geometry, bool showPaths,
                  bool showAreas) {
    Overlay overlay;
    if (showPaths) {
        for (const WorkingPath& segment : working.paths)
            overlay.segments.push_back(SegmentOf(segment, geometry));
    }
    if (showAreas) {
        for (const WorkingArea& area : working.areas)
            overlay.circles.push_back(CircleOf(area, geometry));
    }
    return overlay;
}

}  // namespace lorvane
