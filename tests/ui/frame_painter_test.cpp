// The viewer's painter: the tile image converted pixel for pixel, and bands,
// centre lines and discs painted translucent over it where the frame says;
// the neighbours faded and cut to their squares; edge markers and their
// counts whole and visible on ground of their own colour.

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

    void aNeighbourIsFadedAndCutToItsSquare() {
        // The right half of a black viewer is a neighbour's square: its green
        // image at the neighbours' opacity, a road across the whole viewer
        // painted only inside it.
        testing::PcxPicture picture{2, 2, std::vector<uint8_t>(4, 1), {}};
        picture.palette[1] = {0, 200, 0};
        auto decoded = DecodePcx(testing::WritePcx(picture));
        QVERIFY(decoded.has_value());
        FrameNeighbour neighbour{{164, 0, 164, 328}};
        neighbour.image = FrameImage{{0, 0, 2, 2}, {164, 0, 164, 328}};
        neighbour.picture = std::make_shared<const PcxImage>(std::move(*decoded));
        neighbour.pictureKey = 3;
        neighbour.lines = {FrameLine{{0, 100}, {328, 100}, {255, 0, 0, 255}, 3}};
        neighbour.opacity = kNeighbourOpacity;
        QImage target(328, 328, QImage::Format_RGB32);
        target.fill(Qt::black);
        NeighbourPictures pictures;
        QPainter painter(&target);
        PaintFrame(painter, {neighbour}, QImage(), &pictures);
        painter.end();
        const int green = int(std::lround(200 * kNeighbourOpacity));
        QVERIFY(std::abs(target.pixelColor(250, 250).green() - green) <= 2);
        QCOMPARE(target.pixelColor(250, 250).red(), 0);
        QVERIFY(std::abs(target.pixelColor(250, 100).red() - int(255 * kNeighbourOpacity)) <= 2);
        QCOMPARE(target.pixel(100, 100), qRgb(0, 0, 0));  // the road outside the square
        QCOMPARE(target.pixel(100, 250), qRgb(0, 0, 0));
        QCOMPARE(int(pictures.size()), 1);  // converted once, kept
    }

    void edgeMarkersShowWholeOnEveryEdgeOverTheirOwnColour() {
        // A red tile, fitted, with road markers (red) on its four edges.
        QImage tile(328, 328, QImage::Format_RGB32);
        tile.fill(QColor(255, 0, 0));
        const ViewTransform view(328, 328, 328);
        const std::vector<NeighbourMarker> markers = {{{3280, 1640}, 1, 60, 12},
                                                      {{1640, 3280}, 1, 60, 345},
                                                      {{0, 1640}, 1, 60, 6},
                                                      {{1640, 0}, 1, 60, 78}};
        const auto items = BuildFrame({view,
                                       328,
                                       328,
                                       {},
                                       {},
                                       true,
                                       true,
                                       {},
                                       std::nullopt,
                                       std::nullopt,
                                       std::nullopt,
                                       markers});
        QImage target(328, 328, QImage::Format_RGB32);
        QPainter painter(&target);
        PaintFrame(painter, items, tile);
        painter.end();
        const auto light = [&](int left, int top, int right, int bottom) {
            int count = 0;
            for (int y = std::max(top, 0); y < std::min(bottom, 328); ++y)
                for (int x = std::max(left, 0); x < std::min(right, 328); ++x)
                    if (target.pixelColor(x, y).green() > 200) ++count;
            return count;
        };
        for (const FrameItem& item : items) {
            const auto* marker = std::get_if<FrameEdgeMarker>(&item);
            if (marker == nullptr) continue;
            const int x = int(marker->at.x);
            const int y = int(marker->at.y);
            // Inside the viewer, its fill red, ringed in white.
            QVERIFY(x >= 5 && x <= 322 && y >= 5 && y <= 322);
            QCOMPARE(target.pixel(x, y), qRgb(255, 0, 0));
            QVERIFY2(light(x - 7, y - 7, x + 8, y + 8) >= 12, qPrintable(QString::number(x)));
            // Its count beside it, haloed in white: within 60 pixels of it.
            QVERIFY(light(x - 60, y - 30, x + 60, y + 30) > light(x - 7, y - 7, x + 8, y + 8) + 20);
        }
        // Nothing is cut at the viewer's edges: no halo touches them.
        QCOMPARE(light(0, 0, 328, 1) + light(0, 327, 328, 328), 0);
        QCOMPARE(light(0, 0, 1, 328) + light(327, 0, 328, 328), 0);
    }
};

QTEST_MAIN(FramePainterTest)
#include "frame_painter_test.moc"
