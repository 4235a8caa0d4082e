#pragma once
// Paths are UTF-8 text inside the program: names read from arguments, files
// and settings, and names shown in messages. The file system takes them as
// they are on POSIX systems and wide (UTF-16) on Windows; these functions are
// the only place where path and text meet.

#include <filesystem>
#include <string>
#include <string_view>

namespace lorvane {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

// Text as a message shows it: control characters (a newline in a file name,
// say) written as \n, \r, \t or \xNN, so that a name cannot add lines of
// its own to a question.
std::string EscapedText(std::string_view text);

#if defined(_WIN32)
// UTF-8 and UTF-16 text of the Windows API; a broken sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
#endif

}  // namespace lorvane
