// The editor panel's commands: the database (open, load, save), the tile
// (choose, load with write-back of the previous one), refresh, the show
// check boxes, the list notifications and the delete dialogs. The mouse
// editing is in drawing.cpp.

#include "editor/editor_panel.h"

#include <cctype>

#include "base/format.h"
#include "editor/path_dialogs.h"
#include "editor/pcx.h"
#include "tiledb/texture_bin.h"

namespace lorvane {

namespace {

constexpr int kBlinkPeriod = 300;  // milliseconds
constexpr int kBlinkTicks = 6;     // black, colour, black, colour, black, colour

constexpr const char* kTileFilter = "Tile image file|*.pcx||";
constexpr const char* kTextureFilter = "Texture.bin file|*.bin||";
constexpr const char* kTextureProposal = "texture.bin";
constexpr const char* kTileFolder = "Work2";
constexpr const char* kTextureFolder = "Texture";

bool BeginsWithH(const std::string& title) {
    return !title.empty() && std::toupper(static_cast<unsigned char>(title[0])) == 'H';
}

}  // namespace

const std::string& PanelReadouts::Text(int id) const {
    static const std::string kNothing;
    const auto it = texts_.find(id);
    return it == texts_.end() ? kNothing : it->second;
}

void PanelReadouts::SetNumber(int id, int32_t value) { Set(id, FormatText("%d", value)); }

void PanelReadouts::Clear(int id) { texts_[id].assign(1, ' '); }

EditorPanel::EditorPanel(PanelShared shared, PanelServices services)
    : shared_(shared), services_(services) {}

void EditorPanel::Initialise() {
    choices = EditorChoices{};
    state.showPaths = 1;
    state.showAreas = 1;
    state.saveEnabled = false;
    services_.host.SetDatabaseMenus(false);
    Command(kPanelClear);
}

void EditorPanel::Post(int id) {
    posted_.push_back(id);
    services_.host.CommandPosted();
}

void EditorPanel::RunPosted() {
    while (!posted_.empty()) {
        const int id = posted_.front();
        posted_.pop_front();
        Command(id);
    }
}

void EditorPanel::Command(int id) {
    switch (id) {
        case kPanelUndoSegment:
            Undo();
            break;
        case kPanelRefresh:
            RefreshViewer();
            break;
        case kPanelClear:
            ClearEditor();
            break;
        case kPanelOpenTexture:
            ChooseTexture();
            break;
        case kPanelSave:
            SaveDatabase();
            break;
        case kPanelLoadTexturePath:
            LoadTexture();
            break;
        case kPanelShowPaths:
            ToggleShow(state.showPaths);
            break;
        case kPanelShowAreas:
            ToggleShow(state.showAreas);
            break;
        case kPanelLoadTileImage:
            LoadTile();
            break;
        case kPanelContinuePath:
            StartPaths(false);
            break;
        case kPanelContinueArea:
            StartAreas(false);
            break;
        case kPanelLoadTile:
            ChooseTile();
            break;
        case kPanelNewPath:
            StartPaths(true);
            break;
        case kPanelNewArea:
            StartAreas(true);
            break;
        // Esc (2) must not end the program and throw away unsaved work:
        // closing goes through the main window, which asks first.
        default:
            break;
    }
}

void EditorPanel::ClearEditor() {
    readouts.ClearAll(kPanelType, kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                      kPanelCentreX, kPanelCentreY);
    drawing = DrawingState{};
    ClearWorkingSet(working);
    services_.canvas.SetRasterMode(RasterMode::Normal);
}

void EditorPanel::ChooseTile() {
    if (state.proposedTileName.empty()) state.proposedTileName = "*.pcx";
    FileDialogRequest request;
    request.title = "Select a Tile or Enter Tile Offset Number";
    request.filter = kTileFilter;
    request.proposedName = state.proposedTileName;
    request.startFolder = services_.host.Folder(kTileFolder);
    request.fileMustExist = false;  // a number may be typed as the file name
    const FileChoice choice = services_.files.OpenFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        services_.messages.Error(FormatText("PCX file open error# %d", choice.errorCode), "Error");
        return;
    }
    const std::string tileFolder = choice.folderPart();
    services_.host.Folder(kTileFolder) = tileFolder;
    const std::string title = choice.fileTitle();
    state.proposedTileName = title;
    if (BeginsWithH(title)) {
        state.tileImagePath = choice.path.string();
        state.tileName = title;
    } else {
        const auto id = ScanDecimal(title);
        if (!id) {
            services_.messages.Error("An invalid Tile Offset number entered.", "Error");
            return;
        }
        const std::string name = TileNameById(shared_.database, *id);
        if (name.empty()) {
            services_.messages.Error(
                "An invalid Tile Offset number entered.  Not part of this Texture.bin",
                "Offset Number Error");
            return;
        }
        state.tileName = name;
        state.tileImagePath = tileFolder + name;
    }
    services_.host.RememberRecentFile(state.tileImagePath);
    services_.host.StoreFolder(kTileFolder, tileFolder);
    LoadTile();
}

