#include "support/shell_panel.h"

#include "base/command_ids.h"
#include "editor/path_dialogs.h"

namespace lorvane::testing {

ShellPanel::ShellPanel(MainShell& shell)
    : shell_(shell),
      panel_(
          {shell.state().database, shell.state().shell.textureLoaded, shell.state().startupFolder},
          {shell.platform().messages, shell.platform().files, *this}) {
    panel_.Initialise();
    panel_.view().SetViewport(300, 300);
    panel_.RunPosted();
}

void ShellPanel::HandleCommand(int id) {
    panel_.Command(id);
    panel_.RunPosted();
}

void ShellPanel::SetTileImage(const std::string& path, const std::string& name) {
    panel_.SetTileImage(path, name);
}

void ShellPanel::SetDatabaseMenus(bool enabled) {
    shell_.EnableMenuItem(kMenuSaveTextureBin, enabled);
    if (enabled) shell_.EnableMenuItem(kMenuAddSet, true);
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
}

void ShellPanel::RightClick(int x, int y) {
    panel_.PointerReleased(MouseButton::Right, {double(x), double(y)});
    panel_.RunPosted();
}

}  // namespace lorvane::testing
