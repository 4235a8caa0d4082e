#pragma once
// Where a point placed or dragged with the mouse lands: on an existing
// segment end or area centre, or an edge marker where a neighbour's path
// crosses, within a few screen pixels (exactly its values, so a branch
// starts on the joint itself; the nearer of the two), else on the tile's edges
// and corners, else on the feet grid when one is set. And the 15-degree
// constraint of a segment drawn with Shift held.

#include <cstdint>
#include <optional>
#include <span>

#include "editor/entry_points.h"
#include "editor/neighbour_markers.h"
#include "editor/view_transform.h"
#include "editor/working_set.h"

namespace lorvane {

// How near (in screen pixels) the pointer must be to snap.
inline constexpr double kSnapPixels = 8;

struct SnapOptions {
    bool enabled = true;   // S toggles it; Alt held suspends it
    int32_t gridStep = 0;  // feet; 0: no grid
    double pixels = kSnapPixels;
    // The edge markers of the tile's neighbours in the theater.
    std::span<const NeighbourMarker> markers{};
};

enum class SnapKind { None, Point, Neighbour, Corner, Edge, Grid };

struct Snapped {
    FeetPointF point{};
    SnapKind kind = SnapKind::None;
    std::optional<PointRef> target{};         // the end or centre snapped to
    std::optional<NeighbourMarker> marker{};  // the edge marker snapped to
    bool operator==(const Snapped&) const = default;
};

// The point the pointer (in feet) snaps to in this view. Points listed in
// `exclude` (the ones being dragged) are not snapped to. Without snapping,
// the pointer as it is.
Snapped Snap(FeetPointF pointer, const ViewTransform& view, std::span<const WorkingPath> paths,
             std::span<const WorkingArea> areas, const SnapOptions& options,
             std::span<const PointRef> exclude = {});

// Where a point being drawn lands. With an anchor (the open point of a
// path) and constrain (Shift held), on the nearest multiple of 15 degrees
// from the anchor, snapped to nothing else; otherwise as Snap puts it.
Snapped PlacePoint(FeetPointF pointer, const ViewTransform& view,
                   std::span<const WorkingPath> paths, std::span<const WorkingArea> areas,
                   const SnapOptions& options, std::optional<FeetPointF> anchor, bool constrain);

// The point at the same distance from anchor as p, on the nearest direction
// that is a multiple of stepDegrees.
FeetPointF ConstrainAngle(FeetPointF anchor, FeetPointF p, double stepDegrees = 15);

// The heading from a to b in degrees, 0 to 360: 0 up the image (growing X),
// 90 to the right (growing Y).
double Heading(FeetPointF a, FeetPointF b);

}  // namespace lorvane
