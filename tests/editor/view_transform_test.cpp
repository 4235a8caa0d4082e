#include "editor/view_transform.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace lorvane {
namespace {

constexpr double kSpan = TILE_SPAN;

void ExpectNear(ScreenPoint a, ScreenPoint b, double within, const char* what) {
    EXPECT_NEAR(a.x, b.x, within) << what;
    EXPECT_NEAR(a.y, b.y, within) << what;
}

TEST(ViewTransform, FitShowsTheWholeTileSquareAndCentred) {
    struct Case {
        double width, height;
        double left, top, side;  // the tile's square on screen
    };
    const Case cases[] = {
        {656, 656, 0, 0, 656},
        {800, 600, 100, 0, 600},  // wider than high: centred across
        {300, 500, 0, 100, 300},  // higher than wide: centred up and down
        {1, 1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const ViewTransform view(c.width, c.height, 256);
        EXPECT_TRUE(view.fitted());
        EXPECT_DOUBLE_EQ(view.scale(), c.side / kSpan) << c.width;
        // Top-left corner of the image is X = 3280, Y = 0; bottom-right X = 0, Y = 3280.
        ExpectNear(view.ToScreen({kSpan, 0}), {c.left, c.top}, 1e-9, "top-left");
        ExpectNear(view.ToScreen({0, kSpan}), {c.left + c.side, c.top + c.side}, 1e-9,
                   "bottom-right");
        // The scroll bars span the tile and its margins, the fitted view in
        // their middle.
        for (const ScrollRange& bar : {view.HorizontalScroll(), view.VerticalScroll()}) {
            EXPECT_GT(bar.maximum, 0) << c.width;
            EXPECT_NEAR(bar.value, bar.maximum / 2.0, 1) << c.width;
        }
    }
}

// Random views: a viewport, an image size and a run of zooms and pans.
ViewTransform RandomView(std::mt19937& random) {
    std::uniform_real_distribution<double> size(50, 1500);
    std::uniform_int_distribution<int> image(0, 3);
    std::uniform_real_distribution<double> unit(0, 1);
    ViewTransform view(size(random), size(random), std::array{64, 256, 1024, 2048}[image(random)]);
    const int moves = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < moves; ++i) {
        const ScreenPoint at{unit(random) * view.viewportWidth(),
                             unit(random) * view.viewportHeight()};
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
            case 0:
                view.ZoomAbout(WheelZoomFactor(120 * (1 + image(random))), at);
                break;
            case 1:
                view.ZoomAbout(WheelZoomFactor(-120), at);
                break;
            case 2:
                view.PanBy((unit(random) - 0.5) * 2000, (unit(random) - 0.5) * 2000);
                break;
            case 3:
                view.OneToOne();
                break;
            default:
                view.ZoomSteps(3);
                break;
        }
    }
    return view;
}

TEST(ViewTransform, ScreenToFeetToScreenRoundTripsWithinHalfAPixel) {
    std::mt19937 random(1313);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int round = 0; round < 400; ++round) {
        const ViewTransform view = RandomView(random);
        for (int i = 0; i < 50; ++i) {
            const ScreenPoint p{unit(random) * view.viewportWidth(),
                                unit(random) * view.viewportHeight()};
            ExpectNear(view.ToScreen(view.ToFeet(p)), p, 0.5, "screen -> feet -> screen");
            // A stored whole foot comes back to the same foot.
            const FeetPointF f{double(StoredFeet(unit(random) * kSpan)),
                               double(StoredFeet(unit(random) * kSpan))};
            const FeetPointF back = view.ToFeet(view.ToScreen(f));
            EXPECT_EQ(StoredFeet(back.x), f.x);
            EXPECT_EQ(StoredFeet(back.y), f.y);
        }
        // The tile and its margins always cover the viewport, or the tile is
        // centred in it.
        const double side = view.ToPixels(kSpan);
        const double margin = view.ToPixels(kPanMarginFeet);
        const ScreenPoint corner = view.offset();
        for (const auto& [offset, viewport] : {std::pair{corner.x, view.viewportWidth()},
                                               std::pair{corner.y, view.viewportHeight()}}) {
            if (side + 2 * margin <= viewport) {
                EXPECT_NEAR(offset, (viewport - side) / 2, 1e-9);
            } else {
                EXPECT_LE(offset, margin + 1e-9);
                EXPECT_GE(offset + side + margin, viewport - 1e-9);
            }
        }
        EXPECT_GE(view.scale(), view.MinScale() - 1e-12);
        EXPECT_LE(view.scale(), view.MaxScale() + 1e-12);
    }
}

