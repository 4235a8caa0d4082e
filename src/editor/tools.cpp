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

namespace {

// What the path and area tools share: the open point and its rubber band.
class DrawingTool : public Tool {
  public:
    const Stroke& stroke() const override { return stroke_; }

    void Move(ToolContext& context, const PointerEvent& event) override {
        pointer_ = event.precise;
        snap_ = event.snap;
        if (stroke_.phase == StrokePhase::None) return;
        Canvas& canvas = context.canvas();
        DrawLine(canvas, stroke_.anchor, stroke_.rubberEnd);  // erases the old line
        DrawLine(canvas, stroke_.anchor, event.pixel);
        if (stroke_.phase == StrokePhase::CentreOpen) {
            DrawCircle(canvas, stroke_.anchor, stroke_.rubberRadius);
            stroke_.rubberRadius = Distance(stroke_.anchor, event.pixel);
            DrawCircle(canvas, stroke_.anchor, stroke_.rubberRadius);
        }
        stroke_.rubberEnd = event.pixel;
    }

    bool Key(ToolContext& context, EditorKey key, Modifiers) override {
        switch (key) {
            case EditorKey::Escape:
                // Esc cancels what is open; with nothing open it leaves drawing.
                if (stroke_.phase != StrokePhase::None) {
                    EndStroke(context);
                } else {
                    context.SwitchTool(ToolKind::Select);
                }
                return true;
            case EditorKey::Enter:
                EndStroke(context);
                return true;
            case EditorKey::Backspace:
                StepBack(context);
                return true;
            case EditorKey::Delete:
                return false;
        }
        return false;
    }

    void EndStroke(ToolContext& context) override {
        if (stroke_.phase == StrokePhase::None) return;
        Canvas& canvas = context.canvas();
        DrawLine(canvas, stroke_.anchor, stroke_.rubberEnd);  // erases the rubber line
        canvas.SetRasterMode(RasterMode::Normal);
        // The rubber circle of an area is not erased: the refresh draws the image again.
        const bool paths = stroke_.phase == StrokePhase::PathOpen;
        stroke_ = Stroke{};
        const EditorWorkingSet& working = context.document().working();
        if (paths && working.pathCount() > 0)
            canvas.SelectPen(PathPen(working.paths.back().typeChoice));
        if (!paths && working.areaCount() > 0)
            canvas.SelectPen(AreaPen(working.areas.back().typeChoice));
        context.RequestRefresh();
        if (paths) {
            context.readouts().ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY);
        } else {
            context.readouts().ClearAll(kPanelRadius, kPanelCentreX, kPanelCentreY);
        }
    }

    void Redrawn(ToolContext& context) override {
        if (stroke_.phase == StrokePhase::None) return;
        context.canvas().SetRasterMode(RasterMode::Invert);
        stroke_.rubberEnd = stroke_.anchor;
        stroke_.rubberRadius = 0;
    }

    ToolView View(const ToolContext& context) const override {
        ToolView view;
        view.snap = snap_;
        if (stroke_.phase == StrokePhase::None) return view;
        const FeetPointF open{double(stroke_.open.x), double(stroke_.open.y)};
        const EditorChoices& choices = context.choices();
        if (stroke_.phase == StrokePhase::PathOpen) {
            view.rubber = RubberBand{false, open, pointer_, PathPen(choices.currentPathChoice),
                                     choices.currentWidth};
        } else {
            view.rubber = RubberBand{true, open, pointer_, AreaPen(choices.currentAreaChoice), 0};
        }
        return view;
    }

