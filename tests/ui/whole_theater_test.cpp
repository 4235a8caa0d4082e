// A whole theater made only through the desktop program's own commands on
// the offscreen platform gives the same files as the same steps through
// lorvane-cli. Everything runs through the real program objects: the
// Application with its Qt platform, the main window, the editor panel, the
// set dialog, the New Path dialog, the Theater.map dialog, the progress
// dialog and Qt's own file dialogs and message boxes, each answered as it
// comes up.

#include "support/whole_theater.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <deque>
#include <filesystem>
#include <functional>

#include "base/command_ids.h"
#include "support/texture_builder.h"
#include "ui/application.h"
#include "ui/lorvane_dialog.h"
#include "ui/main_window.h"
#include "ui/modal_answers.h"
#include "ui/progress_dialog.h"
#include "ui/set_dialog.h"
#include "ui/theater_map_dialog.h"
#include "ui/zoom_viewer.h"

using namespace lorvane;

using namespace lorvane::testing;

namespace {

// The Theater.map dialog with the edits typed, then Apply Changes.
ModalAnswers::Step EditTheaterMap() {
    return [](QWidget* modal) {
        auto* dialog = qobject_cast<TheaterMapDialog*>(modal);
        if (dialog == nullptr) return false;
        for (const testing::MapEdit& edit : testing::TheaterMapEdits())
            dialog->edit(edit.controlId)->setText(QString::fromStdString(edit.text));
        dialog->applyButton()->click();
        return true;
    };
}

}  // namespace

class WholeTheaterTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_.path());
        QSettings().clear();
    }

    void programCommandsMakeTheSameFilesAsTheCommandLine() {
        QTemporaryDir startup;
        const std::filesystem::path folder = startup.path().toStdString();
        const testing::TheaterInputs inputs = testing::MakeTheaterInputs(folder);
        const auto program = folder / "program";
        std::filesystem::create_directories(program);

        ModalAnswers answers;  // outlives the program, so a late question is answered too
        std::filesystem::create_directories(folder / "startup");
        Application app(folder / "startup");
        QVERIFY(app.Start());
        LorvaneDialog& panel = *app.lorvaneDialog();
        ProgressDialog& progress = app.progressDialog();

        // Runs one command with its windows answered in order, and waits
        // until its work (and any progress) is over.
        const auto run = [&](const std::function<void()>& command,
                             std::deque<ModalAnswers::Step> steps) {
            answers.Expect(std::move(steps));
            command();
            QTRY_VERIFY_WITH_TIMEOUT(answers.done(), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!progress.isVisible(), 20000);
            QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
            QTest::qWait(20);  // the panel's posted refresh
        };
        const auto menu = [&](int id) { return [&app, id] { app.shell().HandleCommand(id); }; };
        const auto button = [&](int id) {
            return [&panel, id] {
                QTest::mouseClick(panel.findChild<QPushButton*>(QString::number(id)),
                                  Qt::LeftButton);
            };
        };
        // A point of the viewer's field clicked.
        const auto clickViewer = [&](int x, int y, Qt::MouseButton mouse = Qt::LeftButton) {
            QWidget* field = panel.viewer().viewport();
            QTest::mouseMove(field, QPoint(x, y));
            QTest::mouseClick(field, mouse, {}, QPoint(x, y));
        };

        // A new database from the tiles folder: a tile of the folder picked,
        // then the file it is saved to.
        run(menu(kMenuGenerateTextureBin),
            {ChooseFile(inputs.tiles / "H000.PCX"), ChooseFile(program / "Texture.bin")});
        QVERIFY(app.state().session.loaded());

        // The set types, each with a tile of its set loaded through Load Tile.
        run(button(kPanelLoadTile), {ChooseFile(inputs.tiles / "H000.PCX")});
        run(menu(kMenuChangeSetType), {ChooseSetType(testing::kSet0TypePosition)});
        run(button(kPanelLoadTile), {ChooseFile(inputs.tiles / "H010.PCX")});
        run(menu(kMenuChangeSetType), {ChooseSetType(testing::kSet1TypePosition)});

        // A road of two segments on H010 drawn with the mouse, ended with a
        // right click. The clicks lie at the same fractions of the tile square
        // as (30, 270), (100, 200), (200, 100) of a 300-pixel square; the feet
        // they stand for are the view's.
        run(button(kPanelNewPath), {ChooseRoad(testing::kRoadWidth)});
        const ViewTransform& view = panel.panel().view();
        const double side = view.ToPixels(3280);
        std::vector<QPoint> clicks;
        std::vector<ScreenPoint> points;
        for (const QPoint at : {QPoint(30, 270), QPoint(100, 200), QPoint(200, 100)}) {
            const QPoint pixel(int(std::lround(view.offset().x + at.x() * side / 300)),
                               int(std::lround(view.offset().y + at.y() * side / 300)));
            clicks.push_back(pixel);
            points.push_back({double(pixel.x()), double(pixel.y())});
        }
        const std::vector<testing::RoadSegment> expectedRoad = testing::RoadOfClicks(view, points);
        for (const QPoint pixel : clicks) clickViewer(pixel.x(), pixel.y());
        clickViewer(clicks.back().x(), clicks.back().y(), Qt::RightButton);
        QTest::qWait(20);
        run(button(kPanelSave), {});
        // The road went into the database, chained, in the clicks' feet.
        const TileRecord& road = app.state().session.database().sets[1].tiles[0];
        QCOMPARE(road.pathCount(), int(expectedRoad.size()));
        for (size_t i = 0; i < expectedRoad.size(); ++i) {
            const TilePath& drawn = road.paths[i];
            QCOMPARE(drawn.width, float(testing::kRoadWidth));
            QCOMPARE(drawn.startX, expectedRoad[i].startX);
            QCOMPARE(drawn.startY, expectedRoad[i].startY);
            QCOMPARE(drawn.endX, expectedRoad[i].endX);
            QCOMPARE(drawn.endY, expectedRoad[i].endY);
        }

        // The terrain, its matrix and the theater outputs.
        run(menu(kMenuOpenL2File), {ChooseFile(inputs.l2)});
        QVERIFY(app.state().shell.terrainLoaded);
        run(menu(kMenuSaveL2Matrix), {ChooseFile(program / "THEATER.L2M")});
        run(menu(kMenuGenerateThr), {ChooseFile(program / "out.thr")});
        run(menu(kMenuGenerateMea), {ChooseFile(program / "out.mea")});

        // Theater.map edited through its dialog.
        std::filesystem::copy_file(inputs.theaterMap, program / "Theater.map");
        run(menu(kMenuEditTheaterMap), {ChooseFile(program / "Theater.map"), EditTheaterMap()});

        // Only reports came: no error, no question.
        for (const ModalAnswers::Box& box : answers.boxes()) {
            QVERIFY2(box.icon != QMessageBox::Critical, qPrintable(box.text));
            QVERIFY2(!box.question, qPrintable(box.text));
        }

        // The same theater through lorvane-cli, file for file.
        const auto cli = folder / "cli";
        QCOMPARE(testing::MakeTheaterWithCli(LORVANE_CLI, inputs, cli, expectedRoad),
                 std::string());
        for (const std::string& name : testing::kTheaterOutputs) {
            const auto ours = testing::ReadFileBytes(program / name);
            QVERIFY2(!ours.empty(), name.c_str());
            QVERIFY2(ours == testing::ReadFileBytes(cli / name), name.c_str());
        }
    }

  private:
    QTemporaryDir settingsFolder_;
};

QTEST_MAIN(WholeTheaterTest)
#include "whole_theater_test.moc"
