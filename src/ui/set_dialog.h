#pragma once
// The set dialog "Edit Set Terrain Type" in its three modes: the set number
// (edit 29032, digits only, centred) and the terrain type list (29033).
// Button 1 hands the number and the list position to the command's rules,
// which decide whether the dialog ends; button 2 cancels.

#include <QDialog>

#include "shell/command_dialogs.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lorvane {

class SetDialog : public QDialog {
    Q_OBJECT
  public:
    SetDialog(const SetDialogView& view, SetDialogApply apply, QWidget* owner);

    QLineEdit* numberEdit() const { return number_; }
    QComboBox* typeList() const { return types_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    void ApplyPressed();

    SetDialogApply onApply_;
    QLineEdit* number_;
    QComboBox* types_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

}  // namespace lorvane
