#pragma once
// Paints a frame of the zoomable viewer, as the editor lists it, with
// QPainter: the tile image (converted once per tile, never decoded again
// while zooming or panning), the faded neighbours past its edges (their
// images converted once each), translucent bands and discs, lines, handles,
// the edge markers and the snap marker.

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "editor/frame.h"
#include "image/pcx.h"

namespace lorvane {

// The decoded tile as an image ready to paint; a null image when it can't be
// allocated.
QImage TileImage(const PcxImage& image);

// The neighbours' images as painted, each converted once by its key and
// kept while it is in view or few others are.
class NeighbourPictures {
  public:
    const QImage& Of(const FrameNeighbour& neighbour);
    // Lets go of the images beyond the most kept that the frame does not
    // show.
    void Keep(const std::vector<FrameItem>& items);
    size_t size() const { return images_.size(); }

  private:
    std::unordered_map<uint64_t, QImage> images_;
};

// Paints the items in order; `tile` is the image the FrameImage items show,
// `neighbours` converts and keeps the neighbours' images (none: each is
// converted as it is painted).
void PaintFrame(QPainter& painter, const std::vector<FrameItem>& items, const QImage& tile,
                NeighbourPictures* neighbours = nullptr);

}  // namespace lorvane
