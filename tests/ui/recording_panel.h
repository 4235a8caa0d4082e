#pragma once
// An editor panel for the main window's widget tests that only records what
// the main window hands it; installed in place of the program's panel.

#include <string>
#include <vector>

#include "shell/shell_interfaces.h"
#include "ui/application.h"

namespace lorvane {

class RecordingPanel : public EditorPanelHost {
  public:
    explicit RecordingPanel(Application& app) : app_(app) { app.shell().SetEditorPanel(this); }
    ~RecordingPanel() override { app_.shell().SetEditorPanel(nullptr); }

    void HandleCommand(int id) override { commands.push_back(id); }
    void SetTexturePath(const std::string& path) override { texturePath = path; }
    void SetTileImage(const std::string& path, const std::string& name) override {
        tileImagePath = path;
        tileName = name;
    }
    void SetProposedFileName(const std::string& name) override { proposedFileName = name; }
    std::optional<int> TileOnScreen() const override { return tileOnScreen; }
    bool HasUnsavedChanges() const override { return unsavedChanges; }
    bool SaveForClose() override {
        commands.push_back(kPanelSave);
        if (saveSucceeds) unsavedChanges = false;
        return saveSucceeds;
    }

    std::vector<int> commands;
    std::string texturePath;
    std::string tileImagePath;
    std::string tileName;
    std::string proposedFileName;
    bool unsavedChanges = false;
    std::optional<int> tileOnScreen;
    bool saveSucceeds = true;

  private:
    Application& app_;
};

}  // namespace lorvane
