// The zoomable viewer with real events on the offscreen platform: the wheel
// zooms about the pointer, the zoom keys, panning with the middle button and
// with Space held, scroll bars that follow the view and move it, and every
// other mouse event passed on in the viewer's pixels.

#include "ui/zoom_viewer.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

using namespace lorvane;

namespace {

void Wheel(QWidget* target, QPointF at, int delta) {
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

struct Window {
    Window() : viewer(view, nullptr) {
        viewer.resize(420, 380);
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(Qt::darkGreen);
        viewer.SetTile(tile);
        viewer.SetFrameSource([this] {
            return BuildFrame(
                {view, 256, 256, {}, {}, true, true, {}, std::nullopt, std::nullopt, std::nullopt});
        });
        viewer.SetMouseHandler([this](const ViewerMouse& mouse) { events.push_back(mouse); });
        viewer.show();
        viewer.activateWindow();
        viewer.setFocus();
    }
    QWidget* area() { return viewer.viewport(); }

    ViewTransform view;
    ZoomViewer viewer;
    std::vector<ViewerMouse> events;
};

}  // namespace

class ZoomViewerTest : public QObject {
    Q_OBJECT

  private slots:
    void fitsTheTileSquareInTheRoomGiven() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        const QSize room = w.area()->size();
        QCOMPARE(w.view.viewportWidth(), double(room.width()));
        QCOMPARE(w.view.viewportHeight(), double(room.height()));
        QVERIFY(w.view.fitted());
        QCOMPARE(w.view.scale(), std::min(room.width(), room.height()) / 3280.0);
        w.viewer.resize(700, 500);
        QTRY_COMPARE(w.view.viewportWidth(), double(w.area()->width()));
        QCOMPARE(w.view.scale(), std::min(w.area()->width(), w.area()->height()) / 3280.0);
    }

    void wheelZoomsAboutThePointer() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        const double side = std::min(w.view.viewportWidth(), w.view.viewportHeight());
        const QPointF offset(w.view.offset().x, w.view.offset().y);
        for (const QPointF at : {QPointF(0.3, 0.6), QPointF(0.8, 0.2), QPointF(0.5, 0.5)}) {
            const QPointF pointer = offset + at * side;
            const FeetPointF under = w.view.ToFeet({pointer.x(), pointer.y()});
            const double scale = w.view.scale();
            Wheel(w.area(), pointer, 120);
            QVERIFY(w.view.scale() > scale * 1.2);
            const ScreenPoint back = w.view.ToScreen(under);
            QVERIFY(std::abs(back.x - pointer.x()) < 1e-6);
            QVERIFY(std::abs(back.y - pointer.y()) < 1e-6);
        }
        QVERIFY(w.events.empty());  // the wheel is the viewer's own
        // The scroll bars show where the view is.
        QCOMPARE(w.viewer.horizontalScrollBar()->maximum(), w.view.HorizontalScroll().maximum);
        QCOMPARE(w.viewer.horizontalScrollBar()->value(), w.view.HorizontalScroll().value);
        QCOMPARE(w.viewer.verticalScrollBar()->value(), w.view.VerticalScroll().value);
        QVERIFY(w.viewer.horizontalScrollBar()->maximum() > 0);
    }

    void zoomKeys() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        const double fit = w.view.scale();
        QTest::keyClick(&w.viewer, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(w.view.scale(), fit * kZoomStep);
        QTest::keyClick(&w.viewer, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(&w.viewer, Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(std::abs(w.view.scale() - fit * kZoomStep) < 1e-12);
        QTest::keyClick(&w.viewer, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(w.view.PixelsPerImagePixel(), 1.0);
        QTest::keyClick(&w.viewer, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(w.view.fitted());
        QCOMPARE(w.view.scale(), fit);
        for (int i = 0; i < 60; ++i) QTest::keyClick(&w.viewer, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(w.view.PixelsPerImagePixel(), kDeepestPixelsPerImagePixel);
    }

    void middleButtonAndSpacePan() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        w.view.ZoomSteps(8);
        w.viewer.ViewChanged();
        const ScreenPoint before = w.view.offset();
        QTest::mousePress(w.area(), Qt::MiddleButton, {}, QPoint(200, 200));
        QTest::mouseMove(w.area(), QPoint(170, 180));
        QTest::mouseMove(w.area(), QPoint(150, 160));
        QTest::mouseRelease(w.area(), Qt::MiddleButton, {}, QPoint(150, 160));
        QCOMPARE(w.view.offset().x, before.x - 50);
        QCOMPARE(w.view.offset().y, before.y - 40);
        QCOMPARE(w.viewer.horizontalScrollBar()->value(), w.view.HorizontalScroll().value);
        QVERIFY(w.events.empty());

        // Left drag with Space held pans too; without Space it is passed on.
        const ScreenPoint mid = w.view.offset();
        QTest::keyPress(&w.viewer, Qt::Key_Space);
        QTest::mousePress(w.area(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(w.area(), QPoint(130, 110));
        QTest::mouseRelease(w.area(), Qt::LeftButton, {}, QPoint(130, 110));
        QTest::keyRelease(&w.viewer, Qt::Key_Space);
        QCOMPARE(w.view.offset().x, mid.x + 30);
        QCOMPARE(w.view.offset().y, mid.y + 10);
        QVERIFY(w.events.empty());

        QTest::mousePress(w.area(), Qt::LeftButton, Qt::AltModifier, QPoint(40, 50));
        QTest::mouseMove(w.area(), QPoint(60, 70));
        QTest::mouseRelease(w.area(), Qt::LeftButton, {}, QPoint(60, 70));
        QCOMPARE(w.view.offset().x, mid.x + 30);  // no pan
        QCOMPARE(int(w.events.size()), 3);
        QCOMPARE(w.events[0].kind, ViewerMouse::Kind::Press);
        QCOMPARE(w.events[0].at, (ScreenPoint{40, 50}));
        QVERIFY(w.events[0].modifiers & Qt::AltModifier);
        QCOMPARE(w.events[1].kind, ViewerMouse::Kind::Move);
        QCOMPARE(w.events[1].at, (ScreenPoint{60, 70}));
        QCOMPARE(w.events[2].kind, ViewerMouse::Kind::Release);
        QCOMPARE(w.events[2].button, Qt::LeftButton);
    }

    void scrollBarsMoveTheView() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        w.view.ZoomSteps(6);
        w.viewer.ViewChanged();
        QScrollBar* bar = w.viewer.horizontalScrollBar();
        bar->setValue(bar->maximum() / 3);
        QCOMPARE(w.view.HorizontalScroll().value, bar->maximum() / 3);
        // Value 0 puts the outer edge of the left margin at the left edge.
        QCOMPARE(w.view.offset().x, w.view.ToPixels(kPanMarginFeet) - double(bar->maximum() / 3));
        w.viewer.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w.view.VerticalScroll().value, w.viewer.verticalScrollBar()->value());
    }

    void paintsTheImageWhereTheViewPutsIt() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.viewer));
        const QImage shot = w.area()->grab().toImage();
        const ScreenPoint centre = w.view.ToScreen({1640, 1640});
        QCOMPARE(shot.pixelColor(int(centre.x), int(centre.y)), QColor(Qt::darkGreen));
        // Outside the square (the room is wider than high): no image.
        QVERIFY(w.view.offset().x > 2);
        QVERIFY(shot.pixelColor(1, int(centre.y)) != QColor(Qt::darkGreen));
    }
};

QTEST_MAIN(ZoomViewerTest)
#include "zoom_viewer_test.moc"
