// Editing on the zoomable canvas with real mouse and key events on the
// offscreen platform: a click near an existing end starts a segment exactly
// on it, dragging a joined end moves both segments, a list cell typed into
// changes the stored value; each one undone gives the saved file byte for
// byte as before.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "base/command_ids.h"
#include "editor/entry_points.h"
#include "shell/main_shell.h"
#include "support/pcx_writer.h"
#include "support/scripted_platform.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "ui/lorvane_dialog.h"
#include "ui/zoom_viewer.h"

using namespace lorvane;

class CanvasEditingTest : public QObject {
    Q_OBJECT

  private:
    std::filesystem::path folder_;
    std::unique_ptr<AppState> state_;
    testing::ScriptedPlatform platform_;
    std::unique_ptr<MainShell> shell_;
    std::unique_ptr<EditorPanel> panel_;  // the program owns the panel
    std::unique_ptr<LorvaneDialog> dialog_;
    std::vector<std::byte> saved_;  // the file saved before any edit

    EditorPanel& Panel() { return dialog_->panel(); }
    QWidget* Field() { return dialog_->viewer().viewport(); }
    const EditorWorkingSet& Tables() { return Panel().tables(); }
    // Where a point of the tile is in the viewer's field, moved by (dx, dy).
    QPoint At(FeetPointF feet, int dx = 0, int dy = 0) {
        const ScreenPoint p = Panel().view().ToScreen(feet);
        return QPoint(int(std::lround(p.x)) + dx, int(std::lround(p.y)) + dy);
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(Field(), at);
        QTest::mouseClick(Field(), button, {}, at);
    }
    std::vector<std::byte> Save() {
        state_->session.Save();
        return testing::ReadFileBytes(folder_ / "Saved.bin");
    }
    void Undo() {
        Panel().Undo();
        Panel().RunPosted();
        dialog_->Sync();
    }

