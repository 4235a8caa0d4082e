#include "trace/tracer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "trace/cross_profile.h"

namespace lorvane {

namespace {

// The cost of a pixel: kFloor on the feature's centre, growing with the
// colour distance to the clicked colour (full at kColourReach ΔE) and as the
// line measure falls below the clicked line's.
constexpr float kFloor = 0.05f;
constexpr float kColourReach = 32;
constexpr float kLineWeight = 1;
// The clicked line's strength is this share of the strongest within
// kClickReach of the click: a band's centre is seldom as strong all along as
// where it was clicked, and A*'s estimate (the floor cost) is only close when
// the centre costs the floor.
constexpr float kLineShare = 0.75f;
// A pixel cheaper than this lies on the feature.
constexpr float kOnFeatureCost = 0.5f;
// The search box reaches this far beyond the two points, and a quarter of
// their distance when that is more (pixels).
constexpr int32_t kBoxMargin = 24;
// A way that runs along a side of the box (one inside the image) was held in
// by it, as a bend reaching out farther than the box is: the search is made
// again with the margin doubled, up to this many times.
constexpr int kBoxGrowths = 2;

// Cross profiles: one at every pixel of the way (at most kMaxProfiles,
// evenly spread), across the direction from kProfileSpan pixels behind to as
// many ahead, in steps of kProfileStepPixels out to kScaleReach times the
// line scale the way answers most at (its median), kLeastReach to
// kProfileReach pixels, on each side. A side whose colour never gets
// kMinContrast ΔE farther from the clicked colour than the centre has no
// edge. The ground beside an edge is the most the profile reaches within
// kEdgeRamp pixels past where it first gets that far: a blurred edge's ramp,
// short of a field or water a few pixels farther out.
constexpr size_t kMaxProfiles = 1024;
constexpr size_t kProfileSpan = 4;
constexpr double kProfileReach = 24;
constexpr double kLeastReach = 4;
constexpr double kScaleReach = 3;
constexpr double kProfileStepPixels = 0.25;
constexpr float kMinContrast = 12;
constexpr double kEdgeRamp = 3;
// A profile moves its point onto the middle of its edges only when it is as
// wide as the median profile within kAgreeingPixels or kAgreeingShare of it.
constexpr double kAgreeingPixels = 1;
constexpr double kAgreeingShare = 0.25;

// The segments stay within a quarter of the width of the centre line, and
// within kMostTolerance pixels of it however wide the feature is.
constexpr double kMostTolerance = 1.0;

// The eight steps, and their lengths.
constexpr std::array<int32_t, 8> kStepX{1, 1, 0, -1, -1, -1, 0, 1};
constexpr std::array<int32_t, 8> kStepY{0, 1, 1, 1, 0, -1, -1, -1};
constexpr std::array<float, 8> kStepLength{1, 1.41421356f, 1, 1.41421356f,
                                           1, 1.41421356f, 1, 1.41421356f};

bool OnTile(TracePoint p) {
    return p.x >= 0 && p.x <= kTraceTileFeet && p.y >= 0 && p.y <= kTraceTileFeet;
}

double Distance(TracePoint a, TracePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The nearest end within reach of p, the first of equals.
std::optional<TracePoint> NearestEnd(TracePoint p, std::span<const TracePoint> ends, double reach) {
    std::optional<TracePoint> best;
    double bestDistance = reach;
    for (const TracePoint end : ends) {
        const double d = Distance(p, end);
        if (d <= bestDistance && (!best || d < bestDistance)) {
            best = end;
            bestDistance = d;
        }
    }
    return best;
}

// Where a trace's end lands: on the existing end nearest the traced end,
// else on the one nearest the click, else where it was traced.
TracePoint SnapEnd(TracePoint traced, TracePoint click, const TraceOptions& options) {
    if (options.snapFeet <= 0) return traced;
    if (auto end = NearestEnd(traced, options.ends, options.snapFeet)) return *end;
    if (auto end = NearestEnd(click, options.ends, options.snapFeet)) return *end;
    return traced;
}

// Calls visit(index, squared distance) for each pixel of the image within
// kClickReach of (x, y), in reading order.
template <typename Visit>
void ForEachWithinReach(int32_t x, int32_t y, int32_t width, int32_t height, Visit visit) {
    for (int32_t dy = -kClickReach; dy <= kClickReach; ++dy)
        for (int32_t dx = -kClickReach; dx <= kClickReach; ++dx) {
            const int32_t px = x + dx;
            const int32_t py = y + dy;
            const int32_t distance = dx * dx + dy * dy;
            if (distance > kClickReach * kClickReach || px < 0 || py < 0 || px >= width ||
                py >= height)
                continue;
            visit(static_cast<size_t>(py) * width + px, distance);
        }
}

}  // namespace

// What a trace follows: the clicked colour and line strength.
struct Tracer::Reference {
    LabColour colour;
    std::array<float, 256> colourCost{};  // by colour index
    float lineScale = 1;                  // 1 / the clicked line's strength
};

struct Tracer::Width {
    double pixels = 0;
    double feet = 0;
    double confidence = 0;
};

struct Tracer::Centre {
    std::vector<ImagePoint> line;  // pixels
    double spacing = 1;            // pixels of the way from one point to the next
    Width width;
};

Tracer::Tracer(const PcxImage& image)
    : width_(std::max(image.width, 0)),
      height_(std::max(image.height, 0)),
      lab_(PaletteLab(image.palette)) {
    const size_t count = static_cast<size_t>(width_) * height_;
    indices_.resize(count);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x)
            indices_[static_cast<size_t>(y) * width_ + x] = image.Index(x, y);
    lines_ = MeasureLines(image, lab_);
    reached_.resize(count);
    stamp_.resize(count);
    cameFrom_.resize(count);
}

ImagePoint Tracer::ToImage(TracePoint feet) const {
    return {feet.y * width_ / kTraceTileFeet, (kTraceTileFeet - feet.x) * height_ / kTraceTileFeet};
}

TracePoint Tracer::ToFeet(ImagePoint pixel) const {
    return {kTraceTileFeet - pixel.y * kTraceTileFeet / height_, pixel.x * kTraceTileFeet / width_};
}

// The colour clicked on is the medoid of the 3 × 3 pixels around the click
// (the one nearest, summed, to the others; the first of equals, in reading
// order): a colour of the image, untouched by a stray pixel.
Tracer::Reference Tracer::ReferenceAt(int32_t x, int32_t y) const {
    std::array<LabColour, 9> around{};
    size_t n = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t px = std::clamp(x + dx, 0, width_ - 1);
            const int32_t py = std::clamp(y + dy, 0, height_ - 1);
            around[n++] = lab_[indices_[static_cast<size_t>(py) * width_ + px]];
        }
    Reference reference;
    float bestSum = std::numeric_limits<float>::max();
    for (const LabColour& candidate : around) {
        float sum = 0;
        for (const LabColour& other : around) sum += LabDistance(candidate, other);
        if (sum < bestSum) {
            bestSum = sum;
            reference.colour = candidate;
        }
    }
    for (size_t i = 0; i < lab_.size(); ++i) {
        const float near = std::min(1.0f, LabDistance(lab_[i], reference.colour) / kColourReach);
        reference.colourCost[i] = near * near;
    }
    float strongest = 0;
    ForEachWithinReach(x, y, width_, height_, [&](size_t at, int32_t) {
        strongest = std::max(strongest, lines_.strength[at]);
    });
    // A line weaker than 1 ΔE is flat ground: every pixel counts as on it.
    reference.lineScale = 1 / std::max(kLineShare * strongest, 1.0f);
    return reference;
}

