#include "editor/viewer_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lorvane {

namespace {
constexpr int32_t kImageInset = 3;  // the image area lies 3 pixels inside the viewer frame
}

int32_t CutTowardZero(double value) {
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -kLimit, kLimit));
}

ViewerPlacement PlacementForImage(int32_t width, int32_t height) {
    return {width,
            height,
            {-kImageInset, -kImageInset, width - 1 + kImageInset, height - 1 + kImageInset}};
}

ViewerGeometry ViewerSetup(const ViewerPlacement& placement) {
    ViewerGeometry geometry;
    geometry.destinationWidth = placement.clientWidth;
    geometry.destinationHeight = placement.clientHeight;
    const ImageArea& frame = placement.windowRect;
    geometry.imageArea = {frame.left + kImageInset, frame.top + kImageInset,
                          frame.right - kImageInset, frame.bottom - kImageInset};
    // A viewer too small for an image area would divide by zero or less.
    const int32_t width = std::max(geometry.imageArea.Width(), 1);
    const int32_t height = std::max(geometry.imageArea.Height(), 1);
    geometry.horizontalScale = static_cast<float>(TILE_SPAN) / static_cast<float>(width);
    geometry.verticalScale = static_cast<float>(TILE_SPAN) / static_cast<float>(height);
    return geometry;
}

int32_t PixelToTile(const ViewerGeometry& geometry, int32_t pixel, Axis axis) {
    const ImageArea& area = geometry.imageArea;
    if (axis == Axis::Horizontal) {
        return CutTowardZero((static_cast<double>(pixel) - area.left) *
                             double{geometry.horizontalScale});
    }
    return CutTowardZero((static_cast<double>(area.bottom) - pixel) *
                         double{geometry.verticalScale});
}

int32_t TileToPixel(const ViewerGeometry& geometry, int32_t feet, Axis axis) {
    const ImageArea& area = geometry.imageArea;
    if (axis == Axis::Horizontal) {
        return CutTowardZero(static_cast<double>(feet) / double{geometry.horizontalScale});
    }
    const int32_t rows = CutTowardZero(static_cast<double>(feet) / double{geometry.verticalScale});
    return CutTowardZero(static_cast<double>(area.bottom) - rows - area.top);
}

}  // namespace lorvane
