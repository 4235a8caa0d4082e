#pragma once
// The editor panel "LorvaneDialog": every control of its template in place
// (dialog units converted for the font in use), showing what the editor's
// logic (EditorPanel) holds and passing on what the user does. It is the
// main window's editor panel (EditorPanelHost) and the logic's host
// (PanelHost). Controls are named by their ids ("29039", "29100" ...).

#include <QFrame>
#include <QTimer>
#include <map>
#include <utility>
#include <vector>

#include "editor/editor_panel.h"
#include "shell/shell_interfaces.h"
#include "ui/zoom_viewer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace lorvane {

class MainShell;
class ZoomViewer;

// The editor panel's window: shows the panel (which the program owns) and
// passes on what the user does.
class LorvaneDialog : public QFrame, public PanelView {
    Q_OBJECT
  public:
    LorvaneDialog(MainShell& shell, EditorPanel& panel, QWidget* parent);
    ~LorvaneDialog() override;

    EditorPanel& panel() { return panel_; }
    ZoomViewer& viewer() { return *viewer_; }
    // Shows the logic's state: read-outs, lists, check boxes, Save, viewer.
    void Sync();
    // Runs the delete dialog of the main window's "Delete Path..." or
    // "Delete Area".
    void RunDeleteDialog(PanelList list);

    // A command of the panel's buttons and check boxes.
    void HandleCommand(int id);

    // PanelView
    void Beep() override;
    bool RunNewPathDialog() override;
    bool RunNewAreaDialog() override;
    void CommandPosted() override;
    void AddClipboardKeys();
    std::optional<int32_t> ChooseSuggestionType(int32_t current) override;
    std::optional<int32_t> ChooseEntryWidth(int32_t current) override;
    std::optional<int32_t> ChooseEntryType(PanelList list, int32_t current) override;
    void PutOnClipboard(const std::string& text) override;
    std::string ClipboardText() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    QPushButton* AddButton(int id, const char* text, QRect place);
    void AddReadout(int id, QRect place);
    void AddLabel(const char* text, QRect place);
    QTreeWidget* AddList(int id, PanelList list, QRect place);
    void SyncList(QTreeWidget* view, const ListView& rows);
    void SyncSelection();
    // Enter in a point field: the point (or radius) typed is placed.
    void PlaceTyped(int field);
    void ViewerMouseEvent(const ViewerMouse& mouse);
    // The context menu of a list row or of the viewer at a place on the
    // screen; the action chosen runs.
    void RunContextMenu(const ContextTarget& target, QPoint globalAt);
    int SelectedRow(QTreeWidget* view) const;
    void RunPostedCommands();
    // Where a control of the panel lies in the seed layout.
    QRect SeedPlace(const QWidget* child) const;

    MainShell& shell_;
    EditorPanel& panel_;
    ZoomViewer* viewer_ = nullptr;
    int shownImage_ = -1;  // the generation of the tile image the viewer shows
    bool syncing_ = false;
    std::map<int, QLabel*> readouts_;
    std::map<int, QLineEdit*> fields_;  // the point fields, typed into while drawing
    QPushButton* save_ = nullptr;
    QCheckBox* showPaths_ = nullptr;
    QCheckBox* showAreas_ = nullptr;
    QTreeWidget* pathList_ = nullptr;
    QTreeWidget* areaList_ = nullptr;
    bool postScheduled_ = false;
    // Every control's place in the seed layout; a larger panel moves and
    // stretches them from there.
    std::vector<std::pair<QWidget*, QRect>> seedPlaces_;
};

}  // namespace lorvane
