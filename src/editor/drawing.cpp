// Drawing paths and areas with the mouse: the stroke state machine, the
// rubber band, the live read-outs, undo, and the working set drawn over the
// image at every refresh.

#include "editor/drawing.h"

#include <cmath>
#include <optional>

#include "editor/editor_panel.h"
#include "editor/overlay.h"

namespace lorvane {

namespace {

// The length of the vector from a to b in pixels, cut toward zero.
int32_t Distance(ViewerPoint a, ViewerPoint b) {
    const double dy = static_cast<double>(a.y) - b.y;
    const double dx = static_cast<double>(a.x) - b.x;
    return CutTowardZero(std::sqrt(dy * dy + dx * dx));
}

void DrawLine(Canvas& canvas, ViewerPoint from, ViewerPoint to) {
    lorvane::DrawLine(canvas, from.x, from.y, to.x, to.y);
}

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

ViewerPoint EditorPanel::ToViewer(int x, int y) const {
    return {static_cast<int16_t>(x - geometry.imageArea.left),
            static_cast<int16_t>(y - geometry.imageArea.top)};
}

bool EditorPanel::OnImage(int x, int y) const {
    return state.viewerReady && geometry.imageArea.Contains(x, y);
}

void EditorPanel::MouseMove(int x, int y) {
    if (!OnImage(x, y)) return;
    readouts.SetNumber(kPanelPointerY, PixelToTile(geometry, x, Axis::Horizontal));
    readouts.SetNumber(kPanelPointerX, PixelToTile(geometry, y, Axis::Vertical));
    if (drawing.rubberBand != 1) return;
    Canvas& canvas = services_.canvas;
    const ViewerPoint p = ToViewer(x, y);
    DrawLine(canvas, drawing.anchor, drawing.rubberEnd);  // erases the old line
    DrawLine(canvas, drawing.anchor, p);
    if (drawing.drawMode == DrawMode::Areas) {
        DrawCircle(canvas, drawing.anchor, drawing.rubberRadius);
        const int32_t radius = Distance(drawing.anchor, p);
        DrawCircle(canvas, drawing.anchor, radius);
        drawing.rubberRadius = radius;
    }
    drawing.rubberEnd = p;
}

void EditorPanel::LeftButtonUp(int x, int y) {
    if (!OnImage(x, y)) {
        services_.host.FocusTileList();
        return;
    }
    const ViewerPoint p = ToViewer(x, y);
    const int32_t tileY = PixelToTile(geometry, x, Axis::Horizontal);
    const int32_t tileX = PixelToTile(geometry, y, Axis::Vertical);
    switch (drawing.drawMode) {
        case DrawMode::Paths:
            if (drawing.newPathPending == 1 || working.pathCount() == 0) {
                StartPath(p, tileX, tileY);
            } else {
                EndSegment(p, tileX, tileY);
            }
            break;
        case DrawMode::Areas:
            if (drawing.centrePending == 1) {
                PlaceCentre(p, tileX, tileY);
            } else {
                SetRadius(p);
            }
            break;
        case DrawMode::None:
            break;
    }
}

void EditorPanel::StartPath(ViewerPoint p, int32_t x, int32_t y) {
    WorkingPath segment;
    segment.width = choices.currentWidth;
    segment.typeChoice = choices.currentPathChoice;
    drawing.segmentChained = 0;
    // The sign marks the start of a path; a start at Y = 0 is kept as −1.
    segment.startY = y == 0 ? -1 : -y;
    segment.startX = x;
    readouts.SetNumber(kPanelStartX, segment.startX);
    readouts.SetNumber(kPanelStartY, y);
    // Zero length until its end is clicked.
    segment.endX = segment.startX;
    segment.endY = Magnitude(segment.startY);
    working.paths.push_back(segment);
    Canvas& canvas = services_.canvas;
    canvas.SelectPen(PathPen(segment.typeChoice));
    DrawLine(canvas, p, p);
    drawing.newPathPending = 0;
    drawing.rubberBand = 1;
    drawing.anchor = drawing.rubberEnd = p;
    canvas.SetRasterMode(RasterMode::Invert);
    MarkTileModified();
}

void EditorPanel::EndSegment(ViewerPoint p, int32_t x, int32_t y) {
    if (drawing.segmentChained == 1) {
        // The new segment continues the path from the end of the one before.
        const WorkingPath& previous = working.Path(working.pathCount());
        WorkingPath segment;
        segment.startX = previous.endX;
        segment.startY = previous.endY;
        working.paths.push_back(segment);
    }
    const int32_t n = working.pathCount();
    WorkingPath& segment = working.Path(n);
    segment.endY = y;
    segment.endX = x;
    segment.width = choices.currentWidth;
    segment.typeChoice = choices.currentPathChoice;
    drawing.segmentChained = 1;
    readouts.SetNumber(kPanelEndX, segment.endX);
    readouts.SetNumber(kPanelEndY, segment.endY);
    readouts.SetNumber(kPanelStartX, segment.startX);
    readouts.SetNumber(kPanelStartY, Magnitude(segment.startY));
    Canvas& canvas = services_.canvas;
    canvas.SetRasterMode(RasterMode::Normal);
    DrawLine(canvas, drawing.anchor, p);
    canvas.SetRasterMode(RasterMode::Invert);
    drawing.anchor = drawing.rubberEnd = p;
    AddPathRow(working, n);
    MarkTileModified();
}

void EditorPanel::PlaceCentre(ViewerPoint p, int32_t x, int32_t y) {
    WorkingArea area;
    area.typeChoice = choices.currentAreaChoice;
    area.centerY = y;
    area.centerX = x;
    area.radius = 0;
    working.areas.push_back(area);
    readouts.SetNumber(kPanelCentreX, area.centerX);
    readouts.SetNumber(kPanelCentreY, area.centerY);
    Canvas& canvas = services_.canvas;
    canvas.SelectPen(AreaPen(area.typeChoice));
    DrawLine(canvas, p, p);
    drawing.anchor = drawing.rubberEnd = p;
    drawing.centrePending = 0;
    drawing.rubberBand = 1;
    drawing.rubberRadius = 0;
    canvas.SetRasterMode(RasterMode::Invert);
    MarkTileModified();
}

void EditorPanel::SetRadius(ViewerPoint p) {
    if (drawing.rubberBand == 1) EndStroke();
    const int32_t n = working.areaCount();
    if (n == 0 || working.Area(n).radius != 0) return;
    const int32_t pixels = Distance(drawing.anchor, p);
    DrawCircle(services_.canvas, drawing.anchor, pixels);
    WorkingArea& area = working.Area(n);
    area.radius = CutTowardZero(static_cast<double>(pixels) * double{geometry.horizontalScale});
    readouts.SetNumber(kPanelRadius, area.radius);
    AddAreaRow(working, n);
    drawing.centrePending = 1;
    MarkTileModified();
}

void EditorPanel::RightButtonUp(int x, int y) {
    if (OnImage(x, y) && drawing.rubberBand == 1) EndStroke();
}

void EditorPanel::LeftDoubleClick(int x, int y) {
    if (!OnImage(x, y)) Command(kPanelUndoSegment);
}

void EditorPanel::EndStroke() {
    if (drawing.drawMode == DrawMode::None) return;
    Canvas& canvas = services_.canvas;
    if (drawing.rubberBand == 1) {
        drawing.rubberBand = 0;
        DrawLine(canvas, drawing.anchor, drawing.rubberEnd);  // erases the rubber line
    }
    canvas.SetRasterMode(RasterMode::Normal);
    // The rubber circle of an area is not erased: the refresh draws the image again.
    if (drawing.drawMode == DrawMode::Paths) {
        if (working.pathCount() > 0) canvas.SelectPen(PathPen(working.paths.back().typeChoice));
        Post(kPanelRefresh);
        drawing.newPathPending = 1;
        drawing.segmentChained = 0;
        readouts.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY);
    } else {
        if (working.areaCount() > 0) canvas.SelectPen(AreaPen(working.areas.back().typeChoice));
        Post(kPanelRefresh);
        drawing.centrePending = 1;
        readouts.ClearAll(kPanelRadius, kPanelCentreX, kPanelCentreY);
    }
}

void EditorPanel::Undo() {
    Canvas& canvas = services_.canvas;
    if (drawing.drawMode == DrawMode::Paths) {
        if (working.pathCount() == 0) return;
        readouts.ClearAll(kPanelEndX, kPanelEndY, kPanelStartX, kPanelStartY);
        // Undoing the segment that began the open path undoes the path: the
        // next click starts a new one instead of moving an older segment.
        const bool pathUndone = drawing.rubberBand == 1 && working.paths.back().BeginsPath();
        working.paths.pop_back();
        working.pathList.DeleteRow(static_cast<size_t>(working.pathCount()));
        if (working.pathCount() > 0) canvas.SelectPen(PathPen(working.paths.back().typeChoice));
        if (pathUndone) {
            drawing.rubberBand = 0;
            drawing.newPathPending = 1;
            drawing.segmentChained = 0;
        }
        MarkTileModified();
    } else if (drawing.drawMode == DrawMode::Areas) {
        if (working.areaCount() == 0) return;
        working.areas.pop_back();
        if (working.areaCount() == 0) {
            drawing.centrePending = 1;
            readouts.ClearAll(kPanelRadius, kPanelCentreX, kPanelCentreY);
        } else {
            // The centre read-outs follow the new last area.
            readouts.SetNumber(kPanelCentreX, working.areas.back().centerX);
            readouts.SetNumber(kPanelCentreY, working.areas.back().centerY);
        }
        working.areaList.DeleteRow(static_cast<size_t>(working.areaCount()));
        if (working.areaCount() > 0) canvas.SelectPen(AreaPen(working.areas.back().typeChoice));
        MarkTileModified();
    }
    Post(kPanelRefresh);
}

void EditorPanel::RestartRubberBand() {
    const bool paths = drawing.drawMode == DrawMode::Paths;
    const bool empty = paths ? working.pathCount() == 0 : working.areaCount() == 0;
    if (drawing.drawMode == DrawMode::None || empty) {
        // Nothing left to draw from: the stroke is over.
        drawing.rubberBand = 0;
        drawing.newPathPending = paths ? 1 : 0;
        drawing.segmentChained = 0;
        drawing.centrePending = paths ? 0 : 1;
        return;
    }
    services_.canvas.SetRasterMode(RasterMode::Invert);
    if (paths) {
        const WorkingPath& last = working.paths.back();
        drawing.anchor = ViewerPointOf(geometry, last.endX, last.endY);
    } else {
        const WorkingArea& last = working.areas.back();
        drawing.anchor = ViewerPointOf(geometry, last.centerX, last.centerY);
        drawing.rubberRadius = 0;
    }
    drawing.rubberEnd = drawing.anchor;
}

void EditorPanel::StartPaths(bool newPath) {
    if (!state.viewerReady) return;
    if (newPath) {
        if (!services_.host.RunNewPathDialog()) return;
    } else {
        readouts.SetNumber(kPanelWidth, choices.currentWidth);
        readouts.Set(kPanelType, TypeName(choices.currentPathType));
    }
    if (drawing.rubberBand == 1) EndStroke();
    readouts.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                      kPanelCentreX, kPanelCentreY);
    drawing.newPathPending = 1;
    drawing.centrePending = 0;
    drawing.drawMode = DrawMode::Paths;
    state.showPaths = 1;
    MarkTileModified();
}

void EditorPanel::StartAreas(bool newArea) {
    if (!state.viewerReady) return;
    if (newArea) {
        if (!services_.host.RunNewAreaDialog()) return;
    } else {
        readouts.Set(kPanelType, TypeName(choices.currentAreaType));
    }
    if (drawing.rubberBand == 1) EndStroke();
    readouts.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                      kPanelCentreX, kPanelCentreY);
    drawing.centrePending = 1;
    drawing.newPathPending = 0;
    drawing.drawMode = DrawMode::Areas;
    state.showAreas = 1;
    MarkTileModified();
}

}  // namespace lorvane
