// The tile image as a 256-colour bitmap: its header and colour table.

#include "ui/device_bitmap.h"

#include <QtTest>

#include "support/pcx_writer.h"

using namespace lorvane;

class DeviceBitmapTest : public QObject {
    Q_OBJECT

  private slots:
    void headerAndColourTable() {
        testing::PcxPicture picture = testing::MakePatternPicture(21, 4, 3);
        picture.palette[0] = {10, 20, 30};
        picture.palette[255] = {250, 251, 252};
        const auto image =
            DecodePcx(testing::WritePcx(picture, {.bytesPerLine = 22, .xMin = 100, .yMin = -3}));
        QVERIFY(image.has_value());
        const BitmapHeader header = BitmapHeaderOf(*image);
        QCOMPARE(header.size, 40u);
        QCOMPARE(header.width, 21);
        QCOMPARE(header.height, -4);  // top-down
        QCOMPARE(header.planes, uint16_t{1});
        QCOMPARE(header.bitCount, uint16_t{8});
        QCOMPARE(header.compression, 0u);
        QCOMPARE(header.coloursUsed, 256u);
        QCOMPARE(header.coloursImportant, 256u);
        const std::array<ColourEntry, 256> table = ColourTableOf(*image);
        QVERIFY((table[0] == ColourEntry{30, 20, 10, 0}));  // blue, green, red
        QVERIFY((table[255] == ColourEntry{252, 251, 250, 0}));
        for (size_t i = 0; i < table.size(); ++i) {
            const testing::Rgb& rgb = picture.palette[i];
            QVERIFY((table[i] == ColourEntry{rgb[2], rgb[1], rgb[0], 0}));
        }
    }
};

QTEST_MAIN(DeviceBitmapTest)
#include "device_bitmap_test.moc"
