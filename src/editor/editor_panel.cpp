// The editor panel's commands: the tile (choose, load with write-back of the
// previous one), refresh, the show
// check boxes, the list notifications and the delete dialogs. The mouse and
// the keys over the viewer, undo and redo are in editor_input.cpp.

#include "editor/editor_panel.h"

#include <cctype>

#include "base/format.h"
#include "base/path_text.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tiles_txt.h"
#include "trace/tracer.h"

namespace lorvane {

namespace {

constexpr const char* kTileFilter = "Tile image file|*.pcx||";
constexpr const char* kTileFolder = "Work2";

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

void PanelReadouts::SetFeet(int id, float feet) { SetNumber(id, WholeFeet(feet)); }

void PanelReadouts::Clear(int id) { texts_[id].assign(1, ' '); }

// What the tools work with: the panel's document, view, read-outs and choices.
class EditorPanel::Context final : public ToolContext {
  public:
    explicit Context(EditorPanel& panel) : panel_(panel) {}
    EditDocument& document() override { return panel_.document_; }
    const EditDocument& document() const override { return panel_.document_; }
    PanelReadouts& readouts() override { return panel_.readouts_; }
    const EditorChoices& choices() const override { return panel_.choices_; }
    void RequestRefresh() override { panel_.Post(kPanelRefresh); }
    void SwitchTool(ToolKind kind) override { panel_.SwitchTool(kind); }
    const ViewTransform& view() const override { return panel_.view_; }
    SnapOptions snapOptions(Modifiers modifiers) const override {
        return panel_.SnapOptionsFor(modifiers);
    }
    PickOptions pickOptions() const override {
        return {kPickPixels, panel_.showPaths(), panel_.showAreas()};
    }
    std::optional<Pick> selection() const override { return panel_.selection(); }
    void Select(std::optional<Pick> pick) override { panel_.selection_.SetOnly(pick); }
    Selection& selected() override { return panel_.selection_; }
    const Selection& selected() const override { return panel_.selection_; }
    Tracer* tracer() override { return panel_.TracerOfImage(); }

