#include "trace/suggester.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>
#include <tuple>
#include <utility>

#include "trace/cross_profile.h"

namespace lorvane {

namespace {

// A pixel is on a feature's centre when its line measure is at least
// kMinStrength (ΔE), the most of its neighbours across, and the colour it
// has stands kMinContrast ΔE from the ground on both sides, the two edges
// about as far from it (kEdgeBalance) and no farther than its line scale
// allows (kScaleReach), and both edges sharp: the colour changes by
// kEdgeRise ΔE within kEdgeSpan pixels across each.
constexpr float kMinStrength = 5;
constexpr float kMinContrast = 20;
constexpr double kEdgeBalance = 0.35;
constexpr double kScaleReach = 4;
constexpr double kEdgeSpan = 3;
constexpr float kEdgeRise = 15;
// The first test of each pixel samples coarser and nearer than the
// width's measure does.
constexpr double kTestStep = 0.5;
constexpr double kTestReachPerScale = 3;
constexpr double kTestReachPlus = 6;
// Cross profiles for the width, as the tracer takes them but reaching no
// farther than the first test's.
constexpr ProfileSettings kWidthProfile{24, 0.25, 12};
// A chain point's direction: from this many points behind to as many ahead.
constexpr size_t kDirectionSpan = 4;
// Two chains go on into each other when their ends lie within a gap of
// kJoinGapWidths widths plus kJoinGapPixels, both ends and the gap between
// them turn less than kJoinDegrees, and their colours differ by less than
// kJoinColour ΔE.
constexpr double kJoinGapWidths = 3;
constexpr double kJoinGapPixels = 12;
constexpr double kJoinDegrees = 30;
constexpr float kJoinColour = 20;
// Ends within a width and kCornerGapPixels of each other may turn up to
// kCornerDegrees (a bend the thinning cut); where three ends meet, the two
// that go on straightest are joined first.
constexpr double kCornerGapPixels = 4;
constexpr double kCornerDegrees = 75;
// A join that turns more than kCornerFromDegrees gets the corner where the
// two ends carried on meet, within kCornerReach times the gap of both.
constexpr double kCornerFromDegrees = 15;
constexpr double kCornerReach = 2;
// A suggestion's end meets another suggestion or path when it lies within
// kMeetOtherWidths of the other's width plus kMeetWidths of its own plus
// kMeetPixels (the other's line measure keeps the end's centre pixels off),
// and at least kMeetColourShare of the way there has the colour of one of
// the two (within kJoinColour ΔE): not ground between them.
constexpr double kMeetOtherWidths = 1.5;
constexpr double kMeetWidths = 1;
constexpr double kMeetPixels = 4;
constexpr double kMeetColourShare = 0.8;
// A strip of ground between two features is told by their bands lying
// within this many pixels beyond its edges.
constexpr double kStripBeyond = 6;
// Ends this near the tile's edge (pixels) are put on it.
constexpr double kEdgeReach = 1.5;
// A feature is at least this many times as long as it is wide.
constexpr double kElongation = 3;
// Chains shorter than this (pixels) are noise even before they are joined.
constexpr size_t kMinChainPoints = 3;

// Neighbours across: right, down, down-right, up-right.
constexpr std::array<int32_t, 4> kAcrossX{1, 0, 1, 1};
constexpr std::array<int32_t, 4> kAcrossY{0, 1, 1, -1};
// The eight neighbours, clockwise from up (for thinning: P2 to P9).
constexpr std::array<int32_t, 8> kRoundX{0, 1, 1, 1, 0, -1, -1, -1};
constexpr std::array<int32_t, 8> kRoundY{-1, -1, 0, 1, 1, 1, 0, -1};

double Length(ImagePoint a, ImagePoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// A centre line found in the pixels, with what its cross profiles measured.
struct Chain {
    std::vector<ImagePoint> line;  // pixels
    std::vector<uint32_t> pixels;  // the centre pixels it was found on
    std::vector<double> widthPixels;
    std::vector<double> widthFeet;
    uint8_t colour = 0;  // the commonest colour index of its pixels
    double width = 1;    // pixels, the median of widthPixels
};

double LineLength(std::span<const ImagePoint> line) {
    double length = 0;
    for (size_t i = 1; i < line.size(); ++i) length += Length(line[i - 1], line[i]);
    return length;
}

// The normal (unit) of the line at point i, from kDirectionSpan points
// behind to as many ahead.
ImagePoint NormalAt(std::span<const ImagePoint> line, size_t i) {
    const ImagePoint behind = line[i >= kDirectionSpan ? i - kDirectionSpan : 0];
    const ImagePoint ahead = line[std::min(i + kDirectionSpan, line.size() - 1)];
    const double along = Length(behind, ahead);
    if (along == 0) return {0, 0};
    return {-(ahead.y - behind.y) / along, (ahead.x - behind.x) / along};
}

class Suggester {
  public:
    Suggester(const PcxImage& image, const SuggestOptions& options)
        : width_(std::max(image.width, 0)),
          height_(std::max(image.height, 0)),
          options_(options),
          palette_(image.palette),
          lab_(PaletteLab(image.palette)) {
        indices_.resize(static_cast<size_t>(width_) * height_);
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x)
                indices_[static_cast<size_t>(y) * width_ + x] = image.Index(x, y);
        lines_ = MeasureLines(image, lab_);
        for (size_t i = 0; i < 256; ++i) {
            size_t first = 0;
            while (Rgb(first) != Rgb(i)) ++first;
            sameColour_[i] = static_cast<uint8_t>(first);
        }
    }

    std::vector<SuggestedPath> Run();

  private:
    LabImage Lab() const { return {indices_, width_, height_, &lab_}; }
    float StrengthAt(int32_t x, int32_t y) const {
        x = std::clamp(x, 0, width_ - 1);
        y = std::clamp(y, 0, height_ - 1);
        return lines_.strength[static_cast<size_t>(y) * width_ + x];
    }
    bool IsCentre(int32_t x, int32_t y) const;
    void Thin();
    std::vector<std::vector<uint32_t>> Follow();
    // The index of the commonest colour of the pixels (counted by colour,
    // not index; of equals the one least in red, green, blue order).
    uint8_t CommonestColour(std::span<const uint32_t> pixels) const {
        std::array<uint32_t, 256> count{};
        for (const uint32_t at : pixels) ++count[sameColour_[indices_[at]]];
        size_t best = 0;
        for (size_t i = 1; i < 256; ++i)
            if (count[i] > count[best] || (count[i] == count[best] && Rgb(i) < Rgb(best))) best = i;
        return static_cast<uint8_t>(best);
    }
    uint32_t Rgb(size_t index) const {
        const PaletteColour& c = palette_[index];
        return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
    }
    std::optional<Chain> Measure(const std::vector<uint32_t>& pixels) const;
    std::vector<Chain> Join(std::vector<Chain> chains) const;
    std::vector<Chain> DropStrips(std::vector<Chain> chains) const;
    std::vector<std::vector<ImagePoint>> Uncovered(const Chain& chain) const;
    std::optional<SuggestedPath> Simplify(const Chain& chain,
                                          std::span<const ImagePoint> line) const;
    void MeetAtEnds(std::vector<SuggestedPath>& paths, const std::vector<uint8_t>& colours) const;
    bool NoGroundBetween(TracePoint end, TracePoint at, LabColour colour) const;

    TracePoint ToFeet(ImagePoint p) const {
        return {kTraceTileFeet - p.y * kTraceTileFeet / height_, p.x * kTraceTileFeet / width_};
    }
    ImagePoint ToImage(TracePoint feet) const {
        return {feet.y * width_ / kTraceTileFeet,
                (kTraceTileFeet - feet.x) * height_ / kTraceTileFeet};
    }
    // The width of an existing segment (feet), a pixel at the least.
    double ExistingWidthFeet(size_t i) const {
        const double given =
            i < options_.existingWidthFeet.size() ? options_.existingWidthFeet[i] : 0;
        return std::max(given, FeetPerPixel());
    }
    double FeetPerPixel() const { return (kTraceTileFeet / width_ + kTraceTileFeet / height_) / 2; }

    int32_t width_;
    int32_t height_;
    const SuggestOptions& options_;
    const std::array<PaletteColour, 256>& palette_;
    std::array<LabColour, 256> lab_;
    // For each colour index the first index of the same colour.
    std::array<uint8_t, 256> sameColour_{};
    std::vector<uint8_t> indices_;
    LineMeasure lines_;
    // 1 on a centre pixel, 2 once a chain took it.
    std::vector<uint8_t> centre_;
    // Segments (pixels) that suggestions may not repeat, with their widths.
    struct Taken {
        ImagePoint a, b;
        double width;
    };
    std::vector<Taken> taken_;
    // The taken segments by cells of kTakenCell pixels: each listed in every
    // cell within its reach of a point of any chain.
    static constexpr double kTakenCell = 32;
    std::vector<std::vector<uint32_t>> takenCells_;
    int32_t takenColumns_ = 0;
    double widestChain_ = 0;
    void Take(ImagePoint a, ImagePoint b, double width);
    const std::vector<uint32_t>& TakenNear(ImagePoint p) const;
};

void Suggester::Take(ImagePoint a, ImagePoint b, double width) {
    if (takenCells_.empty()) {
        takenColumns_ = static_cast<int32_t>(width_ / kTakenCell) + 1;
        takenCells_.resize(static_cast<size_t>(takenColumns_) *
                           (static_cast<size_t>(height_ / kTakenCell) + 1));
    }
    const auto index = static_cast<uint32_t>(taken_.size());
    taken_.push_back({a, b, width});
    const double margin = std::max(width, widestChain_) / 2 + 2;
    const auto cell = [&](double v, int32_t count) {
        return std::clamp(static_cast<int32_t>(std::floor(v / kTakenCell)), 0, count - 1);
    };
    const auto rows = static_cast<int32_t>(takenCells_.size() / takenColumns_);
    for (int32_t y = cell(std::min(a.y, b.y) - margin, rows);
         y <= cell(std::max(a.y, b.y) + margin, rows); ++y)
        for (int32_t x = cell(std::min(a.x, b.x) - margin, takenColumns_);
             x <= cell(std::max(a.x, b.x) + margin, takenColumns_); ++x)
            takenCells_[static_cast<size_t>(y) * takenColumns_ + x].push_back(index);
}

const std::vector<uint32_t>& Suggester::TakenNear(ImagePoint p) const {
    static const std::vector<uint32_t> none;
    if (takenCells_.empty()) return none;
    const auto rows = static_cast<int32_t>(takenCells_.size() / takenColumns_);
    const int32_t x = std::clamp(static_cast<int32_t>(p.x / kTakenCell), 0, takenColumns_ - 1);
    const int32_t y = std::clamp(static_cast<int32_t>(p.y / kTakenCell), 0, rows - 1);
    return takenCells_[static_cast<size_t>(y) * takenColumns_ + x];
}

bool Suggester::IsCentre(int32_t x, int32_t y) const {
    const float s = lines_.strength[static_cast<size_t>(y) * width_ + x];
    if (s < kMinStrength) return false;
    // Across is where the measure falls most.
    size_t direction = 0;
    float bestDrop = -std::numeric_limits<float>::max();
    for (size_t k = 0; k < kAcrossX.size(); ++k) {
        const float drop = 2 * s - StrengthAt(x + kAcrossX[k], y + kAcrossY[k]) -
                           StrengthAt(x - kAcrossX[k], y - kAcrossY[k]);
        if (drop > bestDrop) {
            bestDrop = drop;
            direction = k;
        }
    }
    // Of two equal pixels across a band of even width, the first.
    const int32_t dx = kAcrossX[direction];
    const int32_t dy = kAcrossY[direction];
    if (!(s > StrengthAt(x - dx, y - dy) && s >= StrengthAt(x + dx, y + dy))) return false;
    const double norm = dx != 0 && dy != 0 ? std::numbers::sqrt2 : 1.0;
    const double sigma = kLineScales[lines_.scale[static_cast<size_t>(y) * width_ + x]];
    const ProfileSettings test{kTestReachPerScale * sigma + kTestReachPlus, kTestStep,
                               kMinContrast};
    const LabColour colour = Lab().At(x, y);
    const auto edges = ProfileEdges(Lab(), {x + 0.5, y + 0.5}, dx / norm, dy / norm, colour, test);
    if (!edges) return false;
    const double across = edges->first + edges->second;
    if (std::abs(edges->first - edges->second) > std::max(1.5, kEdgeBalance * across) ||
        across > kScaleReach * sigma + 3)
        return false;
    // Both edges sharp: the colour changes by most of the contrast asked for
    // within kEdgeSpan pixels across each (ground shading changes slowly).
    for (const double side : {1.0, -1.0}) {
        const double edge = side > 0 ? edges->first : edges->second;
        const double inside = std::max(0.0, edge - kEdgeSpan / 2);
        const double outside = edge + kEdgeSpan / 2;
        const double ex = side * dx / norm;
        const double ey = side * dy / norm;
        const float rise =
            LabDistance(Lab().Sample(x + 0.5 + outside * ex, y + 0.5 + outside * ey), colour) -
            LabDistance(Lab().Sample(x + 0.5 + inside * ex, y + 0.5 + inside * ey), colour);
        if (rise < kEdgeRise) return false;
    }
    return true;
}

// Zhang and Suen's thinning of the centre pixels to lines one pixel wide,
// but for the ends of lines two pixels thick, which it would wear away.
void Suggester::Thin() {
    std::vector<uint32_t> set;
    for (size_t i = 0; i < centre_.size(); ++i)
        if (centre_[i] != 0) set.push_back(static_cast<uint32_t>(i));
    const auto on = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < width_ && y < height_ &&
               centre_[static_cast<size_t>(y) * width_ + x] != 0;
    };
    std::vector<uint32_t> gone;
    for (bool changed = true; changed;) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            gone.clear();
            for (const uint32_t at : set) {
                const int32_t x = static_cast<int32_t>(at % width_);
                const int32_t y = static_cast<int32_t>(at / width_);
                std::array<bool, 8> p{};
                int count = 0;
                for (size_t k = 0; k < 8; ++k) {
                    p[k] = on(x + kRoundX[k], y + kRoundY[k]);
                    count += p[k] ? 1 : 0;
                }
                int rises = 0;
                for (size_t k = 0; k < 8; ++k) rises += !p[k] && p[(k + 1) % 8] ? 1 : 0;
                // Two neighbours side by side: the end of a line two pixels thick,
                // which would wear away from its end pixel by pixel.
                if (count < 3 || count > 6 || rises != 1) continue;
                // p[0] up, p[2] right, p[4] down, p[6] left.
                const bool keep = pass == 0 ? (p[0] && p[2] && p[4]) || (p[2] && p[4] && p[6])
                                            : (p[0] && p[2] && p[6]) || (p[0] && p[4] && p[6]);
                if (!keep) gone.push_back(at);
            }
            for (const uint32_t at : gone) centre_[at] = 0;
            if (!gone.empty()) {
                changed = true;
                std::erase_if(set, [&](uint32_t at) { return centre_[at] == 0; });
            }
        }
    }
}

