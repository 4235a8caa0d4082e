#include "support/run_command.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/texture_builder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace lorvane::testing {

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#if defined(_WIN32)

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// Quotes one argument so that the program's start-up code splits the
// command line back into exactly this word.
std::wstring QuoteArgument(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');  // they stand before the closing quote
    quoted.push_back(L'"');
    return quoted;
}

HANDLE InheritableOutput(const fs::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int Spawn(const std::string& program, const std::vector<std::string>& arguments,
          const fs::path& workingFolder, const fs::path& outPath, const fs::path& errPath) {
    const fs::path programPath = fs::absolute(fs::path(program));
    std::wstring commandLine = QuoteArgument(programPath.wstring());
    for (const std::string& argument : arguments)
        commandLine += L" " + QuoteArgument(Widen(argument));
    HANDLE out = InheritableOutput(outPath);
    HANDLE err = InheritableOutput(errPath);
    int status = -1;
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        const std::wstring folder =
            workingFolder.empty() ? std::wstring() : fs::absolute(workingFolder).wstring();
        if (CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                           nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                           &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
    return status;
}

#else

int Spawn(const std::string& program, const std::vector<std::string>& arguments,
          const fs::path& workingFolder, const fs::path& outPath, const fs::path& errPath) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    int status = -1;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int wait = 0;
        waitpid(pid, &wait, 0);
        status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

#endif

}  // namespace

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const fs::path& workingFolder) {
    const auto folder = MakeTempFolder("lorvane-run");
    const auto outPath = folder / "out.txt";
    const auto errPath = folder / "err.txt";
    CommandResult result;
    result.exitStatus = Spawn(program, arguments, workingFolder, outPath, errPath);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    // Under Wine the child's handles on its output files can outlive it for
    // a moment, and the folder is refused ("sharing violation"): tried again
    // for up to a few seconds, and a folder left in the temporary folder
    // fails no test.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        fs::remove_all(folder, error);
        if (!error) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result;
}

}  // namespace lorvane::testing
