// The open database's session: open, save, save as, and what the title and
// the Save menu say about them.

#include "shell/database_session.h"

#include "command_fixture.h"
#include "support/pcx_writer.h"
#include "tiledb/texture_bin.h"

namespace lorvane::testing {
namespace {

class SessionTest : public CommandTest {
  protected:
    std::filesystem::path WriteDatabase(const std::filesystem::path& file) {
        WriteFileBytes(file, SerializeTextureBin(TwoSetDatabase()));
        return file;
    }
    // The sample database opened from its file, and H001.PCX on screen.
    void OpenWithTile(const std::filesystem::path& file) {
        WriteDatabase(file);
        ASSERT_TRUE(session.Open(PathToUtf8(file)));
        const std::filesystem::path image = file.parent_path() / "H001.PCX";
        WriteFileBytes(image, WritePcx(MakePatternPicture(16, 16, 7)));
        panel->panel().LoadTileImage(PathToUtf8(image), "H001.PCX");
        ClearRecords();
    }
    void DrawASegment() {
        panel->HandleCommand(kPanelNewPath);
        panel->Click(5, 5);
        panel->Click(50, 5);
        panel->RightClick(50, 5);
    }
    int SavedPaths(const std::filesystem::path& file) {
        NullMessages quiet;
        const std::optional<TileDatabase> saved = LoadTextureBin(file, quiet);
        return saved ? saved->sets[0].tiles[1].pathCount() : -1;
    }
};

TEST_F(SessionTest, OpeningReportsTheDatabaseAndSaveWaitsForAChange) {
    EXPECT_FALSE(session.SaveEnabled());
    EXPECT_FALSE(Enabled(kMenuSaveTextureBin));
    EXPECT_FALSE(Enabled(kMenuSaveTextureBinAs));
    const auto file = WriteDatabase(folder / "Texture.bin");
    Answer(file);
    shell.HandleCommand(kMenuOpenTextureBin);
    ASSERT_EQ(platform.dialogs.size(), 1u);
    const FileDialogRequest& request = platform.dialogs[0].request;
    EXPECT_EQ(request.title, "Open Texture.bin File");
    EXPECT_EQ(request.filter, "Texture.bin file|*.bin||");
    EXPECT_EQ(request.proposedName, "texture.bin");
    EXPECT_TRUE(request.fileMustExist);
    // Loaded: a notice naming the file, no box to dismiss.
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0],
              (Message{"Texture.bin loaded: 2 Sets  3 Tiles", "Texture.bin Successfully Loaded",
                       MessageIcon::Information}));
    EXPECT_EQ(platform.notices[0].detail, file.string());
    EXPECT_TRUE(session.loaded());
    EXPECT_EQ(host.title, file.string());
    EXPECT_EQ(state.recentFiles->entries.front(), file.string());
    EXPECT_EQ(shell.Folder("Texture"), (folder / "").string());
    EXPECT_TRUE(Enabled(kMenuAddSet));
    // Save waits for something to save: a change, or a database without a file.
    EXPECT_FALSE(session.SaveEnabled());
    EXPECT_FALSE(Enabled(kMenuSaveTextureBin));
    session.Changed();
    EXPECT_TRUE(session.SaveEnabled());
    EXPECT_TRUE(Enabled(kMenuSaveTextureBin));
    EXPECT_EQ(host.title, "*" + file.string());
    session.Replace(TwoSetDatabase());
    EXPECT_TRUE(session.SaveEnabled());
    EXPECT_EQ(host.title, "*Untitled");
}

