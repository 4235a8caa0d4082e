#pragma once
// The viewer of the editor panel (control 29100): a sunken grey frame whose
// inside shows the backing canvas. Mouse input is left to the panel, which
// gets it in its own coordinates.

#include <QWidget>

namespace lorvane {

class BackingCanvas;

class TileViewer : public QWidget {
    Q_OBJECT
  public:
    // The frame takes this many pixels on every side.
    static constexpr int kFrame = 3;

    TileViewer(BackingCanvas& canvas, QWidget* parent);

    // The client area, inside the frame.
    QSize ClientSize() const { return size() - QSize(2 * kFrame, 2 * kFrame); }
    // The canvas is shown once the first tile was loaded; before, the field is empty.
    void SetShowImage(bool show);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    BackingCanvas& canvas_;
    bool showImage_ = false;
};

}  // namespace lorvane
