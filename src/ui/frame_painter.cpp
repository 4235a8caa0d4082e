#include "ui/frame_painter.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <cmath>
#include <cstring>

namespace lorvane {

namespace {

QColor Colour(const Rgba& c) { return QColor(c.red, c.green, c.blue, c.alpha); }

QPointF Point(const ScreenPoint& p) { return {p.x, p.y}; }

QRectF Rect(const ScreenRect& r) { return {r.left, r.top, r.width, r.height}; }

Qt::PenStyle Style(LineStyle stroke) {
    return stroke == LineStyle::Dashed ? Qt::DashLine : Qt::SolidLine;
}

struct ItemPainter {
    QPainter& painter;
    const QImage& tile;
    NeighbourPictures& neighbours;

    void operator()(const FrameImage& item) const {
        if (tile.isNull()) return;
        // Image pixels stay sharp squares at every zoom.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(Rect(item.target), tile, Rect(item.source));
    }

    void operator()(const FrameBand& item) const {
        const double dx = item.to.x - item.from.x;
        const double dy = item.to.y - item.from.y;
        const double length = std::hypot(dx, dy);
        if (length == 0) return;
        // Half the width across the band's direction.
        const QPointF across(-dy / length * item.width / 2, dx / length * item.width / 2);
        const QPointF a = Point(item.from);
        const QPointF b = Point(item.to);
        const QPointF corners[] = {a + across, b + across, b - across, a - across};
        painter.setPen(Qt::NoPen);
        painter.setBrush(Colour(item.fill));
        painter.drawConvexPolygon(corners, 4);
        painter.setBrush(Qt::NoBrush);
    }

    void operator()(const FrameLine& item) const {
        QPen pen(Colour(item.colour), item.width, Style(item.stroke), Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.drawLine(Point(item.from), Point(item.to));
    }

    void operator()(const FrameCircle& item) const {
        if (item.outline.alpha != 0) {
            // Solid under a dashed rim too: the contrast runs all round.
            painter.setPen(QPen(Colour(item.outline), item.rimWidth + 2 * kOutlineWidth));
            painter.drawEllipse(Point(item.centre), item.radius, item.radius);
        }
        painter.setPen(QPen(Colour(item.rim), item.rimWidth, Style(item.stroke)));
        painter.setBrush(item.fill.alpha == 0 ? QBrush(Qt::NoBrush) : QBrush(Colour(item.fill)));
        painter.drawEllipse(Point(item.centre), item.radius, item.radius);
        painter.setBrush(Qt::NoBrush);
    }

    void operator()(const FrameHandle& item) const {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(item.at.x - 3.5, item.at.y - 3.5, 7, 7));
        painter.setBrush(Qt::NoBrush);
    }

    void operator()(const FrameEdgeMarker& item) const {
        // A small diamond in the type's colour, outlined in a contrasting
        // one so that it shows on a road of its own colour too; the count of
        // places beside it, haloed in the contrasting colour, wholly inside
        // the viewer.
        const QPointF at = Point(item.at);
        const QPointF corners[] = {at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5),
                                   at + QPointF(-5, 0)};
        painter.setPen(QPen(Colour(item.outline), 2));
        painter.setBrush(Colour(item.colour));
        painter.drawConvexPolygon(corners, 4);
        painter.setBrush(Qt::NoBrush);
        const QString count = QString::number(static_cast<qulonglong>(item.places));
        const QFontMetricsF metrics(painter.font());
        constexpr double kHalo = 2;
        const QRectF room = painter.window();
        const ScreenRect box =
            PlaceLabel(item.at, metrics.horizontalAdvance(count) + 2 * kHalo,
                       metrics.height() + 2 * kHalo, room.width(), room.height());
        QPainterPath text;
        text.addText(box.left + kHalo, box.top + kHalo + metrics.ascent(), painter.font(), count);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.strokePath(text, QPen(Colour(item.outline), 2 * kHalo, Qt::SolidLine, Qt::RoundCap,
                                      Qt::RoundJoin));
        painter.fillPath(text, Colour(item.colour));
        painter.restore();
    }

