#include "editor/edit_command.h"

#include <cmath>
#include <string>

namespace lorvane {

namespace {

// Entry n (1 to the count) of a table, or null.
template <typename Entry>
Entry* EntryAt(std::vector<Entry>& table, int32_t n) {
    if (n < 1 || n > static_cast<int32_t>(table.size())) return nullptr;
    return &table[static_cast<size_t>(n - 1)];
}

template <typename Entry>
const Entry* EntryAt(const std::vector<Entry>& table, int32_t n) {
    return EntryAt(const_cast<std::vector<Entry>&>(table), n);
}

template <typename Entry>
bool InsertAt(std::vector<Entry>& table, int32_t n, const Entry& entry) {
    if (n < 1 || n > static_cast<int32_t>(table.size()) + 1) return false;
    table.insert(table.begin() + (n - 1), entry);
    return true;
}

template <typename Entry>
bool EraseAt(std::vector<Entry>& table, int32_t n) {
    if (EntryAt(table, n) == nullptr) return false;
    table.erase(table.begin() + (n - 1));
    return true;
}

// The feet of an entry as a place to read and write; null when the field
// is not one of the entry's (or is its type).
float* FieldOf(WorkingPath& segment, ValueField field) {
    switch (field) {
        case ValueField::Width:
            return &segment.width;
        case ValueField::StartX:
            return &segment.startX;
        case ValueField::StartY:
            return &segment.startY;
        case ValueField::EndX:
            return &segment.endX;
        case ValueField::EndY:
            return &segment.endY;
        default:
            return nullptr;
    }
}

float* FieldOf(WorkingArea& area, ValueField field) {
    switch (field) {
        case ValueField::Radius:
            return &area.radius;
        case ValueField::CentreX:
            return &area.centerX;
        case ValueField::CentreY:
            return &area.centerY;
        default:
            return nullptr;
    }
}

// A value of an entry: its type position, or one of its feet.
template <typename Entry>
bool SetFieldValue(Entry* stored, ValueField field, float value) {
    if (stored == nullptr) return false;
    if (field == ValueField::Type) {
        stored->typeChoice = static_cast<int32_t>(value);
        return true;
    }
    float* place = FieldOf(*stored, field);
    if (place == nullptr) return false;
    *place = value;
    return true;
}

template <typename Entry>
std::optional<float> FieldValue(const Entry* stored, ValueField field) {
    if (stored == nullptr) return std::nullopt;
    if (field == ValueField::Type) return static_cast<float>(stored->typeChoice);
    Entry entry = *stored;
    const float* place = FieldOf(entry, field);
    if (place == nullptr) return std::nullopt;
    return *place;
}

bool SetValue(EditorWorkingSet& working, EntryKind list, int32_t entry, ValueField field,
              float value) {
    if (list == EntryKind::Path) return SetFieldValue(EntryAt(working.paths, entry), field, value);
    return SetFieldValue(EntryAt(working.areas, entry), field, value);
}

// The X and Y fields of a point.
std::pair<ValueField, ValueField> FieldsOfPoint(PointRole role) {
    switch (role) {
        case PointRole::Start:
            return {ValueField::StartX, ValueField::StartY};
        case PointRole::End:
            return {ValueField::EndX, ValueField::EndY};
        case PointRole::Centre:
            break;
    }
    return {ValueField::CentreX, ValueField::CentreY};
}

bool SetPoint(EditorWorkingSet& working, EntryKind list, int32_t entry, PointRole role,
              FeetPoint point) {
    if (!PointOfList(role, list) || EntryCount(working, list) < entry || entry < 1) return false;
    const auto [fieldX, fieldY] = FieldsOfPoint(role);
    return SetValue(working, list, entry, fieldX, point.x) &&
           SetValue(working, list, entry, fieldY, point.y);
}

std::string PathTypeText(int32_t typeChoice) { return TypeName(PathTypeCode(typeChoice)); }
std::string AreaTypeText(int32_t typeChoice) { return TypeName(AreaTypeCode(typeChoice)); }

}  // namespace

int32_t EntryCount(const EditorWorkingSet& working, EntryKind list) {
    return list == EntryKind::Path ? working.pathCount() : working.areaCount();
}

bool FieldOfList(ValueField field, EntryKind list) {
    WorkingPath segment;
    WorkingArea area;
    if (field == ValueField::Type) return true;
    return list == EntryKind::Path ? FieldOf(segment, field) != nullptr
                                   : FieldOf(area, field) != nullptr;
}

bool PointOfList(PointRole role, EntryKind list) {
    return (role == PointRole::Centre) == (list == EntryKind::Area);
}

std::optional<float> ValueOf(const EditorWorkingSet& working, EntryKind list, int32_t entry,
                             ValueField field) {
    if (list == EntryKind::Path) return FieldValue(EntryAt(working.paths, entry), field);
    return FieldValue(EntryAt(working.areas, entry), field);
}

std::optional<FeetPoint> PointOf(const EditorWorkingSet& working, EntryKind list, int32_t entry,
                                 PointRole role) {
    if (!PointOfList(role, list)) return std::nullopt;
    const auto [fieldX, fieldY] = FieldsOfPoint(role);
    const auto x = ValueOf(working, list, entry, fieldX);
    const auto y = ValueOf(working, list, entry, fieldY);
    if (!x || !y) return std::nullopt;
    return FeetPoint{*x, *y};
}

bool ValidValue(EntryKind list, ValueField field, float value) {
    if (!FieldOfList(field, list) || !std::isfinite(value)) return false;
    switch (field) {
        case ValueField::Type: {
            const auto count = static_cast<float>(list == EntryKind::Path ? PathTypeCodes.size()
                                                                          : AreaTypeCodes.size());
            return value >= 0 && value < count && value == std::trunc(value);
        }
        case ValueField::Width:
        case ValueField::Radius:
            return value > 0;
        default:
            return value >= 0;
    }
}

const char* FieldName(ValueField field) {
    switch (field) {
        case ValueField::Type:
            return "Type";
        case ValueField::Width:
            return "Width";
        case ValueField::Radius:
            return "Radius";
        case ValueField::StartX:
            return "Start X";
        case ValueField::StartY:
            return "Start Y";
        case ValueField::EndX:
            return "End X";
        case ValueField::EndY:
            return "End Y";
        case ValueField::CentreX:
            return "Center X";
        case ValueField::CentreY:
            return "Center Y";
    }
    return "";
}

std::string AddSegmentCommand::Text() const {
    return "Add " + PathTypeText(segment_.typeChoice) + " Segment";
}

bool AddSegmentCommand::Redo(EditorWorkingSet& working) const {
    return InsertAt(working.paths, entry_, segment_);
}

bool AddSegmentCommand::Undo(EditorWorkingSet& working) const {
    return EraseAt(working.paths, entry_);
}

std::string AddAreaCommand::Text() const {
    return "Add " + AreaTypeText(area_.typeChoice) + " Area";
}

bool AddAreaCommand::Redo(EditorWorkingSet& working) const {
    return InsertAt(working.areas, entry_, area_);
}

bool AddAreaCommand::Undo(EditorWorkingSet& working) const {
    return EraseAt(working.areas, entry_);
}

std::string RemoveEntryCommand::Text() const {
    if (const auto* segment = std::get_if<WorkingPath>(&removed_))
        return "Remove " + PathTypeText(segment->typeChoice) + " Segment";
    return "Remove " + AreaTypeText(std::get<WorkingArea>(removed_).typeChoice) + " Area";
}

bool RemoveEntryCommand::Redo(EditorWorkingSet& working) const {
    return entryKind() == EntryKind::Path ? EraseAt(working.paths, entry_)
                                          : EraseAt(working.areas, entry_);
}

bool RemoveEntryCommand::Undo(EditorWorkingSet& working) const {
    if (const auto* segment = std::get_if<WorkingPath>(&removed_))
        return InsertAt(working.paths, entry_, *segment);
    return InsertAt(working.areas, entry_, std::get<WorkingArea>(removed_));
}

bool MovePointCommand::Redo(EditorWorkingSet& working) const {
    return SetPoint(working, list_, entry_, role_, to_);
}

bool MovePointCommand::Undo(EditorWorkingSet& working) const {
    return SetPoint(working, list_, entry_, role_, from_);
}

std::string ChangeValueCommand::Text() const { return std::string("Change ") + FieldName(field_); }

bool ChangeValueCommand::Redo(EditorWorkingSet& working) const {
    return SetValue(working, list_, entry_, field_, to_);
}

bool ChangeValueCommand::Undo(EditorWorkingSet& working) const {
    return SetValue(working, list_, entry_, field_, from_);
}

std::unique_ptr<EditCommand> MakeRemoveEntry(const EditorWorkingSet& working, int32_t tileId,
                                             EntryKind list, int32_t entry) {
    if (list == EntryKind::Path) {
        const WorkingPath* segment = EntryAt(working.paths, entry);
        if (segment == nullptr) return nullptr;
        return std::make_unique<RemoveEntryCommand>(tileId, entry, *segment);
    }
    const WorkingArea* area = EntryAt(working.areas, entry);
    if (area == nullptr) return nullptr;
    return std::make_unique<RemoveEntryCommand>(tileId, entry, *area);
}

std::unique_ptr<EditCommand> MakeMovePoint(const EditorWorkingSet& working, int32_t tileId,
                                           EntryKind list, int32_t entry, PointRole role,
                                           FeetPoint to) {
    const std::optional<FeetPoint> from = PointOf(working, list, entry, role);
    const auto [fieldX, fieldY] = FieldsOfPoint(role);
    if (!from || *from == to || !ValidValue(list, fieldX, to.x) || !ValidValue(list, fieldY, to.y))
        return nullptr;
    return std::make_unique<MovePointCommand>(tileId, list, entry, role, *from, to);
}

std::unique_ptr<EditCommand> MakeChangeValue(const EditorWorkingSet& working, int32_t tileId,
                                             EntryKind list, int32_t entry, ValueField field,
                                             float to) {
    const std::optional<float> from = ValueOf(working, list, entry, field);
    if (!from || *from == to || !ValidValue(list, field, to)) return nullptr;
    return std::make_unique<ChangeValueCommand>(tileId, list, entry, field, *from, to);
}

std::string CommandGroup::Text() const {
    if (!text_.empty()) return text_;
    return commands_.empty() ? std::string() : commands_.front()->Text();
}

bool CommandGroup::Redo(EditorWorkingSet& working) const {
    for (size_t i = 0; i < commands_.size(); ++i) {
        if (commands_[i]->Redo(working)) continue;
        while (i > 0) commands_[--i]->Undo(working);
        return false;
    }
    return true;
}

bool CommandGroup::Undo(EditorWorkingSet& working) const {
    for (size_t i = commands_.size(); i > 0; --i) {
        if (commands_[i - 1]->Undo(working)) continue;
        for (size_t j = i; j < commands_.size(); ++j) commands_[j]->Redo(working);
        return false;
    }
    return true;
}

bool CommandGroup::Changes(EditorWorkingSet& working, bool undone,
                           std::vector<EntryChange>& changes) const {
    const size_t before = changes.size();
    const size_t count = commands_.size();
    for (size_t i = 0; i < count; ++i) {
        const EditCommand& command = *commands_[undone ? count - 1 - i : i];
        if (command.Changes(working, undone, changes)) continue;
        while (i > 0) {
            --i;
            const EditCommand& done = *commands_[undone ? count - 1 - i : i];
            if (undone)
                done.Redo(working);
            else
                done.Undo(working);
        }
        changes.resize(before);
        return false;
    }
    return true;
}

namespace {

std::variant<std::monostate, WorkingPath, WorkingArea> EntryValue(const EditorWorkingSet& working,
                                                                  EntryKind list, int32_t entry) {
    if (list == EntryKind::Path) {
        if (const WorkingPath* path = EntryAt(working.paths, entry)) return *path;
    } else if (const WorkingArea* area = EntryAt(working.areas, entry)) {
        return *area;
    }
    return std::monostate{};
}

}  // namespace

bool EditCommand::ChangeOneEntry(EditorWorkingSet& working, bool undone, EntryKind list,
                                 int32_t entry, EntryAction done,
                                 std::vector<EntryChange>& changes) const {
    EntryChange change{list, entry, done, {}, {}};
    if (undone && done != EntryAction::Change)
        change.action = done == EntryAction::Add ? EntryAction::Remove : EntryAction::Add;
    if (change.action != EntryAction::Add) change.before = EntryValue(working, list, entry);
    if (!(undone ? Undo(working) : Redo(working))) return false;
    if (change.action != EntryAction::Remove) change.after = EntryValue(working, list, entry);
    changes.push_back(std::move(change));
    return true;
}

}  // namespace lorvane
