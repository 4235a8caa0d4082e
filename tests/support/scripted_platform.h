#pragma once
// A scripted platform for tests: records every message, notice, file
// dialog, question and progress call in order, answers every dialog from a script,
// and keeps settings in memory (a copy of the map is a "restart").

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "base/message.h"
#include "base/platform.h"
#include "base/progress.h"
#include "shell/shell_interfaces.h"
#include "shell/shell_state.h"

namespace lorvane::testing {

class ScriptedPlatform : public MessageSink,
                         public FileChooser,
                         public SettingsStore,
                         public SaveQuestion,
                         public Notices,
                         public ProgressView {
  public:
    // Messages, in the order they came.
    void Show(const Message& message) override;
    std::vector<Message> messages;

    // Notices of what was done, in the order they came (apart from the
    // messages: a notice stops nobody).
    void Notice(const Message& notice) override { notices.push_back(notice); }
    std::vector<Message> notices;

    // File dialogs: each request is recorded and answered by the next scripted
    // choice; with none left the dialog is cancelled.
    FileChoice OpenFile(const FileDialogRequest& request) override;
    FileChoice OpenFiles(const FileDialogRequest& request) override;
    FileChoice SaveFile(const FileDialogRequest& request) override;
    struct DialogCall {
        enum class Kind { Open, OpenSeveral, Save } kind;
        FileDialogRequest request;
    };
    std::vector<DialogCall> dialogs;
    std::deque<FileChoice> choices;

    // Settings in memory; failWrites makes every write fail.
    std::optional<std::string> Read(std::string_view name) override;
    bool Write(std::string_view name, std::string_view value) override;
    std::map<std::string, std::string, std::less<>> settings;
    bool failWrites = false;

    // Save questions: recorded and answered from the script (Cancel when none
    // is left).
    SaveAnswer AskSave(const Message& question) override;
    std::vector<Message> questions;
    std::deque<SaveAnswer> answers;

    // Questions with buttons of their own: recorded with their buttons and
    // answered by the button text scripted next (the last button, as Esc,
    // when none is left or the text is not one of the buttons).
    size_t AskChoice(const Message& question, const std::vector<std::string>& buttons,
                     size_t defaultButton) override;
    struct ChoiceCall {
        Message question;
        std::vector<std::string> buttons;
        size_t defaultButton = 0;
    };
    std::vector<ChoiceCall> choiceQuestions;
    std::deque<std::string> choiceAnswers;

    // The progress dialog, as a log of what it showed ("open <caption> 0..N",
    // "sections <count> <position>", "close").
    void OpenView(const std::string& caption, int rangeMin, int rangeMax) override;
    void ShowSections(int count, int position) override;
    void CloseView() override;
    std::vector<std::string> progressLog;

  private:
    FileChoice Answer(DialogCall::Kind kind, const FileDialogRequest& request);
};

}  // namespace lorvane::testing
