#pragma once
// The small drawing surface the editor draws the viewer on: the tile image
// stretched over the whole surface, a raster mode (normal or invert), a pen,
// straight lines and elliptic arcs. Coordinates are viewer pixels with the
// origin at the top-left corner. The desktop program implements it on a
// backing image; tests record the calls.

#include "image/pcx.h"
#include "editor/pens.h"

namespace lorvane {

// Normal: the pen's colour replaces the pixels. Invert: every pixel under the
// pen is inverted whatever the pen's colour, so drawing the same line or arc a
// second time restores what was there.
enum class RasterMode { Normal, Invert };

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Stretches the whole image onto the whole surface, dropping or repeating
    // rows and columns (no blending).
    virtual void DrawImage(const PcxImage& image) = 0;

    // Keeps drawing inside (0, 0) .. (width, height), right and bottom excluded.
    virtual void SetClip(int width, int height) = 0;

    // Each returns the previous setting.
    virtual RasterMode SetRasterMode(RasterMode mode) = 0;
    virtual Pen SelectPen(const Pen& pen) = 0;

    // The current position, used and moved by LineTo.
    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y), which becomes the current
    // position. A line of zero length draws nothing.
    virtual void LineTo(int x, int y) = 0;

    // The arc of the ellipse inside (left, top) .. (right, bottom), drawn
    // counter-clockwise from the ray through (startX, startY) to the ray
    // through (endX, endY), both rays from the centre. When the two rays
    // coincide the whole ellipse is drawn. The current position is unchanged.
    virtual void Arc(int left, int top, int right, int bottom, int startX, int startY, int endX,
                     int endY) = 0;
};

// A full or partial circle around (centreX, centreY): from startAngle, sweeping
// sweepAngle degrees (counter-clockwise when positive). End points are
// centre + r·(cos, −sin) of each angle, cut toward zero; the current position
// ends at the arc's end point. The editor draws every circle with start 0 and
// sweep 360: the end point falls just short of a full turn, on the ray of the
// start point, so the whole circle is drawn and the current position ends
// (within a pixel) at its rightmost point.
void DrawArc(Canvas& canvas, int centreX, int centreY, int radius, float startAngle,
             float sweepAngle);

// A line from (x0, y0) to (x1, y1).
inline void DrawLine(Canvas& canvas, int x0, int y0, int x1, int y1) {
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
}

}  // namespace lorvane
