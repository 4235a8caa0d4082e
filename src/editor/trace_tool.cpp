// The trace tool: a path drawn from the tile image. The first click opens
// the trace on a feature (a road, a river); every further click is a
// waypoint, and the leg from the last one to it follows the feature in the
// pixels (trace/tracer.h). Between clicks a preview follows the pointer.
// Ctrl held makes the leg a straight hand-made segment instead (where the
// image gives no line to follow). Backspace takes the last leg back; Enter
// or a right click accepts the whole trace as one command of the history
// ("Trace Road"); Esc cancels it. The width is the image's (the median of
// the traced legs'), shown in the Width field, where a width typed with
// Enter takes its place until the trace ends. The type is the New Path
// choice's.

#include <algorithm>
#include <cmath>

#include "base/command_ids.h"
#include "base/format.h"
#include "editor/entry_points.h"
#include "editor/pens.h"
#include "editor/tools.h"
#include "trace/tracer.h"

namespace lorvane {

namespace {

// One leg of a trace: from the waypoint before to the click.
struct Leg {
    std::vector<TraceSegment> segments;  // feet, joined
    double widthFeet = 0;                // measured from the image; 0: a straight leg
};

FeetPointF FeetOf(TracePoint point) { return {point.x, point.y}; }
TracePoint TraceOf(FeetPointF point) { return {point.x, point.y}; }

double LengthOf(const std::vector<TraceSegment>& segments) {
    double length = 0;
    for (const TraceSegment& s : segments) length += Distance(FeetOf(s.start), FeetOf(s.end));
    return length;
}

class TraceTool final : public Tool {
  public:
    ToolKind kind() const override { return ToolKind::Trace; }
    const Stroke& stroke() const override { return stroke_; }

    void Move(ToolContext& context, const PointerEvent& event) override {
        pointer_ = event.precise;
        snap_ = event.snap;
        if (stroke_.phase != StrokePhase::PathOpen) return;
        preview_ = LegTo(context, event);
        ShowWidth(context);
    }

    void Release(ToolContext& context, const PointerEvent& event) override {
        if (event.button == MouseButton::Right) {
            Accept(context);
            return;
        }
        if (!context.document().HasTile()) return;
        if (stroke_.phase == StrokePhase::None) {
            stroke_ = Stroke{};
            stroke_.phase = StrokePhase::PathOpen;
            stroke_.open = event.feet;
            start_ = event.precise;
            pointer_ = event.precise;
            context.readouts().SetFeet(kPanelStartX, event.feet.x);
            context.readouts().SetFeet(kPanelStartY, event.feet.y);
            ShowWidth(context);
            return;
        }
        Leg leg = LegTo(context, event);
        if (leg.segments.empty()) return;  // a click on the open point
        legs_.push_back(std::move(leg));
        preview_.reset();
        MoveOpenPoint(context);
    }

    bool Key(ToolContext& context, EditorKey key, Modifiers) override {
        return DrawingKey(*this, context, key, stroke_.phase != StrokePhase::None,
                          [&] { Accept(context); });
    }

    void EndStroke(ToolContext& context) override {
        if (stroke_.phase == StrokePhase::None) return;
        stroke_ = Stroke{};
        legs_.clear();
        preview_.reset();
        typedWidth_.reset();
        context.RequestRefresh();
        context.readouts().ClearAll(kPanelStartX, kPanelStartY, kPanelEndX, kPanelEndY);
        context.readouts().SetNumber(kPanelWidth, context.choices().currentWidth);
    }

    bool StepBack(ToolContext& context) override {
        if (stroke_.phase != StrokePhase::PathOpen) return false;
        if (legs_.empty()) {
            EndStroke(context);
            return true;
        }
        legs_.pop_back();
        preview_.reset();
        MoveOpenPoint(context);
        return true;
    }

    std::string StepBackText(const ToolContext&) const override {
        if (stroke_.phase != StrokePhase::PathOpen) return {};
        return legs_.empty() ? "Start Point" : "Trace Leg";
    }

    bool TypeWidth(ToolContext& context, double feet) override {
        if (stroke_.phase != StrokePhase::PathOpen || !(feet >= 1)) return false;
        typedWidth_ = feet;
        ShowWidth(context);
        context.RequestRefresh();
        return true;
    }

    ToolView View(const ToolContext& context) const override {
        ToolView view;
        view.snap = snap_;
        if (stroke_.phase != StrokePhase::PathOpen) return view;
        const Pen pen = PathPen(context.choices().currentPathChoice);
        const int32_t width = WholeFeet(Width(context, true));
        const auto add = [&](const Leg& leg) {
            for (const TraceSegment& s : leg.segments)
                view.trace.push_back(RubberBand{false, FeetOf(s.start), FeetOf(s.end), pen, width});
        };
        for (const Leg& leg : legs_) add(leg);
        if (preview_) add(*preview_);
        return view;
    }

    std::string StatusText(const ToolContext& context) const override {
        if (stroke_.phase != StrokePhase::PathOpen) return {};
        double length = 0;
        size_t segments = 0;
        for (const Leg& leg : legs_) {
            length += LengthOf(leg.segments);
            segments += leg.segments.size();
        }
        if (preview_) {
            length += LengthOf(preview_->segments);
            segments += preview_->segments.size();
        }
        return FormatText("Trace %.0f ft, %d segment%s, width %.0f ft", length,
                          static_cast<int>(segments), segments == 1 ? "" : "s",
                          Width(context, true));
    }

