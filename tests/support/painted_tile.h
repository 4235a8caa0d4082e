#pragma once
// Tile images painted in code for the tracer's tests and benchmark: a
// mottled, noisy ground of greens and browns, and bands of one colour (a
// road, a river) along centre lines that the test knows exactly.

#include <array>
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

// A square picture in full colour (red, green, blue as floats on the
// 0 to 255 scale of the palette), for what an indexed picture cannot hold
// until it is reduced to 256 colours: soft edges, blur and noise.
struct RgbTile {
    int32_t size = 0;
    std::vector<std::array<float, 3>> pixels;  // size × size, top line first
    std::array<float, 3>& At(int32_t x, int32_t y) {
        return pixels[static_cast<size_t>(y) * size + x];
    }
};

// The colours of a square indexed image.
RgbTile ToRgb(const PcxImage& image);

// Paints the band with soft (anti-aliased) edges: a pixel whose centre lies
// d from the polyline takes the colour in the share
// clamp(width / 2 - d + 0.5, 0, 1), about the share of the pixel the band
// covers.
void PaintSoftBand(RgbTile& tile, const std::vector<TracePoint>& centre, double width,
                   PaletteColour colour);

// A Gaussian blur of this sigma (pixels), the edges repeated outward.
void Blur(RgbTile& tile, double sigma);

// Adds Gaussian noise of this sigma to every channel of every pixel, drawn
// from seed.
void AddNoise(RgbTile& tile, double sigma, uint32_t seed);

// Multiplies every pixel's colour by a brightness that grows evenly from
// `left` at the left edge to `right` at the right one (light falling
// unevenly over a picture).
void Shade(RgbTile& tile, double left, double right);

// The picture reduced to at most 256 colours by median cut (the box of
// colours with the most pixels and more than one colour split at the median
// of its longest side, until there are 256 boxes; each box's colour is its
// pixels' mean) and every pixel given the nearest palette colour. The same
// picture gives the same image.
PcxImage Quantise(const RgbTile& tile);

}  // namespace lorvane::testing
