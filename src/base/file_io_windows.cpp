// The Windows half of file_io.h, through the wide Windows API (paths are
// UTF-16 there; see path_text.h). Descriptors in file_io.h are C runtime
// descriptors of Windows handles.
//
// Inputs are read in pieces at offsets through a handle that lets other
// programs go on writing; a file that changes while it is read is a read
// failure.
//
// A replacement is written to a short hidden temporary file beside the
// target (".lv" + 8 hex digits of the target's name + "-" + 6 letters),
// flushed to the disk, given the old file's attributes and creation time,
// then moved over the target with MoveFileExW. Without leave to replace, the
// move is made without MOVEFILE_REPLACE_EXISTING, so a file that appeared in
// between is not clobbered. A read-only target, a folder, or a file another
// program holds without sharing its deletion is not replaced. Whenever a
// step fails the old file stays as it was and the temporary file goes; one
// left behind by a writer that died is removed by the next write of the same
// target, since a live writer holds its temporary file unshared.

#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#undef ReplaceFile  // windows.h names ReplaceFileA so; ours is lorvane::ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwctype>
#include <new>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "base/file_io.h"
#include "base/path_text.h"
#include "base/temporary_names.h"

namespace lorvane {

namespace fs = std::filesystem;

namespace {

// A file handle closed when it goes out of scope unless released.
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
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

