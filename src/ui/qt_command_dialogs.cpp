#include "ui/qt_command_dialogs.h"

#include "ui/set_dialog.h"
#include "ui/theater_map_dialog.h"

namespace lorvane {

bool QtCommandDialogs::RunSetDialog(const SetDialogView& view, const SetDialogApply& apply) {
    SetDialog dialog(view, apply, owner_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtCommandDialogs::RunTheaterMapDialog(TheaterMapTexts& texts) {
    TheaterMapDialog dialog(texts, owner_);
    if (dialog.exec() != QDialog::Accepted) return false;
    texts = dialog.Texts();
    return true;
}

}  // namespace lorvane
