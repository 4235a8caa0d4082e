// The terrain and theater output commands of the main window, on the
// scripted platform: their dialogs, messages, menu states, progress and files.

#include <gtest/gtest.h>

#include "base/format.h"
#include "shell/command_fixture.h"
#include "support/terrain_builder.h"
#include "terrain/terrain_files.h"

namespace lorvane::testing {
namespace {

using Kind = ScriptedPlatform::DialogCall::Kind;

bool SameMatrix(const TerrainMatrix& a, const TerrainMatrix& b) {
    return a.dimensions == b.dimensions && a.l2FormatCode == b.l2FormatCode && a.cells == b.cells;
}

class TerrainCommandTest : public CommandTest {
  protected:
    // A 4 × 4-section theater written as THEATER.L2 / THEATER.O2.
    std::filesystem::path WriteTheater(int n = 4) {
        pattern = MakePatternMatrix(n, 64);
        return WriteL2Files(folder, "THEATER", MakeL2Files(pattern, 7));
    }
    // Opens the theater through "Open &L2 File...".
    void OpenTheater() {
        Answer(WriteTheater());
        shell.HandleCommand(kMenuOpenL2File);
        ASSERT_TRUE(state.shell.terrainLoaded);
        ClearRecords();
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const Message& message : platform.messages) texts.push_back(message.text);
        return texts;
    }

    TerrainMatrix pattern;
};

TEST_F(TerrainCommandTest, FileDialogsCarryTheirTitlesFiltersNamesAndFolders) {
    OpenTheater();
    // The terrain folder is read from the settings while none is held.
    platform.settings["Paths/Terrain"] = "/terrain/";
    state.folders.terrainFolder.clear();
    // The L2M, .thr and .mea save dialogs start in the terrain's own
    // folder, whatever the Texture.bin folder.
    state.folders.textureFolder = "/textures/";
    const std::string terrain = FileChoice::Chosen(PathFromUtf8(state.terrainPath)).folderPart();
    platform.settings["Paths/Texture"] = "/not-read/";
    state.session.Replace(MakeDatabase({TileSet{1, {MakeTile("H000.PCX")}}}));

    for (int id : {kMenuSaveL2Matrix, kMenuGenerateThr, kMenuGenerateMea, kMenuEditTheaterMap})
        shell.HandleCommand(id);
    shell.menu().Enable(kMenuOpenL2File, true);
    shell.menu().Enable(kMenuLoadL2Matrix, true);
    shell.HandleCommand(kMenuLoadL2Matrix);
    shell.HandleCommand(kMenuOpenL2File);

    struct Expected {
        Kind kind;
        const char* title;
        const char* filter;
        const char* name;
        std::string folder;
        bool mustExist;
    };
    const std::vector<Expected> expected = {
        {Kind::Save, "Save L2M Terrain Matrix", "L2M Matrix file|*.L2M||", "*.L2M", terrain, false},
        {Kind::Save, "Save Generated Balkans.thr File", "Theater tile map|*.thr||", "Balkans.thr",
         terrain, false},
        {Kind::Save, "Save Generated Balkans.mea File", "Theater MEA file|*.mea||", "Balkans.mea",
         terrain, false},
        {Kind::Open, "Select Theater.map File", "", "Theater.map", "/terrain/", true},
        {Kind::Open, "Open L2M Terrain Matrix", "L2M Matrix file|*.L2M||", "*.L2M", "/terrain/",
         false},
        {Kind::Open, "Open L2 Terrain File", "Terrain L2 file|*.L2||", "*.L2", "/terrain/", false},
    };
    ASSERT_EQ(platform.dialogs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].title);
        const auto& call = platform.dialogs[i];
        EXPECT_EQ(call.kind, expected[i].kind);
        EXPECT_EQ(call.request.title, expected[i].title);
        EXPECT_EQ(call.request.filter, expected[i].filter);
        EXPECT_EQ(call.request.proposedName, expected[i].name);
        EXPECT_EQ(PathToUtf8(call.request.startFolder), expected[i].folder);
        EXPECT_EQ(call.request.fileMustExist, expected[i].mustExist);
        EXPECT_FALSE(call.request.overwritePrompt);
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(TerrainCommandTest, WhatIsWrittenIsANoticeNamingItsFile) {
    Answer(WriteTheater());
    shell.HandleCommand(kMenuOpenL2File);
    ASSERT_TRUE(state.shell.terrainLoaded);
    const std::string size =
        FormatText("%d x %d posts", output.matrix.xMapExtent(), output.matrix.yMapExtent());
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0],
              (Message{"Terrain loaded: " + size, "Terrain Loaded", MessageIcon::Information}));
    EXPECT_EQ(platform.notices[0].detail, state.terrainPath);
    state.session.Replace(MakeDatabase({TileSet{1, {MakeTile("H000.PCX")}}}));

    const struct {
        int id;
        const char* file;
        std::string text;
        const char* caption;
    } writes[] = {
        {kMenuSaveL2Matrix, "out.L2M", "L2M matrix saved: " + size, "L2M Matrix Saved"},
        {kMenuGenerateThr, "out.thr", ".thr map written: " + size, ".thr Map Generated"},
        {kMenuGenerateMea, "out.mea", ".mea file written: " + size, ".mea File Generated"},
    };
    for (const auto& write : writes) {
        SCOPED_TRACE(write.file);
        ClearRecords();
        const auto path = folder / write.file;
        Answer(path);
        shell.HandleCommand(write.id);
        EXPECT_TRUE(platform.messages.empty());
        ASSERT_EQ(platform.notices.size(), 1u);
        EXPECT_EQ(platform.notices[0],
                  (Message{write.text, write.caption, MessageIcon::Information}));
        EXPECT_EQ(platform.notices[0].detail, path.string());
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    // A file that cannot be written is a failure in a box, and no notice.
    ClearRecords();
    Answer(folder / "missing-folder" / "out.thr");
    shell.HandleCommand(kMenuGenerateThr);
    EXPECT_FALSE(platform.messages.empty());
    EXPECT_TRUE(platform.notices.empty());
}

