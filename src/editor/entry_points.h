#pragma once
// The points of a tile's tables that can be picked, dragged and snapped to:
// each segment's start and end and each area's centre, in feet.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "editor/edit_command.h"
#include "editor/view_transform.h"
#include "editor/working_set.h"

namespace lorvane {

// A point of entry n (1-based): a segment's Start or End, an area's Centre.
struct PointRef {
    PointRole role = PointRole::Start;
    int32_t entry = 0;
    bool operator==(const PointRef&) const = default;
};

// Where a segment starts and ends, and where an area's centre is.
FeetPointF StartOf(const WorkingPath& segment);
FeetPointF EndOf(const WorkingPath& segment);
FeetPointF CentreOf(const WorkingArea& area);

// The point a reference stands for; nothing when there is no such entry.
std::optional<FeetPointF> PointOf(std::span<const WorkingPath> paths,
                                  std::span<const WorkingArea> areas, PointRef ref);

// The end of the neighbouring segment that is joined to this one and moves
// with it: the next segment's start when it continues this segment (for an
// End), the previous segment's end when this one continues it (for a Start).
std::optional<PointRef> JoinedPoint(std::span<const WorkingPath> paths, PointRef ref);

// The ends that move when a path end is dragged: that end first, then every
// other segment end lying exactly on it (a branch started or ended there)
// and the joined end of the same path even when it lies a fraction of a foot
// off (a tile of the file whose joints are not exact); alone: that end only.
std::vector<PointRef> EndsMovedWith(std::span<const WorkingPath> paths, PointRef ref, bool alone);

// The segments of the path that segment n belongs to: from the segment that
// begins it to the last one that continues it (1-based, both included).
struct SegmentRun {
    int32_t first = 0;
    int32_t last = 0;
    bool operator==(const SegmentRun&) const = default;
};
SegmentRun PathOf(std::span<const WorkingPath> paths, int32_t n);

// The length of segments first to last in feet.
double RunLength(std::span<const WorkingPath> paths, SegmentRun run);

double Distance(FeetPointF a, FeetPointF b);
double Distance(ScreenPoint a, ScreenPoint b);

}  // namespace lorvane
