#pragma once
// Following a road, river or railway in a tile's pixels: from a click on
// the feature to a second click further along it, the cheapest way along
// the feature's centre, made into few straight segments in tile feet, and
// the feature's width.
//
// The way's cost is low where the colour is near the colour clicked on (the
// 3 × 3 median around the first click) and where the line measure
// (line_measure.h) is strong: the centre of a band of the clicked colour,
// not one of its two edges. It is searched for on the 8-connected pixel grid
// (A*) inside a box around the two points (widened when the way it finds
// runs along a side of it). A Tracer is made once per tile
// image, which measures the lines of the whole image; each trace then costs
// only the box and reuses the tracer's buffers, quick enough for a preview
// that follows the pointer. A Tracer is therefore not shared between
// threads. It keeps 15 bytes per pixel of the image, and while it is made
// the line measure takes 16 more.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "image/pcx.h"
#include "trace/centre_line.h"
#include "trace/line_measure.h"

namespace lorvane {

// A tile is this many feet on a side whatever the size of its image (the
// editor's TILE_SPAN).
inline constexpr double kTraceTileFeet = 3280;

// A click is moved to the cheapest pixel within this many pixels of it.
inline constexpr int32_t kClickReach = 3;

struct TraceSegment {
    TracePoint start;  // feet
    TracePoint end;
    bool operator==(const TraceSegment&) const = default;
};

struct TraceOptions {
    // Existing path ends (feet): an end of the trace within snapFeet of one
    // lands exactly on it, the nearest (the first of equals). A trace that
    // goes on from an earlier leg lists that leg's end here.
    std::span<const TracePoint> ends{};
    double snapFeet = 0;
};

struct TraceResult {
    // Joined: each segment starts where the one before ends; none shorter
    // than the width unless the whole trace is; none crossing another.
    // Empty when both clicks land on one pixel.
    std::vector<TraceSegment> segments;
    // The feature's width across (feet): the median of its cross profiles,
    // each measured where the colour distance to the clicked colour is half
    // way from the centre's to the ground's beside it.
    double widthFeet = 0;
    // 0 to 1: the share of profiles that found both edges, times how closely
    // they agree. 0 when no profile found both edges and the width is only
    // guessed from the line measure's scale.
    double widthConfidence = 0;
    // 0 to 1: the share of the way that runs on the clicked colour along a
    // line; low when the second point is off the feature.
    double onFeature = 0;
    bool operator==(const TraceResult&) const = default;
};

// A point of the image in pixels: column x from the left, line y from the
// top, pixel (i, j) covering [i, i + 1) × [j, j + 1).
struct ImagePoint {
    double x = 0;
    double y = 0;
};

class Tracer {
  public:
    // Measures the image's lines (the one long step).
    explicit Tracer(const PcxImage& image);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // The trace from `from` to `to` (feet); nullopt when the image is empty
    // or either point is off the tile (outside 0 to kTraceTileFeet).
    std::optional<TraceResult> Trace(TracePoint from, TracePoint to,
                                     const TraceOptions& options = {});

    // Between tile feet and image pixels (the image stretched over the tile).
    ImagePoint ToImage(TracePoint feet) const;
    TracePoint ToFeet(ImagePoint pixel) const;

  private:
    struct Reference;
    struct Box {
        int32_t left, top, right, bottom;  // inclusive
    };

    Reference ReferenceAt(int32_t x, int32_t y) const;
    float Cost(size_t at, const Reference& reference) const;
    size_t SnapClick(int32_t x, int32_t y, const Reference& reference) const;
    bool Search(size_t start, size_t goal, Box box, const Reference& reference);
    std::vector<size_t> WayTo(size_t start, size_t goal) const;
    bool HeldByBox(const std::vector<size_t>& way, Box box) const;
    std::optional<std::pair<double, double>> Edges(ImagePoint p, double nx, double ny, double reach,
                                                   const Reference& reference) const;
    struct Width;
    struct Centre;
    Centre CentreOf(const std::vector<ImagePoint>& way, const Reference& reference) const;
    std::vector<TracePoint> Simplify(const Centre& centre, TracePoint from, TracePoint to,
                                     const TraceOptions& options) const;

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::array<LabColour, 256> lab_{};
    std::vector<uint8_t> indices_;  // width × height colour indices, no padding
    LineMeasure lines_;
    // The search's buffers, reused: a pixel's entries count only when its
    // stamp is the current search's.
    std::vector<float> reached_;
    std::vector<uint32_t> stamp_;
    std::vector<uint8_t> cameFrom_;  // the step (0 to 7) that reached the pixel
    uint32_t search_ = 0;
    struct Open {
        float estimate;
        float cost;
        uint32_t at;
    };
    std::vector<Open> open_;
};

}  // namespace lorvane