TEST(TheaterOutputRequest, NamesTheTheaterOrSaysTheater) {
    EXPECT_EQ(TheaterOutputRequest("thr", "/t/", "Korea").title, "Save Generated Korea.thr File");
    EXPECT_EQ(TheaterOutputRequest("thr", "/t/", "Korea").proposedName, "Korea.thr");
    EXPECT_EQ(TheaterOutputRequest("mea", "/t/").title, "Save Generated Theater .mea File");
    EXPECT_EQ(TheaterOutputRequest("mea", "/t/").proposedName, "*.mea");
}

TEST_F(TerrainCommandTest, CancelledDialogsChangeNothing) {
    OpenTheater();
    const auto files = std::filesystem::directory_iterator(folder);
    const size_t fileCount = std::distance(files, std::filesystem::directory_iterator());
    state.session.Replace(MakeDatabase({TileSet{1, {MakeTile("H000.PCX")}}}));
    const std::string title = host.title;

    for (int id : {kMenuSaveL2Matrix, kMenuGenerateThr, kMenuGenerateMea, kMenuEditTheaterMap,
                   kMenuLoadL2Matrix, kMenuOpenL2File}) {
        SCOPED_TRACE(id);
        AnswerCancel();
        shell.HandleCommand(id);
    }
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(platform.progressLog.empty());
    EXPECT_TRUE(state.shell.terrainLoaded);
    EXPECT_TRUE(SameMatrix(output.matrix, pattern));
    EXPECT_TRUE(Enabled(kMenuSaveL2Matrix));  // a cancelled save leaves it enabled
    EXPECT_EQ(host.title, title);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              static_cast<std::ptrdiff_t>(fileCount));

    // A cancelled L2M choice leaves the next open an ordinary L2 open.
    EXPECT_FALSE(output.loadMode);
    platform.dialogs.clear();
    shell.HandleCommand(kMenuOpenL2File);
    EXPECT_EQ(platform.dialogs.back().request.title, "Open L2 Terrain File");
}

TEST_F(TerrainCommandTest, FailedDialogsShowTheirErrorCodes) {
    OpenTheater();
    state.session.Replace(MakeDatabase({TileSet{1, {MakeTile("H000.PCX")}}}));
    shell.menu().Enable(kMenuOpenL2File, true);
    shell.menu().Enable(kMenuLoadL2Matrix, true);
    const std::vector<std::pair<int, std::string>> cases = {
        {kMenuOpenL2File, "L2 file open error# 12290"},
        {kMenuLoadL2Matrix, "L2 file open error# 12291"},
        {kMenuSaveL2Matrix, "L2 file open error# 12292"},
        {kMenuGenerateThr, "thr file open error# 12293"},
        {kMenuGenerateMea, "mea file open error# 12294"},
        {kMenuEditTheaterMap, "Theater.map file open error# 12295"},
    };
    int code = 12290;
    for (const auto& [id, text] : cases) {
        AnswerFailed(code++);
        shell.HandleCommand(id);
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_EQ(platform.messages.back(), (Message{text, "Error", MessageIcon::Error}));
    }
    EXPECT_EQ(platform.messages.size(), cases.size());
    EXPECT_TRUE(platform.progressLog.empty());
    EXPECT_FALSE(output.loadMode);
    EXPECT_TRUE(state.shell.terrainLoaded);
}

