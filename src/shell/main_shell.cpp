#include "shell/main_shell.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "base/command_ids.h"
#include "base/file_io.h"
#include "base/format.h"
#include "tiledb/tiles_txt.h"

namespace lorvane {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The existence test of a file to open: 0 when it can be opened for reading,
// otherwise the system's error code.
// Only a regular file counts: a FIFO or device would block the open.
int FileOpenError(const std::string& path) { return InputFileError(PathFromUtf8(path)); }

}  // namespace

std::string FileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string OpenExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.find('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

MainShell::MainShell(AppState& state, ShellPlatform platform)
    : state_(state), platform_(platform), menu_(LorvaneMenu()) {}

void MainShell::SetProgressView(ProgressView* view) {
    progressView_ = view;
    progress_.reset();
    if (view != nullptr) progress_.emplace(state_.shell, *view);
}

void MainShell::Initialize(const std::filesystem::path& startupFolder) {
    state_.startupFolder = startupFolder;
    LoadTheaterList(state_.theaters, menu_, startupFolder);
    menu_.Append(kTheaterPopup, MenuItem::Separator());
    menu_.Append(kTheaterPopup, MenuItem::Command(kMenuTheaterMap, "Theater &Map"));
    menu_.Enable(kMenuLoadL2Matrix, true);
    menu_.Enable(kMenuOpenL2File, true);
    state_.shell.textureLoaded = false;
    if (host_ != nullptr) host_->MenuChanged();
}

void MainShell::LoadRecentFileList() {
    state_.recentFiles =
        CreateRecentFileList(kRecentShown, kRecentCapacity, kRecentEntrySize, kRecentSeparator);
    if (!state_.recentFiles) return;
    LoadRecentFiles(*state_.recentFiles, platform_.settings);
    RebuildRecentMenu();
}

void MainShell::RebuildRecentMenu() {
    if (!state_.recentFiles) return;
    BuildRecentFileMenu(*state_.recentFiles, menu_, kFilePopup, kMenuExit);
    if (host_ != nullptr) host_->MenuChanged();
}

CommandNeed MainShell::NeedOf(int id) {
    switch (id) {
        case kMenuSaveL2Matrix:
            return CommandNeed::Terrain;
        case kMenuSaveTextureBin:
        case kMenuExportTiles:
        case kMenuImportTiles:
        case kMenuAddTilesToSet:
        case kMenuAddSet:
        case kMenuChangeSetType:
            return CommandNeed::Texture;
        case kMenuGenerateThr:
            return CommandNeed::TextureAndTerrain;
        case kMenuGenerateMea:
        case kMenuTheaterMap:
            return CommandNeed::Terrain;
        default:
            return CommandNeed::None;
    }
}

bool MainShell::NeedsMet(CommandNeed need) {
    const ShellState& shell = state_.shell;
    switch (need) {
        case CommandNeed::None:
            return true;
        case CommandNeed::Texture:
            return shell.textureLoaded;
        case CommandNeed::Terrain:
            return shell.terrainLoaded;
        case CommandNeed::TextureAndTerrain:
            return shell.textureLoaded && shell.terrainLoaded;
    }
    return false;
}

void MainShell::RegisterCommand(int id, std::function<void()> handler) {
    operations_[id] = std::move(handler);
}

void MainShell::RunOperation(int id) {
    const CommandNeed need = NeedOf(id);
    if (!NeedsMet(need)) {
        // The two generators and the theater map say why; the others do nothing.
        if (id == kMenuGenerateThr)
            platform_.messages.Exclamation(kNeedTextureAndTerrain, "Information");
        if (id == kMenuGenerateMea || id == kMenuTheaterMap)
            platform_.messages.Exclamation(kNeedTerrain, "Information");
        return;
    }
    auto handler = operations_.find(id);
    if (handler != operations_.end() && handler->second) {
        handler->second();
        return;
    }
    platform_.messages.Information(kNotAvailable, "Information");
}

bool MainShell::HandleCommand(int id) {
    if (IsRecentFileId(id)) {
        OpenRecentFile(id);
        return true;
    }
    if (IsTheaterId(id)) {
        if (SelectTheater(state_.theaters, menu_, id) && host_ != nullptr) host_->MenuChanged();
        return true;
    }
    switch (id) {
        case kMenuOpenTextureBin:
            if (AskToSaveChanges()) Forward(kPanelOpenTexture);
            return true;
        case kMenuSaveTextureBin:
            if (state_.shell.textureLoaded) Forward(kPanelSave);
            return true;
        case kMenuExit:
            CloseProgram();
            return true;
        case kMenuShowTileList:
            ShowTileList();
            return true;
        case kPanelLoadTile:
        case kPanelUndoSegment:
        case kPanelRedo:
        case kPanelNewPath:
        case kPanelNewArea:
            Forward(id);
            return true;
        case kMenuAbout:
            if (host_ != nullptr) host_->ShowAboutBox();
            return true;
        case kProgressUpdate:
            if (progressView_ != nullptr)
                progressView_->ShowSections(state_.shell.sectionsCompleted,
                                            state_.shell.progressPosition);
            return true;
        case kMenuGenerateTextureBin:
            if (AskToSaveChanges()) RunOperation(id);
            return true;
        case kMenuOpenL2File:
        case kOpenL2FromPath:
        case kMenuLoadL2Matrix:
        case kMenuSaveL2Matrix:
        case kMenuGenerateThr:
        case kMenuGenerateMea:
        case kMenuEditTheaterMap:
        case kMenuExportTiles:
        case kMenuImportTiles:
        case kMenuAddTilesToSet:
        case kMenuAddSet:
        case kMenuChangeSetType:
        case kMenuDeletePath:
        case kMenuDeleteArea:
        case kMenuTheaterMap:
            RunOperation(id);
            return true;
        default:
            return false;
    }
}

void MainShell::Forward(int panelCommand) {
    if (panel_ != nullptr) panel_->HandleCommand(panelCommand);
}

void MainShell::PostToPanel(int panelCommand) {
    if (panel_ == nullptr) return;
    if (host_ == nullptr) {
        panel_->HandleCommand(panelCommand);
        return;
    }
    host_->Post([this, panelCommand] {
        if (panel_ != nullptr) panel_->HandleCommand(panelCommand);
    });
}

bool MainShell::AskToSaveChanges() {
    if (panel_ == nullptr || !panel_->HasUnsavedChanges()) return true;
    const SaveAnswer answer =
        platform_.questions.AskSave({kSaveQuestion, "Lorvane", MessageIcon::Warning});
    if (answer == SaveAnswer::Cancel) return false;
    return answer == SaveAnswer::Discard || panel_->SaveForClose();
}

void MainShell::ShowUndoRedo(const std::string& undo, const std::string& redo) {
    if (lorvane::ShowUndoRedo(menu_, undo, redo) && host_ != nullptr) host_->MenuChanged();
}

bool MainShell::ConfirmClose() {
    if (!AskToSaveChanges()) return false;
    // A normal end: nothing is left to recover.
    if (recovery_ != nullptr) recovery_->Closed();
    FreeTileDatabase(state_.database);
    state_.shell.textureLoaded = false;
    return true;
}

size_t MainShell::AskAboutChange(const std::string& text, const std::vector<std::string>& buttons) {
    askingAboutChange_ = true;
    // Enter keeps both files as they are: Cancel, the last button.
    const size_t answer = platform_.questions.AskChoice(
        {text, PathToUtf8(state_.databaseFile.path()), MessageIcon::Warning}, buttons,
        buttons.size() - 1);
    askingAboutChange_ = false;
    return answer;
}

SaveTargetCheck MainShell::CheckSaveTarget(const std::string& path) {
    FileGuard& guard = state_.databaseFile;
    if (!guard.Guards(PathFromUtf8(path))) return SaveTargetCheck::Write;
    const std::optional<FileStamp> now = guard.ChangedUnderneath();
    if (!now) return SaveTargetCheck::Write;
    guard.MarkAsked(*now);
    switch (AskAboutChange(kChangedUnderneath, {kSaveAnyway, kSaveAs, kCancel})) {
        case 0:
            return SaveTargetCheck::Write;
        case 1:
            return SaveTargetCheck::ChooseAnother;
        default:
            return SaveTargetCheck::Cancel;
    }
}

void MainShell::DatabaseOpened(const std::string& path) {
    state_.databaseFile.Remember(PathFromUtf8(path));
    if (recovery_ != nullptr) recovery_->Opened(path);
}

void MainShell::DatabaseSaved(const std::string& path) {
    state_.databaseFile.Remember(PathFromUtf8(path));
    if (recovery_ != nullptr) recovery_->Saved(path);
}

void MainShell::DatabaseReplaced() {
    state_.databaseFile.Forget();
    if (recovery_ != nullptr) recovery_->Closed();
}

void MainShell::ReplaceDatabase(TileDatabase database, EditorLink editor) {
    FreeTileDatabase(state_.database);
    state_.database = std::move(database);
    state_.shell.textureLoaded = true;
    EnableMenuItem(kMenuSaveTextureBin, true);
    EnableMenuItem(kMenuAddSet, true);
    editor.DatabaseReplaced();
    DatabaseReplaced();
    RefillTileList();
}

void MainShell::OpenDatabase(const std::string& path) {
    if (panel_ == nullptr) return;
    panel_->SetTexturePath(path);
    Forward(kPanelLoadTexturePath);
}

void MainShell::RecordChange(const JournalRecord& record) {
    if (recovery_ != nullptr) recovery_->Record(record);
}

void MainShell::CheckDatabaseFile() {
    FileGuard& guard = state_.databaseFile;
    if (askingAboutChange_ || !state_.shell.textureLoaded) return;
    const std::optional<FileStamp> now = guard.ChangedUnderneath();
    if (!now || guard.Asked(*now)) return;
    guard.MarkAsked(*now);
    const bool unsaved = panel_ != nullptr && panel_->HasUnsavedChanges();
    const std::string text =
        std::string(kChangedUnderneath) +
        (unsaved ? "\n\nReload it and discard the changes not saved here?" : "\n\nReload it?");
    if (AskAboutChange(text, {kReload, kCancel}) != 0) return;
    OpenDatabase(PathToUtf8(guard.path()));
}

void MainShell::CloseProgram() {
    if (host_ != nullptr) host_->CloseWindow();
}

bool MainShell::OpenPath(const std::string& path) {
    const int error = FileOpenError(path);
    if (error != 0) {
        platform_.messages.Error(FormatText("Data Base Open error code = %d", error), path);
        return false;
    }
    const std::string extension = OpenExtension(path);
    if (StartsWithNoCase(extension, "l2")) {
        state_.terrainPath = path.substr(0, std::min(path.size(), kPathLength));
        HandleCommand(kOpenL2FromPath);
    } else if (StartsWithNoCase(extension, "bin")) {
        if (!AskToSaveChanges()) return true;
        if (panel_ != nullptr) panel_->SetTexturePath(path);
        Forward(kPanelLoadTexturePath);
    } else if (StartsWithNoCase(extension, "pcx")) {
        if (panel_ != nullptr) panel_->SetTileImage(path, FileNameOf(path));
        Forward(kPanelLoadTileImage);
    }
    return true;
}

void MainShell::OpenRecentFile(int id) {
    if (!state_.recentFiles) return;
    const std::optional<std::string> path = GetRecentFile(*state_.recentFiles, id, true);
    if (!path) return;
    if (OpenPath(*path)) return;
    // The file is gone: it leaves the list, the settings and the menu.
    RecentFileList& list = *state_.recentFiles;
    RemoveRecentFile(list, id, true);
    SaveRecentFiles(list, platform_.settings);
    RebuildRecentMenu();
}

void MainShell::SetTitle(const std::string& title) {
    state_.title = title;
    if (host_ != nullptr) host_->TitleChanged(title);
}

void MainShell::EnableMenuItem(int id, bool enabled) {
    if (menu_.Enable(id, enabled) && host_ != nullptr) host_->MenuChanged();
}

void MainShell::CheckMenuItem(int id, bool checked) {
    if (menu_.Check(id, checked) && host_ != nullptr) host_->MenuChanged();
}

void MainShell::RememberFile(const std::string& path) {
    if (!state_.recentFiles) return;
    AddRecentFile(*state_.recentFiles, path);
    RebuildRecentMenu();
    SaveRecentFiles(*state_.recentFiles, platform_.settings);
}

std::string& MainShell::Folder(const char* settingName) {
    RememberedFolders& folders = state_.folders;
    std::string& folder =
        std::strcmp(settingName, kTerrainFolderSetting) == 0 ? folders.terrainFolder
        : std::strcmp(settingName, kTileFolderSetting) == 0  ? folders.tileFolder
                                                             : folders.textureFolder;
    if (folder.empty()) LoadSetting(platform_.settings, settingName, folder);
    return folder;
}

void MainShell::StoreFolder(const char* settingName, const std::string& folder) {
    std::string& held = Folder(settingName);
    held = folder.substr(0, std::min(folder.size(), kPathLength));
    SaveSetting(platform_.settings, settingName, held);
}

void MainShell::OpenProgressDialog(ProgressMode mode) {
    if (!progress_) return;
    const TheaterSettings& theater = state_.theaters.settings;
    const long long range = static_cast<long long>(theater.xSections) * theater.ySections;
    progress_->OpenMode(mode, static_cast<int>(std::clamp<long long>(range, 0, INT32_MAX)));
}

void MainShell::ReportProgress(int sectionsCompleted, int position) {
    if (progress_) progress_->Report(sectionsCompleted, position);
}

void MainShell::CloseProgressDialog() {
    if (progress_) progress_->Close();
}

void MainShell::ShowTileList() {
    if (!tileListOpen_) {
        if (host_ == nullptr || !host_->CreateTileListWindow()) return;
        tileListOpen_ = true;
        tileList_.Clear();
    }
    if (state_.shell.textureLoaded) {
        tileList_.Clear();
        tileList_.Fill(state_.database, state_.database.tileCount());
    }
    host_->TileListChanged(std::nullopt);
}

void MainShell::RefillTileList() {
    if (!tileListOpen_) return;
    tileList_.Clear();
    tileList_.Fill(state_.database, state_.database.tileCount());
    if (host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::UpdateTileListRow(int position) {
    if (!tileListOpen_) return;
    const std::optional<int> row = tileList_.UpdateRow(state_.database, position);
    if (row && host_ != nullptr) host_->TileListChanged(row);
}

void MainShell::SortTileListAfterAdd() {
    if (!tileListOpen_) return;
    tileList_.SortAscendingById(state_.database);
    if (host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::TileListHeaderClicked(int column) {
    if (!tileListOpen_) return;
    tileList_.SortByHeader(state_.database, column);
    if (host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::TileListRowClicked(int row) {
    if (!tileListOpen_ || row < 0 || row >= static_cast<int>(tileList_.rows.size())) return;
    tileList_.SelectRow(row);
    LoadTileFromList(tileList_.rows[static_cast<size_t>(row)].position);
}

void MainShell::TileListKey(bool down) {
    if (!tileListOpen_) return;
    const std::optional<int> position = tileList_.KeyInList(down);
    if (host_ != nullptr) host_->TileListSelectionChanged();
    if (position) LoadTileFromList(*position);
}

void MainShell::TileListSelected(std::optional<int> row) { tileList_.SelectRow(row); }

void MainShell::HandleArrowKey(bool down) {
    if (!tileListOpen_) {
        StepTileOnScreen(down);
        return;
    }
    const std::optional<int> position = tileList_.StepFromMainWindow(down);
    if (host_ != nullptr) host_->TileListSelectionChanged();
    if (position) LoadTileFromList(*position);
}

namespace {

std::optional<int> PositionOfId(const TileDatabase& database, std::optional<int> id) {
    if (!id) return std::nullopt;
    const auto& index = database.index;
    const auto it = std::find_if(index.begin(), index.end(),
                                 [&](const TileIndexEntry& entry) { return entry.id == *id; });
    if (it == index.end()) return std::nullopt;
    return static_cast<int>(it - index.begin());
}

}  // namespace

void MainShell::ShowTileOnScreen(std::optional<int> id) {
    const std::optional<int> position = PositionOfId(state_.database, id);
    if (tileList_.onScreenPosition == position) return;
    tileList_.onScreenPosition = position;
    if (tileListOpen_ && host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::StepTileOnScreen(bool down) {
    const int count = state_.database.tileCount();
    if (panel_ == nullptr || !state_.shell.textureLoaded || count == 0) return;
    const std::optional<int> id = panel_->TileOnScreen();
    int position = down ? 0 : count - 1;  // nothing on screen: from an end
    if (id) {
        const std::optional<int> onScreen = PositionOfId(state_.database, id);
        if (!onScreen) return;
        position = *onScreen + (down ? 1 : -1);
    }
    if (position >= 0 && position < count) LoadTileFromList(position);
}

void MainShell::TileListClosed() {
    tileListOpen_ = false;
    tileList_.Clear();
}

void MainShell::FocusTileList() {
    if (tileListOpen_ && host_ != nullptr) host_->FocusTileList();
}

void MainShell::LoadTileFromList(int position) {
    if (position < 0 || position >= state_.database.tileCount() || panel_ == nullptr) return;
    const std::string name(NameText(state_.database.index[static_cast<size_t>(position)].name));
    // A name of the database is read inside the tiles folder only.
    if (!IsTileFileName(name, platform_.messages)) return;
    const std::string& tileFolder = state_.folders.tileFolder;
    if (tileFolder.empty()) {
        panel_->SetProposedFileName(name);
        PostToPanel(kPanelLoadTile);
    } else {
        panel_->SetTileImage(tileFolder + name, name);
        PostToPanel(kPanelLoadTileImage);
    }
}

}  // namespace lorvane
