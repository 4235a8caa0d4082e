// The tile list window over 4096 tiles: header sorting, clicks and arrow keys.

#include "ui/tile_list_window.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "base/command_ids.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "ui/application.h"
#include "ui/main_window.h"

using namespace lorvane;

namespace {
constexpr int kWaitMs = 60000;
}  // namespace

class TileListWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }

    void init() {
        app = std::make_unique<Application>(startup.path().toStdString());
        QVERIFY(app->Start());
    }

    void cleanup() { app.reset(); }

    void opensEmptyWithItsColumnsWithoutADatabase() {
        app->window().Action(kMenuShowTileList)->trigger();
        QCoreApplication::processEvents();
        TileListWindow* list = app->window().tileListWindow();
        QVERIFY(list != nullptr);
        QCOMPARE(list->windowTitle(), QString("Tile List - Click Tile ID to Load Image"));
        QCOMPARE(list->model()->rowCount(), 0);
        QStringList headers;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            headers << list->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"ID", "Mod", "Name", "Type", "Set#", "Paths", "Areas"}));
        QCOMPARE(list->columnWidth(2), 120);
        // Every title whole, beside its sort arrow, and every column in view.
        const QHeaderView* header = list->horizontalHeader();
        QVERIFY(header->isSortIndicatorShown());
        int columns = 0;
        for (int c = 0; c < list->model()->columnCount(); ++c) {
            QVERIFY(list->columnWidth(c) >=
                    header->fontMetrics().horizontalAdvance(headers[c]) + 16);
            columns += list->columnWidth(c);
        }
        QVERIFY(list->width() >= columns);

        // Closed by the user, it is made afresh by the next command.
        list->close();
        QCoreApplication::processEvents();
        QVERIFY(app->window().tileListWindow() == nullptr);
        QVERIFY(!app->shell().tileListOpen());
        app->window().Action(kMenuShowTileList)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(app->window().tileListWindow() != nullptr);
    }

    void sorts4096RowsByEveryColumnThroughTheHeader() {
        TileListWindow* list = OpenWithLargeDatabase();
        QCOMPARE(list->model()->rowCount(), 4096);
        QHeaderView* header = list->horizontalHeader();
        for (int column = 0; column < 7; ++column) {
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, 5));
            list->repaint();
            qInfo("sorting 4096 rows by column %d and repainting: %lld ms", column,
                  static_cast<long long>(timer.elapsed()));
        }
        // Clicks so far: ID desc, Mod asc, Name desc, Type asc, Set# desc,
        // Paths asc, Areas desc; one more on "ID" sorts ascending.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, 5));
        QAbstractItemModel* model = list->model();
        for (int row = 1; row < 4096; row += 97)
            QVERIFY(model->index(row - 1, 0).data().toInt() < model->index(row, 0).data().toInt());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 5, 5));
        QCOMPARE(model->index(0, 2).data().toString(),
                 QString::fromStdString(
                     std::string(NameText(app->state().session.database().index.back().name))));
    }

    void rowClicksAndArrowKeysLoadTiles() {
        TileListWindow* list = OpenWithLargeDatabase();
        const EditorPanel& panel = app->editorPanel();
        const TileDatabase& database = app->state().session.database();
        const auto name = [&](size_t position) {
            return std::string(NameText(database.index[position].name));
        };
        // The tiles folder holds the first three tiles' images.
        app->state().folders.tileFolder = startup.path().toStdString() + "/";
        for (size_t position = 0; position < 3; ++position)
            testing::WriteFileBytes(
                startup.filePath(QString::fromStdString(name(position))).toStdString(),
                testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
        const QRect second = list->visualRect(list->model()->index(1, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTRY_COMPARE_WITH_TIMEOUT(panel.tileName(), name(1), kWaitMs);

        QTest::keyClick(list, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(panel.tileName(), name(2), kWaitMs);
        QCOMPARE(panel.tileImagePath(), app->state().folders.tileFolder + name(2));
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 2);

        // Up/Down at the main window walk the same list.
        QTest::keyClick(&app->window(), Qt::Key_Up);
        QTRY_COMPARE_WITH_TIMEOUT(panel.tileName(), name(1), kWaitMs);
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 1);

        // Up on the first row loads nothing.
        QTest::keyClick(list, Qt::Key_Up);
        QTRY_COMPARE_WITH_TIMEOUT(panel.tileName(), name(0), kWaitMs);
        const std::string shown = panel.tileImagePath();
        std::filesystem::remove(shown);  // another load would fail
        QTest::keyClick(list, Qt::Key_Up);
        QCoreApplication::processEvents();
        QCOMPARE(panel.tileName(), name(0));
        QVERIFY(panel.showsImage());
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 0);
    }

    void rowUpdatesFollowTheEntryAfterSorting() {
        TileListWindow* list = OpenWithLargeDatabase();
        app->shell().TileListHeaderClicked(0);  // descending: entry 0 is the last row
        TileDatabase& database = app->state().session.database();
        database.index[0].modified = 1;
        database.sets[0].tiles[0].paths.resize(3);
        app->shell().UpdateTileListRow(0);
        QAbstractItemModel* model = list->model();
        QCOMPARE(model->index(4095, 1).data().toString(), QString("XXXXX"));
        QCOMPARE(model->index(4095, 5).data().toString(), QString("3"));
    }

  private:
    TileListWindow* OpenWithLargeDatabase() {
        app->state().session.Replace(testing::MakeLargeDatabase(256, 16, 0, 0));
        app->shell().ShowTileList();
        return app->window().tileListWindow();
    }

    QTemporaryDir settingsFolder;
    QTemporaryDir startup;
    std::unique_ptr<Application> app;
};

QTEST_MAIN(TileListWindowTest)
#include "tile_list_window_test.moc"
