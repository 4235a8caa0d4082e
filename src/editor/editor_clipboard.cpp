// The editor panel's clipboard: the picked entry copied, cut, pasted (in
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
    const std::optional<Pick> pick = selection();
    if (!pick || !document_.HasTile()) return {};
    const PanelList list = pick->kind == EntryKind::Path ? PanelList::Paths : PanelList::Areas;
    return ReadClipboardText(EntryText(list, pick->entry - 1)).value_or(ClipboardEntries{});
}

std::string EditorPanel::CopySelection() const {
    const ClipboardEntries entries = SelectedEntries();
    return entries.empty() ? std::string() : ClipboardText(entries);
}

std::string EditorPanel::CutSelection() {
    const std::string text = CopySelection();
    if (text.empty()) return text;
    const Pick pick = *selection();
    if (!RemoveEntry(pick.kind == EntryKind::Path ? PanelList::Paths : PanelList::Areas,
                     pick.entry))
        return {};
    selection_.reset();
    return text;
}

bool EditorPanel::AddEntries(const ClipboardEntries& entries, const std::string& verb) {
    if (!document_.HasTile() || entries.empty()) return false;
    tool_->EndStroke(*context_);
    const EditorWorkingSet& tables = document_.working();
    const Pick first = entries.paths.empty()
                           ? Pick{EntryKind::Area, tables.areaCount() + 1, PickPart::Centre}
                           : Pick{EntryKind::Path, tables.pathCount() + 1, PickPart::Body};
    if (!Apply(PasteCommand(document_.tileId(), tables, entries, verb))) return false;
    selection_ = first;
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
