#include "support/cli_runner.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace lorvane::testing {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

CliResult RunCli(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& folder) {
    const auto out = folder / ".cli-out";
    const auto err = folder / ".cli-err";
    std::string command = "cd " + Quoted(folder.string()) + " && " + Quoted(program.string());
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    CliResult result;
#if defined(_WIN32)
    result.status = raw;
#else
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    result.out = ReadText(out);
    result.err = ReadText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

}  // namespace lorvane::testing
