// lorvane-cli: the batch tool. Each command registers itself (see cli.h).

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "cli/cli.h"

namespace lorvane::cli {

namespace {
std::map<std::string, CommandSetup>& Registry() {
    static std::map<std::string, CommandSetup> registry;
    return registry;
}
}  // namespace

CommandRegistration::CommandRegistration(const char* name, CommandSetup setup) {
    Registry().emplace(name, std::move(setup));
}

void StderrMessages::Show(const Message& message) {
    std::cerr << message.caption << ": " << message.text;
    if (!message.detail.empty()) std::cerr << " (" << message.detail << ')';
    std::cerr << '\n';
}

TerminalProgress::TerminalProgress(bool quiet) : show_(!quiet && isatty(2) != 0) {}

void TerminalProgress::Open(const std::string& caption, int rangeMin, int rangeMax) {
    caption_ = caption;
    rangeMin_ = rangeMin;
    rangeMax_ = rangeMax;
    if (show_) std::cerr << caption_ << "...\n";
}

void TerminalProgress::Report(int count, int position) {
    if (!show_) return;
    const int span = rangeMax_ > rangeMin_ ? rangeMax_ - rangeMin_ : 1;
    const int percent = (position - rangeMin_) * 100 / span;
    std::cerr << "\r" << caption_ << ": Sections Completed: " << count << " (" << percent << "%)"
              << std::flush;
}

void TerminalProgress::Close() {
    if (show_) std::cerr << "\n";
}

std::optional<OutputTarget> OutputFor(const std::string& path, bool overwrite) {
    if (path == "-") return OutputTarget(PathFromUtf8(path), true, true);
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        std::cerr << "lorvane-cli: " << path
                  << " exists and is not a regular file; it is not replaced\n";
        return std::nullopt;
    }
    if (!overwrite && PathExists(file)) {
        std::cerr << "lorvane-cli: " << path << " exists; give --overwrite to replace it\n";
        return std::nullopt;
    }
    return OutputTarget(file, overwrite);
}

std::ostream& ReportStream(const OutputTarget& output) {
    return output.standardOutput ? std::cerr : std::cout;
}

namespace {

// One write of standard output with the system call; below zero with errno
// set on failure.
long long WriteStandardOutput(const char* data, size_t size) {
#if defined(_WIN32)
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    return _write(1, data, chunk);
#else
    return ::write(1, data, size);
#endif
}

// Standard output through one buffer that writes with the system call and
// keeps the reason of the first failure, so it can be told.
class StandardOutputBuffer : public std::streambuf {
  public:
    StandardOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (!Drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Drain() ? 0 : -1; }

  private:
    bool Drain() {
        const char* next = pbase();
        while (next < pptr() && error_ == 0) {
            const auto written = WriteStandardOutput(next, static_cast<size_t>(pptr() - next));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                error_ = written < 0 ? errno : EIO;
                break;
            }
            next += written;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ == 0;
    }

    char buffer_[1 << 16];
    int error_ = 0;
};

// Never destroyed: standard output is flushed once more at exit.
StandardOutputBuffer& OutputBuffer() {
    static auto* buffer = new StandardOutputBuffer;
    return *buffer;
}

}  // namespace

void UseStandardOutputBuffer() { std::cout.rdbuf(&OutputBuffer()); }

bool FinishStandardOutput() {
    std::cout.flush();
    const int reason = OutputBuffer().error();
    if (reason == 0 && std::cout) return true;
    std::cerr << "lorvane-cli: cannot write to standard output";
    if (reason != 0) std::cerr << ": " << std::generic_category().message(reason);
    std::cerr << '\n';
    return false;
}

// The arguments as UTF-8 words. On Windows they come from the wide command
// line, so names in any script reach the program whole; standard output and
// error carry the same bytes as on other systems (no CR before LF).
std::vector<std::string> Utf8Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        std::vector<std::string> words;
        for (int k = 0; k < count; ++k) words.push_back(Utf8FromWide(wide[k]));
        LocalFree(wide);
        return words;
    }
#endif
    return {argv, argv + argc};
}

// A command that ran out of memory: whatever it was writing was discarded as
// its writers unwound.
int OutOfMemory() {
    StderrMessages().Error("There is not enough memory for this command.",
                           "Memory Allocation Error");
    FinishStandardOutput();
    return kFailed;
}

}  // namespace lorvane::cli

int main(int argc, char** argv) {
    using namespace lorvane::cli;
    CLI::App app{"lorvane-cli: work on terrain tile databases and theater files from a shell"};
    app.name("lorvane-cli");
    app.set_version_flag("--version", std::string("lorvane-cli ") + LORVANE_VERSION);
    // --help describes every command with all its options.
    app.set_help_flag();
    app.set_help_all_flag("-h,--help", "Print this help, every command with its options, and exit");
    app.footer("Each command also takes --help for its own options alone.");
    app.require_subcommand(1);
    UseStandardOutputBuffer();
    int exitStatus = kSuccess;
    for (auto& [name, setup] : Registry()) setup(app, exitStatus);
    const std::vector<std::string> words = Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& word : words) pointers.push_back(word.c_str());
#if !defined(_WIN32)
    // A file grown past the limit of ulimit -f is a failed write with its
    // message, not the end of the process by a signal.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        if (!FinishStandardOutput()) return kFailed;
        return code == 0 ? kSuccess : kUsage;
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    } catch (const std::length_error&) {  // a size past what can be allocated
        return OutOfMemory();
    }
    if (!FinishStandardOutput() && exitStatus == kSuccess) exitStatus = kFailed;
    return exitStatus;
}
