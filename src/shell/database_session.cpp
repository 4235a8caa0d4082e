#include "shell/database_session.h"

#include <new>

#include "base/command_ids.h"
#include "base/format.h"
#include "base/path_text.h"
#include "editor/editor_panel.h"
#include "shell/main_shell.h"
#include "shell/recovery_commands.h"
#include "tiledb/texture_bin.h"

namespace lorvane {

namespace {

constexpr const char* kTextureFilter = "Texture.bin file|*.bin||";
constexpr const char* kTextureProposal = "texture.bin";

}  // namespace

std::string DatabaseCounts(const TileDatabase& database) {
    return Counted(database.setCount(), "Set", "Sets") + "  " +
           Counted(database.tileCount(), "Tile", "Tiles");
}

void DatabaseSession::SetEditor(EditorPanel* editor, std::function<void()> changed) {
    editor_ = editor;
    changed_ = std::move(changed);
}

void DatabaseSession::ChooseAndOpen() {
    FileDialogRequest request;
    request.title = "Open Texture.bin File";
    request.filter = kTextureFilter;
    request.proposedName = kTextureProposal;
    request.startFolder = PathFromUtf8(shell_->Folder(kTextureFolderSetting));
    request.fileMustExist = true;
    const FileChoice choice = shell_->platform().files.OpenFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        shell_->platform().messages.Error(
            FormatText("Texture.bin file open error# %d", choice.errorCode), "Error");
        return;
    }
    OpenChosen(choice);
}

bool DatabaseSession::OpenChosen(const FileChoice& choice) {
    shell_->StoreFolder(kTextureFolderSetting, choice.folderPart());
    return Open(PathToUtf8(choice.path));
}

void DatabaseSession::DropEditorTile() {
    step_.reset();
    // The tile on screen is not part of the database that comes: until a
    // tile of it is loaded, nothing is shown or drawn.
    document_.Reset(false, false);
    if (editor_ != nullptr) editor_->DatabaseReset();
}

void DatabaseSession::KeepOpenedAs() {
    try {
        openedAs_ = database_;
        openedAsKept_ = true;
    } catch (const std::bad_alloc&) {
        // A database too large to hold twice stays open without it.
        FreeTileDatabase(openedAs_);
        openedAsKept_ = false;
    }
}

bool DatabaseSession::Open(const std::string& path) {
    MessageSink& messages = shell_->platform().messages;
    DropEditorTile();
    FreeTileDatabase(database_);
    std::optional<TileDatabase> read = LoadTextureBin(PathFromUtf8(path), messages);
    if (read) {
        database_ = std::move(*read);
        KeepOpenedAs();
        document_.Reset(true, false);
    }
    // The session is what it now is before anything is said: the windows
    // drawn while a message shows already name the file.
    hasFile_ = loaded();
    savePath_.clear();
    openedFrom_ = path;
    if (loaded()) {
        shell_->EnableMenuItem(kMenuAddSet, true);
        guard_.Remember(PathFromUtf8(path));
    } else {
        guard_.Forget();
    }
    shell_->RefillTileList();
    ShowChanges();
    if (loaded())
        shell_->platform().notices.Notice({"Texture.bin loaded: " + DatabaseCounts(database_),
                                           "Texture.bin Successfully Loaded",
                                           MessageIcon::Information, path});
    else
        messages.Error("Error reading Texture.bin", "Texture.bin Not Loaded");
    if (loaded()) {
        // The most recent database comes first in the recent files; one
        // that could not be read is not added.
        shell_->RememberFile(path);
        if (RecoveryCommands* recovery = shell_->recovery()) recovery->Opened(path);
    }
    return loaded();
}

bool DatabaseSession::Reload() {
    if (!guard_.Guarding()) return false;
    return Open(PathToUtf8(guard_.path()));
}

bool DatabaseSession::ChooseSavePath() {
    FileDialogRequest request;
    request.title = "Save Texture.bin File";
    request.filter = kTextureFilter;
    // The opened file's own name in its own folder: on a case-sensitive file
    // system another spelling would be another file.
    const std::string proposal = !savePath_.empty() ? savePath_ : openedFrom_;
    if (proposal.empty()) {
        request.proposedName = kTextureProposal;
        request.startFolder = PathFromUtf8(shell_->Folder(kTextureFolderSetting));
    } else {
        const FileChoice opened = FileChoice::Chosen(PathFromUtf8(proposal));
        request.proposedName = opened.fileTitle();
        request.startFolder = PathFromUtf8(opened.folderPart());
    }
    const FileChoice choice = shell_->platform().files.SaveFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return false;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        shell_->platform().messages.Error(
            FormatText("Texture.bin file open error# %d", choice.errorCode), "Error");
        return false;
    }
    savePath_ = PathToUtf8(choice.path);
    // The folder of the last open dialog is stored, not the one saved into.
    shell_->StoreFolder(kTextureFolderSetting, shell_->Folder(kTextureFolderSetting));
    return true;
}

