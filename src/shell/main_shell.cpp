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

FileKind KindOfFile(const std::string& path) {
    const std::string extension = OpenExtension(path);
    if (StartsWithNoCase(extension, "l2")) return FileKind::Terrain;
    if (StartsWithNoCase(extension, "bin")) return FileKind::Database;
    if (StartsWithNoCase(extension, "pcx")) return FileKind::TileImage;
    return FileKind::Other;
}

DropPlan PlanDrop(const std::vector<std::string>& paths) {
    DropPlan plan;
    for (const std::string& path : paths) {
        const FileKind kind = KindOfFile(path);
        if (kind == FileKind::Database && plan.database.empty()) plan.database = path;
        if (kind == FileKind::TileImage && plan.tileImage.empty()) plan.tileImage = path;
    }
    return plan;
}

MainShell::MainShell(AppState& state, ShellPlatform platform)
    : state_(state), platform_(platform), menu_(LorvaneMenu()) {
    state_.session.Bind(*this);
}

void MainShell::SetProgressView(ProgressView* view) {
    progressView_ = view;
    progress_.reset();
    if (view != nullptr) progress_.emplace(state_.shell, *view);
}

void MainShell::Initialize(const std::filesystem::path& startupFolder) {
    state_.startupFolder = startupFolder;
    LoadTheaterList(state_.theaters, menu_, startupFolder);
    menu_.Enable(kMenuLoadL2Matrix, true);
    menu_.Enable(kMenuOpenL2File, true);
    if (host_ != nullptr) host_->MenuChanged();
}

void MainShell::LoadRecentFileList() {
    state_.recentFiles =
        CreateRecentFileList(kRecentShown, kRecentCapacity, kRecentEntrySize, kRecentSeparator);
    if (!state_.recentFiles) return;
    RecentFileList& list = *state_.recentFiles;
    LoadRecentFiles(list, platform_.settings);
    // Tiles and terrain files that an earlier version kept are left out.
    bool dropped = false;
    for (int p = list.count - 1; p >= 0; --p) {
        if (KindOfFile(list.entries[static_cast<size_t>(p)]) == FileKind::Database) continue;
        RemoveRecentFile(list, p, false);
        dropped = true;
    }
    if (dropped) SaveRecentFiles(list, platform_.settings);
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
        case kMenuCompareWith:
        case kMenuMerge:
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
    const bool texture = state_.session.loaded();
    const bool terrain = state_.shell.terrainLoaded;
    switch (need) {
        case CommandNeed::None:
            return true;
        case CommandNeed::Texture:
            return texture;
        case CommandNeed::Terrain:
            return terrain;
        case CommandNeed::TextureAndTerrain:
            return texture && terrain;
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
            if (AskToSaveChanges()) state_.session.ChooseAndOpen();
            return true;
        case kMenuSaveTextureBin:
            state_.session.Save();
            return true;
        case kMenuSaveTextureBinAs:
            state_.session.SaveAs();
            return true;
        case kMenuExit:
            CloseProgram();
            return true;
        case kMenuShowTileList:
            ShowTileList();
            return true;
        case kPanelUndoSegment:
            // A step over several tiles (an import) is undone whole.
            if (!state_.session.UndoStep()) Forward(id);
            return true;
        case kPanelRedo:
            if (!state_.session.RedoStep()) Forward(id);
            return true;
        case kPanelLoadTile:
        case kPanelNewPath:
        case kPanelTrace:
        case kPanelSuggest:
        case kPanelAcceptSuggestion:
        case kPanelRejectSuggestion:
        case kPanelAcceptAllSuggestions:
        case kPanelRejectAllSuggestions:
        case kPanelSuggestionType:
        case kPanelNewArea:
        case kPanelCut:
        case kPanelCopy:
        case kPanelPaste:
        case kPanelPasteAtPointer:
        case kPanelDuplicate:
        case kPanelSelectAll:
            Forward(id);
            return true;
        case kMenuAbout:
            if (host_ != nullptr) host_->ShowAboutBox();
            return true;
        case kMenuMessages:
            if (host_ != nullptr) host_->ShowMessages();
            return true;
        case kMenuUserGuide:
            if (host_ != nullptr) host_->ShowUserGuide();
            return true;
        case kMenuKeyboardShortcuts:
            if (host_ != nullptr) host_->ShowKeyboardShortcuts();
            return true;
        case kPanelShowPaths:
        case kPanelShowAreas:
            Forward(id);
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
        case kMenuCompareWith:
        case kMenuMerge:
        case kMenuAddTilesToSet:
        case kMenuAddSet:
        case kMenuChangeSetType:
        case kMenuDeletePath:
        case kMenuDeleteArea:
        case kMenuTheaterMap:
        case kMenuZoomIn:
        case kMenuZoomOut:
        case kMenuZoomFit:
        case kMenuZoomActual:
        case kMenuPreferences:
            RunOperation(id);
            return true;
        default:
            return false;
    }
}

