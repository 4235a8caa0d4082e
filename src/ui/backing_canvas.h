#pragma once
// The editor's canvas on a backing image: what the viewer shows. Invert mode
// inverts every pixel under the pen (a raster operation, no blending), so a
// line or arc drawn twice leaves the image as it was. Nothing is smoothed.

#include <QImage>
#include <QPainter>
#include <memory>

#include "editor/canvas.h"

namespace lorvane {

class BackingCanvas : public Canvas {
  public:
    explicit BackingCanvas(QSize size = {1, 1});
    ~BackingCanvas() override;

    // A new image of this size, black; the clip is reset to the whole image.
    void Resize(QSize size);
    // The image as drawn so far (ends the drawing in progress, so that the
    // image may be read or painted).
    const QImage& Image();

    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void DrawImage(const PcxImage& image) override;
    void SetClip(int width, int height) override;
    RasterMode SetRasterMode(RasterMode mode) override;
    Pen SelectPen(const Pen& pen) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Arc(int left, int top, int right, int bottom, int startX, int startY, int endX,
             int endY) override;

  private:
    QPainter& Painter();
    void End();

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    QRect clip_;
    RasterMode mode_ = RasterMode::Normal;
    Pen pen_;
    QPoint position_;
};

}  // namespace lorvane
