#pragma once
// The interfaces through which the main window's logic meets the windows
// that draw it and the user's answers to a question.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/message.h"

namespace lorvane {

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
    // The View and Help menus' windows: the message log, the user guide and
    // the keyboard shortcuts. A host without them ignores the commands.
    virtual void ShowMessages() {}
    virtual void ShowUserGuide() {}
    virtual void ShowKeyboardShortcuts() {}
    virtual void Beep() {}
    // Ends the program after the close sequence has agreed.
    virtual void CloseWindow() = 0;
    // Runs work after the current event has been handled (a posted command).
    virtual void Post(std::function<void()> work) = 0;
};

// What the program did, told without stopping the user: a database loaded,
// saved or exported, terrain written. The desktop program shows it in the
// status bar and keeps it in the Messages window; failures and questions
// stay modal (MessageSink, SaveQuestion). The message's detail names the file.
class Notices {
  public:
    virtual ~Notices() = default;
    virtual void Notice(const Message& message) = 0;
};

// The messages of an operation whose information is its outcome: those go
// to the notices, everything else (failures, warnings) shows as before.
class NoticeRouter : public MessageSink {
  public:
    NoticeRouter(MessageSink& messages, Notices& notices, std::string detail = {})
        : messages_(messages), notices_(notices), detail_(std::move(detail)) {}
    void Show(const Message& message) override {
        if (message.icon != MessageIcon::Information) {
            messages_.Show(message);
            return;
        }
        Message notice = message;
        if (notice.detail.empty()) notice.detail = detail_;
        notices_.Notice(notice);
    }

  private:
    MessageSink& messages_;
    Notices& notices_;
    std::string detail_;
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
