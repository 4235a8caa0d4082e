#pragma once
// The desktop program's objects and its start-up order: the state, the
// platform services, the shell logic, the main window with the theaters, the
// editor panel, the window placement and the recent files.

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/database_commands.h"
#include "shell/main_shell.h"
#include "shell/preferences.h"
#include "shell/recovery.h"
#include "shell/recovery_commands.h"
#include "shell/team_commands.h"
#include "shell/terrain_commands.h"
#include "ui/qt_command_dialogs.h"
#include "ui/qt_platform.h"

namespace lorvane {

class MainWindow;
class ProgressDialog;
class LorvaneDialog;
class TheaterMapWindow;

class Application {
  public:
    explicit Application(std::filesystem::path startupFolder);
    ~Application();

    // Start-up; false when the main window could not be made.
    bool Start();
    // Opens files as the recent-file entries open them, by extension.
    void OpenFiles(const std::vector<std::string>& paths);

    AppState& state() { return state_; }
    MainShell& shell() { return shell_; }
    MainWindow& window() { return *window_; }
    ProgressDialog& progressDialog() { return *progress_; }
    // The editor panel: the program owns it; its window shows it.
    EditorPanel& editorPanel() { return *editor_; }
    LorvaneDialog* lorvaneDialog() { return lorvaneDialog_; }
    TheaterOutputState& output() { return output_; }
    DatabaseCommands& databaseCommands() { return databaseCommands_; }
    TeamCommands& teamCommands() { return teamCommands_; }
    RecoveryCommands& recovery() { return recovery_; }
    QtCommandDialogs& dialogs() { return dialogs_; }
    // View ▸ Theater Map; null until it is opened or after it closed.
    TheaterMapWindow* theaterMapWindow();

  private:
    // Edit ▸ Preferences: OK stores the values and hands them to the editor.
    void EditPreferences();

    std::filesystem::path startupFolder_;
    AppState state_;
    QtPlatform platform_;
    MainShell shell_;
    TheaterOutputState output_;
    QtCommandDialogs dialogs_;
    TerrainCommands terrainCommands_;
    DatabaseCommands databaseCommands_;
    TeamCommands teamCommands_;
    RecoveryJournal journal_;
    RecoveryCommands recovery_;
    std::unique_ptr<EditorPanel> editor_;
    std::unique_ptr<MainWindow> window_;
    ProgressDialog* progress_ = nullptr;
    LorvaneDialog* lorvaneDialog_ = nullptr;
    QPointer<TheaterMapWindow> theaterMap_;
};

// The recovery journal's folder the preferences name: the per-user folder
// when they name none.
std::filesystem::path JournalFolder(const Preferences& preferences);

// The program: "lorvane [FILE...]", --help and --version work without a
// display. The exit status is 0 after a normal close, 1 when it could not start.
int RunLorvane(int argc, char** argv, const char* version);

}  // namespace lorvane
