#pragma once
// The main window's logic with the terrain and database commands installed,
// on the scripted platform, with the editor panel's logic joined to it and a
// host that keeps the tile list "window" and runs posted work at once.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/command_ids.h"
#include "shell/database_commands.h"
#include "shell/main_shell.h"
#include "shell/terrain_commands.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_platform.h"
#include "support/shell_panel.h"
#include "support/texture_builder.h"

namespace lorvane::testing {

// The scripted platform whose progress dialog is cancelled once the running
// operation has looked for input a given number of times.
class CancellingPlatform : public ScriptedPlatform {
  public:
    void TakeInput() override {
        ++inputTakes;
        if (cancelAfter > 0 && inputTakes == cancelAfter && cancel) cancel();
    }
    int cancelAfter = 0;  // 0: never
    int inputTakes = 0;
    std::function<void()> cancel;
};

class InstantHost : public ShellHost {
  public:
    void MenuChanged() override {}
    void TitleChanged(const std::string& text) override { title = text; }
    bool CreateTileListWindow() override { return true; }
    void TileListChanged(std::optional<int>) override { ++listChanges; }
    void TileListSelectionChanged() override {}
    void FocusTileList() override {}
    void ShowAboutBox() override {}
    void CloseWindow() override {}
    void Post(std::function<void()> work) override { work(); }
    void Beep() override { ++beeps; }
    std::string title;
    int listChanges = 0;
    int beeps = 0;
};

class CommandTest : public ::testing::Test {
  protected:
    CommandTest()
        : folder(MakeTempFolder("lorvane-commands")),
          shell(state, {platform, platform, platform, platform, platform}),
          terrain(shell, dialogs, output),
          database(shell, dialogs) {
        shell.SetHost(&host);
        shell.SetProgressView(&platform);
        shell.Initialize(folder);  // no ini file: the "Balkans" defaults
        shell.LoadRecentFileList();
        panel.emplace(shell);
        terrain.Register();
        database.Register();
        platform.cancel = [this] { shell.progress()->Cancel(); };
    }
    ~CommandTest() override {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    bool Enabled(int id) const { return const_cast<MainShell&>(shell).menu().IsEnabled(id); }
    void Answer(const std::filesystem::path& path) {
        platform.choices.push_back(FileChoice::Chosen(path));
    }
    void AnswerFailed(int code) { platform.choices.push_back(FileChoice::Failed(code)); }
    void AnswerCancel() { platform.choices.push_back(FileChoice::Cancelled()); }
    // Forgets what the platform recorded so far.
    void ClearRecords() {
        platform.messages.clear();
        platform.notices.clear();
        platform.dialogs.clear();
        platform.progressLog.clear();
    }

    std::filesystem::path folder;
    CancellingPlatform platform;
    ScriptedDialogs dialogs;
    AppState state;
    TheaterOutputState output;
    InstantHost host;
    MainShell shell;
    TerrainCommands terrain;
    DatabaseCommands database;
    std::optional<ShellPanel> panel;
    DatabaseSession& session = state.session;
};

}  // namespace lorvane::testing
