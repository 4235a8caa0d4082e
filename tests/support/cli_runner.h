#pragma once
// Runs the command-line tool for tests and keeps what it printed.

#include <filesystem>
#include <string>
#include <vector>

namespace lorvane::testing {

struct CliResult {
    int status = -1;  // the exit status; -1 when the program did not end normally
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs program with the arguments (each quoted for the shell) in folder.
CliResult RunCli(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& folder);

}  // namespace lorvane::testing
