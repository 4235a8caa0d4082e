#include "shell/database_commands.h"

#include "base/command_ids.h"
#include "base/file_io.h"
#include "shell/main_shell.h"
#include "tiledb/tile_exchange.h"
#include "tiledb/tiles_txt.h"

namespace lorvane {

DatabaseSession& DatabaseCommands::Session() { return shell_.session(); }

TileDatabase& DatabaseCommands::Database() { return shell_.session().database(); }

void DatabaseCommands::Register() {
    shell_.RegisterCommand(kMenuGenerateTextureBin, [this] { NewDatabase(); });
    shell_.RegisterCommand(kMenuAddSet, [this] { AddSet(); });
    shell_.RegisterCommand(kMenuAddTilesToSet, [this] { AddTilesToExistingSet(); });
    shell_.RegisterCommand(kMenuChangeSetType, [this] { ChangeSetType(); });
    shell_.RegisterCommand(kMenuExportTiles, [this] { ExportTiles(); });
    shell_.RegisterCommand(kMenuImportTiles, [this] { ImportTiles(); });
}

void DatabaseCommands::NewDatabase() {
    AppState& state = shell_.state();
    ShellPlatform& platform = shell_.platform();
    // The dialog starts in the remembered Texture.bin folder or, while none
    // is known, in the remembered tiles folder.
    std::string startFolder = state.folders.textureFolder;
    if (startFolder.empty()) startFolder = shell_.Folder(kTileFolderSetting);

    FileDialogRequest request;
    request.title = kNewTilesFolderTitle;
    request.filter = kTileImageFilter;
    request.proposedName = "*.pcx";
    request.startFolder = PathFromUtf8(startFolder);
    const FileChoice choice = platform.files.OpenFile(request);
    // A cancelled or failed folder dialog ends the command silently.
    if (!choice.chosen()) return;
    const std::string folder = choice.folderPart();

    std::optional<TileDatabase> built =
        BuildTextureBinFromFolder(PathFromUtf8(folder), platform.messages);
    // The tiles folder is remembered once it held a Tiles.txt: the tile
    // dialogs and the tile list then find the new tiles there.
    if (!built) return;
    shell_.StoreFolder(kTileFolderSetting, folder);

    Session().Replace(std::move(*built));
    // The editor's Save asks for the file the new database goes to.
    shell_.HandleCommand(kMenuSaveTextureBin);
}

void DatabaseCommands::ChangeSetType() {
    TileDatabase& database = Database();
    MessageSink& messages = shell_.platform().messages;
    const int currentSet = Session().CurrentSet();
    SetDialogOutcome outcome;
    const SetDialogView view = StartSetDialog(database, SetDialogMode::ChangeType, currentSet);
    const bool applied = dialogs_.RunSetDialog(view, [&](std::string_view number, int position) {
        outcome = ApplySetDialog(database, SetDialogMode::ChangeType, currentSet, number, position,
                                 messages);
        return outcome.end == SetDialogEnd::Applied;
    });
    if (!applied) return;
    shell_.RecordChange(SetTypeRecord{outcome.currentSet, outcome.chosenType});
    Session().ShowTerrainType(outcome.terrainLabel);
    for (int position : outcome.changedRows) shell_.UpdateTileListRow(position);
    Session().Changed();
}

void DatabaseCommands::AddTiles(SetDialogMode mode) {
    TileDatabase& database = Database();
    MessageSink& messages = shell_.platform().messages;
    const int currentSet = Session().CurrentSet();
    SetDialogOutcome outcome;
    const SetDialogView view = StartSetDialog(database, mode, currentSet);
    const bool applied = dialogs_.RunSetDialog(view, [&](std::string_view number, int position) {
        outcome = ApplySetDialog(database, mode, currentSet, number, position, messages);
        return outcome.end == SetDialogEnd::Applied;
    });
    if (!applied) return;

    const FileDialogRequest request =
        PickTilesRequest(mode, PathFromUtf8(shell_.Folder(kTileFolderSetting)));
    const FileChoice choice = shell_.platform().files.OpenFiles(request);
    if (!choice.chosen()) return;
    const std::vector<std::string> names = PickedFileNames(choice);
    const std::optional<AddedTiles> added =
        AddTilesToSet(database, outcome.currentSet, outcome.chosenType, names, messages);
    if (!added) return;
    shell_.RecordChange(AddTilesRecord{mode == SetDialogMode::AddSet, outcome.currentSet,
                                       outcome.chosenType, names});

    Session().TilesAdded(added->set);
    Session().ShowTerrainType(outcome.terrainLabel);
    shell_.RefillTileList();
    shell_.SortTileListAfterAdd();
}

void DatabaseCommands::ExportTiles() {
    ShellPlatform& platform = shell_.platform();
    // The tiles folder as it is held now; it is not read from the settings.
    const FileChoice choice =
        platform.files.SaveFile(ExportFileRequest(PathFromUtf8(shell_.state().folders.tileFolder)));
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        ReportExportDialogError(choice.errorCode, platform.messages);
        return;
    }
    // The edits of the tile on screen are part of what is exported.
    Session().WriteBackTileOnScreen();
    ExportModifiedTiles(choice.path, Database(), platform.messages);
}

void DatabaseCommands::ImportTiles() {
    ShellPlatform& platform = shell_.platform();
    const FileChoice choice =
        platform.files.OpenFile(ImportFileRequest(PathFromUtf8(shell_.state().folders.tileFolder)));
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        ReportImportDialogError(choice.errorCode, platform.messages);
        return;
    }
    TileDatabase& database = Database();
    // The edits of the tile on screen go into its record before an import
    // may replace them.
    Session().WriteBackTileOnScreen();
    // Read once: the journal keeps the very bytes that were imported.
    const std::optional<FileBytes> file = FileBytes::Open(choice.path);
    if (!file) {
        lorvane::ImportTiles(choice.path, database, platform.messages);  // its open error
        return;
    }
    if (!ImportTileBytes(file->Bytes(), database, platform.messages)) return;
    const std::span<const std::byte> bytes = file->Bytes();
    shell_.RecordChange(ImportRecord{{bytes.begin(), bytes.end()}});
    // The rows show the new path and area counts.
    for (int position = 0; position < database.tileCount(); ++position)
        shell_.UpdateTileListRow(position);
    Session().Changed();
}

}  // namespace lorvane
