// lorvane: the desktop program.

#include "ui/application.h"

#if defined(_WIN32)
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/path_text.h"

// The arguments as the system keeps them (UTF-16), in UTF-8 as every text
// inside the program: the narrow arguments hold only what the code page can
// spell, so a file named outside it would not open.
int main(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide != nullptr && i < count; ++i)
        arguments.push_back(lorvane::Utf8FromWide(wide[i]));
    if (wide != nullptr) LocalFree(wide);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return lorvane::RunLorvane(static_cast<int>(arguments.size()), argv.data(), LORVANE_VERSION);
}
#else
int main(int argc, char** argv) { return lorvane::RunLorvane(argc, argv, LORVANE_VERSION); }
#endif
