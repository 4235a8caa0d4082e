#include "shell/database_commands.h"

#include "base/command_ids.h"
#include "base/file_io.h"
#include "base/format.h"
#include "editor/edit_command.h"
#include "shell/main_shell.h"
#include "shell/team_commands.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_diff.h"
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

    const FileChoice choice =
        platform.files.OpenFile(TilesFolderRequest(PathFromUtf8(startFolder)));
    // A cancelled or failed folder dialog ends the command silently.
    if (!choice.chosen()) return;
    const std::string folder = choice.folderPart();

    std::optional<TileDatabase> built =
        BuildTextureBinFromFolder(PathFromUtf8(folder), platform.messages);
    // The tiles folder is remembered once it held a Tiles.txt: the tile
    // dialogs and the tile list then find the new tiles there.
    if (!built) return;
    shell_.StoreFolder(kTileFolderSetting, folder);
    WarnImagesInOtherSets(ImagesInSeveralSets(*built), platform.messages);

    platform.notices.Notice({"Texture.bin generated: " + DatabaseCounts(*built),
                             "Texture.bin Generated", MessageIcon::Information, folder});
    // The database open before stays until the new one is in its file.
    Session().SaveBuilt(std::move(*built), folder);
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
    WarnImagesInOtherSets(ImagesInOtherSets(database, outcome.currentSet, names), messages);
    const std::optional<AddedTiles> added =
        AddTilesToSet(database, outcome.currentSet, outcome.chosenType, names, messages);
    if (!added) return;
    shell_.RecordChange(AddTilesRecord{mode == SetDialogMode::AddSet, outcome.currentSet,
                                       outcome.chosenType, names});

    // The header shows the added set only while no tile is on screen.
    const bool tileOnScreen = Session().editor() != nullptr && Session().editor()->tileOnScreen();
    Session().TilesAdded(added->set);
    if (!tileOnScreen) Session().ShowTerrainType(outcome.terrainLabel);
    shell_.RefillTileList();
    shell_.SortTileListAfterAdd();
    const std::string tiles = Counted(added->count, "tile", "tiles");
    if (mode == SetDialogMode::AddSet)
        shell_.platform().notices.Notice(
            {FormatText("Set %d added with %s.", added->set, tiles.c_str()), "Set Added",
             MessageIcon::Information, shell_.Folder(kTileFolderSetting)});
    else
        shell_.platform().notices.Notice(
            {FormatText("%s added to Set %d.", tiles.c_str(), added->set), "Tiles Added",
             MessageIcon::Information, shell_.Folder(kTileFolderSetting)});
}

const TileDatabase* DatabaseCommands::ChooseExportBase(std::optional<TileDatabase>& chosen) {
    ShellPlatform& platform = shell_.platform();
    const size_t since = platform.questions.AskChoice(
        {kExportSinceQuestion, "Export Tiles", MessageIcon::Information},
        {kSinceOpened, kSinceDatabase, kCancelExport}, 0);
    if (since == 0) {
        const TileDatabase* opened = Session().openedAs();
        if (opened == nullptr) platform.messages.Exclamation(kOpenedAsNotKept, "Export Tiles");
        return opened;
    }
    if (since != 1) return nullptr;
    chosen = ChooseDatabase(shell_, "Choose the Database to Export Changes Since");
    return chosen ? &*chosen : nullptr;
}

void DatabaseCommands::ExportTiles() {
    ShellPlatform& platform = shell_.platform();
    std::optional<TileDatabase> chosen;
    const TileDatabase* base = ChooseExportBase(chosen);
    if (base == nullptr) return;
    // The edits of the tile on screen are part of what is exported.
    Session().WriteBackTileOnScreen();
    // Nothing to send: said before any file is asked for.
    if (TilesChangedSince(*base, Database()).empty()) {
        platform.notices.Notice({kNothingToExport, "Export Tiles", MessageIcon::Information});
        return;
    }
    // The tiles folder as it is held now; it is not read from the settings.
    const FileChoice choice =
        platform.files.SaveFile(ExportFileRequest(PathFromUtf8(shell_.state().folders.tileFolder)));
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        ReportExportDialogError(choice.errorCode, platform.messages);
        return;
    }
    // The count exported is a notice; a failure still stops the user.
    NoticeRouter outcome(platform.messages, platform.notices, PathToUtf8(choice.path));
    ExportTilesChangedSince(choice.path, Database(), *base, outcome);
}

