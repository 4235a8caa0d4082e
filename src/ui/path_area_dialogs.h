#pragma once
// The four small dialogs of the editor: New Path (type and width), New Area
// (type), Delete Path and Delete Area (a number). Their rules are the
// editor's (editor/path_dialogs.h, EditorPanel::DeletePathNumber); each
// dialog only shows them. Controls are named by their ids ("29028" ...).

#include <QDialog>

#include "editor/editor_panel.h"
#include "editor/path_dialogs.h"

class QComboBox;
class QLineEdit;

namespace lorvane {

class NewPathDialog : public QDialog {
    Q_OBJECT
  public:
    NewPathDialog(EditorPanel& panel, QWidget* owner);
    // OK: a width below 1 is refused with a message and the dialog stays open.
    void accept() override;

  private:
    EditorPanel& panel_;
    QComboBox* types_;
    QLineEdit* width_;
};

class NewAreaDialog : public QDialog {
    Q_OBJECT
  public:
    NewAreaDialog(EditorPanel& panel, QWidget* owner);
    void accept() override;

  private:
    EditorPanel& panel_;
    QComboBox* types_;
};

// Delete Path (paths) or Delete Area: OK removes the numbered entry, or shows
// "Path Not Found" / "Area Not Found" and stays open.
class DeleteEntryDialog : public QDialog {
    Q_OBJECT
  public:
    DeleteEntryDialog(EditorPanel& panel, PanelList list, QWidget* owner);
    void accept() override;

  private:
    EditorPanel& panel_;
    PanelList list_;
    QLineEdit* number_;
};

}  // namespace lorvane
