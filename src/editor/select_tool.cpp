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
    Selection& selected = context.selected();
    const bool adds = event.modifiers.shift || event.modifiers.control;
    action_ = Action::None;
    pressedAt_ = event.screen;
    pressedFeet_ = event.precise;
    target_ = event.precise;
    alone_ = event.modifiers.alt;
    if (!pick) {
        // Beside every entry: a box selects, a click alone selects nothing.
        if (!adds) selected.Clear();
        action_ = Action::Pressed;
        mode_ = Mode::Box;
        boxAdds_ = adds;
        return;
    }
    if (adds) {
        if (event.modifiers.control)
            selected.Toggle(*pick);
        else
            selected.Add(*pick);
        return;
    }
    const bool ofSeveral =
        selected.Entries(tables).size() > 1 && selected.Contains(pick->kind, pick->entry);
    if (ofSeveral) {
        selected.MakeCurrent(*pick);
    } else {
        context.Select(pick);
    }
    action_ = Action::Pressed;
    pick_ = *pick;
    const bool point = pick->part == PickPart::Rim || DraggedPoint(*pick);
    mode_ = ofSeveral || !point ? Mode::Selection : Mode::Point;
}

void SelectTool::Move(ToolContext& context, const PointerEvent& event) {
    if (action_ == Action::None) return;
    if (action_ == Action::Pressed) {
        if (Distance(event.screen, pressedAt_) < kDragPixels) return;
        action_ = Action::Dragging;
    }
    alone_ = event.modifiers.alt;
    target_ = mode_ == Mode::Point ? Target(context, event) : event.precise;
    context.RequestRefresh();
}

void SelectTool::Release(ToolContext& context, const PointerEvent& event) {
    const Action was = action_;
    action_ = Action::None;
    snap_.reset();
    if (was != Action::Dragging || event.button != MouseButton::Left) return;
    alone_ = event.modifiers.alt;
    target_ = mode_ == Mode::Point ? Target(context, event) : event.precise;
    if (mode_ == Mode::Box) {
        const PickOptions shown = context.pickOptions();
        const std::vector<Pick> inside = EntriesInBox(context.document().working(), pressedFeet_,
                                                      target_, shown.paths, shown.areas);
        Selection& selected = context.selected();
        if (!boxAdds_) selected.Clear();
        for (const Pick& pick : inside) selected.Add(pick);
    } else if (auto command = DragCommand(context)) {
        context.document().Apply(std::move(command));
    }
    context.RequestRefresh();
}

bool SelectTool::Key(ToolContext& context, EditorKey key, Modifiers) {
    if (key == EditorKey::Escape && action_ != Action::None) {
        EndStroke(context);
        return true;
    }
    if (key != EditorKey::Delete) return false;
    EditDocument& document = context.document();
    const std::vector<Pick> picks = context.selected().Entries(document.working());
    auto command = RemoveEntries(document.working(), document.tileId(), picks);
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
    if (mode_ == Mode::Box) return nullptr;
    if (mode_ == Mode::Selection) {
        return MoveEntries(tables, document.tileId(), context.selected().Entries(tables),
                           target_.x - pressedFeet_.x, target_.y - pressedFeet_.y);
    }
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
    if (mode_ == Mode::Box) {
        view.selectBox = std::array<FeetPointF, 2>{pressedFeet_, target_};
        return view;
    }
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