TEST_F(TerrainCommandTest, GeneratorsWithoutTheirInputsOnlyInform) {
    const Message both{"The L2 Terrain matrix (or file) and/or Texture.bin have not been loaded.",
                       "Information", MessageIcon::Exclamation};
    const Message terrainOnly{"The L2 Terrain matrix (or file) has not been loaded.", "Information",
                              MessageIcon::Exclamation};
    shell.HandleCommand(kMenuGenerateThr);  // neither
    shell.HandleCommand(kMenuGenerateMea);
    shell.HandleCommand(kMenuSaveL2Matrix);  // does nothing at all
    state.session.Replace(MakeDatabase({TileSet{1, {MakeTile("H000.PCX")}}}));
    shell.HandleCommand(kMenuGenerateThr);  // database only
    state.session.Close();
    state.shell.terrainLoaded = true;
    shell.HandleCommand(kMenuGenerateThr);  // terrain only
    EXPECT_EQ(platform.messages, (std::vector<Message>{both, terrainOnly, both, both}));
    EXPECT_TRUE(platform.dialogs.empty());
}

TEST_F(TerrainCommandTest, OpeningAnL2BuildsTheMatrixAndChangesTheMenus) {
    EXPECT_TRUE(Enabled(kMenuOpenL2File));
    EXPECT_TRUE(Enabled(kMenuLoadL2Matrix));
    EXPECT_FALSE(Enabled(kMenuSaveL2Matrix));
    const auto l2 = WriteTheater();
    Answer(l2);
    shell.HandleCommand(kMenuOpenL2File);

    EXPECT_TRUE(platform.messages.empty());
    ASSERT_TRUE(state.shell.terrainLoaded);
    EXPECT_TRUE(SameMatrix(output.matrix, pattern));
    EXPECT_EQ(host.title, "");  // the title names the database, not the terrain
    EXPECT_FALSE(Enabled(kMenuOpenL2File));
    EXPECT_FALSE(Enabled(kMenuLoadL2Matrix));
    EXPECT_TRUE(Enabled(kMenuSaveL2Matrix));
    // The terrain folder is stored at once; the recent files hold databases
    // only.
    EXPECT_EQ(platform.settings["Paths/Terrain"], (folder / "").string());
    EXPECT_EQ(shell.menu().Find(kRecentFirst), nullptr);
    // The dialog's range is the theater's before the files set it (64 × 64);
    // each of the 4 section rows reports its last section.
    EXPECT_EQ(
        platform.progressLog,
        (std::vector<std::string>{"open Building Terrain Matrix 0..4096", "sections 3 3",
                                  "sections 7 7", "sections 11 11", "sections 15 15", "close"}));
    const TheaterSettings& theater = state.theaters.settings;
    EXPECT_EQ(theater.xSections, 4);
    EXPECT_EQ(theater.yMapExtent, 64);
}

TEST_F(TerrainCommandTest, TerrainFilesThatDoNotOpenLeaveNoMatrix) {
    // No O2 beside the L2: the L2 is remembered and named in the caption,
    // but no matrix is built.
    const auto l2 = WriteTheater();
    std::filesystem::remove(folder / "THEATER.O2");
    Answer(l2);
    shell.HandleCommand(kMenuOpenL2File);
    const std::string o2 = (folder / "THEATER.O2").string();
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Data File Open Failed. ",
                                        "Error opening the O2 file.  Cannot save the L2 file."}));
    EXPECT_EQ(platform.messages[0].caption, o2);
    EXPECT_TRUE(state.shell.abortRequested);
    EXPECT_FALSE(state.shell.terrainLoaded);
    EXPECT_EQ(host.title, "");  // the title names the database, not the terrain
    EXPECT_TRUE(platform.progressLog.empty());
    EXPECT_TRUE(Enabled(kMenuOpenL2File));

    // A missing L2 leaves even the caption alone.
    ClearRecords();
    host.title = "before";
    Answer(folder / "GONE.L2");
    shell.HandleCommand(kMenuOpenL2File);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Data File Open Failed. ",
                                        "Error opening the L2 file.  Cannot save the L2 file."}));
    EXPECT_EQ(host.title, "before");
}

