#include "shell/editor_link.h"

#include "editor/editor_panel.h"

namespace lorvane {

int EditorLink::CurrentSet() const { return panel_ != nullptr ? panel_->currentSet() : 0; }

void EditorLink::ShowTerrainType(const std::string& name) {
    if (panel_ == nullptr) return;
    panel_->ShowTerrainType(name);
    Changed();
}

void EditorLink::WriteBackTileOnScreen() {
    if (panel_ != nullptr) panel_->WriteBackTileOnScreen();
}

void EditorLink::TilesAdded(int set) {
    if (panel_ == nullptr) return;
    panel_->TilesAdded(set);
    Changed();
}

void EditorLink::DatabaseReplaced() {
    if (panel_ == nullptr) return;
    panel_->DatabaseReplaced();
    Changed();
}

void EditorLink::DatabaseChanged() {
    if (panel_ == nullptr) return;
    panel_->DatabaseChanged();
    Changed();
}

}  // namespace lorvane