// The centre pixels as chains: from the strongest pixel not yet taken both
// ways along, each step to the untaken neighbour that goes on straightest
// (turning less than a right angle); the neighbours passed by are taken too,
// so a line two pixels thick in places gives one chain, and a branch starts
// a pixel away from the chain it leaves.
std::vector<std::vector<uint32_t>> Suggester::Follow() {
    std::vector<uint32_t> seeds;
    for (size_t i = 0; i < centre_.size(); ++i)
        if (centre_[i] == 1) seeds.push_back(static_cast<uint32_t>(i));
    std::sort(seeds.begin(), seeds.end(), [&](uint32_t a, uint32_t b) {
        return std::tuple(-lines_.strength[a], a) < std::tuple(-lines_.strength[b], b);
    });
    const auto untaken = [&](uint32_t at) {
        std::vector<uint32_t> around;
        const int32_t x = static_cast<int32_t>(at % width_);
        const int32_t y = static_cast<int32_t>(at / width_);
        for (size_t k = 0; k < 8; ++k) {
            const int32_t nx = x + kRoundX[k];
            const int32_t ny = y + kRoundY[k];
            if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_) continue;
            const size_t n = static_cast<size_t>(ny) * width_ + nx;
            if (centre_[n] == 1) around.push_back(static_cast<uint32_t>(n));
        }
        return around;
    };
    const auto point = [&](uint32_t at) {
        return ImagePoint{static_cast<double>(at % width_), static_cast<double>(at / width_)};
    };
    // Picks the straightest of the pixels around along the direction,
    // takes them all, and gives the one picked (none: the chain ends).
    const auto step = [&](ImagePoint from, double dx, double dy,
                          const std::vector<uint32_t>& around) -> std::optional<uint32_t> {
        std::optional<uint32_t> best;
        double bestCos = 0;
        for (const uint32_t n : around) {
            const ImagePoint p = point(n);
            const double cos = ((p.x - from.x) * dx + (p.y - from.y) * dy) / Length(from, p);
            if (cos > bestCos) {
                bestCos = cos;
                best = n;
            }
        }
        for (const uint32_t n : around) centre_[n] = 2;
        return best;
    };
    const auto walk = [&](uint32_t seed, uint32_t first) {
        std::vector<uint32_t> way{seed, first};
        for (;;) {
            const ImagePoint here = point(way.back());
            const ImagePoint back = point(way[way.size() > 5 ? way.size() - 6 : 0]);
            const double along = Length(back, here);
            const auto next = step(here, (here.x - back.x) / along, (here.y - back.y) / along,
                                   untaken(way.back()));
            if (!next) break;
            way.push_back(*next);
        }
        way.erase(way.begin());
        return way;
    };

    std::vector<std::vector<uint32_t>> chains;
    for (const uint32_t seed : seeds) {
        if (centre_[seed] != 1) continue;
        const std::vector<uint32_t> around = untaken(seed);
        centre_[seed] = 2;
        if (around.empty()) continue;
        const ImagePoint s = point(seed);
        const ImagePoint f = point(around.front());
        const double along = Length(s, f);
        // The other way: the neighbour most nearly opposite the first.
        std::optional<uint32_t> other;
        double otherCos = 0;
        for (const uint32_t n : around) {
            const ImagePoint p = point(n);
            const double cos =
                -((p.x - s.x) * (f.x - s.x) + (p.y - s.y) * (f.y - s.y)) / (Length(s, p) * along);
            if (cos > otherCos) {
                otherCos = cos;
                other = n;
            }
        }
        for (const uint32_t n : around) centre_[n] = 2;
        std::vector<uint32_t> chain;
        if (other) {
            chain = walk(seed, *other);
            std::reverse(chain.begin(), chain.end());
        }
        chain.push_back(seed);
        for (const uint32_t at : walk(seed, around.front())) chain.push_back(at);
        if (chain.size() >= kMinChainPoints) chains.push_back(std::move(chain));
    }
    return chains;
}

