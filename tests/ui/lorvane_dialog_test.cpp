// The editor panel's widgets driven with real events on the offscreen
// platform: drawing on the viewer, the New Path dialog and the Delete Path
// dialog, the double click and the context menus.

#include "ui/lorvane_dialog.h"

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>
#include <functional>

#include "base/command_ids.h"
#include "editor/entry_points.h"
#include "shell/main_shell.h"
#include "support/pcx_writer.h"
#include "support/scripted_platform.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/zoom_viewer.h"

using namespace lorvane;

namespace {

// Runs work on the next modal dialog as soon as it shows.
void OnNextDialog(std::function<void(QDialog&)> work) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, work] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        timer->stop();
        timer->deleteLater();
        work(*dialog);
    });
    timer->start();
}

// Records the actions of the next context menu as soon as it shows, then
// triggers the one named (or, with none named, closes it with Escape).
void OnNextMenu(QStringList& shown, const QString& choose) {
    // A wait for a menu that never showed ends here.
    static QPointer<QTimer> waiting;
    delete waiting.data();
    shown.clear();
    auto* timer = new QTimer;
    waiting = timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, &shown, choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        timer->stop();
        timer->deleteLater();
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            shown << action->text();
            if (action->text() == choose) chosen = action;
        }
        if (chosen != nullptr) {
            chosen->trigger();
            menu->close();
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    timer->start();
}

template <typename Widget>
Widget* Child(QWidget& parent, int id) {
    return parent.findChild<Widget*>(QString::number(id));
}

}  // namespace

class LorvaneDialogTest : public QObject {
    Q_OBJECT

  private:
    std::filesystem::path folder_;
    std::unique_ptr<AppState> state_;
    testing::ScriptedPlatform platform_;
    std::unique_ptr<MainShell> shell_;
    std::unique_ptr<EditorPanel> panel_;  // the program owns the panel
    std::unique_ptr<LorvaneDialog> dialog_;

    // A read-out's text; the point fields are line edits that take typed feet.
    QString Readout(int id) {
        if (auto* field = Child<QLineEdit>(*dialog_, id)) return field->text();
        return Child<QLabel>(*dialog_, id)->text();
    }
    QTreeWidget& PathList() { return *Child<QTreeWidget>(*dialog_, kPanelPathList); }
    QTreeWidget& AreaList() { return *Child<QTreeWidget>(*dialog_, kPanelAreaList); }
    // The field of the viewer that mouse input goes to.
    QWidget* ViewerField() { return dialog_->viewer().viewport(); }
    // A pixel of a 300-pixel square over the tile as a point of the viewer's
    // field: the tile is shown square and centred, whatever the field's size.
    QPoint ViewerPoint(int x, int y) {
        const ViewTransform& view = dialog_->panel().view();
        const double side = view.ToPixels(TILE_SPAN);
        return QPoint(int(std::lround(view.offset().x + x * side / 300)),
                      int(std::lround(view.offset().y + y * side / 300)));
    }
    void ClickViewer(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(ViewerField(), ViewerPoint(x, y));
        QTest::mouseClick(ViewerField(), button, {}, ViewerPoint(x, y));
    }
    void Click(int id) { QTest::mouseClick(Child<QPushButton>(*dialog_, id), Qt::LeftButton); }
    static int SelectedRow(QTreeWidget& list) {
        const QList<QTreeWidgetItem*> selected = list.selectedItems();
        return selected.isEmpty() ? -1 : list.indexOfTopLevelItem(selected.front());
    }

