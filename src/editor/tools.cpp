// The path, area and select tools.

#include "editor/tools.h"

#include <cmath>

#include "base/command_ids.h"
#include "editor/pens.h"
#include "editor/select_tool.h"

namespace lorvane {

const Stroke& Tool::stroke() const {
    static const Stroke kNone;
    return kNone;
}

bool DrawingKey(Tool& tool, ToolContext& context, EditorKey key, bool open,
                const std::function<void()>& enter) {
    switch (key) {
        case EditorKey::Escape:
            // Esc cancels what is open; with nothing open it leaves drawing.
            if (open) {
                tool.EndStroke(context);
            } else {
                context.SwitchTool(ToolKind::Select);
            }
            return true;
        case EditorKey::Enter:
            enter();
            return true;
        case EditorKey::Backspace:
            tool.StepBack(context);
            return true;
        case EditorKey::Delete:
            return false;
    }
    return false;
}

namespace {

// What the path and area tools share: the open point and its rubber band.
class DrawingTool : public Tool {
  public:
    const Stroke& stroke() const override { return stroke_; }

    void Move(ToolContext&, const PointerEvent& event) override {
        pointer_ = event.precise;
        snap_ = event.snap;
    }

    bool Key(ToolContext& context, EditorKey key, Modifiers) override {
        return DrawingKey(*this, context, key, stroke_.phase != StrokePhase::None,
                          [&] { EndStroke(context); });
    }

    void EndStroke(ToolContext& context) override {
        if (stroke_.phase == StrokePhase::None) return;
        const bool paths = stroke_.phase == StrokePhase::PathOpen;
        stroke_ = Stroke{};
        context.RequestRefresh();
        if (paths) {
            context.readouts().ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY);
        } else {
            context.readouts().ClearAll(kPanelRadius, kPanelCentreX, kPanelCentreY);
        }
    }

    ToolView View(const ToolContext& context) const override {
        ToolView view;
        view.snap = snap_;
        if (stroke_.phase == StrokePhase::None) return view;
        const FeetPointF open{double(stroke_.open.x), double(stroke_.open.y)};
        const EditorChoices& choices = context.choices();
        if (stroke_.phase == StrokePhase::PathOpen) {
            view.rubber =
                RubberBand{false, open, pointer_, PathPen(PathChoice(choices)), PathWidth(choices)};
        } else {
            view.rubber = RubberBand{true, open, pointer_, AreaPen(choices.currentAreaChoice), 0};
        }
        return view;
    }

  protected:
    // The type and width of the open path's segments.
    int32_t PathChoice(const EditorChoices& choices) const {
        return stroke_.marker ? stroke_.marker->typeChoice : choices.currentPathChoice;
    }
    int32_t PathWidth(const EditorChoices& choices) const {
        return stroke_.marker ? stroke_.marker->width : choices.currentWidth;
    }

    // Opens a point at the click.
    void Open(StrokePhase phase, const PointerEvent& event) {
        stroke_ = Stroke{};
        stroke_.phase = phase;
        stroke_.open = event.feet;
        pointer_ = event.precise;
    }

    Stroke stroke_;
    FeetPointF pointer_{};  // where the rubber band goes to
    Snapped snap_{};
};

class PathTool final : public DrawingTool {
  public:
    ToolKind kind() const override { return ToolKind::Path; }

    void Release(ToolContext& context, const PointerEvent& event) override {
        if (event.button == MouseButton::Right) {
            EndStroke(context);
            return;
        }
        if (!context.document().HasTile()) return;
        if (stroke_.phase == StrokePhase::None) {
            Open(StrokePhase::PathOpen, event);
            stroke_.marker = event.snap.marker;
            context.readouts().SetFeet(kPanelStartX, event.feet.x);
            context.readouts().SetFeet(kPanelStartY, event.feet.y);
            return;
        }
        // A click on the open point would store a segment of no length.
        if (event.feet == stroke_.open) return;
        AddSegment(context, event);
    }

    bool StepBack(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        if (stroke_.added.empty()) {
            EndStroke(context);  // only the first point was open
            return true;
        }
        if (context.document().NextUndo() != stroke_.added.back().command) {
            // Something else was done since: the history undoes that.
            EndStroke(context);
            return false;
        }
        context.document().Undo();
        stroke_.steppedBack.push_back(stroke_.added.back());
        stroke_.added.pop_back();
        const WorkingPath& segment = stroke_.steppedBack.back().segment;
        MoveOpenPoint(context, {segment.startX, segment.startY});
        return true;
    }

    bool StepForward(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        if (stroke_.steppedBack.empty() ||
            context.document().NextRedo() != stroke_.steppedBack.back().command) {
            EndStroke(context);
            return false;
        }
        context.document().Redo();
        stroke_.added.push_back(stroke_.steppedBack.back());
        stroke_.steppedBack.pop_back();
        const WorkingPath& segment = stroke_.added.back().segment;
        MoveOpenPoint(context, {segment.endX, segment.endY});
        return true;
    }

