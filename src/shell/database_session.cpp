#include "shell/database_session.h"

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
    const std::string path = PathToUtf8(choice.path);
    shell_->RememberFile(path);
    shell_->StoreFolder(kTextureFolderSetting, choice.folderPart());
    Open(path);
}

void DatabaseSession::DropEditorTile() {
    // The tile on screen is not part of the database that comes: until a
    // tile of it is loaded, nothing is shown or drawn.
    document_.Reset(false, false);
    if (editor_ != nullptr) editor_->DatabaseReset();
}

bool DatabaseSession::Open(const std::string& path) {
    MessageSink& messages = shell_->platform().messages;
    DropEditorTile();
    FreeTileDatabase(database_);
    std::optional<TileDatabase> read = LoadTextureBin(PathFromUtf8(path), messages);
    if (read) {
        database_ = std::move(*read);
        document_.Reset(true, false);
        messages.Information(FormatText("Texture.bin loaded: %d Sets  %d Tiles",
                                        database_.setCount(), database_.tileCount()),
                             "Texture.bin Succesfully Loaded");
    } else {
        messages.Error("Error reading Texture.bin", "Texture.bin Not Loaded");
    }
    hasFile_ = loaded();
    savePath_.clear();
    openedFrom_ = path;
    if (loaded()) shell_->EnableMenuItem(kMenuAddSet, true);
    shell_->RefillTileList();
    if (loaded()) {
        guard_.Remember(PathFromUtf8(path));
        if (RecoveryCommands* recovery = shell_->recovery()) recovery->Opened(path);
    } else {
        guard_.Forget();
    }
    ShowChanges();
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
    shell_->RememberFile(savePath_);
    // The folder of the last open dialog is stored, not the one saved into.
    shell_->StoreFolder(kTextureFolderSetting, shell_->Folder(kTextureFolderSetting));
    return true;
}

bool DatabaseSession::WriteTo(const std::string& path) {
    if (!SaveTextureBin(PathFromUtf8(path), database_, shell_->state().startupFolder,
                        shell_->platform().messages)) {
        // The database stays in memory; the file on disk is as it was, and
        // the next Save tries again.
        shell_->platform().messages.Error("Error writing Texture.bin", "Texture.bin Not Saved");
        return false;
    }
    document_.MarkSaved();
    hasFile_ = true;
    guard_.Remember(PathFromUtf8(path));
    if (RecoveryCommands* recovery = shell_->recovery()) recovery->Saved(path);
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

void DatabaseSession::Close() {
    DropEditorTile();
    FreeTileDatabase(database_);
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
