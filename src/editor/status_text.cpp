#include "editor/status_text.h"

#include <cmath>

#include "base/format.h"
#include "editor/entry_points.h"
#include "editor/snapping.h"

namespace lorvane {

std::string PointerStatus(FeetPointF pointer) {
    return FormatText("X %d ft  Y %d ft", WholeFeet(StoredFeet(pointer.x)),
                      WholeFeet(StoredFeet(pointer.y)));
}

std::string ZoomStatus(const ViewTransform& view) {
    return FormatText("Zoom %.0f%% (%.3g ft/px)", view.PixelsPerImagePixel() * 100,
                      view.ToFeet(1.0));
}

std::string SegmentStatus(FeetPointF anchor, FeetPointF pointer, double pathBefore) {
    const double length = Distance(anchor, pointer);
    // A heading that rounds to 360 is shown as 000.
    const long heading = std::lround(Heading(anchor, pointer)) % 360;
    return FormatText("Segment %.0f ft, heading %03ld\u00b0  Path %.0f ft", length, heading,
                      pathBefore + length);
}

std::string RadiusStatus(FeetPointF centre, FeetPointF pointer) {
    return FormatText("Radius %.0f ft", Distance(centre, pointer));
}

std::string SnapStatus(bool on) { return on ? "Snap on" : "Snap off"; }

}  // namespace lorvane
