#pragma once
// The command-line tool's file choices and settings. Messages and progress go
// to standard error (cli.h). A command that would ask for a file takes it
// from its arguments: the chooser answers each dialog with the next path it
// was given, and cancels once they run out. Settings live for one run.

#include <deque>
#include <filesystem>
#include <map>
#include <string>

#include "base/platform.h"

namespace lorvane::cli {

class ArgumentFileChooser : public FileChooser {
public:
    ArgumentFileChooser() = default;
    explicit ArgumentFileChooser(std::deque<std::filesystem::path> answers)
        : answers_(std::move(answers)) {}
    void Add(const std::filesystem::path& path) { answers_.push_back(path); }

    FileChoice OpenFile(const FileDialogRequest& request) override;
    // Every remaining path of one folder: the folder and the file names.
    FileChoice OpenFiles(const FileDialogRequest& request) override;
    FileChoice SaveFile(const FileDialogRequest& request) override;

private:
    std::deque<std::filesystem::path> answers_;
};

class RunSettings : public SettingsStore {
public:
    std::optional<std::string> Read(std::string_view name) override;
    bool Write(std::string_view name, std::string_view value) override;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace lorvane::cli
