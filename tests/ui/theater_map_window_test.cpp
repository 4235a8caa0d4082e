// Theater ▸ Theater Map driven through its real widgets on the offscreen
// platform, over a theater built in the test.

#include "ui/theater_map_window.h"

#include <QAction>
#include <QElapsedTimer>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "base/command_ids.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "support/theater_builder.h"
#include "ui/application.h"
#include "ui/main_window.h"

using namespace lorvane;

namespace {

constexpr int kOrientation = 6;
constexpr int kWaitMs = 60000;

// A pattern of 4 × 3 tiles whose paths meet under kOrientation.
testing::RoadTheater Theater() { return testing::MakeRoadTheater(48, 32, 4, 3, kOrientation, 21); }

void Wheel(QWidget* widget, QPointF at, int delta) {
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

class TheaterMapWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(settingsFolder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }

    void init() {
        app = std::make_unique<Application>(startup.path().toStdString());
        QVERIFY(app->Start());
        AppState& state = app->state();
        testing::RoadTheater theater = Theater();
        state.session.Replace(std::move(theater.database));
        app->output().matrix = std::move(theater.matrix);
        ++app->output().matrixRevision;
        state.shell.terrainLoaded = true;
    }

    void cleanup() { app.reset(); }

    void showsTheTheaterWithItsOrientationAndNoSeams() {
        TheaterMapWindow* map = Open();
        QVERIFY(map != nullptr);
        QCOMPARE(map->orientation(), kOrientation);
        QCOMPARE(map->seamCount(), size_t{0});
        QCOMPARE(map->picture().size(), QSize(48, 32));
        // The pattern's elevations rise evenly, so each post is shaded alike:
        // every post of a tile shows one colour.
        QCOMPARE(map->picture().pixel(0, 0), map->picture().pixel(8, 6));
        // Opening it again keeps the one window.
        app->window().Action(kMenuTheaterMap)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(app->theaterMapWindow(), map);
    }

    void statusBarNamesThePostUnderThePointer() {
        TheaterMapWindow* map = Open();
        QVERIFY(map != nullptr);
        QWidget* canvas = map->canvas();
        QTRY_VERIFY_WITH_TIMEOUT(canvas->width() > 100, kWaitMs);
        const QPoint at(canvas->width() / 3, canvas->height() / 2);
        // Sent to the canvas itself: the offscreen platform gives a pointer
        // moved by QTest to the top window there, which may be the main one.
        QMouseEvent move(QEvent::MouseMove, QPointF(at), canvas->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        const auto post = map->view().PostAt(at.x(), at.y());
        QVERIFY(post.has_value());
        const std::string expected =
            PostStatus(app->output().matrix, &app->state().session.database(), *post);
        QTRY_COMPARE_WITH_TIMEOUT(map->statusBar()->currentMessage(),
                                  QString::fromStdString(expected), kWaitMs);
        QVERIFY(map->statusBar()->currentMessage().contains("   Class "));
    }

    void wheelZoomsAboutThePointerAndDragPans() {
        TheaterMapWindow* map = Open();
        QVERIFY(map != nullptr);
        QWidget* canvas = map->canvas();
        const QPointF at(canvas->width() / 4.0, canvas->height() / 3.0);
        const double scale = map->view().scale();
        const MapPoint before = map->view().ScreenToMap(at.x(), at.y());
        Wheel(canvas, at, 240);
        QCOMPARE(map->view().scale(), scale * 1.25 * 1.25);
        const MapPoint after = map->view().ScreenToMap(at.x(), at.y());
        QVERIFY(std::abs(after.u - before.u) < 1e-9 && std::abs(after.v - before.v) < 1e-9);
        Wheel(canvas, at, -240);
        QVERIFY(std::abs(map->view().scale() - scale) < 1e-9);

        const MapPoint centre = map->view().ScreenToMap(100, 100);
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(130, 90), canvas->mapToGlobal(QPointF(130, 90)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(130, 90));
        const MapPoint moved = map->view().MapToScreen(centre);
        QVERIFY(std::abs(moved.u - 130) < 1e-9 && std::abs(moved.v - 90) < 1e-9);
    }

    void doubleClickLoadsThePostsTileInTheEditor() {
        TheaterMapWindow* map = Open();
        QVERIFY(map != nullptr);
        QWidget* canvas = map->canvas();
        // The top-left post (0, 31) holds tile 0 + 4 × (31 mod 3), H004.PCX.
        const MapPoint corner = map->view().MapToScreen({0.5, 0.5});
        const QPoint at(static_cast<int>(corner.u), static_cast<int>(corner.v));
        const auto post = map->view().PostAt(at.x(), at.y());
        QVERIFY(post.has_value());
        QCOMPARE(post->x, 0);
        QCOMPARE(post->y, 31);
        // The tile's image, in the tiles folder.
        app->state().folders.tileFolder = startup.path().toStdString() + "/";
        testing::WriteFileBytes(startup.filePath("H004.PCX").toStdString(),
                                testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, at);
        const EditorPanel& panel = app->editorPanel();
        QTRY_COMPARE_WITH_TIMEOUT(panel.tileName(), std::string("H004.PCX"), kWaitMs);
        QVERIFY(panel.showsImage());
        // A post whose tile is not in the database says so.
        app->output().matrix.Cell(0, 31).tileId = 500;
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, at);
        QCOMPARE(map->statusBar()->currentMessage(), QString("Tile 500 is not in Texture.bin."));
        QCoreApplication::processEvents();
        QCOMPARE(panel.tileName(), std::string("H004.PCX"));
    }

    void redrawsWhenTheDatabaseOrMatrixChangesAndMarksSeamsRed() {
        TheaterMapWindow* map = Open();
        QVERIFY(map != nullptr);
        QWidget* canvas = map->canvas();
        // Tile 5 loses its paths: its neighbours' ends meet nothing.
        std::vector<TilePath>& paths = app->state().session.database().sets[0].tiles[5].paths;
        QVERIFY(!paths.empty());
        const std::vector<TilePath> kept = paths;
        paths.clear();
        QTRY_VERIFY_WITH_TIMEOUT(map->seamCount() > 0, kWaitMs);
        QVERIFY(!map->seamPosts().empty());
        // The seams show red, zoomed out and zoomed in far enough for paths.
        const auto hasRed = [&] {
            const QImage shot = canvas->grab().toImage();
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixel(x, y) == kSeamColour) return true;
            return false;
        };
        QVERIFY(hasRed());
        map->view().ZoomAt(canvas->width() / 2.0, canvas->height() / 2.0,
                           kPathPostSize * 2 / map->view().scale());
        QVERIFY(map->view().scale() >= kPathPostSize);
        QVERIFY(hasRed());

        app->state().session.database().sets[0].tiles[5].paths = kept;
        QTRY_VERIFY_WITH_TIMEOUT(map->seamCount() == 0, kWaitMs);
        QVERIFY(!hasRed());

        app->output().matrix = testing::PatternMatrix(64, 64, 2, 2);
        ++app->output().matrixRevision;
        QTRY_COMPARE_WITH_TIMEOUT(map->picture().size(), QSize(64, 64), kWaitMs);
        // Without a matrix the window shows nothing and says why.
        app->state().shell.terrainLoaded = false;
        QTRY_VERIFY_WITH_TIMEOUT(map->picture().isNull(), kWaitMs);
        QCOMPARE(map->statusBar()->currentMessage(), QString("No terrain matrix is loaded."));
    }

  private:
    // Theater ▸ Theater Map, as the menu triggers it; null when it did not open.
    TheaterMapWindow* Open() {
        app->window().Action(kMenuTheaterMap)->trigger();
        QElapsedTimer clock;
        clock.start();
        while ((app->theaterMapWindow() == nullptr || !app->theaterMapWindow()->isVisible()) &&
               clock.elapsed() < kWaitMs)
            QTest::qWait(10);
        return app->theaterMapWindow();
    }

    QTemporaryDir settingsFolder;
    QTemporaryDir startup;
    std::unique_ptr<Application> app;
};

QTEST_MAIN(TheaterMapWindowTest)
#include "theater_map_window_test.moc"
