#include "support/shell_panel.h"

#include "base/command_ids.h"
#include "editor/path_dialogs.h"

namespace lorvane::testing {

ShellPanel::ShellPanel(MainShell& shell)
    : shell_(shell),
      panel_(shell.session().document(),
             {shell.platform().messages, shell.platform().files, shell}) {
    panel_.SetView(this);
    shell.session().SetEditor(&panel_);
    panel_.Initialise();
    panel_.view().SetViewport(300, 300);
    panel_.RunPosted();
}

ShellPanel::~ShellPanel() { shell_.session().SetEditor(nullptr); }

void ShellPanel::HandleCommand(int id) {
    if (id == kPanelOpenTexture || id == kPanelSave) {
        shell_.HandleCommand(id == kPanelSave ? kMenuSaveTextureBin : kMenuOpenTextureBin);
        return;
    }
    panel_.Command(id);
    panel_.RunPosted();
    shell_.session().ShowChanges();  // as the window shows every change
}

bool ShellPanel::RunNewPathDialog() {
    NewPathForm form = panel_.OpenNewPath();
    if (newPathPosition) form = panel_.ChangeNewPathType(*newPathPosition);
    if (!newPathWidth.empty()) form.widthText = newPathWidth;
    return panel_.AcceptNewPath(form);
}

void ShellPanel::Click(int x, int y) {
    panel_.PointerReleased(MouseButton::Left, {double(x), double(y)});
    panel_.RunPosted();
    shell_.session().ShowChanges();
}

void ShellPanel::RightClick(int x, int y) {
    panel_.PointerReleased(MouseButton::Right, {double(x), double(y)});
    panel_.RunPosted();
    shell_.session().ShowChanges();
}

}  // namespace lorvane::testing