// The chain moved onto the feature's centre point by point (the middle of
// its two edges across) and its widths, as the tracer measures a way.
std::optional<Chain> Suggester::Measure(const std::vector<uint32_t>& pixels) const {
    Chain chain;
    chain.pixels = pixels;
    chain.colour = CommonestColour(pixels);
    const LabColour colour = lab_[chain.colour];
    const double feetAcross = kTraceTileFeet / width_;
    const double feetUp = kTraceTileFeet / height_;
    std::vector<ImagePoint> way;
    for (const uint32_t at : pixels)
        way.push_back(
            {static_cast<double>(at % width_) + 0.5, static_cast<double>(at / width_) + 0.5});
    // Out to the reach of the chain's line scale, so that a band beside it
    // (a river the road crosses further on) does not count as its ground.
    std::vector<double> scales;
    for (const uint32_t at : pixels) scales.push_back(kLineScales[lines_.scale[at]]);
    ProfileSettings profile = kWidthProfile;
    profile.reach = std::min(profile.reach, kTestReachPerScale * Median(scales) + kTestReachPlus);
    for (size_t i = 0; i < way.size(); ++i) {
        chain.line.push_back(way[i]);
        const ImagePoint normal = NormalAt(way, i);
        const double nx = normal.x;
        const double ny = normal.y;
        if (nx == 0 && ny == 0) continue;
        const auto edges = ProfileEdges(Lab(), way[i], nx, ny, colour, profile);
        if (!edges) continue;
        const double across = edges->first + edges->second;
        // A profile far off the centre found another band's edge.
        if (std::abs(edges->first - edges->second) > std::max(1.5, kEdgeBalance * across)) continue;
        const double shift = (edges->first - edges->second) / 2;
        chain.line.back() = {way[i].x + shift * nx, way[i].y + shift * ny};
        chain.widthPixels.push_back(across);
        chain.widthFeet.push_back(across * std::hypot(nx * feetAcross, ny * feetUp));
    }
    // A chain most of whose profiles find no band is no feature.
    if (2 * chain.widthPixels.size() < way.size()) return std::nullopt;
    chain.width = Median(chain.widthPixels);
    return chain;
}

