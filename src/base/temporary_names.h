#pragma once
// The names of the temporary files a safe replacement writes beside its
// target, shared by the system halves of the file layer.

#include <filesystem>
#include <string>

namespace lorvane {

// ".lvXXXXXXXX-": a short hidden prefix from a hash of the target's UTF-8
// file name, so a later write of the same target finds what a dead writer
// left.
std::string NamePrefix(const std::filesystem::path& target);

// Six random letters and digits that make the name unique.
std::string RandomSuffix();

}  // namespace lorvane