TEST(ViewTransform, WheelZoomKeepsThePointUnderThePointer) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.05, 0.95);
    for (int round = 0; round < 200; ++round) {
        // Square viewports: from the fitted view every zoom in holds the
        // point; a zoom out holds it while the tile still covers the view.
        const double size = 200 + unit(random) * 800;
        ViewTransform view(size, size, 1024);
        for (int step = 0; step < 8; ++step) {
            const ScreenPoint pointer{unit(random) * size, unit(random) * size};
            const FeetPointF under = view.ToFeet(pointer);
            view.ZoomAbout(WheelZoomFactor(120), pointer);
            ExpectNear(view.ToScreen(under), pointer, 1e-6, "zoom in");
        }
        const ScreenPoint middle{size / 2, size / 2};
        view.PanBy(middle.x - view.ToScreen({kSpan / 2, kSpan / 2}).x,
                   middle.y - view.ToScreen({kSpan / 2, kSpan / 2}).y);
        const ScreenPoint pointer{size * (0.45 + unit(random) * 0.1),
                                  size * (0.45 + unit(random) * 0.1)};
        const FeetPointF under = view.ToFeet(pointer);
        view.ZoomAbout(WheelZoomFactor(-120), pointer);
        ExpectNear(view.ToScreen(under), pointer, 1e-6, "zoom out");
        EXPECT_FALSE(view.fitted());
    }
}

// A viewer wider or taller than the square tile: eight notches over a point
// leave it under the pointer, though the tile is centred while it is smaller
// than the viewport (a point in the outer tenth may come only as near as the
// tile's edges allow).
TEST(ViewTransform, WheelZoomOnAViewerOfAnotherShapeHoldsThePoint) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int round = 0; round < 200; ++round) {
        const bool wide = round % 2 == 0;
        const double width = wide ? 1400 : 700, height = wide ? 1100 : 1300;
        ViewTransform view(width, height, 1024);
        const FeetPointF mark{330 + unit(random) * 2620, 330 + unit(random) * 2620};
        const ScreenPoint pointer = view.ToScreen(mark);
        for (int notch = 0; notch < 8; ++notch) view.ZoomAbout(WheelZoomFactor(120), pointer);
        ExpectNear(view.ToScreen(mark), pointer, 1e-6, "eight notches");
    }
    // Anything else between two zooms starts a new hold.
    ViewTransform view(1400, 1100, 1024);
    view.ZoomAbout(WheelZoomFactor(120), {160, 550});
    view.PanBy(0, 0);
    const FeetPointF under = view.ToFeet({160, 550});
    view.ZoomAbout(WheelZoomFactor(120), {160, 550});
    ExpectNear(view.ToScreen(under), {160, 550}, 1e-6, "after a pan");
}