TileRecord* EditorPanel::CurrentTileRecord() {
    if (!shared_.textureLoaded || !state.hasCurrentTile) return nullptr;
    TileDatabase& database = shared_.database;
    if (state.currentSet < 0 || state.currentSet >= database.setCount()) return nullptr;
    TileSet& set = database.sets[static_cast<size_t>(state.currentSet)];
    if (state.currentTile < 0 || state.currentTile >= set.tileCount()) return nullptr;
    return &set.tiles[static_cast<size_t>(state.currentTile)];
}

void EditorPanel::MarkTileModified() {
    TileRecord* tile = CurrentTileRecord();
    if (tile == nullptr) return;
    tile->modified = 1;
    for (TileIndexEntry& entry : shared_.database.index) {
        if (entry.id == tile->id) entry.modified = 1;
    }
    state.unsavedChanges = true;
}

void EditorPanel::WriteBackCurrentTile() {
    TileRecord* tile = CurrentTileRecord();
    if (tile == nullptr || tile->modified != 1) return;
    WriteBackPaths(working, shared_.database, state.currentSet, state.currentTile);
    WriteBackAreas(working, shared_.database, state.currentSet, state.currentTile);
    services_.host.UpdateTileListRow(IndexPositionById(shared_.database, tile->id));
    tile->modified = 0;
}

void EditorPanel::LoadTile() {
    if (state.tileName.size() > kMaxTileNameLength) {
        services_.messages.Error(FormatText("The tile image name %s is longer than 31 characters.",
                                            state.tileName.c_str()),
                                 "Tile Name Error");
        return;
    }
    if (!state.viewerReady) {
        geometry = ViewerSetup(placement_);
        const ImageArea clip = geometry.ClipRect();
        services_.canvas.SetClip(clip.right, clip.bottom);
        state.viewerReady = true;
    }
    readouts.Set(kPanelTileName, state.tileName);
    if (drawing.rubberBand == 1) EndStroke();
    if (shared_.textureLoaded) {
        WriteBackCurrentTile();
        ClearEditor();
        const TileIndexEntry* entry = FindIndexEntryByName(shared_.database, state.tileName);
        if (entry == nullptr) {
            services_.messages.Error(
                FormatText("PCX file %s not in Texture.bin file.", state.tileName.c_str()),
                "Tile Info Not Found");
            state.hasCurrentTile = false;
        } else {
            state.currentSet = entry->setIndex;
            state.currentTile = entry->tileIndex;
            readouts.Set(kPanelTerrainType, TypeName(entry->terrainType));
            readouts.SetNumber(kPanelOffset, entry->id);
            readouts.SetNumber(kPanelSetNumber, state.currentSet);
            if (state.currentSet >= shared_.database.setCount() || state.currentTile >= 16) {
                services_.messages.Error(
                    FormatText("Tile: %s  Set# = %d  Tile# = %d", state.tileName.c_str(),
                               state.currentSet, state.currentTile),
                    "Tile Index Error");
                state.hasCurrentTile = false;
            } else {
                state.hasCurrentTile = true;
                TakeInPaths(working, choices, shared_.database, state.currentSet,
                            state.currentTile);
                TakeInAreas(working, choices, shared_.database, state.currentSet,
                            state.currentTile);
            }
        }
    } else {
        ClearEditor();
        const uint16_t number = TileNumberFromName(state.tileName);
        state.currentSet = SetOfTileNumber(number);
        state.currentTile = PositionOfTileNumber(number);
        state.hasCurrentTile = true;
    }
    Post(kPanelRefresh);
}

