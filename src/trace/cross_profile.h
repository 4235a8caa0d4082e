#pragma once
// What the tracer and the suggester share about a feature's cross section:
// the tile's colours as L*a*b* sampled between pixel centres, where the two
// edges of a band lie across a point (each where the colour distance to the
// band's colour is half way from the centre's to the ground's), a centre
// line averaged along itself, and the median of a list.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "trace/centre_line.h"
#include "trace/line_measure.h"
#include "trace/tracer.h"

namespace lorvane {

// A tile image's colour indices (width × height, no padding) and the
// palette's colours in L*a*b*.
struct LabImage {
    std::span<const uint8_t> indices;
    int32_t width = 0;
    int32_t height = 0;
    const std::array<LabColour, 256>* lab = nullptr;

    LabColour At(int32_t x, int32_t y) const {
        return (*lab)[indices[static_cast<size_t>(y) * width + x]];
    }
    // The colour at a point of the image, bilinear between pixel centres.
    LabColour Sample(double x, double y) const;
};

// How a cross profile is taken: out to reach pixels on each side in steps
// of step pixels; a side whose colour never gets minContrast ΔE farther
// from the band's colour than the centre has no edge. The ground beside
// the band is the farthest colour the profile reaches within ramp pixels
// past the point where it first gets minContrast farther (a blurred edge's
// ramp, not a field of another colour beyond); with ramp 0, the farthest
// it reaches at all.
struct ProfileSettings {
    double reach = 24;
    double step = 0.25;
    float minContrast = 12;
    double ramp = 0;
};

// Where the band of `colour` has its two edges across the point p, along
// the unit normal (nx, ny): the distances to the side the normal points to
// and to the other, in pixels; nullopt when either side shows no edge.
std::optional<std::pair<double, double>> ProfileEdges(const LabImage& image, ImagePoint p,
                                                      double nx, double ny, LabColour colour,
                                                      const ProfileSettings& settings);

// The line averaged over a window reaching `reach` pixels (and two points
// at least) to either side, shrinking toward the ends, which stay: the edges
// of a thin band cross its profiles on whole or half pixels.
std::vector<TracePoint> SmoothedLine(std::span<const ImagePoint> line, double spacing,
                                     double reach);

// The median (of an even count, the mean of the middle two); the list must
// not be empty.
double Median(std::vector<double> values);

}  // namespace lorvane
