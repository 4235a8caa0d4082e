// The recovery journal at work on the scripted platform: the database
// commands journaled as they run, cleared by a save or a close without
// saving; and after a run that ended without saving, the question at start
// and at open, Recover, Discard and Keep for later.

#include "shell/recovery_commands.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "base/byte_writer.h"
#include "editor/edit_command.h"
#include "shell/command_fixture.h"
#include "support/pcx_writer.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace lorvane::testing {
namespace {

namespace fs = std::filesystem;
using Press = ScriptedDialogs::SetPress;

// Past every process id in use: a run that wrote with it has ended.
constexpr uint32_t kEnded = 0x7FFFFFF0;
const std::vector<std::string> kButtons = {"Recover", "Discard", "Keep for later"};

// One run of the program: its state, the scripted platform, the shell with
// the database commands, the editor panel, and the journal in the shared
// recovery folder.
struct ProgramRun {
    ProgramRun(const fs::path& recoveryFolder, uint32_t processId, uint64_t limit)
        : shell(state, {platform, platform, platform, platform, platform}),
          database(shell, dialogs),
          journal(recoveryFolder, processId, limit),
          recovery(shell, journal) {
        shell.SetHost(&host);
        shell.SetProgressView(&platform);
        shell.Initialize(recoveryFolder.parent_path());
        panel.emplace(shell);
        shell.SetRecovery(&recovery);
        database.Register();
    }
    ~ProgramRun() { shell.SetRecovery(nullptr); }

    ScriptedPlatform platform;
    ScriptedDialogs dialogs;
    AppState state;
    InstantHost host;
    MainShell shell;
    DatabaseCommands database;
    std::optional<ShellPanel> panel;
    RecoveryJournal journal;
    RecoveryCommands recovery;
};

class RecoveryCommandTest : public ::testing::Test {
  protected:
    RecoveryCommandTest()
        : folder(MakeTempFolder("lorvane-recover")), journals(folder / "Recovery") {
        file = folder / "Texture.bin";
        WriteFileBytes(file, SerializeTextureBin(MakeDatabase({
                                 TileSet{4, {MakeTile("H000.PCX", {{10, 60, 1, 2, 3, 4}})}},
                                 TileSet{9, {MakeTile("H010.PCX")}},
                             })));
    }
    ~RecoveryCommandTest() override { fs::remove_all(folder); }

    std::unique_ptr<ProgramRun> Start(uint32_t processId = kEnded,
                                      uint64_t limit = kJournalSizeLimit) {
        return std::make_unique<ProgramRun>(journals, processId, limit);
    }
    void Open(ProgramRun& run) {
        run.shell.OpenPath(file.string());
        run.platform.messages.clear();
    }
    // Every kind of database command once, and the type of set 0 again.
    void EveryDatabaseCommand(ProgramRun& run) {
        run.dialogs.setAnswers.push_back({Press{"", 2}});  // set 0: Plains
        run.shell.HandleCommand(kMenuChangeSetType);
        run.dialogs.setAnswers.push_back({Press{"2", 5}});  // a new set 2: Thin Forest
        FileChoice tiles = FileChoice::Chosen(folder / "x");
        tiles.path = tiles.folderPart();
        tiles.fileNames = {"H020.PCX", "H021.PCX"};
        run.platform.choices.push_back(tiles);
        run.shell.HandleCommand(kMenuAddSet);
        run.dialogs.setAnswers.push_back({Press{"0", 0}});  // tiles for set 0
        tiles.fileNames = {"H001.PCX"};
        run.platform.choices.push_back(tiles);
        run.shell.HandleCommand(kMenuAddTilesToSet);
        TileDatabase other =
            MakeDatabase({TileSet{1, {MakeTile("H000.PCX", {}, {{1, 700, 800, 900}})}}});
        MarkTileForExport(other, 0);
        WriteFileBytes(folder / "tiles.exp", SerializeTileExport(other));
        run.platform.choices.push_back(FileChoice::Chosen(folder / "tiles.exp"));
        run.platform.choiceAnswers.push_back(kImport);
        run.shell.HandleCommand(kMenuImportTiles);
        run.dialogs.setAnswers.push_back({Press{"", 7}});  // set 0: Urban
        run.shell.HandleCommand(kMenuChangeSetType);
    }
    std::vector<fs::path> Journals() const {
        std::vector<fs::path> found;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(journals, error))
            found.push_back(entry.path().filename());
        return found;
    }
    // Opening the Texture.bin of the current folder asks nothing; then the
    // run closes it.
    static void OpenOffersNothing(ProgramRun& run) {
        run.shell.OpenPath("Texture.bin");
        EXPECT_TRUE(run.platform.choiceQuestions.empty());
        run.platform.answers.push_back(SaveAnswer::Discard);
        ASSERT_TRUE(run.shell.ConfirmClose());
    }
    void Save(ProgramRun& run) {
        run.platform.choices.push_back(FileChoice::Chosen(file));
        run.shell.HandleCommand(kMenuSaveTextureBin);
    }