TEST_F(TerrainCommandTest, CancellingTheBuildLeavesNoMatrixReady) {
    platform.cancelAfter = 3;  // during the first section row
    Answer(WriteTheater());
    shell.HandleCommand(kMenuOpenL2File);
    EXPECT_FALSE(state.shell.terrainLoaded);
    EXPECT_TRUE(output.matrix.cells.empty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.progressLog.back(), "close");
    // Nothing is ready, so the terrain can be opened again; there is nothing to save.
    EXPECT_TRUE(Enabled(kMenuOpenL2File));
    EXPECT_TRUE(Enabled(kMenuLoadL2Matrix));
    EXPECT_FALSE(Enabled(kMenuSaveL2Matrix));
    shell.HandleCommand(kMenuGenerateMea);
    EXPECT_EQ(platform.messages.back().text,
              "The L2 Terrain matrix (or file) has not been loaded.");
}

TEST_F(TerrainCommandTest, SavedMatrixLoadsBackAndEverySaveGraysTheItem) {
    OpenTheater();
    const auto l2m = folder / "THEATER.L2M";
    Answer(l2m);
    shell.HandleCommand(kMenuSaveL2Matrix);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(Enabled(kMenuSaveL2Matrix));
    EXPECT_EQ(platform.progressLog.front(), "open Saving Terrain Matrix 0..16");
    const auto bytes = ReadFileBytes(l2m);
    ASSERT_EQ(bytes.size(), 9u + 9u * 64 * 64);
    EXPECT_EQ(bytes[0], std::byte{64});
    EXPECT_EQ(bytes[4], std::byte{64});
    EXPECT_TRUE(state.shell.terrainLoaded);

    // A failed save grays it as well: the folder named does not exist.
    shell.menu().Enable(kMenuSaveL2Matrix, true);
    ClearRecords();
    Answer(folder / "missing" / "X.L2M");
    shell.HandleCommand(kMenuSaveL2Matrix);
    EXPECT_FALSE(platform.messages.empty());
    EXPECT_FALSE(Enabled(kMenuSaveL2Matrix));

    // Loading the saved file gives the same matrix; an L2M is not a recent file.
    state.shell.terrainLoaded = false;
    output.matrix = {};
    shell.menu().Enable(kMenuLoadL2Matrix, true);
    const std::string recent = platform.settings["File1"];
    ClearRecords();
    Answer(l2m);
    shell.HandleCommand(kMenuLoadL2Matrix);
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_TRUE(state.shell.terrainLoaded);
    EXPECT_TRUE(SameMatrix(output.matrix, pattern));
    EXPECT_EQ(host.title, "");
    EXPECT_EQ(platform.settings["File1"], recent);
    EXPECT_FALSE(output.loadMode);
    EXPECT_EQ(platform.progressLog.front(), "open Building Terrain Matrix 0..16");
}

TEST_F(TerrainCommandTest, CancelledSaveWritesNoFile) {
    OpenTheater();
    platform.cancelAfter = platform.inputTakes + 2;
    const auto l2m = folder / "CANCELLED.L2M";
    Answer(l2m);
    shell.HandleCommand(kMenuSaveL2Matrix);
    EXPECT_FALSE(std::filesystem::exists(l2m));
    EXPECT_FALSE(Enabled(kMenuSaveL2Matrix));
    EXPECT_TRUE(state.shell.terrainLoaded);  // the matrix itself is still there
}

TEST_F(TerrainCommandTest, L2MOfAnotherShapeIsRefused) {
    std::vector<std::byte> bytes(9 + 9 * 32 * 16);
    bytes[0] = std::byte{16};  // 16 rows of 32 posts
    bytes[4] = std::byte{32};
    const auto l2m = folder / "ODD.L2M";
    WriteFileBytes(l2m, bytes);
    Answer(l2m);
    shell.HandleCommand(kMenuLoadL2Matrix);
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{{"This L2M matrix is not the same size as the current theater.",
                                     "L2M Matrix Error", MessageIcon::Error}}));
    EXPECT_FALSE(state.shell.terrainLoaded);
    EXPECT_TRUE(Enabled(kMenuLoadL2Matrix));
}

TEST_F(TerrainCommandTest, AnL2FileOpenedStaysOutOfTheRecentFiles) {
    OpenTheater();
    EXPECT_EQ(state.recentFiles->count, 0);
    // Nor does one named to the list itself go in.
    shell.RememberFile(WriteTheater().string());
    EXPECT_EQ(state.recentFiles->count, 0);
    EXPECT_EQ(shell.menu().Find(kRecentFirst), nullptr);
}

