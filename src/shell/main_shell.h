#pragma once
// The main window's logic: the state it keeps, the menu and its states, the
// dispatch of every command id, the recent files and theaters, the tile list,
// the progress dialog and the close sequence. The Qt main window draws what
// this holds and passes on what the user does; the editor panel and the
// commands of the other parts of the program use its services.

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/message.h"
#include "base/platform.h"
#include "editor/editor_panel.h"
#include "shell/database_session.h"
#include "shell/menu_model.h"
#include "shell/recent_files.h"
#include "shell/recovery_commands.h"
#include "shell/settings.h"
#include "shell/shell_interfaces.h"
#include "shell/shell_state.h"
#include "shell/theaters.h"
#include "shell/tile_list.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// The program's state, one object per concern, alive as long as the program.
struct AppState {
    ShellState shell;
    DatabaseSession session;  // the open database
    Theaters theaters;
    std::optional<RecentFileList> recentFiles;  // none when it could not be made
    RememberedFolders folders;
    std::filesystem::path startupFolder;  // TileInfo.dat and Quistral.ini live here
    std::string terrainPath;              // the terrain file that command 10221 opens
    std::string title = "Lorvane";
};

// The platform services the shell works with.
struct ShellPlatform {
    MessageSink& messages;
    FileChooser& files;
    SettingsStore& settings;
    SaveQuestion& questions;
    Notices& notices;
};

// What a command needs before the main window carries it out.
enum class CommandNeed { None, Texture, Terrain, TextureAndTerrain };

inline constexpr const char* kNeedTextureAndTerrain =
    "The L2 Terrain matrix (or file) and/or Texture.bin have not been loaded.";
inline constexpr const char* kNeedTerrain = "The L2 Terrain matrix (or file) has not been loaded.";
inline constexpr const char* kNotAvailable = "This command is not available in this version.";
inline constexpr const char* kSaveQuestion = "Save changes to Texture.bin?";
inline constexpr const char* kChangedUnderneath =
    "Texture.bin was changed by another program since it was opened.";
inline constexpr const char* kSaveAnyway = "Save Anyway";
inline constexpr const char* kSaveAs = "Save As\u2026";
inline constexpr const char* kReload = "Reload";
inline constexpr const char* kCancel = "Cancel";

// What a file is opened as, by its extension (OpenExtension, below): one beginning
// with "l2" is a terrain file, "bin" a Texture.bin database, "pcx" a tile
// image, letter case aside.
enum class FileKind { Terrain, Database, TileImage, Other };
FileKind KindOfFile(const std::string& path);

// What a drop of files on the main window opens: the first database and the
// first tile image among them (either may be empty); terrain and other
// files are left.
struct DropPlan {
    std::string database;
    std::string tileImage;
    bool empty() const { return database.empty() && tileImage.empty(); }
};
DropPlan PlanDrop(const std::vector<std::string>& paths);

// The shell is also what the editor panel asks for the recent files, the
// tile list and the remembered folders.
class MainShell : public PanelHost {
  public:
    MainShell(AppState& state, ShellPlatform platform);

    DatabaseSession& session() { return state_.session; }
    void SetHost(ShellHost* host) { host_ = host; }
    void SetProgressView(ProgressView* view);

    // Window initialisation: the theaters from the start-up folder's ini file,
    // 10215 and 10228 enabled, no database loaded.
    void Initialize(const std::filesystem::path& startupFolder);
    // Creates the recent-file list, loads it from the settings and puts it
    // into the "&File" menu. Without a list the menu has no recent files.
    void LoadRecentFileList();

    // Carries out a command id; false when it is none of the main window's.
    bool HandleCommand(int id);
    // Installs the handler of a command that another part of the program
    // carries out (terrain, theater output, sets, export and import, dialogs).
    // The main window tests the command's needs before calling it.
    void RegisterCommand(int id, std::function<void()> handler);
    static CommandNeed NeedOf(int id);

    // The close sequence: asks to save unsaved changes; true when the program
    // may close (the database is then released), false to stay open.
    bool ConfirmClose();
    // Before unsaved changes would be lost (another Texture.bin opened or
    // generated, the program closed): asks Save / Discard / Cancel. True when
    // the work may go on; false (everything as it was) after Cancel or a
    // save that did not happen.
    bool AskToSaveChanges();
    // The Edit menu's Undo and Redo show what the editor would undo and redo.
    void ShowUndoRedo(const std::string& undo, const std::string& redo);
    // The View menu's Show Paths and Show Areas follow the editor's choices.
    void ShowViewChoices(bool paths, bool areas);
    // Ends the program through the close sequence ("&Exit", the panel's cancel).
    void CloseProgram();

    // Save is about to write path. When it is the database's file and
    // another program changed its bytes since it was opened or last saved,
    // asks kChangedUnderneath with Save Anyway, Save As… and Cancel.
    SaveTargetCheck CheckSaveTarget(const std::string& path);
    // Opens the Texture.bin at path in the session.
    void OpenDatabase(const std::string& path) { state_.session.Open(path); }

