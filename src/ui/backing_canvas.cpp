#include "ui/backing_canvas.h"

#include <cmath>
#include <cstring>

namespace lorvane {

namespace {

QPen QtPen(const Pen& pen) {
    return QPen(QColor(pen.colour.red, pen.colour.green, pen.colour.blue), pen.width, Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin);
}

// The angle of the ray from (cx, cy) through (x, y), counter-clockwise from
// the positive x axis with y growing downwards, in degrees 0 to 360.
double RayAngle(double cx, double cy, int x, int y) {
    const double degrees = std::atan2(cy - y, x - cx) * 180.0 / M_PI;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

}  // namespace

BackingCanvas::BackingCanvas(QSize size) { Resize(size); }

BackingCanvas::~BackingCanvas() { End(); }

void BackingCanvas::Resize(QSize size) {
    End();
    image_ = QImage(size.expandedTo({1, 1}), QImage::Format_RGB32);
    image_.fill(Qt::black);
    clip_ = image_.rect();
}

const QImage& BackingCanvas::Image() {
    End();
    return image_;
}

QPainter& BackingCanvas::Painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setClipRect(clip_);
        painter_->setPen(QtPen(pen_));
        painter_->setBrush(Qt::NoBrush);
        painter_->setCompositionMode(mode_ == RasterMode::Invert
                                         ? QPainter::RasterOp_NotDestination
                                         : QPainter::CompositionMode_SourceOver);
    }
    return *painter_;
}

void BackingCanvas::End() {
    if (painter_) painter_->end();
    painter_.reset();
}

void BackingCanvas::DrawImage(const PcxImage& image) {
    // Rows and columns dropped or repeated, never blended; copied as is,
    // whatever the raster mode, inside the clip.
    End();
    const std::vector<uint32_t> pixels = StretchPcx(image, Width(), Height());
    if (pixels.empty()) return;
    const QRect area = clip_.intersected(image_.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image_.scanLine(y));
        std::memcpy(line + area.left(),
                    pixels.data() + static_cast<size_t>(y) * Width() + area.left(),
                    static_cast<size_t>(area.width()) * sizeof(uint32_t));
    }
}

void BackingCanvas::SetClip(int width, int height) {
    clip_ = QRect(0, 0, width, height);
    if (painter_) painter_->setClipRect(clip_);
}

RasterMode BackingCanvas::SetRasterMode(RasterMode mode) {
    const RasterMode previous = mode_;
    mode_ = mode;
    if (painter_) {
        painter_->setCompositionMode(mode == RasterMode::Invert
                                         ? QPainter::RasterOp_NotDestination
                                         : QPainter::CompositionMode_SourceOver);
    }
    return previous;
}

Pen BackingCanvas::SelectPen(const Pen& pen) {
    const Pen previous = pen_;
    pen_ = pen;
    if (painter_) painter_->setPen(QtPen(pen));
    return previous;
}

void BackingCanvas::MoveTo(int x, int y) { position_ = {x, y}; }

void BackingCanvas::LineTo(int x, int y) {
    const QPoint end(x, y);
    if (end != position_) Painter().drawLine(position_, end);
    position_ = end;
}

void BackingCanvas::Arc(int left, int top, int right, int bottom, int startX, int startY, int endX,
                        int endY) {
    if (right <= left || bottom <= top) return;
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double from = RayAngle(cx, cy, startX, startY);
    double span = RayAngle(cx, cy, endX, endY) - from;
    if (span <= 0) span += 360.0;
    // Rays within a sixteenth of a degree are the same ray: the whole ellipse.
    if (span < 1.0 / 16 || span > 360.0 - 1.0 / 16) span = 360.0;
    const QRectF box(left, top, right - left, bottom - top);
    if (span >= 360.0) {
        Painter().drawEllipse(box);
    } else {
        Painter().drawArc(box, static_cast<int>(std::lround(from * 16)),
                          static_cast<int>(std::lround(span * 16)));
    }
}

}  // namespace lorvane
