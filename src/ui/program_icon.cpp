#include "ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lorvane {

namespace {

// The icon on a 128-unit square, as the SVG draws it.
QPixmap Drawn(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);
    painter.setPen(QPen(QColor("#2f4a1c"), 4));
    painter.setBrush(QColor("#9cbf5a"));
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 14, 14);
    painter.setPen(QPen(QColor("#0f3d12"), 3));
    painter.setBrush(QColor("#3f7a32"));
    painter.drawEllipse(QPointF(86, 40), 20, 20);
    QPainterPath river(QPointF(14, 86));
    river.cubicTo(38, 80, 46, 104, 70, 98);
    river.cubicTo(94, 92, 104, 78, 116, 84);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor("#2f6fc4"), 9, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(river);
    const QPointF road[] = {{24, 112}, {52, 60}, {108, 22}};
    painter.setPen(QPen(QColor("#3a3a3e"), 7, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPolyline(road, 3);
    painter.setPen(QPen(QColor("#e8e8e0"), 1.5, Qt::DashLine));
    painter.drawPolyline(road, 3);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor("#d23c2c"));
    painter.drawEllipse(QPointF(52, 60), 5, 5);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 128}) icon.addPixmap(Drawn(size));
    return icon;
}

}  // namespace lorvane
