// What the editor panel shows of the zoomable viewer and what is typed into
// it: the frame, the status bar, the entry picked, list cells edited and
// points typed in feet.

#include <cmath>

#include "base/format.h"
#include "editor/editor_panel.h"
#include "editor/status_text.h"
#include "editor/typed_values.h"

namespace lorvane {

namespace {

EntryKind KindOf(PanelList list) {
    return list == PanelList::Paths ? EntryKind::Path : EntryKind::Area;
}

// The field of a list column (after "#"); nullopt for the number column.
std::optional<ValueField> FieldOfColumn(PanelList list, int column) {
    static constexpr ValueField kPathColumns[] = {ValueField::Type,   ValueField::Width,
                                                  ValueField::StartX, ValueField::StartY,
                                                  ValueField::EndX,   ValueField::EndY};
    static constexpr ValueField kAreaColumns[] = {ValueField::Type, ValueField::Radius,
                                                  ValueField::CentreX, ValueField::CentreY};
    const auto index = static_cast<size_t>(column - 1);
    if (column < 1) return std::nullopt;
    if (list == PanelList::Paths) {
        if (index < std::size(kPathColumns)) return kPathColumns[index];
    } else if (index < std::size(kAreaColumns)) {
        return kAreaColumns[index];
    }
    return std::nullopt;
}

TypedRule RuleOf(ValueField field) {
    switch (field) {
        case ValueField::Width:
            return TypedRule::Width;
        case ValueField::Radius:
            return TypedRule::Radius;
        default:
            return TypedRule::Coordinate;
    }
}

// The point and axis a coordinate field belongs to.
std::optional<std::pair<PointRole, bool>> PointOfField(ValueField field) {
    switch (field) {
        case ValueField::StartX:
            return std::pair{PointRole::Start, true};
        case ValueField::StartY:
            return std::pair{PointRole::Start, false};
        case ValueField::EndX:
            return std::pair{PointRole::End, true};
        case ValueField::EndY:
            return std::pair{PointRole::End, false};
        default:
            return std::nullopt;
    }
}

ValueField FieldOfPoint(PointRole role, bool x) {
    if (role == PointRole::Start) return x ? ValueField::StartX : ValueField::StartY;
    return x ? ValueField::EndX : ValueField::EndY;
}

}  // namespace

std::vector<FrameItem> EditorPanel::Frame() const {
    if (!showsImage()) return {};
    ToolView toolView = tool_->View(*context_);
    const EditorWorkingSet& tables = toolView.preview ? *toolView.preview : document_.working();
    if (!pointerOnTile_) toolView.snap.reset();
    const std::vector<Pick> selected = selectedEntries();
    const std::vector<NeighbourInput> neighbours = NeighbourInputs(tables.paths);
    std::vector<FrameItem> items =
        BuildFrame({view_, image_->Width(), image_->Height(), tables.paths, tables.areas,
                    showPaths(), showAreas(), selected, toolView.selectBox, toolView.rubber,
                    toolView.snap, edgeMarkers(), toolView.trace, neighbours});
    // The suggestions over everything of the tile: dashed lines in their
    // type's colour, the picked one as a band of its width.
    const auto at = [&](TracePoint p) { return view_.ToScreen({p.x, p.y}); };
    const std::optional<size_t> picked = suggestions_.picked();
    for (size_t i = 0; i < suggestions_.items().size(); ++i) {
        const Suggestion& suggestion = suggestions_.items()[i];
        const Pen pen = PathPen(suggestion.typeChoice);
        for (const TraceSegment& s : suggestion.path.segments) {
            if (picked == i)
                items.push_back(FrameBand{at(s.start), at(s.end),
                                          view_.ToPixels(suggestion.path.widthFeet),
                                          Translucent(pen, kBandAlpha)});
            items.push_back(FrameLine{at(s.start), at(s.end),
                                      picked == i ? kHighlight : Translucent(pen, kFadedAlpha),
                                      picked == i ? 2.0 : 3.0, LineStyle::Dashed});
        }
    }
    if (comparedWith_ == nullptr || !document_.HasTile()) return items;
    // The other database's entries of this tile, faded and dashed, just
    // above the image and under everything of the tile's own.
    const std::optional<int> position = comparedWith_->PositionOfId(document_.tileId());
    if (!position) return items;
    const TileIndexEntry& entry = comparedWith_->index[static_cast<size_t>(*position)];
    const TileRecord* other = comparedWith_->RecordAt(entry.setIndex, entry.tileIndex);
    if (other == nullptr) return items;
    std::vector<FrameItem> faded;
    const auto atFeet = [&](float x, float y) { return view_.ToScreen({double(x), double(y)}); };
    if (showPaths())
        for (const TilePath& path : other->paths)
            faded.push_back(
                FrameLine{atFeet(path.startX, std::fabs(path.startY)),
                          atFeet(path.endX, std::fabs(path.endY)),
                          Translucent(PathPen(PathChoiceOfCode(path.type)), kFadedAlpha), 2,
                          LineStyle::Dashed});
    if (showAreas())
        for (const TileArea& area : other->areas)
            faded.push_back(
                FrameCircle{atFeet(area.centerX, area.centerY),
                            view_.ToPixels(std::max(double(area.radius), 0.0)), Rgba{0, 0, 0, 0},
                            Translucent(AreaPen(AreaChoiceOfCode(area.type)), kFadedAlpha), 2,
                            LineStyle::Dashed});
    // Above the neighbours and the image.
    size_t under = 0;
    while (under < items.size() && std::holds_alternative<FrameNeighbour>(items[under])) ++under;
    if (under < items.size() && std::holds_alternative<FrameImage>(items[under])) ++under;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(under), faded.begin(), faded.end());
    return items;
}