float Tracer::Cost(size_t at, const Reference& reference) const {
    const float line = 1 - std::min(1.0f, lines_.strength[at] * reference.lineScale);
    return kFloor + reference.colourCost[indices_[at]] + kLineWeight * line * line;
}

// The cheapest pixel within kClickReach of (x, y); of equals the nearest,
// then the first in reading order.
size_t Tracer::SnapClick(int32_t x, int32_t y, const Reference& reference) const {
    size_t best = static_cast<size_t>(y) * width_ + x;
    float bestCost = Cost(best, reference);
    int32_t bestDistance = 0;
    ForEachWithinReach(x, y, width_, height_, [&](size_t at, int32_t distance) {
        const float cost = Cost(at, reference);
        if (cost < bestCost || (cost == bestCost && distance < bestDistance)) {
            best = at;
            bestCost = cost;
            bestDistance = distance;
        }
    });
    return best;
}

// A* from start to goal inside the box; the heuristic is the floor cost
// times the straight distance, which no way can undercut.
bool Tracer::Search(size_t start, size_t goal, Box box, const Reference& reference) {
    if (++search_ == 0) {
        std::fill(stamp_.begin(), stamp_.end(), 0);
        search_ = 1;
    }
    const int32_t goalX = static_cast<int32_t>(goal % width_);
    const int32_t goalY = static_cast<int32_t>(goal / width_);
    const auto estimate = [&](int32_t x, int32_t y) {
        return kFloor * std::hypot(static_cast<float>(x - goalX), static_cast<float>(y - goalY));
    };
    const auto later = [](const Open& a, const Open& b) {
        return a.estimate > b.estimate || (a.estimate == b.estimate && a.at > b.at);
    };
    open_.clear();
    stamp_[start] = search_;
    reached_[start] = 0;
    open_.push_back({0, 0, static_cast<uint32_t>(start)});
    while (!open_.empty()) {
        std::pop_heap(open_.begin(), open_.end(), later);
        const Open next = open_.back();
        open_.pop_back();
        if (next.at == goal) return true;
        if (next.cost > reached_[next.at]) continue;  // reached more cheaply since
        const int32_t x = static_cast<int32_t>(next.at % width_);
        const int32_t y = static_cast<int32_t>(next.at / width_);
        const float here = Cost(next.at, reference);
        for (size_t step = 0; step < kStepX.size(); ++step) {
            const int32_t nx = x + kStepX[step];
            const int32_t ny = y + kStepY[step];
            if (nx < box.left || nx > box.right || ny < box.top || ny > box.bottom) continue;
            const size_t at = static_cast<size_t>(ny) * width_ + nx;
            const float cost = next.cost + 0.5f * (here + Cost(at, reference)) * kStepLength[step];
            if (stamp_[at] == search_ && reached_[at] <= cost) continue;
            stamp_[at] = search_;
            reached_[at] = cost;
            cameFrom_[at] = static_cast<uint8_t>(step);
            open_.push_back({cost + estimate(nx, ny), cost, static_cast<uint32_t>(at)});
            std::push_heap(open_.begin(), open_.end(), later);
        }
    }
    return false;
}

