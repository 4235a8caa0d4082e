#include "editor/canvas.h"

#include <cmath>

namespace lorvane {

namespace {

// Degrees to radians with the two float factors of the original drawing code,
// so that the end points land on the same pixels.
constexpr float kTurnsPerDegree = 0.0027777778f;
constexpr float kRadiansPerTurn = 6.283184f;

struct ArcPoint {
    int x;
    int y;
};

ArcPoint PointAt(int centreX, int centreY, int radius, float degrees) {
    const double radians = static_cast<double>(degrees * kTurnsPerDegree * kRadiansPerTurn);
    const double r = radius;
    return {centreX + static_cast<int>(r * std::cos(radians)),
            centreY - static_cast<int>(r * std::sin(radians))};
}

}  // namespace

void DrawArc(Canvas& canvas, int centreX, int centreY, int radius, float startAngle,
             float sweepAngle) {
    const float from = sweepAngle > 0 ? startAngle : startAngle + sweepAngle;
    const float to = sweepAngle > 0 ? startAngle + sweepAngle : startAngle;
    const ArcPoint a = PointAt(centreX, centreY, radius, from);
    const ArcPoint b = PointAt(centreX, centreY, radius, to);
    canvas.Arc(centreX - radius, centreY - radius, centreX + radius, centreY + radius, a.x, a.y,
               b.x, b.y);
    const ArcPoint end = PointAt(centreX, centreY, radius, startAngle + sweepAngle);
    canvas.MoveTo(end.x, end.y);
}

}  // namespace lorvane
