// The Qt side of lorvane-cli render: QImage and QPainter draw, and encode the
// PNG. Built as a module of its own (see image_writer.h).

#include "cli/image_writer/image_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstring>

namespace lorvane::cli {

namespace {

QPen ToQPen(const Pen& pen) {
    QPen qpen(QColor(pen.colour.red, pen.colour.green, pen.colour.blue), pen.width);
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    return qpen;
}

void DrawOverlay(QImage& image, const Overlay& overlay) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const SegmentShape& segment : overlay.segments) {
        painter.setPen(ToQPen(segment.pen));
        painter.drawLine(segment.x1, segment.y1, segment.x2, segment.y2);
    }
    for (const CircleShape& circle : overlay.circles) {
        painter.setPen(ToQPen(circle.pen));
        painter.drawEllipse(QPoint(circle.centerX, circle.centerY), circle.radius, circle.radius);
    }
}

}  // namespace

}  // namespace lorvane::cli

// The module's one export. On Windows it is named so: the static Qt inside
// exports a symbol of its own, and then the linker exports nothing else.
#if defined(_WIN32)
#define LORVANE_MODULE_EXPORT __declspec(dllexport)
#else
#define LORVANE_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" LORVANE_MODULE_EXPORT lorvane::cli::DrawPngResult LorvaneDrawPng(
    const uint32_t* rgb, int width, int height, const lorvane::Overlay& overlay,
    std::vector<std::byte>& png) {
    using lorvane::cli::DrawPngResult;
    try {
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull()) return DrawPngResult::NoMemory;
        for (int y = 0; y < height; ++y) {
            std::memcpy(image.scanLine(y),
                        rgb + static_cast<size_t>(y) * static_cast<size_t>(width),
                        static_cast<size_t>(width) * sizeof(uint32_t));
        }
        if (!overlay.segments.empty() || !overlay.circles.empty())
            lorvane::cli::DrawOverlay(image, overlay);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) return DrawPngResult::Failed;
        const auto* data = reinterpret_cast<const std::byte*>(bytes.constData());
        png.assign(data, data + bytes.size());
        return DrawPngResult::Drawn;
    } catch (const std::bad_alloc&) {
        return DrawPngResult::NoMemory;
    }
}
