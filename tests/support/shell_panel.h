#pragma once
// The editor panel's logic joined to the main window's logic without any
// window: the panel draws on the shell's session, its host is the shell
// (recent files, tile list, remembered folders), and this stands for its
// window. Posted commands run at once; the viewer is 300 pixels square.

#include <optional>
#include <string>

#include "editor/editor_panel.h"
#include "shell/main_shell.h"

namespace lorvane::testing {

class ShellPanel : public PanelView {
  public:
    explicit ShellPanel(MainShell& shell);
    ~ShellPanel() override;

    EditorPanel& panel() { return panel_; }

    // A button or check box of the panel (Open and Save are the File menu's).
    void HandleCommand(int id);

    // PanelView
    void Beep() override {}
    // The New Path dialog: the scripted type list position and width typed
    // (none: as it opens), then OK.
    bool RunNewPathDialog() override;
    bool RunNewAreaDialog() override { return true; }
    void CommandPosted() override {}

    // A left click, a right click on the image at a viewer pixel.
    void Click(int x, int y);
    void RightClick(int x, int y);

    std::optional<int> newPathPosition;
    std::string newPathWidth;

  private:
    MainShell& shell_;
    EditorPanel panel_;
};

}  // namespace lorvane::testing
