#include "editor/picking.h"

#include <gtest/gtest.h>

#include <vector>

namespace lorvane {
namespace {

// 10 feet a pixel. A road up the image 50 feet wide (a band of 5 pixels), a
// river beside it, and an area of radius 300 feet (30 pixels).
struct Scene {
    std::vector<WorkingPath> paths{
        {1, 50, 1000, 1000, 2000, 1000, true},
        {0, 10, 1000, 1500, 2000, 1500, true},
    };
    std::vector<WorkingArea> areas{{0, 300, 2500, 2500}};
    ViewTransform view{328, 328, 256};

    ScreenPoint At(double x, double y, double dx = 0, double dy = 0) const {
        const ScreenPoint p = view.ToScreen({x, y});
        return {p.x + dx, p.y + dy};
    }
};

TEST(PickAt, NearestEntryAndPartWithinAFewPixels) {
    const Scene s;
    struct Case {
        const char* what;
        ScreenPoint pointer;
        std::optional<Pick> pick;
    };
    const Case cases[] = {
        {"start", s.At(1000, 1000, 3, 2), Pick{EntryKind::Path, 1, PickPart::Start}},
        {"end", s.At(2000, 1000, -2, 4), Pick{EntryKind::Path, 1, PickPart::End}},
        {"inside the band", s.At(1500, 1000, 2, 0), Pick{EntryKind::Path, 1, PickPart::Body}},
        {"beside the band", s.At(1500, 1000, 7, 0), Pick{EntryKind::Path, 1, PickPart::Body}},
        {"too far", s.At(1500, 1000, 8, 0), std::nullopt},
        {"thin river", s.At(1500, 1500, -4.5, 0), Pick{EntryKind::Path, 2, PickPart::Body}},
        {"centre", s.At(2500, 2500, 1, -3), Pick{EntryKind::Area, 1, PickPart::Centre}},
        {"rim", s.At(2500, 2800, 0, 0), Pick{EntryKind::Area, 1, PickPart::Rim}},
        {"rim, just outside", s.At(2500, 2500, 34, 0), Pick{EntryKind::Area, 1, PickPart::Rim}},
        {"inside the disc", s.At(2500, 2500, 15, 0), std::nullopt},
        {"nothing", s.At(300, 3000), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickAt(c.pointer, s.view, s.paths, s.areas), c.pick) << c.what;
}

TEST(PickAt, HiddenEntriesHandlesFirstAndTheTopmostOfEquals) {
    Scene s;
    const ScreenPoint onRoad = s.At(1500, 1000);
    EXPECT_EQ(PickAt(onRoad, s.view, s.paths, s.areas, {kPickPixels, false, true}), std::nullopt);
    EXPECT_EQ(PickAt(s.At(2500, 2500), s.view, s.paths, s.areas, {kPickPixels, true, false}),
              std::nullopt);
    // An end beside another segment's band: the end is taken.
    s.paths.push_back({1, 50, 1500, 980, 1500, 700, true});
    EXPECT_EQ(PickAt(s.At(1500, 985), s.view, s.paths, s.areas),
              (Pick{EntryKind::Path, 3, PickPart::Start}));
    // Two segments on the same line: the one drawn last.
    s.paths.push_back(s.paths[0]);
    EXPECT_EQ(PickAt(s.At(1250, 1000), s.view, s.paths, s.areas),
              (Pick{EntryKind::Path, 4, PickPart::Body}));
    // A joint: the continuing segment's start (drawn after the end it meets).
    s.paths.push_back({1, 50, 2000, 1000, 2600, 1000});
    EXPECT_EQ(PickAt(s.At(2000, 1000), s.view, s.paths, s.areas),
              (Pick{EntryKind::Path, 5, PickPart::Start}));
}

TEST(PickAt, ReachIsInScreenPixelsAtEveryZoom) {
    Scene s;
    s.view.ZoomSteps(10);
    for (double dx : {1.0, 4.0, 4.9}) {
        EXPECT_EQ(PickAt(s.At(2500, 2500, dx, 0), s.view, s.paths, s.areas),
                  (Pick{EntryKind::Area, 1, PickPart::Centre}))
            << dx;
    }
    EXPECT_EQ(PickAt(s.At(2500, 2500, 5.5, 0), s.view, s.paths, s.areas), std::nullopt);
}

TEST(DraggedPoint, EndsAndCentresOnly) {
    EXPECT_EQ(DraggedPoint({EntryKind::Path, 2, PickPart::Start}), (PointRef{PointRole::Start, 2}));
    EXPECT_EQ(DraggedPoint({EntryKind::Path, 2, PickPart::End}), (PointRef{PointRole::End, 2}));
    EXPECT_EQ(DraggedPoint({EntryKind::Area, 3, PickPart::Centre}),
              (PointRef{PointRole::Centre, 3}));
    EXPECT_EQ(DraggedPoint({EntryKind::Path, 2, PickPart::Body}), std::nullopt);
    EXPECT_EQ(DraggedPoint({EntryKind::Area, 3, PickPart::Rim}), std::nullopt);
}

TEST(DistanceToSegment, EndsBodyAndPoints) {
    EXPECT_DOUBLE_EQ(DistanceToSegment({5, 3}, {0, 0}, {10, 0}), 3);
    EXPECT_DOUBLE_EQ(DistanceToSegment({-3, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(DistanceToSegment({13, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(DistanceToSegment({3, 4}, {0, 0}, {0, 0}), 5);
}

}  // namespace
}  // namespace lorvane
