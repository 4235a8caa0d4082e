#include "editor/frame.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lorvane {

namespace {

// The part of the line a–b inside the viewport grown by margin on every
// side (Liang–Barsky); nothing when none of it is.
std::optional<std::pair<ScreenPoint, ScreenPoint>> ClipLine(const ViewTransform& view,
                                                            ScreenPoint a, ScreenPoint b,
                                                            double margin) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double from = 0;
    double to = 1;
    // Each edge as p·t ≤ q.
    const std::pair<double, double> edges[] = {
        {-dx, a.x + margin},
        {dx, view.viewportWidth() + margin - a.x},
        {-dy, a.y + margin},
        {dy, view.viewportHeight() + margin - a.y},
    };
    for (const auto& [p, q] : edges) {
        if (p == 0) {
            if (q < 0) return std::nullopt;
            continue;
        }
        const double t = q / p;
        if (p < 0) {
            from = std::max(from, t);
        } else {
            to = std::min(to, t);
        }
        if (from > to) return std::nullopt;
    }
    return std::pair{ScreenPoint{a.x + from * dx, a.y + from * dy},
                     ScreenPoint{a.x + to * dx, a.y + to * dy}};
}

// True when a circle of this radius, grown by margin, meets the viewport.
bool CircleVisible(const ViewTransform& view, ScreenPoint c, double radius, double margin) {
    const double nearX = std::clamp(c.x, 0.0, view.viewportWidth());
    const double nearY = std::clamp(c.y, 0.0, view.viewportHeight());
    return std::hypot(c.x - nearX, c.y - nearY) <= radius + margin;
}

// Lines are cut this far beyond the viewport, so that their ends and caps
// stay out of sight.
constexpr double kClipMargin = 16;

std::optional<FrameImage> ImageItem(const FrameInput& input) {
    if (input.imageWidth <= 0 || input.imageHeight <= 0) return std::nullopt;
    const ViewTransform& view = input.view;
    const double side = view.ToPixels(TILE_SPAN);
    const ScreenPoint corner = view.offset();
    const double left = std::max(corner.x, 0.0);
    const double top = std::max(corner.y, 0.0);
    const double right = std::min(corner.x + side, view.viewportWidth());
    const double bottom = std::min(corner.y + side, view.viewportHeight());
    if (right <= left || bottom <= top) return std::nullopt;
    const double perPixelX = input.imageWidth / side;  // image pixels per screen pixel
    const double perPixelY = input.imageHeight / side;
    return FrameImage{{(left - corner.x) * perPixelX, (top - corner.y) * perPixelY,
                       (right - left) * perPixelX, (bottom - top) * perPixelY},
                      {left, top, right - left, bottom - top}};
}

class FrameBuilder {
  public:
    explicit FrameBuilder(const FrameInput& input) : input_(input), view_(input.view) {}

    std::vector<FrameItem> Build() {
        if (auto image = ImageItem(input_)) items_.push_back(*image);
        if (input_.showPaths) {
            for (const WorkingPath& segment : input_.paths) AddSegment(segment);
        }
        if (input_.showAreas) {
            for (const WorkingArea& area : input_.areas) AddArea(area);
        }
        for (const NeighbourMarker& marker : input_.edgeMarkers) {
            const ScreenPoint at = view_.ToScreen(marker.point);
            if (CircleVisible(view_, at, 0, kClipMargin))
                items_.push_back(
                    FrameEdgeMarker{at, Opaque(PathPen(marker.typeChoice)), marker.places});
        }
        for (const Pick& pick : input_.highlights) AddHighlight(pick);
        if (input_.selectBox) AddBox((*input_.selectBox)[0], (*input_.selectBox)[1]);
        for (const RubberBand& band : input_.trace) AddRubberBand(band);
        if (input_.rubber) AddRubberBand(*input_.rubber);
        if (input_.snap && input_.snap->kind != SnapKind::None)
            items_.push_back(FrameMarker{view_.ToScreen(input_.snap->point), input_.snap->kind});
        return std::move(items_);
    }

  private:
    void AddBand(FeetPointF start, FeetPointF end, const Pen& pen, double width, LineStyle line) {
        const ScreenPoint a = view_.ToScreen(start);
        const ScreenPoint b = view_.ToScreen(end);
        const double band = view_.ToPixels(std::max(width, 0.0));
        if (band > 0) {
            if (auto cut = ClipLine(view_, a, b, band / 2 + kClipMargin))
                items_.push_back(
                    FrameBand{cut->first, cut->second, band, Translucent(pen, kBandAlpha)});
        }
        AddLine(a, b, Opaque(pen), pen.width, line);
    }

