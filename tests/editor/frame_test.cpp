#include "editor/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame_items.h"

namespace lorvane {
namespace {

using testing::ItemsOf;

// 10 feet a pixel on a 328-pixel square viewer over a 256-pixel image.
struct Scene {
    ViewTransform view{328, 328, 256};
    std::vector<WorkingPath> paths{
        {1, 50, 1000, 1000, 2000, 1000, true},  // Road, red
        {0, 100, 2000, 1000, 2000, 3000},       // River, cyan
    };
    std::vector<WorkingArea> areas{{6, 300, 2500, 2500}};  // Rocky, blue

    FrameInput Input() const { return {view, 256, 256, paths, areas}; }
};

TEST(BuildFrame, ImageThenBandsWithCentreLinesThenDiscs) {
    const Scene s;
    const std::vector<FrameItem> items = BuildFrame(s.Input());
    const std::vector<FrameItem> expected = {
        FrameImage{{0, 0, 256, 256}, {0, 0, 328, 328}},
        FrameBand{{100, 228}, {100, 128}, 5, {255, 0, 0, kBandAlpha}},
        FrameLine{{100, 228}, {100, 128}, {255, 0, 0, 255}, 2},
        FrameBand{{100, 128}, {300, 128}, 10, {0, 255, 255, kBandAlpha}},
        FrameLine{{100, 128}, {300, 128}, {0, 255, 255, 255}, 2},
        FrameCircle{{250, 78},
                    30,
                    {0, 0, 255, kDiscAlpha},
                    {0, 0, 255, 255},
                    2,
                    LineStyle::Solid,
                    {255, 255, 255, 255}},  // white under dark blue
    };
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_TRUE(items[i] == expected[i]) << i;
}

TEST(BuildFrame, ShowPathsAndShowAreasHideThem) {
    const Scene s;
    FrameInput input = s.Input();
    input.showPaths = false;
    EXPECT_TRUE(ItemsOf<FrameLine>(BuildFrame(input)).empty());
    EXPECT_TRUE(ItemsOf<FrameBand>(BuildFrame(input)).empty());
    EXPECT_EQ(ItemsOf<FrameCircle>(BuildFrame(input)).size(), 1u);
    input.showPaths = true;
    input.showAreas = false;
    EXPECT_EQ(ItemsOf<FrameLine>(BuildFrame(input)).size(), 2u);
    EXPECT_EQ(ItemsOf<FrameBand>(BuildFrame(input)).size(), 2u);
    EXPECT_TRUE(ItemsOf<FrameCircle>(BuildFrame(input)).empty());
}

TEST(BuildFrame, BandsScaleWithTheZoomAndWhatIsOffScreenIsLeftOut) {
    Scene s;
    // Zoomed about the road's start: only the road is near the viewport.
    s.view.ZoomAbout(8, s.view.ToScreen({1000, 1000}));
    const std::vector<FrameItem> items = BuildFrame(s.Input());
    const std::vector<FrameBand> bands = ItemsOf<FrameBand>(items);
    const std::vector<FrameLine> lines = ItemsOf<FrameLine>(items);
    ASSERT_EQ(bands.size(), 1u);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(bands[0].width, 50 * s.view.scale());
    EXPECT_EQ(lines[0].width, 2);  // the centre line keeps its pen's width
    EXPECT_TRUE(ItemsOf<FrameCircle>(items).empty());
    // The image: only the part in view, source and target in proportion.
    const std::vector<FrameImage> images = ItemsOf<FrameImage>(items);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].target, (ScreenRect{0, 0, 328, 328}));
    const double perImagePixel = s.view.PixelsPerImagePixel();
    EXPECT_NEAR(images[0].source.width, 328 / perImagePixel, 1e-9);
    EXPECT_NEAR(images[0].source.left, -s.view.offset().x / perImagePixel, 1e-9);
    EXPECT_NEAR(images[0].source.top, -s.view.offset().y / perImagePixel, 1e-9);
}

