// The POSIX half of file_io.h: opening inputs without blocking, reading them
// in pieces at offsets, temporary files (unnamed where the system can make them), linking
// them in without replacing what appeared meanwhile, keeping modes, owners
// and links, locks for in-place changes, and removing temporary files when
// the process is interrupted.

#if !defined(_WIN32)

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <random>

#include "base/file_io.h"
#include "base/temporary_names.h"

namespace lorvane {

namespace fs = std::filesystem;

namespace {

// Opens for reading without waiting for a FIFO's writer or a device.
int OpenForReading(const fs::path& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// 0 when fd is a regular file (its status in *info), the error code otherwise.
int RegularFileError(int fd, struct stat* info) {
    if (::fstat(fd, info) != 0) return errno;
    if (S_ISDIR(info->st_mode)) return EISDIR;
    return S_ISREG(info->st_mode) ? 0 : EINVAL;
}

std::string NotRegularDetail(const fs::path& path, int errorCode) {
    if (errorCode == EINVAL) return path.string() + ": not a regular file";
    return FileErrorDetail(path, errorCode);
}

void SetDetail(std::string* detail, std::string text) {
    if (detail != nullptr) *detail = std::move(text);
}

// The time of the last change, in nanoseconds where the system keeps them.
long long ModifiedTime(const struct stat& info) {
#if defined(__APPLE__)
    return info.st_mtimespec.tv_sec * 1000000000LL + info.st_mtimespec.tv_nsec;
#else
    return info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
#endif
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// ---- the interrupt clean-up ------------------------------------------------
// Named temporary files are listed in fixed slots that the signal handler can
// read without allocating; on SIGINT, SIGTERM or SIGHUP it removes them and
// ends the process as the signal would have.

constexpr size_t kSlots = 16;
constexpr size_t kSlotPath = 4096;
std::array<std::atomic<bool>, kSlots> slotUsed{};
std::array<std::array<char, kSlotPath>, kSlots> slotPath{};
std::once_flag handlersInstalled;

extern "C" void RemoveTemporaryFilesAndExit(int signalNumber) {
    for (size_t i = 0; i < kSlots; ++i) {
        if (slotUsed[i].load()) ::unlink(slotPath[i].data());
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void InstallHandlers() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        // A handler the program installed itself stays.
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporaryFilesAndExit;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signalNumber, &handler, nullptr);
    }
}

int TakeSlot(const fs::path& path) {
    std::call_once(handlersInstalled, InstallHandlers);
    const std::string& text = path.native();
    if (text.size() >= kSlotPath) return -1;
    for (size_t i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (slotUsed[i].load() || !slotUsed[i].compare_exchange_strong(expected, true)) continue;
        // Filled while marked used: the handler may read a half-written path
        // only in the instant between, and unlinking a wrong name is harmless
        // because every name is unique and temporary.
        std::memcpy(slotPath[i].data(), text.c_str(), text.size() + 1);
        return static_cast<int>(i);
    }
    return -1;
}

void ReleaseSlot(int& slot) {
    if (slot >= 0) slotUsed[static_cast<size_t>(slot)].store(false);
    slot = -1;
}

// ---- temporary names -------------------------------------------------------
// ".lv" + 8 hex digits of the target's name + "-" + 6 random letters: short,
// hidden, and found again by the next write of the same target, which
// removes those no running writer holds locked.

void RemoveStaleTemporaryFiles(const fs::path& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const fs::path stale = folder / std::string(name);
        const int fd = ::open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        // A writer holds its temporary file locked until it ends.
        if (RegularFileError(fd, &info) == 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(stale.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Follows the links at path to the file they end at (which may not exist).
// False with the error code when there are too many or one cannot be read.
bool FollowLinks(const fs::path& path, fs::path& end, int& errorCode) {
    end = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(end.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(end.c_str(), link.data(), link.size());
        if (length < 0) {
            errorCode = errno;
            return false;
        }
        link.resize(static_cast<size_t>(length));
        const fs::path next(link);
        end = next.is_absolute() ? next : end.parent_path() / next;
    }
    errorCode = ELOOP;
    return false;
}

bool WriteAll(int fd, const std::byte* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Gives the new file the replaced file's owner and permission bits. An owner
// the process may not give is left as it is.
void KeepOwnerAndMode(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

// Renames without replacing: EEXIST when to exists. Where the file system
// cannot do that in one step, a check right before the rename.
int RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
#if defined(SYS_renameat2) && defined(RENAME_NOREPLACE)
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno == EEXIST) return EEXIST;
#endif
    if (PathExists(to)) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

// ---- InputFile ---------------------------------------------------------------

std::optional<InputFile> InputFile::Open(const fs::path& path, std::string* detail) {
    const int fd = OpenForReading(path);
    if (fd < 0) {
        SetDetail(detail, FileErrorDetail(path, errno));
        return std::nullopt;
    }
    struct stat info {};
    if (const int error = RegularFileError(fd, &info); error != 0) {
        ::close(fd);
        SetDetail(detail, NotRegularDetail(path, error));
        return std::nullopt;
    }
    InputFile file;
    file.fd_ = fd;
    file.size_ = static_cast<uint64_t>(info.st_size);
    file.modified_ = ModifiedTime(info);
    file.path_ = path;
    return file;
}

void InputFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool InputFile::ReadAt(uint64_t offset, std::span<std::byte> out) {
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            detail_ = FileErrorDetail(path_, errno);
            return false;
        }
        if (got == 0) {  // shorter now than when it opened
            SetChanged();
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

bool InputFile::Unchanged() {
    struct stat now {};
    if (::fstat(fd_, &now) == 0 && static_cast<uint64_t>(now.st_size) == size_ &&
        ModifiedTime(now) == modified_)
        return true;
    SetChanged();
    return false;
}

int InputFileError(const fs::path& path) {
    const int fd = OpenForReading(path);
    if (fd < 0) return errno;
    struct stat info {};
    const int error = RegularFileError(fd, &info);
    ::close(fd);
    return error;
}

// ---- SafeFileWriter ------------------------------------------------------

SafeFileWriter::~SafeFileWriter() { Discard(); }

bool SafeFileWriter::Fail(int errorCode, const fs::path& path) {
    detail_ =
        errorCode == EINVAL ? NotRegularDetail(path, errorCode) : FileErrorDetail(path, errorCode);
    failed_ = true;
    return false;
}

bool SafeFileWriter::Open(const OutputTarget& target) {
    Discard();
    target_ = target;
    failed_ = false;
    detail_.clear();
    if (target.standardOutput) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    int error = 0;
    if (!target.mayReplace && PathExists(target.path)) return Fail(EEXIST, target.path);
    if (!FollowLinks(target.path, final_, error)) return Fail(error, target.path);
    struct stat old {};
    existed_ = ::stat(final_.c_str(), &old) == 0;
    if (existed_ && !S_ISREG(old.st_mode))
        return Fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL, target.path);
    const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
    const std::string prefix = NamePrefix(final_);
    RemoveStaleTemporaryFiles(folder, prefix);
    const mode_t mode = existed_ ? 0600 : 0666;
#if defined(O_TMPFILE)
    if (!named_) fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
#endif
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_EX | LOCK_NB);  // tells the clean-up of later writers it is in use
    } else if (!CreateNamedTemporary(folder, prefix, mode)) {
        return Fail(errno, target.path);
    }
    if (existed_) KeepOwnerAndMode(fd_, old);
    return true;
}

// The named temporary file is made under a claim name the clean-up does not
// match ("~" after it), locked, and only then given its name, so a clean-up
// running at the same moment never takes it for the file of a dead writer.
bool SafeFileWriter::CreateNamedTemporary(const fs::path& folder, const std::string& prefix,
                                          unsigned mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path name = folder / (prefix + RandomSuffix());
        const fs::path claim = name.string() + "~";
        const int fd = ::open(claim.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC,
                              static_cast<mode_t>(mode));
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        ::flock(fd, LOCK_EX | LOCK_NB);
        slot_ = TakeSlot(name);
        const int error = RenameNoReplace(claim, name);
        if (error == 0) {
            fd_ = fd;
            temporary_ = name;
            return true;
        }
        ReleaseSlot(slot_);
        ::unlink(claim.c_str());
        ::close(fd);
        if (error != EEXIST) {
            errno = error;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

bool SafeFileWriter::Write(std::span<const std::byte> data) {
    if (fd_ < 0 || failed_) return false;
    if (!WriteAll(fd_, data.data(), data.size()))
        return Fail(errno, target_.standardOutput ? fs::path("standard output") : target_.path);
    return true;
}

bool SafeFileWriter::Publish() {
    const bool replace = existed_ && target_.mayReplace;
    if (temporary_.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (!replace) {
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, final_.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return true;
            if (errno == EEXIST) return Fail(EEXIST, target_.path);
        }
        // The unnamed file gets a temporary name first, then moves in place.
        const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
        for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
            const fs::path name = folder / (NamePrefix(final_) + RandomSuffix());
            slot_ = TakeSlot(name);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = name;
            } else {
                const int error = errno;
                ReleaseSlot(slot_);
                if (error != EEXIST) return Fail(error, target_.path);
            }
        }
        if (temporary_.empty()) return Fail(EEXIST, target_.path);
    }
    int error = 0;
    if (replace) {
        struct stat now {};
        // The target may have changed into something else while we wrote.
        if (::stat(final_.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
            return Fail(EINVAL, target_.path);
        error = ::rename(temporary_.c_str(), final_.c_str()) == 0 ? 0 : errno;
    } else {
        error = RenameNoReplace(temporary_, final_);
    }
    if (error != 0) return Fail(error, target_.path);
    temporary_.clear();
    ReleaseSlot(slot_);
    return true;
}

bool SafeFileWriter::Commit() {
    if (fd_ < 0) return false;
    if (target_.standardOutput) {
        fd_ = -1;
        return !failed_;
    }
    bool ok = !failed_;
    if (ok && ::fsync(fd_) != 0) ok = Fail(errno, target_.path);
    ok = ok && Publish();
    Discard();
    return ok;
}

void SafeFileWriter::Discard() {
    if (fd_ >= 0 && !target_.standardOutput) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    ReleaseSlot(slot_);
}

// ---- FileLock -----------------------------------------------------------------

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<FileLock> FileLock::Exclusive(const fs::path& path, std::string* detail) {
    for (;;) {
        const int fd = OpenForReading(path);
        if (fd < 0) {
            SetDetail(detail, FileErrorDetail(path, errno));
            return std::nullopt;
        }
        struct stat held {};
        if (const int error = RegularFileError(fd, &held); error != 0) {
            ::close(fd);
            SetDetail(detail, NotRegularDetail(path, error));
            return std::nullopt;
        }
        int locked = -1;
        do {
            locked = ::flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        struct stat now {};
        // The holder before us may have replaced the file: lock the new one.
        if (locked == 0 && ::stat(path.c_str(), &now) == 0 && SameFile(now, held)) {
            FileLock lock;
            lock.fd_ = fd;
            return lock;
        }
        ::close(fd);
        if (locked != 0) {
            SetDetail(detail, FileErrorDetail(path, errno));
            return std::nullopt;
        }
    }
}

}  // namespace lorvane

#endif  // !_WIN32
