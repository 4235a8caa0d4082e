// The editor panel's clipboard: the selection copied, cut, pasted (in
// place, or at the pointer) and duplicated, each change one step of the
// history.

#include "editor/clipboard.h"
#include "editor/editor_panel.h"

namespace lorvane {

namespace {

// How far a duplicate lies from what it copies, up and across (feet).
constexpr double kDuplicateOffset = 100;

}  // namespace

ClipboardEntries EditorPanel::SelectedEntries() const {
    if (!document_.HasTile()) return {};
    return SelectedClipboardEntries(document_.working(), selectedEntries());
}

std::string EditorPanel::CopySelection() const {
    const ClipboardEntries entries = SelectedEntries();
    return entries.empty() ? std::string() : ClipboardText(entries);
}

std::string EditorPanel::CutSelection() {
    const std::string text = CopySelection();
    if (text.empty()) return text;
    tool_->EndStroke(*context_);
    const std::vector<Pick> picks = selectedEntries();
    auto command = RemoveEntries(document_.working(), document_.tileId(), picks);
    if (!Apply(std::move(command))) return {};
    selection_.Clear();
    return text;
}

bool EditorPanel::AddEntries(const ClipboardEntries& entries, const std::string& verb) {
    if (!document_.HasTile() || entries.empty()) return false;
    tool_->EndStroke(*context_);
    const EditorWorkingSet& tables = document_.working();
    const int32_t paths = tables.pathCount(), areas = tables.areaCount();
    if (!Apply(PasteCommand(document_.tileId(), tables, entries, verb))) return false;
    // What was added is the selection, its first entry the current one.
    std::vector<Pick> added;
    for (size_t i = entries.areas.size(); i-- > 0;)
        added.push_back({EntryKind::Area, areas + 1 + int32_t(i), PickPart::Centre});
    for (size_t i = entries.paths.size(); i-- > 0;)
        added.push_back({EntryKind::Path, paths + 1 + int32_t(i), PickPart::Body});
    selection_.Set(std::move(added));
    return true;
}

bool EditorPanel::Paste(const std::string& text, bool atPointer) {
    const std::optional<ClipboardEntries> read = ReadClipboardText(text);
    if (!read || read->empty()) {
        if (document_.HasTile() && window_ != nullptr) window_->Beep();
        return false;
    }
    ClipboardEntries entries = *read;
    if (atPointer && pointerOnTile_) {
        // The first point of what is pasted lands under the pointer.
        const FeetPointF from =
            entries.paths.empty()
                ? FeetPointF{entries.areas.front().centerX, entries.areas.front().centerY}
                : FeetPointF{entries.paths.front().startX, entries.paths.front().startY};
        entries = MovedOnTile(entries, pointer_.x - from.x, pointer_.y - from.y);
    }
    return AddEntries(entries, "Paste");
}

bool EditorPanel::DuplicateSelection() {
    const ClipboardEntries entries = SelectedEntries();
    if (entries.empty()) return false;
    return AddEntries(MovedOnTile(entries, kDuplicateOffset, kDuplicateOffset), "Duplicate");
}

}  // namespace lorvane