    fs::path folder;
    fs::path journals;
    fs::path file;
};

TEST_F(RecoveryCommandTest, DatabaseCommandsAreJournaledUntilSavedOrClosed) {
    auto run = Start();
    Open(*run);
    EXPECT_TRUE(Journals().empty());  // nothing changed yet
    EveryDatabaseCommand(*run);
    const std::optional<Journal> journal = LoadJournal(run->journal.journalPath());
    ASSERT_TRUE(journal);
    ASSERT_EQ(journal->records.size(), 5u);
    EXPECT_EQ(journal->records[0], JournalRecord(SetTypeRecord{0, 4}));
    EXPECT_EQ(journal->records[1],
              JournalRecord(AddTilesRecord{true, 2, 7, {"H020.PCX", "H021.PCX"}}));
    EXPECT_EQ(journal->records[2], JournalRecord(AddTilesRecord{false, 0, 4, {"H001.PCX"}}));
    // The import is journaled as the entries it changed: one area added.
    const auto* imported = std::get_if<AreaEdit>(&journal->records[3]);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->action, TileEditAction::Add);
    EXPECT_EQ(imported->after.radius, 700);
    EXPECT_EQ(journal->records[4], JournalRecord(SetTypeRecord{0, 9}));
    EXPECT_EQ(journal->header.databasePath, file.string());

    Save(*run);
    EXPECT_TRUE(Journals().empty());
    EveryDatabaseCommand(*run);
    EXPECT_EQ(Journals().size(), 1u);
    run->platform.answers.push_back(SaveAnswer::Discard);
    EXPECT_TRUE(run->shell.ConfirmClose());
    EXPECT_TRUE(Journals().empty());
}

TEST_F(RecoveryCommandTest, RecoverAfterACrashSavesTheSameBytes) {
#if defined(_WIN32)
    GTEST_SKIP() << "the test's path pattern is not a valid regular expression with Windows paths";
#endif
    for (uint64_t limit : {kJournalSizeLimit, uint64_t{100}}) {
        SCOPED_TRACE(limit);
        WriteFileBytes(file, SerializeTextureBin(MakeDatabase({
                                 TileSet{4, {MakeTile("H000.PCX", {{10, 60, 1, 2, 3, 4}})}},
                                 TileSet{9, {MakeTile("H010.PCX")}},
                             })));
        const std::vector<std::byte> before = ReadFileBytes(file);
        std::vector<std::byte> expected;
        {
            auto crashed = Start(kEnded, limit);
            Open(*crashed);
            EveryDatabaseCommand(*crashed);
            expected = SerializeTextureBin(crashed->state.session.database());
            // The run ends here without saving or closing.
        }
        EXPECT_EQ(ReadFileBytes(file), before);
        ASSERT_FALSE(Journals().empty());

        auto restarted = Start(CurrentProcessId());
        restarted->platform.choiceAnswers.push_back("Recover");
        restarted->recovery.OfferAtStart();
        ASSERT_EQ(restarted->platform.choiceQuestions.size(), 1u);
        const ScriptedPlatform::ChoiceCall& asked = restarted->platform.choiceQuestions[0];
        EXPECT_EQ(asked.buttons, kButtons);
        EXPECT_TRUE(std::regex_match(asked.question.text,
                                     std::regex("Recover the unsaved changes to " + file.string() +
                                                " from \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\\?")))
            << asked.question.text;
        // Recovered and unsaved: the file is as it was until the user saves.
        EXPECT_TRUE(restarted->state.session.loaded());
        EXPECT_TRUE(restarted->panel->panel().HasUnsavedEdits());
        EXPECT_EQ(ReadFileBytes(file), before);
        EXPECT_EQ(SerializeTextureBin(restarted->state.session.database()), expected);
        EXPECT_TRUE(restarted->platform.messages.empty());
        EXPECT_EQ(restarted->platform.notices.size(), 1u);  // "Texture.bin loaded ..."
        // The recovered work is journaled again, in this run's journal only.
        ASSERT_EQ(FindLeftJournals(journals, restarted->journal.journalPath()).size(), 0u);
        Save(*restarted);
        EXPECT_EQ(ReadFileBytes(file), expected);
        EXPECT_TRUE(Journals().empty());
    }
}