TEST(BuildFrame, LinesAreCutAtTheViewportOnTheirOwnCourse) {
    Scene s;
    // A long diagonal across the whole tile, and a circle about the centre.
    s.paths = {{1, 50, 0, 0, 3280, 3280}};
    s.areas = {{0, 1000, 1640, 1640}};
    const auto onLine = [](ScreenPoint p, ScreenPoint a, ScreenPoint b) {
        return std::abs((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / Distance(a, b);
    };
    for (int i = 0; i < 60; ++i) {
        s.view.ZoomSteps(i % 9 == 0 ? -6 : 1);
        s.view.PanBy(i * 37 % 300 - 150, i * 53 % 300 - 150);
        const ScreenPoint a = s.view.ToScreen({0, 0});
        const ScreenPoint b = s.view.ToScreen({3280, 3280});
        for (const FrameLine& line : ItemsOf<FrameLine>(BuildFrame(s.Input()))) {
            for (const ScreenPoint end : {line.from, line.to}) {
                EXPECT_GE(end.x, -line.width - 16.001);
                EXPECT_LE(end.x, 328 + line.width + 16.001);
                EXPECT_GE(end.y, -line.width - 16.001);
                EXPECT_LE(end.y, 328 + line.width + 16.001);
                EXPECT_LT(onLine(end, a, b), 1e-6);
            }
        }
        // The circle is kept while any of it can show, and left out once
        // its rim (2 pixels wide) is beyond the clipping margin.
        const ScreenPoint c = s.view.ToScreen({1640, 1640});
        const double r = s.view.ToPixels(1000);
        const double nearX = std::clamp(c.x, 0.0, 328.0);
        const double nearY = std::clamp(c.y, 0.0, 328.0);
        const double gap = std::hypot(c.x - nearX, c.y - nearY) - r;
        const size_t kept = ItemsOf<FrameCircle>(BuildFrame(s.Input())).size();
        if (gap <= 0) {
            EXPECT_EQ(kept, 1u) << i;
        } else if (gap > 2 + 16) {
            EXPECT_EQ(kept, 0u) << i;
        }
    }
    // A line wholly outside is left out.
    s.view.Fit();
    s.view.ZoomAbout(30, {0, 0});
    s.paths = {{1, 10, 100, 3000, 200, 3100, true}};
    EXPECT_TRUE(ItemsOf<FrameLine>(BuildFrame(s.Input())).empty());
}

TEST(BuildFrame, HighlightRubberBandAndSnapMarkerOnTop) {
    const Scene s;
    FrameInput input = s.Input();
    const Pick first{EntryKind::Path, 1, PickPart::Body};
    input.highlights = std::span(&first, 1);
    input.rubber = RubberBand{false, {2000, 3000}, {1000, 3000}, PathPens[1], 50};
    input.snap = Snapped{{1000, 3000}, SnapKind::Grid, std::nullopt};
    const std::vector<FrameItem> items = BuildFrame(input);
    const std::vector<FrameItem> top(items.end() - 6, items.end());
    const std::vector<FrameItem> expected = {
        FrameLine{{100, 228}, {100, 128}, kHighlight, 2, LineStyle::Dashed},
        FrameHandle{{100, 228}},
        FrameHandle{{100, 128}},
        FrameBand{{300, 128}, {300, 228}, 5, {255, 0, 0, kBandAlpha}},
        FrameLine{{300, 128}, {300, 228}, {255, 0, 0, 255}, 2, LineStyle::Dashed},
        FrameMarker{{300, 228}, SnapKind::Grid},
    };
    for (size_t i = 0; i < top.size(); ++i) EXPECT_TRUE(top[i] == expected[i]) << i;

    // An area's stroke: a disc to the pointer and the line of its radius;
    // a snap of kind None shows no marker; a stale highlight draws nothing.
    const Pick stale{EntryKind::Area, 7, PickPart::Rim};
    input.highlights = std::span(&stale, 1);
    input.rubber = RubberBand{true, {1000, 1000}, {1000, 1400}, AreaPens[0], 0};
    input.snap = Snapped{};
    const std::vector<FrameItem> area = BuildFrame(input);
    EXPECT_TRUE(ItemsOf<FrameMarker>(area).empty());
    EXPECT_TRUE(ItemsOf<FrameHandle>(area).empty());
    EXPECT_TRUE(area[area.size() - 2] ==
                FrameItem(FrameCircle{{100, 228},
                                      40,
                                      {0, 255, 255, kDiscAlpha},
                                      {0, 255, 255, 255},
                                      2,
                                      LineStyle::Dashed,
                                      {0, 0, 0, 255}}));  // black under cyan
    EXPECT_TRUE(
        area.back() ==
        FrameItem(FrameLine{{100, 228}, {140, 228}, {0, 255, 255, 255}, 1, LineStyle::Dashed}));
}

// Every area type's disc has an outline of the two extremes farther from its
// rim's brightness, so that it shows over ground of its own colour.
TEST(BuildFrame, EveryAreaRimHasAContrastingOutline) {
    const auto luma = [](const Rgba& c) {
        return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
    };
    for (size_t type = 0; type < AreaPens.size(); ++type) {
        SCOPED_TRACE(type);
        Scene s;
        s.areas = {WorkingArea{static_cast<int32_t>(type), 500, 2000, 2000}};
        const std::vector<FrameCircle> discs = ItemsOf<FrameCircle>(BuildFrame(s.Input()));
        ASSERT_EQ(discs.size(), 1u);
        const FrameCircle& disc = discs[0];
        EXPECT_EQ(disc.outline.alpha, 255);
        EXPECT_GE(std::abs(luma(disc.outline) - luma(disc.rim)), 127.0);
        EXPECT_TRUE(disc.outline == (Rgba{0, 0, 0, 255}) ||
                    disc.outline == (Rgba{255, 255, 255, 255}));
    }
}

// Zoomed out all the way (the tile and its half-tile margins fill the 328
// pixels, 20 feet a pixel) the tile lies at 82 to 246 each way.
TEST(BuildFrame, NeighboursLieOnTheirSquaresUnderTheTileCutToTheViewport) {
    Scene s;
    s.view.ZoomSteps(-20);
    ASSERT_DOUBLE_EQ(s.view.scale(), 328.0 / 6560);
    auto picture = std::make_shared<const PcxImage>();
    const std::vector<WorkingPath> across = {{1, 60, 1640, 0, 1640, 3280, true}};  // Road
    const std::vector<NeighbourInput> neighbours = {
        {{0, 3280}, nullptr, 0, across},      // to the right, no image
        {{3280, -3280}, picture, 7, across},  // up and to the left
        {{0, 6560}, picture, 7, across},      // two tiles away: out of view
        {{-3280, 0}, picture, 9, {}},         // below
    };
    FrameInput input = s.Input();
    input.neighbours = neighbours;
    const std::vector<FrameItem> items = BuildFrame(input);
    const std::vector<FrameNeighbour> shown = ItemsOf<FrameNeighbour>(items);
    ASSERT_EQ(shown.size(), 3u);
    // All before the tile's own image.
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_TRUE(std::holds_alternative<FrameNeighbour>(items[i])) << i;
    EXPECT_TRUE(std::holds_alternative<FrameImage>(items[3]));

    const FrameNeighbour& right = shown[0];
    EXPECT_EQ(right.square, (ScreenRect{246, 82, 82, 164}));
    EXPECT_FALSE(right.image);
    EXPECT_EQ(right.opacity, kNeighbourOpacity);
    // Its road runs across its middle, from the tile's edge to past the
    // viewport's (the painter cuts it to the square).
    ASSERT_EQ(right.lines.size(), 1u);
    ASSERT_EQ(right.bands.size(), 1u);
    EXPECT_EQ(right.lines[0].from, (ScreenPoint{246, 164}));
    EXPECT_LE(right.lines[0].to.x, 328 + 20);
    EXPECT_EQ(right.lines[0].colour, Opaque(PathPens[1]));
    EXPECT_DOUBLE_EQ(right.bands[0].width, 3);

    // An image of no pixels shows nothing of it.
    const FrameNeighbour& upLeft = shown[1];
    EXPECT_EQ(upLeft.square, (ScreenRect{0, 0, 82, 82}));
    EXPECT_FALSE(upLeft.image);
    EXPECT_EQ(upLeft.picture, picture);
    EXPECT_EQ(upLeft.pictureKey, 7u);
    EXPECT_EQ(shown[2].square, (ScreenRect{82, 246, 164, 82}));
    EXPECT_TRUE(shown[2].lines.empty());

    // Hidden paths hide the neighbours' too.
    input.showPaths = false;
    for (const FrameNeighbour& n : ItemsOf<FrameNeighbour>(BuildFrame(input)))
        EXPECT_TRUE(n.lines.empty() && n.bands.empty());
}

TEST(BuildFrame, ANeighboursImageShowsThePartOnItsSquareInView) {
    Scene s;
    s.view.ZoomSteps(-20);
    PcxImage image;
    image.width = 256;
    image.height = 256;
    const auto picture = std::make_shared<const PcxImage>(image);
    const std::vector<NeighbourInput> neighbours = {{{3280, -3280}, picture, 1, {}},
                                                    {{0, 3280}, picture, 1, {}}};
    FrameInput input = s.Input();
    input.neighbours = neighbours;
    const std::vector<FrameNeighbour> shown = ItemsOf<FrameNeighbour>(BuildFrame(input));
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_TRUE(shown[0].image);
    EXPECT_EQ(*shown[0].image, (FrameImage{{128, 128, 128, 128}, {0, 0, 82, 82}}));
    ASSERT_TRUE(shown[1].image);
    EXPECT_EQ(*shown[1].image, (FrameImage{{0, 0, 128, 256}, {246, 82, 82, 164}}));
}

// The tile fitted to the viewer: its edges are the viewport's. A marker on
// an edge, or a snap to a corner, is drawn moved inward so that all of it
// shows; one well outside the view is left out.
TEST(BuildFrame, MarkersOnTheViewportsEdgesAreDrawnWhole) {
    const Scene s;
    const std::vector<NeighbourMarker> markers = {
        {{3280, 1000}, 1, 60, 3}, {{0, 0}, 0, 100, 1}, {{1640, 3280}, 2, 30, 12}};
    FrameInput input = s.Input();
    input.edgeMarkers = markers;
    input.snap = Snapped{{3280, 0}, SnapKind::Corner, std::nullopt};
    const std::vector<FrameItem> items = BuildFrame(input);
    const std::vector<FrameEdgeMarker> shown = ItemsOf<FrameEdgeMarker>(items);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].at, (ScreenPoint{100, kMarkerReach}));
    EXPECT_EQ(shown[1].at, (ScreenPoint{kMarkerReach, 328 - kMarkerReach}));
    EXPECT_EQ(shown[2].at, (ScreenPoint{328 - kMarkerReach, 164}));
    EXPECT_EQ(shown[0].places, 3u);
    EXPECT_EQ(ItemsOf<FrameMarker>(items).back().at, (ScreenPoint{kMarkerReach, kMarkerReach}));

    ViewTransform zoomed{328, 328, 256};
    zoomed.ZoomAbout(8, {164, 164});
    EXPECT_TRUE(ItemsOf<FrameEdgeMarker>(BuildFrame({zoomed,
                                                     256,
                                                     256,
                                                     {},
                                                     {},
                                                     true,
                                                     true,
                                                     {},
                                                     std::nullopt,
                                                     std::nullopt,
                                                     std::nullopt,
                                                     markers}))
                    .empty());
}

