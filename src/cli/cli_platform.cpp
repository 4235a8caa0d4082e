#include "cli/cli_platform.h"

namespace lorvane::cli {

FileChoice ArgumentFileChooser::OpenFile(const FileDialogRequest&) {
    if (answers_.empty()) return FileChoice::Cancelled();
    FileChoice choice = FileChoice::Chosen(answers_.front());
    answers_.pop_front();
    return choice;
}

FileChoice ArgumentFileChooser::OpenFiles(const FileDialogRequest&) {
    if (answers_.empty()) return FileChoice::Cancelled();
    FileChoice choice = FileChoice::Chosen(answers_.front());
    const std::string folder = choice.folderPart();
    choice.path = PathFromUtf8(folder);
    choice.fileNames.clear();
    while (!answers_.empty() && FileChoice::Chosen(answers_.front()).folderPart() == folder) {
        choice.fileNames.push_back(FileChoice::Chosen(answers_.front()).fileTitle());
        answers_.pop_front();
    }
    return choice;
}

FileChoice ArgumentFileChooser::SaveFile(const FileDialogRequest& request) {
    return OpenFile(request);
}

std::optional<std::string> RunSettings::Read(std::string_view name) {
    auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

bool RunSettings::Write(std::string_view name, std::string_view value) {
    values_[std::string(name)] = std::string(value);
    return true;
}

}  // namespace lorvane::cli