bool Tracer::HeldByBox(const std::vector<size_t>& way, Box box) const {
    for (const size_t at : way) {
        const auto x = static_cast<int32_t>(at % width_);
        const auto y = static_cast<int32_t>(at / width_);
        if ((x == box.left && box.left > 0) || (x == box.right && box.right < width_ - 1) ||
            (y == box.top && box.top > 0) || (y == box.bottom && box.bottom < height_ - 1))
            return true;
    }
    return false;
}

std::vector<size_t> Tracer::WayTo(size_t start, size_t goal) const {
    std::vector<size_t> way{goal};
    for (size_t at = goal; at != start;) {
        const uint8_t step = cameFrom_[at];
        const int32_t x = static_cast<int32_t>(at % width_) - kStepX[step];
        const int32_t y = static_cast<int32_t>(at / width_) - kStepY[step];
        at = static_cast<size_t>(y) * width_ + x;
        way.push_back(at);
    }
    std::reverse(way.begin(), way.end());
    return way;
}

std::optional<std::pair<double, double>> Tracer::Edges(ImagePoint p, double nx, double ny,
                                                       double reach,
                                                       const Reference& reference) const {
    return ProfileEdges(
        LabImage{indices_, width_, height_, &lab_}, p, nx, ny, reference.colour,
        {std::min(reach, kProfileReach), kProfileStepPixels, kMinContrast, kEdgeRamp});
}

