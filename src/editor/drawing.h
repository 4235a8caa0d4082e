#pragma once
// The drawing of the working set over the tile image: segments, circles,
// and the rubber band of an open stroke (tools.h).

#include <cstdint>

#include "editor/canvas.h"
#include "editor/viewer_geometry.h"
#include "editor/working_set.h"

namespace lorvane {

// A point in viewer pixels (16-bit, as mouse input carries it).
struct ViewerPoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const ViewerPoint&) const = default;
};

// The viewer pixel of a stored point: Y across, X up.
// A point of the zoomable viewer as a 16-bit viewer pixel, held to the
// 16-bit range.
ViewerPoint ViewerPointAt(ScreenPoint at);

ViewerPoint ViewerPointOf(const ViewerGeometry& geometry, int32_t x, int32_t y);

// The distance of two viewer points in pixels, cut toward zero.
int32_t Distance(ViewerPoint a, ViewerPoint b);
// A line between two viewer points with the selected pen.
void DrawLine(Canvas& canvas, ViewerPoint from, ViewerPoint to);

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
