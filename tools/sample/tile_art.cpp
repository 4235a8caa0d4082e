#include "sample/tile_art.h"

#include <algorithm>
#include <cmath>

namespace lorvane::sample {

namespace {

// Ramp numbers of the palette: entry ramp × 16 + shade, shade 0 darkest.
enum Ramp : int {
    kWater, kSwamp, kPlains, kBrush, kThinForest, kThickForest, kRocky, kUrban,
    kRoad, kRiver, kBridge, kRailway, kRoof, kRunway, kSand, kWhite,
};

struct RampColours {
    std::array<uint8_t, 3> dark;
    std::array<uint8_t, 3> light;
};

constexpr std::array<RampColours, 16> kRamps = {{
    {{10, 40, 90}, {60, 120, 190}},     // water
    {{40, 60, 40}, {110, 130, 90}},     // swamp
    {{110, 140, 50}, {200, 210, 120}},  // plains
    {{100, 110, 60}, {170, 170, 110}},  // brush
    {{40, 100, 40}, {120, 170, 80}},    // thin forest
    {{10, 50, 20}, {60, 110, 50}},      // thick forest
    {{90, 80, 70}, {180, 170, 150}},    // rocky
    {{90, 90, 95}, {190, 190, 195}},    // urban ground
    {{30, 30, 32}, {120, 120, 125}},    // road
    {{30, 80, 160}, {90, 160, 230}},    // river
    {{150, 150, 145}, {230, 230, 220}}, // bridge
    {{50, 35, 25}, {130, 110, 90}},     // railway
    {{110, 40, 30}, {200, 110, 80}},    // roofs
    {{120, 120, 120}, {220, 220, 220}}, // runway
    {{180, 160, 110}, {240, 225, 180}}, // sand
    {{200, 200, 200}, {255, 255, 255}}, // white
}};

Palette MakePalette() {
    Palette palette{};
    for (size_t ramp = 0; ramp < kRamps.size(); ++ramp) {
        for (size_t shade = 0; shade < 16; ++shade) {
            for (size_t c = 0; c < 3; ++c) {
                const int dark = kRamps[ramp].dark[c];
                const int light = kRamps[ramp].light[c];
                palette[ramp * 16 + shade][c] = static_cast<uint8_t>(dark + (light - dark) * static_cast<int>(shade) / 15);
            }
        }
    }
    return palette;
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^ static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Smooth value noise in [0, 1) with cells of the given size.
double Noise(int x, int y, int cell, uint32_t seed) {
    const int cx = x / cell;
    const int cy = y / cell;
    const double fx = static_cast<double>(x % cell) / cell;
    const double fy = static_cast<double>(y % cell) / cell;
    auto corner = [&](int dx, int dy) { return (Hash(cx + dx, cy + dy, seed) & 0xFFFF) / 65536.0; };
    const double sx = fx * fx * (3 - 2 * fx);
    const double sy = fy * fy * (3 - 2 * fy);
    const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
    const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
    return top + (bottom - top) * sy;
}

int GroundRamp(int groundType) {
    switch (groundType) {
        case 1: return kWater;
        case 3: return kSwamp;
        case 4: return kPlains;
        case 5: return kBrush;
        case 6: return kThinForest;
        case 7: return kThickForest;
        case 8: return kRocky;
        case 9: return kUrban;
        case 13: return kRunway;
        case 14: return kUrban;
        default: return kPlains;
    }
}

uint8_t Shade(int ramp, double value) {
    const int shade = std::clamp(static_cast<int>(value * 16), 0, 15);
    return static_cast<uint8_t>(ramp * 16 + shade);
}

class Painter {
public:
    Painter(IndexedImage& image, uint32_t seed) : image_(image), seed_(seed) {}

    void Ground(int groundType, double cx, double cy, double radius) {
        const int ramp = GroundRamp(groundType);
        ForEachPixel(cx, cy, radius, [&](int col, int row, double distance) {
            if (distance > radius) return;
            double value = 0.35 + 0.35 * Noise(col, row, 32, seed_) + 0.25 * Noise(col, row, 6, seed_ + 1);
            if (groundType == 6 || groundType == 7) {
                // Tree crowns: dark speckles, denser in thick forest.
                const double crowns = Noise(col, row, 3, seed_ + 2);
                if (crowns > (groundType == 7 ? 0.45 : 0.65)) value -= 0.3;
            } else if (groundType == 9 || groundType == 14) {
                // Blocks of roofs between lanes.
                const bool lane = (col % 24) < 4 || (row % 20) < 4;
                if (!lane && Noise(col / 8, row / 8, 2, seed_ + 3) > 0.35) {
                    Put(col, row, Shade(kRoof, 0.3 + 0.5 * Noise(col, row, 4, seed_ + 4)));
                    return;
                }
            } else if (groundType == 1) {
                value = 0.3 + 0.3 * Noise(col, row, 40, seed_) + 0.1 * Noise(col, row, 5, seed_ + 5);
            }
            Put(col, row, Shade(ramp, value));
        });
    }

    void Path(const TilePath& path) {
        const double size = image_.width;
        // Feet to pixels: Y runs right, X runs up from the bottom edge.
        const double x0 = path.startY / 3280.0 * size;
        const double y0 = size - path.startX / 3280.0 * size;
        const double x1 = path.endY / 3280.0 * size;
        const double y1 = size - path.endX / 3280.0 * size;
        const double half = std::max(1.5, path.width / 3280.0 * size / 2);
        const double minX = std::min(x0, x1) - half;
        const double maxX = std::max(x0, x1) + half;
        const double minY = std::min(y0, y1) - half;
        const double maxY = std::max(y0, y1) + half;
        for (int row = std::max(0, static_cast<int>(minY)); row <= std::min(image_.height - 1, static_cast<int>(maxY)); ++row) {
            for (int col = std::max(0, static_cast<int>(minX)); col <= std::min(image_.width - 1, static_cast<int>(maxX)); ++col) {
                double along = 0;
                const double d = SegmentDistance(col + 0.5, row + 0.5, x0, y0, x1, y1, along);
                if (d > half) continue;
                const double edge = d / half;
                switch (path.type) {
                    case 2:  // river: deeper in the middle
                        Put(col, row, Shade(kRiver, 0.2 + 0.6 * edge + 0.1 * Noise(col, row, 5, seed_)));
                        break;
                    case 10:  // road: asphalt, a light centre line
                        Put(col, row, edge < 0.12 && static_cast<int>(along / 6) % 2 == 0 ? Shade(kWhite, 0.6)
                                                                                         : Shade(kRoad, 0.3 + 0.3 * edge));
                        break;
                    case 11:  // railway: two rails over ties
                        Put(col, row, (edge > 0.5 && edge < 0.75) ? Shade(kRailway, 0.1)
                                      : static_cast<int>(along / 3) % 2 == 0 ? Shade(kRailway, 0.6)
                                                                             : Shade(kRailway, 0.35));
                        break;
                    case 12:  // bridge: concrete with dark parapets
                        Put(col, row, edge > 0.8 ? Shade(kRoad, 0.1) : Shade(kBridge, 0.4 + 0.3 * edge));
                        break;
                    default:
                        Put(col, row, Shade(kRoad, 0.5));
                        break;
                }
            }
        }
    }

    void Area(const TileArea& area) {
        const double size = image_.width;
        const double cx = area.centerY / 3280.0 * size;
        const double cy = size - area.centerX / 3280.0 * size;
        const double radius = area.radius / 3280.0 * size;
        Ground(area.type, cx, cy, radius);
    }

private:
    template <typename Visit>
    void ForEachPixel(double cx, double cy, double radius, Visit visit) {
        const int top = std::max(0, static_cast<int>(cy - radius));
        const int bottom = std::min(image_.height - 1, static_cast<int>(cy + radius));
        const int left = std::max(0, static_cast<int>(cx - radius));
        const int right = std::min(image_.width - 1, static_cast<int>(cx + radius));
        for (int row = top; row <= bottom; ++row) {
            for (int col = left; col <= right; ++col) {
                visit(col, row, std::hypot(col + 0.5 - cx, row + 0.5 - cy));
            }
        }
    }

    static double SegmentDistance(double px, double py, double x0, double y0, double x1, double y1, double& along) {
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        along = t * std::sqrt(length2);
        return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
    }

    void Put(int col, int row, uint8_t value) {
        image_.pixels[static_cast<size_t>(row) * static_cast<size_t>(image_.width) + static_cast<size_t>(col)] = value;
    }

    IndexedImage& image_;
    uint32_t seed_;
};

}  // namespace

const Palette& SamplePalette() {
    static const Palette palette = MakePalette();
    return palette;
}

IndexedImage PaintTile(int groundType, const std::vector<TileArea>& areas, const std::vector<TilePath>& paths,
                       int size, uint32_t seed) {
    IndexedImage image;
    image.width = size;
    image.height = size;
    image.pixels.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
    Painter painter(image, seed);
    painter.Ground(groundType, size / 2.0, size / 2.0, size * 2.0);
    for (const TileArea& area : areas) painter.Area(area);
    for (const TilePath& path : paths) painter.Path(path);
    return image;
}

}  // namespace lorvane::sample