  private slots:
    void init() {
        folder_ = testing::MakeTempFolder("lorvane-ui");
        state_ = std::make_unique<AppState>();
        platform_ = testing::ScriptedPlatform{};
        shell_ = std::make_unique<MainShell>(
            *state_, ShellPlatform{platform_, platform_, platform_, platform_, platform_});
        shell_->Initialize(folder_);
        panel_ = std::make_unique<EditorPanel>(state_->session.document(),
                                               PanelServices{platform_, platform_, *shell_});
        dialog_ = std::make_unique<LorvaneDialog>(*shell_, *panel_, nullptr);
        state_->session.SetEditor(panel_.get(), [this] { dialog_->Sync(); });
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        // A database of one tile without paths, and its image.
        testing::WriteFileBytes(folder_ / "Texture.bin",
                                SerializeTextureBin(testing::MakeDatabase(
                                    {TileSet{4, {testing::MakeTile("H000.PCX")}}})));
        testing::WriteFileBytes(folder_ / "H000.PCX",
                                testing::WritePcx(testing::MakePatternPicture(64, 64, 3)));
        state_->session.Open((folder_ / "Texture.bin").string());
        panel_->LoadTileImage((folder_ / "H000.PCX").string(), "H000.PCX");
        dialog_->Sync();
        QTest::qWait(20);  // the posted refresh
        platform_.messages.clear();
    }

    void cleanup() {
        state_->session.SetEditor(nullptr);
        dialog_.reset();
        panel_.reset();
        shell_.reset();
        state_.reset();
        std::filesystem::remove_all(folder_);
    }

    void startsWithSaveDisabledUntilADatabaseLoads() {
        AppState state;
        MainShell shell(state, {platform_, platform_, platform_, platform_, platform_});
        EditorPanel panel(state.session.document(), {platform_, platform_, shell});
        LorvaneDialog fresh(shell, panel, nullptr);
        QVERIFY(!Child<QPushButton>(fresh, kPanelSave)->isEnabled());
        QVERIFY(Child<QCheckBox>(fresh, kPanelShowPaths)->isChecked());
        // Loaded and not changed: nothing to save yet.
        QVERIFY(!Child<QPushButton>(*dialog_, kPanelSave)->isEnabled());
        QCOMPARE(Readout(kPanelTerrainType), QString("Plains"));
        QCOMPARE(Readout(kPanelTileName), QString("H000.PCX"));
    }