void EditorPanel::ChooseTexture() {
    FileDialogRequest request;
    request.title = "Open Texture.bin File";
    request.filter = kTextureFilter;
    request.proposedName = kTextureProposal;
    request.startFolder = services_.host.Folder(kTextureFolder);
    request.fileMustExist = true;
    const FileChoice choice = services_.files.OpenFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        services_.messages.Error(FormatText("Texture.bin file open error# %d", choice.errorCode),
                                 "Error");
        return;
    }
    state.texturePath = choice.path.string();
    services_.host.RememberRecentFile(state.texturePath);
    services_.host.StoreFolder(kTextureFolder, choice.folderPart());
    LoadTexture();
}

void EditorPanel::LoadTexture() {
    if (drawing.rubberBand == 1) EndStroke();
    if (shared_.textureLoaded) {
        FreeTileDatabase(shared_.database);
        ClearEditor();
    }
    // The tile on screen is not part of the database now loaded: until a
    // tile is loaded from it, nothing drawn is written into any of its tiles.
    state.hasCurrentTile = false;
    auto database = LoadTextureBin(state.texturePath, services_.messages);
    if (database) {
        shared_.database = std::move(*database);
        services_.messages.Information(
            FormatText("Texture.bin loaded: %d Sets  %d Tiles", shared_.database.setCount(),
                       shared_.database.tileCount()),
            "Texture.bin Succesfully Loaded");
        shared_.textureLoaded = true;
    } else {
        services_.messages.Error("Error reading Texture.bin", "Texture.bin Not Loaded");
        shared_.textureLoaded = false;
    }
    state.unsavedChanges = false;
    services_.host.SetMainTitle(state.texturePath);
    Post(kPanelRefresh);
    services_.host.SetDatabaseMenus(true);
    state.saveEnabled = true;
    state.savePath.clear();
    services_.host.RefillTileList();
    if (shared_.textureLoaded) services_.host.DatabaseOpened(state.texturePath);
}

bool EditorPanel::WriteDatabase() {
    if (!SaveTextureBin(state.savePath, shared_.database, shared_.startupFolder,
                        services_.messages)) {
        // The database stays in memory and loaded; the file on disk is as it
        // was, and the next Save tries again.
        services_.messages.Error("Error writing Texture.bin", "Texture.bin Not Saved");
        return false;
    }
    state.unsavedChanges = false;
    services_.host.DatabaseSaved(state.savePath);
    return true;
}

bool EditorPanel::ChooseSavePath() {
    FileDialogRequest request;
    request.title = "Save Texture.bin File";
    request.filter = kTextureFilter;
    request.proposedName = kTextureProposal;
    request.startFolder = services_.host.Folder(kTextureFolder);
    const FileChoice choice = services_.files.SaveFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return false;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        services_.messages.Error(FormatText("Texture.bin file open error# %d", choice.errorCode),
                                 "Error");
        return false;
    }
    state.savePath = choice.path.string();
    services_.host.RememberRecentFile(state.savePath);
    // The folder of the last open dialog is stored, not the one saved into.
    services_.host.StoreFolder(kTextureFolder, services_.host.Folder(kTextureFolder));
    return true;
}

bool EditorPanel::SaveDatabase() {
    // A failed write no longer clears textureLoaded, so it tells whether a
    // database is in memory.
    if (!shared_.textureLoaded) return false;
    bool named = !state.savePath.empty();
    if (!named && !ChooseSavePath()) return false;
    // The file about to be written may have been changed by another program.
    for (;;) {
        const SaveTargetCheck check = services_.host.CheckSaveTarget(state.savePath);
        if (check == SaveTargetCheck::Write) break;
        if (check == SaveTargetCheck::Cancel || !ChooseSavePath()) return false;
        named = false;
    }
    // The edits of the tile on screen go into its record first.
    WriteBackCurrentTile();
    const bool written = WriteDatabase();
    if (named) {
        services_.host.Beep();
    } else {
        services_.host.SetMainTitle(state.texturePath);
    }
    return written;
}

void EditorPanel::RefreshViewer() {
    if (!state.viewerReady) return;
    if (const auto image = LoadPcxTile(state.tileImagePath)) services_.canvas.DrawImage(*image);
    services_.canvas.SetRasterMode(RasterMode::Normal);
    DrawWorkingSet(services_.canvas, geometry, working, state.showPaths == 1, state.showAreas == 1);
    if (drawing.rubberBand == 1) RestartRubberBand();
}

