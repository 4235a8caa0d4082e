#pragma once
// A stand-in for the editor panel in tests of the main window: a frame of the
// panel's size that records the forwarded commands and the paths placed for
// them, and shows the last one it received (Application::UseStandInPanel).

#include <QFrame>
#include <string>
#include <vector>

#include "shell/shell_interfaces.h"

class QLabel;

namespace lorvane {

class PlaceholderPanel : public QFrame, public EditorPanelHost {
    Q_OBJECT
public:
    explicit PlaceholderPanel(QWidget* parent = nullptr);

    void HandleCommand(int id) override;
    void SetTexturePath(const std::string& path) override { texturePath = path; }
    void SetTileImage(const std::string& path, const std::string& name) override {
        tileImagePath = path;
        tileName = name;
    }
    void SetProposedFileName(const std::string& name) override { proposedFileName = name; }
    bool HasUnsavedChanges() const override { return unsavedChanges; }
    bool SaveForClose() override;

    std::vector<int> commands;
    std::string texturePath;
    std::string tileImagePath;
    std::string tileName;
    std::string proposedFileName;
    bool unsavedChanges = false;
    bool saveSucceeds = true;

private:
    QLabel* status_;
};

}  // namespace lorvane