TEST(ViewTransform, ZoomLimitsOneToOneAndFit) {
    struct Case {
        double viewport;
        int32_t image;
        double deepest;  // screen pixels per image pixel
        double shallowest;
    };
    // Zoomed out the tile and its margins fit: half the fitted scale.
    const Case cases[] = {
        {656, 1024, 32, 656.0 / 1024 / 2},  // the fitted view is below one to one
        {800, 256, 32, 1},                  // one to one is below the view with the margins
        {400, 256, 32, 400.0 / 256 / 2},    // the view with the margins is below one to one
        {600, 16, 600.0 / 16, 1},           // a tiny image: the fitted view is the deepest
    };
    for (const Case& c : cases) {
        ViewTransform view(c.viewport, c.viewport, c.image);
        view.ZoomSteps(100);
        EXPECT_DOUBLE_EQ(view.PixelsPerImagePixel(), c.deepest) << c.image;
        EXPECT_GE(view.PixelsPerImagePixel(), std::min(32.0, c.viewport / c.image));
        view.ZoomSteps(-100);
        EXPECT_DOUBLE_EQ(view.PixelsPerImagePixel(), c.shallowest) << c.image;
        view.OneToOne();
        EXPECT_DOUBLE_EQ(view.PixelsPerImagePixel(), std::min(1.0, c.deepest)) << c.image;
        view.Fit();
        EXPECT_TRUE(view.fitted());
        EXPECT_DOUBLE_EQ(view.scale(), c.viewport / kSpan);
    }
    // Nonsense factors change nothing.
    ViewTransform view(500, 500, 256);
    for (double factor : {0.0, -2.0, std::nan(""), HUGE_VAL}) {
        view.ZoomAbout(factor, {10, 10});
        EXPECT_TRUE(view.fitted());
        EXPECT_DOUBLE_EQ(view.scale(), 500 / kSpan);
    }
}

TEST(ViewTransform, ScrollBarsFollowPansAndMoveTheView) {
    ViewTransform view(400, 300, 1024);
    view.ZoomAbout(4, {50, 0});  // the tile's top-left corner stays
    const double side = view.ToPixels(kSpan);
    const double margin = view.ToPixels(kPanMarginFeet);
    ExpectNear(view.offset(), {50, 0}, 1e-9, "zoomed");
    // Value 0 is the outer edge of the margin at the viewport's edge.
    EXPECT_EQ(view.HorizontalScroll(), (ScrollRange{int(std::lround(side + 2 * margin - 400)), 400,
                                                    int(std::lround(margin - 50))}));
    EXPECT_EQ(view.VerticalScroll(), (ScrollRange{int(std::lround(side + 2 * margin - 300)), 300,
                                                  int(std::lround(margin))}));
    view.PanBy(-120, -70);
    EXPECT_EQ(view.HorizontalScroll().value, int(std::lround(margin - 50 + 120)));
    EXPECT_EQ(view.VerticalScroll().value, int(std::lround(margin + 70)));
    view.ScrollTo(500, 10);
    ExpectNear(view.offset(), {margin - 500, margin - 10}, 1e-9, "scrolled");
    // Never past the margins.
    view.PanBy(1e6, -1e6);
    EXPECT_EQ(view.HorizontalScroll().value, 0);
    EXPECT_EQ(view.VerticalScroll().value, view.VerticalScroll().maximum);
    view.ScrollTo(-50, 1 << 30);
    EXPECT_EQ(view.HorizontalScroll().value, 0);
    EXPECT_EQ(view.VerticalScroll().value, view.VerticalScroll().maximum);
    // Scrolling a fitted view to where its bars are keeps it fitted and
    // exactly where it was.
    ViewTransform fitted(400, 300, 1024);
    const ScreenPoint corner = fitted.offset();
    fitted.ScrollTo(fitted.HorizontalScroll().value, fitted.VerticalScroll().value);
    EXPECT_TRUE(fitted.fitted());
    EXPECT_EQ(fitted.offset(), corner);
}

