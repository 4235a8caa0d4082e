#pragma once
// A tile's paths and areas as shapes in the pixels of a rendered picture,
// each with its type's pen: segments are lines from start to end, areas
// circles around their centre. The tile's edges lie on the picture's first
// and last pixels; X runs up from the bottom row, Y across from the left
// column. Feet are divided by the float feet-per-pixel scales in double
// precision and cut toward zero.

#include <cstdint>
#include <vector>

#include "editor/pens.h"
#include "editor/working_set.h"

namespace lorvane {

struct SegmentShape {
    Pen pen;
    int32_t x1 = 0, y1 = 0;  // start: (column of |startY|, row of startX)
    int32_t x2 = 0, y2 = 0;  // end
    bool operator==(const SegmentShape&) const = default;
};

struct CircleShape {
    Pen pen;
    int32_t centerX = 0, centerY = 0;  // (column of centerY, row of centerX)
    int32_t radius = 0;                // the radius in columns
    bool operator==(const CircleShape&) const = default;
};

struct Overlay {
    std::vector<SegmentShape> segments;  // in table order
    std::vector<CircleShape> circles;
};

// How feet map to the pixels of a width × height picture.
struct PictureScale {
    PictureScale(int32_t width, int32_t height);
    int32_t Column(double feetY) const;
    int32_t Row(double feetX) const;

    int32_t lastRow = 0;
    float across = 1;  // feet per column
    float up = 1;      // feet per row
};

// Every segment and every area of the tables.
Overlay OverlayOf(const EditorWorkingSet& working, const PictureScale& scale);

}  // namespace lorvane
