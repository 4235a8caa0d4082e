#pragma once
// Theater ▸ Theater Map: the picture of the whole theater for the loaded
// matrix and database, with wheel zoom about the pointer and drag pan, the
// post under the pointer in the status bar, seams marked in red, and a
// double click that loads the post's tile in the editor. It looks for a
// new matrix or a changed database twice a second and redraws when either
// changed.

#include <QImage>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "theater/map_view.h"
#include "theater/seams.h"
#include "theater/theater_picture.h"

namespace lorvane {

class MainShell;
struct TheaterOutputState;
class TheaterMapWindow;

// The drawing area of the window.
class TheaterMapCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit TheaterMapCanvas(TheaterMapWindow& window);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    TheaterMapWindow& window_;
    std::optional<QPointF> dragFrom_;
};

class TheaterMapWindow : public QMainWindow {
    Q_OBJECT
  public:
    TheaterMapWindow(MainShell& shell, TheaterOutputState& output, QWidget* parent = nullptr);

    // Draws the picture again when the matrix was replaced or the database
    // changed since it was drawn; true when it did. Without withDatabase only
    // the matrix and the loaded flags are compared (what painting and the
    // pointer need to read safely); the watch compares the database too.
    bool Refresh(bool withDatabase = true);

    MapView& view() { return view_; }
    TheaterMapCanvas* canvas() { return canvas_; }
    int orientation() const { return orientation_; }
    const std::vector<SeamPost>& seamPosts() const { return seamPosts_; }
    size_t seamCount() const { return seamCount_; }
    // The picture at one pixel a post (null image while there is no matrix).
    const QImage& picture() const { return picture_; }

    // What the canvas reports. Until the user zooms or pans, the theater is
    // kept fitted into the canvas whatever its size.
    void CanvasResized(int width, int height);
    void ZoomAt(QPointF point, double factor);
    void Pan(QPointF delta);
    void PointerAt(QPointF point);
    void OpenTileAt(QPointF point);
    void Paint(QPainter& painter, const QRect& area);

  private:
    struct Snapshot {
        uint64_t matrixRevision = 0;
        bool terrainLoaded = false;
        bool textureLoaded = false;
        uint64_t database = 0;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Current(bool withDatabase) const;
    const TerrainMatrix* Matrix() const;
    const TileDatabase* Database() const;
    void Rebuild();
    void PaintRegion(QPainter& painter);
    void PaintSeams(QPainter& painter);

    MainShell& shell_;
    TheaterOutputState& output_;
    TheaterMapCanvas* canvas_;
    QTimer watch_;
    std::optional<Snapshot> drawn_;
    MapView view_;
    bool viewMoved_ = false;
    PixelImage pixels_;
    QImage picture_;  // over pixels_
    int orientation_ = 0;
    std::vector<SeamPost> seamPosts_;
    size_t seamCount_ = 0;
    // The last region drawn at a zoom where paths show.
    PostRegion regionPosts_;
    int32_t regionPostSize_ = 0;
    PixelImage regionPixels_;
};

}  // namespace lorvane
