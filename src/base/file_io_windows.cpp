// The file services on Windows: the same promises as on POSIX systems,
// through the wide Windows API (paths are UTF-16 there; see path_text.h).
//
// Input is mapped read-only; Windows refuses to shorten a file while a view
// of it is mapped, so a reader never meets a page that went away.
//
// A replacement is written to a temporary file beside the target, flushed to
// the disk, given the old file's attributes and creation time, then renamed
// over the target with MoveFileExW (one step on the same volume). A target
// that did not exist is never created over a file that appeared in between;
// a read-only target, a folder, or a file another program holds without
// sharing its deletion is not replaced. Whenever a step fails the old file
// stays as it was and the temporary file is removed.

#if defined(_WIN32)

#include <windows.h>
#undef ReplaceFile  // windows.h names ReplaceFileA so; ours is lorvane::ReplaceFile

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>

#include "base/file_io.h"

namespace lorvane {

namespace fs = std::filesystem;

namespace {

// A file handle closed when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The largest piece one ReadFile or WriteFile call moves.
constexpr DWORD kPiece = DWORD{1} << 30;

bool ReadWhole(HANDLE file, std::byte* data, size_t size) {
    while (size > 0) {
        DWORD done = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, kPiece));
        if (!ReadFile(file, data, piece, &done, nullptr) || done == 0) return false;
        data += done;
        size -= done;
    }
    return true;
}

// The file a replacement goes to: a symbolic link is followed, so the link
// stays and the file it names gets the new content.
fs::path ReplacedFile(const fs::path& target) {
    std::error_code error;
    if (!fs::is_symlink(target, error)) return target;
    const fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
}

// Attributes of the old file that the new one takes over.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Gives the open temporary file the old file's creation time.
void KeepCreationTime(const fs::path& old, HANDLE temporary) {
    const Handle file(CreateFileW(old.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    FILETIME created{};
    if (file.valid() && GetFileTime(file.get(), &created, nullptr, nullptr)) {
        SetFileTime(temporary, &created, nullptr, nullptr);
    }
}

// Renames the finished temporary file over the target (see above).
bool PutInPlace(const fs::path& temporary, const fs::path& target, DWORD oldAttributes) {
    if (oldAttributes == INVALID_FILE_ATTRIBUTES) {
        return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    if ((oldAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    if (!SetFileAttributesW(temporary.c_str(), (oldAttributes & kKeptAttributes) != 0
                                                   ? oldAttributes & kKeptAttributes
                                                   : FILE_ATTRIBUTE_NORMAL)) {
        return false;
    }
    return MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

void FileBytes::Release() {
    if (mapped_ && data_ != nullptr) UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
    owned_.clear();
}

std::optional<FileBytes> FileBytes::Open(const fs::path& path) {
    // A file another program has open (for writing too) is read as on POSIX
    // systems.
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return std::nullopt;
    // Regular files only: no devices, pipes or consoles.
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    const uint64_t length =
        (uint64_t{information.nFileSizeHigh} << 32) | uint64_t{information.nFileSizeLow};
    if (length > SIZE_MAX) return std::nullopt;
    FileBytes result;
    const auto size = static_cast<size_t>(length);
    if (size == 0) return result;
    const Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping.valid()) {
        if (const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0)) {
            result.data_ = static_cast<const std::byte*>(view);
            result.size_ = size;
            result.mapped_ = true;
            return result;
        }
    }
    // Where the file cannot be mapped: read it whole.
    result.owned_.resize(size);
    if (!ReadWhole(file.get(), result.owned_.data(), size)) return std::nullopt;
    result.data_ = result.owned_.data();
    result.size_ = size;
    return result;
}

bool SafeFileWriter::Open(const fs::path& target) {
    Discard();
    static std::atomic<unsigned> serial{0};
    target_ = ReplacedFile(target);
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
        temporary_ = folder / (target_.filename().native() + L".tmp" + std::to_wstring(serial++));
        // CREATE_NEW: fail rather than reuse a file that already exists.
        HANDLE file = CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_ = file;
        } else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;  // not a name clash
        }
    }
    if (file_ == nullptr) temporary_.clear();
    failed_ = false;
    return file_ != nullptr;
}

bool SafeFileWriter::Write(std::span<const std::byte> data) {
    if (file_ == nullptr || failed_) return false;
    const std::byte* next = data.data();
    size_t left = data.size();
    while (left > 0 && !failed_) {
        DWORD done = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(left, kPiece));
        if (!WriteFile(static_cast<HANDLE>(file_), next, piece, &done, nullptr) || done == 0) {
            failed_ = true;
        }
        next += done;
        left -= std::min<size_t>(done, left);
    }
    return !failed_;
}

bool SafeFileWriter::Commit() {
    if (file_ == nullptr) return false;
    const auto file = static_cast<HANDLE>(file_);
    const DWORD oldAttributes = GetFileAttributesW(target_.c_str());
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) KeepCreationTime(target_, file);
    bool ok = !failed_ && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    file_ = nullptr;
    ok = ok && PutInPlace(temporary_, target_, oldAttributes);
    if (!ok) DeleteFileW(temporary_.c_str());
    temporary_.clear();
    return ok;
}

void SafeFileWriter::Discard() {
    if (file_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(file_));
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        DeleteFileW(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace lorvane

#endif  // _WIN32