TEST_F(RecoveryCommandTest, DiscardDeletesKeepForLaterAsksAgainNextTime) {
    {
        auto crashed = Start();
        Open(*crashed);
        EveryDatabaseCommand(*crashed);
    }
    const std::vector<fs::path> left = Journals();
    ASSERT_EQ(left.size(), 1u);
    {
        auto run = Start(CurrentProcessId());
        run->platform.choiceAnswers.push_back("Keep for later");
        run->recovery.OfferAtStart();
        EXPECT_EQ(run->platform.choiceQuestions.size(), 1u);
        EXPECT_FALSE(run->state.session.loaded());
        // Not asked again in this run, not even when its database is opened.
        run->recovery.OfferAtStart();
        Open(*run);
        EXPECT_EQ(run->platform.choiceQuestions.size(), 1u);
        // A journal of this run never takes the kept one's name.
        run->dialogs.setAnswers.push_back({Press{"", 3}});
        run->shell.HandleCommand(kMenuChangeSetType);
        EXPECT_EQ(Journals().size(), 2u);
        run->platform.answers.push_back(SaveAnswer::Discard);
        EXPECT_TRUE(run->shell.ConfirmClose());
        EXPECT_EQ(Journals(), left);
    }
    auto run = Start(CurrentProcessId());
    run->platform.choiceAnswers.push_back("Discard");
    run->recovery.OfferAtStart();
    EXPECT_EQ(run->platform.choiceQuestions.size(), 1u);
    EXPECT_TRUE(Journals().empty());
    EXPECT_FALSE(run->state.session.loaded());
}

TEST_F(RecoveryCommandTest, OpeningTheDatabaseOffersItsJournal) {
    {
        auto crashed = Start();
        Open(*crashed);
        EveryDatabaseCommand(*crashed);
    }
    auto run = Start(CurrentProcessId());
    run->platform.choiceAnswers.push_back("Recover");
    Open(*run);
    ASSERT_EQ(run->platform.choiceQuestions.size(), 1u);
    EXPECT_EQ(run->state.session.database().setCount(), 3);
    EXPECT_EQ(run->state.session.database().sets[0].terrainType, 9);
    EXPECT_TRUE(run->panel->panel().HasUnsavedEdits());
}

TEST_F(RecoveryCommandTest, AChangedDatabaseIsWarnedAboutAndWhatDoesNotFitIsSkipped) {
    {
        auto crashed = Start();
        Open(*crashed);
        EveryDatabaseCommand(*crashed);
    }
    // Another program left a database without sets.
    WriteFileBytes(file, SerializeTextureBin(MakeDatabase({})));
    auto run = Start(CurrentProcessId());
    run->platform.choiceAnswers.push_back("Recover");
    run->recovery.OfferAtStart();
    ASSERT_EQ(run->platform.choiceQuestions.size(), 1u);
    const std::string& text = run->platform.choiceQuestions[0].question.text;
    EXPECT_NE(text.find("?\n\n" + file.string() +
                        " was changed after these changes were made: they may not apply cleanly."),
              std::string::npos)
        << text;
    ASSERT_EQ(run->platform.messages.size(), 1u);  // the load is a notice
    const Message& report = run->platform.messages[0];
    EXPECT_EQ(report.caption, "Recovery");
    EXPECT_EQ(report.icon, MessageIcon::Exclamation);
    EXPECT_EQ(report.text,
              "1 of the 5 recovered changes could not be applied.\n"
              "giving set 0 the type Plains: there is no such set");
    // What fits was applied: the new set (now set 0), the added tile, the
    // imported area, the last type.
    ASSERT_EQ(run->state.session.database().setCount(), 1);
    EXPECT_EQ(run->state.session.database().sets[0].tileCount(), 3);
    EXPECT_EQ(run->state.session.database().sets[0].terrainType, 9);
    EXPECT_EQ(run->state.session.database().sets[0].tiles[0].areaCount(), 1);
}

