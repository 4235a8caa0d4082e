#pragma once
// The zoomable viewer: the tile shown square and centred in whatever room
// the window gives it, zoomed with the wheel about the pointer (and with
// Ctrl+= / Ctrl+- / Ctrl+0 / Ctrl+1), panned by dragging with the middle
// button or with the left button while Space is held, with scroll bars that
// show where the view is. It paints the frame the editor lists and passes
// every other mouse event on, in screen pixels of the viewer. The view itself
// (a ViewTransform) belongs to the editor's model.

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <vector>

#include "editor/frame.h"
#include "editor/view_transform.h"
#include "ui/frame_painter.h"

namespace lorvane {

struct ViewerMouse {
    enum class Kind { Press, Move, Release, DoubleClick };
    Kind kind = Kind::Move;
    Qt::MouseButton button = Qt::NoButton;
    ScreenPoint at;
    Qt::KeyboardModifiers modifiers;
};

class ZoomViewer : public QAbstractScrollArea {
    Q_OBJECT
  public:
    ZoomViewer(ViewTransform& view, QWidget* parent);

    using FrameSource = std::function<std::vector<FrameItem>()>;
    using MouseHandler = std::function<void(const ViewerMouse&)>;
    void SetFrameSource(FrameSource source) { frameSource_ = std::move(source); }
    void SetMouseHandler(MouseHandler handler) { mouseHandler_ = std::move(handler); }
    // The image of the tile on screen, converted once; a null image shows
    // an empty field. A tile of another size fits the view anew.
    void SetTile(QImage tile);
    const QImage& tile() const { return tile_; }

    ViewTransform& view() { return view_; }
    bool panning() const { return panning_; }
    // The view changed from outside: scroll bars and picture follow.
    void ViewChanged();

  public slots:
    void ZoomIn();
    void ZoomOut();
    void FitTile();
    void OneToOne();

  signals:
    // The zoom or the part in view changed.
    void viewMoved();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void AddShortcut(const QList<QKeySequence>& keys, void (ZoomViewer::*slot)());
    void SyncScrollBars();
    void Forward(ViewerMouse::Kind kind, QMouseEvent* event);
    void UpdateCursor();

    ViewTransform& view_;
    QImage tile_;
    NeighbourPictures neighbourPictures_;
    FrameSource frameSource_;
    MouseHandler mouseHandler_;
    bool syncing_ = false;
    bool spaceHeld_ = false;
    bool panning_ = false;
    QPointF panFrom_;
};

}  // namespace lorvane