EditorPanel::StatusTexts EditorPanel::Status() const {
    StatusTexts texts;
    if (pointerOnTile_) texts.pointer = PointerStatus(pointer_);
    texts.zoom = ZoomStatus(view_);
    texts.snap = SnapStatus(snapping_);
    const Stroke& stroke = tool_->stroke();
    const FeetPointF open{double(stroke.open.x), double(stroke.open.y)};
    if (std::string own = tool_->StatusText(*context_); !own.empty()) {
        texts.drawing = std::move(own);
    } else if (stroke.phase == StrokePhase::PathOpen) {
        const EditorWorkingSet& tables = document_.working();
        const int32_t last = tables.pathCount();
        const double before =
            !stroke.added.empty()
                ? RunLength(tables.paths, {last - int32_t(stroke.added.size()) + 1, last})
                : 0;
        texts.drawing = SegmentStatus(open, pointer_, before);
    } else if (stroke.phase == StrokePhase::CentreOpen) {
        texts.drawing = RadiusStatus(open, pointer_);
    } else if (const auto picked = suggestions_.picked()) {
        const Suggestion& s = suggestions_.items()[*picked];
        double length = 0;
        for (const TraceSegment& segment : s.path.segments)
            length += Distance(FeetPointF{segment.start.x, segment.start.y},
                               FeetPointF{segment.end.x, segment.end.y});
        texts.drawing =
            FormatText("Suggestion %d of %d: %s, %.0f ft (A accept, D reject)",
                       static_cast<int>(*picked + 1), static_cast<int>(suggestions_.items().size()),
                       TypeName(PathTypeCode(s.typeChoice)), length);
    }
    return texts;
}

std::optional<Pick> EditorPanel::selection() const {
    return selection_.Current(document_.working());
}

std::vector<Pick> EditorPanel::selectedEntries() const {
    return selection_.Entries(document_.working());
}

void EditorPanel::SelectRow(PanelList list, int row) {
    const int32_t count = EntryCount(document_.working(), KindOf(list));
    if (row < 0 || row >= count) {
        if (const auto current = selection(); current && current->kind == KindOf(list))
            selection_.Clear();
        return;
    }
    selection_.SetOnly(
        Pick{KindOf(list), row + 1, list == PanelList::Paths ? PickPart::Body : PickPart::Centre});
}

void EditorPanel::SelectRows(PanelList list, const std::vector<int>& rows, bool keepOther) {
    const EntryKind kind = KindOf(list);
    const int32_t count = EntryCount(document_.working(), kind);
    std::vector<Pick> picks;
    if (keepOther) {
        for (const Pick& pick : selectedEntries())
            if (pick.kind != kind) picks.push_back(pick);
    }
    // The current entry stays the current one while its row stays selected.
    const std::optional<Pick> current = selection();
    std::optional<Pick> keep;
    for (const int row : rows) {
        if (row < 0 || row >= count) continue;
        const Pick pick{kind, row + 1, kind == EntryKind::Path ? PickPart::Body : PickPart::Centre};
        if (current && current->kind == kind && current->entry == pick.entry)
            keep = *current;
        else
            picks.push_back(pick);
    }
    if (keep) picks.push_back(*keep);
    selection_.Set(std::move(picks));
}

