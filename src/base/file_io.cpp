#include "base/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>
#include <system_error>
#include <utility>

#include "base/path_text.h"
#include "base/temporary_names.h"

namespace lorvane {

namespace {
#if defined(_WIN32)
constexpr int kOutOfMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
#else
constexpr int kOutOfMemory = ENOMEM;
#endif
}  // namespace

bool MemoryBytes::ReadAt(uint64_t offset, std::span<std::byte> out) {
    if (offset > bytes_.size() || bytes_.size() - offset < out.size()) {
        detail_ = "the bytes end before the piece asked for";
        return false;
    }
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      modified_(other.modified_),
      path_(std::move(other.path_)),
      detail_(std::move(other.detail_)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        modified_ = other.modified_;
        path_ = std::move(other.path_);
        detail_ = std::move(other.detail_);
    }
    return *this;
}

InputFile::~InputFile() { Close(); }

void InputFile::SetChanged() {
    detail_ = PathToUtf8(path_) + ": the file changed while it was read";
}

std::optional<FileBytes> FileBytes::Open(const std::filesystem::path& path, std::string* detail) {
    std::optional<InputFile> file = InputFile::Open(path, detail);
    if (!file) return std::nullopt;
    if (file->Size() > SIZE_MAX / 2) {
        if (detail != nullptr) *detail = FileErrorDetail(path, kOutOfMemory);
        return std::nullopt;
    }
    FileBytes result;
    const auto size = static_cast<size_t>(file->Size());
    result.data_.reset(new (std::nothrow) std::byte[size > 0 ? size : 1]);
    if (!result.data_) {
        if (detail != nullptr) *detail = FileErrorDetail(path, kOutOfMemory);
        return std::nullopt;
    }
    if (!file->ReadAt(0, {result.data_.get(), size}) || !file->Unchanged()) {
        if (detail != nullptr) *detail = file->Detail();
        return std::nullopt;
    }
    result.size_ = size;
    return result;
}

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
    return ReplaceFileWith(
        target, [data](SafeFileWriter& writer) { return writer.Write(data); }, detail);
}

WriteStatus ReplaceFileWith(const OutputTarget& target,
                            const std::function<bool(SafeFileWriter&)>& write,
                            std::string* detail) {
    SafeFileWriter writer;
    WriteStatus status = WriteStatus::Ok;
    if (!writer.Open(target)) {
        status = WriteStatus::OpenFailed;
    } else if (!write(writer) || !writer.Commit()) {
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
