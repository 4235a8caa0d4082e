#pragma once
// One frame of the zoomable viewer as a list of things to draw, built from
// the model each time: the tile image, then every path segment as a
// translucent band of its real width (to scale) in its pen's colour with its
// centre line, every area as a translucent disc with its rim, the marks
// where the neighbours' paths cross the tile's edges, then the
// picked entry's highlight, the rubber band and the snap marker on top.
// Under them all, past the tile's edges, the tiles beside it in the theater,
// faded.
// Coordinates are screen pixels of the viewer. The desktop program paints
// the list; tests read it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "editor/pens.h"
#include "editor/picking.h"
#include "editor/snapping.h"
#include "editor/view_transform.h"
#include "editor/working_set.h"
#include "image/pcx.h"

namespace lorvane {

struct Rgba {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    bool operator==(const Rgba&) const = default;
};

struct ScreenRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool operator==(const ScreenRect&) const = default;
};

// The part of the tile image that shows: source in image pixels, target in
// screen pixels.
struct FrameImage {
    ScreenRect source{};
    ScreenRect target{};
    bool operator==(const FrameImage&) const = default;
};

enum class LineStyle { Solid, Dashed };

struct FrameLine {
    ScreenPoint from{};
    ScreenPoint to{};
    Rgba colour{};
    double width = 1;  // screen pixels
    LineStyle stroke = LineStyle::Solid;
    bool operator==(const FrameLine&) const = default;
};

// A translucent band of a segment's width along from–to, its ends square.
struct FrameBand {
    ScreenPoint from{};
    ScreenPoint to{};
    double width = 0;  // screen pixels
    Rgba fill{};
    bool operator==(const FrameBand&) const = default;
};

// A circle with a fill (alpha 0: none) and a rim, drawn over an outline
// (alpha 0: none) kOutlineWidth wider on each side.
struct FrameCircle {
    ScreenPoint centre{};
    double radius = 0;
    Rgba fill{};
    Rgba rim{};
    double rimWidth = 1;
    LineStyle stroke = LineStyle::Solid;
    Rgba outline{};
    bool operator==(const FrameCircle&) const = default;
};

// A small square handle on a point of the picked entry.
struct FrameHandle {
    ScreenPoint at{};
    bool operator==(const FrameHandle&) const = default;
};

// What a placed point will snap to. at is where it is drawn: the snapped
// point, moved inward as far as the whole mark needs to show.
struct FrameMarker {
    ScreenPoint at{};
    SnapKind kind = SnapKind::None;
    bool operator==(const FrameMarker&) const = default;
};

// Where a neighbour's path crosses the tile's edge: a small mark in the
// path type's colour, outlined in a contrasting one, with the number of
// places in the theater. at is where it is drawn, moved inward as the snap
// marker is.
struct FrameEdgeMarker {
    ScreenPoint at{};
    Rgba colour{};
    Rgba outline{};
    uint64_t places = 0;
    bool operator==(const FrameEdgeMarker&) const = default;
};

// A tile beside the tile on screen, faded: the part of its square in view
// (everything of it is cut to that), the part of its image in view (none
// without an image) with the decoded image and a number that tells decoded
// images apart, and its paths' bands and centre lines. Painted at opacity
// over the viewer's background.
struct FrameNeighbour {
    ScreenRect square{};
    std::optional<FrameImage> image{};
    std::shared_ptr<const PcxImage> picture{};
    uint64_t pictureKey = 0;
    std::vector<FrameBand> bands{};
    std::vector<FrameLine> lines{};
    double opacity = 1;
    bool operator==(const FrameNeighbour&) const = default;
};

using FrameItem = std::variant<FrameImage, FrameBand, FrameLine, FrameCircle, FrameHandle,
                               FrameMarker, FrameEdgeMarker, FrameNeighbour>;

// Translucency of the bands and discs, and the highlight's colour.
inline constexpr uint8_t kBandAlpha = 96;
// Translucency of the entries of a database compared with.
inline constexpr uint8_t kFadedAlpha = 110;
inline constexpr uint8_t kDiscAlpha = 64;
inline constexpr Rgba kHighlight{255, 0, 255, 255};
// Screen pixels a circle's outline shows on each side of its rim.
inline constexpr double kOutlineWidth = 1;
// The neighbours' opacity over the background: a little more than half way
// toward it.
inline constexpr double kNeighbourOpacity = 0.45;
// Half the size of an edge marker's and a snap marker's drawing, with their
// outlines: the least distance from the viewport's edges they are drawn at.
inline constexpr double kMarkerReach = 8;

// The open stroke: a segment from its anchor to the pointer (a band of the
// new segment's width), or an area's centre and the radius to the pointer.
struct RubberBand {
    bool area = false;
    FeetPointF anchor{};
    FeetPointF pointer{};
    Pen pen{};
    int32_t width = 0;  // feet, of a segment
};

// A tile beside the tile on screen: where its origin lies in the tile's
// feet (NeighbourTile), its decoded image (null: none) with the number that
// tells it apart, and its paths in its own feet.
struct NeighbourInput {
    FeetPointF origin{};
    std::shared_ptr<const PcxImage> picture{};
    uint64_t pictureKey = 0;
    std::span<const WorkingPath> paths{};
};

struct FrameInput {
    const ViewTransform& view;
    int32_t imageWidth = 0;  // 0: no image
    int32_t imageHeight = 0;
    std::span<const WorkingPath> paths{};
    std::span<const WorkingArea> areas{};
    bool showPaths = true;
    bool showAreas = true;
    std::span<const Pick> highlights{};  // the selection
    // The box a drag over the tile selects with, between two corners.
    std::optional<std::array<FeetPointF, 2>> selectBox{};
    std::optional<RubberBand> rubber{};
    std::optional<Snapped> snap{};  // its marker shows unless its kind is None
    std::span<const NeighbourMarker> edgeMarkers{};
    std::span<const RubberBand> trace{};  // a trace being drawn, under the rubber band
    std::span<const NeighbourInput> neighbours{};
};

// The items of one frame, in drawing order. What lies wholly outside the
// viewport is left out, and lines and bands are cut at its edges (with a
// margin), so a frame at the deepest zoom costs no more than a fitted one.
std::vector<FrameItem> BuildFrame(const FrameInput& input);

// Where a label of this size beside a mark at `at` goes so that it lies
// wholly inside a viewport of width × height: up and to the right of the
// mark, or to its left or below it where there is no room, then held inside.
ScreenRect PlaceLabel(ScreenPoint at, double width, double height, double viewportWidth,
                      double viewportHeight);

Rgba Opaque(const Pen& pen);
// Black for a light colour, white for a dark one.
Rgba Contrasting(PenColour colour);
Rgba Translucent(const Pen& pen, uint8_t alpha);

}  // namespace lorvane