void MainShell::Forward(int panelCommand) {
    EditorPanel* editor = state_.session.editor();
    if (editor == nullptr) return;
    editor->Command(panelCommand);
    editor->RunPosted();
    state_.session.ShowChanges();
    ShowViewChoices(editor->showPaths(), editor->showAreas());
}

void MainShell::ShowViewChoices(bool paths, bool areas) {
    if (menu_.IsChecked(kPanelShowPaths) == paths && menu_.IsChecked(kPanelShowAreas) == areas)
        return;
    menu_.Check(kPanelShowPaths, paths);
    menu_.Check(kPanelShowAreas, areas);
    if (host_ != nullptr) host_->MenuChanged();
}

void MainShell::PostToEditor(std::function<void(EditorPanel&)> work) {
    const auto run = [this, work = std::move(work)] {
        EditorPanel* editor = state_.session.editor();
        if (editor == nullptr) return;
        work(*editor);
        editor->RunPosted();
        state_.session.ShowChanges();
    };
    if (host_ == nullptr)
        run();
    else
        host_->Post(run);
}

bool MainShell::AskToSaveChanges() {
    if (!state_.session.HasUnsavedChanges()) return true;
    const SaveAnswer answer =
        platform_.questions.AskSave({kSaveQuestion, "Lorvane", MessageIcon::Warning});
    if (answer == SaveAnswer::Cancel) return false;
    return answer == SaveAnswer::Discard || state_.session.Save();
}

void MainShell::ShowUndoRedo(const std::string& undo, const std::string& redo) {
    if (lorvane::ShowUndoRedo(menu_, undo, redo) && host_ != nullptr) host_->MenuChanged();
}

bool MainShell::ConfirmClose() {
    if (!AskToSaveChanges()) return false;
    // A normal end: nothing is left to recover.
    if (recovery_ != nullptr) recovery_->Closed();
    state_.session.Close();
    return true;
}

size_t MainShell::AskAboutChange(const std::string& text, const std::vector<std::string>& buttons) {
    askingAboutChange_ = true;
    // Enter keeps both files as they are: Cancel, the last button.
    const size_t answer = platform_.questions.AskChoice(
        {text, PathToUtf8(state_.session.guard().path()), MessageIcon::Warning}, buttons,
        buttons.size() - 1);
    askingAboutChange_ = false;
    return answer;
}