void EditorPanel::SelectAll() {
    if (!document_.HasTile()) return;
    tool_->EndStroke(*context_);
    selection_.Set(AllEntries(document_.working(), showPaths(), showAreas()));
    Post(kPanelRefresh);
}

bool EditorPanel::EditCell(PanelList list, int row, int column, const std::string& text) {
    const EntryKind kind = KindOf(list);
    const EditorWorkingSet& tables = document_.working();
    const int32_t entry = row + 1;
    const std::optional<ValueField> field = FieldOfColumn(list, column);
    if (!document_.HasTile() || !field || entry < 1 || entry > EntryCount(tables, kind))
        return false;
    const auto value = *field == ValueField::Type ? ReadTypedType(text, list == PanelList::Areas)
                                                  : ReadTypedFeet(text, RuleOf(*field));
    if (!value) {
        services_.messages.Exclamation(value.error(), kTypedValueCaption);
        return false;
    }
    const int32_t tile = document_.tileId();
    std::unique_ptr<EditCommand> command =
        MakeChangeValue(tables, tile, kind, entry, *field, *value);
    if (!command) return false;
    // A joint moves as one: the joined end of the neighbouring segment too.
    if (const auto point = PointOfField(*field)) {
        if (const auto joined = JoinedPoint(tables.paths, {point->first, entry})) {
            auto other = MakeChangeValue(tables, tile, EntryKind::Path, joined->entry,
                                         FieldOfPoint(joined->role, point->second), *value);
            if (other) {
                std::vector<std::unique_ptr<EditCommand>> both;
                both.push_back(std::move(command));
                both.push_back(std::move(other));
                command = std::make_unique<CommandGroup>(tile, std::move(both));
            }
        }
    }
    if (!Apply(std::move(command))) return false;
    Post(kPanelRefresh);
    return true;
}

bool EditorPanel::TypePoint(int field, const std::string& x, const std::string& y) {
    const Stroke& stroke = tool_->stroke();
    const ToolKind kind = tool_->kind();
    if (field == kPanelWidth) {
        // A width for what is being drawn (a trace's, in place of the image's).
        const auto width = ReadTypedFeet(x, TypedRule::Width);
        if (!width) {
            services_.messages.Exclamation(width.error(), kTypedValueCaption);
            return false;
        }
        return tool_->TypeWidth(*context_, *width);
    }
    const bool radius = field == kPanelRadius;
    const bool movesStart =
        kind == ToolKind::Path && field == kPanelStartX && stroke.phase == StrokePhase::PathOpen;
    const bool fits =
        movesStart ||
        (kind == ToolKind::Path && field == kPanelStartX && stroke.phase == StrokePhase::None) ||
        (kind == ToolKind::Path && field == kPanelEndX && stroke.phase == StrokePhase::PathOpen) ||
        (kind == ToolKind::Area && field == kPanelCentreX && stroke.phase == StrokePhase::None) ||
        (kind == ToolKind::Area && radius && stroke.phase == StrokePhase::CentreOpen);
    if (!fits || !document_.HasTile()) return false;
    const auto first = ReadTypedFeet(x, radius ? TypedRule::Radius : TypedRule::Coordinate);
    const auto second = radius ? TypedValue(0) : ReadTypedFeet(y, TypedRule::Coordinate);
    for (const auto* read : {&first, &second}) {
        if (!*read) {
            services_.messages.Exclamation(read->error(), kTypedValueCaption);
            return false;
        }
    }
    if (movesStart) return tool_->MoveStart(*context_, {*first, *second});
    // A click exactly there; a radius as a point that far straight across.
    PointerEvent event;
    event.feet = {*first, *second};
    event.precise = {double(*first), double(*second)};
    if (radius) {
        event.precise = {double(stroke.open.x), double(stroke.open.y) + double(*first)};
        event.feet = {stroke.open.x, static_cast<float>(event.precise.y)};
    }
    event.screen = view_.ToScreen(event.precise);
    event.snap.point = event.precise;
    tool_->Release(*context_, event);
    return true;
}

}  // namespace lorvane
