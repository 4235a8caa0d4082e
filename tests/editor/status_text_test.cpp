#include "editor/status_text.h"

#include <gtest/gtest.h>

namespace lorvane {
namespace {

TEST(StatusText, PointerZoomSegmentRadiusSnap) {
    EXPECT_EQ(PointerStatus({1640.4, 819.6}), "X 1640 ft  Y 820 ft");
    EXPECT_EQ(PointerStatus({-20, 3400}), "X 0 ft  Y 3280 ft");  // held on the tile

    ViewTransform view(328, 328, 1024);  // 10 feet a pixel
    EXPECT_EQ(ZoomStatus(view), "Zoom 32% (10 ft/px)");
    view.OneToOne();
    EXPECT_EQ(ZoomStatus(view), "Zoom 100% (3.2 ft/px)");
    view.ZoomSteps(100);
    EXPECT_EQ(ZoomStatus(view), "Zoom 3200% (0.1 ft/px)");

    struct Case {
        FeetPointF anchor, pointer;
        double before;
        const char* text;
    };
    const Case cases[] = {
        {{0, 0}, {300, 400}, 0, "Segment 500 ft, heading 053\u00b0  Path 500 ft"},
        {{1000, 1000}, {1000, 1100}, 250, "Segment 100 ft, heading 090\u00b0  Path 350 ft"},
        {{1000, 1000}, {900, 1000}, 0, "Segment 100 ft, heading 180\u00b0  Path 100 ft"},
        {{1000, 1000}, {1000, 900}, 0, "Segment 100 ft, heading 270\u00b0  Path 100 ft"},
        {{0, 0}, {1000, -1}, 0, "Segment 1000 ft, heading 000\u00b0  Path 1000 ft"},
        {{5, 5}, {5, 5}, 12, "Segment 0 ft, heading 000\u00b0  Path 12 ft"},
    };
    for (const Case& c : cases) EXPECT_EQ(SegmentStatus(c.anchor, c.pointer, c.before), c.text);

    EXPECT_EQ(RadiusStatus({100, 100}, {400, 500}), "Radius 500 ft");
    EXPECT_EQ(SnapStatus(true), "Snap on");
    EXPECT_EQ(SnapStatus(false), "Snap off");
}

}  // namespace
}  // namespace lorvane