  private:
    EditorPanel& panel_;
};

EditorPanel::EditorPanel(EditDocument& document, PanelServices services)
    : services_(services),
      document_(document),
      database_(document.database()),
      context_(std::make_unique<Context>(*this)),
      tool_(MakeTool(ToolKind::Select)) {}

EditorPanel::~EditorPanel() = default;

void EditorPanel::Initialise() {
    choices_ = EditorChoices{};
    state_.showPaths = 1;
    state_.showAreas = 1;
    Command(kPanelClear);
}

bool EditorPanel::SetStartWidth(int32_t code, int32_t feet) {
    if (code < 0 || code >= kTypeCount) return false;
    choices_.rememberedWidth[static_cast<size_t>(code)] = feet;
    return true;
}

void EditorPanel::Post(int id) {
    posted_.push_back(id);
    if (window_ != nullptr) window_->CommandPosted();
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
        case kPanelRedo:
            Redo();
            break;
        case kPanelRefresh:
            // The frame is listed anew whenever the viewer paints; the tile
            // list's row of the tile on screen counts what is drawn.
            TellTileCounts();
            break;
        case kPanelClear:
            ClearEditor();
            break;
        case kPanelShowPaths:
            ToggleShow(state_.showPaths);
            break;
        case kPanelShowAreas:
            ToggleShow(state_.showAreas);
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
        case kPanelTrace:
            StartTrace();
            break;
        case kPanelSuggest:
            SuggestOnTile();
            break;
        case kPanelAcceptSuggestion:
        case kPanelAcceptAllSuggestions:
            AcceptSuggestions(id == kPanelAcceptAllSuggestions);
            break;
        case kPanelRejectSuggestion:
            suggestions_.RejectPicked();
            break;
        case kPanelRejectAllSuggestions:
            suggestions_.RejectAll();
            break;
        case kPanelCut:
        case kPanelCopy:
            if (window_ != nullptr) {
                const std::string text = id == kPanelCut ? CutSelection() : CopySelection();
                if (!text.empty()) window_->PutOnClipboard(text);
            }
            break;
        case kPanelPaste:
        case kPanelPasteAtPointer:
            if (window_ != nullptr) Paste(window_->ClipboardText(), id == kPanelPasteAtPointer);
            break;
        case kPanelDuplicate:
            DuplicateSelection();
            break;
        case kPanelSelectAll:
            SelectAll();
            break;
        case kPanelSuggestionType:
            if (const auto picked = suggestions_.picked(); picked && window_ != nullptr)
                if (const auto type =
                        window_->ChooseSuggestionType(suggestions_.items()[*picked].typeChoice))
                    SetSuggestionType(*type);
            break;
        // Esc (2) must not end the program and throw away unsaved work:
        // closing goes through the main window, which asks first.
        default:
            break;
    }
}

void EditorPanel::LoadTileImage(const std::string& path, const std::string& name) {
    state_.tileImagePath = path;
    state_.tileName = name;
    LoadTile();
}

void EditorPanel::ChooseTile(const std::string& proposedName) {
    state_.proposedTileName = proposedName;
    ChooseTile();
}

void EditorPanel::ClearEditor() {
    readouts_.ClearAll(kPanelType, kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    tool_->EndStroke(*context_);
    suggestions_.Clear();
}

void EditorPanel::ChooseTile() {
    if (state_.proposedTileName.empty()) state_.proposedTileName = "*.pcx";
    FileDialogRequest request;
    request.title = "Select a Tile or Enter Tile Offset Number";
    request.filter = kTileFilter;
    request.proposedName = state_.proposedTileName;
    request.startFolder = PathFromUtf8(services_.host.Folder(kTileFolder));
    request.fileMustExist = false;  // a number may be typed as the file name
    const FileChoice choice = services_.files.OpenFile(request);
    if (choice.outcome == FileChoice::Outcome::Cancelled) return;
    if (choice.outcome == FileChoice::Outcome::Failed) {
        services_.messages.Error(FormatText("PCX file open error# %d", choice.errorCode), "Error");
        return;
    }
    TileChosen(choice);
}

void EditorPanel::TileChosen(const FileChoice& choice) {
    const std::string tileFolder = choice.folderPart();
    services_.host.Folder(kTileFolder) = tileFolder;
    const std::string title = choice.fileTitle();
    state_.proposedTileName = title;
    if (BeginsWithH(title)) {
        state_.tileImagePath = PathToUtf8(choice.path);
        state_.tileName = title;
    } else {
        const auto id = ScanDecimal(title);
        if (!id) {
            services_.messages.Error("An invalid Tile Offset number entered.", "Error");
            return;
        }
        const std::string name = TileNameById(database_, *id);
        if (name.empty()) {
            services_.messages.Error(
                "An invalid Tile Offset number entered.  Not part of this Texture.bin",
                "Offset Number Error");
            return;
        }
        // A name of the database is read inside the tiles folder only.
        if (!IsTileFileName(name, services_.messages)) return;
        state_.tileName = name;
        state_.tileImagePath = tileFolder + name;
    }
    services_.host.StoreFolder(kTileFolder, tileFolder);
    LoadTile();
}

void EditorPanel::TellTileCounts() {
    if (!document_.HasTile()) return;
    const std::optional<int> position = database_.PositionOfId(document_.tileId());
    if (!position) return;
    const EditorWorkingSet& tables = document_.working();
    const std::array<int, 3> counts{*position, tables.pathCount(), tables.areaCount()};
    if (counts == toldCounts_) return;
    toldCounts_ = counts;
    services_.host.ShowTileCounts(counts[0], counts[1], counts[2]);
}

void EditorPanel::WriteBackTileOnScreen() {
    const int32_t id = document_.tileId();
    if (!document_.WriteBack()) return;
    if (const std::optional<int> position = database_.PositionOfId(id))
        services_.host.UpdateTileListRow(*position);
}

void EditorPanel::ForgetTileOnScreen() {
    WriteBackTileOnScreen();
    ClearEditor();
    document_.CloseTile();
}

void EditorPanel::LoadTile() {
    if (state_.tileName.size() > kMaxTileNameLength) {
        services_.messages.Error(FormatText("The tile image name %s is longer than 31 characters.",
                                            state_.tileName.c_str()),
                                 "Tile Name Error");
        return;
    }
    state_.viewerReady = true;
    readouts_.Set(kPanelTileName, state_.tileName);
    ForgetTileOnScreen();
    tracer_.reset();  // of the image before
    image_ = LoadPcxTile(PathFromUtf8(state_.tileImagePath));
    ++imageGeneration_;
    selection_.Clear();
    if (image_) view_.SetImagePixels(std::max(image_->Width(), image_->Height()));
    if (!image_) {
        // Nothing of the tile shown before stays under the new name, nor in
        // the header's fields.
        readouts_.ClearAll(kPanelOffset, kPanelSetNumber, kPanelTerrainType);
        services_.messages.Error(
            FormatText("The tile image %s could not be read.", state_.tileImagePath.c_str()),
            "Tile Image Error");
    } else if (document_.hasDatabase()) {
        OpenTileOfDatabase();
    } else {
        const uint16_t number = TileNumberFromName(state_.tileName);
        state_.currentSet = SetOfTileNumber(number);
        state_.currentTile = PositionOfTileNumber(number);
    }
    Post(kPanelRefresh);
}

void EditorPanel::OpenTileOfDatabase() {
    const TileIndexEntry* entry = FindIndexEntryByName(database_, state_.tileName);
    if (entry == nullptr) {
        // The header's fields would describe the tile shown before.
        readouts_.ClearAll(kPanelOffset, kPanelSetNumber, kPanelTerrainType);
        services_.messages.Error(
            FormatText("PCX file %s not in Texture.bin file.", state_.tileName.c_str()),
            "Tile Info Not Found");
        return;
    }
    state_.currentSet = entry->setIndex;
    state_.currentTile = entry->tileIndex;
    readouts_.Set(kPanelTerrainType, TypeName(entry->terrainType));
    readouts_.SetNumber(kPanelOffset, entry->id);
    readouts_.SetNumber(kPanelSetNumber, state_.currentSet);
    if (state_.currentSet >= database_.setCount() || state_.currentTile >= 16 ||
        !document_.OpenTile(state_.currentSet, state_.currentTile, choices_)) {
        services_.messages.Error(
            FormatText("Tile: %s  Set# = %d  Tile# = %d", state_.tileName.c_str(),
                       state_.currentSet, state_.currentTile),
            "Tile Index Error");
    }
}

void EditorPanel::ToggleShow(int32_t& flag) {
    flag = flag == 1 ? 0 : 1;
    Post(kPanelRefresh);
}

void EditorPanel::SpinDelta(int proposedChange) {
    services_.host.StepTileList(proposedChange > 0 ? TileStep::Down : TileStep::Up);
}

void EditorPanel::ListKey(PanelList, TileStep step) { services_.host.StepTileList(step); }

namespace {

// The rows are the entries in number order: row r is entry r + 1.
int32_t EntryOfRow(const ListView& rows, int selectedRow) {
    if (selectedRow < 0 || static_cast<size_t>(selectedRow) >= rows.RowCount()) return 0;
    return selectedRow + 1;
}

}  // namespace

// A row chosen (a double click or Enter) picks its entry: the frame shows it
// picked.
void EditorPanel::ActivateRow(PanelList list, int selectedRow) { SelectRow(list, selectedRow); }

bool EditorPanel::RemoveEntry(PanelList list, int32_t entry) {
    const EntryKind kind = list == PanelList::Paths ? EntryKind::Path : EntryKind::Area;
    tool_->EndStroke(*context_);
    return Apply(MakeRemoveEntry(document_.working(), document_.tileId(), kind, entry));
}

void EditorPanel::RightClickList(PanelList list, int selectedRow) {
    // Without a selected row nothing is removed: a stray right click must not
    // delete the first entry. A row of the selection removes all of it.
    const int32_t entry =
        EntryOfRow(list == PanelList::Paths ? pathRows() : areaRows(), selectedRow);
    tool_->EndStroke(*context_);
    if (Apply(RemoveEntries(document_.working(), document_.tileId(), ActedOn(list, entry))))
        selection_.Clear();
}

bool EditorPanel::DeleteNumber(PanelList list, const std::string& text) {
    const bool paths = list == PanelList::Paths;
    const int32_t n = ScanDecimal(text).value_or(0);
    const EditorWorkingSet& working = document_.working();
    const int32_t count = paths ? working.pathCount() : working.areaCount();
    if (n < 1 || n > count) {
        services_.messages.Exclamation(
            FormatText(paths ? "There is no number %d.  The available paths are %d thru %d."
                             : "There is no number %d.  The available areas are %d thru %d.",
                       n, 1, count),
            paths ? "Path Not Found" : "Area Not Found");
        return false;
    }
    RemoveEntry(list, n);
    return true;
}

bool EditorPanel::DeletePathNumber(const std::string& text) {
    return DeleteNumber(PanelList::Paths, text);
}

bool EditorPanel::DeleteAreaNumber(const std::string& text) {
    return DeleteNumber(PanelList::Areas, text);
}

bool EditorPanel::HasUnsavedEdits() const {
    return document_.hasDatabase() && document_.HasUnsavedChanges();
}

void EditorPanel::ShowTerrainType(const std::string& name) {
    readouts_.Set(kPanelTerrainType, name);
}

void EditorPanel::TilesAdded(int32_t set) {
    WriteBackTileOnScreen();
    document_.DatabaseChanged(choices_);
    ++databaseGeneration_;
    // The header goes on describing the tile on screen; without one it
    // shows the set added to.
    if (!document_.HasTile()) {
        state_.currentSet = set;
        readouts_.SetNumber(kPanelSetNumber, set);
    }
    Post(kPanelRefresh);
}

void EditorPanel::DatabaseReset() {
    ++databaseGeneration_;
    // No tile of the database before is on screen any more.
    toldCounts_ = {-1, -1, -1};
    services_.host.ShowTileCounts(-1, 0, 0);
    ClearEditor();
    image_.reset();
    selection_.Clear();
    readouts_.ClearAll(kPanelTileName, kPanelOffset, kPanelSetNumber, kPanelTerrainType);
    Post(kPanelRefresh);
}

void EditorPanel::DatabaseChanged() {
    document_.DatabaseChanged(choices_);
    ++databaseGeneration_;
}

}  // namespace lorvane
