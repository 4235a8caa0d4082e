#include "base/file_io.h"

#include <cstring>
#include <system_error>

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

}  // namespace lorvane
