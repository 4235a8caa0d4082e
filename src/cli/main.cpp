// lorvane-cli: the batch tool. Each command registers itself (see cli.h).

#include <iostream>
#include <map>
#if defined(_WIN32)
#include <io.h>
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
    std::cerr << "lorvane-cli: " << path.string()
              << " exists; give --overwrite to replace it\n";
    return false;
}

std::filesystem::path StartupFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : folder;
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kSuccess : kUsage;
    }
    return exitStatus;
}
