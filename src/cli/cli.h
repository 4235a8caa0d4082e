#pragma once
// The command-line tool's shared pieces: command registration, exit status,
// and the terminal implementations of the messages and progress interfaces.
//
// Every command lives in its own file and registers itself with a static
// CommandRegistration, so adding a command touches no other file.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <string>

#include "base/message.h"
#include "base/path_text.h"
#include "base/progress.h"

namespace lorvane::cli {

enum ExitStatus : int { kSuccess = 0, kFailed = 1, kUsage = 2 };

// Prints each message as "Caption: text" on standard error, one a line.
class StderrMessages : public MessageSink {
public:
    void Show(const Message& message) override;
};

// Shows progress on standard error when it is a terminal (unless quiet).
class TerminalProgress : public Progress {
public:
    explicit TerminalProgress(bool quiet);
    void Open(const std::string& caption, int rangeMin, int rangeMax) override;
    void Report(int count, int position) override;
    void Close() override;
    bool AbortRequested() override { return false; }

private:
    bool show_;
    std::string caption_;
    int rangeMin_ = 0;
    int rangeMax_ = 100;
};

// A command adds its subcommand to the app; the callback it installs returns
// the exit status through the result it is given.
using CommandSetup = std::function<void(CLI::App& app, int& exitStatus)>;

struct CommandRegistration {
    CommandRegistration(const char* name, CommandSetup setup);
};

// A file or folder named on the command line. The argument is UTF-8 text
// (on Windows too: main takes the wide command line), and the path names
// the same file on every platform.
class PathArgument {
public:
    PathArgument& operator=(const std::string& utf8) {
        text_ = utf8;
        return *this;
    }
    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }
    std::filesystem::path path() const { return PathFromUtf8(text_); }
    operator std::filesystem::path() const { return path(); }

private:
    std::string text_;
};

// True when path may be written: it does not exist, or overwrite is set.
// Otherwise prints a usage message and returns false.
bool MayWriteOutput(const std::filesystem::path& path, bool overwrite);

// The current folder: TileInfo.dat goes there, as the program puts it into
// its start-up folder.
std::filesystem::path StartupFolder();

}  // namespace lorvane::cli