// Every path type's marker is outlined in the extreme farther from its
// colour, so that it shows on a road of its own colour.
TEST(BuildFrame, EveryEdgeMarkerHasAContrastingOutline) {
    const auto luma = [](const Rgba& c) {
        return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
    };
    for (size_t type = 0; type < PathPens.size(); ++type) {
        SCOPED_TRACE(type);
        const Scene s;
        const std::vector<NeighbourMarker> markers = {
            {{1000, 3280}, static_cast<int32_t>(type), 60, 1}};
        FrameInput input = s.Input();
        input.edgeMarkers = markers;
        const std::vector<FrameEdgeMarker> shown = ItemsOf<FrameEdgeMarker>(BuildFrame(input));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].colour, Opaque(PathPens[type]));
        EXPECT_GE(std::abs(luma(shown[0].outline) - luma(shown[0].colour)), 127.0);
    }
}

TEST(PlaceLabel, BesideTheMarkWhollyInsideTheViewport) {
    struct Case {
        ScreenPoint at;
        ScreenRect label;
    };
    // A label of 30 × 14 in a viewport of 300 × 200.
    const Case cases[] = {
        {{100, 100}, {107, 81, 30, 14}},  // up and to the right
        {{292, 100}, {255, 81, 30, 14}},  // at the right edge: to the left
        {{100, 8}, {107, 13, 30, 14}},    // at the top: below
        {{292, 192}, {255, 173, 30, 14}}, {{8, 8}, {15, 13, 30, 14}},
        {{150, 199}, {157, 180, 30, 14}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaceLabel(c.at, 30, 14, 300, 200), c.label) << c.at.x;
    // Anywhere a mark is drawn, its label is inside and clear of its diamond.
    for (double x = kMarkerReach; x <= 300 - kMarkerReach; x += 7) {
        for (double y = kMarkerReach; y <= 200 - kMarkerReach; y += 5) {
            const ScreenRect label = PlaceLabel({x, y}, 42, 16, 300, 200);
            EXPECT_GE(label.left, 0);
            EXPECT_GE(label.top, 0);
            EXPECT_LE(label.Right(), 300);
            EXPECT_LE(label.Bottom(), 200);
            EXPECT_TRUE(label.left > x + 5 || label.Right() < x - 5) << x << " " << y;
        }
    }
}

TEST(BuildFrame, NoImageBeforeATileIsLoaded) {
    const Scene s;
    FrameInput input = s.Input();
    input.imageWidth = 0;
    EXPECT_TRUE(ItemsOf<FrameImage>(BuildFrame(input)).empty());
}

}  // namespace
}  // namespace lorvane