// An end of a chain, as the chain goes on into another there.
struct ChainEnd {
    ImagePoint tip;      // the chain's last point
    ImagePoint at;       // where it is joined
    ImagePoint outward;  // unit
    size_t trim = 0;     // the points before `at`, left out when the end is joined
};
ChainEnd EndOf(std::span<const ImagePoint> line, double width) {
    // The last width of a chain bends into what it meets; the direction is
    // taken over the two widths and six pixels before.
    size_t trim = 0;
    while (trim + 1 < line.size() / 3 && Length(line[0], line[trim]) < width) ++trim;
    size_t k = trim + 1;
    while (k + 1 < line.size() && Length(line[trim], line[k]) < 2 * width + 6) ++k;
    k = std::min(k, line.size() - 1);
    const double along = Length(line[trim], line[k]);
    if (along == 0) return {line[0], line[trim], {0, 0}, trim};
    return {line[0],
            line[trim],
            {(line[trim].x - line[k].x) / along, (line[trim].y - line[k].y) / along},
            trim};
}

// Where two joined ends that turn a corner would meet carried on straight:
// the corner's vertex, when it lies ahead of both within kCornerReach of
// the gap between them.
std::optional<ImagePoint> Corner(const ChainEnd& p, const ChainEnd& q) {
    const double facing = -(p.outward.x * q.outward.x + p.outward.y * q.outward.y);
    if (facing > std::cos(kCornerFromDegrees * std::numbers::pi / 180)) return std::nullopt;
    const double denominator = p.outward.x * q.outward.y - p.outward.y * q.outward.x;
    if (std::abs(denominator) < 1e-9) return std::nullopt;
    const double ox = q.at.x - p.at.x;
    const double oy = q.at.y - p.at.y;
    const double alongP = (ox * q.outward.y - oy * q.outward.x) / denominator;
    const double alongQ = (ox * p.outward.y - oy * p.outward.x) / denominator;
    const double reach = kCornerReach * Length(p.at, q.at);
    if (alongP < 0 || alongQ < 0 || alongP > reach || alongQ > reach) return std::nullopt;
    return ImagePoint{p.at.x + alongP * p.outward.x, p.at.y + alongP * p.outward.y};
}

