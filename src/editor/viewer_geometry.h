#pragma once
// The tile viewer's geometry: where the image lies in the editor panel and
// the conversions between viewer pixels and tile feet.
//
// A tile is TILE_SPAN feet on a side. X runs up the image from its bottom
// edge, Y to the right from its left edge. Conversions multiply or divide in
// double precision by the float feet-per-pixel scales and cut toward zero.

#include <cstdint>

namespace lorvane {

inline constexpr int32_t TILE_SPAN = 3280;

// A rectangle in pixels; bounds included where a point is tested against it.
struct ImageArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // left ≤ x ≤ right and top ≤ y ≤ bottom.
    bool Contains(int32_t x, int32_t y) const {
        return left <= x && x <= right && top <= y && y <= bottom;
    }
    bool operator==(const ImageArea&) const = default;
};

// Where the viewer control sits: its client size, and its normal window
// rectangle in the editor panel's client coordinates.
struct ViewerPlacement {
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    ImageArea windowRect;
};

struct ViewerGeometry {
    // The image is always stretched to exactly the viewer's client size.
    int32_t destinationWidth = 0;
    int32_t destinationHeight = 0;
    // The viewer's window rectangle moved 3 pixels inwards on every side, in
    // panel client coordinates: mouse positions are tested against it.
    ImageArea imageArea;
    // Feet per pixel: TILE_SPAN ÷ imageArea width (height).
    float horizontalScale = 1;
    float verticalScale = 1;

    // The part of the viewer drawn on: (0, 0) to the image area's size.
    ImageArea ClipRect() const { return {0, 0, imageArea.Width(), imageArea.Height()}; }
};

// A viewer whose image area covers a width × height image with the tile's
// edges on its first and last pixels: image area (0, 0) to (width − 1,
// height − 1), in the image's own pixels.
ViewerPlacement PlacementForImage(int32_t width, int32_t height);

// The geometry of a viewer placed as given. An image area less than one
// pixel wide or high is taken as one pixel for the scales.
ViewerGeometry ViewerSetup(const ViewerPlacement& placement);

enum class Axis { Horizontal, Vertical };

// A panel client coordinate (as mouse input gives it) to whole tile feet:
// horizontal Y = (pixel − left) × horizontal scale,
// vertical   X = (bottom − pixel) × vertical scale.
int32_t PixelToTile(const ViewerGeometry& geometry, int32_t pixel, Axis axis);

// Tile feet to a viewer client coordinate (as drawing needs it):
// horizontal Y ÷ horizontal scale,
// vertical   bottom − (X ÷ vertical scale, cut) − top.
int32_t TileToPixel(const ViewerGeometry& geometry, int32_t feet, Axis axis);

// A double cut toward zero to an int32, saturated at ±2147483647; NaN is 0.
int32_t CutTowardZero(double value);

}  // namespace lorvane
