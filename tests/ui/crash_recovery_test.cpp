// Work that survives a killed program: the desktop program runs as a child
// process on the offscreen platform, makes a change through its own commands
// and dialogs, and is killed with SIGKILL before it saves. Started again, it
// offers the journal it left, Recover replays it, and the save writes the
// same Texture.bin bytes as the same change saved without the crash.
//
// The test program runs itself as the child: "--crash-child SCENARIO WORK".

#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/command_ids.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"
#include "ui/application.h"
#include "ui/lorvane_dialog.h"
#include "ui/modal_answers.h"
#include "ui/zoom_viewer.h"

extern char** environ;

using namespace lorvane;
using namespace lorvane::testing;
namespace fs = std::filesystem;

namespace {

const char* const kScenarios[] = {"draw", "set-type", "add-set", "add-tiles", "import"};

fs::path TextureOf(const fs::path& work) { return work / "Texture.bin"; }

// The database, the tiles the add commands pick and the export file the
// import reads.
void MakeInputs(const fs::path& work) {
    fs::create_directories(work / "startup");
    WriteFileBytes(
        TextureOf(work),
        SerializeTextureBin(MakeDatabase({
            TileSet{4,
                    {MakeTile("H000.PCX", {{10, 60, 100, 200, 300, 400}}), MakeTile("H001.PCX")}},
            TileSet{9, {MakeTile("H010.PCX", {}, {{1, 500, 1000, 1000}})}},
        })));
    for (const char* name : {"H020.PCX", "H002.PCX"}) WriteFileBytes(work / name, {std::byte{0}});
    WriteFileBytes(work / "H000.PCX", WritePcx(MakePatternPicture(64, 64, 7)));
    TileDatabase other = MakeDatabase({TileSet{1, {MakeTile("H000.PCX", {}, {{3, 700, 800, 900}})}},
                                       TileSet{1, {MakeTile("H010.PCX", {{2, 90, 5, 6, 7, 8}})}}});
    MarkTileForExport(other, 0);
    MarkTileForExport(other, 16);
    WriteFileBytes(work / "tiles.exp", SerializeTileExport(other));
}

// Settings (and so the recovery folder) of a run live in its work folder.
void UseSettingsOf(const fs::path& work) {
    const QString folder = QtPath(work / "settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

// Runs a command with its windows answered in order; false when they did
// not all come within a minute.
bool Run(ModalAnswers& answers, const std::function<void()>& command,
         std::deque<ModalAnswers::Step> steps) {
    answers.Expect(std::move(steps));
    command();
    return QTest::qWaitFor([&] { return answers.done() && !QApplication::activeModalWidget(); },
                           60000);
}

// Shows H000 and draws a road of two segments on it with the mouse.
bool Draw(Application& app, ModalAnswers& answers, const fs::path& work) {
    if (!Run(answers, [&] { app.OpenFiles({(work / "H000.PCX").string()}); }, {})) return false;
    LorvaneDialog& panel = *app.lorvaneDialog();
    auto* newPath = panel.findChild<QPushButton*>(QString::number(kPanelNewPath));
    if (!Run(answers, [&] { QTest::mouseClick(newPath, Qt::LeftButton); }, {ChooseRoad(50)}))
        return false;
    // The clicks lie at the same fractions of the tile square as in a
    // 300-pixel square.
    const ViewTransform& view = panel.panel().view();
    const double side = view.ToPixels(3280);
    QWidget* field = panel.viewer().viewport();
    const auto click = [&](QPoint at, Qt::MouseButton button) {
        const QPoint point(int(std::lround(view.offset().x + at.x() * side / 300)),
                           int(std::lround(view.offset().y + at.y() * side / 300)));
        QTest::mouseMove(field, point);
        QTest::mouseClick(field, button, {}, point);
    };
    for (const QPoint at : {QPoint(30, 270), QPoint(100, 200), QPoint(200, 100)})
        click(at, Qt::LeftButton);
    click(QPoint(200, 100), Qt::RightButton);
    QTest::qWait(20);
    return panel.panel().tables().pathCount() == 3;  // the road on H000 and the two drawn
}

// Opens the database and makes the scenario's change; false when a window
// did not come.
bool MakeChange(Application& app, ModalAnswers& answers, const std::string& scenario,
                const fs::path& work) {
    const auto menu = [&app](int id) { return [&app, id] { app.shell().HandleCommand(id); }; };
    if (!Run(answers, [&] { app.OpenFiles({TextureOf(work).string()}); }, {})) return false;
    if (scenario == "draw") return Draw(app, answers, work);
    if (scenario == "set-type") return Run(answers, menu(kMenuChangeSetType), {ChooseSetType(6)});
    if (scenario == "add-set")
        return Run(answers, menu(kMenuAddSet), {ChooseSetType(3), ChooseFile(work / "H020.PCX")});
    if (scenario == "add-tiles")
        return Run(answers, menu(kMenuAddTilesToSet),
                   {ChooseSetType(0), ChooseFile(work / "H002.PCX")});
    if (scenario == "import")
        return Run(answers, menu(kMenuImportTiles),
                   {ChooseFile(work / "tiles.exp"), PressButton("Import")});
    return false;
}

// The child: the program makes the change, says so in WORK/ready, and
// waits to be killed.
int RunChild(int argc, char** argv) {
    QApplication qt(argc, argv);
    const std::string scenario = argv[2];
    const fs::path work = argv[3];
    UseSettingsOf(work);
    ModalAnswers answers;
    Application app(work / "startup");
    if (!app.Start() || !MakeChange(app, answers, scenario, work)) return 3;
    std::ofstream(work / "ready") << "ready\n";
    for (;;) QTest::qWait(1000);
}

pid_t SpawnChild(const std::string& scenario, const fs::path& work) {
    std::vector<std::string> words = {QCoreApplication::applicationFilePath().toStdString(),
                                      "--crash-child", scenario, work.string()};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    return pid;
}

std::vector<fs::path> JournalsIn(const fs::path& work) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator(work / "settings" / "Hollin" / "Recovery", error))
        if (entry.path().extension() == ".journal") found.push_back(entry.path());
    return found;
}

}  // namespace

