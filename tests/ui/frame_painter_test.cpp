// The viewer's painter: the tile image converted pixel for pixel, and bands,
// centre lines and discs painted translucent over it where the frame says.

#include "ui/frame_painter.h"

#include <QtTest>

#include "image/pcx.h"
#include "support/pcx_writer.h"

using namespace lorvane;

class FramePainterTest : public QObject {
    Q_OBJECT

  private slots:
    void tileImageIsThePictureItself() {
        const testing::PcxPicture picture = testing::MakePatternPicture(37, 21, 4);
        const auto decoded = DecodePcx(testing::WritePcx(picture));
        QVERIFY(decoded.has_value());
        const QImage image = TileImage(*decoded);
        QCOMPARE(image.size(), QSize(37, 21));
        for (int y = 0; y < 21; ++y) {
            for (int x = 0; x < 37; ++x) {
                const testing::Rgb rgb = picture.palette[picture.indices[size_t(y * 37 + x)]];
                QCOMPARE(image.pixel(x, y), qRgb(rgb[0], rgb[1], rgb[2]));
            }
        }
    }

    void bandsLinesAndDiscsOverTheImage() {
        // A black 328-pixel tile seen whole at 10 feet a pixel.
        QImage tile(328, 328, QImage::Format_RGB32);
        tile.fill(Qt::black);
        const ViewTransform view(328, 328, 328);
        // A road up the middle 100 feet wide (10 pixels), a water area of
        // radius 300 feet (30 pixels) at the lower left.
        const std::vector<WorkingPath> paths{{1, 100, 0, 1640, 3280, 1640, true}};
        const std::vector<WorkingArea> areas{{0, 300, 800, 800}};
        const auto items = BuildFrame({view,
                                       328,
                                       328,
                                       paths,
                                       areas,
                                       true,
                                       true,
                                       {},
                                       std::nullopt,
                                       std::nullopt,
                                       std::nullopt});
        QImage target(328, 328, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        PaintFrame(painter, items, tile);
        painter.end();

        QCOMPARE(target.pixel(164, 100), qRgb(255, 0, 0));  // the centre line
        const QColor band = target.pixelColor(160, 100);    // inside the band
        QVERIFY2(std::abs(band.red() - kBandAlpha) <= 2, qPrintable(QString::number(band.red())));
        QCOMPARE(band.green(), 0);
        QCOMPARE(target.pixel(150, 100), qRgb(0, 0, 0));  // beside it: the image
        const QColor disc = target.pixelColor(80, 248);   // inside the disc
        QCOMPARE(disc.red(), 0);
        QVERIFY(std::abs(disc.green() - kDiscAlpha) <= 2);
        QCOMPARE(target.pixel(80 + 30, 248), qRgb(0, 255, 255));  // its rim
        QCOMPARE(target.pixel(80 + 40, 248), qRgb(0, 0, 0));
    }

    void onlyTheVisiblePartOfTheImageIsDrawnAtDeepZoom() {
        // A 4 × 4 image of distinct colours, zoomed so that its top-left
        // pixel fills the viewer.
        QImage tile(4, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) tile.setPixel(x, y, qRgb(x * 60, y * 60, 200));
        ViewTransform view(100, 100, 4);
        view.ZoomAbout(100, {0, 0});
        QCOMPARE(view.PixelsPerImagePixel(), 32.0);
        const auto items = BuildFrame(
            {view, 4, 4, {}, {}, true, true, {}, std::nullopt, std::nullopt, std::nullopt});
        QImage target(100, 100, QImage::Format_RGB32);
        QPainter painter(&target);
        PaintFrame(painter, items, tile);
        painter.end();
        QCOMPARE(target.pixel(5, 5), qRgb(0, 0, 200));
        QCOMPARE(target.pixel(40, 5), qRgb(60, 0, 200));
        QCOMPARE(target.pixel(40, 70), qRgb(60, 120, 200));
    }
};

QTEST_MAIN(FramePainterTest)
#include "frame_painter_test.moc"
