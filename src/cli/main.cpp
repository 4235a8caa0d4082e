// lorvane-cli: the batch tool. Each command registers itself (see cli.h).

#include <iostream>
#include <map>
#include <string>
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
    std::cerr << message.caption << ": " << message.text << '\n';
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

bool MayWriteOutput(const std::filesystem::path& path, bool overwrite) {
    std::error_code error;
    if (overwrite || !std::filesystem::exists(path, error)) return true;
    std::cerr << "lorvane-cli: " << PathToUtf8(path) << " exists; give --overwrite to replace it\n";
    return false;
}

std::filesystem::path StartupFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : folder;
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
    int exitStatus = kSuccess;
    for (auto& [name, setup] : Registry()) setup(app, exitStatus);
    const std::vector<std::string> words = Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& word : words) pointers.push_back(word.c_str());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kSuccess : kUsage;
    }
    return exitStatus;
}
