// The editor panel's input over the viewer: the mouse and the keys go to the
// tool in use, which turns them into commands of the edit document; undo
// and redo; choosing the tool (New Path, New Area, Continue, Esc).

#include <algorithm>
#include <utility>

#include "base/format.h"
#include "editor/editor_panel.h"
#include "trace/suggester.h"
#include "trace/tracer.h"

namespace lorvane {

ToolKind EditorPanel::tool() const { return tool_->kind(); }

const Stroke& EditorPanel::stroke() const { return tool_->stroke(); }

SnapOptions EditorPanel::SnapOptionsFor(Modifiers modifiers) const {
    return {snapping_ && !modifiers.alt, gridStep_, snapPixels_, edgeMarkers()};
}

PointerEvent EditorPanel::PointerOnView(ScreenPoint at, MouseButton button,
                                        Modifiers modifiers) const {
    PointerEvent event;
    event.button = button;
    event.screen = at;
    event.modifiers = modifiers;
    event.precise = view_.ToFeet(at);
    if (tool_->kind() != ToolKind::Select) {
        // A drawn point snaps, or with Shift keeps to 15 degrees from the open point.
        const Stroke& stroke = tool_->stroke();
        std::optional<FeetPointF> anchor;
        if (stroke.phase == StrokePhase::PathOpen)
            anchor = FeetPointF{double(stroke.open.x), double(stroke.open.y)};
        const EditorWorkingSet& tables = document_.working();
        event.snap = PlacePoint(event.precise, view_, tables.paths, tables.areas,
                                SnapOptionsFor(modifiers), anchor, modifiers.shift);
        event.precise = event.snap.point;
    }
    event.feet = {StoredFeet(event.precise.x), StoredFeet(event.precise.y)};
    return event;
}

bool EditorPanel::OnTile(ScreenPoint at) const {
    if (!state_.viewerReady) return false;
    const FeetPointF feet = view_.ToFeet(at);
    return feet.x >= 0 && feet.x <= TILE_SPAN && feet.y >= 0 && feet.y <= TILE_SPAN;
}

void EditorPanel::PointerMoved(ScreenPoint at, Modifiers modifiers) {
    pointerOnTile_ = OnTile(at);
    if (!pointerOnTile_) return;
    const PointerEvent event = PointerOnView(at, MouseButton::Left, modifiers);
    pointer_ = event.precise;
    readouts_.SetFeet(kPanelPointerY, event.feet.y);
    readouts_.SetFeet(kPanelPointerX, event.feet.x);
    tool_->Move(*context_, event);
}

void EditorPanel::PointerPressed(MouseButton button, ScreenPoint at, Modifiers modifiers) {
    if (OnTile(at)) tool_->Press(*context_, PointerOnView(at, button, modifiers));
}

void EditorPanel::PointerReleased(MouseButton button, ScreenPoint at, Modifiers modifiers) {
    if (button == MouseButton::Left && std::exchange(doubleClickRelease_, false)) return;
    if (!OnTile(at)) {
        // A drag let go beside the tile still ends.
        if (tool_->kind() == ToolKind::Select) tool_->EndStroke(*context_);
        if (button == MouseButton::Left) services_.host.FocusTileList();
        return;
    }
    // A click picks the suggestion under it.
    if (button == MouseButton::Left && tool_->kind() == ToolKind::Select && !suggestions_.empty())
        if (const auto near = suggestions_.Nearest(view_.ToFeet(at), view_.ToFeet(kPickPixels)))
            suggestions_.Pick(*near);
    tool_->Release(*context_, PointerOnView(at, button, modifiers));
}

void EditorPanel::PointerDoubleClicked(ScreenPoint at) {
    // The first click of the two placed its point as a click does; the
    // double click ends the path there (Enter: a path ends, a trace is
    // accepted). A centre open stays open: its radius is the next click.
    const ToolKind kind = tool_->kind();
    const bool path = kind == ToolKind::Path || kind == ToolKind::Trace;
    if (!OnTile(at) || !path || tool_->stroke().phase != StrokePhase::PathOpen) return;
    tool_->Key(*context_, EditorKey::Enter, {});
    doubleClickRelease_ = true;
}

bool EditorPanel::Key(EditorKey key, Modifiers modifiers) {
    return tool_->Key(*context_, key, modifiers);
}

void EditorPanel::EndStroke() { tool_->EndStroke(*context_); }

void EditorPanel::SwitchTool(ToolKind kind) {
    tool_->EndStroke(*context_);
    if (tool_->kind() != kind) tool_ = MakeTool(kind);
}

bool EditorPanel::Apply(std::unique_ptr<EditCommand> command) {
    if (!document_.Apply(std::move(command))) return false;
    Post(kPanelRefresh);
    return true;
}

void EditorPanel::Undo() {
    if (tool_->StepBack(*context_)) return;
    if (!document_.Undo()) return;
    readouts_.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    Post(kPanelRefresh);
}

void EditorPanel::Redo() {
    if (tool_->StepForward(*context_)) return;
    if (!document_.Redo()) return;
    Post(kPanelRefresh);
}

std::string EditorPanel::UndoText() const {
    std::string own = tool_->StepBackText(*context_);
    if (!own.empty()) return own;
    const EditCommand* next = document_.NextUndo();
    return next != nullptr ? next->Text() : std::string();
}

std::string EditorPanel::RedoText() const {
    const EditCommand* next = document_.NextRedo();
    return next != nullptr ? next->Text() : std::string();
}

void EditorPanel::StartPaths(bool newPath) {
    if (!state_.viewerReady) return;
    if (newPath) {
        if (window_ == nullptr || !window_->RunNewPathDialog()) return;
    } else {
        // Continue before any New Path takes what the dialog would propose,
        // and shows it: never a width of 0.
        AcceptNewPath(ContinuePath(choices_));
    }
    SwitchTool(ToolKind::Path);
    readouts_.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    state_.showPaths = 1;
}

void EditorPanel::StartAreas(bool newArea) {
    if (!state_.viewerReady) return;
    if (newArea) {
        if (window_ == nullptr || !window_->RunNewAreaDialog()) return;
    } else {
        lorvane::AcceptNewArea(choices_, lorvane::OpenNewArea(choices_), readouts_);
    }
    SwitchTool(ToolKind::Area);
    readouts_.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    state_.showAreas = 1;
}

void EditorPanel::StartTrace() {
    if (!state_.viewerReady || !showsImage()) return;
    // The trace takes the New Path choice; before any, what New Path would
    // propose, as Continue does.
    if (choices_.currentPathType == 0) AcceptNewPath(ContinuePath(choices_));
    SwitchTool(ToolKind::Trace);
    readouts_.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    state_.showPaths = 1;
}

void EditorPanel::SuggestOnTile() {
    if (!showsImage() || !document_.HasTile()) return;
    // Suggestions are picked with the select tool.
    SwitchTool(ToolKind::Select);
    // Features along the tile's paths are not suggested again.
    std::vector<TraceSegment> existing;
    std::vector<double> widths;
    for (const WorkingPath& path : document_.working().paths) {
        existing.push_back({{path.startX, path.startY}, {path.endX, path.endY}});
        widths.push_back(path.width);
    }
    SuggestOptions options;
    options.existing = existing;
    options.existingWidthFeet = widths;
    try {
        suggestions_.Show(SuggestPaths(*image_, options), services_.host.SuggestionColours());
    } catch (const std::bad_alloc&) {
        suggestions_.Clear();
        services_.messages.Error("There is not enough memory to suggest the paths of this tile.",
                                 "Suggest Paths");
    }
    if (suggestions_.empty())
        services_.messages.Information("No path to suggest was found on this tile.",
                                       "Suggest Paths");
    state_.showPaths = 1;
    Post(kPanelRefresh);
}

void EditorPanel::AcceptSuggestions(bool all) {
    if (!document_.HasTile()) return;
    const int32_t tile = document_.tileId();
    const int32_t last = document_.working().pathCount();
    std::unique_ptr<EditCommand> command =
        all ? suggestions_.AcceptAll(tile, last) : suggestions_.AcceptPicked(tile, last);
    if (command) Apply(std::move(command));
    Post(kPanelRefresh);
}

bool EditorPanel::SetSuggestionType(int32_t typeChoice) {
    const std::optional<size_t> picked = suggestions_.picked();
    if (!picked || typeChoice < 0 || typeChoice >= int32_t(PathTypeCodes.size())) return false;
    SuggestionTypes types = services_.host.SuggestionColours();
    types.Assign(typeChoice, suggestions_.items()[*picked].path.colour);
    services_.host.StoreSuggestionColours(types);
    suggestions_.Retype(types);
    Post(kPanelRefresh);
    return true;
}

Tracer* EditorPanel::TracerOfImage() {
    if (!showsImage()) return nullptr;
    if (tracer_ && tracerGeneration_ == imageGeneration_) return tracer_.get();
    tracer_.reset();
    try {
        tracer_ = std::make_unique<Tracer>(*image_);
    } catch (const std::bad_alloc&) {
        // Without the memory to measure the image's lines, every leg of a
        // trace is straight.
        tracer_.reset();
    }
    tracerGeneration_ = imageGeneration_;
    return tracer_.get();
}

NewPathForm EditorPanel::OpenNewPath() { return lorvane::OpenNewPath(choices_); }

NewPathForm EditorPanel::ChangeNewPathType(int position) {
    return lorvane::ChangeNewPathType(choices_, position);
}

bool EditorPanel::AcceptNewPath(const NewPathForm& form) {
    if (const auto refusal = CheckNewPathWidth(form)) {
        services_.messages.Exclamation(*refusal, "Width Error");
        return false;
    }
    lorvane::AcceptNewPath(choices_, form, readouts_);
    return true;
}

int EditorPanel::OpenNewArea() { return lorvane::OpenNewArea(choices_); }

void EditorPanel::AcceptNewArea(int selected) {
    lorvane::AcceptNewArea(choices_, selected, readouts_);
}

}  // namespace lorvane