    void AddLine(ScreenPoint a, ScreenPoint b, Rgba colour, double width, LineStyle stroke) {
        if (auto cut = ClipLine(view_, a, b, width + kClipMargin))
            items_.push_back(FrameLine{cut->first, cut->second, colour, width, stroke});
    }

    void AddSegment(const WorkingPath& segment) {
        AddBand(StartOf(segment), EndOf(segment), PathPen(segment.typeChoice), segment.width,
                LineStyle::Solid);
    }

    void AddDisc(FeetPointF centre, double radiusFeet, const Pen& pen, LineStyle stroke) {
        const ScreenPoint c = view_.ToScreen(centre);
        const double radius = view_.ToPixels(std::max(radiusFeet, 0.0));
        if (!CircleVisible(view_, c, radius, pen.width + kClipMargin)) return;
        // Under the coloured rim one in a contrasting colour: the area stays
        // visible over ground of its own colour.
        items_.push_back(FrameCircle{c, radius, Translucent(pen, kDiscAlpha), Opaque(pen),
                                     double(pen.width), stroke, Contrasting(pen.colour)});
    }

    void AddArea(const WorkingArea& area) {
        AddDisc(CentreOf(area), area.radius, AreaPen(area.typeChoice), LineStyle::Solid);
    }

    void AddHighlight(const Pick& pick) {
        if (pick.kind == EntryKind::Path) {
            if (pick.entry < 1 || static_cast<size_t>(pick.entry) > input_.paths.size()) return;
            const WorkingPath& segment = input_.paths[static_cast<size_t>(pick.entry - 1)];
            const ScreenPoint a = view_.ToScreen(StartOf(segment));
            const ScreenPoint b = view_.ToScreen(EndOf(segment));
            AddLine(a, b, kHighlight, 2, LineStyle::Dashed);
            items_.push_back(FrameHandle{a});
            items_.push_back(FrameHandle{b});
            return;
        }
        if (pick.entry < 1 || static_cast<size_t>(pick.entry) > input_.areas.size()) return;
        const WorkingArea& area = input_.areas[static_cast<size_t>(pick.entry - 1)];
        const ScreenPoint c = view_.ToScreen(CentreOf(area));
        items_.push_back(FrameCircle{c, view_.ToPixels(std::max(double(area.radius), 0.0)),
                                     Rgba{0, 0, 0, 0}, kHighlight, 2, LineStyle::Dashed});
        items_.push_back(FrameHandle{c});
    }

    void AddBox(FeetPointF a, FeetPointF b) {
        const ScreenPoint p = view_.ToScreen(a), q = view_.ToScreen(b);
        const ScreenPoint corners[] = {p, {q.x, p.y}, q, {p.x, q.y}};
        for (size_t i = 0; i < 4; ++i)
            AddLine(corners[i], corners[(i + 1) % 4], kHighlight, 1, LineStyle::Dashed);
    }

    void AddRubberBand(const RubberBand& rubber) {
        if (!rubber.area) {
            AddBand(rubber.anchor, rubber.pointer, rubber.pen, rubber.width, LineStyle::Dashed);
            return;
        }
        AddDisc(rubber.anchor, Distance(rubber.anchor, rubber.pointer), rubber.pen,
                LineStyle::Dashed);
        AddLine(view_.ToScreen(rubber.anchor), view_.ToScreen(rubber.pointer), Opaque(rubber.pen),
                1, LineStyle::Dashed);
    }

    const FrameInput& input_;
    const ViewTransform& view_;
    std::vector<FrameItem> items_;
};

}  // namespace

Rgba Contrasting(PenColour colour) {
    // By luma (Rec. 601): a light colour gets black, a dark one white.
    const int luma = (299 * colour.red + 587 * colour.green + 114 * colour.blue) / 1000;
    return luma >= 128 ? Rgba{0, 0, 0, 255} : Rgba{255, 255, 255, 255};
}

Rgba Opaque(const Pen& pen) { return {pen.colour.red, pen.colour.green, pen.colour.blue, 255}; }

Rgba Translucent(const Pen& pen, uint8_t alpha) {
    return {pen.colour.red, pen.colour.green, pen.colour.blue, alpha};
}

std::vector<FrameItem> BuildFrame(const FrameInput& input) { return FrameBuilder(input).Build(); }

}  // namespace lorvane
