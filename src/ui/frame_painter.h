#pragma once
// Paints a frame of the zoomable viewer, as the editor lists it, with
// QPainter: the tile image (converted once per tile, never decoded again
// while zooming or panning), translucent bands and discs, lines, handles and
// the snap marker.

#include <QImage>
#include <QPainter>
#include <vector>

#include "editor/frame.h"
#include "image/pcx.h"

namespace lorvane {

// The decoded tile as an image ready to paint; a null image when it can't be
// allocated.
QImage TileImage(const PcxImage& image);

// Paints the items in order; `tile` is the image the FrameImage items show.
void PaintFrame(QPainter& painter, const std::vector<FrameItem>& items, const QImage& tile);

}  // namespace lorvane
