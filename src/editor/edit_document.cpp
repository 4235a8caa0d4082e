#include "editor/edit_document.h"

#include "tiledb/tile_exchange.h"

namespace lorvane {

namespace {

bool RecordHolds(const TileRecord& record, const std::vector<TilePath>& paths,
                 const std::vector<TileArea>& areas) {
    return record.paths == paths && record.areas == areas;
}

}  // namespace

TileRecord* EditDocument::RecordById(int32_t id) {
    for (const TileIndexEntry& entry : database_.index) {
        if (entry.id != id) continue;
        if (TileRecord* record = database_.Tile(entry); record != nullptr && record->id == id)
            return record;
    }
    return nullptr;
}

EditDocument::TileEdits* EditDocument::OpenEdits() {
    if (!open_) return nullptr;
    const auto it = edits_.find(open_->id);
    return it == edits_.end() ? nullptr : &it->second;
}

void EditDocument::Reset(bool loaded, bool unsaved) {
    hasDatabase_ = loaded;
    edits_.clear();
    open_.reset();
    ClearWorkingSet(working_);
    databaseChanged_ = unsaved;
}

bool EditDocument::OpenTile(int32_t set, int32_t tile, EditorChoices& choices) {
    CloseTile();
    TileRecord* record = database_.RecordAt(set, tile);
    if (record == nullptr) return false;
    TakeInPaths(working_, choices, database_, set, tile);
    TakeInAreas(working_, choices, database_, set, tile);
    RebuildRows(working_);
    const auto [it, created] = edits_.try_emplace(record->id);
    TileEdits& edits = it->second;
    if (created) {
        edits.basePaths = edits.savedPaths = record->paths;
        edits.baseAreas = edits.savedAreas = record->areas;
    }
    edits.recordPaths = record->paths;
    edits.recordAreas = record->areas;
    edits.history.MarkWritten();
    open_ = OpenTileRef{record->id, set, tile};
    return true;
}

void EditDocument::CloseTile() {
    WriteBack();
    open_.reset();
    ClearWorkingSet(working_);
}

bool EditDocument::WriteBack() {
    TileEdits* edits = OpenEdits();
    if (edits == nullptr || edits->history.IsWritten()) return false;
    TileRecord* record = database_.RecordAt(open_->set, open_->tile);
    if (record == nullptr) return false;
    if (edits->history.position() == 0) {
        record->paths = edits->basePaths;
        record->areas = edits->baseAreas;
    } else {
        WriteBackPaths(working_, database_, open_->set, open_->tile, &edits->savedPaths);
        WriteBackAreas(working_, database_, open_->set, open_->tile, &edits->savedAreas);
    }
    edits->recordPaths = record->paths;
    edits->recordAreas = record->areas;
    edits->history.MarkWritten();
    return true;
}

void EditDocument::Changed(EditEvent event, const EditCommand& command) {
    ++changeCount_;
    RebuildRows(working_);
    const TileEdits* edits = OpenEdits();
    // The export mark is raised by the first change and never lowered here:
    // a tile exported with its changes undone is exported as it is, and a
    // mark set by an import is never lost.
    if (edits != nullptr && edits->history.position() != 0) MarkTileForExport(database_, open_->id);
    if (listener_) listener_(event, command);
}

bool EditDocument::Apply(std::unique_ptr<EditCommand> command) {
    TileEdits* edits = OpenEdits();
    if (edits == nullptr || command == nullptr || command->tileId() != open_->id) return false;
    if (!edits->history.Push(std::move(command), working_)) return false;
    Changed(EditEvent::Done, *edits->history.NextUndo());
    return true;
}

bool EditDocument::Undo() {
    TileEdits* edits = OpenEdits();
    if (edits == nullptr || !edits->history.Undo(working_)) return false;
    Changed(EditEvent::Undone, *edits->history.NextRedo());
    return true;
}

bool EditDocument::Redo() {
    TileEdits* edits = OpenEdits();
    if (edits == nullptr || !edits->history.Redo(working_)) return false;
    Changed(EditEvent::Redone, *edits->history.NextUndo());
    return true;
}

const EditCommand* EditDocument::NextUndo() const {
    const auto* edits = const_cast<EditDocument*>(this)->OpenEdits();
    return edits == nullptr ? nullptr : edits->history.NextUndo();
}

const EditCommand* EditDocument::NextRedo() const {
    const auto* edits = const_cast<EditDocument*>(this)->OpenEdits();
    return edits == nullptr ? nullptr : edits->history.NextRedo();
}

void EditDocument::MarkSaved() {
    for (auto& [id, edits] : edits_) {
        edits.history.MarkSaved();
        if (const TileRecord* record = RecordById(id)) {
            edits.savedPaths = record->paths;
            edits.savedAreas = record->areas;
        }
    }
    databaseChanged_ = false;
}

void EditDocument::DatabaseChanged(EditorChoices& choices) {
    databaseChanged_ = true;
    std::optional<OpenTileRef> reopen;
    for (auto it = edits_.begin(); it != edits_.end();) {
        const TileRecord* record = RecordById(it->first);
        if (record != nullptr &&
            RecordHolds(*record, it->second.recordPaths, it->second.recordAreas)) {
            ++it;
            continue;
        }
        if (open_ && open_->id == it->first) {
            reopen = open_;
            open_.reset();
        }
        it = edits_.erase(it);
    }
    if (reopen) OpenTile(reopen->set, reopen->tile, choices);
}

bool EditDocument::HasUnsavedChanges() const {
    if (databaseChanged_) return true;
    for (const auto& [id, edits] : edits_)
        if (!edits.history.IsSaved()) return true;
    return false;
}

}  // namespace lorvane