// The way moved onto the feature's centre, point by point (the middle of
// its two edges across), and the feature's width: the median of the
// profiles that found both edges.
Tracer::Centre Tracer::CentreOf(const std::vector<ImagePoint>& way,
                                const Reference& reference) const {
    const double feetAcross = kTraceTileFeet / width_;  // per column
    const double feetUp = kTraceTileFeet / height_;     // per line
    const size_t every = (way.size() + kMaxProfiles - 1) / kMaxProfiles;
    Centre centre;
    centre.spacing = static_cast<double>(every);
    std::vector<double> pixels;
    std::vector<double> feet;
    // Where each profile that found both edges would move its point.
    struct Shift {
        size_t point;
        double across, dx, dy;
    };
    std::vector<Shift> shifts;
    size_t profiles = 0;
    // The profiles reach kScaleReach times the scale the way's line answers
    // most at (its median): far enough past the feature's edges to see the
    // ground beside them, not so far as to take a field's or a wood's colour
    // for it.
    std::vector<uint8_t> scales;
    for (const ImagePoint& p : way)
        scales.push_back(
            lines_.scale[static_cast<size_t>(p.y) * width_ + static_cast<size_t>(p.x)]);
    std::nth_element(scales.begin(),
                     scales.begin() + static_cast<std::ptrdiff_t>(scales.size() / 2), scales.end());
    const double reach = std::clamp(kScaleReach * kLineScales[scales[scales.size() / 2]],
                                    kLeastReach, kProfileReach);
    for (size_t i = 0; i < way.size(); ++i) {
        const bool end = i == 0 || i + 1 == way.size();
        if (i % every != 0 && !end) continue;
        centre.line.push_back(way[i]);
        const ImagePoint behind = way[i >= kProfileSpan ? i - kProfileSpan : 0];
        const ImagePoint ahead = way[std::min(i + kProfileSpan, way.size() - 1)];
        const double along = std::hypot(ahead.x - behind.x, ahead.y - behind.y);
        if (along == 0) continue;
        const double nx = -(ahead.y - behind.y) / along;
        const double ny = (ahead.x - behind.x) / along;
        ++profiles;
        const auto edges = Edges(way[i], nx, ny, reach, reference);
        if (!edges) continue;
        const double shift = (edges->first - edges->second) / 2;
        const double across = edges->first + edges->second;
        shifts.push_back({centre.line.size() - 1, across, shift * nx, shift * ny});
        pixels.push_back(across);
        feet.push_back(across * std::hypot(nx * feetAcross, ny * feetUp));
    }
    Width& width = centre.width;
    if (pixels.empty()) {
        const size_t start =
            static_cast<size_t>(way.front().y) * width_ + static_cast<size_t>(way.front().x);
        width.pixels = 2 * kLineScales[lines_.scale[start]];
        width.feet = width.pixels * (feetAcross + feetUp) / 2;
        return centre;
    }
    width.pixels = Median(pixels);
    width.feet = Median(feet);
    // A profile much wider or narrower than the median found some other
    // edge (a field's, a shadow's) on one side at least: its point stays
    // where the way runs, on the feature's line.
    for (const Shift& shift : shifts)
        if (std::abs(shift.across - width.pixels) <=
            std::max(kAgreeingPixels, kAgreeingShare * width.pixels)) {
            ImagePoint& point = centre.line[shift.point];
            point = {point.x + shift.dx, point.y + shift.dy};
        }
    std::vector<double> deviations;
    for (const double w : pixels) deviations.push_back(std::abs(w - width.pixels));
    const double agreement = std::clamp(1 - 2 * Median(deviations) / width.pixels, 0.0, 1.0);
    width.confidence =
        agreement * static_cast<double>(pixels.size()) / static_cast<double>(profiles);
    return centre;
}

