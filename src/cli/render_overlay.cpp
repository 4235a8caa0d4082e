#include "cli/render_overlay.h"

#include <algorithm>

#include "editor/view_transform.h"

namespace lorvane {

PictureScale::PictureScale(int32_t width, int32_t height)
    : lastRow(height - 1),
      // A picture of one pixel would divide by zero.
      across(static_cast<float>(TILE_SPAN) / static_cast<float>(std::max(width - 1, 1))),
      up(static_cast<float>(TILE_SPAN) / static_cast<float>(std::max(height - 1, 1))) {}

int32_t PictureScale::Column(double feetY) const { return CutTowardZero(feetY / double{across}); }

int32_t PictureScale::Row(double feetX) const {
    const int32_t rows = CutTowardZero(feetX / double{up});
    return CutTowardZero(static_cast<double>(lastRow) - rows);
}

Overlay OverlayOf(const EditorWorkingSet& working, const PictureScale& scale) {
    Overlay overlay;
    for (const WorkingPath& segment : working.paths)
        overlay.segments.push_back({PathPen(segment.typeChoice), scale.Column(segment.startY),
                                    scale.Row(segment.startX), scale.Column(segment.endY),
                                    scale.Row(segment.endX)});
    for (const WorkingArea& area : working.areas)
        overlay.circles.push_back({AreaPen(area.typeChoice), scale.Column(area.centerY),
                                   scale.Row(area.centerX), scale.Column(area.radius)});
    return overlay;
}

}  // namespace lorvane
