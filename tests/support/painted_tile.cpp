#include "support/painted_tile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <numeric>
#include <random>

#include "support/pcx_writer.h"

namespace lorvane::testing {

namespace {

// An indexed square image with nothing in it yet.
PcxImage BlankImage(int32_t size) {
    PcxImage image;
    image.width = image.height = size;
    image.bitsPerPixel = 8;
    image.planes = 1;
    image.paletteFound = true;
    image.stride = (size + 3) / 4 * 4;
    image.pixels.assign(static_cast<size_t>(image.stride) * size, 0);
    return image;
}

using Rgb8 = std::array<uint8_t, 3>;

Rgb8 Rounded(const std::array<float, 3>& colour) {
    Rgb8 rounded{};
    for (size_t c = 0; c < 3; ++c)
        rounded[c] = static_cast<uint8_t>(std::clamp(std::lround(colour[c]), 0L, 255L));
    return rounded;
}

uint32_t Key(const Rgb8& colour) {
    return static_cast<uint32_t>(colour[0]) << 16 | static_cast<uint32_t>(colour[1]) << 8 |
           colour[2];
}

struct CountedColour {
    Rgb8 colour;
    uint64_t count = 0;
};

// One box of the median cut: a run of the colour list.
struct ColourBox {
    size_t first = 0;
    size_t last = 0;  // one past
    uint64_t pixels = 0;
};

}  // namespace

PcxImage PaintedGround(int32_t size, uint32_t seed) {
    PcxImage image = BlankImage(size);
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

RgbTile ToRgb(const PcxImage& image) {
    RgbTile tile{image.width,
                 std::vector<std::array<float, 3>>(static_cast<size_t>(image.width) * image.width)};
    for (int32_t y = 0; y < image.width; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            const PaletteColour c = image.palette[image.Index(x, y)];
            tile.At(x, y) = {static_cast<float>(c.red), static_cast<float>(c.green),
                             static_cast<float>(c.blue)};
        }
    return tile;
}

void PaintSoftBand(RgbTile& tile, const std::vector<TracePoint>& centre, double width,
                   PaletteColour colour) {
    const double half = width / 2;
    std::vector<float> cover(tile.pixels.size(), 0.0f);
    for (size_t i = 0; i + 1 < centre.size(); ++i) {
        const TracePoint a = centre[i];
        const TracePoint b = centre[i + 1];
        const auto low = [&](double u, double v) {
            return static_cast<int32_t>(std::floor(std::min(u, v) - half - 1));
        };
        const auto high = [&](double u, double v) {
            return static_cast<int32_t>(std::ceil(std::max(u, v) + half + 1));
        };
        for (int32_t y = std::max(low(a.y, b.y), 0); y <= std::min(high(a.y, b.y), tile.size - 1);
             ++y)
            for (int32_t x = std::max(low(a.x, b.x), 0);
                 x <= std::min(high(a.x, b.x), tile.size - 1); ++x) {
                const double d = DistanceToSegment({x + 0.5, y + 0.5}, a, b);
                const auto share = static_cast<float>(std::clamp(half - d + 0.5, 0.0, 1.0));
                float& kept = cover[static_cast<size_t>(y) * tile.size + x];
                kept = std::max(kept, share);
            }
    }
    const std::array<float, 3> paint{static_cast<float>(colour.red),
                                     static_cast<float>(colour.green),
                                     static_cast<float>(colour.blue)};
    for (size_t i = 0; i < cover.size(); ++i)
        for (size_t c = 0; c < 3; ++c)
            tile.pixels[i][c] += cover[i] * (paint[c] - tile.pixels[i][c]);
}

void Blur(RgbTile& tile, double sigma) {
    if (sigma <= 0 || tile.size == 0) return;
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> kernel(2 * radius + 1);
    for (int i = -radius; i <= radius; ++i)
        kernel[i + radius] = static_cast<float>(std::exp(-0.5 * i * i / (sigma * sigma)));
    const float sum = std::accumulate(kernel.begin(), kernel.end(), 0.0f);
    for (float& k : kernel) k /= sum;
    const int32_t n = tile.size;
    // Across, then down.
    for (const bool down : {false, true}) {
        std::vector<std::array<float, 3>> out(tile.pixels.size());
        for (int32_t y = 0; y < n; ++y)
            for (int32_t x = 0; x < n; ++x) {
                std::array<float, 3> total{};
                for (int i = -radius; i <= radius; ++i) {
                    const int32_t sx = down ? x : std::clamp(x + i, 0, n - 1);
                    const int32_t sy = down ? std::clamp(y + i, 0, n - 1) : y;
                    const auto& p = tile.At(sx, sy);
                    for (size_t c = 0; c < 3; ++c) total[c] += kernel[i + radius] * p[c];
                }
                out[static_cast<size_t>(y) * n + x] = total;
            }
        tile.pixels = std::move(out);
    }
}

void AddNoise(RgbTile& tile, double sigma, uint32_t seed) {
    std::mt19937 random(seed);
    // Box–Muller on the generator's raw output, the same on every platform
    // (std::normal_distribution is not).
    const auto uniform = [&] { return (static_cast<double>(random()) + 0.5) / 4294967296.0; };
    for (auto& pixel : tile.pixels)
        for (float& channel : pixel) {
            const double gauss =
                std::sqrt(-2 * std::log(uniform())) * std::cos(2 * std::numbers::pi * uniform());
            channel += static_cast<float>(sigma * gauss);
        }
}

void Shade(RgbTile& tile, double left, double right) {
    for (int32_t y = 0; y < tile.size; ++y)
        for (int32_t x = 0; x < tile.size; ++x) {
            const double t = tile.size > 1 ? static_cast<double>(x) / (tile.size - 1) : 0;
            const auto factor = static_cast<float>(left + t * (right - left));
            for (float& channel : tile.At(x, y)) channel *= factor;
        }
}

PcxImage Quantise(const RgbTile& tile) {
    std::map<uint32_t, CountedColour> counted;
    for (const auto& pixel : tile.pixels) {
        const Rgb8 colour = Rounded(pixel);
        CountedColour& entry = counted[Key(colour)];
        entry.colour = colour;
        ++entry.count;
    }
    std::vector<CountedColour> colours;
    colours.reserve(counted.size());
    for (const auto& [key, entry] : counted) colours.push_back(entry);

    std::vector<ColourBox> boxes{{0, colours.size(), tile.pixels.size()}};
    while (boxes.size() < 256) {
        ColourBox* widest = nullptr;
        for (ColourBox& box : boxes)
            if (box.last - box.first > 1 && (widest == nullptr || box.pixels > widest->pixels))
                widest = &box;
        if (widest == nullptr) break;
        const auto first = colours.begin() + static_cast<std::ptrdiff_t>(widest->first);
        const auto last = colours.begin() + static_cast<std::ptrdiff_t>(widest->last);
        size_t axis = 0;
        int longest = -1;
        for (size_t c = 0; c < 3; ++c) {
            const auto [low, high] = std::minmax_element(
                first, last,
                [c](const auto& p, const auto& q) { return p.colour[c] < q.colour[c]; });
            if (high->colour[c] - low->colour[c] > longest) {
                longest = high->colour[c] - low->colour[c];
                axis = c;
            }
        }
        std::sort(first, last, [axis](const CountedColour& p, const CountedColour& q) {
            return p.colour[axis] != q.colour[axis] ? p.colour[axis] < q.colour[axis]
                                                    : Key(p.colour) < Key(q.colour);
        });
        // The median pixel's colour ends the first half, which keeps one
        // colour at least and leaves one at least.
        uint64_t seen = 0;
        size_t split = widest->first;
        while (split + 1 < widest->last && seen + colours[split].count <= widest->pixels / 2)
            seen += colours[split++].count;
        split = std::clamp(split, widest->first + 1, widest->last - 1);
        uint64_t firstPixels = 0;
        for (size_t i = widest->first; i < split; ++i) firstPixels += colours[i].count;
        const ColourBox second{split, widest->last, widest->pixels - firstPixels};
        widest->last = split;
        widest->pixels = firstPixels;
        boxes.push_back(second);
    }

    PcxImage image = BlankImage(tile.size);
    std::vector<Rgb8> palette;
    for (const ColourBox& box : boxes) {
        std::array<double, 3> sum{};
        for (size_t i = box.first; i < box.last; ++i)
            for (size_t c = 0; c < 3; ++c)
                sum[c] += static_cast<double>(colours[i].colour[c]) *
                          static_cast<double>(colours[i].count);
        Rgb8 mean{};
        for (size_t c = 0; c < 3; ++c)
            mean[c] = static_cast<uint8_t>(std::lround(sum[c] / static_cast<double>(box.pixels)));
        image.palette[palette.size()] = {mean[0], mean[1], mean[2]};
        palette.push_back(mean);
    }
    std::map<uint32_t, uint8_t> nearest;
    for (const CountedColour& entry : colours) {
        size_t best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (size_t i = 0; i < palette.size(); ++i) {
            int distance = 0;
            for (size_t c = 0; c < 3; ++c) {
                const int d = int{entry.colour[c]} - int{palette[i][c]};
                distance += d * d;
            }
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        nearest[Key(entry.colour)] = static_cast<uint8_t>(best);
    }
    for (int32_t y = 0; y < tile.size; ++y)
        for (int32_t x = 0; x < tile.size; ++x)
            image.pixels[static_cast<size_t>(y) * image.stride + x] =
                nearest[Key(Rounded(tile.pixels[static_cast<size_t>(y) * tile.size + x]))];
    return image;
}

}  // namespace lorvane::testing
