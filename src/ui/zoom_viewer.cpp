#include "ui/zoom_viewer.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "ui/frame_painter.h"

namespace lorvane {

ZoomViewer::ZoomViewer(ViewTransform& view, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view) {
    setObjectName("29100");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    AddShortcut({QKeySequence("Ctrl+="), QKeySequence("Ctrl++")}, &ZoomViewer::ZoomIn);
    AddShortcut({QKeySequence("Ctrl+-")}, &ZoomViewer::ZoomOut);
    AddShortcut({QKeySequence("Ctrl+0")}, &ZoomViewer::FitTile);
    AddShortcut({QKeySequence("Ctrl+1")}, &ZoomViewer::OneToOne);
    UpdateCursor();
}

void ZoomViewer::AddShortcut(const QList<QKeySequence>& keys, void (ZoomViewer::*slot)()) {
    auto* action = new QAction(this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
}

void ZoomViewer::SetTile(QImage tile) {
    const int pixels = std::max(tile.width(), tile.height());
    tile_ = std::move(tile);
    if (pixels > 0 && pixels != view_.imagePixels()) view_.SetImagePixels(pixels);
    ViewChanged();
}

void ZoomViewer::ViewChanged() {
    SyncScrollBars();
    viewport()->update();
    emit viewMoved();
}

void ZoomViewer::ZoomIn() {
    view_.ZoomSteps(1);
    ViewChanged();
}

void ZoomViewer::ZoomOut() {
    view_.ZoomSteps(-1);
    ViewChanged();
}

void ZoomViewer::FitTile() {
    view_.Fit();
    ViewChanged();
}

void ZoomViewer::OneToOne() {
    view_.OneToOne();
    ViewChanged();
}

void ZoomViewer::SyncScrollBars() {
    syncing_ = true;
    for (const auto& [bar, range] : {std::pair{horizontalScrollBar(), view_.HorizontalScroll()},
                                     std::pair{verticalScrollBar(), view_.VerticalScroll()}}) {
        bar->setRange(0, range.maximum);
        bar->setPageStep(std::max(range.page, 1));
        bar->setSingleStep(std::max(range.page / 20, 1));
        bar->setValue(range.value);
    }
    syncing_ = false;
}

void ZoomViewer::scrollContentsBy(int, int) {
    if (syncing_) return;
    view_.ScrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->update();
    emit viewMoved();
}

void ZoomViewer::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    if (tile_.isNull() || !frameSource_) return;
    PaintFrame(painter, frameSource_(), tile_, &neighbourPictures_);
}

void ZoomViewer::resizeEvent(QResizeEvent*) {
    view_.SetViewport(viewport()->width(), viewport()->height());
    ViewChanged();
}

void ZoomViewer::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    view_.ZoomAbout(WheelZoomFactor(delta), {event->position().x(), event->position().y()});
    ViewChanged();
    event->accept();
}

void ZoomViewer::Forward(ViewerMouse::Kind kind, QMouseEvent* event) {
    if (!mouseHandler_) return;
    mouseHandler_({kind,
                   event->button(),
                   {event->position().x(), event->position().y()},
                   event->modifiers()});
}

void ZoomViewer::mousePressEvent(QMouseEvent* event) {
    const bool pan =
        event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_);
    if (pan && !panning_) {
        panning_ = true;
        panFrom_ = event->position();
        UpdateCursor();
        return;
    }
    if (!panning_) Forward(ViewerMouse::Kind::Press, event);
}

void ZoomViewer::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPointF moved = event->position() - panFrom_;
        panFrom_ = event->position();
        view_.PanBy(moved.x(), moved.y());
        ViewChanged();
        return;
    }
    Forward(ViewerMouse::Kind::Move, event);
}

void ZoomViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_) {
        const bool ends = event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton;
        if (ends && (event->buttons() & (Qt::MiddleButton | Qt::LeftButton)) == 0) {
            panning_ = false;
            UpdateCursor();
        }
        return;
    }
    Forward(ViewerMouse::Kind::Release, event);
}

void ZoomViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton || spaceHeld_) return;
    Forward(ViewerMouse::Kind::DoubleClick, event);
}

void ZoomViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            spaceHeld_ = true;
            UpdateCursor();
        }
        event->accept();
        return;
    }
    event->ignore();  // the panel's keys go on to the panel
}

void ZoomViewer::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            spaceHeld_ = false;
            UpdateCursor();
        }
        event->accept();
        return;
    }
    event->ignore();
}

void ZoomViewer::focusOutEvent(QFocusEvent* event) {
    spaceHeld_ = false;
    UpdateCursor();
    QAbstractScrollArea::focusOutEvent(event);
}

void ZoomViewer::UpdateCursor() {
    if (panning_) {
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else if (spaceHeld_) {
        viewport()->setCursor(Qt::OpenHandCursor);
    } else {
        viewport()->setCursor(Qt::CrossCursor);
    }
}

}  // namespace lorvane
