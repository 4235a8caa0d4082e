// The tile list window over 4096 tiles: header sorting, clicks and arrow keys.

#include <QElapsedTimer>
#include <QHeaderView>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "base/command_ids.h"
#include "support/texture_builder.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/placeholder_panel.h"
#include "ui/tile_list_window.h"

using namespace lorvane;

class TileListWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }

    void init() {
        app = std::make_unique<Application>(startup.path().toStdString());
        app->UseStandInPanel();
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
        QCOMPARE(list->size(), QSize(500, 800));

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
                 QString::fromStdString(std::string(NameText(app->state().database.index.back().name))));
    }

    void rowClicksAndArrowKeysLoadTiles() {
        TileListWindow* list = OpenWithLargeDatabase();
        PlaceholderPanel* panel = app->placeholderPanel();
        const QRect second = list->visualRect(list->model()->index(1, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QCoreApplication::processEvents();
        QCOMPARE(panel->commands, std::vector<int>{kPanelLoadTile});  // no tile folder known
        const std::string secondName(NameText(app->state().database.index[1].name));
        QCOMPARE(panel->proposedFileName, secondName);

        app->state().folders.tileFolder = "/tiles/";
        QTest::keyClick(list, Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(panel->commands.back(), int(kPanelLoadTileImage));
        const std::string thirdName(NameText(app->state().database.index[2].name));
        QCOMPARE(panel->tileImagePath, "/tiles/" + thirdName);
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 2);

        // Up/Down at the main window walk the same list.
        QTest::keyClick(&app->window(), Qt::Key_Up);
        QCoreApplication::processEvents();
        QCOMPARE(panel->tileName, secondName);
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 1);

        // Up on the first row loads nothing.
        const size_t loaded = panel->commands.size();
        list->selectRow(0);
        QTest::keyClick(list, Qt::Key_Up);
        QCoreApplication::processEvents();
        QCOMPARE(panel->commands.size(), loaded);
    }

    void rowUpdatesFollowTheEntryAfterSorting() {
        TileListWindow* list = OpenWithLargeDatabase();
        app->shell().TileListHeaderClicked(0);  // descending: entry 0 is the last row
        TileDatabase& database = app->state().database;
        database.index[0].modified = 1;
        database.sets[0].tiles[0].paths.resize(3);
        app->shell().UpdateTileListRow(0);
        QAbstractItemModel* model = list->model();
        QCOMPARE(model->index(4095, 1).data().toString(), QString("XXXXX"));
        QCOMPARE(model->index(4095, 5).data().toString(), QString("3"));
    }

private:
    TileListWindow* OpenWithLargeDatabase() {
        app->state().database = testing::MakeLargeDatabase(256, 16, 0, 0);
        app->state().shell.textureLoaded = true;
        app->shell().ShowTileList();
        return app->window().tileListWindow();
    }

    QTemporaryDir settingsFolder;
    QTemporaryDir startup;
    std::unique_ptr<Application> app;
};

QTEST_MAIN(TileListWindowTest)
#include "tile_list_window_test.moc"
