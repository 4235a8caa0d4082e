#pragma once
// "Edit Theater.map Information": one centred edit control per header field
// (named by its control id), integer fields taking digits only, the six
// level rows in the group "Terrain LOD Map Dimensions" and the hemisphere
// note under the latitude. "Apply Changes" (1, the default) ends with the
// edited texts, "Cancel" (2) with nothing.

#include <QDialog>
#include <map>

#include "shell/command_dialogs.h"

class QLineEdit;
class QPushButton;

namespace lorvane {

class TheaterMapDialog : public QDialog {
    Q_OBJECT
  public:
    TheaterMapDialog(const TheaterMapTexts& texts, QWidget* owner);

    // The texts of the controls as they stand (each at most 255 characters).
    TheaterMapTexts Texts() const;
    QLineEdit* edit(int controlId) const;
    QPushButton* applyButton() const { return apply_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QLineEdit* AddEdit(const TheaterMapField& field, const TheaterMapTexts& texts);

    std::map<int, QLineEdit*> edits_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

}  // namespace lorvane