  protected:
    // Opens a point at the click: a dot with the pen, then invert mode.
    void Open(ToolContext& context, StrokePhase phase, const PointerEvent& event, const Pen& pen) {
        Canvas& canvas = context.canvas();
        canvas.SelectPen(pen);
        DrawLine(canvas, event.pixel, event.pixel);
        stroke_ = Stroke{phase, event.feet, event.pixel, event.pixel, 0, 0};
        pointer_ = event.precise;
        canvas.SetRasterMode(RasterMode::Invert);
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
            Open(context, StrokePhase::PathOpen, event,
                 PathPen(context.choices().currentPathChoice));
            context.readouts().SetNumber(kPanelStartX, event.feet.x);
            context.readouts().SetNumber(kPanelStartY, event.feet.y);
            return;
        }
        // A click on the open point would store a segment of no length.
        if (event.feet == stroke_.open) return;
        AddSegment(context, event);
    }

    bool StepBack(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        if (stroke_.segments == 0) {
            EndStroke(context);  // only the first point was open
            return true;
        }
        const auto* last = LastSegmentOfStroke(context);
        if (last == nullptr) {
            // Something else was done since: the history undoes that.
            EndStroke(context);
            return false;
        }
        const WorkingPath segment = last->segment();
        context.document().Undo();
        --stroke_.segments;
        MoveOpenPoint(context, {segment.startX, Magnitude(segment.startY)});
        return true;
    }

    bool StepForward(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        const auto* next = dynamic_cast<const AddSegmentCommand*>(context.document().NextRedo());
        const EditorWorkingSet& working = context.document().working();
        if (next == nullptr || next->entry() != working.pathCount() + 1 ||
            FeetPoint{next->segment().startX, Magnitude(next->segment().startY)} != stroke_.open) {
            EndStroke(context);
            return false;
        }
        context.document().Redo();
        ++stroke_.segments;
        MoveOpenPoint(context, {next->segment().endX, next->segment().endY});
        return true;
    }

    std::string StepBackText(const ToolContext& context) const override {
        if (stroke_.phase != StrokePhase::PathOpen) return {};
        if (stroke_.segments == 0) return "Start Point";
        const auto* last = LastSegmentOfStroke(context);
        return last != nullptr ? last->Text() : std::string();
    }

  private:
    const AddSegmentCommand* LastSegmentOfStroke(const ToolContext& context) const {
        const EditDocument& document = context.document();
        const auto* last = dynamic_cast<const AddSegmentCommand*>(document.NextUndo());
        if (last == nullptr || last->entry() != document.working().pathCount()) return nullptr;
        const WorkingPath& segment = last->segment();
        if (FeetPoint{segment.endX, segment.endY} != stroke_.open) return nullptr;
        return last;
    }

    void AddSegment(ToolContext& context, const PointerEvent& event) {
        const EditorChoices& choices = context.choices();
        EditDocument& document = context.document();
        WorkingPath segment;
        segment.typeChoice = choices.currentPathChoice;
        segment.width = choices.currentWidth;
        segment.startX = stroke_.open.x;
        // The first segment of a path carries the sign that begins a path;
        // a start at Y = 0 is kept as −1.
        const int32_t y = stroke_.open.y;
        segment.startY = stroke_.segments > 0 ? y : (y == 0 ? -1 : -y);
        segment.endX = event.feet.x;
        segment.endY = event.feet.y;
        const int32_t entry = document.working().pathCount() + 1;
        if (!document.Apply(std::make_unique<AddSegmentCommand>(document.tileId(), entry, segment)))
            return;
        PanelReadouts& readouts = context.readouts();
        readouts.SetNumber(kPanelEndX, segment.endX);
        readouts.SetNumber(kPanelEndY, segment.endY);
        readouts.SetNumber(kPanelStartX, segment.startX);
        readouts.SetNumber(kPanelStartY, y);
        Canvas& canvas = context.canvas();
        canvas.SetRasterMode(RasterMode::Normal);
        DrawLine(canvas, stroke_.anchor, event.pixel);
        canvas.SetRasterMode(RasterMode::Invert);
        stroke_.anchor = stroke_.rubberEnd = event.pixel;
        stroke_.open = event.feet;
        pointer_ = event.precise;
        ++stroke_.segments;
    }

    // After a step back or forward: the band goes on from the new open point
    // once the viewer is drawn again.
    void MoveOpenPoint(ToolContext& context, FeetPoint point) {
        stroke_.open = point;
        stroke_.anchor = stroke_.rubberEnd = ViewerPointOf(context.geometry(), point.x, point.y);
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
            Open(context, StrokePhase::CentreOpen, event,
                 AreaPen(context.choices().currentAreaChoice));
            context.readouts().SetNumber(kPanelCentreX, event.feet.x);
            context.readouts().SetNumber(kPanelCentreY, event.feet.y);
            return;
        }
        const Stroke open = stroke_;
        EndStroke(context);
        const int32_t pixels = Distance(open.anchor, event.pixel);
        WorkingArea area;
        area.typeChoice = context.choices().currentAreaChoice;
        // The radius in feet from the centre to the (snapped) pointer.
        area.radius = CutTowardZero(std::round(
            Distance(FeetPointF{double(open.open.x), double(open.open.y)}, event.precise)));
        area.centerX = open.open.x;
        area.centerY = open.open.y;
        // A circle of no radius is not stored.
        if (area.radius < 1) return;
        DrawCircle(context.canvas(), open.anchor, pixels);
        EditDocument& document = context.document();
        const int32_t entry = document.working().areaCount() + 1;
        if (!document.Apply(std::make_unique<AddAreaCommand>(document.tileId(), entry, area)))
            return;
        context.readouts().SetNumber(kPanelRadius, area.radius);
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
        case ToolKind::Select:
            break;
    }
    return std::make_unique<SelectTool>();
}

}  // namespace lorvane
