#pragma once
// The select tool, active whenever no drawing mode is on: a click picks the
// nearest segment or area within a few pixels (its list row follows), and
// with Shift adds it to the selection or with Ctrl adds or takes it out; a
// drag from beside every entry selects what lies inside its box (with Shift
// or Ctrl, adding to the selection). Dragging a segment's end moves it, and
// the joined end of the neighbouring segment with it; dragging an area's
// centre moves the area, dragging its rim sets its radius; dragging a
// segment's body, or any entry of a selection of several, moves the whole
// selection. Delete removes the selection. A drag is one command, made when
// the button is released; while it lasts the frame shows the tables as they
// will be.

#include <memory>
#include <optional>

#include "editor/tools.h"

namespace lorvane {

class SelectTool final : public Tool {
  public:
    ToolKind kind() const override { return ToolKind::Select; }
    void Press(ToolContext& context, const PointerEvent& event) override;
    void Move(ToolContext& context, const PointerEvent& event) override;
    void Release(ToolContext& context, const PointerEvent& event) override;
    bool Key(ToolContext& context, EditorKey key, Modifiers modifiers) override;
    void EndStroke(ToolContext& context) override;
    ToolView View(const ToolContext& context) const override;

  private:
    enum class Action { None, Pressed, Dragging };
    // What a drag does: moves the picked point (or sets the rim), moves the
    // whole selection, or draws a box to select with.
    enum class Mode { Point, Selection, Box };

    // Where the dragged point (or the rim) goes for this pointer.
    FeetPointF Target(const ToolContext& context, const PointerEvent& event);
    // The command of the drag so far; null when it changes nothing.
    std::unique_ptr<EditCommand> DragCommand(const ToolContext& context) const;

    Action action_ = Action::None;
    Mode mode_ = Mode::Point;
    bool boxAdds_ = false;  // the box adds to the selection
    FeetPointF pressedFeet_{};
    Pick pick_;
    ScreenPoint pressedAt_{};
    FeetPointF target_{};
    bool alone_ = false;  // Alt held: the picked end moves alone
    std::optional<Snapped> snap_;
};

}  // namespace lorvane
