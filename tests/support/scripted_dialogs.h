#pragma once
// Scripted answers for the command dialogs: the set dialog presses button 1
// with each scripted number and type position in turn (or cancels when the
// script runs out), and the Theater.map dialog applies scripted edits (or
// cancels). Every dialog shown is recorded.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_dialogs.h"

namespace lorvane::testing {

class ScriptedDialogs : public CommandDialogs {
  public:
    struct SetPress {
        std::string number;
        int typePosition = 0;
    };
    // One entry per dialog: the presses of button 1, then cancel if none
    // of them closed it. An empty list cancels at once.
    std::deque<std::vector<SetPress>> setAnswers;
    std::vector<SetDialogView> setViews;

    // One entry per dialog: nullopt cancels, otherwise the texts to type
    // (by control id) before "Apply Changes".
    std::deque<std::optional<TheaterMapTexts>> mapAnswers;
    std::vector<TheaterMapTexts> mapShown;

    bool RunSetDialog(const SetDialogView& view, const SetDialogApply& apply) override {
        setViews.push_back(view);
        if (setAnswers.empty()) return false;
        const std::vector<SetPress> presses = std::move(setAnswers.front());
        setAnswers.pop_front();
        for (const SetPress& press : presses)
            if (apply(press.number, press.typePosition)) return true;
        return false;
    }

    bool RunTheaterMapDialog(TheaterMapTexts& texts) override {
        mapShown.push_back(texts);
        if (mapAnswers.empty()) return false;
        const std::optional<TheaterMapTexts> edits = std::move(mapAnswers.front());
        mapAnswers.pop_front();
        if (!edits) return false;
        for (const auto& [id, text] : *edits) texts[id] = text;
        return true;
    }
};

}  // namespace lorvane::testing
