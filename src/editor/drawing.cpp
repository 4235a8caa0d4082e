// The working set drawn over the image at every refresh, and the lines and
// circles of the rubber band.

#include "editor/drawing.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "editor/overlay.h"

namespace lorvane {

namespace {

// Selects a pen and keeps the first pen that was replaced, to select it
// again at the end.
class PenKeeper {
  public:
    explicit PenKeeper(Canvas& canvas) : canvas_(canvas) {}
    ~PenKeeper() {
        if (previous_) canvas_.SelectPen(*previous_);
    }
    PenKeeper(const PenKeeper&) = delete;
    PenKeeper& operator=(const PenKeeper&) = delete;
    void Select(const Pen& pen) {
        const Pen old = canvas_.SelectPen(pen);
        if (!previous_) previous_ = old;
    }

  private:
    Canvas& canvas_;
    std::optional<Pen> previous_;
};

}  // namespace

int32_t Distance(ViewerPoint a, ViewerPoint b) {
    const double dy = static_cast<double>(a.y) - b.y;
    const double dx = static_cast<double>(a.x) - b.x;
    return CutTowardZero(std::sqrt(dy * dy + dx * dx));
}

void DrawLine(Canvas& canvas, ViewerPoint from, ViewerPoint to) {
    DrawLine(canvas, from.x, from.y, to.x, to.y);
}

ViewerPoint ViewerPointAt(ScreenPoint at) {
    return {static_cast<int16_t>(std::clamp(at.x, -32768.0, 32767.0)),
            static_cast<int16_t>(std::clamp(at.y, -32768.0, 32767.0))};
}

ViewerPoint ViewerPointOf(const ViewerGeometry& geometry, int32_t x, int32_t y) {
    return {static_cast<int16_t>(TileToPixel(geometry, Magnitude(y), Axis::Horizontal)),
            static_cast<int16_t>(TileToPixel(geometry, x, Axis::Vertical))};
}

void DrawSegment(Canvas& canvas, const ViewerGeometry& geometry, const WorkingPath& segment) {
    const SegmentShape shape = SegmentOf(segment, geometry);
    lorvane::DrawLine(canvas, shape.x1, shape.y1, shape.x2, shape.y2);
}

void DrawCircle(Canvas& canvas, ViewerPoint centre, int32_t radius) {
    DrawArc(canvas, centre.x, centre.y, radius, 0.0f, 360.0f);
}

void DrawAreaCircle(Canvas& canvas, const ViewerGeometry& geometry, const WorkingArea& area) {
    const CircleShape shape = CircleOf(area, geometry);
    DrawArc(canvas, shape.centerX, shape.centerY, shape.radius, 0.0f, 360.0f);
}

void DrawWorkingSet(Canvas& canvas, const ViewerGeometry& geometry, const EditorWorkingSet& working,
                    bool showPaths, bool showAreas) {
    PenKeeper pens(canvas);
    if (showPaths) {
        for (const WorkingPath& segment : working.paths) {
            pens.Select(PathPen(segment.typeChoice));
            DrawSegment(canvas, geometry, segment);
        }
    }
    if (showAreas) {
        for (const WorkingArea& area : working.areas) {
            pens.Select(AreaPen(area.typeChoice));
            DrawAreaCircle(canvas, geometry, area);
        }
    }
}

}  // namespace lorvane