    // The recovery journal of the open database (may stay unset).
    void SetRecovery(RecoveryCommands* recovery) { recovery_ = recovery; }
    RecoveryCommands* recovery() const { return recovery_; }
    void Beep() {
        if (host_ != nullptr) host_->Beep();
    }
    // A command was just applied to the database: it goes into the journal.
    void RecordChange(const JournalRecord& record);
    // The window came back to the foreground: when another program changed
    // the database's file, and the user was not asked about that change
    // yet, offers to reload it. Unsaved changes are discarded only when the
    // user chooses Reload, and the question says so.
    void CheckDatabaseFile();

    // Opens a file by its kind (KindOfFile), as the command line names it:
    // L2 and L2M terrain files, Texture.bin, PCX tiles. False after the
    // message when the file does not exist or a Texture.bin could not be
    // read; a file of another kind does nothing.
    bool OpenPath(const std::string& path);
    // A recent-file entry: its Texture.bin opened as OpenPath opens it; one
    // that could not be opened leaves the list, the settings and the menu.
    void OpenRecentFile(int id);
    // Files dropped on the main window: the database opened as File ▸ Open
    // opens the file chosen (the question about unsaved changes first, its
    // folder remembered), then the tile image loaded as Load Tile loads the
    // file chosen. Nothing more after a Cancel or a database not opened.
    void OpenDropped(const DropPlan& plan);

    // Services for the editor panel and the other commands.
    MenuBar& menu() { return menu_; }
    AppState& state() { return state_; }
    const TileList& tileList() const { return tileList_; }
    bool tileListOpen() const { return tileListOpen_; }
    ShellProgress* progress() { return progress_ ? &*progress_ : nullptr; }
    ShellPlatform& platform() { return platform_; }

    void SetTitle(const std::string& title);
    void EnableMenuItem(int id, bool enabled);
    void CheckMenuItem(int id, bool checked);
    // A Texture.bin opened or saved: AddRecentFile, BuildRecentFileMenu and
    // SaveRecentFiles, in that order. The list holds databases only: a file
    // of another kind (KindOfFile) is not added.
    void RememberFile(const std::string& path);
    // The remembered folders: read from the settings while empty in memory,
    // stored after a successful choice.
    std::string& Folder(const char* settingName) override;
    void StoreFolder(const char* settingName, const std::string& folder) override;
    SuggestionTypes SuggestionColours() override;
    void StoreSuggestionColours(const SuggestionTypes& types) override;

    // Progress of long operations (progress dialog).
    void OpenProgressDialog(ProgressMode mode);
    void ReportProgress(int sectionsCompleted, int position);
    void CloseProgressDialog();

    // The tile list window.
    void ShowTileList();
    void RefillTileList();
    void UpdateTileListRow(int position) override;
    void ShowTileCounts(int position, int paths, int areas) override;
    void SortTileListAfterAdd();
    void TileListHeaderClicked(int column);
    void TileListRowClicked(int row);
    void TileListKey(bool down);
    // The user selected a row (or none) in the window itself.
    void TileListSelected(std::optional<int> row);
    void TileListClosed();
    // Up or Down at the main window (also what the editor panel and its Tile
    // Select spin buttons forward): the next or previous row of the tile
    // list, or without the list the next or previous tile of the database
    // from the one on screen.
    void HandleArrowKey(bool down);
    void StepTileList(TileStep step) override { HandleArrowKey(step == TileStep::Down); }
    void FocusTileList() override;
    // The tile on screen in the editor (its id; nullopt for none): the tile
    // list marks its row.
    void ShowTileOnScreen(std::optional<int> id);
    // Hands the tile at an index position to the editor panel.
    void LoadTileFromList(int position);
    // Where the tile images of the database are looked for.
    std::string TileImageFolder();

  private:
    // A command of the editor panel (undo, redo, new path ...), and the
    // windows show what it did.
    void Forward(int panelCommand);
    // Work for the editor after the current event.
    void PostToEditor(std::function<void(EditorPanel&)> work);
    bool NeedsMet(CommandNeed need);
    void RunOperation(int id);
    void RebuildRecentMenu();
    size_t AskAboutChange(const std::string& text, const std::vector<std::string>& buttons);
    void StepTileOnScreen(bool down);

    AppState& state_;
    ShellPlatform platform_;
    MenuBar menu_;
    TileList tileList_;
    bool tileListOpen_ = false;
    // The counts of the tile on screen as drawn: index position (−1: no
    // tile), paths, areas.
    std::array<int, 3> liveCounts_{-1, 0, 0};
    void FillTileList();
    ShellHost* host_ = nullptr;
    ProgressView* progressView_ = nullptr;
    std::optional<ShellProgress> progress_;
    std::map<int, std::function<void()>> operations_;
    bool askingAboutChange_ = false;  // a question about the file is open
    RecoveryCommands* recovery_ = nullptr;
};

// The extension by which a file is opened: the text after the first '.' of
// its file name (folders are not looked at); empty when there is none.
std::string OpenExtension(const std::string& path);
// The file name of a path: the text after its last separator.
std::string FileNameOf(const std::string& path);

}  // namespace lorvane
