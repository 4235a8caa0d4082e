#pragma once
// How well a trace follows a feature whose centre line is known, in image
// pixels. A point is near the other line when it lies within
// max(1, width / 2) + 1 pixels of it:
//   completeness  the share of the true centre line near the trace
//   correctness   the share of the trace near the true centre line
//   p95           the 95th percentile of the trace's distances to the truth
//   width error   |traced width − true width|
// and the clicks: those the trace took against those drawing the true line
// by hand in straight segments takes (the vertices of its Douglas–Peucker
// simplification within max(1, width / 4) pixels).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "trace/centre_line.h"
#include "trace/tracer.h"

namespace lorvane::bench {

using Polyline = std::vector<TracePoint>;  // image pixels: x across, y down

struct TraceScore {
    double completeness = 0;  // 0 to 1
    double correctness = 0;
    double p95 = 0;         // pixels
    double widthError = 0;  // pixels
    size_t segments = 0;
    size_t clicks = 0;
    size_t handClicks = 0;
};

// A trace through the clicks, leg after leg, each leg going on from the
// last one's end: its vertices in pixels and its width, the legs' widths
// weighted by their lengths. Legs the tracer refuses are left out.
struct ClickedTrace {
    Polyline vertices;
    double width = 0;  // pixels
    size_t segments = 0;
    size_t legs = 0;
    size_t refused = 0;
    double slowestLegMs = 0;
};
ClickedTrace TraceClicks(Tracer& tracer, const Polyline& clicks);

// The clicks drawing the line by hand takes: the vertices of its
// Douglas–Peucker simplification at this tolerance.
size_t HandClicks(const Polyline& truth, double tolerance);

TraceScore Score(const Polyline& truth, double width, const ClickedTrace& trace);

// The point of the polyline at this distance along it (clamped to its ends)
// and the part of it between two such distances.
TracePoint PointAlong(const Polyline& line, double along);
Polyline PartOf(const Polyline& line, double from, double to);
double LengthOf(const Polyline& line);

// The goals a group of cases is measured against.
struct TraceGoal {
    std::string name;
    double share = 0;  // completeness and correctness at least
    std::optional<double> p95;
    std::optional<double> widthError;
    std::optional<size_t> clicks;
    bool checkCorrectness = true;
};
// The goals the score misses, as text ("" when it meets them all).
std::string Missed(const TraceScore& score, const TraceGoal& goal);

}  // namespace lorvane::bench
