#pragma once
// The changes a user makes to a tile's paths and areas: one class per kind
// of change, each holding the tile's id and the old and the new values, so
// that it can be undone and redone any number of times, and written out
// (kind, tile id, values) by anything that keeps a record of the edits.
//
// Commands work on the tables of one tile (EditorWorkingSet, feet as floats).
// Entries are numbered from 1 as the lists show them. Redo expects the
// tables as they were when the command was made, Undo as Redo left them;
// a command that does not fit the tables it is given (an entry number
// beyond them) changes nothing and returns false.
//
// Nothing else changes the tables of a tile while it is being edited: the
// history (edit_history.h) runs every command.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "editor/working_set.h"

namespace lorvane {

enum class CommandKind { AddSegment, AddArea, RemoveEntry, MovePoint, ChangeValue, Group };
enum class EntryKind { Path, Area };
// The point of an entry that a move changes: a segment's start or end, an
// area's centre.
enum class PointRole { Start, End, Centre };
// The one value a change sets. Type is the position in the type list
// (PathTypeCodes or AreaTypeCodes, a whole number), the others are feet.
enum class ValueField { Type, Width, Radius, StartX, StartY, EndX, EndY, CentreX, CentreY };

// A point of a tile in feet, as the tables keep it: X up the tile, Y across it.
struct FeetPoint {
    float x = 0;
    float y = 0;
    bool operator==(const FeetPoint&) const = default;
};

// What a command does to one entry of a list: puts it in at that number
// (the later entries move up one), takes it out, or changes its values.
enum class EntryAction { Add, Remove, Change };
struct EntryChange {
    EntryKind list = EntryKind::Path;
    int32_t entry = 1;
    EntryAction action = EntryAction::Change;
    // The entry before (not for an add) and after (not for a removal).
    std::variant<std::monostate, WorkingPath, WorkingArea> before;
    std::variant<std::monostate, WorkingPath, WorkingArea> after;
};

class EditCommand {
  public:
    virtual ~EditCommand() = default;
    EditCommand(const EditCommand&) = delete;
    EditCommand& operator=(const EditCommand&) = delete;

    virtual CommandKind kind() const = 0;
    // The id of the tile the command changes.
    int32_t tileId() const { return tileId_; }
    // What the command does, as the Edit menu shows it after "Undo " or
    // "Redo ": "Add Road Segment", "Remove Water Area", "Change Width".
    virtual std::string Text() const = 0;
    virtual bool Redo(EditorWorkingSet& working) const = 0;
    virtual bool Undo(EditorWorkingSet& working) const = 0;
    // Redo (or, undone, Undo) on the tables, appending the entry changes it
    // makes there in the order it makes them (a group: its children's). False,
    // the tables as they were and nothing appended, when it does not fit.
    virtual bool Changes(EditorWorkingSet& working, bool undone,
                         std::vector<EntryChange>& changes) const = 0;

  protected:
    explicit EditCommand(int32_t tileId) : tileId_(tileId) {}
    // Changes for a command that changes one entry: done, it makes `done`
    // at that entry; undone, the reverse (an add takes out, a removal puts in).
    bool ChangeOneEntry(EditorWorkingSet& working, bool undone, EntryKind list, int32_t entry,
                        EntryAction done, std::vector<EntryChange>& changes) const;

  private:
    int32_t tileId_;
};

// Inserts a segment as entry `entry` (1 to the count + 1; the entries from
// there on move up one number).
class AddSegmentCommand final : public EditCommand {
  public:
    AddSegmentCommand(int32_t tileId, int32_t entry, const WorkingPath& segment)
        : EditCommand(tileId), entry_(entry), segment_(segment) {}
    CommandKind kind() const override { return CommandKind::AddSegment; }
    std::string Text() const override;
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override {
        return ChangeOneEntry(working, undone, EntryKind::Path, entry_, EntryAction::Add, changes);
    }
    int32_t entry() const { return entry_; }
    const WorkingPath& segment() const { return segment_; }

  private:
    int32_t entry_;
    WorkingPath segment_;
};

// Inserts an area as entry `entry` (1 to the count + 1).
class AddAreaCommand final : public EditCommand {
  public:
    AddAreaCommand(int32_t tileId, int32_t entry, const WorkingArea& area)
        : EditCommand(tileId), entry_(entry), area_(area) {}
    CommandKind kind() const override { return CommandKind::AddArea; }
    std::string Text() const override;
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override {
        return ChangeOneEntry(working, undone, EntryKind::Area, entry_, EntryAction::Add, changes);
    }
    int32_t entry() const { return entry_; }
    const WorkingArea& area() const { return area_; }

  private:
    int32_t entry_;
    WorkingArea area_;
};

// Removes entry `entry` of a list; the later entries move down one number.
// Holds the removed entry to put it back.
class RemoveEntryCommand final : public EditCommand {
  public:
    using Removed = std::variant<WorkingPath, WorkingArea>;
    RemoveEntryCommand(int32_t tileId, int32_t entry, Removed removed)
        : EditCommand(tileId), entry_(entry), removed_(removed) {}
    CommandKind kind() const override { return CommandKind::RemoveEntry; }
    std::string Text() const override;
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override {
        return ChangeOneEntry(working, undone, entryKind(), entry_, EntryAction::Remove, changes);
    }
    EntryKind entryKind() const {
        return std::holds_alternative<WorkingPath>(removed_) ? EntryKind::Path : EntryKind::Area;
    }
    int32_t entry() const { return entry_; }
    const Removed& removed() const { return removed_; }

