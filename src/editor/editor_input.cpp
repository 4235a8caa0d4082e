// The editor panel's input over the viewer: the mouse and the keys go to the
// tool in use, which turns them into commands of the edit document; undo
// and redo; choosing the tool (New Path, New Area, Continue, Esc).

#include "base/format.h"
#include "editor/editor_panel.h"

namespace lorvane {

ToolKind EditorPanel::tool() const { return tool_->kind(); }

const Stroke& EditorPanel::stroke() const { return tool_->stroke(); }

bool EditorPanel::OnImage(int x, int y) const {
    return state_.viewerReady && geometry_.imageArea.Contains(x, y);
}

PointerEvent EditorPanel::PointerAt(int x, int y, MouseButton button, Modifiers modifiers) const {
    PointerEvent event;
    event.button = button;
    event.pixel = {static_cast<int16_t>(x - geometry_.imageArea.left),
                   static_cast<int16_t>(y - geometry_.imageArea.top)};
    // Y runs across the viewer, X up it.
    event.feet = {PixelToTile(geometry_, y, Axis::Vertical),
                  PixelToTile(geometry_, x, Axis::Horizontal)};
    event.modifiers = modifiers;
    return event;
}

void EditorPanel::MouseMove(int x, int y, Modifiers modifiers) {
    if (!OnImage(x, y)) return;
    const PointerEvent event = PointerAt(x, y, MouseButton::Left, modifiers);
    readouts_.SetNumber(kPanelPointerY, event.feet.y);
    readouts_.SetNumber(kPanelPointerX, event.feet.x);
    tool_->Move(*context_, event);
}

void EditorPanel::LeftButtonDown(int x, int y, Modifiers modifiers) {
    if (OnImage(x, y)) tool_->Press(*context_, PointerAt(x, y, MouseButton::Left, modifiers));
}

void EditorPanel::LeftButtonUp(int x, int y, Modifiers modifiers) {
    if (!OnImage(x, y)) {
        services_.host.FocusTileList();
        return;
    }
    tool_->Release(*context_, PointerAt(x, y, MouseButton::Left, modifiers));
}

void EditorPanel::RightButtonUp(int x, int y, Modifiers modifiers) {
    if (OnImage(x, y)) tool_->Release(*context_, PointerAt(x, y, MouseButton::Right, modifiers));
}

void EditorPanel::LeftDoubleClick(int x, int y) {
    if (!OnImage(x, y)) Undo();
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
        if (!services_.host.RunNewPathDialog()) return;
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
        if (!services_.host.RunNewAreaDialog()) return;
    } else {
        lorvane::AcceptNewArea(choices_, lorvane::OpenNewArea(choices_), readouts_);
    }
    SwitchTool(ToolKind::Area);
    readouts_.ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY, kPanelRadius,
                       kPanelCentreX, kPanelCentreY);
    state_.showAreas = 1;
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
