#pragma once
// The main window's commands that build and change the tile database: a new
// Texture.bin from a tiles folder (10252), a new set (10253), tiles for a set
// (10244), a set's terrain type (10242), and the export (10205) and import
// (10249) of changed tiles. Each shows its file dialogs and messages through
// the shell's platform and leaves the menu, the tile list and the editor
// panel as the change requires, through the session.

#include <functional>

#include "shell/command_dialogs.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

class DatabaseSession;
class MainShell;

inline constexpr const char* kNewTilesFolderTitle = "Select New Tiles Folder (Directory)";
inline constexpr const char* kTileImageFilter = "Tile image file|*.pcx||";

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
    DatabaseSession& Session();
    TileDatabase& Database();

    MainShell& shell_;
    CommandDialogs& dialogs_;
};

}  // namespace lorvane