TEST_F(SessionTest, AFailedLoadLeavesNoDatabase) {
    session.Open(PathToUtf8(WriteDatabase(folder / "Texture.bin")));
    WriteFileBytes(folder / "Short.bin", {std::byte{1}});
    ClearRecords();
    EXPECT_FALSE(session.Open((folder / "Short.bin").string()));
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].caption, "Read Error");
    EXPECT_EQ(platform.messages[1],
              (Message{"Error reading Texture.bin", "Texture.bin Not Loaded", MessageIcon::Error}));
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(session.database().setCount(), 0);
    EXPECT_EQ(host.title, "Lorvane");
    // Save does nothing without a database.
    EXPECT_FALSE(session.SaveEnabled());
    EXPECT_FALSE(session.Save());
    EXPECT_TRUE(platform.dialogs.empty());
}

TEST_F(SessionTest, TheFirstSaveAsksForANameTheNextOneBeeps) {
    OpenWithTile(folder / "Texture.bin");
    DrawASegment();
    Answer(folder / "Saved.bin");
    EXPECT_TRUE(session.Save());
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].kind, ScriptedPlatform::DialogCall::Kind::Save);
    EXPECT_EQ(platform.dialogs[0].request.title, "Save Texture.bin File");
    EXPECT_FALSE(platform.dialogs[0].request.overwritePrompt);
    EXPECT_EQ(host.beeps, 0);
    EXPECT_EQ(session.savePath(), (folder / "Saved.bin").string());
    EXPECT_EQ(state.recentFiles->entries.front(), session.savePath());
    EXPECT_EQ(SavedPaths(folder / "Saved.bin"), 1);
    EXPECT_TRUE(std::filesystem::exists(folder / "TileInfo.dat"));
    // The title names the file saved to, the one the next Save writes.
    EXPECT_EQ(host.title, (folder / "Saved.bin").string());
    // Edits after it are saved by the next Save too, without a dialog; the
    // title marks them until then.
    DrawASegment();
    EXPECT_EQ(host.title, "*" + (folder / "Saved.bin").string());
    EXPECT_TRUE(session.Save());
    EXPECT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(SavedPaths(folder / "Saved.bin"), 2);
    EXPECT_FALSE(session.HasUnsavedChanges());
}

TEST_F(SessionTest, AfterSaveAsSaveWritesTheNewFileAndTheTitleSaysSo) {
    OpenWithTile(folder / "Texture.bin");
    DrawASegment();
    Answer(folder / "Saved.bin");
    ASSERT_TRUE(session.Save());
    // File ▸ Save As always asks, proposing the file saved to.
    EXPECT_TRUE(Enabled(kMenuSaveTextureBinAs));
    DrawASegment();
    Answer(folder / "Copy.bin");
    shell.HandleCommand(kMenuSaveTextureBinAs);
    EXPECT_EQ(platform.dialogs.back().request.proposedName, "Saved.bin");
    EXPECT_EQ(host.title, (folder / "Copy.bin").string());
    EXPECT_EQ(SavedPaths(folder / "Copy.bin"), 2);
    EXPECT_EQ(SavedPaths(folder / "Saved.bin"), 1);
    DrawASegment();
    ASSERT_TRUE(session.Save());
    EXPECT_EQ(platform.dialogs.size(), 2u);
    EXPECT_EQ(SavedPaths(folder / "Copy.bin"), 3);
    EXPECT_EQ(SavedPaths(folder / "Saved.bin"), 1);
    EXPECT_EQ(host.title, (folder / "Copy.bin").string());
    // A cancelled Save As changes nothing.
    AnswerCancel();
    EXPECT_FALSE(session.SaveAs());
    EXPECT_EQ(session.savePath(), (folder / "Copy.bin").string());
}

TEST_F(SessionTest, TheFirstSaveProposesTheOpenedFileInItsFolder) {
    OpenWithTile(folder / "Texture.bin");
    AnswerCancel();
    session.Save();
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].request.proposedName, "Texture.bin");
    EXPECT_EQ(platform.dialogs[0].request.startFolder, folder.string() + "/");
    // A database made anew has no file of its own yet.
    session.Replace(TwoSetDatabase());
    EXPECT_TRUE(session.HasUnsavedChanges());
    AnswerCancel();
    session.Save();
    ASSERT_EQ(platform.dialogs.size(), 2u);
    EXPECT_EQ(platform.dialogs[1].request.proposedName, "texture.bin");
}

