#pragma once
// The command-line tool's shared pieces: command registration, exit status,
// and the terminal implementations of the messages and progress interfaces.
//
// Every command lives in its own file and registers itself with a static
// CommandRegistration, so adding a command touches no other file.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "base/file_io.h"
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

// The target of an output option: "-" is standard output; a path may be
// written when nothing exists there or overwrite is set (a dangling link
// counts as existing), and never when what is there (at the end of its
// links) is not a regular file. Otherwise nullopt after a usage message.
// The writer keeps the no-clobber promise at the moment it puts its file in
// place, so a file that appears meanwhile is not replaced either.
std::optional<OutputTarget> OutputFor(const std::string& path, bool overwrite);
inline std::optional<OutputTarget> OutputFor(const PathArgument& path, bool overwrite) {
    return OutputFor(path.text(), overwrite);
}

// Where a command's report goes: standard error when the output itself goes
// to standard output, so the two never mix.
std::ostream& ReportStream(const OutputTarget& output);

// Hands everything printed to standard output on; false after a message
// naming the system's reason when it could not be written (a full disk, a
// closed pipe).
bool FinishStandardOutput();
// Sends standard output through the buffer FinishStandardOutput checks.
void UseStandardOutputBuffer();

}  // namespace lorvane::cli
