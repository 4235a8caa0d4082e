#pragma once
// Which entry of the tile's tables is under the pointer: the nearest segment
// or area within a few screen pixels, and which part of it (a segment's end
// or its body, an area's centre or its rim).

#include <cstdint>
#include <optional>
#include <span>

#include "editor/edit_command.h"
#include "editor/entry_points.h"
#include "editor/view_transform.h"
#include "editor/working_set.h"

namespace lorvane {

// How near (in screen pixels) the pointer must be to pick.
inline constexpr double kPickPixels = 5;

enum class PickPart { Body, Start, End, Centre, Rim };

struct Pick {
    EntryKind kind = EntryKind::Path;
    int32_t entry = 0;  // 1-based
    PickPart part = PickPart::Body;
    bool operator==(const Pick&) const = default;
};

struct PickOptions {
    double pixels = kPickPixels;
    bool paths = true;  // "Show Paths": hidden entries are not picked
    bool areas = true;
};

// Ends and centres within reach come first (the nearest; of equals the one
// drawn last, on top); then the nearest segment body (its band counts as
// distance 0) or area rim. Nothing when nothing is within reach.
std::optional<Pick> PickAt(ScreenPoint pointer, const ViewTransform& view,
                           std::span<const WorkingPath> paths, std::span<const WorkingArea> areas,
                           const PickOptions& options = {});

// The point a picked part drags: a segment's Start or End, an area's Centre.
// Nothing for a body or a rim.
std::optional<PointRef> DraggedPoint(const Pick& pick);

// The distance from p to the segment a–b.
double DistanceToSegment(ScreenPoint p, ScreenPoint a, ScreenPoint b);

}  // namespace lorvane
