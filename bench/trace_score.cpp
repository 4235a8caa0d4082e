#include "trace_score.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lorvane::bench {

namespace {

constexpr double kSampleStep = 0.25;  // pixels between the points a line is measured at

double Tolerance(double width) { return std::max(1.0, width / 2) + 1; }

double Distance(TracePoint a, TracePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

double DistanceTo(TracePoint p, const Polyline& line) {
    if (line.size() == 1) return Distance(p, line.front());
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i + 1 < line.size(); ++i)
        best = std::min(best, DistanceToSegment(p, line[i], line[i + 1]));
    return best;
}

// Points every kSampleStep pixels along the line, both ends included.
Polyline Samples(const Polyline& line) {
    Polyline samples;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const double length = Distance(line[i], line[i + 1]);
        const auto steps = static_cast<size_t>(std::ceil(length / kSampleStep));
        for (size_t k = 0; k < steps; ++k) {
            const double t = static_cast<double>(k) / static_cast<double>(steps);
            samples.push_back({line[i].x + t * (line[i + 1].x - line[i].x),
                               line[i].y + t * (line[i + 1].y - line[i].y)});
        }
    }
    if (!line.empty()) samples.push_back(line.back());
    return samples;
}

// The share of `from`'s samples within the tolerance of `to`, and their
// distances.
double ShareNear(const Polyline& from, const Polyline& to, double tolerance,
                 std::vector<double>* distances = nullptr) {
    if (from.empty() || to.empty()) return 0;
    const Polyline samples = Samples(from);
    size_t near = 0;
    for (const TracePoint p : samples) {
        const double d = DistanceTo(p, to);
        if (d <= tolerance) ++near;
        if (distances != nullptr) distances->push_back(d);
    }
    return static_cast<double>(near) / static_cast<double>(samples.size());
}

void DouglasPeucker(const Polyline& line, size_t first, size_t last, double tolerance,
                    std::vector<bool>& keep) {
    double farthest = -1;
    size_t at = first;
    for (size_t i = first + 1; i < last; ++i) {
        const double d = DistanceToSegment(line[i], line[first], line[last]);
        if (d > farthest) {
            farthest = d;
            at = i;
        }
    }
    if (farthest <= tolerance) return;
    keep[at] = true;
    DouglasPeucker(line, first, at, tolerance, keep);
    DouglasPeucker(line, at, last, tolerance, keep);
}

}  // namespace

double LengthOf(const Polyline& line) {
    double length = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i) length += Distance(line[i], line[i + 1]);
    return length;
}

TracePoint PointAlong(const Polyline& line, double along) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const double length = Distance(line[i], line[i + 1]);
        if (along <= length && length > 0) {
            const double t = std::max(along, 0.0) / length;
            return {line[i].x + t * (line[i + 1].x - line[i].x),
                    line[i].y + t * (line[i + 1].y - line[i].y)};
        }
        along -= length;
    }
    return line.empty() ? TracePoint{} : line.back();
}

Polyline PartOf(const Polyline& line, double from, double to) {
    Polyline part{PointAlong(line, from)};
    double at = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        at += Distance(line[i], line[i + 1]);
        if (at > from && at < to) part.push_back(line[i + 1]);
    }
    part.push_back(PointAlong(line, to));
    return part;
}

size_t HandClicks(const Polyline& truth, double tolerance) {
    if (truth.size() < 2) return truth.size();
    std::vector<bool> keep(truth.size(), false);
    keep.front() = keep.back() = true;
    DouglasPeucker(truth, 0, truth.size() - 1, tolerance, keep);
    return static_cast<size_t>(std::count(keep.begin(), keep.end(), true));
}

ClickedTrace TraceClicks(Tracer& tracer, const Polyline& clicks) {
    ClickedTrace trace;
    const double feetPerPixel = kTraceTileFeet / tracer.width();
    double weighted = 0;
    double length = 0;
    for (size_t i = 0; i + 1 < clicks.size(); ++i) {
        ++trace.legs;
        // A leg goes on from the last one's end, as the editor's trace does.
        std::vector<TracePoint> ends;
        if (!trace.vertices.empty()) {
            const TracePoint last = trace.vertices.back();
            ends.push_back(tracer.ToFeet({last.x, last.y}));
        }
        const auto started = std::chrono::steady_clock::now();
        const auto leg = tracer.Trace(tracer.ToFeet({clicks[i].x, clicks[i].y}),
                                      tracer.ToFeet({clicks[i + 1].x, clicks[i + 1].y}),
                                      {ends, kClickReach * 2 * feetPerPixel});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - started;
        trace.slowestLegMs = std::max(trace.slowestLegMs, took.count());
        if (!leg || leg->segments.empty()) {
            ++trace.refused;
            continue;
        }
        double legLength = 0;
        for (const TraceSegment& s : leg->segments) {
            const ImagePoint a = tracer.ToImage(s.start);
            const ImagePoint b = tracer.ToImage(s.end);
            if (trace.vertices.empty() || Distance(trace.vertices.back(), {a.x, a.y}) > 1e-9)
                trace.vertices.push_back({a.x, a.y});
            trace.vertices.push_back({b.x, b.y});
            legLength += std::hypot(b.x - a.x, b.y - a.y);
        }
        trace.segments += leg->segments.size();
        weighted += legLength * leg->widthFeet / feetPerPixel;
        length += legLength;
    }
    trace.width = length > 0 ? weighted / length : 0;
    return trace;
}

TraceScore Score(const Polyline& truth, double width, const ClickedTrace& trace) {
    TraceScore score;
    const double tolerance = Tolerance(width);
    score.completeness = ShareNear(truth, trace.vertices, tolerance);
    std::vector<double> distances;
    score.correctness = ShareNear(trace.vertices, truth, tolerance, &distances);
    if (!distances.empty()) {
        std::sort(distances.begin(), distances.end());
        const auto at =
            static_cast<size_t>(std::ceil(0.95 * static_cast<double>(distances.size()))) - 1;
        score.p95 = distances[std::min(at, distances.size() - 1)];
    } else {
        score.p95 = std::numeric_limits<double>::infinity();
    }
    score.widthError = trace.vertices.empty() ? width : std::abs(trace.width - width);
    score.segments = trace.segments;
    score.clicks = trace.legs + 1;
    score.handClicks = HandClicks(truth, std::max(1.0, width / 4));
    return score;
}

std::string Missed(const TraceScore& score, const TraceGoal& goal) {
    std::string missed;
    const auto add = [&](const char* what) {
        if (!missed.empty()) missed += ", ";
        missed += what;
    };
    if (score.completeness < goal.share) add("completeness");
    if (goal.checkCorrectness && score.correctness < goal.share) add("correctness");
    if (goal.p95 && score.p95 > *goal.p95) add("p95");
    if (goal.widthError && score.widthError > *goal.widthError) add("width");
    if (goal.clicks && score.clicks > *goal.clicks) add("clicks");
    return missed;
}

}  // namespace lorvane::bench
