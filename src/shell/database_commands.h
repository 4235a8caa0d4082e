#pragma once
// The main window's commands that build and change the tile database: a new
// Texture.bin from a tiles folder (10252), a new set (10253), tiles for a set
// (10244), a set's terrain type (10242), and the export (10205) and import
// (10249) of changed tiles. Each shows its file dialogs and messages through
// the shell's platform and leaves the menu, the tile list and the editor
// panel as the change requires, through the session.

#include <functional>
#include <optional>

#include "shell/command_dialogs.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

class DatabaseSession;
class MainShell;

inline constexpr const char* kExportSinceQuestion =
    "Export the tiles changed since the file as it was opened, or since another database?";
inline constexpr const char* kSinceOpened = "Since &Opened";
inline constexpr const char* kSinceDatabase = "Since a &Database\u2026";
inline constexpr const char* kCancelExport = "Cancel";
inline constexpr const char* kImport = "Import";
inline constexpr const char* kCancelImport = "Cancel";
inline constexpr const char* kImportChangesNothing =
    "The import file holds nothing that differs from the tiles here. Nothing was changed.";
inline constexpr const char* kOpenedAsNotKept =
    "There was not memory enough to keep the database as it was opened. Choose a database to "
    "export the changes since.";
inline constexpr const char* kNothingToExport =
    "No tile has changed since then. Nothing was exported.";

class DatabaseCommands {
  public:
    DatabaseCommands(MainShell& shell, CommandDialogs& dialogs)
        : shell_(shell), dialogs_(dialogs) {}

    // Installs the six commands in the shell's dispatch.
    void Register();

    void NewDatabase();
    void AddSet() { AddTiles(SetDialogMode::AddSet); }
    void AddTilesToExistingSet() { AddTiles(SetDialogMode::AddTiles); }
    void ChangeSetType();
    void ExportTiles();
    void ImportTiles();

  private:
    void AddTiles(SetDialogMode mode);
    // The database an export is since: the file as opened, or one chosen
    // (read into chosen); null when cancelled or unreadable.
    const TileDatabase* ChooseExportBase(std::optional<TileDatabase>& chosen);
    DatabaseSession& Session();
    TileDatabase& Database();

    MainShell& shell_;
    CommandDialogs& dialogs_;
};

}  // namespace lorvane