    void mouseDrawsAPathOfTwoSegmentsAndAnArea() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 200);
        QCOMPARE(dialog_->panel().stroke().phase, StrokePhase::PathOpen);
        QTest::mouseMove(ViewerField(), ViewerPoint(80, 120));
        QVERIFY(!Readout(kPanelPointerX).trimmed().isEmpty());
        ClickViewer(100, 100);
        ClickViewer(180, 60);
        ClickViewer(180, 60, Qt::RightButton);
        QTest::qWait(20);
        const EditorWorkingSet& working = dialog_->panel().tables();
        QCOMPARE(working.pathCount(), 2);
        QCOMPARE(working.Path(2).startX, working.Path(1).endX);
        QCOMPARE(PathList().topLevelItemCount(), 2);
        QCOMPARE(PathList().topLevelItem(1)->text(0), QString("02"));
        QCOMPARE(PathList().topLevelItem(1)->text(1), QString("Road"));

        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewArea);
        ClickViewer(100, 150);
        QTest::mouseMove(ViewerField(), ViewerPoint(130, 150));
        ClickViewer(130, 150);
        QTest::qWait(20);
        QCOMPARE(working.areaCount(), 1);
        QCOMPARE(AreaList().topLevelItemCount(), 1);
        QCOMPARE(AreaList().topLevelItem(0)->text(1), QString("Water"));
        QVERIFY(working.Area(1).radius > 0);
        // Shown in whole feet, rounded.
        QCOMPARE(Readout(kPanelRadius), QString::number(std::lround(working.Area(1).radius)));
        // The segments are drawn in Road red on the viewer.
        const QImage image = ViewerField()->grab().toImage();
        const auto segment = working.Path(1);
        const ViewTransform& view = dialog_->panel().view();
        const ScreenPoint a = view.ToScreen(StartOf(segment));
        const ScreenPoint b = view.ToScreen(EndOf(segment));
        const QPoint middle(int((a.x + b.x) / 2), int((a.y + b.y) / 2));
        bool red = false;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                red = red || image.pixel(middle + QPoint(dx, dy)) == qRgb(255, 0, 0);
        QVERIFY(red);
        QVERIFY(state_->session.HasUnsavedChanges());
    }

    void newPathRemembersRiverAnd80() {
        OnNextDialog([](QDialog& dialog) {
            auto* types = dialog.findChild<QComboBox*>(QString::number(kPanelPathList));
            auto* width = dialog.findChild<QLineEdit*>(QString::number(kPanelWidth));
            QCOMPARE(types->currentText(), QString("Road"));
            QCOMPARE(width->text(), QString("50"));
            types->setCurrentIndex(0);
            QCOMPARE(width->text(), QString("100"));
            width->setText("80");
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(kIdOk)),
                              Qt::LeftButton);
        });
        Click(kPanelNewPath);
        QCOMPARE(Readout(kPanelWidth), QString("80"));
        QCOMPARE(Readout(kPanelType), QString("River"));
        OnNextDialog([](QDialog& dialog) {
            auto* types = dialog.findChild<QComboBox*>(QString::number(kPanelPathList));
            auto* width = dialog.findChild<QLineEdit*>(QString::number(kPanelWidth));
            QCOMPARE(dialog.windowTitle(), QString("New Path"));
            QCOMPARE(types->currentText(), QString("River"));
            QCOMPARE(width->text(), QString("80"));
            types->setCurrentIndex(1);
            QCOMPARE(width->text(), QString("50"));
            dialog.reject();
        });
        Click(kPanelNewPath);
        // Cancelled: the read-outs keep the accepted choice.
        QCOMPARE(Readout(kPanelWidth), QString("80"));
    }

    void deletePathWithANumberOutOfRange() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 20);
        ClickViewer(60, 20);
        ClickViewer(60, 20, Qt::RightButton);
        bool stayedOpen = false;
        OnNextDialog([this, &stayedOpen](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Delete a Path Segment"));
            auto* number = dialog.findChild<QLineEdit*>(QString::number(kDeletePathNumber));
            QTest::keyClicks(number, "4x");  // digits only: "4"
            QCOMPARE(number->text(), QString("4"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(kIdOk)),
                              Qt::LeftButton);
            stayedOpen = dialog.isVisible();
            number->setText("1");
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(kIdOk)),
                              Qt::LeftButton);
        });
        shell_->RegisterCommand(kMenuDeletePath,
                                [this] { dialog_->RunDeleteDialog(PanelList::Paths); });
        shell_->HandleCommand(kMenuDeletePath);
        QVERIFY(stayedOpen);
        QCOMPARE(platform_.messages.size(), size_t{1});
        QCOMPARE(platform_.messages[0].text,
                 std::string("There is no number 4.  The available paths are 1 thru 1."));
        QCOMPARE(platform_.messages[0].caption, std::string("Path Not Found"));
        QCOMPARE(dialog_->panel().tables().pathCount(), 0);
        QCOMPARE(PathList().topLevelItemCount(), 0);
    }

    void rightClickOnAListRowOpensItsMenu() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 20);
        ClickViewer(60, 20);
        ClickViewer(90, 20);
        PathList().clearSelection();
        // Off the rows: no menu, nothing removed.
        QStringList shown;
        OnNextMenu(shown, "");
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, QPoint(5, 60));
        QTest::qWait(50);
        QVERIFY(shown.isEmpty());
        QCOMPARE(dialog_->panel().tables().pathCount(), 2);
        // On a row: its menu; closed with Escape, nothing removed.
        const QRect row = PathList().visualItemRect(PathList().topLevelItem(1));
        OnNextMenu(shown, "");
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, row.center());
        QCOMPARE(shown,
                 (QStringList{"Delete", "Copy", "Change Type...", "Change Width...", "Zoom To"}));
        QCOMPARE(dialog_->panel().tables().pathCount(), 2);
        QCOMPARE(SelectedRow(PathList()), 1);
        // Copy puts the row's values on the clipboard; Delete removes it.
        OnNextMenu(shown, "Copy");
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, row.center());
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("Lorvane entries 1\npath 10 50 "), qPrintable(copied));
        OnNextMenu(shown, "Delete");
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, row.center());
        QCOMPARE(dialog_->panel().tables().pathCount(), 1);
        // Change Type... asks for the type: one step of the history.
        OnNextDialog([](QDialog& dialog) {
            auto* names = dialog.findChild<QComboBox*>();
            QVERIFY(names != nullptr);
            names->setCurrentText("River");
            dialog.accept();
        });
        OnNextMenu(shown, "Change Type...");
        const QRect first = PathList().visualItemRect(PathList().topLevelItem(0));
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, first.center());
        QCOMPARE(PathList().topLevelItem(0)->text(1), QString("River"));
        QCOMPARE(dialog_->panel().UndoText(), std::string("Change Type"));
    }

    void rightClickOnTheViewerOpensTheMenuOfWhatIsUnderIt() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 150);
        ClickViewer(120, 150);
        // A path open: the right click ends it, no menu.
        QStringList shown;
        OnNextMenu(shown, "");
        ClickViewer(120, 150, Qt::RightButton);
        QTest::qWait(50);
        QVERIFY(shown.isEmpty());
        QCOMPARE(dialog_->panel().stroke().phase, StrokePhase::None);
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);  // the select tool
        // On the segment: its menu; Zoom To zooms in on it.
        OnNextMenu(shown, "Zoom To");
        ClickViewer(70, 150, Qt::RightButton);
        QCOMPARE(shown,
                 (QStringList{"Delete", "Copy", "Change Type...", "Change Width...", "Zoom To"}));
        QVERIFY(!dialog_->panel().view().fitted());
        QCOMPARE(SelectedRow(PathList()), 0);
        // On nothing: the tile's menu.
        OnNextMenu(shown, "Zoom to Whole Tile");
        ClickViewer(5, 5, Qt::RightButton);
        QCOMPARE(shown, (QStringList{"New Path...", "Trace", "New Area...", "Zoom to Whole Tile"}));
        QVERIFY(dialog_->panel().view().fitted());
        QCOMPARE(dialog_->panel().tables().pathCount(), 1);
    }

    void aDoubleClickEndsThePathAndUndoesNothing() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 150);
        ClickViewer(120, 150);
        // As a real double click comes: press, release, the double click
        // (the second press), release.
        QTest::mouseMove(ViewerField(), ViewerPoint(120, 250));
        QTest::mousePress(ViewerField(), Qt::LeftButton, {}, ViewerPoint(120, 250));
        QTest::mouseRelease(ViewerField(), Qt::LeftButton, {}, ViewerPoint(120, 250));
        QTest::mouseDClick(ViewerField(), Qt::LeftButton, {}, ViewerPoint(120, 250));
        QTest::mouseRelease(ViewerField(), Qt::LeftButton, {}, ViewerPoint(120, 250));
        QCOMPARE(dialog_->panel().tables().pathCount(), 2);
        QCOMPARE(dialog_->panel().stroke().phase, StrokePhase::None);
        // Beside the viewer it undoes nothing either.
        QTest::mouseDClick(dialog_.get(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(dialog_->panel().tables().pathCount(), 2);
        // A list cell double clicked is edited.
        const QRect width = PathList().visualRect(PathList().model()->index(0, 2));
        QTest::mouseClick(PathList().viewport(), Qt::LeftButton, {}, width.center());
        QTest::mouseDClick(PathList().viewport(), Qt::LeftButton, {}, width.center());
        QTRY_VERIFY(PathList().findChild<QLineEdit*>() != nullptr &&
                    PathList().findChild<QLineEdit*>()->isVisible());
    }

    void keysReachTheToolAndDeleteRemovesTheSelectedRow() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        ClickViewer(20, 20);
        ClickViewer(60, 20);
        ClickViewer(90, 20);
        QTest::keyClick(dialog_.get(), Qt::Key_Backspace);  // the last point back
        QCOMPARE(dialog_->panel().tables().pathCount(), 1);
        QTest::keyClick(dialog_.get(), Qt::Key_Return);  // the path ends
        QCOMPARE(dialog_->panel().stroke().phase, StrokePhase::None);
        ClickViewer(120, 120);
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);  // the open point is cancelled
        QCOMPARE(dialog_->panel().stroke().phase, StrokePhase::None);
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);  // drawing is left
        QCOMPARE(dialog_->panel().tool(), ToolKind::Select);
        QCOMPARE(dialog_->panel().tables().pathCount(), 1);
        // Delete on a selected row removes its entry, undoably.
        PathList().setCurrentItem(PathList().topLevelItem(0));
        QTest::keyClick(&PathList(), Qt::Key_Delete);
        QCOMPARE(dialog_->panel().tables().pathCount(), 0);
        QCOMPARE(PathList().topLevelItemCount(), 0);
        dialog_->HandleCommand(kPanelUndoSegment);
        QCOMPARE(PathList().topLevelItemCount(), 1);
    }

    // Three segments: a road of two from (20, 200) by (100, 100) to
    // (180, 60), and one alone from (40, 260) to (140, 260).
    void DrawThreeSegments() {
        OnNextDialog([](QDialog& dialog) { dialog.accept(); });
        Click(kPanelNewPath);
        for (const QPoint at : {QPoint(20, 200), QPoint(100, 100), QPoint(180, 60)})
            ClickViewer(at.x(), at.y());
        ClickViewer(180, 60, Qt::RightButton);
        ClickViewer(40, 260);
        ClickViewer(140, 260);
        ClickViewer(140, 260, Qt::RightButton);
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);
        QTRY_COMPARE(dialog_->panel().tables().pathCount(), 3);
    }
    std::vector<int> SelectedRows(QTreeWidget& list) {
        std::vector<int> rows;
        for (const QModelIndex& index : list.selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers held = {}) {
        QTest::mousePress(ViewerField(), Qt::LeftButton, held, ViewerPoint(from.x(), from.y()));
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = from + (to - from) * step / 4;
            QMouseEvent move(QEvent::MouseMove, ViewerPoint(at.x(), at.y()),
                             ViewerField()->mapToGlobal(ViewerPoint(at.x(), at.y())), Qt::NoButton,
                             Qt::LeftButton, held);
            QApplication::sendEvent(ViewerField(), &move);
        }
        QTest::mouseRelease(ViewerField(), Qt::LeftButton, held, ViewerPoint(to.x(), to.y()));
        QTest::qWait(20);
    }
    void Keys(int key, Qt::KeyboardModifiers held) {
        QTest::keyClick(ViewerField(), Qt::Key(key), held);
        QTest::qWait(20);  // the posted refresh
    }

    void severalSelectedMoveAndChangeAsOneStepAndTheRowsFollow() {
        DrawThreeSegments();
        const EditorWorkingSet before = dialog_->panel().tables();
        // Shift+click adds on the viewer, Ctrl+click adds a row.
        ClickViewer(60, 150);
        QTest::mouseClick(ViewerField(), Qt::LeftButton, Qt::ShiftModifier, ViewerPoint(90, 260));
        QCOMPARE(SelectedRows(PathList()), (std::vector<int>{0, 2}));
        const QRect second = PathList().visualItemRect(PathList().topLevelItem(1));
        QTest::mouseClick(PathList().viewport(), Qt::LeftButton, Qt::ControlModifier,
                          second.center());
        QCOMPARE(dialog_->panel().selectedEntries().size(), size_t{3});
        // The body of one dragged: all three move, one step.
        Drag({90, 260}, {110, 240});
        const EditorWorkingSet& tables = dialog_->panel().tables();
        const float dx = tables.Path(3).startX - before.Path(3).startX;
        QVERIFY(dx != 0);
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(tables.Path(n).endX - before.Path(n).endX, dx);
            QCOMPARE(tables.Path(n).startY - before.Path(n).startY,
                     tables.Path(3).startY - before.Path(3).startY);
        }
        QCOMPARE(dialog_->panel().UndoText(), std::string("Move 3 Entries"));
        dialog_->HandleCommand(kPanelUndoSegment);
        QVERIFY(tables.paths == before.paths);
        // Change Width... of a row of the selection: every one, one step.
        QCOMPARE(SelectedRows(PathList()), (std::vector<int>{0, 1, 2}));
        OnNextDialog([](QDialog& dialog) {
            auto* input = qobject_cast<QInputDialog*>(&dialog);
            QVERIFY(input != nullptr);
            input->setIntValue(80);
            dialog.accept();
        });
        QStringList shown;
        OnNextMenu(shown, "Change Width...");
        QTest::mouseClick(PathList().viewport(), Qt::RightButton, {}, second.center());
        for (int n = 1; n <= 3; ++n) QCOMPARE(tables.Path(n).width, 80.0f);
        QCOMPARE(PathList().topLevelItem(2)->text(2), QString("80"));
        QCOMPARE(dialog_->panel().UndoText(), std::string("Change Width of 3 Entries"));
        dialog_->HandleCommand(kPanelUndoSegment);
        QVERIFY(tables.paths == before.paths);
        // Ctrl+A and Delete: all of them, given back by one undo.
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        ViewerField()->setFocus();
        ClickViewer(250, 20);  // beside everything: nothing selected
        QVERIFY(SelectedRows(PathList()).empty());
        Keys(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(SelectedRows(PathList()), (std::vector<int>{0, 1, 2}));
        Keys(Qt::Key_Delete, {});
        QCOMPARE(tables.pathCount(), 0);
        dialog_->HandleCommand(kPanelUndoSegment);
        QVERIFY(tables.paths == before.paths);
    }

    void aBoxSelectsAndTheClipboardCarriesItToOtherTilesAndDatabases() {
        DrawThreeSegments();
        const EditorWorkingSet before = dialog_->panel().tables();
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        ViewerField()->setFocus();
        // From beside everything round the road: its two segments.
        Drag({10, 20}, {195, 215});
        QCOMPARE(SelectedRows(PathList()), (std::vector<int>{0, 1}));
        QApplication::clipboard()->clear();
        Keys(Qt::Key_C, Qt::ControlModifier);
        const QString copied = QApplication::clipboard()->text();
        QCOMPARE(copied.count("\npath "), 2);
        // Another database of two tiles: pasted in place on its second.
        testing::WriteFileBytes(
            folder_ / "Other.bin",
            SerializeTextureBin(testing::MakeDatabase(
                {TileSet{2, {testing::MakeTile("H000.PCX"), testing::MakeTile("H001.PCX")}}})));
        testing::WriteFileBytes(folder_ / "H001.PCX",
                                testing::WritePcx(testing::MakePatternPicture(64, 64, 5)));
        QVERIFY(state_->session.Open((folder_ / "Other.bin").string()));
        panel_->LoadTileImage((folder_ / "H001.PCX").string(), "H001.PCX");
        dialog_->Sync();
        QTRY_VERIFY(dialog_->panel().showsImage());
        const EditorWorkingSet& tables = dialog_->panel().tables();
        QCOMPARE(tables.pathCount(), 0);
        ViewerField()->setFocus();
        Keys(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(tables.pathCount(), 2);
        for (int n = 1; n <= 2; ++n) QVERIFY(tables.Path(n) == before.Path(n));
        QCOMPARE(SelectedRows(PathList()), (std::vector<int>{0, 1}));  // what was pasted
        QCOMPARE(dialog_->panel().UndoText(), std::string("Paste 2 Entries"));
        // And on its first tile at the pointer, with Shift.
        panel_->LoadTileImage((folder_ / "H000.PCX").string(), "H000.PCX");
        dialog_->Sync();
        QTest::mouseMove(ViewerField(), ViewerPoint(100, 150));
        Keys(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tables.pathCount(), 2);
        const FeetPointF pointer = dialog_->panel().view().ToFeet(
            {double(ViewerPoint(100, 150).x()), double(ViewerPoint(100, 150).y())});
        QVERIFY(std::abs(tables.Path(1).startX - pointer.x) < 1);
        QVERIFY(std::abs(tables.Path(1).startY - pointer.y) < 1);
        // Saved: both tiles hold the two segments.
        platform_.choices.push_back(FileChoice::Chosen(folder_ / "Other.bin"));
        QVERIFY(state_->session.Save());
        const auto saved = LoadTextureBin(folder_ / "Other.bin", platform_);
        QVERIFY(saved.has_value());
        QCOMPARE(saved->sets[0].tiles[0].pathCount(), 2);
        QCOMPARE(saved->sets[0].tiles[1].pathCount(), 2);
    }

    void showPathsFollowsTheFlag() {
        auto* box = Child<QCheckBox>(*dialog_, kPanelShowPaths);
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        QVERIFY(!dialog_->panel().showPaths());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
    }

    void theProgramUsesThisPanel() {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        QTemporaryDir startup;
        Application app(startup.path().toStdString());
        QVERIFY(app.Start());
        LorvaneDialog* panel = app.lorvaneDialog();
        QVERIFY(panel != nullptr);
        QCOMPARE(app.window().centralWidget(), static_cast<QWidget*>(panel));
        QVERIFY(!app.window().Action(kMenuSaveTextureBin)->isEnabled());
        // The Edit menu's "Delete Area" opens the delete dialog of the panel.
        QString caption;
        OnNextDialog([&caption](QDialog& dialog) {
            caption = dialog.windowTitle();
            dialog.reject();
        });
        app.window().Action(kMenuDeleteArea)->trigger();
        QTRY_COMPARE(caption, QString("Delete an Area"));
        // Esc in the panel does not end the program.
        QTest::keyClick(panel, Qt::Key_Escape);
        QVERIFY(app.window().isVisible());
        QVERIFY(!app.state().session.HasUnsavedChanges());
        QVERIFY(app.window().close());  // nothing unsaved: no question
    }

    // A tile image whose header claims 16384 x 16384 in 4 planes over 4.3 MB
    // of the longest runs (enough for one plane), or in one plane over 4.3 MB
    // of literal bytes: refused with its message, nothing of it shown, and
    // the program's peak memory does not grow by what the header claims.
    void aTileImageClaimingMoreThanItsDataIsRefused() {
        const auto file = [](int planes, std::initializer_list<int> pattern) {
            std::vector<std::byte> bytes =
                testing::PcxHeaderBytes(0, 0, 16383, 16383, 16384, static_cast<int8_t>(planes));
            for (size_t i = 0; bytes.size() < 128 + 16384 * 261; ++i) {
                bytes.push_back(static_cast<std::byte>(*(pattern.begin() + i % pattern.size())));
            }
            return bytes;
        };
        const std::vector<std::byte> files[] = {file(4, {0xFF, 0}), file(1, {7})};
        for (const std::vector<std::byte>& bytes : files) {
            const std::string path = (folder_ / "H001.PCX").string();
            testing::WriteFileBytes(path, bytes);
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            platform_.messages.clear();
            panel_->LoadTileImage(path, "H001.PCX");
            dialog_->Sync();
            QTest::qWait(20);  // the posted refresh
            rusage after{};
            getrusage(RUSAGE_SELF, &after);
            QCOMPARE(platform_.messages.size(), size_t{1});
            QCOMPARE(platform_.messages[0].text, "The tile image " + path + " could not be read.");
            QCOMPARE(platform_.messages[0].caption, std::string("Tile Image Error"));
            QVERIFY(!dialog_->panel().showsImage());
            QVERIFY2(
                after.ru_maxrss - before.ru_maxrss < 64 * 1024,
                qPrintable(
                    QString("the peak grew by %1 KiB").arg(after.ru_maxrss - before.ru_maxrss)));
        }
    }

    void theImageIsShownSquareAndCentred() {
        const QImage image = ViewerField()->grab().toImage();
        const ViewTransform& view = dialog_->panel().view();
        QCOMPARE(view.viewportWidth(), double(ViewerField()->width()));
        const ScreenPoint topLeft = view.ToScreen({TILE_SPAN, 0});
        const ScreenPoint bottomRight = view.ToScreen({0, TILE_SPAN});
        QCOMPARE(bottomRight.x - topLeft.x, bottomRight.y - topLeft.y);
        // Corners of the tile show the corner pixels of the 64 x 64 picture.
        const auto picture = testing::MakePatternPicture(64, 64, 3);
        const auto colour = [&](int x, int y) {
            const auto rgb = picture.palette[picture.indices[static_cast<size_t>(y * 64 + x)]];
            return qRgb(rgb[0], rgb[1], rgb[2]);
        };
        QCOMPARE(image.pixel(int(topLeft.x) + 1, int(topLeft.y) + 1), colour(0, 0));
        QCOMPARE(image.pixel(int(bottomRight.x) - 2, int(bottomRight.y) - 2), colour(63, 63));
    }
};

QTEST_MAIN(LorvaneDialogTest)
#include "lorvane_dialog_test.moc"
