#include "editor/frame.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lorvane {

namespace {

ScreenRect ViewportOf(const ViewTransform& view) {
    return {0, 0, view.viewportWidth(), view.viewportHeight()};
}

// The part of the line a–b inside the box grown by margin on every side
// (Liang–Barsky); nothing when none of it is.
std::optional<std::pair<ScreenPoint, ScreenPoint>> ClipLine(const ScreenRect& box, ScreenPoint a,
                                                            ScreenPoint b, double margin) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double from = 0;
    double to = 1;
    // Each edge as p·t ≤ q.
    const std::pair<double, double> edges[] = {
        {-dx, a.x - box.left + margin},
        {dx, box.Right() + margin - a.x},
        {-dy, a.y - box.top + margin},
        {dy, box.Bottom() + margin - a.y},
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

// The square on screen of a tile whose origin lies at origin in the feet of
// the tile on screen.
ScreenRect SquareOf(const ViewTransform& view, FeetPointF origin) {
    const ScreenPoint corner = view.ToScreen({origin.x + TILE_SPAN, origin.y});
    const double side = view.ToPixels(TILE_SPAN);
    return {corner.x, corner.y, side, side};
}

// The part of a square inside the viewport; nothing when none of it is.
std::optional<ScreenRect> InView(const ViewTransform& view, const ScreenRect& square) {
    const double left = std::max(square.left, 0.0);
    const double top = std::max(square.top, 0.0);
    const double right = std::min(square.Right(), view.viewportWidth());
    const double bottom = std::min(square.Bottom(), view.viewportHeight());
    if (right <= left || bottom <= top) return std::nullopt;
    return ScreenRect{left, top, right - left, bottom - top};
}

// The part in view of an image of width × height pixels laid on a tile's
// square.
std::optional<FrameImage> ImageOn(const ViewTransform& view, const ScreenRect& square,
                                  int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    const std::optional<ScreenRect> shown = InView(view, square);
    if (!shown) return std::nullopt;
    const double perPixelX = width / square.width;  // image pixels per screen pixel
    const double perPixelY = height / square.height;
    return FrameImage{
        {(shown->left - square.left) * perPixelX, (shown->top - square.top) * perPixelY,
         shown->width * perPixelX, shown->height * perPixelY},
        *shown};
}

// A mark drawn at a point, moved inward so that all of it shows.
ScreenPoint Inward(const ViewTransform& view, ScreenPoint at) {
    const auto axis = [](double value, double length) {
        return length < 2 * kMarkerReach ? length / 2
                                         : std::clamp(value, kMarkerReach, length - kMarkerReach);
    };
    return {axis(at.x, view.viewportWidth()), axis(at.y, view.viewportHeight())};
}

class FrameBuilder {
  public:
    explicit FrameBuilder(const FrameInput& input) : input_(input), view_(input.view) {}

    std::vector<FrameItem> Build() {
        for (const NeighbourInput& neighbour : input_.neighbours) AddNeighbour(neighbour);
        if (auto image = ImageOn(view_, SquareOf(view_, {}), input_.imageWidth, input_.imageHeight))
            items_.push_back(*image);
        if (input_.showPaths) {
            for (const WorkingPath& segment : input_.paths) AddSegment(segment);
        }
        if (input_.showAreas) {
            for (const WorkingArea& area : input_.areas) AddArea(area);
        }
        for (const NeighbourMarker& marker : input_.edgeMarkers) {
            const ScreenPoint at = view_.ToScreen(marker.point);
            if (!CircleVisible(view_, at, 0, kMarkerReach)) continue;
            const Pen& pen = PathPen(marker.typeChoice);
            items_.push_back(FrameEdgeMarker{Inward(view_, at), Opaque(pen),
                                             Contrasting(pen.colour), marker.places});
        }
        for (const Pick& pick : input_.highlights) AddHighlight(pick);
        if (input_.selectBox) AddBox((*input_.selectBox)[0], (*input_.selectBox)[1]);
        for (const RubberBand& band : input_.trace) AddRubberBand(band);
        if (input_.rubber) AddRubberBand(*input_.rubber);
        if (input_.snap && input_.snap->kind != SnapKind::None)
            items_.push_back(
                FrameMarker{Inward(view_, view_.ToScreen(input_.snap->point)), input_.snap->kind});
        return std::move(items_);
    }

  private:
    // A segment's band of its width (none when that is not above zero) and
    // its centre line, cut to the box.
    void SegmentItems(ScreenPoint a, ScreenPoint b, const Pen& pen, double width, LineStyle line,
                      const ScreenRect& box, std::vector<FrameBand>& bands,
                      std::vector<FrameLine>& lines) const {
        const double band = view_.ToPixels(std::max(width, 0.0));
        if (band > 0) {
            if (auto cut = ClipLine(box, a, b, band / 2 + kClipMargin))
                bands.push_back(
                    FrameBand{cut->first, cut->second, band, Translucent(pen, kBandAlpha)});
        }
        if (auto cut = ClipLine(box, a, b, pen.width + kClipMargin))
            lines.push_back(
                FrameLine{cut->first, cut->second, Opaque(pen), double(pen.width), line});
    }

    void AddBand(FeetPointF start, FeetPointF end, const Pen& pen, double width, LineStyle line) {
        std::vector<FrameBand> bands;
        std::vector<FrameLine> lines;
        SegmentItems(view_.ToScreen(start), view_.ToScreen(end), pen, width, line,
                     ViewportOf(view_), bands, lines);
        items_.insert(items_.end(), bands.begin(), bands.end());
        items_.insert(items_.end(), lines.begin(), lines.end());
    }

    void AddLine(ScreenPoint a, ScreenPoint b, Rgba colour, double width, LineStyle stroke) {
        if (auto cut = ClipLine(ViewportOf(view_), a, b, width + kClipMargin))
            items_.push_back(FrameLine{cut->first, cut->second, colour, width, stroke});
    }

    // A neighbour's image and paths on its square, where any of it shows.
    void AddNeighbour(const NeighbourInput& neighbour) {
        const ScreenRect square = SquareOf(view_, neighbour.origin);
        const std::optional<ScreenRect> shown = InView(view_, square);
        if (!shown) return;
        FrameNeighbour item{*shown};
        item.opacity = kNeighbourOpacity;
        if (neighbour.picture != nullptr) {
            item.image =
                ImageOn(view_, square, neighbour.picture->Width(), neighbour.picture->Height());
            item.picture = neighbour.picture;
            item.pictureKey = neighbour.pictureKey;
        }
        if (input_.showPaths) {
            const FeetPointF o = neighbour.origin;
            for (const WorkingPath& path : neighbour.paths) {
                const ScreenPoint a = view_.ToScreen({o.x + path.startX, o.y + path.startY});
                const ScreenPoint b = view_.ToScreen({o.x + path.endX, o.y + path.endY});
                SegmentItems(a, b, PathPen(path.typeChoice), path.width, LineStyle::Solid, *shown,
                             item.bands, item.lines);
            }
        }
        items_.push_back(std::move(item));
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

ScreenRect PlaceLabel(ScreenPoint at, double width, double height, double viewportWidth,
                      double viewportHeight) {
    // Clear of the mark's diamond (5 pixels to each corner).
    constexpr double kGap = 7;
    constexpr double kRise = 5;
    ScreenRect label{at.x + kGap, at.y - kRise - height, width, height};
    if (label.Right() > viewportWidth) label.left = at.x - kGap - width;
    if (label.top < 0) label.top = at.y + kRise;
    label.left = std::max(std::min(label.left, viewportWidth - width), 0.0);
    label.top = std::max(std::min(label.top, viewportHeight - height), 0.0);
    return label;
}

Rgba Opaque(const Pen& pen) { return {pen.colour.red, pen.colour.green, pen.colour.blue, 255}; }

Rgba Translucent(const Pen& pen, uint8_t alpha) {
    return {pen.colour.red, pen.colour.green, pen.colour.blue, alpha};
}

std::vector<FrameItem> BuildFrame(const FrameInput& input) { return FrameBuilder(input).Build(); }

}  // namespace lorvane
