#pragma once
// The command dialogs of the desktop program: the set dialog and the
// Theater.map dialog, run modally over the main window.

#include "shell/command_dialogs.h"

class QWidget;

namespace lorvane {

class QtCommandDialogs : public CommandDialogs {
  public:
    void SetOwner(QWidget* owner) { owner_ = owner; }
    bool RunSetDialog(const SetDialogView& view, const SetDialogApply& apply) override;
    bool RunTheaterMapDialog(TheaterMapTexts& texts) override;

  private:
    QWidget* owner_ = nullptr;
};

}  // namespace lorvane