  private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The largest piece one ReadFile or WriteFile call moves.
constexpr DWORD kPiece = DWORD{1} << 30;
// A code of our own for "exists but is not a regular file".
constexpr int kNotRegular = -1;

void SetDetail(std::string* detail, std::string text) {
    if (detail != nullptr) *detail = std::move(text);
}

std::string NotRegularDetail(const fs::path& path, int errorCode) {
    if (errorCode == kNotRegular) return PathToUtf8(path) + ": not a regular file";
    return FileErrorDetail(path, errorCode);
}

int LastError() { return static_cast<int>(GetLastError()); }

// The reason a path could not be opened: a folder (which Windows opens only
// for backup programs) is told as such.
int OpenError(const fs::path& path) {
    const int error = LastError();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ERROR_DIRECTORY;
    return error;
}

HANDLE OpenForReading(const fs::path& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// 0 when the handle is a regular file (its information in *info).
int RegularFileError(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
    if (GetFileType(file) != FILE_TYPE_DISK) return kNotRegular;
    if (!GetFileInformationByHandle(file, info)) return LastError();
    return (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kNotRegular : 0;
}

uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (uint64_t{info.nFileSizeHigh} << 32) | uint64_t{info.nFileSizeLow};
}

// Removes temporary files of the target that no live writer holds: a
// writer keeps its own open without sharing, so it cannot be opened here.
void RemoveStaleTemporaryFiles(const fs::path& folder, const std::string& prefix) {
    WIN32_FIND_DATAW found{};
    const fs::path pattern = folder / PathFromUtf8(prefix + "*");
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name.size() != prefix.size() + 6 || name.rfind(prefix, 0) != 0) continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const fs::path stale = folder / PathFromUtf8(name);
        // Closing the only handle deletes the file.
        const Handle file(CreateFileW(stale.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
    } while (FindNextFileW(search, &found));
    FindClose(search);
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

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// A C runtime descriptor owning the handle; -1 (handle closed) on failure.
int DescriptorOf(HANDLE handle) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

bool WriteAll(HANDLE file, const std::byte* data, size_t size) {
    while (size > 0) {
        DWORD done = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, kPiece));
        if (!WriteFile(file, data, piece, &done, nullptr) || done == 0) return false;
        data += done;
        size -= done;
    }
    return true;
}

}  // namespace

std::string FileErrorDetail(const fs::path& path, int errorCode) {
    // The common reasons in the same words as on other systems, so a script's
    // messages are the same on both; any other in the system's own words.
    static constexpr std::pair<DWORD, int> kSameWords[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},    {ERROR_PATH_NOT_FOUND, ENOENT},
        {ERROR_INVALID_NAME, ENOENT},      {ERROR_ACCESS_DENIED, EACCES},
        {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_LOCK_VIOLATION, EACCES},
        {ERROR_FILE_EXISTS, EEXIST},       {ERROR_ALREADY_EXISTS, EEXIST},
        {ERROR_DIRECTORY, EISDIR},         {ERROR_DISK_FULL, ENOSPC},
        {ERROR_HANDLE_DISK_FULL, ENOSPC},  {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    };
    for (const auto& [windows, posix] : kSameWords) {
        if (static_cast<DWORD>(errorCode) == windows)
            return PathToUtf8(path) + ": " + std::generic_category().message(posix);
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 && text != nullptr
                             ? Utf8FromWide(std::wstring_view(text, length))
                             : "error " + std::to_string(errorCode);
    if (text != nullptr) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return PathToUtf8(path) + ": " + reason;
}

// ---- FileBytes ---------------------------------------------------------------

namespace {
long long WriteTime(const BY_HANDLE_FILE_INFORMATION& info) {
    return static_cast<long long>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                  info.ftLastWriteTime.dwLowDateTime);
}
}  // namespace

std::optional<InputFile> InputFile::Open(const fs::path& path, std::string* detail) {
    Handle file(OpenForReading(path));
    if (!file.valid()) {
        SetDetail(detail, FileErrorDetail(path, OpenError(path)));
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (const int error = RegularFileError(file.get(), &info); error != 0) {
        SetDetail(detail, NotRegularDetail(path, error));
        return std::nullopt;
    }
    InputFile input;
    input.size_ = SizeOf(info);
    input.modified_ = WriteTime(info);
    input.path_ = path;
    input.fd_ = DescriptorOf(file.release());
    if (input.fd_ < 0) {
        SetDetail(detail, FileErrorDetail(path, ERROR_TOO_MANY_OPEN_FILES));
        return std::nullopt;
    }
    return input;
}

void InputFile::Close() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

bool InputFile::ReadAt(uint64_t offset, std::span<std::byte> out) {
    size_t done = 0;
    while (done < out.size()) {
        OVERLAPPED at{};
        const uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(out.size() - done, kPiece));
        if (!ReadFile(HandleOf(fd_), out.data() + done, piece, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                SetChanged();
            } else {
                detail_ = FileErrorDetail(path_, LastError());
            }
            return false;
        }
        if (got == 0) {  // shorter now than when it opened
            SetChanged();
            return false;
        }
        done += got;
    }
    return true;
}

bool InputFile::Unchanged() {
    BY_HANDLE_FILE_INFORMATION now{};
    if (GetFileInformationByHandle(HandleOf(fd_), &now) && SizeOf(now) == size_ &&
        WriteTime(now) == modified_)
        return true;
    SetChanged();
    return false;
}

int InputFileError(const fs::path& path) {
    const Handle file(OpenForReading(path));
    if (!file.valid()) return OpenError(path);
    BY_HANDLE_FILE_INFORMATION info{};
    const int error = RegularFileError(file.get(), &info);
    return error == kNotRegular ? ERROR_BAD_FILE_TYPE : error;
}

// ---- SafeFileWriter ------------------------------------------------------

SafeFileWriter::~SafeFileWriter() { Discard(); }

bool SafeFileWriter::Fail(int errorCode, const fs::path& path) {
    detail_ = NotRegularDetail(path, errorCode);
    failed_ = true;
    return false;
}

bool SafeFileWriter::Open(const OutputTarget& target) {
    Discard();
    target_ = target;
    failed_ = false;
    detail_.clear();
    if (target.standardOutput) {
        fd_ = 1;
        return true;
    }
    if (!target.mayReplace && PathExists(target.path)) return Fail(ERROR_FILE_EXISTS, target.path);
    final_ = ReplacedFile(target.path);
    const DWORD attributes = GetFileAttributesW(final_.c_str());
    existed_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed_ && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Fail(ERROR_DIRECTORY, target.path);
    const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
    const std::string prefix = NamePrefix(final_);
    RemoveStaleTemporaryFiles(folder, prefix);
    return CreateNamedTemporary(folder, prefix, 0) || Fail(LastError(), target.path);
}

// Windows has no unnamed files: the temporary file is named from the start,
// hidden, and held unshared until it is put in place.
bool SafeFileWriter::CreateNamedTemporary(const fs::path& folder, const std::string& prefix,
                                          unsigned /*mode*/) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path name = folder / PathFromUtf8(prefix + RandomSuffix());
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        fd_ = DescriptorOf(file);
        if (fd_ < 0) {
            DeleteFileW(name.c_str());
            return false;
        }
        temporary_ = name;
        return true;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}