// Cyrillic and Greek in one name: no Windows code page holds both, so the
// name reaches the files only as wide text.
TEST_F(SessionTest, ADatabaseInAFolderNamedOutsideTheCodePageOpensLoadsAndSaves) {
    const std::string named =
        "\xd0\x9a\xd0\xb0\xd0\xb2\xd0\xba\xd0\xb0\xd0\xb7 "
        "\xce\x98\xce\xad\xce\xb1\xcf\x84\xcf\x81\xce\xbf";
    const std::filesystem::path theater = folder / PathFromUtf8(named);
    std::filesystem::create_directory(theater);
    const std::filesystem::path file = WriteDatabase(theater / "Texture.bin");
    WriteFileBytes(theater / "H001.PCX", WritePcx(MakePatternPicture(16, 16, 7)));
    Answer(file);
    shell.HandleCommand(kMenuOpenTextureBin);
    ASSERT_TRUE(session.loaded());
    EXPECT_EQ(host.title, PathToUtf8(file));
    EXPECT_EQ(shell.Folder("Texture"), PathToUtf8(theater / ""));

    Answer(theater / "H001.PCX");
    panel->HandleCommand(kPanelLoadTile);
    EXPECT_EQ(panel->panel().tileName(), "H001.PCX");
    EXPECT_EQ(panel->panel().tileImagePath(), PathToUtf8(theater / "H001.PCX"));
    EXPECT_TRUE(platform.messages.empty());  // no error
    EXPECT_EQ(platform.notices.size(), 1u);  // the load's report
    DrawASegment();

    // The save proposes the opened file in its own folder; accepted, it
    // holds the segment.
    Answer(file);
    EXPECT_TRUE(session.Save());
    const FileDialogRequest& request = platform.dialogs.back().request;
    EXPECT_EQ(request.proposedName, "Texture.bin");
    EXPECT_EQ(PathToUtf8(request.startFolder), PathToUtf8(theater / ""));
    EXPECT_EQ(SavedPaths(file), 1);
}

TEST_F(SessionTest, ACancelledOrFailedSaveDialogWritesNothing) {
    OpenWithTile(folder / "Texture.bin");
    DrawASegment();
    AnswerCancel();
    EXPECT_FALSE(session.Save());
    EXPECT_TRUE(session.savePath().empty());
    EXPECT_EQ(SavedPaths(folder / "Texture.bin"), 0);
    EXPECT_TRUE(session.HasUnsavedChanges());
    AnswerFailed(3);
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(platform.messages.back(),
              (Message{"Texture.bin file open error# 3", "Error", MessageIcon::Error}));
}

TEST_F(SessionTest, AFailedWriteKeepsTheDatabaseAndTheFile) {
    OpenWithTile(folder / "Texture.bin");
    const auto out = folder / "out";
    std::filesystem::create_directory(out);
    Answer(out / "Kept.bin");
    ASSERT_TRUE(session.Save());
    const auto before = ReadFileBytes(out / "Kept.bin");
    DrawASegment();
    // The folder is moved away: the write fails.
    std::filesystem::rename(out, folder / "moved");
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(platform.messages.back(),
              (Message{"Error writing Texture.bin", "Texture.bin Not Saved", MessageIcon::Error}));
    EXPECT_TRUE(session.loaded());
    EXPECT_TRUE(session.HasUnsavedChanges());
    EXPECT_EQ(ReadFileBytes(folder / "moved" / "Kept.bin"), before);
    // The edits are in the database, and the next Save stores them.
    std::filesystem::rename(folder / "moved", out);
    EXPECT_TRUE(session.Save());
    EXPECT_EQ(SavedPaths(out / "Kept.bin"), 1);
    EXPECT_FALSE(session.HasUnsavedChanges());
}

}  // namespace
}  // namespace lorvane::testing