// Chains that go on into each other made one, the nearest pairs of ends
// first; no chain joins itself, so none becomes a ring.
std::vector<Chain> Suggester::Join(std::vector<Chain> chains) const {
    std::vector<ChainEnd> ends;
    for (const Chain& c : chains) {
        ends.push_back(EndOf(c.line, c.width));
        const std::vector<ImagePoint> reversed(c.line.rbegin(), c.line.rend());
        ends.push_back(EndOf(reversed, c.width));
    }
    // Ends by grid cell; each end looks for those within the gap its own
    // width allows, and a pair is taken from the side of the wider (the
    // first of equals), whose gap is the pair's.
    const auto maxGap = [](double width) { return kJoinGapWidths * width + kJoinGapPixels; };
    constexpr double kCell = 32;
    const auto columns = static_cast<int32_t>(width_ / kCell) + 1;
    const auto rows = static_cast<int32_t>(height_ / kCell) + 1;
    const auto cellOf = [&](ImagePoint p) {
        return std::pair{std::clamp(static_cast<int32_t>(p.x / kCell), 0, columns - 1),
                         std::clamp(static_cast<int32_t>(p.y / kCell), 0, rows - 1)};
    };
    std::vector<std::vector<size_t>> grid(static_cast<size_t>(columns) * rows);
    for (size_t e = 0; e < ends.size(); ++e) {
        const auto [cx, cy] = cellOf(ends[e].tip);
        grid[static_cast<size_t>(cy) * columns + cx].push_back(e);
    }
    const double straight = std::cos(kJoinDegrees * std::numbers::pi / 180);
    const double corner = std::cos(kCornerDegrees * std::numbers::pi / 180);
    std::vector<std::tuple<double, size_t, size_t>> pairs;
    for (size_t e = 0; e < ends.size(); ++e) {
        const Chain& a = chains[e / 2];
        const ChainEnd& p = ends[e];
        const double reach = maxGap(a.width);
        const auto cells = static_cast<int32_t>(std::ceil(reach / kCell));
        const auto [cx, cy] = cellOf(p.tip);
        for (int32_t gy = std::max(cy - cells, 0); gy <= std::min(cy + cells, rows - 1); ++gy)
            for (int32_t gx = std::max(cx - cells, 0); gx <= std::min(cx + cells, columns - 1);
                 ++gx)
                for (const size_t f : grid[static_cast<size_t>(gy) * columns + gx]) {
                    const Chain& b = chains[f / 2];
                    // Never a chain with itself; each pair once.
                    if (f / 2 == e / 2 || b.width > a.width || (b.width == a.width && f < e))
                        continue;
                    const ChainEnd& q = ends[f];
                    const double gap = Length(p.tip, q.tip);
                    if (gap > reach) continue;
                    const double facing = -(p.outward.x * q.outward.x + p.outward.y * q.outward.y);
                    // Ends that nearly touch may turn a corner.
                    const double minCos = gap <= a.width + kCornerGapPixels ? corner : straight;
                    if (facing < minCos) continue;
                    const double bridge = Length(p.at, q.at);
                    if (bridge > 2) {
                        const double dx = (q.at.x - p.at.x) / bridge;
                        const double dy = (q.at.y - p.at.y) / bridge;
                        if (dx * p.outward.x + dy * p.outward.y < minCos) continue;
                        if (-(dx * q.outward.x + dy * q.outward.y) < minCos) continue;
                    }
                    if (LabDistance(lab_[a.colour], lab_[b.colour]) > kJoinColour) continue;
                    pairs.emplace_back(gap + (1 - facing) * reach, std::min(e, f), std::max(e, f));
                }
    }
    std::sort(pairs.begin(), pairs.end());
    // The end each end is joined to, and which chains are one already.
    std::vector<std::optional<size_t>> joined(ends.size());
    std::vector<size_t> group(chains.size());
    std::iota(group.begin(), group.end(), size_t{0});
    const auto root = [&](size_t c) {
        while (group[c] != c) c = group[c] = group[group[c]];
        return c;
    };
    for (const auto& [score, e, f] : pairs) {
        if (joined[e] || joined[f] || root(e / 2) == root(f / 2)) continue;
        joined[e] = f;
        joined[f] = e;
        group[root(e / 2)] = root(f / 2);
    }
    // Each run of joined chains from its free end.
    std::vector<bool> used(chains.size(), false);
    std::vector<Chain> runs;
    for (size_t c = 0; c < chains.size(); ++c) {
        if (used[c]) continue;
        size_t enter;  // the end the run enters chain c by: a free one
        if (!joined[2 * c]) {
            enter = 2 * c;
        } else if (!joined[2 * c + 1]) {
            enter = 2 * c + 1;
        } else {
            continue;  // inside a run; reached from its ends
        }
        Chain run;
        for (std::optional<size_t> at = enter; at;) {
            const size_t k = *at / 2;
            Chain& piece = chains[k];
            used[k] = true;
            if (*at % 2 == 1) {
                std::reverse(piece.line.begin(), piece.line.end());
                std::reverse(piece.pixels.begin(), piece.pixels.end());
            }
            const size_t leave = *at ^ 1;
            // The joined ends' last width left out; the gap is bridged straight
            // or through the corner.
            const size_t first = joined[*at] ? ends[*at].trim : 0;
            const size_t last = piece.line.size() - (joined[leave] ? ends[leave].trim : 0);
            const auto from = static_cast<std::ptrdiff_t>(std::min(first, last - 1));
            const auto to = static_cast<std::ptrdiff_t>(last);
            run.line.insert(run.line.end(), piece.line.begin() + from, piece.line.begin() + to);
            run.pixels.insert(run.pixels.end(), piece.pixels.begin() + from,
                              piece.pixels.begin() + to);
            run.widthPixels.insert(run.widthPixels.end(), piece.widthPixels.begin(),
                                   piece.widthPixels.end());
            run.widthFeet.insert(run.widthFeet.end(), piece.widthFeet.begin(),
                                 piece.widthFeet.end());
            at = joined[leave];
            if (at) {
                // Points a pixel apart across the gap, as along the chains, so
                // that smoothing treats the gap as the rest.
                const auto fill = [&](ImagePoint a, ImagePoint b) {
                    const auto steps = static_cast<int>(Length(a, b));
                    for (int k = 1; k <= steps; ++k) {
                        const double t = static_cast<double>(k) / (steps + 1);
                        run.line.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
                    }
                };
                const ChainEnd& p = ends[leave];
                const ChainEnd& q = ends[*at];
                if (const auto bend = Corner(p, q)) {
                    fill(p.at, *bend);
                    run.line.push_back(*bend);
                    fill(*bend, q.at);
                } else {
                    fill(p.at, q.at);
                }
            }
        }
        run.width = Median(run.widthPixels);
        run.colour = CommonestColour(run.pixels);
        runs.push_back(std::move(run));
    }
    return runs;
}

