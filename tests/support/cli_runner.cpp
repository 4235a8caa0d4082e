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
    std::string quoted(1, '\'');
    for (char c : text) {
        if (c == '\'') {
            quoted.append("'\\''");
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('\'');
    return quoted;
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
    std::string command = "cd ";
    command.append(Quoted(folder.string())).append(" && ").append(Quoted(program.string()));
    for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
    command.append(" >").append(Quoted(out.string())).append(" 2>").append(Quoted(err.string()));
    command.append(" </dev/null");
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
