#pragma once
// The tile viewer's view: zoom and pan, and the conversions between the
// viewer's pixels and tile feet.
//
// A tile is TILE_SPAN feet on a side. X runs up the image from its bottom
// edge, Y to the right from its left edge.

#include <cstdint>
#include <optional>

namespace lorvane {

inline constexpr int32_t TILE_SPAN = 3280;

// A double cut toward zero to an int32, saturated at ±2147483647; NaN is 0.
int32_t CutTowardZero(double value);
// A double rounded to the nearest whole number as an int32 (how feet are
// shown), saturated at ±2147483647; NaN is 0.
int32_t WholeFeet(double value);

// The resizable viewer shows the tile as a square (the same feet per pixel
// across and up) that can be zoomed and panned. Every conversion between
// screen pixels and tile feet goes through one ViewTransform.

// A point in the viewer's own pixels: origin at its top-left corner, y down.
struct ScreenPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// A point of the tile in feet, as stored: x up from the bottom edge of the
// image, y across from its left edge.
struct FeetPointF {
    double x = 0;
    double y = 0;
    bool operator==(const FeetPointF&) const = default;
};

// One scroll bar: value runs from 0 to maximum, page is the viewport's length.
struct ScrollRange {
    int maximum = 0;
    int page = 0;
    int value = 0;
    bool operator==(const ScrollRange&) const = default;
};

// The deepest zoom shows at least this many screen pixels per image pixel.
inline constexpr double kDeepestPixelsPerImagePixel = 32;
// One zoom step (Ctrl+= / Ctrl+-, one notch of the wheel) multiplies the
// scale by this.
inline constexpr double kZoomStep = 1.25;
// The view can be panned this far past each edge of the tile (where the
// neighbours of the tile in the theater show), and zoomed out until the
// tile and this margin all round fit the viewport.
inline constexpr double kPanMarginFeet = TILE_SPAN / 2.0;

class ViewTransform {
  public:
    // A view that fits the tile of an image imagePixels wide into the viewport.
    explicit ViewTransform(double viewportWidth = 1, double viewportHeight = 1,
                           int32_t imagePixels = 1024);

    // The viewer was resized. A fitted view fits again; otherwise the point
    // at the viewport's centre stays at its centre.
    void SetViewport(double width, double height);
    // The tile on screen has an image this many pixels across (its larger
    // side); this sets the zoom limits and fits the tile.
    void SetImagePixels(int32_t pixels);

    double viewportWidth() const { return width_; }
    double viewportHeight() const { return height_; }
    int32_t imagePixels() const { return imagePixels_; }
    // Screen pixels per foot.
    double scale() const { return scale_; }
    // The screen position of the tile's top-left corner (x = TILE_SPAN, y = 0).
    ScreenPoint offset() const { return offset_; }
    // True until the view is zoomed or panned away from the fitted view.
    bool fitted() const { return fitted_; }
    // Screen pixels per image pixel.
    double PixelsPerImagePixel() const;
    // The zoom limits in screen pixels per foot: from the smaller of the
    // scale that fits the tile with its margins and the one-to-one scale up
    // to kDeepestPixelsPerImagePixel screen pixels per image pixel (or the
    // fitted scale, if larger).
    double MinScale() const;
    double MaxScale() const;

    ScreenPoint ToScreen(FeetPointF feet) const;
    FeetPointF ToFeet(ScreenPoint screen) const;
    double ToPixels(double feet) const { return feet * scale_; }
    double ToFeet(double pixels) const { return pixels / scale_; }

    // The whole tile, centred.
    void Fit();
    // The box between two points of the tile and marginFeet around it, as
    // large as the zoom limits allow, centred as far as the pan margins
    // allow.
    void ShowFeet(FeetPointF a, FeetPointF b, double marginFeet);
    // One image pixel per screen pixel, about the viewport's centre.
    void OneToOne();
    // Multiplies the scale by factor (within the limits) so that the point
    // under anchor stays under it, as far as the pan margins allow; zooms
    // about the same anchor with nothing else between them hold the point
    // that was under it at the first.
    void ZoomAbout(double factor, ScreenPoint anchor);
    // steps × kZoomStep about the viewport's centre (negative: out).
    void ZoomSteps(double steps);
    // Moves the picture by (dx, dy) screen pixels, no further than the pan
    // margins.
    void PanBy(double dx, double dy);
    // Where the scroll bars are (their range is the tile and its margins);
    // ScrollTo moves the view to their values.
    ScrollRange HorizontalScroll() const;
    ScrollRange VerticalScroll() const;
    void ScrollTo(int horizontal, int vertical);

  private:
    double FitScale() const;
    void SetScale(double scale);
    // Centres the tile along an axis where the tile and its margins are
    // smaller than the viewport, and elsewhere keeps the viewport inside
    // them.
    void KeepInView();
    // The pan margin in screen pixels.
    double MarginPixels() const { return kPanMarginFeet * scale_; }

    double width_ = 1;
    double height_ = 1;
    int32_t imagePixels_ = 1024;
    double scale_ = 1;
    ScreenPoint offset_;
    bool fitted_ = true;
    struct ZoomHold {
        ScreenPoint anchor;
        FeetPointF feet;
    };
    std::optional<ZoomHold> zoomHold_;
};

// The zoom factor of a wheel turn: kZoomStep per notch of 120 units.
double WheelZoomFactor(int angleDelta);

// A coordinate in feet as the tables keep it: a float held on the tile (0 to
// TILE_SPAN), its fraction kept; NaN is 0.
float StoredFeet(double feet);

}  // namespace lorvane