bool DatabaseSession::WriteFile(const std::string& path, const TileDatabase& database) {
    if (SaveTextureBin(PathFromUtf8(path), database, shell_->state().startupFolder,
                       shell_->platform().messages))
        return true;
    shell_->platform().messages.Error("Error writing Texture.bin", "Texture.bin Not Saved");
    return false;
}

void DatabaseSession::Written(const std::string& path) {
    document_.MarkSaved();
    hasFile_ = true;
    guard_.Remember(PathFromUtf8(path));
    shell_->RememberFile(path);
    if (RecoveryCommands* recovery = shell_->recovery()) recovery->Saved(path);
    shell_->platform().notices.Notice({"Texture.bin saved: " + DatabaseCounts(database_),
                                       "Texture.bin Saved", MessageIcon::Information, path});
}

bool DatabaseSession::WriteTo(const std::string& path) {
    // On a failure the database stays in memory; the file on disk is as it
    // was, and the next Save tries again.
    if (!WriteFile(path, database_)) return false;
    Written(path);
    return true;
}

bool DatabaseSession::SaveBuilt(TileDatabase built, const std::string& folder) {
    FileDialogRequest request;
    request.title = "Save Texture.bin File";
    request.filter = kTextureFilter;
    request.proposedName = "Texture.bin";
    request.startFolder = PathFromUtf8(folder);
    const FileChoice choice = shell_->platform().files.SaveFile(request);
    if (choice.outcome == FileChoice::Outcome::Failed)
        shell_->platform().messages.Error(
            FormatText("Texture.bin file open error# %d", choice.errorCode), "Error");
    if (!choice.chosen()) return false;
    // Written before it takes the place of the database in memory, which a
    // cancel or a failure leaves open as it was.
    const std::string path = PathToUtf8(choice.path);
    if (!WriteFile(path, built)) return false;
    Replace(std::move(built));
    savePath_ = path;
    Written(path);
    ShowChanges();
    return true;
}

bool DatabaseSession::SaveTo(bool ask) {
    if (!loaded()) return false;
    bool named = !ask && !savePath_.empty();
    if (!named && !ChooseSavePath()) return false;
    // The file about to be written may have been changed by another program.
    for (;;) {
        const SaveTargetCheck check = shell_->CheckSaveTarget(savePath_);
        if (check == SaveTargetCheck::Write) break;
        if (check == SaveTargetCheck::Cancel || !ChooseSavePath()) return false;
        named = false;
    }
    // The edits of the tile on screen go into its record first.
    WriteBackTileOnScreen();
    const bool written = WriteTo(savePath_);
    if (named) shell_->Beep();
    ShowChanges();
    return written;
}

bool DatabaseSession::Save() { return SaveTo(false); }

bool DatabaseSession::SaveAs() { return SaveTo(true); }

void DatabaseSession::Replace(TileDatabase database) {
    DropEditorTile();
    FreeTileDatabase(database_);
    database_ = std::move(database);
    FreeTileDatabase(openedAs_);
    openedAsKept_ = true;  // nothing was opened: every tile is new since
    document_.Reset(true, true);
    savePath_.clear();
    openedFrom_.clear();  // a new file: nothing opened to propose
    hasFile_ = false;
    guard_.Forget();
    if (shell_ != nullptr) {
        if (RecoveryCommands* recovery = shell_->recovery()) recovery->Closed();
        shell_->EnableMenuItem(kMenuAddSet, true);
        shell_->RefillTileList();
    }
    ShowChanges();
}

void DatabaseSession::TakeMerged(TileDatabase merged) {
    WriteBackTileOnScreen();
    database_ = std::move(merged);
    if (RecoveryCommands* recovery = shell_->recovery()) recovery->Rebased();
    shell_->RefillTileList();
    Changed();
}

void DatabaseSession::Close() {
    DropEditorTile();
    FreeTileDatabase(database_);
    FreeTileDatabase(openedAs_);
    guard_.Forget();
}

void DatabaseSession::Changed() {
    if (editor_ != nullptr) {
        editor_->DatabaseChanged();
    } else {
        EditorChoices choices;  // no tile is open without an editor
        document_.DatabaseChanged(choices);
    }
    ShowChanges();
}

void DatabaseSession::TilesAdded(int set) {
    if (editor_ == nullptr) {
        Changed();
        return;
    }
    editor_->TilesAdded(set);
    ShowChanges();
}

void DatabaseSession::ShowTerrainType(const std::string& name) {
    if (editor_ == nullptr) return;
    editor_->ShowTerrainType(name);
    ShowChanges();
}

