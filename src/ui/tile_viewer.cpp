#include "ui/tile_viewer.h"

#include <QPainter>
#include <QStyleOptionFrame>

#include "ui/backing_canvas.h"

namespace lorvane {

TileViewer::TileViewer(BackingCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
    setObjectName("29100");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TileViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    // A border and a sunken edge around a grey field.
    painter.fillRect(outer, palette().color(QPalette::Button));
    painter.setPen(Qt::black);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(1, 1, outer.width() - 2, 1);
    painter.drawLine(1, 1, 1, outer.height() - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(2, outer.height() - 2, outer.width() - 2, outer.height() - 2);
    painter.drawLine(outer.width() - 2, 2, outer.width() - 2, outer.height() - 2);
    if (showImage_) painter.drawImage(QPoint(kFrame, kFrame), canvas_.Image());
}

void TileViewer::SetShowImage(bool show) {
    if (show == showImage_) return;
    showImage_ = show;
    update();
}

}  // namespace lorvane
