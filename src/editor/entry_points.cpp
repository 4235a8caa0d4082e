#include "editor/entry_points.h"

#include <cmath>

namespace lorvane {

namespace {

bool HasEntry(size_t count, int32_t n) { return n >= 1 && static_cast<size_t>(n) <= count; }

const WorkingPath& SegmentAt(std::span<const WorkingPath> paths, int32_t n) {
    return paths[static_cast<size_t>(n - 1)];
}

}  // namespace

FeetPointF StartOf(const WorkingPath& segment) {
    return {static_cast<double>(segment.startX), static_cast<double>(segment.startY)};
}

FeetPointF EndOf(const WorkingPath& segment) {
    return {static_cast<double>(segment.endX), static_cast<double>(segment.endY)};
}

FeetPointF CentreOf(const WorkingArea& area) {
    return {static_cast<double>(area.centerX), static_cast<double>(area.centerY)};
}

std::optional<FeetPointF> PointOf(std::span<const WorkingPath> paths,
                                  std::span<const WorkingArea> areas, PointRef ref) {
    if (ref.role == PointRole::Centre) {
        if (!HasEntry(areas.size(), ref.entry)) return std::nullopt;
        return CentreOf(areas[static_cast<size_t>(ref.entry - 1)]);
    }
    if (!HasEntry(paths.size(), ref.entry)) return std::nullopt;
    const WorkingPath& segment = SegmentAt(paths, ref.entry);
    return ref.role == PointRole::Start ? StartOf(segment) : EndOf(segment);
}

std::optional<PointRef> JoinedPoint(std::span<const WorkingPath> paths, PointRef ref) {
    if (!HasEntry(paths.size(), ref.entry)) return std::nullopt;
    if (ref.role == PointRole::End) {
        const int32_t next = ref.entry + 1;
        if (HasEntry(paths.size(), next) && !SegmentAt(paths, next).beginsPath)
            return PointRef{PointRole::Start, next};
    } else if (ref.role == PointRole::Start) {
        if (ref.entry > 1 && !SegmentAt(paths, ref.entry).beginsPath)
            return PointRef{PointRole::End, ref.entry - 1};
    }
    return std::nullopt;
}

std::vector<PointRef> EndsMovedWith(std::span<const WorkingPath> paths, PointRef ref, bool alone) {
    const std::optional<FeetPointF> at = PointOf(paths, {}, ref);
    if (!at || ref.role == PointRole::Centre) return {};
    std::vector<PointRef> ends{ref};
    if (alone) return ends;
    const std::optional<PointRef> joined = JoinedPoint(paths, ref);
    for (int32_t n = 1; HasEntry(paths.size(), n); ++n) {
        for (const PointRole role : {PointRole::Start, PointRole::End}) {
            const PointRef end{role, n};
            if (end == ref) continue;
            const WorkingPath& segment = SegmentAt(paths, n);
            if (end == joined ||
                (role == PointRole::Start ? StartOf(segment) : EndOf(segment)) == *at)
                ends.push_back(end);
        }
    }
    return ends;
}

SegmentRun PathOf(std::span<const WorkingPath> paths, int32_t n) {
    if (!HasEntry(paths.size(), n)) return {};
    SegmentRun run{n, n};
    while (run.first > 1 && !SegmentAt(paths, run.first).beginsPath) --run.first;
    while (HasEntry(paths.size(), run.last + 1) && !SegmentAt(paths, run.last + 1).beginsPath)
        ++run.last;
    return run;
}

double RunLength(std::span<const WorkingPath> paths, SegmentRun run) {
    double length = 0;
    for (int32_t n = run.first; n <= run.last && HasEntry(paths.size(), n); ++n) {
        if (n < 1) continue;
        const WorkingPath& segment = SegmentAt(paths, n);
        length += Distance(StartOf(segment), EndOf(segment));
    }
    return length;
}

double Distance(FeetPointF a, FeetPointF b) { return std::hypot(a.x - b.x, a.y - b.y); }

double Distance(ScreenPoint a, ScreenPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace lorvane
