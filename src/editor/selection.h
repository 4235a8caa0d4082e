#pragma once
// Several entries of the tile picked at once: by Shift or Ctrl and a click,
// by a box dragged over the tile, by Ctrl+A, or by rows of the lists. What
// is done to the selection (delete, move, change a value, copy) is one step
// of the history.
//
// The selection keeps its entries in the order they were picked; the last
// is the current one, whose ends and rim the select tool drags.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "editor/clipboard.h"
#include "editor/edit_command.h"
#include "editor/picking.h"
#include "editor/working_set.h"

namespace lorvane {

class Selection {
  public:
    // The entries that are still in the tables, each once, in picking order.
    std::vector<Pick> Entries(const EditorWorkingSet& tables) const;
    // The current entry (the last picked that is still in the tables).
    std::optional<Pick> Current(const EditorWorkingSet& tables) const;
    bool Contains(EntryKind kind, int32_t entry) const;
    bool empty() const { return picks_.empty(); }

    void Clear() { picks_.clear(); }
    // Only this entry (nothing: none).
    void SetOnly(std::optional<Pick> pick);
    void Set(std::vector<Pick> picks) { picks_ = std::move(picks); }
    // Shift: adds the entry (it becomes the current one); Ctrl: takes it out
    // when it is in, adds it when not.
    void Add(const Pick& pick);
    void Toggle(const Pick& pick);
    // Makes a picked entry the current one, keeping the others.
    void MakeCurrent(const Pick& pick);

  private:
    std::vector<Pick> picks_;
};

// Every entry shown (paths and areas as shown), or those lying wholly inside
// the box between two corners in feet: a segment with both ends inside, an
// area with its whole disc.
std::vector<Pick> AllEntries(const EditorWorkingSet& tables, bool paths, bool areas);
std::vector<Pick> EntriesInBox(const EditorWorkingSet& tables, FeetPointF a, FeetPointF b,
                               bool paths, bool areas);

// The entries as the clipboard carries them, paths then areas in table
// order: a segment begins a path when it began one or when the segment
// before it in the tables is not among them.
ClipboardEntries SelectedClipboardEntries(const EditorWorkingSet& tables,
                                          std::span<const Pick> picks);

// The commands on a selection, each one step ("Delete 3 Entries"), or the
// command of its one entry as it would be alone; null when nothing changes.
// The move is cut so that every point stays on the tile. A change of a value
// applies to the entries of that kind only.
std::unique_ptr<EditCommand> RemoveEntries(const EditorWorkingSet& tables, int32_t tileId,
                                           std::span<const Pick> picks);
std::unique_ptr<EditCommand> MoveEntries(const EditorWorkingSet& tables, int32_t tileId,
                                         std::span<const Pick> picks, double dx, double dy);
std::unique_ptr<EditCommand> ChangeEntries(const EditorWorkingSet& tables, int32_t tileId,
                                           std::span<const Pick> picks, EntryKind kind,
                                           ValueField field, float to);

}  // namespace lorvane
