#pragma once
// A traced centre line made into few straight segments: Douglas–Peucker,
// then joints that hardly turn merged, segments shorter than the feature's
// width taken out, and loops where the line crosses itself cut away.
// Points are in one unit throughout (the tracer uses image pixels for the
// first steps and tile feet for the last ones).

#include <cstddef>
#include <span>
#include <vector>

namespace lorvane {

// A point of a trace. Where the tracer hands it out it is in tile feet as
// stored (x up from the bottom edge of the image, y across from its left
// edge).
struct TracePoint {
    double x = 0;
    double y = 0;
    bool operator==(const TracePoint&) const = default;
};

// A joint turning less than this (degrees) is merged when the line it
// leaves stays near enough.
inline constexpr double kStraightJointDegrees = 10;

// The vertices of the simplified line: the first and last point and those
// between that Douglas–Peucker keeps with this tolerance, less the joints
// that turn by less than kStraightJointDegrees where the points between
// their neighbours stay within 1.5 × tolerance of the merged segment.
// Fewer than two points come back as they are.
std::vector<TracePoint> SimplifyLine(std::span<const TracePoint> line, double tolerance);

// Takes out segments shorter than minLength, shortest first, until none is
// left or one segment remains: a short first or last segment loses its
// inner vertex (the ends stay), an inner one is replaced by its midpoint.
void DropShortSegments(std::vector<TracePoint>& vertices, double minLength);

// Cuts out every loop of the line: where two segments that do not follow
// each other meet, the vertices between them give way to the meeting point;
// a segment that turns straight back onto the one before loses the joint.
void RemoveSelfCrossings(std::vector<TracePoint>& vertices);

// True when two segments of the line that do not follow each other meet, or
// two that do overlap.
bool SelfIntersects(std::span<const TracePoint> vertices);

// The distance from p to the segment from a to b.
double DistanceToSegment(TracePoint p, TracePoint a, TracePoint b);

}  // namespace lorvane