  private slots:
    void init() {
        folder_ = testing::MakeTempFolder("lorvane-canvas");
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
        // One tile: a road of two joined segments and a lake.
        testing::WriteFileBytes(folder_ / "Texture.bin",
                                SerializeTextureBin(testing::MakeDatabase(
                                    {TileSet{4,
                                             {testing::MakeTile("H000.PCX",
                                                                {{10, 50, 1000, 1000, 2000, 1500},
                                                                 {10, 50, 2000, 1500, 2500, 2500}},
                                                                {{1, 300, 800, 2600}})}}})));
        testing::WriteFileBytes(folder_ / "H000.PCX",
                                testing::WritePcx(testing::MakePatternPicture(64, 64, 3)));
        state_->session.Open((folder_ / "Texture.bin").string());
        panel_->LoadTileImage((folder_ / "H000.PCX").string(), "H000.PCX");
        dialog_->Sync();
        QTRY_VERIFY(Panel().showsImage());
        QTRY_VERIFY(!Panel().HasPosted());
        platform_.choices.push_back(FileChoice::Chosen(folder_ / "Saved.bin"));
        saved_ = Save();
        QVERIFY(!saved_.empty());
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

    void aClickFivePixelsFromAnEndStartsASegmentExactlyOnIt() {
        // The New Path dialog accepted as it opens (Road, 50 feet).
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, [timer] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            dialog->accept();
        });
        timer->start();
        QTest::mouseClick(dialog_->findChild<QWidget*>(QString::number(kPanelNewPath)),
                          Qt::LeftButton);
        QCOMPARE(Panel().tool(), ToolKind::Path);
        // 3 across and 4 down: 5 pixels (about 50 feet) from the first road's end.
        const QPoint near = At({2000, 1500}, 3, 4);
        QTest::mouseMove(Field(), near);
        QVERIFY(Panel().Status().drawing.empty());
        Click(near);
        QCOMPARE(Panel().stroke().phase, StrokePhase::PathOpen);
        QCOMPARE(Panel().stroke().open, (FeetPoint{2000, 1500}));
        Click(At({2000, 1500}, 60, 40));
        Click(At({2000, 1500}, 60, 40), Qt::RightButton);
        QTRY_COMPARE(Tables().pathCount(), 3);
        const WorkingPath& branch = Tables().Path(3);
        QCOMPARE(branch.startX, 2000);
        QCOMPARE(branch.startY, 1500);
        QVERIFY(branch.beginsPath);
        const std::vector<std::byte> drawn = Save();
        QVERIFY(drawn != saved_);
        Undo();
        QCOMPARE(Tables().pathCount(), 2);
        QVERIFY(Save() == saved_);
    }

    void draggingAJoinedEndMovesBothSegments() {
        QCOMPARE(Panel().tool(), ToolKind::Select);
        const QPoint joint = At({2000, 1500});
        QTest::mousePress(Field(), Qt::LeftButton, {}, joint);
        QCOMPARE(Panel().selection(), (std::optional<Pick>{{EntryKind::Path, 2, PickPart::Start}}));
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(Field(), joint + QPoint(8, 6) * step);
        const QPoint dropped = joint + QPoint(40, 30);
        QTest::mouseRelease(Field(), Qt::LeftButton, {}, dropped);
        const FeetPointF feet = Panel().view().ToFeet({double(dropped.x()), double(dropped.y())});
        const FeetPoint moved{StoredFeet(feet.x), StoredFeet(feet.y)};
        QVERIFY(moved != (FeetPoint{2000, 1500}));
        QCOMPARE(Tables().Path(1).endX, moved.x);
        QCOMPARE(Tables().Path(1).endY, moved.y);
        QCOMPARE(Tables().Path(2).startX, moved.x);
        QCOMPARE(Tables().Path(2).startY, moved.y);
        QVERIFY(!Tables().Path(2).beginsPath);  // still one path
        QVERIFY(Save() != saved_);
        Undo();  // one step takes back both ends
        QCOMPARE(Tables().Path(1).endX, 2000);
        QCOMPARE(Tables().Path(2).startX, 2000);
        QVERIFY(Save() == saved_);

        // The rim of the lake dragged out sets its radius; Delete removes it.
        const QPoint rim = At({800, 2900});
        QTest::mousePress(Field(), Qt::LeftButton, {}, rim);
        QTest::mouseMove(Field(), rim + QPoint(0, -5));
        QTest::mouseMove(Field(), rim + QPoint(0, -10));
        QTest::mouseRelease(Field(), Qt::LeftButton, {}, rim + QPoint(0, -10));
        QVERIFY(Tables().Area(1).radius > 300);
        QCOMPARE(Panel().selection()->kind, EntryKind::Area);
        QTest::keyClick(&dialog_->viewer(), Qt::Key_Delete);
        QCOMPARE(Tables().areaCount(), 0);
        Undo();
        Undo();
        QVERIFY(Save() == saved_);
    }

    void typedFeetPlaceAPathExactly() {
        const auto type = [this](int id, const char* text) {
            auto* field = dialog_->findChild<QLineEdit*>(QString::number(id));
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, text);
        };
        const auto enter = [this](int id) {
            QTest::keyClick(dialog_->findChild<QLineEdit*>(QString::number(id)), Qt::Key_Return);
        };
        // Nothing is drawn: the fields only show.
        QVERIFY(dialog_->findChild<QLineEdit*>(QString::number(kPanelStartX))->isReadOnly());
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, [timer] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            dialog->accept();
        });
        timer->start();
        QTest::mouseClick(dialog_->findChild<QWidget*>(QString::number(kPanelNewPath)),
                          Qt::LeftButton);
        type(kPanelStartX, "1234.4");
        type(kPanelStartY, "567");
        enter(kPanelStartY);
        QCOMPARE(Panel().stroke().open, (FeetPoint{1234.4f, 567}));  // typed feet keep decimals
        type(kPanelEndX, "3280");
        type(kPanelEndY, "x9");  // refused: nothing placed
        enter(kPanelEndX);
        QCOMPARE(platform_.messages.back().text, std::string("\"x9\" is not a number of feet."));
        QCOMPARE(Tables().pathCount(), 2);
        type(kPanelEndY, "600");
        enter(kPanelEndX);
        QCOMPARE(Tables().pathCount(), 3);
        QCOMPARE(Tables().Path(3).startX, 1234.4f);
        QCOMPARE(Tables().Path(3).startY, 567);
        QVERIFY(Tables().Path(3).beginsPath);
        QCOMPARE(Tables().Path(3).endX, 3280);
        QCOMPARE(Tables().Path(3).endY, 600);
    }

    void aListCellEditChangesTheStoredValue() {
        QTreeWidget* paths = dialog_->findChild<QTreeWidget*>(QString::number(kPanelPathList));
        QTreeWidgetItem* row = paths->topLevelItem(0);
        QVERIFY(row != nullptr);
        // Choosing the row picks the segment on the canvas.
        paths->setCurrentItem(row);
        QTRY_COMPARE(Panel().selection()->entry, 1);
        // The width typed into its cell: refused text first, then 75.
        for (const char* text : {"abc", "0", "75"}) {
            paths->editItem(paths->topLevelItem(0), 2);
            QPointer<QLineEdit> editor = paths->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor != nullptr);
            editor->selectAll();
            QTest::keyClicks(editor, text);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(editor.isNull() || !editor->isVisible());
            QTRY_COMPARE(paths->topLevelItem(0)->text(2), QString::number(Tables().Path(1).width));
        }
        QCOMPARE(platform_.messages.size(), size_t{2});
        QCOMPARE(platform_.messages[0].text, std::string("\"abc\" is not a number of feet."));
        QCOMPARE(platform_.messages[1].text, std::string("A width must be more than 0 feet."));
        QCOMPARE(Tables().Path(1).width, 75);
        QVERIFY(Save() != saved_);
        Undo();
        QCOMPARE(Tables().Path(1).width, 50);
        QVERIFY(Save() == saved_);
    }
};

QTEST_MAIN(CanvasEditingTest)
#include "canvas_editing_test.moc"
