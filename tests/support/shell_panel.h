#pragma once
// The editor panel's logic joined to the main window's logic without any
// window: the panel's host is the shell (title, menus, recent files, tile
// list, remembered folders), and the shell's editor panel is the logic.
// Posted commands run at once; the viewer is 300 pixels square.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "editor/editor_panel.h"
#include "shell/main_shell.h"

namespace lorvane::testing {

class ShellPanel : public EditorPanelHost, public PanelHost {
  public:
    explicit ShellPanel(MainShell& shell);

    EditorPanel& panel() { return panel_; }

    // EditorPanelHost
    void HandleCommand(int id) override;
    void SetTexturePath(const std::string& path) override { panel_.SetTexturePath(path); }
    void SetTileImage(const std::string& path, const std::string& name) override;
    void SetProposedFileName(const std::string& name) override { panel_.SetProposedTileName(name); }
    std::optional<int> TileOnScreen() const override { return panel_.tileOnScreen(); }
    bool HasUnsavedChanges() const override { return panel_.HasUnsavedEdits(); }
    bool SaveForClose() override { return panel_.SaveDatabase(); }

    // PanelHost
    void SetMainTitle(const std::string& title) override { shell_.SetTitle(title); }
    void SetDatabaseMenus(bool enabled) override;
    void RememberRecentFile(const std::string& path) override { shell_.RememberFile(path); }
    void RefillTileList() override { shell_.RefillTileList(); }
    void UpdateTileListRow(int indexPosition) override { shell_.UpdateTileListRow(indexPosition); }
    void FocusTileList() override { shell_.FocusTileList(); }
    void StepTileList(TileStep step) override { shell_.HandleArrowKey(step == TileStep::Down); }
    void Beep() override {}
    // The New Path dialog: the scripted type list position and width typed
    // (none: as it opens), then OK.
    bool RunNewPathDialog() override;
    bool RunNewAreaDialog() override { return true; }
    std::string& Folder(const char* settingName) override { return shell_.Folder(settingName); }
    void StoreFolder(const char* settingName, const std::string& folder) override {
        shell_.StoreFolder(settingName, folder);
    }
    void CommandPosted() override {}
    SaveTargetCheck CheckSaveTarget(const std::string& path) override {
        return shell_.CheckSaveTarget(path);
    }
    void DatabaseOpened(const std::string& path) override { shell_.DatabaseOpened(path); }
    void DatabaseSaved(const std::string& path) override { shell_.DatabaseSaved(path); }

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
