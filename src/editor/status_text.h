#pragma once
// The texts of the editor's status bar: where the pointer is in feet, the
// zoom, what is being drawn (the open segment's length and heading, the
// path's total length, the area's radius), and whether snapping is on.

#include <string>

#include "editor/view_transform.h"

namespace lorvane {

// "X 1640 ft  Y 820 ft": the pointer as the tables would keep it (X up, Y
// across, held on the tile), shown rounded to whole feet.
std::string PointerStatus(FeetPointF pointer);

// "Zoom 400% (0.8 ft/px)": screen pixels per image pixel in percent, and the
// feet one screen pixel spans.
std::string ZoomStatus(const ViewTransform& view);

// "Segment 1234 ft, heading 045°  Path 2345 ft": the open segment from anchor
// to the pointer and the whole path with it (pathBefore: the length of the
// path's finished segments).
std::string SegmentStatus(FeetPointF anchor, FeetPointF pointer, double pathBefore);

// "Radius 300 ft".
std::string RadiusStatus(FeetPointF centre, FeetPointF pointer);

// "Snap on" or "Snap off".
std::string SnapStatus(bool on);

}  // namespace lorvane
