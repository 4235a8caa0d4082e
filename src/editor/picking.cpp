#include "editor/picking.h"

#include <algorithm>
#include <cmath>

namespace lorvane {

namespace {

// The best candidate so far: the smallest distance; a later one of equal
// distance wins, since it is drawn on top.
class Nearest {
  public:
    explicit Nearest(double reach) : distance_(reach) {}
    void Offer(double distance, Pick pick) {
        if (distance <= distance_) {
            distance_ = distance;
            best_ = pick;
        }
    }
    const std::optional<Pick>& Best() const { return best_; }

  private:
    double distance_;
    std::optional<Pick> best_;
};

std::optional<Pick> PickHandle(ScreenPoint pointer, const ViewTransform& view,
                               std::span<const WorkingPath> paths,
                               std::span<const WorkingArea> areas, const PickOptions& options) {
    Nearest nearest(options.pixels);
    if (options.paths) {
        for (size_t i = 0; i < paths.size(); ++i) {
            const auto n = static_cast<int32_t>(i + 1);
            nearest.Offer(Distance(pointer, view.ToScreen(StartOf(paths[i]))),
                          {EntryKind::Path, n, PickPart::Start});
            nearest.Offer(Distance(pointer, view.ToScreen(EndOf(paths[i]))),
                          {EntryKind::Path, n, PickPart::End});
        }
    }
    if (options.areas) {
        for (size_t i = 0; i < areas.size(); ++i) {
            nearest.Offer(Distance(pointer, view.ToScreen(CentreOf(areas[i]))),
                          {EntryKind::Area, static_cast<int32_t>(i + 1), PickPart::Centre});
        }
    }
    return nearest.Best();
}

}  // namespace

double DistanceToSegment(ScreenPoint p, ScreenPoint a, ScreenPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    if (lengthSquared == 0) return Distance(p, a);
    const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
    return Distance(p, {a.x + t * dx, a.y + t * dy});
}

std::optional<Pick> PickAt(ScreenPoint pointer, const ViewTransform& view,
                           std::span<const WorkingPath> paths, std::span<const WorkingArea> areas,
                           const PickOptions& options) {
    if (auto handle = PickHandle(pointer, view, paths, areas, options)) return handle;
    Nearest nearest(options.pixels);
    if (options.paths) {
        for (size_t i = 0; i < paths.size(); ++i) {
            const WorkingPath& segment = paths[i];
            const double line = DistanceToSegment(pointer, view.ToScreen(StartOf(segment)),
                                                  view.ToScreen(EndOf(segment)));
            const double halfBand = view.ToPixels(std::max(double(segment.width), 0.0)) / 2;
            nearest.Offer(std::max(line - halfBand, 0.0),
                          {EntryKind::Path, static_cast<int32_t>(i + 1), PickPart::Body});
        }
    }
    if (options.areas) {
        for (size_t i = 0; i < areas.size(); ++i) {
            const double fromCentre = Distance(pointer, view.ToScreen(CentreOf(areas[i])));
            const double rim = std::abs(fromCentre - view.ToPixels(areas[i].radius));
            nearest.Offer(rim, {EntryKind::Area, static_cast<int32_t>(i + 1), PickPart::Rim});
        }
    }
    return nearest.Best();
}

std::optional<PointRef> DraggedPoint(const Pick& pick) {
    switch (pick.part) {
        case PickPart::Start:
            return PointRef{PointRole::Start, pick.entry};
        case PickPart::End:
            return PointRef{PointRole::End, pick.entry};
        case PickPart::Centre:
            return PointRef{PointRole::Centre, pick.entry};
        case PickPart::Body:
        case PickPart::Rim:
            break;
    }
    return std::nullopt;
}

}  // namespace lorvane