TEST_F(TerrainCommandTest, TheaterOutputsUnderTheProgressDialog) {
    OpenTheater();
    state.session.Replace(MakeDatabase({TileSet{7, {MakeTile("H000.PCX")}}}));
    const auto thr = folder / "out.thr";
    const auto mea = folder / "out.mea";
    Answer(thr);
    shell.HandleCommand(kMenuGenerateThr);
    Answer(mea);
    shell.HandleCommand(kMenuGenerateMea);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(ReadFileBytes(thr).size(), 4u + 64 * 64);
    EXPECT_EQ(ReadFileBytes(mea).size(), 8u * 8 * 2);
    // .thr reports 4·y for each of the 64 rows; .mea reports nothing but
    // shows the .thr caption.
    std::vector<std::string> expected = {"open Building <theater>.thr File 0..16"};
    for (int y = 0; y < 64; ++y) expected.push_back(FormatText("sections %d %d", 4 * y, 4 * y));
    expected.push_back("close");
    expected.push_back("open Building <theater>.thr File 0..16");
    expected.push_back("close");
    EXPECT_EQ(platform.progressLog, expected);

    // A cancelled .thr leaves no file.
    platform.cancelAfter = platform.inputTakes + 5;
    const auto cancelled = folder / "cancelled.thr";
    Answer(cancelled);
    shell.HandleCommand(kMenuGenerateThr);
    EXPECT_FALSE(std::filesystem::exists(cancelled));
}

TEST_F(TerrainCommandTest, TheaterMapShowsDefaultsAndRefusesAShortHeader) {
    TheaterMapHeader header;
    header.levelCount = 6;
    std::vector<std::byte> bytes = SerializeTheaterMap(header);
    bytes.resize(1100);  // ends after the six level pairs
    const auto map = folder / "Theater.map";
    WriteFileBytes(map, bytes);
    Answer(map);
    shell.HandleCommand(kMenuEditTheaterMap);  // the dialog is cancelled
    ASSERT_EQ(dialogs.mapShown.size(), 1u);
    const TheaterMapTexts& shown = dialogs.mapShown[0];
    EXPECT_EQ(shown.size(), 22u);
    EXPECT_EQ(shown.at(31272), "0");          // flags
    EXPECT_EQ(shown.at(31231), "11.000000");  // the theater's corner
    EXPECT_EQ(shown.at(31271), "36.625000");
    EXPECT_EQ(shown.at(31273), "12000");
    EXPECT_EQ(ReadFileBytes(map), bytes);

    // Applied unchanged, it is written in its full form.
    dialogs.mapAnswers.push_back(TheaterMapTexts{});
    Answer(map);
    shell.HandleCommand(kMenuEditTheaterMap);
    EXPECT_EQ(ReadFileBytes(map).size(), 1116u);

    // A header that ends inside the palette: its message and no dialog.
    WriteFileBytes(map, std::vector<std::byte>(bytes.begin(), bytes.begin() + 500));
    Answer(map);
    shell.HandleCommand(kMenuEditTheaterMap);
    EXPECT_EQ(platform.messages.back(),
              (Message{"Bad terrain header read (map palette)", "Read Error", MessageIcon::Error}));
    EXPECT_EQ(dialogs.mapShown.size(), 2u);
    EXPECT_EQ(ReadFileBytes(map).size(), 500u);
}

// An O2 of 1024 × 1024 entries that all name the one section of a tiny L2:
// 16384 × 16384 posts, 3 GiB as a whole matrix. The desktop program keeps
// the one section and the entries, and reads every post as it is.
TEST_F(TerrainCommandTest, AnAliasedO2OpensWithoutExpandingItsSections) {
    const TerrainMatrix one = MakePatternMatrix(1, 64);
    L2Files files = MakeL2Files(one, 7);
    files.o2.assign(4 * 1024 * 1024, std::byte{0});
    Answer(WriteL2Files(folder, "ALIASED", files));
    shell.HandleCommand(kMenuOpenL2File);
    ASSERT_TRUE(state.shell.terrainLoaded);
    const TerrainMatrix& matrix = output.matrix;
    EXPECT_EQ(matrix.dimensions, SquareDimensions(1024));
    const size_t held = (matrix.cells.size() + matrix.sharedCells.size()) * sizeof(TerrainCell) +
                        matrix.sectionOf.size() * sizeof(uint32_t);
    EXPECT_LT(held, size_t{8} << 20);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{16383, 16383}, std::pair{4097, 9000}})
        EXPECT_EQ(matrix.Cell(x, y), one.Cell(x % 16, y % 16)) << x << "," << y;
    EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace lorvane::testing
