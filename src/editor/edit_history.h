#pragma once
// The edit history of one tile: the commands done, in order, and how many of
// them are applied now. Two places in it are remembered: the one the last
// saved file holds ("saved") and the one the tile's record in the database
// holds ("written"). The tile has unsaved changes when the history is not at
// its saved place, and its tables must be written into its record when it is
// not at its written place; nothing sets either by hand.

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "editor/edit_command.h"

namespace lorvane {

class EditHistory {
  public:
    // Runs the command on the tables and keeps it; the commands undone before
    // it are dropped (with a saved or written place among them, which can
    // then not be reached again). False, and nothing kept, when the command
    // did not fit the tables.
    bool Push(std::unique_ptr<EditCommand> command, EditorWorkingSet& working);
    // Takes back the last applied command, or applies the next undone one.
    // False when there is none (or it does not fit the tables).
    bool Undo(EditorWorkingSet& working);
    bool Redo(EditorWorkingSet& working);

    // The command Undo or Redo would run; null when there is none.
    const EditCommand* NextUndo() const;
    const EditCommand* NextRedo() const;
    // How many commands are applied, and how many are kept.
    size_t position() const { return position_; }
    size_t size() const { return commands_.size(); }

    void MarkSaved() { saved_ = position_; }
    bool IsSaved() const { return saved_ == position_; }
    void MarkWritten() { written_ = position_; }
    bool IsWritten() const { return written_ == position_; }

  private:
    std::vector<std::unique_ptr<EditCommand>> commands_;
    size_t position_ = 0;
    std::optional<size_t> saved_ = 0;
    std::optional<size_t> written_ = 0;
};

}  // namespace lorvane
