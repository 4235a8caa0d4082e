#include "ui/theater_map_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "shell/main_shell.h"
#include "shell/terrain_commands.h"
#include "ui/qt_platform.h"

namespace lorvane {

namespace {

constexpr int kWatchMilliseconds = 500;
constexpr double kWheelStep = 1.25;  // zoom factor per wheel notch
constexpr int32_t kMaxRegionPostSize = 256;
const QColor kBackground(48, 48, 48);

QImage Wrap(PixelImage& pixels) {
    if (pixels.pixels.empty()) return {};
    return QImage(reinterpret_cast<uchar*>(pixels.pixels.data()), pixels.width, pixels.height,
                  static_cast<qsizetype>(pixels.width) * 4, QImage::Format_RGB32);
}

}  // namespace

TheaterMapCanvas::TheaterMapCanvas(TheaterMapWindow& window) : QWidget(&window), window_(window) {
    setObjectName("theaterMapCanvas");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 200);
}

void TheaterMapCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    window_.Paint(painter, event->rect());
}

void TheaterMapCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    window_.CanvasResized(width(), height());
}

void TheaterMapCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    const QPointF at = event->position();
    window_.ZoomAt(at, std::pow(kWheelStep, notches));
    window_.PointerAt(at);
}

void TheaterMapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
}

void TheaterMapCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        window_.Pan(event->position() - *dragFrom_);
        dragFrom_ = event->position();
    }
    window_.PointerAt(event->position());
}

void TheaterMapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_.reset();
}

void TheaterMapCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) window_.OpenTileAt(event->position());
}

TheaterMapWindow::TheaterMapWindow(MainShell& shell, TheaterOutputState& output, QWidget* parent)
    : QMainWindow(parent, Qt::Window), shell_(shell), output_(output) {
    setObjectName("theaterMapWindow");
    setWindowTitle("Theater Map");
    canvas_ = new TheaterMapCanvas(*this);
    setCentralWidget(canvas_);
    statusBar()->showMessage(" ");
    resize(800, 800);
    view_.SetViewport(canvas_->width(), canvas_->height());
    watch_.setInterval(kWatchMilliseconds);
    connect(&watch_, &QTimer::timeout, this, [this] { Refresh(); });
    watch_.start();
    Refresh();
}

const TerrainMatrix* TheaterMapWindow::Matrix() const {
    const TerrainMatrix& matrix = output_.matrix;
    return shell_.state().shell.terrainLoaded && matrix.IsComplete() ? &matrix : nullptr;
}

const TileDatabase* TheaterMapWindow::Database() const {
    return shell_.state().session.loaded() ? &shell_.state().session.database() : nullptr;
}

TheaterMapWindow::Snapshot TheaterMapWindow::Current(bool withDatabase) const {
    const TileDatabase* database = Database();
    uint64_t fingerprint = 0;
    if (database != nullptr)
        fingerprint = withDatabase || !drawn_ ? DatabaseFingerprint(*database) : drawn_->database;
    return {output_.matrixRevision, Matrix() != nullptr, database != nullptr, fingerprint};
}

bool TheaterMapWindow::Refresh(bool withDatabase) {
    const Snapshot now = Current(withDatabase);
    if (drawn_ && *drawn_ == now) return false;
    const bool newMatrix = !drawn_ || drawn_->matrixRevision != now.matrixRevision ||
                           drawn_->terrainLoaded != now.terrainLoaded;
    drawn_ = now;
    Rebuild();
    if (newMatrix) {
        const TerrainMatrix* matrix = Matrix();
        view_.SetTheater(matrix ? matrix->xMapExtent() : 0, matrix ? matrix->yMapExtent() : 0);
        viewMoved_ = false;
    }
    canvas_->update();
    return true;
}

void TheaterMapWindow::Rebuild() {
    picture_ = QImage();
    pixels_ = {};
    regionPixels_ = {};
    regionPostSize_ = 0;
    seamPosts_.clear();
    seamCount_ = 0;
    orientation_ = 0;
    const TerrainMatrix* matrix = Matrix();
    if (matrix == nullptr) {
        statusBar()->showMessage("No terrain matrix is loaded.");
        return;
    }
    const TileDatabase* database = Database();
    if (database != nullptr) {
        const SeamFinder finder(*matrix, *database);
        orientation_ = finder.FindOrientation();
        seamCount_ = finder.Seams(orientation_).size();
        seamPosts_ = finder.SeamPosts(orientation_);
    }
    SilentProgress progress;
    if (auto picture = RenderTheaterPicture(*matrix, database, {1, orientation_, {}}, progress)) {
        pixels_ = std::move(*picture);
        picture_ = Wrap(pixels_);
    } else {
        statusBar()->showMessage(QString("The theater of %1 x %2 posts is too large to draw.")
                                     .arg(matrix->xMapExtent())
                                     .arg(matrix->yMapExtent()));
    }
    setWindowTitle(
        QString("Theater Map (orientation %1, %2 seams)").arg(orientation_).arg(seamCount_));
}

void TheaterMapWindow::CanvasResized(int width, int height) {
    view_.SetViewport(width, height);
    if (!viewMoved_) view_.Fit();
}

void TheaterMapWindow::ZoomAt(QPointF point, double factor) {
    view_.ZoomAt(point.x(), point.y(), factor);
    viewMoved_ = true;
    canvas_->update();
}

void TheaterMapWindow::Pan(QPointF delta) {
    view_.Pan(delta.x(), delta.y());
    viewMoved_ = true;
    canvas_->update();
}