// A large journal is replayed under the progress dialog, to the end.
TEST_F(RecoveryCommandTest, ALargeJournalIsReplayedUnderProgress) {
    fs::create_directories(journals);
    JournalHeader header;
    header.processId = kEnded;
    header.databasePath = file.string();
    header.database = *StampFile(file);
    JournalWriter writer;
    ASSERT_TRUE(writer.Start(JournalPathFor(journals, file.string()), header));
    const int count = 8000;  // about 370 KB
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(writer.Append(PathEdit{
            0, 0, TileEditAction::Add, 1, {}, {1, 10, float(i), float(i), float(i), float(i)}}));
    writer.Close();
    auto run = Start(CurrentProcessId());
    run->platform.choiceAnswers.push_back("Recover");
    run->recovery.OfferAtStart();
    EXPECT_EQ(run->state.session.database().sets[0].tiles[0].pathCount(), count + 1);
    const std::vector<std::string>& log = run->platform.progressLog;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "open Recovering Unsaved Changes 0..100");
    EXPECT_EQ(log[log.size() - 2], "sections 100 100");
    EXPECT_EQ(log.back(), "close");
}

// Runs in a folder as the program started there does; back where it was after.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : old_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(old_); }

  private:
    fs::path old_;
};

// A journal names its database by its absolute path: started in another
// folder, with another Texture.bin there, the program offers it for its own
// file only and never puts its work in place of the other database.
TEST_F(RecoveryCommandTest, AJournalLeadsOnlyToItsOwnDatabase) {
    const fs::path a = folder / "A";
    const fs::path b = folder / "B";
    fs::create_directories(a);
    fs::create_directories(b);
    fs::rename(file, a / "Texture.bin");
    const std::vector<std::byte> other = SerializeTextureBin(MakeLargeDatabase(30, 4, 1, 1));
    WriteFileBytes(b / "Texture.bin", other);
    std::vector<std::byte> expected;
    {
        InFolder in(a);
        // A small limit: the journal starts again from a recovery copy.
        auto crashed = Start(kEnded, 100);
        crashed->shell.OpenPath("Texture.bin");
        EveryDatabaseCommand(*crashed);
        expected = SerializeTextureBin(crashed->state.session.database());
    }
    const std::string named = (a / "Texture.bin").lexically_normal().string();
    {
        InFolder in(b);
        // Opening B's database offers nothing: the journal is A's.
        OpenOffersNothing(*Start(CurrentProcessId()));
    }
    {
        InFolder in(b);
        auto run = Start(CurrentProcessId());
        run->platform.choiceAnswers.push_back("Recover");
        run->recovery.OfferAtStart();
        ASSERT_EQ(run->platform.choiceQuestions.size(), 1u);
        const std::string& text = run->platform.choiceQuestions[0].question.text;
        EXPECT_EQ(text.rfind("Recover the unsaved changes to " + named + " from ", 0), 0u) << text;
        EXPECT_EQ(text.find("\n"), std::string::npos) << text;  // nothing changed since
        EXPECT_EQ(SerializeTextureBin(run->state.session.database()), expected);
        EXPECT_EQ(run->state.session.guard().path(), fs::path(named));
        // Save writes A's file, as the save dialog proposes.
        run->platform.choices.push_back(FileChoice::Chosen(named));
        run->shell.HandleCommand(kMenuSaveTextureBin);
        EXPECT_EQ(run->platform.dialogs.back().request.startFolder, a.string() + "/");
    }
    EXPECT_EQ(ReadFileBytes(a / "Texture.bin"), expected);
    EXPECT_EQ(ReadFileBytes(b / "Texture.bin"), other);
    EXPECT_TRUE(Journals().empty());
}

