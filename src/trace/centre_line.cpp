#include "trace/centre_line.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

namespace lorvane {

namespace {

double Cross(TracePoint o, TracePoint a, TracePoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double Length(TracePoint a, TracePoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The turn at b, in degrees, of the line a–b–c.
double TurnDegrees(TracePoint a, TracePoint b, TracePoint c) {
    const double first = std::atan2(b.y - a.y, b.x - a.x);
    const double second = std::atan2(c.y - b.y, c.x - b.x);
    double turn = std::abs(second - first) * 180 / std::numbers::pi;
    if (turn > 180) turn = 360 - turn;
    return turn;
}

// The farthest point of line[first + 1, last) from the chord and its distance.
std::pair<size_t, double> Farthest(std::span<const TracePoint> line, size_t first, size_t last) {
    std::pair<size_t, double> far{first, -1};
    for (size_t i = first + 1; i < last; ++i) {
        const double d = DistanceToSegment(line[i], line[first], line[last]);
        if (d > far.second) far = {i, d};
    }
    return far;
}

// The indices Douglas–Peucker keeps, in order.
std::vector<size_t> DouglasPeucker(std::span<const TracePoint> line, double tolerance) {
    std::vector<bool> keep(line.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<size_t, size_t>> spans{{0, line.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const auto [at, distance] = Farthest(line, first, last);
        if (distance <= tolerance) continue;
        keep[at] = true;
        spans.push_back({first, at});
        spans.push_back({at, last});
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < line.size(); ++i)
        if (keep[i]) kept.push_back(i);
    return kept;
}

// Merges the joint that turns least of those that may go, one at a time.
void MergeStraightJoints(std::span<const TracePoint> line, std::vector<size_t>& kept,
                         double tolerance) {
    for (;;) {
        std::optional<size_t> best;
        double bestTurn = kStraightJointDegrees;
        for (size_t k = 1; k + 1 < kept.size(); ++k) {
            const double turn = TurnDegrees(line[kept[k - 1]], line[kept[k]], line[kept[k + 1]]);
            if (turn >= bestTurn) continue;
            if (Farthest(line, kept[k - 1], kept[k + 1]).second > 1.5 * tolerance) continue;
            best = k;
            bestTurn = turn;
        }
        if (!best) return;
        kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(*best));
    }
}

// Where the segments a–b and c–d meet (touching counts), if they do.
std::optional<TracePoint> Meeting(TracePoint a, TracePoint b, TracePoint c, TracePoint d) {
    const double d1 = Cross(c, d, a);
    const double d2 = Cross(c, d, b);
    const double d3 = Cross(a, b, c);
    const double d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        const double t = d1 / (d1 - d2);
        return TracePoint{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    }
    // Touching: an end of one lies on the other.
    constexpr double kTouch = 1e-9;
    for (const TracePoint p : {c, d})
        if (DistanceToSegment(p, a, b) <= kTouch) return p;
    for (const TracePoint p : {a, b})
        if (DistanceToSegment(p, c, d) <= kTouch) return p;
    return std::nullopt;
}

// True when the segment b–c turns straight back along a–b.
bool TurnsBack(TracePoint a, TracePoint b, TracePoint c) {
    const double dot = (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y);
    const double scale = Length(a, b) * Length(b, c);
    return dot < 0 && std::abs(Cross(a, b, c)) <= 1e-9 * std::max(scale, 1e-12);
}

}  // namespace

double DistanceToSegment(TracePoint p, TracePoint a, TracePoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double squared = dx * dx + dy * dy;
    double t = squared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / squared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

std::vector<TracePoint> SimplifyLine(std::span<const TracePoint> line, double tolerance) {
    if (line.size() < 2) return {line.begin(), line.end()};
    std::vector<size_t> kept = DouglasPeucker(line, tolerance);
    MergeStraightJoints(line, kept, tolerance);
    std::vector<TracePoint> vertices;
    vertices.reserve(kept.size());
    for (const size_t i : kept) vertices.push_back(line[i]);
    return vertices;
}

void DropShortSegments(std::vector<TracePoint>& vertices, double minLength) {
    while (vertices.size() > 2) {
        size_t shortest = 0;
        for (size_t i = 1; i + 1 < vertices.size(); ++i)
            if (Length(vertices[i], vertices[i + 1]) <
                Length(vertices[shortest], vertices[shortest + 1]))
                shortest = i;
        if (Length(vertices[shortest], vertices[shortest + 1]) >= minLength) return;
        const auto at = vertices.begin() + static_cast<std::ptrdiff_t>(shortest);
        if (shortest == 0) {
            vertices.erase(at + 1);
        } else if (shortest + 2 == vertices.size()) {
            vertices.erase(at);
        } else {
            const TracePoint a = vertices[shortest];
            const TracePoint b = vertices[shortest + 1];
            *at = {(a.x + b.x) / 2, (a.y + b.y) / 2};
            vertices.erase(at + 1);
        }
    }
}

void RemoveSelfCrossings(std::vector<TracePoint>& vertices) {
    bool changed = true;
    while (changed && vertices.size() > 2) {
        changed = false;
        for (size_t i = 0; i + 2 < vertices.size() && !changed; ++i) {
            if (TurnsBack(vertices[i], vertices[i + 1], vertices[i + 2])) {
                vertices.erase(vertices.begin() + static_cast<std::ptrdiff_t>(i + 1));
                changed = true;
                break;
            }
            // The last segment that meets segment i cuts the longest loop.
            for (size_t j = vertices.size() - 2; j >= i + 2; --j) {
                const auto meeting =
                    Meeting(vertices[i], vertices[i + 1], vertices[j], vertices[j + 1]);
                if (!meeting) continue;
                const auto first = vertices.begin() + static_cast<std::ptrdiff_t>(i + 1);
                const auto last = vertices.begin() + static_cast<std::ptrdiff_t>(j + 1);
                *first = *meeting;
                vertices.erase(first + 1, last);
                changed = true;
                break;
            }
        }
    }
}

bool SelfIntersects(std::span<const TracePoint> vertices) {
    for (size_t i = 0; i + 2 < vertices.size(); ++i) {
        if (TurnsBack(vertices[i], vertices[i + 1], vertices[i + 2])) return true;
        for (size_t j = i + 2; j + 1 < vertices.size(); ++j)
            if (Meeting(vertices[i], vertices[i + 1], vertices[j], vertices[j + 1])) return true;
    }
    return false;
}

}  // namespace lorvane