class CrashRecoveryTest : public QObject {
    Q_OBJECT

  private slots:
    void killedProgramRecoversTheSameBytes_data() {
        QTest::addColumn<QString>("scenario");
        for (const char* scenario : kScenarios) QTest::newRow(scenario) << QString(scenario);
    }

    void killedProgramRecoversTheSameBytes() {
        QFETCH(QString, scenario);
        QTemporaryDir temporary;
        const fs::path root = temporary.path().toStdString();

        // Saved without a crash.
        const fs::path saved = root / "saved";
        MakeInputs(saved);
        const std::vector<std::byte> original = ReadFileBytes(TextureOf(saved));
        std::vector<std::byte> expected;
        {
            UseSettingsOf(saved);
            ModalAnswers answers;
            Application app(saved / "startup");
            QVERIFY(app.Start());
            QVERIFY(MakeChange(app, answers, scenario.toStdString(), saved));
            QVERIFY(Run(answers, [&] { app.shell().HandleCommand(kMenuSaveTextureBin); },
                        {ChooseFile(TextureOf(saved))}));
            expected = ReadFileBytes(TextureOf(saved));
            QVERIFY(expected != original);
        }

        // Killed before it saved.
        const fs::path crashed = root / "crashed";
        MakeInputs(crashed);
        const pid_t child = SpawnChild(scenario.toStdString(), crashed);
        QVERIFY(child > 0);
        const bool ready = QTest::qWaitFor([&] { return fs::exists(crashed / "ready"); }, 60000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY2(ready, "the child did not make its change");
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(ReadFileBytes(TextureOf(crashed)) == original);
        QCOMPARE(JournalsIn(crashed).size(), size_t{1});

        // Started again: Recover, then save.
        UseSettingsOf(crashed);
        ModalAnswers answers;
        Application app(crashed / "startup");
        QVERIFY(app.Start());
        QString asked;
        QVERIFY(
            Run(answers, [&] { app.recovery().OfferAtStart(); }, {PressButton("Recover", &asked)}));
        QVERIFY2(asked.startsWith("Recover the unsaved changes to " + QtPath(TextureOf(crashed)) +
                                  " from "),
                 qPrintable(asked));
        QVERIFY(app.editorPanel().HasUnsavedEdits());
        QVERIFY(Run(answers, [&] { app.shell().HandleCommand(kMenuSaveTextureBin); },
                    {ChooseFile(TextureOf(crashed))}));
        QVERIFY(ReadFileBytes(TextureOf(crashed)) == expected);
        QVERIFY(JournalsIn(crashed).empty());
        for (const ModalAnswers::Box& box : answers.boxes())
            QVERIFY2(box.icon != QMessageBox::Critical && !box.question, qPrintable(box.text));
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--crash-child") == 0) return RunChild(argc, argv);
    QApplication qt(argc, argv);
    CrashRecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "crash_recovery_test.moc"