std::vector<TracePoint> Tracer::Simplify(const Centre& centre, TracePoint from, TracePoint to,
                                         const TraceOptions& options) const {
    const Width& width = centre.width;
    const std::vector<TracePoint> line =
        SmoothedLine(centre.line, centre.spacing, width.pixels / 2);
    std::vector<TracePoint> vertices =
        SimplifyLine(line, std::clamp(width.pixels / 4, 0.75, kMostTolerance));
    for (TracePoint& v : vertices) v = ToFeet({v.x, v.y});
    vertices.front() = SnapEnd(vertices.front(), from, options);
    vertices.back() = SnapEnd(vertices.back(), to, options);
    DropShortSegments(vertices, width.feet);
    RemoveSelfCrossings(vertices);
    DropShortSegments(vertices, width.feet);
    return vertices;
}

std::optional<TraceResult> Tracer::Trace(TracePoint from, TracePoint to,
                                         const TraceOptions& options) {
    if (width_ <= 0 || height_ <= 0 || !OnTile(from) || !OnTile(to)) return std::nullopt;
    const auto pixelOf = [&](TracePoint feet) {
        const ImagePoint p = ToImage(feet);
        return std::pair{std::clamp(static_cast<int32_t>(p.x), 0, width_ - 1),
                         std::clamp(static_cast<int32_t>(p.y), 0, height_ - 1)};
    };
    const auto [fromX, fromY] = pixelOf(from);
    const auto [toX, toY] = pixelOf(to);
    const Reference reference = ReferenceAt(fromX, fromY);
    const size_t start = SnapClick(fromX, fromY, reference);
    const size_t goal = SnapClick(toX, toY, reference);
    TraceResult result;
    if (start == goal) return result;

    const int32_t ax = static_cast<int32_t>(start % width_);
    const int32_t ay = static_cast<int32_t>(start / width_);
    const int32_t bx = static_cast<int32_t>(goal % width_);
    const int32_t by = static_cast<int32_t>(goal / width_);
    const auto chord = static_cast<int32_t>(std::hypot(bx - ax, by - ay));
    std::vector<size_t> found;
    for (int32_t margin = std::max(kBoxMargin, chord / 4), growth = 0;; margin *= 2, ++growth) {
        const Box box{std::max(std::min(ax, bx) - margin, 0),
                      std::max(std::min(ay, by) - margin, 0),
                      std::min(std::max(ax, bx) + margin, width_ - 1),
                      std::min(std::max(ay, by) + margin, height_ - 1)};
        if (!Search(start, goal, box, reference)) return std::nullopt;
        found = WayTo(start, goal);
        if (growth == kBoxGrowths || !HeldByBox(found, box)) break;
    }

    std::vector<ImagePoint> way;
    size_t cheap = 0;
    for (const size_t at : found) {
        way.push_back(
            {static_cast<double>(at % width_) + 0.5, static_cast<double>(at / width_) + 0.5});
        if (Cost(at, reference) < kOnFeatureCost) ++cheap;
    }
    result.onFeature = static_cast<double>(cheap) / static_cast<double>(way.size());
    const Centre centre = CentreOf(way, reference);
    result.widthFeet = centre.width.feet;
    result.widthConfidence = centre.width.confidence;
    const std::vector<TracePoint> vertices = Simplify(centre, from, to, options);
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        result.segments.push_back({vertices[i], vertices[i + 1]});
    return result;
}

}  // namespace lorvane