SaveTargetCheck MainShell::CheckSaveTarget(const std::string& path) {
    FileGuard& guard = state_.session.guard();
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

void MainShell::RecordChange(const JournalRecord& record) {
    if (recovery_ != nullptr) recovery_->Record(record);
}

void MainShell::CheckDatabaseFile() {
    FileGuard& guard = state_.session.guard();
    if (askingAboutChange_ || !state_.session.loaded()) return;
    const std::optional<FileStamp> now = guard.ChangedUnderneath();
    if (!now || guard.Asked(*now)) return;
    guard.MarkAsked(*now);
    const bool unsaved = state_.session.HasUnsavedChanges();
    const std::string text =
        std::string(kChangedUnderneath) +
        (unsaved ? "\n\nReload it and discard the changes not saved here?" : "\n\nReload it?");
    if (AskAboutChange(text, {kReload, kCancel}) != 0) return;
    state_.session.Reload();
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
    switch (KindOfFile(path)) {
        case FileKind::Terrain:
            state_.terrainPath = path.substr(0, std::min(path.size(), kPathLength));
            HandleCommand(kOpenL2FromPath);
            break;
        case FileKind::Database:
            if (!AskToSaveChanges()) return true;
            return state_.session.Open(path);
        case FileKind::TileImage:
            if (EditorPanel* editor = state_.session.editor()) {
                editor->LoadTileImage(path, FileNameOf(path));
                editor->RunPosted();
                state_.session.ShowChanges();
            }
            break;
        case FileKind::Other:
            break;
    }
    return true;
}

void MainShell::OpenDropped(const DropPlan& plan) {
    if (!plan.database.empty()) {
        if (!AskToSaveChanges()) return;
        if (!state_.session.OpenChosen(FileChoice::Chosen(PathFromUtf8(plan.database)))) return;
    }
    if (plan.tileImage.empty()) return;
    EditorPanel* editor = state_.session.editor();
    if (editor == nullptr) return;
    editor->TileChosen(FileChoice::Chosen(PathFromUtf8(plan.tileImage)));
    editor->RunPosted();
    state_.session.ShowChanges();
}

void MainShell::OpenRecentFile(int id) {
    if (!state_.recentFiles) return;
    const std::optional<std::string> path = GetRecentFile(*state_.recentFiles, id, true);
    if (!path) return;
    if (OpenPath(*path)) return;
    // The file is gone or not a database: it leaves the list, the settings
    // and the menu (a failed open adds nothing, so the entry is where it was).
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
    if (!state_.recentFiles || KindOfFile(path) != FileKind::Database) return;
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

namespace {

// The setting of a path type's suggestion colour on the current theater:
// "Suggest/<theater>/<type>", "Suggest/Road" while no theater is chosen.
std::string SuggestionSetting(const Theaters& theaters, size_t typeChoice) {
    const int slot = theaters.currentTheaterId - kTheaterFirst;
    std::string name = "Suggest/";
    if (slot >= 0 && slot < kTheaterSlots && !theaters.table[size_t(slot)].empty())
        name += theaters.table[size_t(slot)] + "/";
    return name + TypeName(PathTypeCodes[typeChoice]);
}

}  // namespace

SuggestionTypes MainShell::SuggestionColours() {
    SuggestionTypes types = SuggestionTypes::Defaults();
    for (size_t i = 0; i < types.colours.size(); ++i)
        if (const auto text = platform_.settings.Read(SuggestionSetting(state_.theaters, i)))
            types.colours[i] = ParseSuggestionColour(*text);
    return types;
}

void MainShell::StoreSuggestionColours(const SuggestionTypes& types) {
    for (size_t i = 0; i < types.colours.size(); ++i)
        platform_.settings.Write(SuggestionSetting(state_.theaters, i),
                                 types.colours[i] ? FormatSuggestionColour(*types.colours[i]) : "");
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
    if (state_.session.loaded()) FillTileList();
    host_->TileListChanged(std::nullopt);
}

void MainShell::RefillTileList() {
    if (!tileListOpen_) return;
    FillTileList();
    if (host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::UpdateTileListRow(int position) {
    if (!tileListOpen_) return;
    const std::optional<int> row = tileList_.UpdateRow(state_.session.database(), position);
    if (row && host_ != nullptr) host_->TileListChanged(row);
}

void MainShell::ShowTileCounts(int position, int paths, int areas) {
    liveCounts_ = {position, paths, areas};
    if (!tileListOpen_) return;
    const std::optional<int> row = tileList_.ShowCounts(position, paths, areas);
    if (row && host_ != nullptr) host_->TileListChanged(row);
}

void MainShell::FillTileList() {
    tileList_.Clear();
    tileList_.Fill(state_.session.database(), state_.session.database().tileCount());
    // The tile on screen as drawn, not as last written back.
    if (liveCounts_[0] >= 0) tileList_.ShowCounts(liveCounts_[0], liveCounts_[1], liveCounts_[2]);
}

void MainShell::SortTileListAfterAdd() {
    if (!tileListOpen_) return;
    tileList_.SortAscendingById(state_.session.database());
    if (host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::TileListHeaderClicked(int column) {
    if (!tileListOpen_) return;
    tileList_.SortByHeader(state_.session.database(), column);
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

std::optional<int> PositionOf(const TileDatabase& database, std::optional<int> id) {
    return id ? database.PositionOfId(*id) : std::nullopt;
}

}  // namespace

void MainShell::ShowTileOnScreen(std::optional<int> id) {
    const std::optional<int> position = PositionOf(state_.session.database(), id);
    if (tileList_.onScreenPosition == position) return;
    tileList_.onScreenPosition = position;
    if (tileListOpen_ && host_ != nullptr) host_->TileListChanged(std::nullopt);
}

void MainShell::StepTileOnScreen(bool down) {
    const int count = state_.session.database().tileCount();
    const EditorPanel* editor = state_.session.editor();
    if (editor == nullptr || !state_.session.loaded() || count == 0) return;
    const std::optional<int> id = editor->tileOnScreen();
    int position = down ? 0 : count - 1;  // nothing on screen: from an end
    if (id) {
        const std::optional<int> onScreen = PositionOf(state_.session.database(), id);
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

namespace {

std::string FolderOfFile(const std::string& path) {
    return path.empty() ? std::string() : FileChoice::Chosen(PathFromUtf8(path)).folderPart();
}

}  // namespace

std::string MainShell::TileImageFolder() {
    // The folder the tile on screen came from, then the remembered tiles
    // folder, then the database's own folder.
    const EditorPanel* editor = state_.session.editor();
    if (editor != nullptr && editor->tileOnScreen()) {
        const std::string folder = FolderOfFile(editor->tileImagePath());
        if (!folder.empty()) return folder;
    }
    if (const std::string& remembered = Folder(kTileFolderSetting); !remembered.empty())
        return remembered;
    return FolderOfFile(state_.session.File());
}

void MainShell::LoadTileFromList(int position) {
    if (position < 0 || position >= state_.session.database().tileCount()) return;
    const std::string name(
        NameText(state_.session.database().index[static_cast<size_t>(position)].name));
    // A name of the database is read inside the tiles folder only.
    if (!IsTileFileName(name, platform_.messages)) return;
    const std::string tileFolder = TileImageFolder();
    if (tileFolder.empty()) {
        PostToEditor([name](EditorPanel& editor) { editor.ChooseTile(name); });
        return;
    }
    const std::string path = tileFolder + name;
    // The tile on screen stays when the next one's image is not there.
    if (FileOpenError(path) != 0) {
        platform_.messages.Error(FormatText("The tile image %s was not found in the folder %s.",
                                            name.c_str(), tileFolder.c_str()),
                                 "Tile Image Not Found");
        return;
    }
    PostToEditor([path, name](EditorPanel& editor) { editor.LoadTileImage(path, name); });
}

}  // namespace lorvane