// Chains of ground between two features (a strip between a road and a river
// beside it contrasts with both) left out: those with other chains' bands
// within kStripBeyond pixels of their edges on both sides along most of
// their length. The bands are painted longest chain first, each pixel
// keeping the first.
std::vector<Chain> Suggester::DropStrips(std::vector<Chain> chains) const {
    std::vector<size_t> order(chains.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::vector<double> lengths;
    for (const Chain& c : chains) lengths.push_back(LineLength(c.line));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return lengths[a] > lengths[b]; });
    std::vector<uint32_t> band(indices_.size(), 0);  // 1 + the chain whose band covers a pixel
    for (const size_t c : order) {
        const double half = chains[c].width / 2;
        const auto reach = static_cast<int32_t>(std::ceil(half));
        for (const ImagePoint p : chains[c].line) {
            const auto px = static_cast<int32_t>(p.x);
            const auto py = static_cast<int32_t>(p.y);
            for (int32_t y = std::max(py - reach, 0); y <= std::min(py + reach, height_ - 1); ++y)
                for (int32_t x = std::max(px - reach, 0); x <= std::min(px + reach, width_ - 1);
                     ++x) {
                    uint32_t& label = band[static_cast<size_t>(y) * width_ + x];
                    if (label == 0 && Length({x + 0.5, y + 0.5}, p) <= half)
                        label = static_cast<uint32_t>(c + 1);
                }
        }
    }
    // Whether another chain's band lies along the direction within reach.
    const auto otherBand = [&](size_t c, ImagePoint p, double dx, double dy, double reach) {
        for (double t = 1; t <= reach; t += 1) {
            const double x = p.x + t * dx;
            const double y = p.y + t * dy;
            if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
            const uint32_t label = band[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)];
            if (label != 0 && label != c + 1) return true;
        }
        return false;
    };
    std::vector<Chain> kept;
    for (size_t c = 0; c < chains.size(); ++c) {
        const Chain& chain = chains[c];
        const double reach = chain.width / 2 + kStripBeyond;
        size_t between = 0;
        for (size_t i = 0; i < chain.line.size(); ++i) {
            const ImagePoint n = NormalAt(chain.line, i);
            if (otherBand(c, chain.line[i], n.x, n.y, reach) &&
                otherBand(c, chain.line[i], -n.x, -n.y, reach))
                ++between;
        }
        if (2 * between <= chain.line.size()) kept.push_back(std::move(chains[c]));
    }
    return kept;
}

// The parts of the chain that do not run along a path already there or a
// suggestion already made: a point lies along one within half the wider's
// width and a pixel and a half; a stretch along one counts only when it is
// longer than the two widths and four pixels (shorter, the two cross).
std::vector<std::vector<ImagePoint>> Suggester::Uncovered(const Chain& chain) const {
    const std::vector<ImagePoint>& line = chain.line;
    std::vector<double> along(line.size(), 0);  // the widest covering segment's width, or 0
    for (size_t i = 0; i < line.size(); ++i)
        for (const uint32_t k : TakenNear(line[i])) {
            const Taken& t = taken_[k];
            const double reach = std::max(t.width, chain.width) / 2 + 1.5;
            if (DistanceToSegment({line[i].x, line[i].y}, {t.a.x, t.a.y}, {t.b.x, t.b.y}) <= reach)
                along[i] = std::max(along[i], t.width);
        }
    std::vector<bool> covered(line.size(), false);
    for (size_t i = 0; i < line.size();) {
        if (along[i] == 0) {
            ++i;
            continue;
        }
        size_t j = i;
        double widest = 0;
        while (j < line.size() && along[j] > 0) widest = std::max(widest, along[j++]);
        if (LineLength({line.begin() + static_cast<std::ptrdiff_t>(i),
                        line.begin() + static_cast<std::ptrdiff_t>(j)}) > widest + chain.width + 4)
            std::fill(covered.begin() + static_cast<std::ptrdiff_t>(i),
                      covered.begin() + static_cast<std::ptrdiff_t>(j), true);
        i = j;
    }
    std::vector<std::vector<ImagePoint>> parts;
    for (size_t i = 0; i < line.size(); ++i) {
        if (covered[i]) continue;
        if (i == 0 || covered[i - 1]) parts.emplace_back();
        parts.back().push_back(line[i]);
    }
    return parts;
}

