#pragma once
// Reading input files and replacing output files safely.
//
// InputFile reads a regular file in pieces at offsets into memory the
// caller holds, so a large input streams through one reused buffer instead
// of a whole fresh copy; FileBytes reads a small file whole, so readers work
// on one span of bytes through ByteReader. Anything else (a folder, a FIFO,
// a device) is refused at once instead of blocking, and a file that changes
// size or time while it is read is a read failure, never a signal: nothing
// is mapped.
//
// SafeFileWriter writes new content into a temporary file in the folder of
// the target and puts it in place on Commit. Until then, and whenever
// anything fails, the old file stays byte for byte as it was and the
// temporary file is removed. It keeps a symbolic link (the file the link
// points to is replaced), keeps the replaced file's permission bits (and
// owner where the process may set it), refuses a target that exists and is
// not a regular file, and never replaces a file that appeared at the target
// while it wrote when the target was new or replacing was not allowed.
//
// Every failure leaves a detail: the path and the system's reason, such as
// "/data/Texture.bin: No space left on device".
//
// The system-specific half lives in file_io_posix.cpp and
// file_io_windows.cpp: opening inputs, temporary files, putting them in
// place, locks and the interrupt clean-up. On Windows the descriptors below
// are C runtime descriptors of Windows handles.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/path_text.h"

namespace lorvane {

// Bytes read in pieces at offsets: an input file, or bytes already in memory.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Fills out with the bytes at offset; false when they cannot all be read,
    // with the reason in Detail().
    virtual bool ReadAt(uint64_t offset, std::span<std::byte> out) = 0;
    // False, with the reason in Detail(), once the source is no longer what
    // it was when opened (a file that changed size or time).
    virtual bool Unchanged() { return true; }
    // The path and the reason of the last failure.
    virtual const std::string& Detail() const = 0;
};

// Bytes in memory that outlive the source.
class MemoryBytes final : public ByteSource {
  public:
    explicit MemoryBytes(std::span<const std::byte> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, std::span<std::byte> out) override;
    const std::string& Detail() const override { return detail_; }

  private:
    std::span<const std::byte> bytes_;
    std::string detail_;
};

// A regular file open for reading, its size and time taken when it opened.
class InputFile final : public ByteSource {
  public:
    InputFile() = default;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() override;

    // Opens the regular file; nullopt when it cannot be opened or is not a
    // regular file, with the path and reason in *detail.
    static std::optional<InputFile> Open(const std::filesystem::path& path,
                                         std::string* detail = nullptr);

    uint64_t Size() const override { return size_; }
    // A piece that ends past the end of the file now is
    // "PATH: the file changed while it was read".
    bool ReadAt(uint64_t offset, std::span<std::byte> out) override;
    // The file still has the size and modification time it had when opened.
    bool Unchanged() override;
    const std::string& Detail() const override { return detail_; }

  private:
    void Close();
    void SetChanged();

    int fd_ = -1;
    uint64_t size_ = 0;
    long long modified_ = 0;
    std::filesystem::path path_;
    std::string detail_;
};

class FileBytes {
  public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept = default;
    FileBytes& operator=(FileBytes&& other) noexcept = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Reads the whole regular file; nullopt when it cannot be opened or read
    // or is not a regular file, with the path and reason in *detail.
    static std::optional<FileBytes> Open(const std::filesystem::path& path,
                                         std::string* detail = nullptr);

    std::span<const std::byte> Bytes() const { return {data_.get(), size_}; }
    size_t Size() const { return size_; }

  private:
    std::unique_ptr<std::byte[]> data_;
    size_t size_ = 0;
};

// True when a file (or anything, a dangling link included) exists at the path.
bool PathExists(const std::filesystem::path& path);

// 0 when path names a regular file that can be opened for reading; the
// system's error code otherwise (EINVAL for a FIFO, device or socket).
int InputFileError(const std::filesystem::path& path);

// "PATH: reason" for a system error code.
std::string FileErrorDetail(const std::filesystem::path& path, int errorCode);

// Where a writer puts its file. A path converts to a target that may be
// replaced; the command-line tool sets mayReplace from --overwrite and
// standardOutput for "-o -".
struct OutputTarget {
    std::filesystem::path path;
    // False: a file that exists at path (or appears there while writing) is
    // never replaced; the write fails instead.
    bool mayReplace = true;
    // Write to the process's standard output instead of path.
    bool standardOutput = false;

    OutputTarget() = default;
    template <typename P>
    requires std::constructible_from<std::filesystem::path, const P&> OutputTarget(const P& target)
        : path(target) {}  // NOLINT: implicit on purpose
    OutputTarget(std::filesystem::path target, bool replace, bool toStandardOutput = false)
        : path(std::move(target)), mayReplace(replace), standardOutput(toStandardOutput) {}

    // The name shown in messages.
    std::string Name() const { return standardOutput ? "standard output" : PathToUtf8(path); }
};

enum class WriteStatus { Ok, OpenFailed, WriteFailed };

class SafeFileWriter {
  public:
    SafeFileWriter() = default;
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();  // discards the temporary file unless committed

    // Creates the temporary file beside the target (the target of its link).
    // False when it cannot be made or the target may not be written.
    bool Open(const OutputTarget& target);
    // Appends bytes; false once any write has failed.
    bool Write(std::span<const std::byte> data);
    // Flushes the file to disk and puts it in place of the target.
    bool Commit();
    // Removes the temporary file; the target is untouched.
    void Discard();

    // Gives the temporary file a name from the start, as on systems that
    // cannot make an unnamed file; call before Open.
    void UseNamedTemporaryFile() { named_ = true; }

    bool IsOpen() const { return fd_ >= 0; }
    // The path and the reason of the last failure.
    const std::string& Detail() const { return detail_; }

  private:
    bool Fail(int errorCode, const std::filesystem::path& path);
    bool Publish();
    bool CreateNamedTemporary(const std::filesystem::path& folder, const std::string& prefix,
                              unsigned mode);

    OutputTarget target_;
    std::filesystem::path final_;      // the file written: target or the end of its links
    std::filesystem::path temporary_;  // empty while the temporary file has no name
    int fd_ = -1;
    int slot_ = -1;  // its entry in the interrupt clean-up list
    bool existed_ = false;
    bool failed_ = false;
    bool named_ = false;
    std::string detail_;
};

#if defined(ReplaceFile)
#undef ReplaceFile  // windows.h's name for ReplaceFileA/W; this one is lorvane::ReplaceFile
#endif
// Writes data as the whole new content of the target through
// SafeFileWriter; the path and reason of a failure go to *detail.
WriteStatus ReplaceFile(const OutputTarget& target, std::span<const std::byte> data,
                        std::string* detail = nullptr);
// The same, for content that write() hands to the open writer in parts;
// write returns false once a part could not be written.
WriteStatus ReplaceFileWith(const OutputTarget& target,
                            const std::function<bool(SafeFileWriter&)>& write,
                            std::string* detail = nullptr);

// An exclusive lock on a file that is read, changed and replaced in place:
// a second holder waits until the first has replaced the file and let go,
// then sees the new file.
class FileLock {
  public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Waits for the lock on the regular file at path (through its links);
    // nullopt with the path and reason in *detail when it cannot be opened.
    static std::optional<FileLock> Exclusive(const std::filesystem::path& path,
                                             std::string* detail = nullptr);

  private:
    int fd_ = -1;
};

}  // namespace lorvane
