#include "base/file_io.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "base/path_text.h"
#include "base/temporary_names.h"

namespace lorvane {

bool PathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Windows: in file_io_windows.cpp, with the system's own texts.
#if !defined(_WIN32)
std::string FileErrorDetail(const std::filesystem::path& path, int errorCode) {
    return PathToUtf8(path) + ": " + std::system_category().message(errorCode);
}
#endif

WriteStatus ReplaceFile(const OutputTarget& target, std::span<const std::byte> data,
                        std::string* detail) {
    SafeFileWriter writer;
    WriteStatus status = WriteStatus::Ok;
    if (!writer.Open(target)) {
        status = WriteStatus::OpenFailed;
    } else if (!writer.Write(data) || !writer.Commit()) {
        status = WriteStatus::WriteFailed;
    }
    if (detail != nullptr) *detail = status == WriteStatus::Ok ? std::string() : writer.Detail();
    return status;
}

std::string NamePrefix(const std::filesystem::path& target) {
    uint32_t hash = 2166136261u;  // FNV-1a of the UTF-8 name
    for (unsigned char c : PathToUtf8(target.filename())) hash = (hash ^ c) * 16777619u;
    char text[16];
    std::snprintf(text, sizeof text, ".lv%08x-", static_cast<unsigned>(hash));
    return text;
}

std::string RandomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string suffix(6, 'a');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

}  // namespace lorvane
