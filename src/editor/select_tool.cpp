// The select tool: a click picks the nearest segment or area (its list row
// follows); dragging a segment's end moves it with every path end lying on
// it (the joined end of the neighbouring segment, a branch started there;
// with Alt held, the picked end alone), dragging an area's centre moves the area, dragging
// its rim sets its radius; Delete removes what is picked. A drag is one
// command, made when the button is released; while it lasts the frame shows
// the tables as they will be.

#include "editor/select_tool.h"

#include <cmath>

#include "editor/snapping.h"

namespace lorvane {

namespace {

// A press that moves less than this many screen pixels is a click.
constexpr double kDragPixels = 3;

}  // namespace

void SelectTool::Press(ToolContext& context, const PointerEvent& event) {
    if (event.button != MouseButton::Left || !context.document().HasTile()) return;
    const EditorWorkingSet& tables = context.document().working();
    const std::optional<Pick> pick =
        PickAt(event.screen, context.view(), tables.paths, tables.areas, context.pickOptions());
    context.Select(pick);
    action_ = Action::None;
    if (!pick) return;
    const bool rim = pick->part == PickPart::Rim;
    if (!rim && !DraggedPoint(*pick)) return;
    action_ = Action::Pressed;
    pick_ = *pick;
    pressedAt_ = event.screen;
    target_ = event.precise;
    alone_ = event.modifiers.alt;
}

void SelectTool::Move(ToolContext& context, const PointerEvent& event) {
    if (action_ == Action::None) return;
    if (action_ == Action::Pressed) {
        if (Distance(event.screen, pressedAt_) < kDragPixels) return;
        action_ = Action::Dragging;
    }
    alone_ = event.modifiers.alt;
    target_ = Target(context, event);
    context.RequestRefresh();
}

void SelectTool::Release(ToolContext& context, const PointerEvent& event) {
    const Action was = action_;
    action_ = Action::None;
    snap_.reset();
    if (was != Action::Dragging || event.button != MouseButton::Left) return;
    alone_ = event.modifiers.alt;
    target_ = Target(context, event);
    if (auto command = DragCommand(context)) context.document().Apply(std::move(command));
    context.RequestRefresh();
}

bool SelectTool::Key(ToolContext& context, EditorKey key, Modifiers) {
    if (key == EditorKey::Escape && action_ != Action::None) {
        EndStroke(context);
        return true;
    }
    if (key != EditorKey::Delete) return false;
    const std::optional<Pick> pick = context.selection();
    if (!pick) return false;
    EditDocument& document = context.document();
    auto command = MakeRemoveEntry(document.working(), document.tileId(), pick->kind, pick->entry);
    if (!command) return false;
    context.Select(std::nullopt);
    document.Apply(std::move(command));
    context.RequestRefresh();
    return true;
}

void SelectTool::EndStroke(ToolContext& context) {
    if (action_ == Action::None) return;
    action_ = Action::None;
    snap_.reset();
    context.RequestRefresh();
}

FeetPointF SelectTool::Target(const ToolContext& context, const PointerEvent& event) {
    const EditorWorkingSet& tables = context.document().working();
    if (pick_.part == PickPart::Rim) {
        snap_.reset();
        return event.precise;
    }
    std::vector<PointRef> dragged{*DraggedPoint(pick_)};
    if (pick_.kind == EntryKind::Path)
        dragged = EndsMovedWith(tables.paths, dragged.front(), alone_);
    const Snapped snapped = Snap(event.precise, context.view(), tables.paths, tables.areas,
                                 context.snapOptions(event.modifiers), dragged);
    snap_ = snapped;
    return snapped.point;
}

std::unique_ptr<EditCommand> SelectTool::DragCommand(const ToolContext& context) const {
    const EditDocument& document = context.document();
    const EditorWorkingSet& tables = document.working();
    if (pick_.part == PickPart::Rim) {
        const std::optional<FeetPointF> centre =
            PointOf(tables.paths, tables.areas, {PointRole::Centre, pick_.entry});
        if (!centre) return nullptr;
        const auto radius = static_cast<float>(Distance(*centre, target_));
        return MakeChangeValue(tables, document.tileId(), EntryKind::Area, pick_.entry,
                               ValueField::Radius, std::max(radius, 1.0f));
    }
    const PointRef point = *DraggedPoint(pick_);
    const FeetPoint to{StoredFeet(target_.x), StoredFeet(target_.y)};
    if (pick_.kind != EntryKind::Path)
        return MakeMovePoint(tables, document.tileId(), pick_.kind, pick_.entry, point.role, to);
    std::vector<std::unique_ptr<EditCommand>> moves;
    for (const PointRef& end : EndsMovedWith(tables.paths, point, alone_)) {
        if (auto move =
                MakeMovePoint(tables, document.tileId(), EntryKind::Path, end.entry, end.role, to))
            moves.push_back(std::move(move));
    }
    if (moves.empty()) return nullptr;
    if (moves.size() == 1) return std::move(moves.front());
    return std::make_unique<CommandGroup>(document.tileId(), std::move(moves));
}

ToolView SelectTool::View(const ToolContext& context) const {
    ToolView view;
    if (action_ != Action::Dragging) return view;
    view.snap = snap_;
    EditorWorkingSet preview;
    const EditorWorkingSet& tables = context.document().working();
    preview.paths = tables.paths;
    preview.areas = tables.areas;
    if (auto command = DragCommand(context)) {
        if (command->Redo(preview)) view.preview = std::move(preview);
    }
    return view;
}

}  // namespace lorvane
