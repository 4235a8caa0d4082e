#pragma once
// Runs a program of the build (lorvane-cli) and captures what it printed.

#include <filesystem>
#include <string>
#include <vector>

namespace lorvane::testing {

struct CommandResult {
    int exitStatus = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs program with arguments (no shell involved) in workingFolder (the
// current folder when empty).
CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingFolder = {});

}  // namespace lorvane::testing
