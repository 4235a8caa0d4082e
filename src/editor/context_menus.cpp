// The editor panel's context menus: which actions a right click on a list
// row or on the viewer offers, and what they do. The window shows the menu.

#include "base/format.h"
#include "editor/clipboard.h"
#include "editor/editor_panel.h"
#include "editor/typed_values.h"

namespace lorvane {

namespace {

EntryKind KindOfList(PanelList list) {
    return list == PanelList::Paths ? EntryKind::Path : EntryKind::Area;
}

// The room left around an entry zoomed to, in feet.
constexpr double kZoomMarginFeet = 100;

}  // namespace

const char* ContextActionText(ContextAction action) {
    switch (action) {
        case ContextAction::Delete:
            return "Delete";
        case ContextAction::Copy:
            return "Copy";
        case ContextAction::ChangeType:
            return "Change Type...";
        case ContextAction::ChangeWidth:
            return "Change Width...";
        case ContextAction::ZoomTo:
            return "Zoom To";
        case ContextAction::NewPath:
            return "New Path...";
        case ContextAction::Trace:
            return "Trace";
        case ContextAction::NewArea:
            return "New Area...";
        case ContextAction::ZoomToTile:
            return "Zoom to Whole Tile";
    }
    return "";
}

std::vector<ContextAction> EditorPanel::ContextActions(PanelList list, int row) const {
    const int32_t count = EntryCount(document_.working(), KindOfList(list));
    if (!document_.HasTile() || row < 0 || row >= count) return {};
    if (list == PanelList::Areas)
        return {ContextAction::Delete, ContextAction::Copy, ContextAction::ChangeType,
                ContextAction::ZoomTo};
    return {ContextAction::Delete, ContextAction::Copy, ContextAction::ChangeType,
            ContextAction::ChangeWidth, ContextAction::ZoomTo};
}

std::vector<ContextAction> EditorPanel::ContextActions(const ContextTarget& target) const {
    if (target.row >= 0) return ContextActions(target.list, target.row);
    if (!showsImage()) return {};
    return {ContextAction::NewPath, ContextAction::Trace, ContextAction::NewArea,
            ContextAction::ZoomToTile};
}

std::optional<ContextTarget> EditorPanel::ViewerContextTarget(ScreenPoint at) {
    if (!showsImage() || !OnTile(at) || tool_->stroke().phase != StrokePhase::None)
        return std::nullopt;
    const EditorWorkingSet& tables = document_.working();
    const std::optional<Pick> pick =
        PickAt(at, view_, tables.paths, tables.areas, {kPickPixels, showPaths(), showAreas()});
    if (!pick) return ContextTarget{};
    // A right click on one of the selection keeps the selection.
    if (selection_.Contains(pick->kind, pick->entry))
        selection_.MakeCurrent(*pick);
    else
        selection_.SetOnly(pick);
    Post(kPanelRefresh);
    return ContextTarget{pick->kind == EntryKind::Path ? PanelList::Paths : PanelList::Areas,
                         pick->entry - 1};
}

bool EditorPanel::RunContextAction(ContextAction action, const ContextTarget& target) {
    const std::vector<ContextAction> offered = ContextActions(target);
    if (std::find(offered.begin(), offered.end(), action) == offered.end()) return false;
    const int32_t entry = target.row + 1;
    switch (action) {
        case ContextAction::Delete: {
            tool_->EndStroke(*context_);
            const std::vector<Pick> picks = ActedOn(target.list, entry);
            if (!Apply(RemoveEntries(document_.working(), document_.tileId(), picks))) return false;
            selection_.Clear();
            return true;
        }
        case ContextAction::Copy: {
            if (window_ == nullptr) return false;
            const std::vector<Pick> picks = ActedOn(target.list, entry);
            window_->PutOnClipboard(
                ClipboardText(SelectedClipboardEntries(document_.working(), picks)));
            return true;
        }
        case ContextAction::ChangeType:
            return ChangeEntryType(target.list, entry);
        case ContextAction::ChangeWidth:
            return ChangeEntryWidth(entry);
        case ContextAction::ZoomTo:
            ZoomToEntry(target.list, entry);
            return true;
        case ContextAction::NewPath:
            Command(kPanelNewPath);
            return true;
        case ContextAction::Trace:
            Command(kPanelTrace);
            return true;
        case ContextAction::NewArea:
            Command(kPanelNewArea);
            return true;
        case ContextAction::ZoomToTile:
            view_.Fit();
            Post(kPanelRefresh);
            return true;
    }
    return false;
}

std::string EditorPanel::EntryText(PanelList list, int row) const {
    const EditorWorkingSet& tables = document_.working();
    const int32_t entry = row + 1;
    if (entry < 1 || entry > EntryCount(tables, KindOfList(list))) return {};
    // The clipboard's own text, so that what is copied from a list pastes.
    ClipboardEntries entries;
    if (list == PanelList::Paths) {
        entries.paths.push_back(tables.Path(entry));
        entries.paths.back().beginsPath = true;
    } else {
        entries.areas.push_back(tables.Area(entry));
    }
    return ClipboardText(entries);
}

bool EditorPanel::ChangeEntryType(PanelList list, int32_t entry) {
    if (window_ == nullptr) return false;
    const EditorWorkingSet& tables = document_.working();
    const int32_t current =
        list == PanelList::Paths ? tables.Path(entry).typeChoice : tables.Area(entry).typeChoice;
    const std::optional<int32_t> chosen = window_->ChooseEntryType(list, current);
    const size_t types = list == PanelList::Paths ? PathTypeCodes.size() : AreaTypeCodes.size();
    if (!chosen || *chosen < 0 || size_t(*chosen) >= types || *chosen == current) return false;
    // The tables may have changed while the dialog was open.
    if (entry > EntryCount(document_.working(), KindOfList(list))) return false;
    tool_->EndStroke(*context_);
    return Apply(ChangeEntries(document_.working(), document_.tileId(), ActedOn(list, entry),
                               KindOfList(list), ValueField::Type, static_cast<float>(*chosen)));
}

bool EditorPanel::ChangeEntryWidth(int32_t entry) {
    if (window_ == nullptr) return false;
    const auto current = static_cast<int32_t>(document_.working().Path(entry).width);
    const std::optional<int32_t> chosen = window_->ChooseEntryWidth(current);
    if (!chosen) return false;
    if (*chosen < 1) {
        services_.messages.Exclamation(kWidthRefusal, kTypedValueCaption);
        return false;
    }
    if (entry > document_.working().pathCount()) return false;
    tool_->EndStroke(*context_);
    return Apply(ChangeEntries(document_.working(), document_.tileId(),
                               ActedOn(PanelList::Paths, entry), EntryKind::Path, ValueField::Width,
                               static_cast<float>(*chosen)));
}

std::vector<Pick> EditorPanel::ActedOn(PanelList list, int32_t entry) const {
    const EntryKind kind = KindOfList(list);
    if (selection_.Contains(kind, entry)) return selectedEntries();
    return {Pick{kind, entry, kind == EntryKind::Path ? PickPart::Body : PickPart::Centre}};
}

void EditorPanel::ZoomToEntry(PanelList list, int32_t entry) {
    const EditorWorkingSet& tables = document_.working();
    if (list == PanelList::Paths) {
        const WorkingPath& p = tables.Path(entry);
        const double margin = kZoomMarginFeet + p.width / 2.0;
        view_.ShowFeet({p.startX, p.startY}, {p.endX, p.endY}, margin);
    } else {
        const WorkingArea& a = tables.Area(entry);
        const double r = std::max(double(a.radius), 0.0);
        view_.ShowFeet({a.centerX - r, a.centerY - r}, {a.centerX + r, a.centerY + r},
                       kZoomMarginFeet);
    }
    const Pick pick{KindOfList(list), entry,
                    list == PanelList::Paths ? PickPart::Body : PickPart::Centre};
    if (selection_.Contains(pick.kind, pick.entry))
        selection_.MakeCurrent(pick);
    else
        selection_.SetOnly(pick);
    Post(kPanelRefresh);
}

}  // namespace lorvane
