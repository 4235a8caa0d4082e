#include "editor/snapping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lorvane {

namespace {

bool Excluded(std::span<const PointRef> exclude, PointRef ref) {
    return std::find(exclude.begin(), exclude.end(), ref) != exclude.end();
}

// The nearest end or centre within reach, in feet.
std::optional<Snapped> NearestPoint(FeetPointF pointer, double reach,
                                    std::span<const WorkingPath> paths,
                                    std::span<const WorkingArea> areas,
                                    std::span<const PointRef> exclude) {
    std::optional<Snapped> best;
    double bestDistance = reach;
    const auto consider = [&](FeetPointF point, PointRef ref) {
        if (Excluded(exclude, ref)) return;
        const double distance = Distance(pointer, point);
        if (distance > bestDistance) return;
        if (best && distance == bestDistance) return;  // the first of equals
        bestDistance = distance;
        best = Snapped{point, SnapKind::Point, ref};
    };
    for (size_t i = 0; i < paths.size(); ++i) {
        const auto n = static_cast<int32_t>(i + 1);
        consider(StartOf(paths[i]), {PointRole::Start, n});
        consider(EndOf(paths[i]), {PointRole::End, n});
    }
    for (size_t i = 0; i < areas.size(); ++i)
        consider(CentreOf(areas[i]), {PointRole::Centre, static_cast<int32_t>(i + 1)});
    return best;
}

// A coordinate held to 0 or TILE_SPAN when within reach of it.
bool SnapToEdge(double& value, double reach) {
    for (const double edge : {0.0, double{TILE_SPAN}}) {
        if (std::abs(value - edge) <= reach) {
            value = edge;
            return true;
        }
    }
    return false;
}

}  // namespace

Snapped Snap(FeetPointF pointer, const ViewTransform& view, std::span<const WorkingPath> paths,
             std::span<const WorkingArea> areas, const SnapOptions& options,
             std::span<const PointRef> exclude) {
    Snapped result{pointer, SnapKind::None, std::nullopt};
    if (!options.enabled) return result;
    const double reach = view.ToFeet(options.pixels);
    if (auto point = NearestPoint(pointer, reach, paths, areas, exclude)) return *point;
    const bool edgeX = SnapToEdge(result.point.x, reach);
    const bool edgeY = SnapToEdge(result.point.y, reach);
    if (edgeX || edgeY) result.kind = edgeX && edgeY ? SnapKind::Corner : SnapKind::Edge;
    if (options.gridStep > 0) {
        const double step = options.gridStep;
        if (!edgeX) result.point.x = std::round(result.point.x / step) * step;
        if (!edgeY) result.point.y = std::round(result.point.y / step) * step;
        if (result.kind == SnapKind::None) result.kind = SnapKind::Grid;
    }
    return result;
}

Snapped PlacePoint(FeetPointF pointer, const ViewTransform& view,
                   std::span<const WorkingPath> paths, std::span<const WorkingArea> areas,
                   const SnapOptions& options, std::optional<FeetPointF> anchor, bool constrain) {
    if (anchor && constrain)
        return {ConstrainAngle(*anchor, pointer), SnapKind::None, std::nullopt};
    return Snap(pointer, view, paths, areas, options);
}

FeetPointF ConstrainAngle(FeetPointF anchor, FeetPointF p, double stepDegrees) {
    const double length = Distance(anchor, p);
    if (length == 0 || !(stepDegrees > 0)) return p;
    const double step = stepDegrees * std::numbers::pi / 180;
    const double angle = std::round(std::atan2(p.y - anchor.y, p.x - anchor.x) / step) * step;
    return {anchor.x + length * std::cos(angle), anchor.y + length * std::sin(angle)};
}

double Heading(FeetPointF a, FeetPointF b) {
    const double degrees = std::atan2(b.y - a.y, b.x - a.x) * 180 / std::numbers::pi;
    return degrees < 0 ? degrees + 360 : degrees;
}

}  // namespace lorvane
