#include "shell/editor_link.h"

#include "base/command_ids.h"
#include "editor/editor_panel.h"

namespace lorvane {

int EditorLink::CurrentSet() const { return panel_ != nullptr ? panel_->state.currentSet : 0; }

void EditorLink::ShowTerrainType(const std::string& name) {
    if (panel_ == nullptr) return;
    panel_->readouts.Set(kPanelTerrainType, name);
    Changed();
}

void EditorLink::WriteBackTileOnScreen() {
    // As the panel does before it loads another tile: only a tile marked
    // modified takes its working copy back.
    TileRecord* tile = panel_->CurrentTileRecord();
    if (tile == nullptr || tile->modified != 1) return;
    WriteBackPaths(panel_->working, database_, panel_->state.currentSet, panel_->state.currentTile);
    WriteBackAreas(panel_->working, database_, panel_->state.currentSet, panel_->state.currentTile);
    tile->modified = 0;
}

void EditorLink::MoveToAddedTile(int set, int tile) {
    if (panel_ == nullptr) return;
    WriteBackTileOnScreen();
    panel_->EndStroke();
    panel_->Command(kPanelClear);
    panel_->state.currentSet = set;
    panel_->state.currentTile = tile;
    panel_->state.hasCurrentTile = true;
    panel_->state.unsavedChanges = true;
    panel_->readouts.SetNumber(kPanelSetNumber, set);
    panel_->Post(kPanelRefresh);
    Changed();
}

void EditorLink::DatabaseReplaced() {
    if (panel_ == nullptr) return;
    panel_->EndStroke();
    panel_->Command(kPanelClear);
    panel_->state.hasCurrentTile = false;
    panel_->state.saveEnabled = true;
    panel_->state.savePath.clear();
    panel_->state.unsavedChanges = true;
    panel_->Post(kPanelRefresh);
    Changed();
}

void EditorLink::DatabaseChanged() {
    if (panel_ == nullptr) return;
    panel_->state.unsavedChanges = true;
    Changed();
}

}  // namespace lorvane
