#include "editor/view_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lorvane {

int32_t CutTowardZero(double value) {
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -kLimit, kLimit));
}

int32_t WholeFeet(double value) {
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::round(value), -kLimit, kLimit));
}

ViewTransform::ViewTransform(double viewportWidth, double viewportHeight, int32_t imagePixels)
    : width_(std::max(viewportWidth, 1.0)),
      height_(std::max(viewportHeight, 1.0)),
      imagePixels_(std::max(imagePixels, 1)) {
    Fit();
}

void ViewTransform::SetViewport(double width, double height) {
    zoomHold_.reset();
    width = std::max(width, 1.0);
    height = std::max(height, 1.0);
    if (fitted_) {
        width_ = width;
        height_ = height;
        Fit();
        return;
    }
    const FeetPointF centre = ToFeet({width_ / 2, height_ / 2});
    width_ = width;
    height_ = height;
    SetScale(scale_);
    const ScreenPoint moved = ToScreen(centre);
    offset_.x += width_ / 2 - moved.x;
    offset_.y += height_ / 2 - moved.y;
    KeepInView();
}

void ViewTransform::SetImagePixels(int32_t pixels) {
    imagePixels_ = std::max(pixels, 1);
    Fit();
}

double ViewTransform::FitScale() const { return std::min(width_, height_) / TILE_SPAN; }

double ViewTransform::PixelsPerImagePixel() const { return scale_ * TILE_SPAN / imagePixels_; }

double ViewTransform::MinScale() const {
    const double withMargins = std::min(width_, height_) / (TILE_SPAN + 2 * kPanMarginFeet);
    return std::min(withMargins, static_cast<double>(imagePixels_) / TILE_SPAN);
}

double ViewTransform::MaxScale() const {
    return std::max(FitScale(), kDeepestPixelsPerImagePixel * imagePixels_ / TILE_SPAN);
}

ScreenPoint ViewTransform::ToScreen(FeetPointF feet) const {
    return {offset_.x + feet.y * scale_, offset_.y + (TILE_SPAN - feet.x) * scale_};
}

FeetPointF ViewTransform::ToFeet(ScreenPoint screen) const {
    return {TILE_SPAN - (screen.y - offset_.y) / scale_, (screen.x - offset_.x) / scale_};
}

void ViewTransform::SetScale(double scale) { scale_ = std::clamp(scale, MinScale(), MaxScale()); }

void ViewTransform::KeepInView() {
    const double span = TILE_SPAN * scale_;
    const double margin = MarginPixels();
    const auto axis = [span, margin](double& offset, double viewport) {
        if (span + 2 * margin <= viewport) {
            offset = (viewport - span) / 2;
        } else {
            offset = std::clamp(offset, viewport - span - margin, margin);
        }
    };
    axis(offset_.x, width_);
    axis(offset_.y, height_);
}

void ViewTransform::Fit() {
    zoomHold_.reset();
    SetScale(FitScale());
    const double span = TILE_SPAN * scale_;
    offset_ = {(width_ - span) / 2, (height_ - span) / 2};
    KeepInView();
    fitted_ = true;
}

void ViewTransform::ShowFeet(FeetPointF a, FeetPointF b, double marginFeet) {
    const double across = std::fabs(b.y - a.y) + 2 * std::max(marginFeet, 0.0);
    const double up = std::fabs(b.x - a.x) + 2 * std::max(marginFeet, 0.0);
    if (!std::isfinite(across) || !std::isfinite(up)) return;
    zoomHold_.reset();
    SetScale(std::min(width_ / std::max(across, 1.0), height_ / std::max(up, 1.0)));
    const FeetPointF centre{(a.x + b.x) / 2, (a.y + b.y) / 2};
    offset_.x = width_ / 2 - centre.y * scale_;
    offset_.y = height_ / 2 - (TILE_SPAN - centre.x) * scale_;
    KeepInView();
    fitted_ = false;
}

void ViewTransform::OneToOne() {
    ZoomAbout(static_cast<double>(imagePixels_) / TILE_SPAN / scale_, {width_ / 2, height_ / 2});
}

void ViewTransform::ZoomAbout(double factor, ScreenPoint anchor) {
    if (!(factor > 0) || !std::isfinite(factor)) return;
    // Zooms about the same anchor one after the other (the notches of one
    // turn of the wheel) hold the point that was under it at the first, even
    // where the pan margins moved it away for a while: the tile is centred
    // while it and its margins are smaller than the viewport.
    const FeetPointF held =
        zoomHold_ && zoomHold_->anchor == anchor ? zoomHold_->feet : ToFeet(anchor);
    SetScale(scale_ * factor);
    offset_.x = anchor.x - held.y * scale_;
    offset_.y = anchor.y - (TILE_SPAN - held.x) * scale_;
    KeepInView();
    fitted_ = false;
    zoomHold_ = ZoomHold{anchor, held};
}

void ViewTransform::ZoomSteps(double steps) {
    ZoomAbout(std::pow(kZoomStep, steps), {width_ / 2, height_ / 2});
}

void ViewTransform::PanBy(double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    zoomHold_.reset();
    offset_.x += dx;
    offset_.y += dy;
    KeepInView();
    fitted_ = false;
}

namespace {

// A scroll bar over the tile and its margins: value 0 shows the outer edge
// of the first margin at the viewport's edge.
ScrollRange ScrollOf(double offset, double viewport, double span, double margin) {
    const double maximum = std::max(span + 2 * margin - viewport, 0.0);
    return {static_cast<int>(std::lround(maximum)), static_cast<int>(std::lround(viewport)),
            static_cast<int>(std::lround(std::clamp(margin - offset, 0.0, maximum)))};
}

}  // namespace

ScrollRange ViewTransform::HorizontalScroll() const {
    return ScrollOf(offset_.x, width_, TILE_SPAN * scale_, MarginPixels());
}

ScrollRange ViewTransform::VerticalScroll() const {
    return ScrollOf(offset_.y, height_, TILE_SPAN * scale_, MarginPixels());
}

void ViewTransform::ScrollTo(int horizontal, int vertical) {
    const ScreenPoint before = offset_;
    // A bar left where it is keeps its axis exactly (its value is rounded).
    const ScrollRange across = HorizontalScroll();
    const ScrollRange up = VerticalScroll();
    if (across.maximum > 0 && horizontal != across.value) offset_.x = MarginPixels() - horizontal;
    if (up.maximum > 0 && vertical != up.value) offset_.y = MarginPixels() - vertical;
    KeepInView();
    if (offset_ != before) {
        fitted_ = false;
        zoomHold_.reset();
    }
}

double WheelZoomFactor(int angleDelta) { return std::pow(kZoomStep, angleDelta / 120.0); }

float StoredFeet(double feet) {
    if (std::isnan(feet)) return 0;
    return static_cast<float>(std::clamp(feet, 0.0, double{TILE_SPAN}));
}

}  // namespace lorvane
