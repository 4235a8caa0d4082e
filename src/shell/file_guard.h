#pragma once
// Keeps the program from saving over a database file that another program
// changed while it was open: the size, modification time and content hash of
// the file as it was read or last written, compared with the file as it is
// when the program is about to write it or comes back to the foreground.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace lorvane {

struct FileStamp {
    uint64_t size = 0;
    int64_t modified = 0;  // last write time, in ticks of the file clock
    uint64_t hash = 0;     // ContentHash of the whole file

    bool operator==(const FileStamp&) const = default;
};

// A 64-bit hash of bytes. Not cryptographic: it tells one content of a file
// from another.
uint64_t ContentHash(std::span<const std::byte> bytes);

// The stamp of the file at path; nullopt when it is missing or unreadable.
std::optional<FileStamp> StampFile(const std::filesystem::path& path);

// True when the file now holds other bytes than it did: another size or
// another hash. A file only touched (same bytes, a new time) has not changed,
// since saving over it loses nothing.
bool ContentDiffers(const FileStamp& then, const FileStamp& now);

// The database file the program holds in memory, with its stamp.
class FileGuard {
  public:
    // The file at path now holds the database in memory (it was just read or
    // written). A file that cannot be stamped is not guarded.
    void Remember(const std::filesystem::path& path);
    void Forget();

    bool Guarding() const { return path_.has_value(); }
    const std::filesystem::path& path() const { return *path_; }
    // True when path names the guarded file.
    bool Guards(const std::filesystem::path& path) const;

    // The file's stamp now when its bytes differ from those remembered;
    // nullopt when they do not, when nothing is guarded, or when the file is
    // gone (writing it again loses nothing).
    std::optional<FileStamp> ChangedUnderneath() const;

    // The change the user was last asked about, so that coming back to the
    // window asks once per change.
    void MarkAsked(const FileStamp& now) { asked_ = now; }
    bool Asked(const FileStamp& now) const { return asked_ && !ContentDiffers(*asked_, now); }

  private:
    std::optional<std::filesystem::path> path_;
    FileStamp stamp_;
    std::optional<FileStamp> asked_;
};

}  // namespace lorvane