  private:
    int32_t entry_;
    Removed removed_;
};

// Moves one point of an entry from `from` to `to`. Moving the start of a
// segment that begins a path keeps it the beginning of a path.
class MovePointCommand final : public EditCommand {
  public:
    MovePointCommand(int32_t tileId, EntryKind list, int32_t entry, PointRole role, FeetPoint from,
                     FeetPoint to)
        : EditCommand(tileId), list_(list), entry_(entry), role_(role), from_(from), to_(to) {}
    CommandKind kind() const override { return CommandKind::MovePoint; }
    std::string Text() const override { return "Move Point"; }
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override {
        return ChangeOneEntry(working, undone, list_, entry_, EntryAction::Change, changes);
    }
    EntryKind entryKind() const { return list_; }
    int32_t entry() const { return entry_; }
    PointRole role() const { return role_; }
    FeetPoint from() const { return from_; }
    FeetPoint to() const { return to_; }

  private:
    EntryKind list_;
    int32_t entry_;
    PointRole role_;
    FeetPoint from_;
    FeetPoint to_;
};

// Sets one value of an entry from `from` to `to`.
class ChangeValueCommand final : public EditCommand {
  public:
    ChangeValueCommand(int32_t tileId, EntryKind list, int32_t entry, ValueField field, float from,
                       float to)
        : EditCommand(tileId), list_(list), entry_(entry), field_(field), from_(from), to_(to) {}
    CommandKind kind() const override { return CommandKind::ChangeValue; }
    std::string Text() const override;
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override {
        return ChangeOneEntry(working, undone, list_, entry_, EntryAction::Change, changes);
    }
    EntryKind entryKind() const { return list_; }
    int32_t entry() const { return entry_; }
    ValueField field() const { return field_; }
    float from() const { return from_; }
    float to() const { return to_; }

  private:
    EntryKind list_;
    int32_t entry_;
    ValueField field_;
    float from_;
    float to_;
};

// Several commands done and undone as one (a joint dragged: the end of one
// segment and the start of the next). Redo runs them in order, Undo in
// reverse; when one does not fit, those already run are taken back and the
// tables are as they were. Its text is that of its first command.
class CommandGroup final : public EditCommand {
  public:
    // text: what the Edit menu calls the group; empty, its first command's.
    CommandGroup(int32_t tileId, std::vector<std::unique_ptr<EditCommand>> commands,
                 std::string text = {})
        : EditCommand(tileId), commands_(std::move(commands)), text_(std::move(text)) {}
    CommandKind kind() const override { return CommandKind::Group; }
    std::string Text() const override;
    bool Redo(EditorWorkingSet& working) const override;
    bool Undo(EditorWorkingSet& working) const override;
    bool Changes(EditorWorkingSet& working, bool undone,
                 std::vector<EntryChange>& changes) const override;
    const std::vector<std::unique_ptr<EditCommand>>& commands() const { return commands_; }

  private:
    std::vector<std::unique_ptr<EditCommand>> commands_;
    std::string text_;
};

// The number of entries of a list.
int32_t EntryCount(const EditorWorkingSet& working, EntryKind list);
// Whether a field or a point belongs to entries of that list (Width to paths,
// Radius and Centre to areas, Type to both ...).
bool FieldOfList(ValueField field, EntryKind list);
bool PointOfList(PointRole role, EntryKind list);
// A value or a point of entry n; nullopt when there is no entry n or the
// field or point is not one of that list.
std::optional<float> ValueOf(const EditorWorkingSet& working, EntryKind list, int32_t entry,
                             ValueField field);
std::optional<FeetPoint> PointOf(const EditorWorkingSet& working, EntryKind list, int32_t entry,
                                 PointRole role);
// Whether a value may be stored in a field: a type position of its list,
// a width or radius of more than 0 feet, a coordinate of 0 feet or more
// (never NaN or infinite).
bool ValidValue(EntryKind list, ValueField field, float value);
// The name of a field as the Edit menu shows it: "Width", "Start X".
const char* FieldName(ValueField field);

// Commands made from the tables as they are now, the old values read from
// them: null when there is no such entry, the field or point is not one of
// the list, the new value is not valid, or nothing would change.
std::unique_ptr<EditCommand> MakeRemoveEntry(const EditorWorkingSet& working, int32_t tileId,
                                             EntryKind list, int32_t entry);
std::unique_ptr<EditCommand> MakeMovePoint(const EditorWorkingSet& working, int32_t tileId,
                                           EntryKind list, int32_t entry, PointRole role,
                                           FeetPoint to);
std::unique_ptr<EditCommand> MakeChangeValue(const EditorWorkingSet& working, int32_t tileId,
                                             EntryKind list, int32_t entry, ValueField field,
                                             float to);

}  // namespace lorvane
