#include "support/suggest_scenes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "support/painted_tile.h"

namespace lorvane::testing {

namespace {

// Points every half pixel along the polyline.
std::vector<TracePoint> Samples(const std::vector<TracePoint>& line) {
    std::vector<TracePoint> samples;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const TracePoint a = line[i];
        const TracePoint b = line[i + 1];
        const int steps =
            std::max(1, static_cast<int>(std::ceil(2 * std::hypot(b.x - a.x, b.y - a.y))));
        for (int k = 0; k < steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            samples.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    if (!line.empty()) samples.push_back(line.back());
    return samples;
}

double Tolerance(double width) { return std::max(1.0, width / 2) + 1; }

}  // namespace

void AddFeature(PaintedScene& scene, std::vector<TracePoint> centre, double width, uint8_t colour) {
    PaintBand(scene.image, centre, width, colour);
    scene.features.push_back({std::move(centre), width});
}

std::vector<PaintedScene> SuggestScenes(int32_t size, uint32_t seed) {
    std::mt19937 random(seed);
    const double s = size;
    const auto ground = [&](std::string name) {
        return PaintedScene{std::move(name), PaintedGround(size, random()), {}};
    };
    std::vector<PaintedScene> scenes;
    for (const double width : {2.0, 3.0, 5.0, 8.0, 12.0, 15.0}) {
        const std::string w = std::to_string(static_cast<int>(width));
        PaintedScene straight = ground("straight " + w);
        const double angle = static_cast<double>(random() % 180) * std::numbers::pi / 180;
        const double reach = 0.4 * s;
        AddFeature(straight,
                   {{s / 2 - reach * std::cos(angle), s / 2 - reach * std::sin(angle)},
                    {s / 2 + reach * std::cos(angle), s / 2 + reach * std::sin(angle)}},
                   width, kRoadColour);
        scenes.push_back(std::move(straight));
        PaintedScene curved = ground("arc " + w);
        const double start = static_cast<double>(random() % 360);
        AddFeature(curved, ArcLine(s / 2, s / 2, 0.35 * s, start, start + 200), width,
                   kRiverColour);
        scenes.push_back(std::move(curved));
    }
    PaintedScene crossing = ground("crossing");
    AddFeature(crossing, {{0.1 * s, 0.2 * s}, {0.9 * s, 0.7 * s}}, 6, kRoadColour);
    AddFeature(crossing, {{0.3 * s, 0.9 * s}, {0.6 * s, 0.1 * s}}, 6, kRoadColour);
    scenes.push_back(std::move(crossing));
    PaintedScene branch = ground("road ending on a road");
    AddFeature(branch, {{0.1 * s, 0.6 * s}, {0.9 * s, 0.5 * s}}, 8, kRoadColour);
    AddFeature(branch, {{0.4 * s, 0.1 * s}, {0.45 * s, 0.5625 * s}}, 4, kRoadColour);
    scenes.push_back(std::move(branch));
    PaintedScene colours = ground("road over river");
    AddFeature(colours, ArcLine(0, 0, 0.7 * s, 5, 85), 10, kRiverColour);
    AddFeature(colours, {{0.1 * s, 0.9 * s}, {0.9 * s, 0.15 * s}}, 4, kRoadColour);
    scenes.push_back(std::move(colours));
    return scenes;
}

SuggestScore ScoreSuggestions(const PaintedScene& scene, const std::vector<SuggestedPath>& paths) {
    const double size = scene.image.width;
    std::vector<std::vector<TracePoint>> suggested;
    for (const SuggestedPath& path : paths) {
        std::vector<TracePoint> line;
        for (const TraceSegment& s : path.segments) {
            if (line.empty()) line.push_back(s.start);
            line.push_back(s.end);
        }
        // Feet (x up, y across) to pixels.
        for (TracePoint& p : line)
            p = {p.y * size / kTraceTileFeet, (kTraceTileFeet - p.x) * size / kTraceTileFeet};
        suggested.push_back(std::move(line));
    }
    SuggestScore score;
    size_t covered = 0, samples = 0;
    for (const PaintedFeature& feature : scene.features)
        for (const TracePoint p : Samples(feature.centre)) {
            ++samples;
            for (const auto& line : suggested)
                if (DistanceToLine(p, line) <= Tolerance(feature.width)) {
                    ++covered;
                    break;
                }
        }
    score.featureLength = static_cast<double>(samples) / 2;
    if (samples > 0) score.completeness = static_cast<double>(covered) / samples;
    size_t right = 0;
    samples = 0;
    for (const auto& line : suggested)
        for (const TracePoint p : Samples(line)) {
            ++samples;
            for (const PaintedFeature& feature : scene.features)
                if (DistanceToLine(p, feature.centre) <= Tolerance(feature.width)) {
                    ++right;
                    break;
                }
        }
    score.suggestionLength = static_cast<double>(samples) / 2;
    if (samples > 0) score.correctness = static_cast<double>(right) / samples;
    return score;
}

SuggestScore Combine(const std::vector<SuggestScore>& scores) {
    SuggestScore all;
    double complete = 0, correct = 0;
    for (const SuggestScore& s : scores) {
        all.featureLength += s.featureLength;
        all.suggestionLength += s.suggestionLength;
        complete += s.completeness * s.featureLength;
        correct += s.correctness * s.suggestionLength;
    }
    if (all.featureLength > 0) all.completeness = complete / all.featureLength;
    if (all.suggestionLength > 0) all.correctness = correct / all.suggestionLength;
    return all;
}

}  // namespace lorvane::testing
