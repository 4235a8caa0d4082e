#pragma once
// The platform interfaces besides messages (message.h) and progress
// (progress.h): file choices and the stored settings. The desktop program
// implements them with Qt, the command-line tool from its arguments, and the
// tests with a script that answers every dialog.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/path_text.h"

namespace lorvane {

// One file dialog: title, filter, proposed name and start folder. The filter
// is written as one text with "|" separators, such as
// "Tile image file|*.pcx||" (pairs of description and pattern).
struct FileDialogRequest {
    std::string title;
    std::string filter;
    std::string proposedName;
    std::filesystem::path startFolder;
    std::string defaultExtension;  // empty: none
    bool fileMustExist = false;
    bool overwritePrompt = false;
};

struct FileChoice {
    enum class Outcome { Chosen, Cancelled, Failed };
    Outcome outcome = Outcome::Cancelled;
    // The chosen path (single choice), or the folder (several files).
    std::filesystem::path path;
    // The offset of the file name in path's UTF-8 text; the folder part is
    // path's first fileNameOffset characters, separator included.
    size_t fileNameOffset = 0;
    // The chosen file names without folder (several files).
    std::vector<std::string> fileNames;
    // The dialog's extended error code when outcome is Failed.
    int errorCode = 0;

    bool chosen() const { return outcome == Outcome::Chosen; }
    // The chosen file's name without folder (single choice), UTF-8.
    std::string fileTitle() const { return PathToUtf8(path).substr(fileNameOffset); }
    // The folder part, with its trailing separator, UTF-8.
    std::string folderPart() const { return PathToUtf8(path).substr(0, fileNameOffset); }

    static FileChoice Chosen(const std::filesystem::path& chosenPath);
    static FileChoice Cancelled() { return {}; }
    static FileChoice Failed(int code) {
        FileChoice choice;
        choice.outcome = Outcome::Failed;
        choice.errorCode = code;
        return choice;
    }
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    virtual FileChoice OpenFile(const FileDialogRequest& request) = 0;
    // Several files of one folder: path is the folder, fileNames the names.
    virtual FileChoice OpenFiles(const FileDialogRequest& request) = 0;
    virtual FileChoice SaveFile(const FileDialogRequest& request) = 0;
};

// Named string values of the program's settings key, kept between runs
// (the recent files "File1" … "File9" and the remembered folders).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(std::string_view name) = 0;
    virtual bool Write(std::string_view name, std::string_view value) = 0;
};

}  // namespace lorvane
