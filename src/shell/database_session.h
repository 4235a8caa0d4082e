#pragma once
// The open database and all that belongs to it: the database in memory, the
// file it is of and where Save writes, the guard against saving over a file
// another program changed, the edits (their histories) and, through the
// shell, the recovery journal. Every operation on the database as a whole
// goes through here by name, with its arguments: open, save, save as,
// reload, replace (a new or recovered database), the changes made outside
// the editor (sets, types, imports). The editor panel draws on the
// session's document; the session tells it when the database under it
// changes, and tells the window once per change (title, menus, read-outs).

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "editor/edit_command.h"
#include "editor/edit_document.h"
#include "shell/file_guard.h"
#include "shell/settings.h"
#include "tiledb/tile_database.h"

namespace lorvane {

class EditorPanel;
class MainShell;
class RecoveryCommands;

// What Save does with the file it is about to write: write it, ask the save
// dialog for another name, or write nothing.
enum class SaveTargetCheck { Write, ChooseAnother, Cancel };

class DatabaseSession {
  public:
    DatabaseSession() : document_(database_) {}
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;

    // The shell whose services (dialogs, questions, menus, recent files,
    // the tile list, the journal) the operations use; set once by it.
    void Bind(MainShell& shell) { shell_ = &shell; }
    // The editor that draws on the document (may stay unset), and what
    // shows a change in the windows (once per change).
    void SetEditor(EditorPanel* editor, std::function<void()> changed = {});
    EditorPanel* editor() const { return editor_; }

    // A database is in memory (loaded, built or recovered).
    bool loaded() const { return document_.hasDatabase(); }
    TileDatabase& database() { return database_; }
    const TileDatabase& database() const { return database_; }
    EditDocument& document() { return document_; }
    const EditDocument& document() const { return document_; }
    FileGuard& guard() { return guard_; }
    // The database as it was read from its file (empty for one built or
    // recovered without a file): what the changes since opening are found
    // against. Saving does not change it. Null when there was not memory
    // enough to keep that copy (the database itself is still open).
    const TileDatabase* openedAs() const { return openedAsKept_ ? &openedAs_ : nullptr; }
    const FileGuard& guard() const { return guard_; }

    // File ▸ Open: the open dialog, then Open. The caller asked about
    // unsaved changes first.
    void ChooseAndOpen();
    // The rest of File ▸ Open for a file chosen (in the dialog, or dropped
    // on the window): its folder is where the open dialog starts next, then
    // Open. True when it opened.
    bool OpenChosen(const FileChoice& choice);
    // Reads the Texture.bin at path in place of the database in memory;
    // false after its message when it cannot be read (no database is then
    // in memory).
    bool Open(const std::string& path);
    // Reads the database's own file again (its unsaved changes go).
    bool Reload();
    // Writes the database to its file; the first time (and for a database
    // without a file) the save dialog asks where. True when written.
    bool Save();
    // The save dialog always asks; Save writes there from then on.
    bool SaveAs();
    // A database without a file (built from a tiles folder, recovered from a
    // copy) takes the place of the one in memory; it counts as unsaved.
    void Replace(TileDatabase database);
    // A database built from a tiles folder: the save dialog proposes
    // Texture.bin in folder, and once written there it takes the place of
    // the one in memory. False (the one in memory stays) on a cancel or a
    // failure.
    bool SaveBuilt(TileDatabase built, const std::string& folder);
    // The result of a merge takes the place of the database in memory; it
    // stays the database of its file, unsaved.
    void TakeMerged(TileDatabase merged);
    // The program ends (after the close question): the database is released.
    void Close();

    // The database changed outside the editor (sets, types, imports, a
    // recovery) and is not saved yet.
    void Changed();
    // Tiles were added to a set: the tile on screen keeps its edits and stays
    // the one drawn on, and the header and the set dialogs stay with its
    // set; without a tile on screen they go on from the added set.
    void TilesAdded(int set);
    // Shows a terrain type name in the editor's "Terrain Type" read-out.
    void ShowTerrainType(const std::string& name);
    // The edits of the tile on screen go into its record (before an export,
    // an import, a copy of the database).
    void WriteBackTileOnScreen();
    // The set of the tile shown last: where the set dialogs start.
    int CurrentSet() const;

    // Runs commands on tiles that need not be on screen, each in its own
    // tile's history (so every tile keeps its history, and the journal
    // records each); together they are one step for Undo and Redo (text:
    // what the Edit menu says) while nothing else is done after them. False
    // when a command does not fit its tile (those before it are undone).
    bool ApplyToTiles(std::vector<std::unique_ptr<EditCommand>> commands, std::string text);
    // The step is what Undo (Redo) would do next.
    bool StepIsNextUndo() const;
    bool StepIsNextRedo() const;
    bool UndoStep();
    bool RedoStep();
    // The Edit menu's texts: the step's, or the editor's.
    std::string UndoText() const;
    std::string RedoText() const;

    // Changes to the database that no save has stored yet.
    bool HasUnsavedChanges() const { return loaded() && document_.HasUnsavedChanges(); }
    // The file the database in memory is of: where Save writes, or the file
    // it was read from; empty for a database not in a file yet.
    std::string File() const;
    // Where Save writes without asking; empty until a save dialog named it.
    const std::string& savePath() const { return savePath_; }
    // The main window's title: the file ("Untitled" without one), after a
    // "*" while there are changes no save has stored; "Lorvane" without a
    // database.
    std::string Title() const;
    // Save has something to do: changes no save has stored, or a database
    // not in a file yet.
    bool SaveEnabled() const { return loaded() && (HasUnsavedChanges() || File().empty()); }

    // The title and the Save menu show the session as it is now.
    void ShowState();
    // And the editor's window too.
    void ShowChanges();

  private:
    // A step of commands on several tiles.
    struct TileStep {
        std::vector<const EditCommand*> commands;  // in the tiles' histories
        std::string text;
        bool undone = false;
        uint64_t at = 0;  // the document's change count right after it
    };
    // Runs work with the tile of each id open in turn, then opens the tile
    // that was open before again; false as soon as work fails.
    bool OnTiles(const std::vector<int32_t>& ids, const std::function<bool(int32_t)>& work);
    bool ChooseSavePath();
    bool WriteTo(const std::string& path);
    bool WriteFile(const std::string& path, const TileDatabase& database);
    void Written(const std::string& path);  // the session is of that file now
    bool SaveTo(bool ask);
    void DropEditorTile();
    void KeepOpenedAs();

    TileDatabase database_;
    TileDatabase openedAs_;
    bool openedAsKept_ = true;
    EditDocument document_;
    FileGuard guard_;
    MainShell* shell_ = nullptr;
    EditorPanel* editor_ = nullptr;
    std::function<void()> changed_;
    std::string openedFrom_;  // the file last read; the first save proposes it
    std::string savePath_;    // where Save writes without asking
    bool hasFile_ = false;    // read from a file or saved to one
    std::optional<TileStep> step_;
};

// The counts the notices about a whole database give: "2 Sets  1 Tile".
std::string DatabaseCounts(const TileDatabase& database);

}  // namespace lorvane