// The database of a journal is gone: with its recovery copy the work is
// recovered into a database without a file and saved under a name the user
// chooses; without one the question says it cannot be recovered.
TEST_F(RecoveryCommandTest, AJournalWhoseDatabaseIsGoneIsSaidSo) {
    std::vector<std::byte> expected;
    {
        auto crashed = Start(kEnded, 100);
        Open(*crashed);
        EveryDatabaseCommand(*crashed);
        expected = SerializeTextureBin(crashed->state.session.database());
    }
    fs::remove(file);
    {
        auto run = Start(CurrentProcessId());
        run->platform.choiceAnswers.push_back("Recover");
        run->platform.choices.push_back(FileChoice::Chosen(folder / "Saved.bin"));
        run->recovery.OfferAtStart();
        ASSERT_EQ(run->platform.choiceQuestions.size(), 1u);
        const ScriptedPlatform::ChoiceCall& asked = run->platform.choiceQuestions[0];
        EXPECT_EQ(asked.buttons, kButtons);
        EXPECT_NE(asked.question.text.find(file.string() +
                                           " is not there any more: the recovered database is "
                                           "saved under a name you choose."),
                  std::string::npos)
            << asked.question.text;
        // The save dialog was asked at once, and the journal went with the save.
        EXPECT_EQ(ReadFileBytes(folder / "Saved.bin"), expected);
        EXPECT_FALSE(PathExists(file));
        EXPECT_TRUE(Journals().empty());
    }
    // No copy: nothing to recover into.
    {
        auto crashed = Start();
        crashed->shell.OpenPath((folder / "Saved.bin").string());
        crashed->dialogs.setAnswers.push_back({Press{"", 3}});
        crashed->shell.HandleCommand(kMenuChangeSetType);
    }
    fs::remove(folder / "Saved.bin");
    auto run = Start(CurrentProcessId());
    run->recovery.OfferAtStart();
    ASSERT_EQ(run->platform.choiceQuestions.size(), 1u);
    const ScriptedPlatform::ChoiceCall& asked = run->platform.choiceQuestions[0];
    EXPECT_EQ(asked.buttons, (std::vector<std::string>{"Discard", "Keep for later"}));
    EXPECT_EQ(asked.defaultButton, 1u);
    EXPECT_NE(asked.question.text.find("cannot be recovered: the file is not there any more."),
              std::string::npos)
        << asked.question.text;
    EXPECT_FALSE(run->state.session.loaded());
    EXPECT_EQ(Journals().size(), 1u);  // kept for later
}

// A journal of the first layout names its database by the path as it was
// typed: a relative path leads to no file for certain, so opening a
// database of that name elsewhere never offers it; a newline in a path
// shows escaped.
TEST_F(RecoveryCommandTest, ARelativePathOfTheFirstLayoutNamesNoDatabase) {
    fs::create_directories(journals);
    const auto firstLayout = [](const std::string& path) {
        ByteWriter out;
        out.Chars(std::string_view("LVJRNL1\n", 8));
        out.U32(kEnded);
        out.U32(static_cast<uint32_t>(path.size()));
        out.Chars(path);
        for (int i = 0; i < 6; ++i) out.U32(0);  // the stamp
        out.U8(0);
        return out.Take();
    };
    WriteFileBytes(journals / "Texture.bin-1.journal", firstLayout("Texture.bin"));
    WriteFileBytes(journals / "Texture.bin-2.journal", firstLayout("/x/new\nline/Texture.bin"));
    InFolder in(folder);
    auto run = Start(CurrentProcessId());
    OpenOffersNothing(*run);
    run->recovery.OfferAtStart();
    ASSERT_EQ(run->platform.choiceQuestions.size(), 2u);
    std::string texts;
    for (const auto& asked : run->platform.choiceQuestions) texts += asked.question.text + "|";
    EXPECT_NE(texts.find("changes to Texture.bin from"), std::string::npos) << texts;
    EXPECT_NE(texts.find("/x/new\\nline/Texture.bin"), std::string::npos) << texts;
    EXPECT_EQ(texts.find("new\nline"), std::string::npos) << texts;
}

