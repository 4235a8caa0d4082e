#pragma once
// The drawing state of the editor panel and the drawing of the working set
// over the tile image.
//
// After New Path (or Continue in the Path group) the first left click on the
// image starts a path, every further click ends a segment there and starts
// the next one at the same point, and a right click ends the path. After New
// Area a left click places a centre and the next one sets the radius. While a
// segment or a radius is open a rubber band follows the pointer, drawn in
// invert mode so that drawing it again erases it.

#include <cstdint>

#include "editor/canvas.h"
#include "editor/viewer_geometry.h"
#include "editor/working_set.h"

namespace lorvane {

enum class DrawMode { None, Paths, Areas };

// A point in viewer pixels (16-bit, as mouse input carries it).
struct ViewerPoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const ViewerPoint&) const = default;
};

struct DrawingState {
    DrawMode drawMode = DrawMode::None;
    int32_t newPathPending = 0;  // the next left click starts a path
    int32_t segmentChained = 0;  // the open path has a finished segment
    int32_t centrePending = 0;   // the next left click places an area's centre
    int32_t rubberBand = 0;      // a stroke is in progress
    ViewerPoint anchor;          // where the rubber band starts
    ViewerPoint rubberEnd;       // where the rubber line was last drawn to
    int32_t rubberRadius = 0;    // pixels, of the rubber circle last drawn
};

// The viewer pixel of a stored point: Y across, X up.
ViewerPoint ViewerPointOf(const ViewerGeometry& geometry, int32_t x, int32_t y);

// Draws a segment as one line from start to end with the selected pen.
void DrawSegment(Canvas& canvas, const ViewerGeometry& geometry, const WorkingPath& segment);
// Draws an area's full circle with the selected pen.
void DrawAreaCircle(Canvas& canvas, const ViewerGeometry& geometry, const WorkingArea& area);
// A full circle of radius pixels around a viewer point.
void DrawCircle(Canvas& canvas, ViewerPoint centre, int32_t radius);

// Draws every segment (when showPaths) and every area (when showAreas) with
// their pens; the pen selected before is selected again afterwards.
void DrawWorkingSet(Canvas& canvas, const ViewerGeometry& geometry, const EditorWorkingSet& working,
                    bool showPaths, bool showAreas);

}  // namespace lorvane