void EditorPanel::ToggleShow(int32_t& flag) {
    flag = flag == 1 ? 0 : 1;
    Post(kPanelRefresh);
}

void EditorPanel::SpinDelta(int proposedChange) {
    services_.host.StepTileList(proposedChange > 0 ? TileStep::Down : TileStep::Up);
}

void EditorPanel::ListKey(PanelList, TileStep step) { services_.host.StepTileList(step); }

int32_t EditorPanel::EntryOfRow(PanelList list, int selectedRow) const {
    const ListView& view = list == PanelList::Paths ? working.pathList : working.areaList;
    if (selectedRow < 0 || static_cast<size_t>(selectedRow) >= view.RowCount()) return 0;
    const ListRow& row = view.Rows()[static_cast<size_t>(selectedRow)];
    return row.empty() ? 0 : ScanDecimal(row.front()).value_or(0);
}

void EditorPanel::ActivateRow(PanelList list, int selectedRow) {
    const int32_t entry = EntryOfRow(list, selectedRow);
    const int32_t count = list == PanelList::Paths ? working.pathCount() : working.areaCount();
    if (entry < 1 || entry > count) return;
    blinkList_ = list;
    blinkEntry_ = entry;
    blinkTicks_ = 0;
    services_.host.StartBlinkTimer(kBlinkPeriod);
}

void EditorPanel::BlinkTimer() {
    ++blinkTicks_;
    const bool paths = blinkList_ == PanelList::Paths;
    const int32_t count = paths ? working.pathCount() : working.areaCount();
    if (blinkTicks_ > kBlinkTicks || blinkEntry_ > count || !state.viewerReady) {
        services_.host.StopBlinkTimer();
        return;
    }
    Canvas& canvas = services_.canvas;
    const bool black = blinkTicks_ % 2 == 1;
    if (paths) {
        const WorkingPath& segment = working.Path(blinkEntry_);
        const Pen previous = canvas.SelectPen(black ? BlinkPen : PathPen(segment.typeChoice));
        DrawSegment(canvas, geometry, segment);
        canvas.SelectPen(previous);
    } else {
        const WorkingArea& area = working.Area(blinkEntry_);
        const Pen previous = canvas.SelectPen(black ? BlinkPen : AreaPen(area.typeChoice));
        DrawAreaCircle(canvas, geometry, area);
        canvas.SelectPen(previous);
    }
}

void EditorPanel::RightClickList(PanelList list, int selectedRow) {
    // Without a selected row nothing is removed: a stray right click must not
    // delete the first entry.
    const int32_t entry = EntryOfRow(list, selectedRow);
    if (entry < 1) return;
    const bool removed =
        list == PanelList::Paths ? RemovePath(working, entry) : RemoveArea(working, entry);
    if (!removed) return;
    MarkTileModified();
    Post(kPanelRefresh);
}

bool EditorPanel::DeleteNumber(PanelList list, const std::string& text) {
    const bool paths = list == PanelList::Paths;
    const int32_t n = ScanDecimal(text).value_or(0);
    const int32_t count = paths ? working.pathCount() : working.areaCount();
    if (n < 1 || n > count) {
        services_.messages.Exclamation(
            FormatText(paths ? "There is no number %d.  The available paths are %d thru %d."
                             : "There is no number %d.  The available areas are %d thru %d.",
                       n, 1, count),
            paths ? "Path Not Found" : "Area Not Found");
        return false;
    }
    if (paths) {
        RemovePath(working, n);
    } else {
        RemoveArea(working, n);
    }
    Post(kPanelRefresh);
    if (TileRecord* tile = CurrentTileRecord()) {
        tile->modified = 1;
        state.unsavedChanges = true;
    }
    return true;
}

bool EditorPanel::DeletePathNumber(const std::string& text) {
    return DeleteNumber(PanelList::Paths, text);
}

bool EditorPanel::DeleteAreaNumber(const std::string& text) {
    return DeleteNumber(PanelList::Areas, text);
}

bool EditorPanel::HasUnsavedEdits() const { return shared_.textureLoaded && state.unsavedChanges; }

}  // namespace lorvane