// Drawing, undo and redo, removing, moving and changing entries through the
// editor, with tile switches and database commands between them: killed
// unsaved, recovered, saved: the same bytes as saved without the crash.
TEST_F(RecoveryCommandTest, RandomEditsThroughTheEditorRecoverToTheSameBytes) {
    for (const char* name : {"H000.PCX", "H010.PCX"})
        WriteFileBytes(folder / name, WritePcx(MakePatternPicture(16, 16, 3)));
    std::mt19937 random(18);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::byte> expected;
        {
            auto crashed = Start();
            Open(*crashed);
            ShellPanel& panel = *crashed->panel;
            const auto showTile = [&](const char* name) {
                panel.panel().LoadTileImage((folder / name).string(), name);
            };
            showTile("H000.PCX");
            const auto at = [&] { return static_cast<int>(random() % 280) + 10; };
            for (int step = 0; step < 40; ++step) {
                EditorPanel& editor = panel.panel();
                const int32_t tile = *editor.tileOnScreen();
                const int32_t paths = editor.tables().pathCount();
                const int32_t areas = editor.tables().areaCount();
                switch (random() % 9) {
                    case 0:
                        panel.HandleCommand(kPanelNewPath);
                        for (int click = 0; click < 3; ++click) panel.Click(at(), at());
                        panel.RightClick(at(), at());
                        break;
                    case 1:
                        panel.HandleCommand(kPanelNewArea);
                        panel.Click(at(), at());
                        panel.Click(at(), at());
                        break;
                    case 2:
                        editor.Undo();
                        break;
                    case 3:
                        editor.Redo();
                        break;
                    case 4:
                        if (paths > 0)
                            editor.DeletePathNumber(std::to_string(random() % paths + 1));
                        break;
                    case 5:
                        if (paths > 0)
                            editor.Apply(MakeMovePoint(editor.tables(), tile, EntryKind::Path,
                                                       static_cast<int32_t>(random() % paths) + 1,
                                                       PointRole::End,
                                                       {static_cast<float>(random() % 26240) / 8,
                                                        static_cast<float>(random() % 26240) / 8}));
                        break;
                    case 6:
                        if (areas > 0)
                            editor.Apply(MakeChangeValue(editor.tables(), tile, EntryKind::Area,
                                                         static_cast<int32_t>(random() % areas) + 1,
                                                         ValueField::Radius,
                                                         static_cast<int32_t>(random() % 900) + 1));
                        break;
                    case 7:
                        showTile(random() % 2 == 0 ? "H000.PCX" : "H010.PCX");
                        break;
                    case 8:
                        crashed->dialogs.setAnswers.push_back(
                            {Press{"", static_cast<int>(random() % 8)}});
                        crashed->shell.HandleCommand(kMenuChangeSetType);
                        break;
                }
            }
            panel.panel().WriteBackTileOnScreen();
            expected = SerializeTextureBin(crashed->state.session.database());
        }
        const std::vector<LeftJournal> left = FindLeftJournals(journals);
        ASSERT_EQ(left.size(), 1u);
        EXPECT_GT(LoadJournal(left[0].path)->records.size(), 20u);
        auto restarted = Start(CurrentProcessId());
        restarted->platform.choiceAnswers.push_back("Recover");
        restarted->recovery.OfferAtStart();
        ASSERT_EQ(restarted->platform.choiceQuestions.size(), 1u);
        EXPECT_TRUE(restarted->platform.messages.empty());  // nothing skipped
        EXPECT_EQ(restarted->platform.notices.size(), 1u);  // loaded
        Save(*restarted);
        EXPECT_EQ(ReadFileBytes(file), expected);
        EXPECT_TRUE(Journals().empty());
    }
}

}  // namespace
}  // namespace lorvane::testing
