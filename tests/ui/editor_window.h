#pragma once
// The program's objects around the editor panel, as the application makes
// them, for the tests that drive the panel's window with real events on the
// offscreen platform: the state, a scripted platform, the shell, the panel
// and its window, shown.

#include <QTest>
#include <filesystem>
#include <memory>

#include "shell/main_shell.h"
#include "support/scripted_platform.h"
#include "support/texture_builder.h"
#include "ui/lorvane_dialog.h"
#include "ui/zoom_viewer.h"

namespace lorvane::testing {

struct EditorWindow {
    explicit EditorWindow(const char* folderName)
        : folder(MakeTempFolder(folderName)),
          state(std::make_unique<AppState>()),
          shell(std::make_unique<MainShell>(
              *state, ShellPlatform{platform, platform, platform, platform, platform})) {
        shell->Initialize(folder);
        panel = std::make_unique<EditorPanel>(state->session.document(),
                                              PanelServices{platform, platform, *shell});
        dialog = std::make_unique<LorvaneDialog>(*shell, *panel, nullptr);
        state->session.SetEditor(panel.get(), [this] { dialog->Sync(); });
        dialog->show();
    }
    ~EditorWindow() {
        state->session.SetEditor(nullptr);
        dialog.reset();
        panel.reset();
        shell.reset();
        state.reset();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // The viewer's field, which mouse input goes to.
    QWidget* Field() { return dialog->viewer().viewport(); }
    // Where a point of the tile is in that field.
    QPoint At(FeetPointF feet) const {
        const ScreenPoint p = panel->view().ToScreen(feet);
        return QPoint(int(std::lround(p.x)), int(std::lround(p.y)));
    }

    std::filesystem::path folder;
    ScriptedPlatform platform;
    std::unique_ptr<AppState> state;
    std::unique_ptr<MainShell> shell;
    std::unique_ptr<EditorPanel> panel;  // the program owns the panel
    std::unique_ptr<LorvaneDialog> dialog;
};

}  // namespace lorvane::testing
