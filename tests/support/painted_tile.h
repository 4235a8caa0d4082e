#pragma once
// Tile images painted in code for the tracer's tests and benchmark: a
// mottled, noisy ground of greens and browns, and bands of one colour (a
// road, a river) along centre lines that the test knows exactly.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/pcx.h"
#include "trace/centre_line.h"

namespace lorvane::testing {

// Colour indices of the painted tiles' palette: the ground takes
// 0 to kGroundColours - 1.
inline constexpr int kGroundColours = 12;
inline constexpr uint8_t kRoadColour = 200;   // light grey
inline constexpr uint8_t kRiverColour = 201;  // blue

// A square image of size × size pixels whose ground is painted from seed.
PcxImage PaintedGround(int32_t size, uint32_t seed);

// Paints every pixel whose centre lies within width / 2 of the polyline
// (pixel coordinates: x across, y down, pixel (i, j) covering
// [i, i + 1) × [j, j + 1)) with the colour.
void PaintBand(PcxImage& image, const std::vector<TracePoint>& centre, double width,
               uint8_t colour);

// The polyline of an arc around (cx, cy) of this radius from one angle to
// another (degrees), a point every degree.
std::vector<TracePoint> ArcLine(double cx, double cy, double radius, double fromDegrees,
                                double toDegrees);

// The distance from p to the polyline.
double DistanceToLine(TracePoint p, const std::vector<TracePoint>& line);

// The PCX file of a painted image.
std::vector<std::byte> PaintedPcxFile(const PcxImage& image);

// The same picture with its palette shuffled (from seed) and every pixel's
// index changed to match.
PcxImage ShufflePalette(const PcxImage& image, uint32_t seed);

}  // namespace lorvane::testing