namespace {

// The commands that turn the lists of one tile into those of the same tile
// in preview: every old entry of a list that changes taken out (from the
// last), then every new one put in.
std::unique_ptr<EditCommand> ReplaceListsCommand(TileDatabase& database, TileDatabase& preview,
                                                 const TileDiff& diff) {
    EditorChoices choices;
    EditorWorkingSet before;
    EditorWorkingSet after;
    TakeInPaths(before, choices, database, diff.set, diff.position);
    TakeInAreas(before, choices, database, diff.set, diff.position);
    TakeInPaths(after, choices, preview, diff.set, diff.position);
    TakeInAreas(after, choices, preview, diff.set, diff.position);
    std::vector<std::unique_ptr<EditCommand>> commands;
    if (!diff.paths.empty()) {
        for (int32_t n = before.pathCount(); n >= 1; --n)
            commands.push_back(MakeRemoveEntry(before, diff.id, EntryKind::Path, n));
        for (int32_t n = 1; n <= after.pathCount(); ++n)
            commands.push_back(std::make_unique<AddSegmentCommand>(diff.id, n, after.Path(n)));
    }
    if (!diff.areas.empty()) {
        for (int32_t n = before.areaCount(); n >= 1; --n)
            commands.push_back(MakeRemoveEntry(before, diff.id, EntryKind::Area, n));
        for (int32_t n = 1; n <= after.areaCount(); ++n)
            commands.push_back(std::make_unique<AddAreaCommand>(diff.id, n, after.Area(n)));
    }
    return std::make_unique<CommandGroup>(diff.id, std::move(commands));
}

// The question before an import: each tile it replaces, with its counts
// before and after.
std::string ImportQuestion(const TileDatabase& database, const TileDatabase& preview,
                           const DatabaseDiff& diff) {
    constexpr size_t kListed = 20;
    std::string text =
        FormatText(diff.tiles.size() == 1 ? "The import replaces the paths and areas of %d tile:"
                                          : "The import replaces the paths and areas of %d tiles:",
                   static_cast<int>(diff.tiles.size()));
    for (size_t i = 0; i < diff.tiles.size() && i < kListed; ++i) {
        const TileDiff& tile = diff.tiles[i];
        const TileRecord* was = database.RecordAt(tile.set, tile.position);
        const TileRecord* will = preview.RecordAt(tile.set, tile.position);
        if (was == nullptr || will == nullptr) continue;
        text += FormatText("\n%s (%d): paths %d \u2192 %d, areas %d \u2192 %d",
                           std::string(NameText(tile.name)).c_str(), tile.id, was->pathCount(),
                           will->pathCount(), was->areaCount(), will->areaCount());
    }
    if (diff.tiles.size() > kListed)
        text += FormatText("\n\u2026 and %d more", static_cast<int>(diff.tiles.size() - kListed));
    return text + "\n\nImport it? Undo takes the whole import back.";
}

}  // namespace

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
    const std::optional<FileBytes> file = FileBytes::Open(choice.path);
    if (!file) {
        lorvane::ImportTiles(choice.path, database, platform.messages);  // its open error
        return;
    }
    // What the import makes, worked out on a copy: nothing changes before
    // the user has seen it and agreed.
    const std::optional<int> records = CheckTileImport(file->Bytes(), database, platform.messages);
    if (!records) return;
    TileDatabase preview = database;
    NullMessages quiet;
    if (!ImportTileBytes(file->Bytes(), preview, quiet)) return;
    const DatabaseDiff diff = DiffDatabases(database, preview);
    if (diff.tiles.empty()) {
        platform.notices.Notice({kImportChangesNothing, "Import Completed",
                                 MessageIcon::Information, PathToUtf8(choice.path)});
        return;
    }
    if (platform.questions.AskChoice(
            {ImportQuestion(database, preview, diff), "Import Tiles", MessageIcon::Information},
            {kImport, kCancelImport}, 0) != 0)
        return;
    // One command per tile, each in that tile's history (which it keeps);
    // together one step for Undo, and each journaled.
    std::vector<std::unique_ptr<EditCommand>> commands;
    for (const TileDiff& tile : diff.tiles)
        commands.push_back(ReplaceListsCommand(database, preview, tile));
    if (!Session().ApplyToTiles(std::move(commands), "Import Tiles")) return;
    platform.notices.Notice({Counted(*records, "tile", "tiles") + " imported.", "Import Completed",
                             MessageIcon::Information, PathToUtf8(choice.path)});
}

}  // namespace lorvane
