#include "support/painted_tile.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

#include "support/pcx_writer.h"

namespace lorvane::testing {

PcxImage PaintedGround(int32_t size, uint32_t seed) {
    PcxImage image;
    image.width = image.height = size;
    image.bitsPerPixel = 8;
    image.planes = 1;
    image.paletteFound = true;
    image.stride = (size + 3) / 4 * 4;
    image.pixels.assign(static_cast<size_t>(image.stride) * size, 0);
    for (int i = 0; i < kGroundColours; ++i) {
        // From dark green to olive brown.
        image.palette[i] = {static_cast<uint8_t>(40 + 9 * i), static_cast<uint8_t>(90 + 4 * i),
                            static_cast<uint8_t>(30 + 2 * i)};
    }
    image.palette[kRoadColour] = {178, 176, 172};
    image.palette[kRiverColour] = {50, 90, 190};

    // Blotches: a coarse random grid, blended, plus a pixel's own noise.
    std::mt19937 random(seed);
    constexpr int32_t kCell = 16;
    const int32_t cells = size / kCell + 2;
    std::vector<double> coarse(static_cast<size_t>(cells) * cells);
    for (double& c : coarse) c = static_cast<double>(random() % 1000) / 1000.0;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const double fx = static_cast<double>(x) / kCell;
            const double fy = static_cast<double>(y) / kCell;
            const auto cx = static_cast<size_t>(fx);
            const auto cy = static_cast<size_t>(fy);
            const double tx = fx - static_cast<double>(cx);
            const double ty = fy - static_cast<double>(cy);
            const auto c = [&](size_t i, size_t j) { return coarse[j * cells + i]; };
            const double smooth = (c(cx, cy) * (1 - tx) + c(cx + 1, cy) * tx) * (1 - ty) +
                                  (c(cx, cy + 1) * (1 - tx) + c(cx + 1, cy + 1) * tx) * ty;
            const int noise = static_cast<int>(random() % 5) - 2;
            const int index = std::clamp(static_cast<int>(smooth * kGroundColours) + noise, 0,
                                         kGroundColours - 1);
            image.pixels[static_cast<size_t>(y) * image.stride + x] = static_cast<uint8_t>(index);
        }
    return image;
}

std::vector<std::byte> PaintedPcxFile(const PcxImage& image) {
    PcxPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) picture.indices.push_back(image.Index(x, y));
    for (size_t i = 0; i < picture.palette.size(); ++i)
        picture.palette[i] = {image.palette[i].red, image.palette[i].green, image.palette[i].blue};
    return WritePcx(picture);
}

double DistanceToLine(TracePoint p, const std::vector<TracePoint>& line) {
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i + 1 < line.size(); ++i)
        best = std::min(best, DistanceToSegment(p, line[i], line[i + 1]));
    return best;
}

void PaintBand(PcxImage& image, const std::vector<TracePoint>& centre, double width,
               uint8_t colour) {
    const double half = width / 2;
    for (size_t i = 0; i + 1 < centre.size(); ++i) {
        const TracePoint a = centre[i];
        const TracePoint b = centre[i + 1];
        const auto low = [&](double u, double v) {
            return static_cast<int32_t>(std::floor(std::min(u, v) - half));
        };
        const auto high = [&](double u, double v) {
            return static_cast<int32_t>(std::ceil(std::max(u, v) + half));
        };
        for (int32_t y = std::max(low(a.y, b.y), 0);
             y <= std::min(high(a.y, b.y), image.height - 1); ++y)
            for (int32_t x = std::max(low(a.x, b.x), 0);
                 x <= std::min(high(a.x, b.x), image.width - 1); ++x)
                if (DistanceToSegment({x + 0.5, y + 0.5}, a, b) <= half)
                    image.pixels[static_cast<size_t>(y) * image.stride + x] = colour;
    }
}

std::vector<TracePoint> ArcLine(double cx, double cy, double radius, double fromDegrees,
                                double toDegrees) {
    std::vector<TracePoint> line;
    const double step = toDegrees >= fromDegrees ? 1 : -1;
    const int count = static_cast<int>(std::abs(toDegrees - fromDegrees));
    for (int i = 0; i <= count; ++i) {
        const double angle = (fromDegrees + step * i) * std::numbers::pi / 180;
        line.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    return line;
}

PcxImage ShufflePalette(const PcxImage& image, uint32_t seed) {
    std::vector<uint8_t> order(256);
    std::iota(order.begin(), order.end(), uint8_t{0});
    std::mt19937 random(seed);
    for (size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[random() % (i + 1)]);
    PcxImage shuffled = image;
    for (size_t i = 0; i < 256; ++i) shuffled.palette[order[i]] = image.palette[i];
    for (uint8_t& index : shuffled.pixels) index = order[index];
    return shuffled;
}

}  // namespace lorvane::testing