// A part of a chain as few straight segments in feet, as the tracer makes
// them; nullopt when it comes out shorter than the shortest suggestion or
// than kElongation widths, or crossing itself.
std::optional<SuggestedPath> Suggester::Simplify(const Chain& chain,
                                                 std::span<const ImagePoint> part) const {
    if (part.size() < 2) return std::nullopt;
    const double widthFeet = Median(chain.widthFeet);
    const std::vector<TracePoint> line = SmoothedLine(part, 1, chain.width / 2);
    std::vector<TracePoint> vertices = SimplifyLine(line, std::max(0.75, chain.width / 4));
    for (TracePoint& v : vertices) v = ToFeet({v.x, v.y});
    // An end within kEdgeReach pixels or a quarter of the width of the
    // tile's edge lies on it, where the path of the tile beside goes on.
    const double reach = std::max(kEdgeReach, chain.width / 4);
    for (TracePoint* end : {&vertices.front(), &vertices.back()}) {
        const auto onEdge = [&](double& feet, double pixel) {
            if (feet <= reach * pixel) feet = 0;
            if (feet >= kTraceTileFeet - reach * pixel) feet = kTraceTileFeet;
        };
        onEdge(end->x, kTraceTileFeet / height_);
        onEdge(end->y, kTraceTileFeet / width_);
    }
    DropShortSegments(vertices, widthFeet);
    RemoveSelfCrossings(vertices);
    DropShortSegments(vertices, widthFeet);
    double length = 0;
    for (size_t i = 1; i < vertices.size(); ++i)
        length += std::hypot(vertices[i].x - vertices[i - 1].x, vertices[i].y - vertices[i - 1].y);
    if (vertices.size() < 2 || length < std::max(options_.minLengthFeet, kElongation * widthFeet) ||
        SelfIntersects(vertices))
        return std::nullopt;
    SuggestedPath path;
    path.widthFeet = widthFeet;
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        path.segments.push_back({vertices[i], vertices[i + 1]});
    // The median of each channel over the centre pixels.
    for (size_t channel = 0; channel < 3; ++channel) {
        std::vector<uint8_t> values;
        for (const uint32_t at : chain.pixels) {
            const PaletteColour& c = palette_[indices_[at]];
            values.push_back(channel == 0 ? c.red : channel == 1 ? c.green : c.blue);
        }
        std::nth_element(values.begin(),
                         values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                         values.end());
        path.colour[channel] = values[values.size() / 2];
    }
    return path;
}

std::vector<TracePoint> Vertices(const SuggestedPath& path) {
    std::vector<TracePoint> vertices{path.segments.front().start};
    for (const TraceSegment& s : path.segments) vertices.push_back(s.end);
    return vertices;
}

void SetVertices(SuggestedPath& path, const std::vector<TracePoint>& vertices) {
    path.segments.clear();
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        path.segments.push_back({vertices[i], vertices[i + 1]});
}

// Where an end (with the vertex before it, `along` away) meets a segment of
// a feature `width` wide: where its last segment, carried on, crosses the
// segment; else the segment's point nearest the end when the end lies on
// the feature already.
std::optional<TracePoint> MeetingOn(TracePoint end, TracePoint next, double along,
                                    const TraceSegment& seg, double width, double feet) {
    const double dx = seg.end.x - seg.start.x;
    const double dy = seg.end.y - seg.start.y;
    std::optional<TracePoint> at;
    const double ux = (end.x - next.x) / along;
    const double uy = (end.y - next.y) / along;
    const double denominator = ux * dy - uy * dx;
    if (std::abs(denominator) > 1e-9) {
        const double ox = seg.start.x - end.x;
        const double oy = seg.start.y - end.y;
        const double ahead = (ox * dy - oy * dx) / denominator;
        const double t = (ox * uy - oy * ux) / denominator;
        if (ahead >= 0 && t >= 0 && t <= 1) at = TracePoint{end.x + ahead * ux, end.y + ahead * uy};
    }
    const double squared = dx * dx + dy * dy;
    const double t = std::clamp(
        squared > 0 ? ((end.x - seg.start.x) * dx + (end.y - seg.start.y) * dy) / squared : 0, 0.0,
        1.0);
    const TracePoint nearest{seg.start.x + t * dx, seg.start.y + t * dy};
    if (!at || std::hypot(nearest.x - end.x, nearest.y - end.y) <= width / 2 + feet) at = nearest;
    return at;
}

// An end of a suggestion that stops short of another suggestion or of a
// path already there (where a road meets one it leaves, or a feature goes
// on in another colour) is moved onto it: onto its vertex when one is
// within half its width, else where the end meets it, which becomes a
// vertex of a suggestion met there.
// Whether the way from a suggestion's end (of this colour) to where it meets
// another feature runs on the colour of one or the other.
bool Suggester::NoGroundBetween(TracePoint end, TracePoint at, LabColour colour) const {
    const ImagePoint from = ToImage(end);
    const ImagePoint to = ToImage(at);
    const LabColour other = Lab().Sample(to.x, to.y);
    const auto steps = static_cast<int>(std::ceil(Length(from, to)));
    if (steps <= 1) return true;
    int alike = 0;
    for (int k = 0; k <= steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        const LabColour c =
            Lab().Sample(from.x + t * (to.x - from.x), from.y + t * (to.y - from.y));
        if (LabDistance(c, colour) <= kJoinColour || LabDistance(c, other) <= kJoinColour) ++alike;
    }
    return alike >= kMeetColourShare * (steps + 1);
}

