#pragma once
// The interfaces through which the main window's logic meets the editor
// panel, the windows that draw it, and the user's answers to a question.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/message.h"

namespace lorvane {

// Anything that carries out command ids.
class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    virtual void HandleCommand(int id) = 0;
};

// The editor panel as the main window sees it. The main window places a path
// or name first, then sends (or posts) one of the panel's commands:
// 29038 open, 29039 save, 29040 load the Texture.bin at texturePath,
// 29046 load tileName from tileImagePath, 29101 the tile dialog (starting
// with the name proposed), 29001 undo, 29049 redo, 29102 new path, 29103
// new area.
class EditorPanelHost : public CommandTarget {
  public:
    virtual void SetTexturePath(const std::string& path) = 0;
    virtual void SetTileImage(const std::string& path, const std::string& name) = 0;
    // The file name the panel's tile dialog starts with.
    virtual void SetProposedFileName(const std::string& name) = 0;
    // The id of the tile on screen in the loaded database; nullopt when none.
    virtual std::optional<int> TileOnScreen() const = 0;
    // True while the database has changes that were not saved.
    virtual bool HasUnsavedChanges() const = 0;
    // Saves before the program closes; false when the save did not happen
    // (cancelled or failed), so the program stays open.
    virtual bool SaveForClose() = 0;
};

// What the main window's logic asks of the windows that show it.
class ShellHost {
  public:
    virtual ~ShellHost() = default;
    virtual void MenuChanged() = 0;
    virtual void TitleChanged(const std::string& title) = 0;
    // Creates the tile list window when there is none; false when it could not.
    virtual bool CreateTileListWindow() = 0;
    // The tile list's rows, order or selection changed (row: one row only).
    virtual void TileListChanged(std::optional<int> row) = 0;
    // Only the tile list's selected row changed.
    virtual void TileListSelectionChanged() = 0;
    virtual void FocusTileList() = 0;
    virtual void ShowAboutBox() = 0;
    // Ends the program after the close sequence has agreed.
    virtual void CloseWindow() = 0;
    // Runs work after the current event has been handled (a posted command).
    virtual void Post(std::function<void()> work) = 0;
};

enum class SaveAnswer { Save, Discard, Cancel };

// The questions the program asks: Save, Discard and Cancel; and a question
// with buttons of its own.
class SaveQuestion {
  public:
    virtual ~SaveQuestion() = default;
    virtual SaveAnswer AskSave(const Message& question) = 0;
    // Shows the buttons in order and returns the position of the one
    // pressed. The last button is the one that Esc or closing the box press;
    // Enter presses the default one, which should lose nothing.
    virtual size_t AskChoice(const Message& question, const std::vector<std::string>& buttons,
                             size_t defaultButton) = 0;
};

}  // namespace lorvane
