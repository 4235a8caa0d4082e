// The suggester on painted tiles whose centre lines are known: it finds
// every band and nothing else, each once, in segments that do not cross
// themselves, and leaves out what the tile already has.

#include "trace/suggester.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/painted_tile.h"
#include "support/suggest_scenes.h"

namespace lorvane {
namespace {

using testing::PaintedScene;

constexpr int32_t kSize = 256;
constexpr double kFeetPerPixel = kTraceTileFeet / kSize;

std::vector<TracePoint> VerticesOf(const SuggestedPath& path) {
    std::vector<TracePoint> vertices{path.segments.front().start};
    for (const TraceSegment& s : path.segments) vertices.push_back(s.end);
    return vertices;
}

double LengthOf(const SuggestedPath& path) {
    double length = 0;
    for (const TraceSegment& s : path.segments)
        length += std::hypot(s.end.x - s.start.x, s.end.y - s.start.y);
    return length;
}

// What every suggestion shows, whatever the tile.
void ExpectWellFormed(const std::vector<SuggestedPath>& paths, double minLengthFeet) {
    for (size_t p = 0; p < paths.size(); ++p) {
        const SuggestedPath& path = paths[p];
        ASSERT_FALSE(path.segments.empty());
        EXPECT_FALSE(SelfIntersects(VerticesOf(path))) << "path " << p;
        EXPECT_GE(LengthOf(path), minLengthFeet);
        EXPECT_GT(path.widthFeet, 0);
        for (size_t i = 1; i < path.segments.size(); ++i)
            EXPECT_EQ(path.segments[i].start, path.segments[i - 1].end);
        if (p > 0) {
            EXPECT_GE(LengthOf(paths[p - 1]), LengthOf(path));
        }
    }
}

TEST(Suggester, FindsEveryPaintedBandAndNothingElse) {
    for (const uint32_t seed : {1u, 2u}) {
        std::vector<testing::SuggestScore> scores;
        for (const PaintedScene& scene : testing::SuggestScenes(kSize, seed)) {
            SCOPED_TRACE(::testing::Message() << scene.name << ", seed " << seed);
            const std::vector<SuggestedPath> paths = SuggestPaths(scene.image);
            ExpectWellFormed(paths, SuggestOptions{}.minLengthFeet);
            const testing::SuggestScore score = testing::ScoreSuggestions(scene, paths);
            EXPECT_GE(score.completeness, 0.9);
            EXPECT_GE(score.correctness, 0.85);
            scores.push_back(score);
            if (scene.features.size() != 1) continue;
            // One band: one suggestion from end to end, its width and its
            // colour.
            EXPECT_GE(score.completeness, 0.98);
            ASSERT_EQ(paths.size(), 1u);
            const double width = scene.features[0].width;
            EXPECT_NEAR(paths[0].widthFeet / kFeetPerPixel, width, 0.25 * width);
            const PaletteColour& band = scene.image.palette[scene.image.Index(
                static_cast<int32_t>(scene.features[0].centre[0].x),
                static_cast<int32_t>(scene.features[0].centre[0].y))];
            EXPECT_EQ(paths[0].colour, (std::array<uint8_t, 3>{band.red, band.green, band.blue}));
        }
        const testing::SuggestScore all = testing::Combine(scores);
        EXPECT_GE(all.completeness, 0.95) << "seed " << seed;
        EXPECT_GE(all.correctness, 0.9) << "seed " << seed;
    }
}

TEST(Suggester, JoinsCrossingFeaturesThroughTheCrossing) {
    for (const PaintedScene& scene : testing::SuggestScenes(kSize, 3)) {
        if (scene.features.size() != 2) continue;
        SCOPED_TRACE(scene.name);
        const std::vector<SuggestedPath> paths = SuggestPaths(scene.image);
        // Each feature whole in one suggestion, the branch's end on the road
        // it meets.
        ASSERT_EQ(paths.size(), 2u);
        if (scene.name == "road ending on a road") {
            const TracePoint end = paths[1].segments.back().end;
            const TracePoint start = paths[1].segments.front().start;
            double nearest = kTraceTileFeet;
            for (const TraceSegment& s : paths[0].segments)
                for (const TracePoint p : {start, end})
                    nearest = std::min(nearest, DistanceToSegment(p, s.start, s.end));
            EXPECT_LT(nearest, 1e-6);
        }
        for (const auto& feature : scene.features) {
            PaintedScene alone{scene.name, scene.image, {feature}};
            EXPECT_TRUE(testing::ScoreSuggestions(alone, {paths[0]}).completeness >= 0.95 ||
                        testing::ScoreSuggestions(alone, {paths[1]}).completeness >= 0.95);
        }
    }
}

// The painted centre line in feet, as a path the tile already has.
std::vector<TraceSegment> InFeet(const std::vector<TracePoint>& centre) {
    std::vector<TraceSegment> segments;
    const auto feet = [](TracePoint p) {
        return TracePoint{kTraceTileFeet - p.y * kFeetPerPixel, p.x * kFeetPerPixel};
    };
    for (size_t i = 0; i + 1 < centre.size(); ++i)
        segments.push_back({feet(centre[i]), feet(centre[i + 1])});
    return segments;
}

TEST(Suggester, LeavesOutFeaturesAlongExistingPaths) {
    for (const PaintedScene& scene : testing::SuggestScenes(kSize, 4)) {
        if (scene.features.size() != 2) continue;
        SCOPED_TRACE(scene.name);
        // The first feature drawn already (a little off its centre, as by
        // hand): only the second is suggested, whole across the first.
        std::vector<TraceSegment> existing = InFeet(scene.features[0].centre);
        for (TraceSegment& s : existing) {
            s.start.x += 0.3 * kFeetPerPixel;
            s.end.x += 0.3 * kFeetPerPixel;
        }
        const std::vector<double> widths(existing.size(), scene.features[0].width * kFeetPerPixel);
        SuggestOptions options;
        options.existing = existing;
        options.existingWidthFeet = widths;
        const std::vector<SuggestedPath> paths = SuggestPaths(scene.image, options);
        ExpectWellFormed(paths, options.minLengthFeet);
        ASSERT_EQ(paths.size(), 1u);
        const PaintedScene second{scene.name, scene.image, {scene.features[1]}};
        const testing::SuggestScore score = testing::ScoreSuggestions(second, paths);
        EXPECT_GE(score.completeness, 0.95);
        EXPECT_GE(score.correctness, 0.95);
        if (scene.name == "road ending on a road") {
            // The branch ends on the road drawn already.
            double nearest = kTraceTileFeet;
            for (const TraceSegment& s : existing)
                for (const TracePoint p :
                     {paths[0].segments.front().start, paths[0].segments.back().end})
                    nearest = std::min(nearest, DistanceToSegment(p, s.start, s.end));
            EXPECT_LT(nearest, 1e-6);
        }
    }
}

TEST(Suggester, SuggestsTheSameWhateverThePaletteOrder) {
    const std::vector<PaintedScene> scenes = testing::SuggestScenes(kSize, 5);
    for (const PaintedScene& scene : {scenes[3], scenes.back()}) {
        const std::vector<SuggestedPath> first = SuggestPaths(scene.image);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(SuggestPaths(scene.image), first);
        EXPECT_EQ(SuggestPaths(testing::ShufflePalette(scene.image, 8)), first);
    }
}

TEST(Suggester, EndsOnTheTileEdgeWhereAFeatureLeavesTheTile) {
    for (const double width : {2.0, 5.0, 9.0, 14.0}) {
        SCOPED_TRACE(width);
        // Across the tile, a road from the left edge to the right and a river
        // from the top to the bottom, crossing.
        PaintedScene scene{
            "across", testing::PaintedGround(kSize, 30 + static_cast<uint32_t>(width)), {}};
        testing::AddFeature(scene, {{0, 100}, {kSize, 140}}, width, testing::kRoadColour);
        testing::AddFeature(scene, {{30, 0}, {60, kSize}}, width, testing::kRiverColour);
        const std::vector<SuggestedPath> paths = SuggestPaths(scene.image);
        ASSERT_EQ(paths.size(), 2u);
        const testing::SuggestScore score = testing::ScoreSuggestions(scene, paths);
        EXPECT_GE(score.completeness, 0.95);
        EXPECT_GE(score.correctness, 0.95);
        // Ends in feet: X up from the bottom, Y across from the left.
        for (const SuggestedPath& path : paths) {
            const TracePoint a = path.segments.front().start;
            const TracePoint b = path.segments.back().end;
            const bool road = path.colour[2] < 180;
            const double TracePoint::*across = road ? &TracePoint::y : &TracePoint::x;
            EXPECT_EQ(std::min(a.*across, b.*across), 0);
            EXPECT_EQ(std::max(a.*across, b.*across), kTraceTileFeet);
        }
    }
}

TEST(Suggester, LeavesOutShortFeaturesBareGroundAndEmptyImages) {
    PcxImage image = testing::PaintedGround(kSize, 6);
    EXPECT_TRUE(SuggestPaths(image).empty());
    // 40 pixels: 512 feet.
    testing::PaintBand(image, {{100, 100}, {140, 100}}, 5, testing::kRoadColour);
    EXPECT_EQ(SuggestPaths(image).size(), 1u);
    SuggestOptions longer;
    longer.minLengthFeet = 600;
    EXPECT_TRUE(SuggestPaths(image, longer).empty());
    EXPECT_TRUE(SuggestPaths(PcxImage{}).empty());
}

}  // namespace
}  // namespace lorvane