  private:
    // Where the next leg starts: the end of the last leg, or the first click.
    FeetPointF OpenPoint() const {
        return legs_.empty() ? start_ : FeetOf(legs_.back().segments.back().end);
    }

    // The leg from the open point to the pointer: traced, or straight with
    // Ctrl held, where the image shows nothing to follow, or when no tracer
    // could be made. Empty when the pointer is on the open point.
    Leg LegTo(ToolContext& context, const PointerEvent& event) {
        const FeetPointF from = OpenPoint();
        Leg leg;
        if (Distance(from, event.precise) < 0.5) return leg;
        Tracer* tracer = event.modifiers.control ? nullptr : context.tracer();
        if (tracer != nullptr) {
            // The trace's far end lands on a path end near it as a click
            // would; its near end on the open point.
            std::vector<TracePoint> ends{TraceOf(from)};
            for (const WorkingPath& path : context.document().working().paths) {
                ends.push_back({path.startX, path.startY});
                ends.push_back({path.endX, path.endY});
            }
            const SnapOptions snap = context.snapOptions(event.modifiers);
            const double imagePixel = kTraceTileFeet / std::max(tracer->width(), 1);
            TraceOptions options{ends, 0};
            if (snap.enabled)
                options.snapFeet =
                    std::max(context.view().ToFeet(snap.pixels), (kClickReach + 1) * imagePixel);
            else
                options.ends = std::span<const TracePoint>(ends.data(), 1);
            if (auto traced = tracer->Trace(TraceOf(from), TraceOf(event.precise), options);
                traced && !traced->segments.empty()) {
                leg.segments = std::move(traced->segments);
                leg.segments.front().start = TraceOf(from);
                leg.widthFeet = traced->widthFeet;
                return leg;
            }
        }
        leg.segments.push_back({TraceOf(from), TraceOf(event.precise)});
        return leg;
    }

    // The trace's width: the typed one, else the median of the traced legs'
    // (with the preview's when asked), else the New Path choice's.
    double Width(const ToolContext& context, bool withPreview) const {
        if (typedWidth_) return *typedWidth_;
        std::vector<double> widths;
        for (const Leg& leg : legs_)
            if (leg.widthFeet > 0) widths.push_back(leg.widthFeet);
        if (withPreview && preview_ && preview_->widthFeet > 0)
            widths.push_back(preview_->widthFeet);
        if (widths.empty()) return std::max(context.choices().currentWidth, 1);
        std::sort(widths.begin(), widths.end());
        const size_t half = widths.size() / 2;
        const double median =
            widths.size() % 2 == 1 ? widths[half] : (widths[half - 1] + widths[half]) / 2;
        return std::max(median, 1.0);
    }

    void ShowWidth(ToolContext& context) const {
        context.readouts().SetFeet(kPanelWidth, static_cast<float>(Width(context, true)));
    }

    void MoveOpenPoint(ToolContext& context) {
        const FeetPointF open = OpenPoint();
        stroke_.open = {StoredFeet(open.x), StoredFeet(open.y)};
        PanelReadouts& readouts = context.readouts();
        if (legs_.empty()) {
            readouts.ClearAll(kPanelEndX, kPanelEndY);
        } else {
            readouts.SetFeet(kPanelEndX, stroke_.open.x);
            readouts.SetFeet(kPanelEndY, stroke_.open.y);
        }
        ShowWidth(context);
        context.RequestRefresh();
    }

    // The legs placed become one command: the segments of one new path, of
    // the chosen type and the trace's width.
    void Accept(ToolContext& context) {
        if (stroke_.phase != StrokePhase::PathOpen) return;
        EditDocument& document = context.document();
        const int32_t choice = context.choices().currentPathChoice;
        const auto width = static_cast<float>(Width(context, false));
        std::vector<std::unique_ptr<EditCommand>> commands;
        int32_t entry = document.working().pathCount();
        FeetPoint last{};
        for (const Leg& leg : legs_) {
            for (const TraceSegment& s : leg.segments) {
                WorkingPath segment;
                segment.typeChoice = choice;
                segment.width = width;
                segment.startX = commands.empty() ? StoredFeet(s.start.x) : last.x;
                segment.startY = commands.empty() ? StoredFeet(s.start.y) : last.y;
                segment.endX = StoredFeet(s.end.x);
                segment.endY = StoredFeet(s.end.y);
                segment.beginsPath = commands.empty();
                // What rounds to no length at the file's floats is left out.
                if (segment.endX == segment.startX && segment.endY == segment.startY) continue;
                last = {segment.endX, segment.endY};
                commands.push_back(
                    std::make_unique<AddSegmentCommand>(document.tileId(), ++entry, segment));
            }
        }
        EndStroke(context);
        if (commands.empty()) return;
        const std::string text = "Trace " + std::string(TypeName(PathTypeCode(choice)));
        if (!document.Apply(
                std::make_unique<CommandGroup>(document.tileId(), std::move(commands), text)))
            return;
        context.readouts().SetFeet(kPanelEndX, last.x);
        context.readouts().SetFeet(kPanelEndY, last.y);
    }

    Stroke stroke_;
    FeetPointF start_{};  // the first click
    std::vector<Leg> legs_;
    std::optional<Leg> preview_;  // the leg to the pointer
    std::optional<double> typedWidth_;
    FeetPointF pointer_{};
    Snapped snap_{};
};

}  // namespace

std::unique_ptr<Tool> MakeTraceTool() { return std::make_unique<TraceTool>(); }

}  // namespace lorvane