void Suggester::MeetAtEnds(std::vector<SuggestedPath>& paths,
                           const std::vector<uint8_t>& colours) const {
    const double feet = FeetPerPixel();
    for (size_t a = 0; a < paths.size(); ++a) {
        for (int side = 0; side < 2; ++side) {
            std::vector<TracePoint> mine = Vertices(paths[a]);
            if (side == 1) std::reverse(mine.begin(), mine.end());
            const TracePoint end = mine[0];
            const TracePoint next = mine[1];
            const double along = std::hypot(end.x - next.x, end.y - next.y);
            if (along == 0) continue;
            struct Meeting {
                double distance;
                bool suggestion;  // false: a path already there
                size_t path;      // of paths, when a suggestion
                size_t segment;
                TracePoint at;
                TracePoint first, second;  // the segment met
                double width;              // of what is met
            };
            std::optional<Meeting> best;
            const auto consider = [&](bool suggestion, size_t path, size_t s,
                                      const TraceSegment& seg, double width) {
                const double reach = kMeetOtherWidths * width + kMeetWidths * paths[a].widthFeet +
                                     kMeetPixels * feet;
                const auto at = MeetingOn(end, next, along, seg, width, feet);
                if (!at) return;
                const double d = std::hypot(at->x - end.x, at->y - end.y);
                if (d > reach || (best && d >= best->distance)) return;
                if (!NoGroundBetween(end, *at, lab_[colours[a]])) return;
                best = Meeting{d, suggestion, path, s, *at, seg.start, seg.end, width};
            };
            for (size_t b = 0; b < paths.size(); ++b) {
                if (b == a) continue;
                for (size_t s = 0; s < paths[b].segments.size(); ++s)
                    consider(true, b, s, paths[b].segments[s], paths[b].widthFeet);
            }
            for (size_t s = 0; s < options_.existing.size(); ++s)
                consider(false, 0, s, options_.existing[s], ExistingWidthFeet(s));
            if (!best || best->distance == 0) continue;
            TracePoint at = best->at;
            bool insert = false;  // whether `at` becomes a vertex of the suggestion met
            const double toFirst = std::hypot(at.x - best->first.x, at.y - best->first.y);
            const double toSecond = std::hypot(at.x - best->second.x, at.y - best->second.y);
            if (std::min(toFirst, toSecond) <= best->width / 2 + feet) {
                at = toFirst <= toSecond ? best->first : best->second;
            } else {
                insert = best->suggestion;
            }
            std::vector<TracePoint> moved = mine;
            moved[0] = at;
            // The end goes on along its line, or moves across it by half its
            // width at the most.
            const double aside =
                std::abs((at.x - end.x) * (end.y - next.y) - (at.y - end.y) * (end.x - next.x)) /
                along;
            if (aside > paths[a].widthFeet / 2 + feet || SelfIntersects(moved) ||
                std::hypot(moved[1].x - at.x, moved[1].y - at.y) < paths[a].widthFeet)
                continue;
            if (side == 1) std::reverse(moved.begin(), moved.end());
            SetVertices(paths[a], moved);
            if (insert) {
                SuggestedPath& other = paths[best->path];
                std::vector<TracePoint> theirs = Vertices(other);
                theirs.insert(theirs.begin() + static_cast<std::ptrdiff_t>(best->segment + 1), at);
                SetVertices(other, theirs);
            }
        }
    }
}

std::vector<SuggestedPath> Suggester::Run() {
    if (width_ <= 0 || height_ <= 0) return {};
    centre_.assign(indices_.size(), 0);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x)
            if (IsCentre(x, y)) centre_[static_cast<size_t>(y) * width_ + x] = 1;
    Thin();
    std::vector<Chain> chains;
    for (const std::vector<uint32_t>& pixels : Follow())
        if (auto chain = Measure(pixels)) chains.push_back(std::move(*chain));
    chains = DropStrips(Join(std::move(chains)));
    std::vector<std::pair<double, size_t>> order;
    for (size_t c = 0; c < chains.size(); ++c) {
        order.emplace_back(-LineLength(chains[c].line), c);
        widestChain_ = std::max(widestChain_, chains[c].width);
    }
    std::sort(order.begin(), order.end());

    for (size_t i = 0; i < options_.existing.size(); ++i) {
        const TraceSegment& s = options_.existing[i];
        Take(ToImage(s.start), ToImage(s.end), ExistingWidthFeet(i) / FeetPerPixel());
    }
    const double minPixels = options_.minLengthFeet / FeetPerPixel();
    std::vector<SuggestedPath> paths;
    std::vector<uint8_t> colours;  // the colour index of each path's chain
    for (const auto& [negativeLength, c] : order) {
        const Chain& chain = chains[c];
        if (-negativeLength < minPixels) break;
        for (const std::vector<ImagePoint>& part : Uncovered(chain)) {
            if (LineLength(part) < minPixels) continue;
            auto path = Simplify(chain, part);
            if (!path) continue;
            for (const TraceSegment& s : path->segments)
                Take(ToImage(s.start), ToImage(s.end), chain.width);
            paths.push_back(std::move(*path));
            colours.push_back(chain.colour);
        }
    }
    MeetAtEnds(paths, colours);
    const auto length = [](const SuggestedPath& p) {
        double sum = 0;
        for (const TraceSegment& s : p.segments)
            sum += std::hypot(s.end.x - s.start.x, s.end.y - s.start.y);
        return sum;
    };
    std::stable_sort(
        paths.begin(), paths.end(),
        [&](const SuggestedPath& a, const SuggestedPath& b) { return length(a) > length(b); });
    return paths;
}

}  // namespace

std::vector<SuggestedPath> SuggestPaths(const PcxImage& image, const SuggestOptions& options) {
    return Suggester(image, options).Run();
}

}  // namespace lorvane