// How far a view can be panned past the tile's edges: half a tile, at every
// zoom, on a square, a wide and a tall viewport; the fitted view itself
// stays where it always was.
TEST(ViewTransform, PanningStopsHalfATilePastEveryEdge) {
    struct Case {
        double width, height;
        double zoom;  // from the fitted view
    };
    const Case cases[] = {
        {600, 600, 1}, {600, 600, 4}, {900, 500, 1}, {900, 500, 3}, {300, 700, 1}, {500, 500, 0.6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width + c.zoom);
        ViewTransform view(c.width, c.height, 1024);
        const double fit = std::min(c.width, c.height) / kSpan;
        ExpectNear(view.offset(), {(c.width - fit * kSpan) / 2, (c.height - fit * kSpan) / 2}, 1e-9,
                   "fitted");
        if (c.zoom != 1) view.ZoomAbout(c.zoom, {c.width / 2, c.height / 2});
        // Far to the top-left: the tile's top-left corner is half a tile in.
        view.PanBy(1e7, 1e7);
        const FeetPointF topLeft = view.ToFeet({0, 0});
        // Far to the bottom-right: the viewport's corner half a tile out.
        view.PanBy(-1e7, -1e7);
        const FeetPointF bottomRight = view.ToFeet({c.width, c.height});
        const double wide = view.ToPixels(kSpan + 2 * kPanMarginFeet);
        if (wide > c.width) {
            EXPECT_NEAR(topLeft.y, -kPanMarginFeet, 1e-6);
            EXPECT_NEAR(bottomRight.y, kSpan + kPanMarginFeet, 1e-6);
        }
        if (wide > c.height) {
            EXPECT_NEAR(topLeft.x, kSpan + kPanMarginFeet, 1e-6);
            EXPECT_NEAR(bottomRight.x, -kPanMarginFeet, 1e-6);
        }
        // The scroll bars cover the same range.
        EXPECT_EQ(view.HorizontalScroll().value, view.HorizontalScroll().maximum);
        EXPECT_EQ(view.HorizontalScroll().maximum, std::max(0L, std::lround(wide - c.width)));
    }
    // Zoomed out all the way the tile and its margins fit, centred.
    ViewTransform view(800, 500, 1024);
    view.ZoomSteps(-20);
    EXPECT_DOUBLE_EQ(view.ToPixels(kSpan + 2 * kPanMarginFeet), 500);
    ExpectNear(view.ToScreen({kSpan / 2, kSpan / 2}), {400, 250}, 1e-9, "centred");
    view.PanBy(100, 100);
    ExpectNear(view.ToScreen({kSpan / 2, kSpan / 2}), {400, 250}, 1e-9, "no room to pan");
}

TEST(ViewTransform, ResizingRefitsAFittedViewAndKeepsTheCentreOfAZoomedOne) {
    ViewTransform view(400, 400, 1024);
    view.SetViewport(900, 500);
    EXPECT_TRUE(view.fitted());
    EXPECT_DOUBLE_EQ(view.scale(), 500 / kSpan);
    ExpectNear(view.ToScreen({kSpan, 0}), {200, 0}, 1e-9, "centred across");

    view.ZoomAbout(8, {300, 200});
    const FeetPointF centre = view.ToFeet({450, 250});
    const double scale = view.scale();
    view.SetViewport(700, 600);
    EXPECT_DOUBLE_EQ(view.scale(), scale);
    ExpectNear(view.ToScreen(centre), {350, 300}, 1e-9, "centre kept");
    // A new image fits again.
    view.SetImagePixels(256);
    EXPECT_TRUE(view.fitted());
    EXPECT_EQ(view.imagePixels(), 256);
}

TEST(StoredFeet, KeepsTheFractionOnTheTile) {
    const std::pair<double, float> cases[] = {
        {0, 0},    {0.49, 0.49f}, {1639.6, 1639.6f}, {3279.5, 3279.5f}, {-0.4, 0},
        {-100, 0}, {3300, 3280},  {std::nan(""), 0}, {1e300, 3280},
    };
    for (const auto& [feet, stored] : cases) EXPECT_EQ(StoredFeet(feet), stored) << feet;
    // Shown, feet are rounded to whole ones.
    const std::pair<double, int32_t> shown[] = {{0.49, 0},  {0.5, 1},          {1639.6, 1640},
                                                {-2.5, -3}, {std::nan(""), 0}, {1e300, 2147483647}};
    for (const auto& [feet, whole] : shown) EXPECT_EQ(WholeFeet(feet), whole) << feet;
}

TEST(WheelZoomFactor, OneStepPerNotch) {
    EXPECT_DOUBLE_EQ(WheelZoomFactor(120), kZoomStep);
    EXPECT_DOUBLE_EQ(WheelZoomFactor(-120), 1 / kZoomStep);
    EXPECT_DOUBLE_EQ(WheelZoomFactor(240), kZoomStep * kZoomStep);
    EXPECT_DOUBLE_EQ(WheelZoomFactor(0), 1);
    EXPECT_NEAR(WheelZoomFactor(60), std::sqrt(kZoomStep), 1e-12);  // a fine-grained wheel
}

}  // namespace
}  // namespace lorvane