bool SafeFileWriter::Write(std::span<const std::byte> data) {
    if (fd_ < 0 || failed_) return false;
    if (!WriteAll(HandleOf(fd_), data.data(), data.size()))
        return Fail(LastError(),
                    target_.standardOutput ? fs::path("standard output") : target_.path);
    return true;
}

bool SafeFileWriter::Publish() {
    const HANDLE file = HandleOf(fd_);
    const DWORD old = GetFileAttributesW(final_.c_str());
    const bool replace = existed_ && target_.mayReplace;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) != 0)
            basic.FileAttributes = old & kKeptAttributes;
        const Handle oldFile(CreateFileW(final_.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        FILE_BASIC_INFO oldBasic{};
        if (oldFile.valid() &&
            GetFileInformationByHandleEx(oldFile.get(), FileBasicInfo, &oldBasic, sizeof oldBasic))
            basic.CreationTime = oldBasic.CreationTime;
        SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
    }
    if (!FlushFileBuffers(file)) return Fail(LastError(), target_.path);
    _close(fd_);
    fd_ = -1;
    if (old != INVALID_FILE_ATTRIBUTES) {
        if ((old & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(ERROR_DIRECTORY, target_.path);
        if (!replace) return Fail(ERROR_FILE_EXISTS, target_.path);
        if ((old & FILE_ATTRIBUTE_READONLY) != 0) return Fail(ERROR_ACCESS_DENIED, target_.path);
    }
    // The hidden temporary file takes the attributes the target keeps.
    DWORD kept = FILE_ATTRIBUTE_NORMAL;
    if (old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) != 0)
        kept = old & kKeptAttributes;
    if (!SetFileAttributesW(temporary_.c_str(), kept)) return Fail(LastError(), target_.path);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temporary_.c_str(), final_.c_str(), flags))
        return Fail(LastError(), target_.path);
    temporary_.clear();
    return true;
}

bool SafeFileWriter::Commit() {
    if (fd_ < 0) return false;
    if (target_.standardOutput) {
        fd_ = -1;
        return !failed_;
    }
    const bool ok = !failed_ && Publish();
    Discard();
    return ok;
}

void SafeFileWriter::Discard() {
    if (fd_ >= 0 && !target_.standardOutput) _close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        DeleteFileW(temporary_.c_str());
        temporary_.clear();
    }
}

// ---- FileLock -----------------------------------------------------------------
// Windows refuses to move a file over one that is open, so the lock is not a
// handle of the file but a named mutex of the file's full path; its handle
// (a small number, as every kernel handle) is kept where a descriptor is.

namespace {

HANDLE MutexOf(int value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

void Unlock(int value) {
    if (value < 0) return;
    ReleaseMutex(MutexOf(value));
    CloseHandle(MutexOf(value));
}

}  // namespace

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Unlock(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() { Unlock(fd_); }

std::optional<FileLock> FileLock::Exclusive(const fs::path& path, std::string* detail) {
    {
        const Handle file(OpenForReading(path));
        if (!file.valid()) {
            SetDetail(detail, FileErrorDetail(path, OpenError(path)));
            return std::nullopt;
        }
        BY_HANDLE_FILE_INFORMATION held{};
        if (const int error = RegularFileError(file.get(), &held); error != 0) {
            SetDetail(detail, NotRegularDetail(path, error));
            return std::nullopt;
        }
    }
    std::error_code error;
    std::wstring name = fs::absolute(ReplacedFile(path), error).lexically_normal().native();
    for (wchar_t& c : name) c = c == L'\\' ? L'/' : static_cast<wchar_t>(towlower(c));
    name = L"Local\\lorvane-lock:" + name;
    if (name.size() > MAX_PATH) name.resize(MAX_PATH);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        SetDetail(detail, FileErrorDetail(path, LastError()));
        return std::nullopt;
    }
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        SetDetail(detail, FileErrorDetail(path, LastError()));
        CloseHandle(mutex);
        return std::nullopt;
    }
    FileLock lock;
    lock.fd_ = static_cast<int>(reinterpret_cast<intptr_t>(mutex));
    return lock;
}

}  // namespace lorvane

#endif  // _WIN32
