// The tracer on painted tiles whose centre lines are known: it follows the
// centre of the clicked band, not its edges nor a band beside it, in few
// segments, and measures the band's width.

#include "trace/tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "support/painted_tile.h"

namespace lorvane {
namespace {

using testing::ArcLine;
using testing::DistanceToLine;
using testing::kRiverColour;
using testing::kRoadColour;
using testing::PaintBand;
using testing::PaintedGround;

constexpr int32_t kSize = 256;
constexpr double kFeetPerPixel = kTraceTileFeet / kSize;

// The trace's vertices in image pixels.
std::vector<TracePoint> VerticesInPixels(const Tracer& tracer, const TraceResult& result) {
    std::vector<TracePoint> vertices;
    for (const TraceSegment& s : result.segments) {
        if (vertices.empty()) vertices.push_back(s.start);
        vertices.push_back(s.end);
    }
    for (TracePoint& v : vertices) {
        const ImagePoint p = tracer.ToImage(v);
        v = {p.x, p.y};
    }
    return vertices;
}

// The farthest any point of the trace lies from the true centre line.
double FarthestFromCentre(const std::vector<TracePoint>& vertices,
                          const std::vector<TracePoint>& centre) {
    double farthest = 0;
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        for (int k = 0; k <= 20; ++k) {
            const double t = k / 20.0;
            const TracePoint p{vertices[i].x + t * (vertices[i + 1].x - vertices[i].x),
                               vertices[i].y + t * (vertices[i + 1].y - vertices[i].y)};
            farthest = std::max(farthest, DistanceToLine(p, centre));
        }
    return farthest;
}

// Checks what every good trace of a band of this width along centre shows.
void ExpectFollows(const Tracer& tracer, const TraceResult& result,
                   const std::vector<TracePoint>& centre, double width, size_t mostSegments,
                   double farthest = 1) {
    const std::vector<TracePoint> vertices = VerticesInPixels(tracer, result);
    ASSERT_GE(vertices.size(), 2u);
    EXPECT_LE(FarthestFromCentre(vertices, centre), std::max(farthest, 0.3 * width));
    EXPECT_NEAR(result.widthFeet / kFeetPerPixel, width, 0.25 * width);
    EXPECT_GT(result.widthConfidence, 0.5);
    EXPECT_GT(result.onFeature, 0.9);
    EXPECT_LE(result.segments.size(), mostSegments);
    EXPECT_FALSE(SelfIntersects(vertices));
    for (const TraceSegment& s : result.segments)
        EXPECT_GE(std::hypot(s.end.x - s.start.x, s.end.y - s.start.y), result.widthFeet);
    for (size_t i = 1; i < result.segments.size(); ++i)
        EXPECT_EQ(result.segments[i].start, result.segments[i - 1].end);
}

// A click near a point: up to a pixel off, from the random source.
TracePoint ClickNear(const Tracer& tracer, TracePoint pixel, std::mt19937& random) {
    const double dx = static_cast<double>(random() % 21) / 10 - 1;
    const double dy = static_cast<double>(random() % 21) / 10 - 1;
    return tracer.ToFeet({pixel.x + dx, pixel.y + dy});
}

TEST(Tracer, FollowsStraightBandsOfEveryWidthInOneSegment) {
    std::mt19937 random(7);
    for (const double width : {2.0, 3.0, 5.0, 8.0, 12.0, 15.0}) {
        for (int turn = 0; turn < 3; ++turn) {
            SCOPED_TRACE(::testing::Message() << "width " << width << ", turn " << turn);
            const double angle = static_cast<double>(random() % 180) * std::numbers::pi / 180;
            const TracePoint mid{128, 128};
            const TracePoint a{mid.x - 100 * std::cos(angle), mid.y - 100 * std::sin(angle)};
            const TracePoint b{mid.x + 100 * std::cos(angle), mid.y + 100 * std::sin(angle)};
            PcxImage image = PaintedGround(kSize, random());
            PaintBand(image, {a, b}, width, kRoadColour);
            Tracer tracer(image);
            const TracePoint from{a.x + 0.2 * (b.x - a.x), a.y + 0.2 * (b.y - a.y)};
            const TracePoint to{a.x + 0.8 * (b.x - a.x), a.y + 0.8 * (b.y - a.y)};
            const auto result =
                tracer.Trace(ClickNear(tracer, from, random), ClickNear(tracer, to, random));
            ASSERT_TRUE(result);
            ExpectFollows(tracer, *result, {a, b}, width, 1);
        }
    }
}

TEST(Tracer, FollowsArcsInFewSegments) {
    std::mt19937 random(11);
    for (const double width : {3.0, 6.0, 10.0}) {
        for (const double radius : {60.0, 100.0}) {
            SCOPED_TRACE(::testing::Message() << "width " << width << ", radius " << radius);
            const double start = static_cast<double>(random() % 360);
            const auto arc = ArcLine(128, 128, radius, start, start + 120);
            PcxImage image = PaintedGround(kSize, random());
            PaintBand(image, arc, width, kRiverColour);
            Tracer tracer(image);
            const auto result = tracer.Trace(ClickNear(tracer, arc[5], random),
                                             ClickNear(tracer, arc[arc.size() - 6], random));
            ASSERT_TRUE(result);
            ExpectFollows(tracer, *result, arc, width, 10);
            EXPECT_GE(result->segments.size(), 2u);
        }
    }
}

// A band that bends out farther from the line between the clicks than the
// first search box reaches (a quarter of their distance): the way along it
// runs into the box's side, and the box is widened rather than the bend cut
// across the ground.
TEST(Tracer, FollowsBendsReachingBeyondItsFirstBox) {
    std::mt19937 random(19);
    for (const double amplitude : {40.0, 70.0}) {
        for (const double width : {3.0, 7.0}) {
            SCOPED_TRACE(::testing::Message() << "amplitude " << amplitude << ", width " << width);
            std::vector<TracePoint> wave;
            for (double x = 10; x <= 246; x += 2)
                wave.push_back({x, 128 - amplitude * std::sin(std::numbers::pi * (x - 10) / 236)});
            PcxImage image = PaintedGround(kSize, random());
            PaintBand(image, wave, width, kRoadColour);
            Tracer tracer(image);
            const auto result = tracer.Trace(ClickNear(tracer, wave[3], random),
                                             ClickNear(tracer, wave[wave.size() - 4], random));
            ASSERT_TRUE(result);
            // Tight bends: the segments' chords cut them by up to 1.5 pixels.
            ExpectFollows(tracer, *result, wave, width, 16, 1.5);
        }
    }
}

// Bands as a picture shows them: soft edges, blurred, noisy, brought down to
// 256 colours by median cut.
TEST(Tracer, FollowsSoftBlurredAndNoisyBandsIn256Colours) {
    struct Spoilt {
        double width, blur, noise;
    };
    std::mt19937 random(23);
    for (const Spoilt spoilt : {Spoilt{3, 0, 0}, Spoilt{8, 0, 0}, Spoilt{4, 1, 0}, Spoilt{10, 2, 0},
                                Spoilt{4, 0, 12}, Spoilt{6, 1, 8}}) {
        SCOPED_TRACE(::testing::Message() << "width " << spoilt.width << ", blur " << spoilt.blur
                                          << ", noise " << spoilt.noise);
        const auto arc = ArcLine(128, 128, 90, 200, 330);
        testing::RgbTile tile = testing::ToRgb(PaintedGround(kSize, random()));
        testing::PaintSoftBand(tile, arc, spoilt.width, {178, 176, 172});
        testing::Blur(tile, spoilt.blur);
        testing::AddNoise(tile, spoilt.noise, random());
        const PcxImage image = testing::Quantise(tile);
        Tracer tracer(image);
        const auto result = tracer.Trace(ClickNear(tracer, arc[5], random),
                                         ClickNear(tracer, arc[arc.size() - 6], random));
        ASSERT_TRUE(result);
        const std::vector<TracePoint> vertices = VerticesInPixels(tracer, *result);
        EXPECT_LE(FarthestFromCentre(vertices, arc), std::max(1.5, 0.3 * spoilt.width));
        EXPECT_NEAR(result->widthFeet / kFeetPerPixel, spoilt.width, 1 + spoilt.blur);
        EXPECT_GT(result->onFeature, 0.9);
        EXPECT_FALSE(SelfIntersects(vertices));
    }
}

// The median cut keeps a picture of few colours as it is, brings any other
// down to 256 colours near its own, and is the same every time.
TEST(PaintedTile, QuantiseKeepsFewColoursAndNearsMany) {
    const PcxImage ground = PaintedGround(64, 3);
    const PcxImage kept = testing::Quantise(testing::ToRgb(ground));
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(kept.Rgb(x, y), ground.Rgb(x, y));
    testing::RgbTile noisy = testing::ToRgb(ground);
    testing::AddNoise(noisy, 30, 4);
    const PcxImage many = testing::Quantise(noisy);
    EXPECT_EQ(testing::Quantise(noisy).pixels, many.pixels);
    double error = 0;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const PaletteColour c = many.palette[many.Index(x, y)];
            const auto& p = noisy.At(x, y);
            error += std::abs(std::clamp(p[0], 0.0f, 255.0f) - c.red) +
                     std::abs(std::clamp(p[1], 0.0f, 255.0f) - c.green) +
                     std::abs(std::clamp(p[2], 0.0f, 255.0f) - c.blue);
        }
    // Noise of sigma 30 over 4096 pixels in 256 boxes: a few levels a channel.
    EXPECT_LT(error / (3 * 64 * 64), 12.0);
}

// A field of a far other colour a few pixels beside the band: the profiles
// see the ground between them, not the field, and find the band's own edges.
TEST(Tracer, MeasuresABandBesideAFieldOfAnotherColour) {
    std::mt19937 random(29);
    for (const double width : {3.0, 5.0, 8.0}) {
        for (const double gap : {4.0, 8.0}) {
            SCOPED_TRACE(::testing::Message() << "width " << width << ", gap " << gap);
            const std::vector<TracePoint> road{{10, 100}, {246, 120}};
            const double apart = width / 2 + gap + 40;  // the field is 80 pixels wide
            const std::vector<TracePoint> field{{10, 100 + apart}, {246, 120 + apart}};
            PcxImage image = PaintedGround(kSize, random());
            // Deep blue: farther from the road's grey than twice the ground.
            constexpr uint8_t kFieldColour = 202;
            image.palette[kFieldColour] = {10, 20, 240};
            PaintBand(image, field, 80, kFieldColour);
            PaintBand(image, road, width, kRoadColour);
            Tracer tracer(image);
            const auto result =
                tracer.Trace(tracer.ToFeet({30, 101.7}), tracer.ToFeet({226, 118.3}));
            ASSERT_TRUE(result);
            ExpectFollows(tracer, *result, road, width, 1);
        }
    }
}

TEST(Tracer, StaysOnItsBandBesideAParallelOneOfTheSameColour) {
    std::mt19937 random(3);
    for (const double width : {3.0, 6.0, 10.0}) {
        SCOPED_TRACE(::testing::Message() << "width " << width);
        // The second band's edge two widths from the first's.
        const double apart = 3 * width;
        const std::vector<TracePoint> first{{20, 100}, {236, 130}};
        const std::vector<TracePoint> second{{20, 100 + apart}, {236, 130 + apart}};
        PcxImage image = PaintedGround(kSize, random());
        PaintBand(image, first, width, kRoadColour);
        PaintBand(image, second, width, kRoadColour);
        Tracer tracer(image);
        const auto result = tracer.Trace(tracer.ToFeet({40, 102.8}), tracer.ToFeet({216, 127.2}));
        ASSERT_TRUE(result);
        ExpectFollows(tracer, *result, first, width, 1);
    }
}

TEST(Tracer, TracesTheSameWayEveryTime) {
    PcxImage image = PaintedGround(kSize, 5);
    const auto arc = ArcLine(128, 128, 90, 10, 150);
    PaintBand(image, arc, 5, kRoadColour);
    Tracer tracer(image);
    const TracePoint from = tracer.ToFeet({arc[3].x, arc[3].y});
    const TracePoint to = tracer.ToFeet({arc[130].x, arc[130].y});
    const auto first = tracer.Trace(from, to);
    // Another trace between reuses the buffers.
    ASSERT_TRUE(tracer.Trace(to, tracer.ToFeet({10, 10})));
    EXPECT_EQ(tracer.Trace(from, to), first);
    EXPECT_EQ(Tracer(image).Trace(from, to), first);
}

TEST(Tracer, FollowsColoursNotPaletteIndices) {
    PcxImage image = PaintedGround(kSize, 9);
    const auto arc = ArcLine(40, 40, 160, 5, 85);
    PaintBand(image, arc, 6, kRiverColour);
    const TracePoint from{arc[2].x, arc[2].y};
    const TracePoint to{arc[78].x, arc[78].y};
    Tracer plain(image);
    const auto expected = plain.Trace(plain.ToFeet({from.x, from.y}), plain.ToFeet({to.x, to.y}));
    ASSERT_TRUE(expected);
    for (const uint32_t seed : {1u, 2u, 3u}) {
        Tracer shuffled(testing::ShufflePalette(image, seed));
        EXPECT_EQ(shuffled.Trace(shuffled.ToFeet({from.x, from.y}), shuffled.ToFeet({to.x, to.y})),
                  expected);
    }
}

TEST(Tracer, SnapsItsEndsToGivenPathEndsWithinReach) {
    PcxImage image = PaintedGround(kSize, 13);
    PaintBand(image, {{20, 128}, {236, 128}}, 6, kRoadColour);
    Tracer tracer(image);
    const TracePoint from = tracer.ToFeet({40, 128});
    const TracePoint to = tracer.ToFeet({200, 128});
    const TracePoint near{from.x + 20, from.y - 15};  // 25 feet away
    const TracePoint far{to.x + 90, to.y};
    const std::vector<TracePoint> ends{far, near};
    const auto snapped = tracer.Trace(from, to, {ends, 40});
    ASSERT_TRUE(snapped);
    EXPECT_EQ(snapped->segments.front().start, near);
    EXPECT_NE(snapped->segments.back().end, far);
    const auto unsnapped = tracer.Trace(from, to, {ends, 0});
    ASSERT_TRUE(unsnapped);
    EXPECT_NE(unsnapped->segments.front().start, near);
    EXPECT_LE(std::hypot(unsnapped->segments.front().start.x - from.x,
                         unsnapped->segments.front().start.y - from.y),
              kClickReach * kFeetPerPixel * 1.5);
}

TEST(Tracer, RefusesPointsOffTheTileAndAnEmptyImage) {
    PcxImage image = PaintedGround(64, 1);
    Tracer tracer(image);
    EXPECT_FALSE(tracer.Trace({-1, 100}, {100, 100}));
    EXPECT_FALSE(tracer.Trace({100, 100}, {100, kTraceTileFeet + 1}));
    EXPECT_TRUE(tracer.Trace({0, 0}, {kTraceTileFeet, kTraceTileFeet}));
    const auto same = tracer.Trace({1000, 1000}, {1000, 1000});
    ASSERT_TRUE(same);
    EXPECT_TRUE(same->segments.empty());
    EXPECT_FALSE(Tracer(PcxImage{}).Trace({0, 0}, {10, 10}));
}

}  // namespace
}  // namespace lorvane
