#include "editor/snapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace lorvane {
namespace {

// Two joined segments of one road and an area, in a view of 10 feet a pixel
// (a snap reach of 80 feet).
struct Tables {
    std::vector<WorkingPath> paths{
        {1, 50, 100, 200, 300, 400, true},  // begins a path
        {1, 50, 300, 400, 500, 600},        // continues it
        {0, 100, 2000, 2000, 2100, 2100, true},
    };
    std::vector<WorkingArea> areas{{2, 200, 1000, 1000}};
    ViewTransform view{328, 328, 256};
};

TEST(Snap, EndsCentresEdgesCornersAndGrid) {
    const Tables t;
    struct Case {
        FeetPointF pointer;
        int32_t grid;
        FeetPointF point;
        SnapKind kind;
        std::optional<PointRef> target;
    };
    const Case cases[] = {
        {{305, 397}, 0, {300, 400}, SnapKind::Point, PointRef{PointRole::End, 1}},
        {{130, 250}, 0, {100, 200}, SnapKind::Point, PointRef{PointRole::Start, 1}},
        {{1030, 1040}, 0, {1000, 1000}, SnapKind::Point, PointRef{PointRole::Centre, 1}},
        {{1030, 1040}, 500, {1000, 1000}, SnapKind::Point, PointRef{PointRole::Centre, 1}},
        {{1100, 1000}, 0, {1100, 1000}, SnapKind::None, std::nullopt},  // 100 feet: too far
        {{40, 1500}, 0, {0, 1500}, SnapKind::Edge, std::nullopt},
        {{1500, 3210}, 0, {1500, 3280}, SnapKind::Edge, std::nullopt},
        {{3250, 3270}, 0, {3280, 3280}, SnapKind::Corner, std::nullopt},
        {{-30, 20}, 0, {0, 0}, SnapKind::Corner, std::nullopt},
        {{1234, 1567}, 100, {1200, 1600}, SnapKind::Grid, std::nullopt},
        {{40, 1567}, 100, {0, 1600}, SnapKind::Edge, std::nullopt},
        {{1249, 1251}, 500, {1000, 1500}, SnapKind::Grid, std::nullopt},
    };
    for (const Case& c : cases) {
        const Snapped s = Snap(c.pointer, t.view, t.paths, t.areas, {true, c.grid});
        EXPECT_EQ(s.point, c.point) << c.pointer.x << ", " << c.pointer.y;
        EXPECT_EQ(s.kind, c.kind) << c.pointer.x << ", " << c.pointer.y;
        EXPECT_EQ(s.target, c.target) << c.pointer.x << ", " << c.pointer.y;
    }
}

TEST(Snap, OffExcludedAndZoomedInPointsDoNotSnap) {
    Tables t;
    const FeetPointF near{305, 397};
    EXPECT_EQ(Snap(near, t.view, t.paths, t.areas, {false, 100}),
              (Snapped{near, SnapKind::None, std::nullopt}));
    // The joint being dragged is not a target of itself.
    const PointRef dragged[] = {{PointRole::End, 1}, {PointRole::Start, 2}};
    EXPECT_EQ(Snap(near, t.view, t.paths, t.areas, {}, dragged).kind, SnapKind::None);
    // Eight pixels are a few feet at the deepest zoom of a 256-pixel image.
    t.view.ZoomSteps(100);
    EXPECT_LT(t.view.ToFeet(kSnapPixels), 4.0);
    EXPECT_EQ(Snap(near, t.view, t.paths, t.areas, {}).kind, SnapKind::None);
    EXPECT_EQ(Snap({300.5, 400.2}, t.view, t.paths, t.areas, {}).point, (FeetPointF{300, 400}));
}

TEST(Snap, NearestPointWinsAndLandsOnTheStoredValuesExactly) {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> feet(100, 3180);  // any fraction a float holds
    std::uniform_real_distribution<double> within(-7.9 / std::sqrt(2), 7.9 / std::sqrt(2));
    for (int round = 0; round < 500; ++round) {
        std::vector<WorkingPath> paths;
        std::vector<WorkingArea> areas;
        for (int i = 0; i < 6; ++i) {
            paths.push_back({1, 50, feet(random), feet(random), feet(random), feet(random)});
            areas.push_back({0, 100, feet(random), feet(random)});
        }
        const ViewTransform view(500, 500, 1024);
        // A pointer within 8 pixels of a random end or centre.
        const bool area = round % 3 == 0;
        const size_t i = static_cast<size_t>(round) % 6;
        const FeetPointF target = area ? CentreOf(areas[i]) : EndOf(paths[i]);
        const ScreenPoint at = view.ToScreen(target);
        const FeetPointF pointer = view.ToFeet({at.x + within(random), at.y + within(random)});
        const Snapped s = Snap(pointer, view, paths, areas, {});
        ASSERT_EQ(s.kind, SnapKind::Point);
        // Whatever it snapped to is no farther than the target, and is a
        // stored point exactly.
        EXPECT_LE(Distance(pointer, s.point), Distance(pointer, target));
        ASSERT_TRUE(s.target.has_value());
        EXPECT_EQ(PointOf(paths, areas, *s.target), s.point);
        EXPECT_EQ(s.point.x, double(StoredFeet(s.point.x)));
        EXPECT_EQ(s.point.y, double(StoredFeet(s.point.y)));
    }
}

TEST(ConstrainAngle, KeepsTheLengthOnMultiplesOfFifteenDegrees) {
    std::mt19937 random(15);
    std::uniform_real_distribution<double> feet(0, 3280);
    for (int i = 0; i < 2000; ++i) {
        const FeetPointF anchor{feet(random), feet(random)};
        const FeetPointF p{feet(random), feet(random)};
        const FeetPointF c = ConstrainAngle(anchor, p);
        EXPECT_NEAR(Distance(anchor, c), Distance(anchor, p), 1e-6);
        const double heading = Heading(anchor, c);
        const double off = std::remainder(heading, 15.0);
        EXPECT_NEAR(off, 0, 1e-6) << heading;
        const double turned = std::abs(std::remainder(heading - Heading(anchor, p), 360.0));
        EXPECT_LE(turned, 7.5 + 1e-6);
    }
    EXPECT_EQ(ConstrainAngle({5, 5}, {5, 5}), (FeetPointF{5, 5}));
    const FeetPointF level = ConstrainAngle({0, 0}, {3, 100});  // nearly straight across
    EXPECT_NEAR(level.x, 0, 1e-9);
    EXPECT_NEAR(level.y, std::hypot(3, 100), 1e-9);
}

TEST(PlacePoint, ShiftConstrainsFromTheOpenPointInsteadOfSnapping) {
    const Tables t;
    const FeetPointF near{305, 397};  // within reach of the joint
    EXPECT_EQ(PlacePoint(near, t.view, t.paths, t.areas, {}, std::nullopt, true).point,
              (FeetPointF{300, 400}));
    EXPECT_EQ(PlacePoint(near, t.view, t.paths, t.areas, {}, FeetPointF{0, 0}, false).point,
              (FeetPointF{300, 400}));
    const Snapped held = PlacePoint(near, t.view, t.paths, t.areas, {}, FeetPointF{0, 0}, true);
    EXPECT_EQ(held.kind, SnapKind::None);
    EXPECT_NEAR(std::remainder(Heading({0, 0}, held.point), 15.0), 0, 1e-9);
    EXPECT_NEAR(Distance({0, 0}, held.point), Distance({0, 0}, near), 1e-9);
}

TEST(Heading, ClockwiseFromUpTheImage) {
    const std::pair<FeetPointF, double> cases[] = {
        {{100, 0}, 0}, {{0, 100}, 90}, {{-100, 0}, 180}, {{0, -100}, 270}, {{100, 100}, 45},
    };
    for (const auto& [to, heading] : cases) EXPECT_DOUBLE_EQ(Heading({0, 0}, to), heading);
}

TEST(EntryPoints, JoinedEndsAndWholePaths) {
    const Tables t;
    struct Case {
        PointRef ref;
        std::optional<PointRef> joined;
    };
    const Case cases[] = {
        {{PointRole::End, 1}, PointRef{PointRole::Start, 2}},
        {{PointRole::Start, 2}, PointRef{PointRole::End, 1}},
        {{PointRole::Start, 1}, std::nullopt},  // begins its path
        {{PointRole::End, 2}, std::nullopt},    // segment 3 begins another
        {{PointRole::Start, 3}, std::nullopt},
        {{PointRole::End, 3}, std::nullopt},  // the last
        {{PointRole::End, 4}, std::nullopt},  // no such segment
        {{PointRole::End, 0}, std::nullopt},
        {{PointRole::Centre, 1}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(JoinedPoint(t.paths, c.ref), c.joined) << c.ref.entry;

    EXPECT_EQ(PathOf(t.paths, 1), (SegmentRun{1, 2}));
    EXPECT_EQ(PathOf(t.paths, 2), (SegmentRun{1, 2}));
    EXPECT_EQ(PathOf(t.paths, 3), (SegmentRun{3, 3}));
    EXPECT_EQ(PathOf(t.paths, 9), (SegmentRun{0, 0}));
    EXPECT_NEAR(RunLength(t.paths, {1, 2}), 2 * std::hypot(200, 200), 1e-9);
    EXPECT_EQ(RunLength(t.paths, {0, 0}), 0);

    EXPECT_EQ(PointOf(t.paths, t.areas, {PointRole::Start, 1}), (FeetPointF{100, 200}));
    EXPECT_EQ(PointOf(t.paths, t.areas, {PointRole::Centre, 1}), (FeetPointF{1000, 1000}));
    EXPECT_EQ(PointOf(t.paths, t.areas, {PointRole::Centre, 2}), std::nullopt);
    EXPECT_EQ(PointOf(t.paths, t.areas, {PointRole::Start, -1}), std::nullopt);
}

// A tile of the file whose segment 2 continues segment 1 (they meet in whole
// feet) but starts a fraction of a foot off its end.
TEST(EntryPoints, ADraggedEndTakesTheEndsOnItAndItsJoinedEndEvenAFractionOff) {
    const std::vector<WorkingPath> paths = {
        {1, 50, 10, 20, 30.4f, 40.6f, true},
        {1, 50, 30.9f, 40.2f, 50, 60, false},
        {1, 50, 30.4f, 40.6f, 70, 80, true},  // a branch on segment 1's end
        {1, 50, 30.9f, 40.2f, 90, 90, true},  // a branch on segment 2's start
    };
    using R = PointRole;
    struct Case {
        PointRef dragged;
        bool alone;
        std::vector<PointRef> moved;
    };
    const Case cases[] = {
        {{R::End, 1}, false, {{R::End, 1}, {R::Start, 2}, {R::Start, 3}}},
        {{R::Start, 2}, false, {{R::Start, 2}, {R::End, 1}, {R::Start, 4}}},
        {{R::Start, 3}, false, {{R::Start, 3}, {R::End, 1}}},
        {{R::End, 1}, true, {{R::End, 1}}},
        {{R::End, 4}, false, {{R::End, 4}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EndsMovedWith(paths, c.dragged, c.alone), c.moved)
            << c.dragged.entry << (c.alone ? " alone" : "");
    }
}

}  // namespace
}  // namespace lorvane
