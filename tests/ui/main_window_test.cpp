// The main window driven through its real widgets on the offscreen platform.

#include "ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <map>

#include "base/command_ids.h"
#include "shell/keyboard_shortcuts.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "ui/about_box.h"
#include "ui/application.h"
#include "ui/help_windows.h"
#include "ui/lorvane_dialog.h"
#include "ui/messages_window.h"
#include "ui/zoom_viewer.h"

using namespace lorvane;

namespace {

QStringList Texts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QString("-") : action->text());
    return texts;
}

// Clicks a button of the next modal message box as soon as it shows.
void AnswerNextModal(QMessageBox::StandardButton button) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // A box without that button is not the one answered.
        if (box == nullptr || box->button(button) == nullptr) return;
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(settingsFolder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }

    void init() {
        QSettings("Hollin", "Quistral").clear();
        startup = std::make_unique<QTemporaryDir>();
    }

    void cleanup() { startup.reset(); }

    void menuHasEveryItemWithItsStates() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        QCOMPARE(window.windowTitle(), QString("Lorvane"));
        QStringList titles;
        for (QAction* action : window.menuBar()->actions()) titles << action->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Theater", "&Help"}));
        QCOMPARE(
            Texts(window.Popup(0)),
            (QStringList{"Open &L2 File...", "Load L2 &Matrix...", "&Save L2 Matrix...", "-",
                         "Open &Texture.bin file...", "Sa&ve Texture.bin file...",
                         "Save Texture.bin &As...", "&Generate New Texture.bin file...", "-",
                         "&Generate .thr map...", "Generate .mea file...",
                         "Edit Theater.map file...", "-", "E&xport .bin Tiles...",
                         "&Import .bin Tiles...", "&Compare With...", "&Merge...", "-", "&Exit"}));
        QCOMPARE(Texts(window.Popup(1)), (QStringList{"&Load New Tile...",
                                                      "Add Tiles to Set...",
                                                      "Add Set to Texture.bin",
                                                      "Change Set &Terrain Type",
                                                      "-",
                                                      "&Undo",
                                                      "&Redo",
                                                      "-",
                                                      "Cu&t\tCtrl+X",
                                                      "C&opy\tCtrl+C",
                                                      "&Paste\tCtrl+V",
                                                      "Paste at Poi&nter\tCtrl+Shift+V",
                                                      "&Duplicate\tCtrl+D",
                                                      "&Select All\tCtrl+A",
                                                      "-",
                                                      "Add New Path...",
                                                      "Tra&ce\tT",
                                                      "Su&ggest Paths",
                                                      "Accept Suggestion\tA",
                                                      "Reject Suggestion\tD",
                                                      "Accept All Suggestions",
                                                      "Reject All Suggestions",
                                                      "Suggestion T&ype...",
                                                      "Add New &Area",
                                                      "Delete Path...",
                                                      "Delete Area",
                                                      "-",
                                                      "Pre&ferences..."}));
        // The zoom keys are the viewer's: the items show them.
        QCOMPARE(Texts(window.Popup(2)),
                 (QStringList{"Zoom &In\tCtrl+=", "Zoom &Out\tCtrl+-", "&Whole Tile\tCtrl+0",
                              "&Actual Size\tCtrl+1", "-", "Show &Paths", "Show A&reas", "-",
                              "Show &Tile List", "Theater &Map", "M&essages"}));
        QVERIFY(window.Action(kPanelShowPaths)->isCheckable());
        QVERIFY(window.Action(kPanelShowPaths)->isChecked());
        QCOMPARE(Texts(window.Popup(3)), (QStringList{"Select Theater", "-", "Balkans"}));
        QCOMPARE(Texts(window.Popup(4)),
                 (QStringList{"&User Guide", "&Keyboard Shortcuts", "-", "About Lorvane..."}));
        // After start-up the terrain commands are enabled; saves are grayed.
        QVERIFY(window.Action(kMenuOpenL2File)->isEnabled());
        QVERIFY(window.Action(kMenuLoadL2Matrix)->isEnabled());
        QVERIFY(!window.Action(kMenuSaveL2Matrix)->isEnabled());
        QVERIFY(!window.Action(kMenuSaveTextureBin)->isEnabled());
        QVERIFY(!window.Action(kMenuSelectTheaterTitle)->isEnabled());
        QVERIFY(window.Action(kTheaterFirst)->isChecked());
        // Without a kept place the window opens at 1024 x 768 or more where
        // the screen has room, wholly on it.
        const QRect screen = window.screen()->availableGeometry();
        QCOMPARE(window.width(), std::min(std::max(kMainWindowWidth, window.minimumWidth()),
                                          std::max(screen.width(), window.minimumWidth())));
        QVERIFY(screen.contains(QRect(window.pos(), window.size())) ||
                window.width() > screen.width());
        QCOMPARE(window.centralWidget(), static_cast<QWidget*>(app.lorvaneDialog()));
        QCOMPARE(window.width(), app.lorvaneDialog()->width());
    }

    void resizableWithItsPlaceKeptAndItsIcon() {
        QSize smallest;
        int dx = 0;
        int dy = 0;
        {
            Application app(startup->path().toStdString());
            QVERIFY(app.Start());
            MainWindow& window = app.window();
            QVERIFY(!window.windowIcon().isNull());
            smallest = window.minimumSize();
            QVERIFY(window.maximumSize().width() > smallest.width());
            QVERIFY(smallest.width() >= app.lorvaneDialog()->minimumWidth());
            QVERIFY(smallest.height() > app.lorvaneDialog()->minimumHeight());
            // Smaller than the seed's size is not possible.
            window.resize(100, 100);
            QCOMPARE(window.size(), smallest);
            // The seed layout, then the room given to the viewer.
            const auto place = [&app](int id) {
                return app.lorvaneDialog()->findChild<QWidget*>(QString::number(id))->geometry();
            };
            const int ids[] = {kPanelViewer,   kPanelSave,     kPanelNewPath,  kPanelPathList,
                               kPanelAreaList, kPanelPointerX, kPanelShowAreas};
            std::map<int, QRect> seed;
            for (int id : ids) seed[id] = place(id);
            // Grown within the screen: a stored size is never larger than it.
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            dx = std::min(250, (screen.width() - smallest.width() - 40) / 2 * 2);
            dy = std::min(180, screen.height() - smallest.height() - 50);
            QVERIFY(dx > 0 && dy > 0);
            window.resize(smallest + QSize(dx, dy));
            window.move(40, 50);
            QCOMPARE(place(kPanelViewer), seed[kPanelViewer].adjusted(0, 0, dx, dy));
            QCOMPARE(place(kPanelSave), seed[kPanelSave].translated(dx, 0));
            QCOMPARE(place(kPanelNewPath), seed[kPanelNewPath].translated(dx, 0));
            QCOMPARE(place(kPanelPathList), seed[kPanelPathList].adjusted(0, dy, dx / 2, dy));
            QCOMPARE(place(kPanelAreaList), seed[kPanelAreaList].adjusted(dx / 2, dy, dx, dy));
            QCOMPARE(place(kPanelPointerX), seed[kPanelPointerX].translated(0, dy));
            QCOMPARE(place(kPanelShowAreas), seed[kPanelShowAreas].translated(dx / 2, dy));
            QVERIFY(window.close());
        }
        QCOMPARE(QSettings("Hollin", "Quistral").value("Window/Geometry").toString(),
                 QString("40,50,%1,%2").arg(smallest.width() + dx).arg(smallest.height() + dy));
        Application again(startup->path().toStdString());
        QVERIFY(again.Start());
        QCOMPARE(again.window().size(), smallest + QSize(dx, dy));
        QCOMPARE(again.window().pos(), QPoint(40, 50));
        // A kept size below the smallest is raised to it (without Qt's own
        // record, which is read first).
        QSettings("Hollin", "Quistral").remove("Window/Placement");
        QSettings("Hollin", "Quistral").setValue("Window/Geometry", "10,10,20,20");
        Application small(startup->path().toStdString());
        QVERIFY(small.Start());
        QCOMPARE(small.window().size(), smallest);
    }

    void menuCommandsReachTheEditorPanel() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        // Undo and Redo are grayed while there is nothing to undo or redo.
        QVERIFY(!window.Action(kPanelUndoSegment)->isEnabled());
        QVERIFY(!window.Action(kPanelRedo)->isEnabled());
        app.shell().ShowUndoRedo("Add Road Segment", "Remove Water Area");
        QCOMPARE(window.Action(kPanelUndoSegment)->text(), QString("&Undo Add Road Segment"));
        QCOMPARE(window.Action(kPanelRedo)->text(), QString("&Redo Remove Water Area"));
        QCOMPARE(window.Action(kPanelUndoSegment)->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(window.Action(kPanelRedo)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
        // Save does nothing before a database is loaded.
        window.Action(kMenuSaveTextureBin)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        // A tile of a database with one segment on it: Undo and Redo reach
        // the editor and the menu shows what they would do next.
        app.state().session.Replace(testing::MakeDatabase(
            {TileSet{4, {testing::MakeTile("H000.PCX", {{10, 60, 100, 200, 300, 400}})}}}));
        const std::string image = startup->filePath("H000.PCX").toStdString();
        testing::WriteFileBytes(image, testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
        app.shell().OpenPath(image);
        EditorPanel& panel = app.editorPanel();
        QCOMPARE(panel.tileName(), std::string("H000.PCX"));
        QVERIFY(panel.Apply(
            MakeRemoveEntry(panel.tables(), *panel.tileOnScreen(), EntryKind::Path, 1)));
        app.lorvaneDialog()->Sync();
        QCOMPARE(panel.tables().pathCount(), 0);
        QVERIFY(window.Action(kPanelUndoSegment)->isEnabled());
        window.Action(kPanelUndoSegment)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(panel.tables().pathCount(), 1);
        QVERIFY(!window.Action(kPanelUndoSegment)->isEnabled());
        QVERIFY(window.Action(kPanelRedo)->isEnabled());
        window.Action(kPanelRedo)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(panel.tables().pathCount(), 0);
    }

    void everyShortcutShowsInItsMenuItem() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        // Twice: the menu drawn again (a recent file added) keeps them.
        for (int pass = 0; pass < 2; ++pass) {
            for (const KeyboardShortcut& shortcut : KeyboardShortcuts()) {
                if (shortcut.id == 0) continue;
                QAction* action = window.Action(shortcut.id);
                QVERIFY2(action != nullptr, shortcut.what.c_str());
                QList<QKeySequence> keys;
                for (const std::string& key : shortcut.keys) keys << QKeySequence(ToQt(key));
                if (shortcut.menuHoldsKeys) {
                    QCOMPARE(action->shortcuts(), keys);
                } else {
                    QVERIFY(action->shortcuts().isEmpty());
                    QVERIFY(action->text().endsWith(
                        '\t' + keys.front().toString(QKeySequence::NativeText)));
                }
            }
            app.shell().RememberFile("/elsewhere/Texture.bin");
        }
        QCOMPARE(window.Action(kMenuSaveTextureBinAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(window.Action(kMenuOpenTextureBin)->shortcut(), QKeySequence("Ctrl+O"));
    }

    void noticesGoToTheStatusBarAndTheMessagesWindow() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        // A database loaded: no box, the status bar says so with its file.
        const std::string file = startup->filePath("Texture.bin").toStdString();
        QVERIFY(SaveTextureBin(file,
                               testing::MakeDatabase({TileSet{4, {testing::MakeTile("H000.PCX")}}}),
                               {}, app.shell().platform().messages));
        app.OpenFiles({file});
        QCoreApplication::processEvents();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(window.noticeField()->text(),
                 ToQt("Texture.bin loaded: 1 Set  1 Tile \u2014 Texture.bin"));
        QVERIFY(window.noticeField()->toolTip().contains(ToQt(file)));

        // The Messages window lists it; a failure shown in a box joins it.
        window.Action(kMenuMessages)->trigger();
        QCoreApplication::processEvents();
        MessagesWindow* messages = window.messagesWindow();
        QVERIFY(messages != nullptr);
        QVERIFY(messages->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(messages->list()->count(), 1);
        QVERIFY(messages->list()->item(0)->text().contains(
            "  Done  Texture.bin Successfully Loaded: Texture.bin loaded: 1 Set  1 Tile"));
        AnswerNextModal(QMessageBox::Ok);
        app.shell().platform().messages.Error("Error reading Texture.bin",
                                              "Texture.bin Not Loaded");
        QCOMPARE(messages->list()->count(), 2);
        QVERIFY(messages->list()->item(1)->text().contains("  Error  Texture.bin Not Loaded"));
        QCOMPARE(window.noticeField()->text().left(19), QString("Texture.bin loaded:"));
        messages->findChild<QPushButton*>("clearMessages")->click();
        QCOMPARE(messages->list()->count(), 0);
    }

    void viewAndHelpMenusReachTheirWindows() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        EditorPanel& panel = app.editorPanel();
        // Show Paths in the menu and the panel's check box are one choice.
        window.Action(kPanelShowPaths)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!panel.showPaths());
        QVERIFY(!window.Action(kPanelShowPaths)->isChecked());
        app.lorvaneDialog()->findChild<QCheckBox*>(QString::number(kPanelShowPaths))->click();
        QCoreApplication::processEvents();
        QVERIFY(panel.showPaths());
        QVERIFY(window.Action(kPanelShowPaths)->isChecked());
        // The zoom items zoom the viewer.
        const double fitted = panel.view().scale();
        window.Action(kMenuZoomIn)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(panel.view().scale() > fitted);
        window.Action(kMenuZoomFit)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(panel.view().scale(), fitted);

        window.Action(kMenuUserGuide)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(window.userGuideWindow() != nullptr);
        QVERIFY(
            window.userGuideWindow()->browser()->toPlainText().contains("Draw paths and areas"));
        window.Action(kMenuKeyboardShortcuts)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(window.shortcutsWindow() != nullptr);
        QCOMPARE(static_cast<size_t>(window.shortcutsWindow()->table()->topLevelItemCount()),
                 KeyboardShortcuts().size());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        // Every control of the panel says what it is for.
        for (QWidget* child : app.lorvaneDialog()->findChildren<QWidget*>()) {
            bool number = false;
            child->objectName().toInt(&number);
            if (number) QVERIFY2(!child->toolTip().isEmpty(), qPrintable(child->objectName()));
        }
    }

    void theaterMenuFromIniFile() {
        std::ofstream(startup->filePath("Quistral.ini").toStdString())
            << "[Location]\nTheaters=15\n1=Korea\n2=Balkans\n[Korea]\nX Sections=32\n";
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        const QStringList items = Texts(window.Popup(kTheaterPopup));
        QCOMPARE(items.size(), 12);
        QCOMPARE(items[2], QString("Korea"));
        QCOMPARE(items[3], QString("Balkans"));
        QVERIFY(window.Action(kTheaterLast) != nullptr);
        QCOMPARE(app.state().theaters.settings.xSections, 64);
        window.Action(kTheaterFirst + 0)->trigger();
        window.Action(kTheaterFirst + 0)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(app.state().theaters.settings.xSections, 32);
        QVERIFY(window.Action(kTheaterFirst)->isChecked());
        window.Action(kTheaterFirst + 1)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!window.Action(kTheaterFirst)->isChecked());
        QVERIFY(window.Action(kTheaterFirst + 1)->isChecked());
        QCOMPARE(app.state().theaters.settings.xSections, 64);
    }

    void recentFilesSurviveARestart() {
        const std::string bin = startup->filePath("Texture.bin").toStdString();
        testing::WriteFileBytes(bin, SerializeTextureBin(testing::MakeDatabase(
                                         {TileSet{4, {testing::MakeTile("H000.PCX")}}})));
        {
            Application app(startup->path().toStdString());
            QVERIFY(app.Start());
            for (int i = 0; i < 8; ++i)
                app.shell().RememberFile("/gone/" + std::to_string(i) + ".bin");
            app.shell().RememberFile(bin);
        }
        QCOMPARE(QSettings("Hollin", "Quistral").value("File1").toString(),
                 QString::fromStdString(bin));
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        const QStringList file = Texts(window.Popup(0));
        // Six shown, numbered, then the separator 8000 and "&Exit".
        QCOMPARE(file.mid(18), (QStringList{"&1 " + QString::fromStdString(bin), "&2 /gone/7.bin",
                                            "&3 /gone/6.bin", "&4 /gone/5.bin", "&5 /gone/4.bin",
                                            "&6 /gone/3.bin", "-", "&Exit"}));
        // Loaded without a box: the status bar says so.
        window.Action(kRecentFirst)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(app.state().session.loaded());
        QCOMPARE(app.state().session.File(), bin);
        QCOMPARE(window.windowTitle().toStdString(), bin);

        // A file that is gone: its message, then it leaves the menu and the settings.
        AnswerNextModal(QMessageBox::Ok);
        window.Action(kRecentFirst + 1)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(Texts(window.Popup(0)).at(19), QString("&2 /gone/6.bin"));
        QCOMPARE(QSettings("Hollin", "Quistral").value("File2").toString(), QString("/gone/6.bin"));
    }

    void aboutBoxClosesOnlyThroughOk() {
        AboutBox box(nullptr);
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
        QVERIFY(!box.close());
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void closeAsksOnlyWithUnsavedChanges() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        QSignalSpy closed(&window, &MainWindow::closed);
        // A database built anew is not in a file yet: unsaved.
        app.state().session.Replace(
            testing::MakeDatabase({TileSet{4, {testing::MakeTile("H000.PCX")}}}));
        AnswerNextModal(QMessageBox::Cancel);
        window.Action(kMenuExit)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(window.isVisible());
        QCOMPARE(closed.count(), 0);

        AnswerNextModal(QMessageBox::Discard);
        QVERIFY(window.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!app.state().session.loaded());
    }

    void preferencesOpenFromTheEditMenuAndEveryMnemonicHasItsField() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        QString title;
        int labelsWithoutField = -1;
        auto* timer = new QTimer(&app.window());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            title = dialog->windowTitle();
            labelsWithoutField = 0;
            for (QLabel* label : dialog->findChildren<QLabel*>())
                if (label->text().contains('&') && label->buddy() == nullptr) ++labelsWithoutField;
            dialog->reject();
        });
        timer->start();
        app.window().Action(kMenuPreferences)->trigger();
        QTRY_COMPARE(title, QString("Preferences"));
        QCOMPARE(labelsWithoutField, 0);
    }

    void droppedFilesOpenTheDatabaseAndTheTile() {
        Application app(startup->path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        const QString bin = startup->filePath("Texture.bin");
        testing::WriteFileBytes(bin.toStdString(),
                                SerializeTextureBin(testing::MakeDatabase(
                                    {TileSet{4, {testing::MakeTile("H000.PCX")}}})));
        const QString tile = startup->filePath("H000.PCX");
        testing::WriteFileBytes(tile.toStdString(),
                                testing::WritePcx(testing::MakePatternPicture(16, 16, 3)));
        // The drag comes in, then drops; true when the window took both.
        const auto drop = [&window](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            const QPoint at = window.rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &enter);
            if (!enter.isAccepted()) return false;
            QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &dropped);
            QCoreApplication::processEvents();
            return dropped.isAccepted();
        };

        // Nothing it opens: the drag is refused.
        QVERIFY(!drop({QUrl::fromLocalFile(startup->filePath("notes.txt")),
                       QUrl::fromLocalFile(startup->filePath("Theater.L2")),
                       QUrl("http://localhost/Texture.bin")}));
        QVERIFY(!app.state().session.loaded());

        // The database, then the tile, whatever their order in the drop.
        QVERIFY(drop({QUrl::fromLocalFile(tile), QUrl::fromLocalFile(bin)}));
        QCOMPARE(app.state().session.File(), bin.toStdString());
        QCOMPARE(app.editorPanel().tileName(), std::string("H000.PCX"));
        QVERIFY(app.editorPanel().tileOnScreen().has_value());
        QCOMPARE(QSettings("Hollin", "Quistral").value("File1").toString(), bin);
        QCOMPARE(Texts(window.Popup(0)).filter(QString("H000")).size(), 0);

        // Unsaved changes: asked first, as File > Open asks; Cancel keeps them.
        app.state().session.Replace(testing::MakeDatabase(
            {TileSet{4, {testing::MakeTile("H001.PCX"), testing::MakeTile("H002.PCX")}}}));
        AnswerNextModal(QMessageBox::Cancel);
        QVERIFY(drop({QUrl::fromLocalFile(bin)}));
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(app.state().session.database().tileCount(), 2);
        AnswerNextModal(QMessageBox::Discard);
        QVERIFY(drop({QUrl::fromLocalFile(bin)}));
        QTRY_COMPARE(app.state().session.database().tileCount(), 1);
        QCOMPARE(app.state().session.File(), bin.toStdString());
    }

  private:
    QTemporaryDir settingsFolder;
    std::unique_ptr<QTemporaryDir> startup;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
