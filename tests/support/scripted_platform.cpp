#include "support/scripted_platform.h"

namespace lorvane::testing {

void ScriptedPlatform::Show(const Message& message) { messages.push_back(message); }

FileChoice ScriptedPlatform::Answer(DialogCall::Kind kind, const FileDialogRequest& request) {
    dialogs.push_back({kind, request});
    if (choices.empty()) return FileChoice::Cancelled();
    FileChoice choice = std::move(choices.front());
    choices.pop_front();
    return choice;
}

FileChoice ScriptedPlatform::OpenFile(const FileDialogRequest& request) {
    return Answer(DialogCall::Kind::Open, request);
}

FileChoice ScriptedPlatform::OpenFiles(const FileDialogRequest& request) {
    return Answer(DialogCall::Kind::OpenSeveral, request);
}

FileChoice ScriptedPlatform::SaveFile(const FileDialogRequest& request) {
    return Answer(DialogCall::Kind::Save, request);
}

std::optional<std::string> ScriptedPlatform::Read(std::string_view name) {
    auto found = settings.find(name);
    if (found == settings.end()) return std::nullopt;
    return found->second;
}

bool ScriptedPlatform::Write(std::string_view name, std::string_view value) {
    if (failWrites) return false;
    settings[std::string(name)] = std::string(value);
    return true;
}

SaveAnswer ScriptedPlatform::AskSave(const Message& question) {
    questions.push_back(question);
    if (answers.empty()) return SaveAnswer::Cancel;
    const SaveAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

size_t ScriptedPlatform::AskChoice(const Message& question, const std::vector<std::string>& buttons,
                                   size_t defaultButton) {
    choiceQuestions.push_back({question, buttons, defaultButton});
    std::string answer;
    if (!choiceAnswers.empty()) {
        answer = std::move(choiceAnswers.front());
        choiceAnswers.pop_front();
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == answer) return i;
    return buttons.empty() ? 0 : buttons.size() - 1;
}

void ScriptedPlatform::OpenView(const std::string& caption, int rangeMin, int rangeMax) {
    progressLog.push_back("open " + caption + " " + std::to_string(rangeMin) + ".." +
                          std::to_string(rangeMax));
}

void ScriptedPlatform::ShowSections(int count, int position) {
    progressLog.push_back("sections " + std::to_string(count) + " " + std::to_string(position));
}

void ScriptedPlatform::CloseView() { progressLog.push_back("close"); }

}  // namespace lorvane::testing
