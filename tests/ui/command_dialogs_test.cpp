// The set dialog and the Theater.map dialog on the offscreen platform, and
// the commands that run them in the desktop program: Theater.map edited
// through the real dialog, and a terrain build cancelled from the progress
// dialog while it runs.

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>

#include "base/command_ids.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/set_dialog.h"
#include "ui/theater_map_dialog.h"

using namespace lorvane;

namespace {

// Answers the modal windows as they come up, one step per window: each step
// is given the active modal widget and returns false to wait for another.
class ModalScript : public QObject {
  public:
    using Step = std::function<bool(QWidget*)>;
    explicit ModalScript(std::deque<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || steps_.empty()) return;
            if (steps_.front()(modal)) steps_.pop_front();
        });
        timer_.start();
    }
    bool done() const { return steps_.empty(); }

  private:
    std::deque<Step> steps_;
    QTimer timer_;
};

ModalScript::Step ChooseFile(const QString& path) {
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return false;
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
        return true;
    };
}

// Six levels as an older file writes them: no optional fields.
std::vector<std::byte> TheaterMapBytes(int levelCount) {
    TheaterMapHeader header;
    header.feetBetweenL0Tiles = 819.9f;
    header.levelCount = levelCount;
    for (int i = 0; i < kLevelPairs; ++i) header.levelWidth[static_cast<size_t>(i)] = 256 >> i;
    std::vector<std::byte> bytes = SerializeTheaterMap(header);
    bytes.resize(1052 + 8 * static_cast<size_t>(levelCount));
    return bytes;
}

}  // namespace

class CommandDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
        QSettings().clear();
    }

    void setDialogShowsItsModeAndAsksTheRules() {
        TileDatabase database =
            testing::MakeDatabase({TileSet{4, {testing::MakeTile("H000.PCX")}},
                                   TileSet{9, {testing::MakeTile("H010.PCX")}}});
        std::vector<std::pair<std::string, int>> presses;
        bool accept = false;
        SetDialog dialog(
            StartSetDialog(database, SetDialogMode::AddSet, 1),
            [&](std::string_view number, int position) {
                presses.emplace_back(std::string(number), position);
                return accept;
            },
            nullptr);
        QCOMPARE(dialog.windowTitle(), QString("Add a New Tile Set"));
        QCOMPARE(dialog.applyButton()->text(), QString("Continue"));
        QVERIFY(dialog.applyButton()->isDefault());
        QCOMPARE(dialog.numberEdit()->text(), QString("2"));
        QVERIFY(dialog.numberEdit()->isEnabled());
        QCOMPARE(dialog.numberEdit()->alignment(), Qt::AlignCenter);
        QCOMPARE(dialog.typeList()->count(), 8);
        QCOMPARE(dialog.typeList()->itemText(0), QString("Water"));
        QCOMPARE(dialog.typeList()->itemText(7), QString("Urban"));
        QCOMPARE(dialog.typeList()->currentIndex(), 7);  // set 1 is Urban

        dialog.show();
        dialog.numberEdit()->clear();
        QTest::keyClicks(dialog.numberEdit(), "-1x5");  // digits only
        dialog.typeList()->setCurrentIndex(3);
        dialog.applyButton()->click();
        QVERIFY(dialog.isVisible());  // the rules refused: it stays open
        accept = true;
        dialog.applyButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(presses, (std::vector<std::pair<std::string, int>>{{"15", 3}, {"15", 3}}));

        SetDialog change(
            StartSetDialog(database, SetDialogMode::ChangeType, 0),
            [&](std::string_view, int) { return true; }, nullptr);
        QCOMPARE(change.windowTitle(), QString("Edit Set Terrain Type"));
        QCOMPARE(change.applyButton()->text(), QString("Apply Change"));
        QVERIFY(!change.numberEdit()->isEnabled());
        QCOMPARE(change.numberEdit()->text(), QString("0"));
        QCOMPARE(change.typeList()->currentIndex(), 2);  // Plains
        change.show();
        QVERIFY(change.typeList()->isVisible());
        change.cancelButton()->click();
        QCOMPARE(change.result(), int(QDialog::Rejected));

        // Adding tiles keeps the set's type: no type list is shown.
        SetDialog addTiles(
            StartSetDialog(database, SetDialogMode::AddTiles, 0),
            [&](std::string_view, int) { return true; }, nullptr);
        addTiles.show();
        QVERIFY(!addTiles.typeList()->isVisible());
        QVERIFY(addTiles.findChildren<QLabel*>().size() == 1);  // "Set Number" only
    }

    void theaterMapDialogHasEveryControlLabelAndNote() {
        TheaterMapHeader header;
        header.feetBetweenL0Tiles = 819.9f;
        header.levelCount = 4;
        header.levelWidth = {256, 128, 64, 32, 16, 8};
        header.swLatitude = -12.5f;
        TheaterMapDialog dialog(TheaterMapDialogTexts(header), nullptr);
        QCOMPARE(dialog.windowTitle(), QString("Edit Theater.map Information"));
        QCOMPARE(dialog.applyButton()->text(), QString("Apply Changes"));
        QVERIFY(dialog.applyButton()->isDefault());
        QCOMPARE(dialog.cancelButton()->text(), QString("Cancel"));
        for (const TheaterMapField& field : TheaterMapFields) {
            QLineEdit* edit = dialog.edit(field.controlId);
            QVERIFY2(edit != nullptr, field.label);
            QCOMPARE(edit->alignment(), Qt::AlignCenter);
            // The label stands beside its control.
            bool labelled = false;
            for (QLabel* label : dialog.findChildren<QLabel*>())
                labelled = labelled || (label->text() == field.label && label->buddy() == edit);
            QVERIFY2(labelled, field.label);
        }
        QCOMPARE(dialog.edit(31252)->text(), QString("819.900024"));
        QCOMPARE(dialog.edit(31271)->text(), QString("-12.500000"));
        QCOMPARE(dialog.edit(31267)->text(), QString("8"));  // six level rows, whatever the count
        auto* group = dialog.findChild<QGroupBox*>();
        QVERIFY(group != nullptr);
        QCOMPARE(group->title(), QString("Terrain LOD Map Dimensions"));
        QCOMPARE(group->findChildren<QLineEdit*>().size(), 12);
        auto* note = dialog.findChild<QLabel*>("hemisphereNote");
        QVERIFY(note != nullptr);
        QCOMPARE(note->text(), QString("(Southern and Western Hemispheres are negative)"));

        // Integers take digits only; floats take any text.
        dialog.show();
        dialog.edit(31272)->clear();
        QTest::keyClicks(dialog.edit(31272), "-2a7");
        dialog.edit(31231)->clear();
        QTest::keyClicks(dialog.edit(31231), "-8.25e");
        dialog.applyButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const TheaterMapTexts texts = dialog.Texts();
        QCOMPARE(texts.at(31272), std::string("27"));
        QCOMPARE(texts.at(31231), std::string("-8.25e"));
    }

    void editTheaterMapWritesOnlyOnApplyAndKeepsFourLevels() {
        QTemporaryDir startup;
        const std::string map = startup.filePath("Theater.map").toStdString();
        testing::WriteFileBytes(map, TheaterMapBytes(4));
        Application app(startup.path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();

        // Cancel: nothing is written.
        ModalScript cancel({ChooseFile(QString::fromStdString(map)), [](QWidget* modal) {
                                auto* dialog = qobject_cast<TheaterMapDialog*>(modal);
                                if (dialog == nullptr) return false;
                                dialog->cancelButton()->click();
                                return true;
                            }});
        window.Action(kMenuEditTheaterMap)->trigger();
        QTRY_VERIFY(cancel.done());
        QCOMPARE(testing::ReadFileBytes(map), TheaterMapBytes(4));

        // Apply with a changed flag: the full form with four level pairs.
        ModalScript apply({ChooseFile(QString::fromStdString(map)), [](QWidget* modal) {
                               auto* dialog = qobject_cast<TheaterMapDialog*>(modal);
                               if (dialog == nullptr) return false;
                               dialog->edit(31272)->setText("1");
                               dialog->edit(31265)->setText("99");  // L4: not stored
                               dialog->applyButton()->click();
                               return true;
                           }});
        window.Action(kMenuEditTheaterMap)->trigger();
        QTRY_VERIFY(apply.done());
        QTRY_COMPARE(testing::ReadFileBytes(map).size(), size_t{1052 + 4 * 8 + 16});
        QCOMPARE(app.output().header.flags, 1);
        const auto bytes = testing::ReadFileBytes(map);
        QCOMPARE(bytes[1084], std::byte{1});  // flags right after the four pairs
        QCOMPARE(app.output().header.levelWidth[4], 99);
    }

    void progressCancelStopsTheBuildBetweenRows() {
        QTemporaryDir startup;
        // 64 × 64 sections: long enough that the cancel comes while it runs.
        const TerrainMatrix matrix = testing::MakePatternMatrix(64, 64);
        const auto l2 = testing::WriteL2Files(startup.path().toStdString(), "BIG",
                                              testing::MakeL2Files(matrix, 7));
        Application app(startup.path().toStdString());
        QVERIFY(app.Start());
        ProgressDialog& progress = app.progressDialog();
        int reportsSeen = 0;
        ModalScript choose({ChooseFile(QString::fromStdString(l2.string()))});
        // Pressed as soon as the dialog has shown its first report.
        QTimer press;
        press.setInterval(0);
        connect(&press, &QTimer::timeout, [&] {
            if (!progress.isVisible() || progress.label()->text() != "Sections Completed:") return;
            ++reportsSeen;
            progress.cancelButton()->click();
            press.stop();
        });
        press.start();
        app.window().Action(kMenuOpenL2File)->trigger();
        QTRY_VERIFY(choose.done());
        QTRY_VERIFY(!progress.isVisible());
        QCOMPARE(reportsSeen, 1);
        QVERIFY(!app.state().shell.terrainLoaded);
        QVERIFY(app.output().matrix.cells.empty());
        QVERIFY(app.window().Action(kMenuOpenL2File)->isEnabled());
        QVERIFY(!app.window().Action(kMenuSaveL2Matrix)->isEnabled());
    }

  private:
    QTemporaryDir settingsFolder;
};

QTEST_MAIN(CommandDialogsTest)
#include "command_dialogs_test.moc"