void TheaterMapWindow::PointerAt(QPointF point) {
    Refresh(false);
    const TerrainMatrix* matrix = Matrix();
    const auto post = view_.PostAt(point.x(), point.y());
    if (matrix == nullptr || !post) return;
    statusBar()->showMessage(ToQt(PostStatus(*matrix, Database(), *post)));
}

void TheaterMapWindow::OpenTileAt(QPointF point) {
    Refresh(false);
    const TerrainMatrix* matrix = Matrix();
    const TileDatabase* database = Database();
    const auto post = view_.PostAt(point.x(), point.y());
    if (matrix == nullptr || database == nullptr || !post) return;
    const uint32_t id = matrix->Cell(post->x, post->y).tileId;
    const std::optional<int> position = TileTable(*database).Position(id);
    if (!position) {
        statusBar()->showMessage(QString("Tile %1 is not in Texture.bin.").arg(id));
        return;
    }
    shell_.LoadTileFromList(*position);
}

void TheaterMapWindow::Paint(QPainter& painter, const QRect& area) {
    Refresh(false);
    painter.fillRect(area, kBackground);
    if (picture_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (view_.scale() >= kPathPostSize) {
        PaintRegion(painter);
    } else {
        const MapPoint topLeft = view_.ScreenToMap(0, 0);
        const MapPoint bottomRight = view_.ScreenToMap(canvas_->width(), canvas_->height());
        const QRectF source =
            QRectF(QPointF(topLeft.u, topLeft.v), QPointF(bottomRight.u, bottomRight.v))
                .intersected(QRectF(picture_.rect()));
        if (source.isEmpty()) return;
        const MapPoint a = view_.MapToScreen({source.left(), source.top()});
        const MapPoint b = view_.MapToScreen({source.right(), source.bottom()});
        painter.drawImage(QRectF(QPointF(a.u, a.v), QPointF(b.u, b.v)), picture_, source);
    }
    PaintSeams(painter);
}

// At a zoom where paths show, the visible posts are drawn anew at the
// nearest whole post size above the zoom, and scaled to it.
void TheaterMapWindow::PaintRegion(QPainter& painter) {
    const TerrainMatrix* matrix = Matrix();
    const PostRegion region = view_.VisiblePosts();
    if (matrix == nullptr || region.columns <= 0 || region.rows <= 0) return;
    const auto postSize =
        std::min<int32_t>(kMaxRegionPostSize, static_cast<int32_t>(std::ceil(view_.scale())));
    const bool same = postSize == regionPostSize_ && region.firstX == regionPosts_.firstX &&
                      region.firstY == regionPosts_.firstY &&
                      region.columns == regionPosts_.columns && region.rows == regionPosts_.rows;
    if (!same) {
        SilentProgress progress;
        auto pixels = RenderTheaterRegion(*matrix, Database(), region, {postSize, orientation_, {}},
                                          progress);
        if (!pixels) return;
        regionPixels_ = std::move(*pixels);
        regionPosts_ = region;
        regionPostSize_ = postSize;
    }
    const int32_t rows = matrix->yMapExtent();
    const MapPoint a = view_.MapToScreen({static_cast<double>(region.firstX),
                                          static_cast<double>(rows - region.firstY - region.rows)});
    const MapPoint b = view_.MapToScreen({static_cast<double>(region.firstX + region.columns),
                                          static_cast<double>(rows - region.firstY)});
    painter.drawImage(QRectF(QPointF(a.u, a.v), QPointF(b.u, b.v)), Wrap(regionPixels_));
}

// Seams in red: a square of at least 3 pixels on each post with seams when
// zoomed out, a bar along each edge with seams when zoomed in.
void TheaterMapWindow::PaintSeams(QPainter& painter) {
    const TerrainMatrix* matrix = Matrix();
    if (matrix == nullptr || seamPosts_.empty()) return;
    const PostRegion region = view_.VisiblePosts();
    const int32_t rows = matrix->yMapExtent();
    const QColor red = QColor::fromRgb(kSeamColour);
    const double scale = view_.scale();
    const auto first = std::lower_bound(seamPosts_.begin(), seamPosts_.end(), region.firstY,
                                        [](const SeamPost& post, int32_t y) { return post.y < y; });
    std::vector<QRectF> rects;
    for (auto post = first; post != seamPosts_.end() && post->y < region.firstY + region.rows;
         ++post) {
        if (post->x < region.firstX || post->x >= region.firstX + region.columns) continue;
        const MapPoint corner = view_.MapToScreen(
            {static_cast<double>(post->x), static_cast<double>(rows - 1 - post->y)});
        const QRectF cell(corner.u, corner.v, scale, scale);
        if (scale < 6) {
            const double side = std::max(scale, 3.0);
            rects.emplace_back(cell.center().x() - side / 2, cell.center().y() - side / 2, side,
                               side);
            continue;
        }
        const double bar = std::max(2.0, scale / 10);
        const uint8_t edges = post->edges;
        if (edges & (1u << static_cast<int>(Edge::North)))
            rects.emplace_back(cell.left(), cell.top(), scale, bar);
        if (edges & (1u << static_cast<int>(Edge::South)))
            rects.emplace_back(cell.left(), cell.bottom() - bar, scale, bar);
        if (edges & (1u << static_cast<int>(Edge::West)))
            rects.emplace_back(cell.left(), cell.top(), bar, scale);
        if (edges & (1u << static_cast<int>(Edge::East)))
            rects.emplace_back(cell.right() - bar, cell.top(), bar, scale);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(red);
    painter.drawRects(rects.data(), static_cast<int>(rects.size()));
}

}  // namespace lorvane
