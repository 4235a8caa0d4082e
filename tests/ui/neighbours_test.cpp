// The tiles around the tile on screen with real events on the offscreen
// platform: with the theater's matrix loaded, a drag with the middle button
// pans past the tile's edge and the tile beside it shows there, faded toward
// the viewer's background; clicks there draw nothing on it.

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include "base/command_ids.h"
#include "editor_window.h"
#include "support/pcx_writer.h"
#include "terrain/terrain_matrix.h"
#include "tiledb/texture_bin.h"

using namespace lorvane;

namespace {

// A picture of one colour.
testing::PcxPicture Plain(testing::Rgb colour) {
    testing::PcxPicture picture{64, 64, std::vector<uint8_t>(64 * 64, 1), {}};
    picture.palette[1] = colour;
    return picture;
}

constexpr QColor kEast(200, 40, 0);

}  // namespace

class NeighboursTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::EditorWindow> window_;
    TerrainMatrix matrix_;
    uint64_t revision_ = 1;

    EditorPanel& Panel() { return *window_->panel; }
    QWidget* Field() { return window_->Field(); }
    QPoint At(FeetPointF feet) const { return window_->At(feet); }
    std::vector<FrameNeighbour> Neighbours() {
        std::vector<FrameNeighbour> found;
        for (const FrameItem& item : Panel().Frame())
            if (const auto* n = std::get_if<FrameNeighbour>(&item)) found.push_back(*n);
        return found;
    }

  private slots:
    void init() {
        window_ = std::make_unique<testing::EditorWindow>("lorvane-neighbours");
        QVERIFY(QTest::qWaitForWindowExposed(window_->dialog.get()));
        const std::filesystem::path& folder = window_->folder;
        // H000 with H001 east of it, whose road runs up it 800 feet in.
        testing::WriteFileBytes(
            folder / "Texture.bin",
            SerializeTextureBin(testing::MakeDatabase(
                {TileSet{4,
                         {testing::MakeTile("H000.PCX"),
                          testing::MakeTile("H001.PCX", {{10, 50, 0, 800, 3280, 800}})}}})));
        testing::WriteFileBytes(folder / "H000.PCX", testing::WritePcx(Plain({0, 90, 200})));
        testing::WriteFileBytes(
            folder / "H001.PCX",
            testing::WritePcx(Plain({uint8_t(kEast.red()), uint8_t(kEast.green()), 0})));
        matrix_ = MakeTerrainMatrix(2, 1);
        matrix_.Cell(1, 0).tileId = 1;
        Panel().UseTheater(matrix_, revision_);
        window_->state->session.Open((folder / "Texture.bin").string());
        Panel().LoadTileImage((folder / "H000.PCX").string(), "H000.PCX");
        window_->dialog->Sync();
        QTRY_VERIFY(Panel().showsImage());
        QTRY_VERIFY(!Panel().HasPosted());
        window_->platform.messages.clear();
    }

    void cleanup() { window_.reset(); }

    void aDragPastTheEdgeShowsTheNeighbourFaded() {
        ViewTransform& view = Panel().view();
        QVERIFY(view.fitted());
        const ScreenPoint fittedCorner = view.offset();
        // Dragged far to the left with the middle button: the tile's right
        // edge stops half a tile in from the viewer's right edge.
        const QPoint from(Field()->width() - 10, Field()->height() / 2);
        QTest::mousePress(Field(), Qt::MiddleButton, {}, from);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(Field(), from - QPoint(step * 100, 0));
        QTest::mouseRelease(Field(), Qt::MiddleButton, {}, from - QPoint(1000, 0));
        QVERIFY(!view.fitted());
        QVERIFY(view.offset().x < fittedCorner.x);
        QVERIFY(std::abs(view.ToFeet({view.viewportWidth(), 0}).y - (TILE_SPAN + kPanMarginFeet)) <
                1e-6);

        const std::vector<FrameNeighbour> shown = Neighbours();
        QCOMPARE(int(shown.size()), 1);
        QVERIFY(shown[0].image.has_value());
        QCOMPARE(int(shown[0].lines.size()), 1);
        const ScreenRect& square = shown[0].square;
        QVERIFY(std::abs(square.left - view.ToScreen({0, TILE_SPAN}).x) < 1e-9);
        QVERIFY(std::abs(square.Right() - view.viewportWidth()) < 1e-9);

        // Painted faded toward the background, the road over it faded too;
        // the tile itself as it is.
        Field()->repaint();
        const QImage shot = Field()->grab().toImage();
        const QColor back = window_->dialog->viewer().palette().color(QPalette::Dark);
        const auto faded = [&](int a, int b) {
            return int(std::lround(a * kNeighbourOpacity + b * (1 - kNeighbourOpacity)));
        };
        const QPoint ground = At({820, TILE_SPAN + 1300});
        const QColor seen = shot.pixelColor(ground);
        QVERIFY2(std::abs(seen.red() - faded(kEast.red(), back.red())) <= 3 &&
                     std::abs(seen.green() - faded(kEast.green(), back.green())) <= 3 &&
                     std::abs(seen.blue() - faded(0, back.blue())) <= 3,
                 qPrintable(seen.name() + " over " + back.name()));
        const QColor road = shot.pixelColor(At({1640, TILE_SPAN + 800}));
        QVERIFY2(road != seen && road.red() > seen.red(), qPrintable(road.name()));
        QCOMPARE(shot.pixelColor(At({1640, 1640})), QColor(0, 90, 200));

        // The path tool's clicks on the neighbour draw nothing.
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, [timer] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                dialog->accept();
            }
        });
        timer->start();
        QTest::mouseClick(window_->dialog->findChild<QWidget*>(QString::number(kPanelNewPath)),
                          Qt::LeftButton);
        QCOMPARE(Panel().tool(), ToolKind::Path);
        for (const FeetPointF feet : {FeetPointF{600, TILE_SPAN + 600}, {2000, TILE_SPAN + 900}}) {
            QTest::mouseMove(Field(), At(feet));
            QTest::mouseClick(Field(), Qt::LeftButton, {}, At(feet));
        }
        QTest::mouseClick(Field(), Qt::RightButton, {}, At({2000, TILE_SPAN + 900}));
        QCOMPARE(Panel().stroke().phase, StrokePhase::None);
        QCOMPARE(Panel().tables().pathCount(), 0);
        QVERIFY(window_->platform.messages.empty());

        // Without the matrix the margin is empty.
        matrix_ = TerrainMatrix{};
        ++revision_;
        QVERIFY(Neighbours().empty());
    }
};

QTEST_MAIN(NeighboursTest)
#include "neighbours_test.moc"
