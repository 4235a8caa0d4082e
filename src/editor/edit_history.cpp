#include "editor/edit_history.h"

namespace lorvane {

namespace {

// A remembered place among the commands about to be dropped is lost.
void Forget(std::optional<size_t>& place, size_t kept) {
    if (place && *place > kept) place.reset();
}

}  // namespace

bool EditHistory::Push(std::unique_ptr<EditCommand> command, EditorWorkingSet& working) {
    if (command == nullptr || !command->Redo(working)) return false;
    commands_.resize(position_);
    Forget(saved_, position_);
    Forget(written_, position_);
    commands_.push_back(std::move(command));
    ++position_;
    return true;
}

bool EditHistory::Undo(EditorWorkingSet& working) {
    if (position_ == 0 || !commands_[position_ - 1]->Undo(working)) return false;
    --position_;
    return true;
}

bool EditHistory::Redo(EditorWorkingSet& working) {
    if (position_ == commands_.size() || !commands_[position_]->Redo(working)) return false;
    ++position_;
    return true;
}

const EditCommand* EditHistory::NextUndo() const {
    return position_ == 0 ? nullptr : commands_[position_ - 1].get();
}

const EditCommand* EditHistory::NextRedo() const {
    return position_ == commands_.size() ? nullptr : commands_[position_].get();
}

}  // namespace lorvane