    std::string StepBackText(const ToolContext& context) const override {
        if (stroke_.phase != StrokePhase::PathOpen) return {};
        if (stroke_.added.empty()) return "Start Point";
        const EditCommand* last = context.document().NextUndo();
        return last == stroke_.added.back().command ? last->Text() : std::string();
    }

    bool MoveStart(ToolContext& context, FeetPoint to) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        PanelReadouts& readouts = context.readouts();
        if (stroke_.added.empty()) {
            stroke_.open = to;
            readouts.SetFeet(kPanelStartX, to.x);
            readouts.SetFeet(kPanelStartY, to.y);
            context.RequestRefresh();
            return true;
        }
        // The stroke's segments are the last entries of the table.
        EditDocument& document = context.document();
        const EditorWorkingSet& tables = document.working();
        const int32_t first = tables.pathCount() - int32_t(stroke_.added.size()) + 1;
        WorkingPath& segment = stroke_.added.front().segment;
        if (first < 1 || !(tables.Path(first) == segment)) return false;
        // The first segment would have no length.
        if (to == FeetPoint{segment.endX, segment.endY}) return false;
        auto command =
            MakeMovePoint(tables, document.tileId(), EntryKind::Path, first, PointRole::Start, to);
        if (!command || !document.Apply(std::move(command))) return false;
        segment = document.working().Path(first);
        readouts.SetFeet(kPanelStartX, to.x);
        readouts.SetFeet(kPanelStartY, to.y);
        context.RequestRefresh();
        return true;
    }

  private:
    void AddSegment(ToolContext& context, const PointerEvent& event) {
        EditDocument& document = context.document();
        WorkingPath segment;
        segment.typeChoice = PathChoice(context.choices());
        segment.width = static_cast<float>(PathWidth(context.choices()));
        segment.startX = stroke_.open.x;
        segment.startY = stroke_.open.y;
        segment.beginsPath = stroke_.added.empty();
        segment.endX = event.feet.x;
        segment.endY = event.feet.y;
        const int32_t entry = document.working().pathCount() + 1;
        auto command = std::make_unique<AddSegmentCommand>(document.tileId(), entry, segment);
        const EditCommand* added = command.get();
        if (!document.Apply(std::move(command))) return;
        PanelReadouts& readouts = context.readouts();
        readouts.SetFeet(kPanelEndX, segment.endX);
        readouts.SetFeet(kPanelEndY, segment.endY);
        readouts.SetFeet(kPanelStartX, segment.startX);
        readouts.SetFeet(kPanelStartY, segment.startY);
        stroke_.open = event.feet;
        pointer_ = event.precise;
        stroke_.added.push_back({added, segment});
        stroke_.steppedBack.clear();
    }

    // After a step back or forward: the band goes on from the new open point
    // once the viewer is drawn again.
    void MoveOpenPoint(ToolContext& context, FeetPoint point) {
        stroke_.open = point;
        context.readouts().ClearAll(kPanelEndX, kPanelEndY, kPanelStartX, kPanelStartY);
        context.RequestRefresh();
    }
};

class AreaTool final : public DrawingTool {
  public:
    ToolKind kind() const override { return ToolKind::Area; }

    void Release(ToolContext& context, const PointerEvent& event) override {
        if (event.button == MouseButton::Right) {
            EndStroke(context);
            return;
        }
        if (!context.document().HasTile()) return;
        if (stroke_.phase == StrokePhase::None) {
            Open(StrokePhase::CentreOpen, event);
            context.readouts().SetFeet(kPanelCentreX, event.feet.x);
            context.readouts().SetFeet(kPanelCentreY, event.feet.y);
            return;
        }
        const Stroke open = stroke_;
        EndStroke(context);
        WorkingArea area;
        area.typeChoice = context.choices().currentAreaChoice;
        // The radius in feet from the centre to the (snapped) pointer.
        area.radius = static_cast<float>(
            Distance(FeetPointF{double(open.open.x), double(open.open.y)}, event.precise));
        area.centerX = open.open.x;
        area.centerY = open.open.y;
        // A circle of no radius is not stored: a click on the centre (which
        // is its float, a hair off the pointer's feet) is none.
        if (event.feet == open.open || !(area.radius > 0)) return;
        EditDocument& document = context.document();
        const int32_t entry = document.working().areaCount() + 1;
        if (!document.Apply(std::make_unique<AddAreaCommand>(document.tileId(), entry, area)))
            return;
        context.readouts().SetFeet(kPanelRadius, area.radius);
    }

    bool StepBack(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::CentreOpen) return false;
        EndStroke(context);
        return true;
    }

    std::string StepBackText(const ToolContext&) const override {
        return stroke_.phase == StrokePhase::CentreOpen ? "Center" : "";
    }
};

}  // namespace

std::unique_ptr<Tool> MakeTool(ToolKind kind) {
    switch (kind) {
        case ToolKind::Path:
            return std::make_unique<PathTool>();
        case ToolKind::Area:
            return std::make_unique<AreaTool>();
        case ToolKind::Trace:
            return MakeTraceTool();
        case ToolKind::Select:
            break;
    }
    return std::make_unique<SelectTool>();
}

}  // namespace lorvane