void DatabaseSession::WriteBackTileOnScreen() {
    if (editor_ != nullptr)
        editor_->WriteBackTileOnScreen();
    else
        document_.WriteBack();
}

int DatabaseSession::CurrentSet() const { return editor_ != nullptr ? editor_->currentSet() : 0; }

bool DatabaseSession::OnTiles(const std::vector<int32_t>& ids,
                              const std::function<bool(int32_t)>& work) {
    if (editor_ != nullptr) editor_->EndStroke();
    const bool wasOpen = document_.HasTile();
    const int32_t set = document_.tileSet();
    const int32_t position = document_.tilePosition();
    EditorChoices choices;  // the editor's own choices stay as they are
    bool done = true;
    for (const int32_t id : ids) {
        const std::optional<int> at = database_.PositionOfId(id);
        if (!at) return false;
        const TileIndexEntry& entry = database_.index[static_cast<size_t>(*at)];
        if (!document_.OpenTile(entry.setIndex, entry.tileIndex, choices) || !work(id)) {
            done = false;
            break;
        }
    }
    if (wasOpen)
        document_.OpenTile(set, position, choices);
    else
        document_.CloseTile();
    for (const int32_t id : ids)
        if (const std::optional<int> at = database_.PositionOfId(id))
            shell_->UpdateTileListRow(*at);
    return done;
}

bool DatabaseSession::ApplyToTiles(std::vector<std::unique_ptr<EditCommand>> commands,
                                   std::string text) {
    std::vector<int32_t> ids;
    std::vector<const EditCommand*> run;
    for (const auto& command : commands) ids.push_back(command->tileId());
    size_t next = 0;
    const bool applied = OnTiles(ids, [&](int32_t) {
        const EditCommand* command = commands[next].get();
        if (!document_.Apply(std::move(commands[next]))) return false;
        run.push_back(command);
        ++next;
        return true;
    });
    if (!applied) {
        // What ran of it is taken back: all or nothing.
        std::vector<int32_t> back(
            ids.rbegin() + static_cast<std::ptrdiff_t>(ids.size() - run.size()), ids.rend());
        OnTiles(back, [&](int32_t) { return document_.Undo(); });
        ShowChanges();
        return false;
    }
    step_ = TileStep{std::move(run), std::move(text), false, document_.changeCount()};
    ShowChanges();
    return true;
}

bool DatabaseSession::StepIsNextUndo() const {
    return step_ && !step_->undone && step_->at == document_.changeCount();
}

bool DatabaseSession::StepIsNextRedo() const {
    return step_ && step_->undone && step_->at == document_.changeCount();
}

bool DatabaseSession::UndoStep() {
    if (!StepIsNextUndo()) return false;
    std::vector<int32_t> ids;
    for (auto it = step_->commands.rbegin(); it != step_->commands.rend(); ++it)
        ids.push_back((*it)->tileId());
    size_t next = step_->commands.size();
    const bool undone = OnTiles(ids, [&](int32_t) {
        // Each tile's history has the step's command on top.
        return document_.NextUndo() == step_->commands[--next] && document_.Undo();
    });
    step_->undone = true;
    step_->at = document_.changeCount();
    ShowChanges();
    return undone;
}

bool DatabaseSession::RedoStep() {
    if (!StepIsNextRedo()) return false;
    std::vector<int32_t> ids;
    for (const EditCommand* command : step_->commands) ids.push_back(command->tileId());
    size_t next = 0;
    const bool redone = OnTiles(ids, [&](int32_t) {
        return document_.NextRedo() == step_->commands[next++] && document_.Redo();
    });
    step_->undone = false;
    step_->at = document_.changeCount();
    ShowChanges();
    return redone;
}

std::string DatabaseSession::UndoText() const {
    if (StepIsNextUndo()) return step_->text;
    return editor_ != nullptr ? editor_->UndoText() : std::string();
}

std::string DatabaseSession::RedoText() const {
    if (StepIsNextRedo()) return step_->text;
    return editor_ != nullptr ? editor_->RedoText() : std::string();
}

std::string DatabaseSession::File() const {
    if (!savePath_.empty()) return savePath_;
    return hasFile_ ? openedFrom_ : std::string();
}

std::string DatabaseSession::Title() const {
    if (!loaded()) return "Lorvane";
    const std::string file = File();
    return (HasUnsavedChanges() ? "*" : "") + (file.empty() ? std::string("Untitled") : file);
}

void DatabaseSession::ShowState() {
    if (shell_ == nullptr) return;
    if (shell_->state().title != Title()) shell_->SetTitle(Title());
    shell_->EnableMenuItem(kMenuSaveTextureBin, SaveEnabled());
    shell_->EnableMenuItem(kMenuSaveTextureBinAs, loaded());
}

void DatabaseSession::ShowChanges() {
    ShowState();
    if (changed_) changed_();
}

}  // namespace lorvane