    void operator()(const FrameNeighbour& item) const {
        // The square in whole pixels, its edges rounded to the nearest: two
        // squares that meet share the edge, and no background shows between
        // them. The image fills it (stretched by less than a pixel).
        const ScreenRect& r = item.square;
        const QRect square(
            QPoint(int(std::lround(r.left)), int(std::lround(r.top))),
            QPoint(int(std::lround(r.Right())) - 1, int(std::lround(r.Bottom())) - 1));
        painter.save();
        painter.setClipRect(square);
        painter.setOpacity(item.opacity);
        if (item.image && item.picture != nullptr) {
            const QImage& image = neighbours.Of(item);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            if (!image.isNull()) painter.drawImage(QRectF(square), image, Rect(item.image->source));
        }
        for (const FrameBand& band : item.bands) (*this)(band);
        for (const FrameLine& line : item.lines) (*this)(line);
        painter.restore();
    }

    void operator()(const FrameMarker& item) const {
        const QPointF at = Point(item.at);
        painter.setBrush(Qt::NoBrush);
        for (const auto& [colour, width] :
             {std::pair{QColor(Qt::black), 3}, {QColor(Qt::green), 1}}) {
            painter.setPen(QPen(colour, width));
            switch (item.kind) {
                case SnapKind::Point:
                case SnapKind::Neighbour:
                    painter.drawEllipse(at, 6, 6);
                    break;
                case SnapKind::Corner:
                case SnapKind::Edge:
                    painter.drawRect(QRectF(at.x() - 5, at.y() - 5, 10, 10));
                    break;
                case SnapKind::Grid:
                    painter.drawLine(at + QPointF(-6, 0), at + QPointF(6, 0));
                    painter.drawLine(at + QPointF(0, -6), at + QPointF(0, 6));
                    break;
                case SnapKind::None:
                    break;
            }
        }
    }
};

}  // namespace

QImage TileImage(const PcxImage& image) {
    if (image.Width() <= 0 || image.Height() <= 0) return {};
    const std::vector<uint32_t> pixels = StretchPcx(image, image.Width(), image.Height());
    if (pixels.empty()) return {};  // the picture can't be allocated: nothing shown
    QImage out(image.Width(), image.Height(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    const size_t lineBytes = static_cast<size_t>(out.width()) * sizeof(uint32_t);
    for (int y = 0; y < out.height(); ++y) {
        std::memcpy(out.scanLine(y), pixels.data() + static_cast<size_t>(y) * out.width(),
                    lineBytes);
    }
    return out;
}

const QImage& NeighbourPictures::Of(const FrameNeighbour& neighbour) {
    const auto found = images_.find(neighbour.pictureKey);
    if (found != images_.end()) return found->second;
    QImage image = neighbour.picture != nullptr ? TileImage(*neighbour.picture) : QImage();
    return images_.emplace(neighbour.pictureKey, std::move(image)).first->second;
}

void NeighbourPictures::Keep(const std::vector<FrameItem>& items) {
    // Eight around the tile, and the tiles around the one shown before.
    constexpr size_t kMostKept = 24;
    if (images_.size() <= kMostKept) return;
    std::unordered_map<uint64_t, QImage> kept;
    for (const FrameItem& item : items) {
        const auto* neighbour = std::get_if<FrameNeighbour>(&item);
        if (neighbour == nullptr) continue;
        if (const auto found = images_.find(neighbour->pictureKey); found != images_.end())
            kept.insert(*found);
    }
    images_ = std::move(kept);
}

void PaintFrame(QPainter& painter, const std::vector<FrameItem>& items, const QImage& tile,
                NeighbourPictures* neighbours) {
    painter.save();
    // Not smoothed: a fitted frame of a full tile paints in a fifth of the time.
    painter.setRenderHint(QPainter::Antialiasing, false);
    NeighbourPictures once;
    NeighbourPictures& pictures = neighbours != nullptr ? *neighbours : once;
    const ItemPainter paint{painter, tile, pictures};
    for (const FrameItem& item : items) std::visit(paint, item);
    pictures.Keep(items);
    painter.restore();
}

}  // namespace lorvane
