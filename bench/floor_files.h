#pragma once
// The plain system calls of the floors of the tile database benchmarks: a
// file read whole into a new buffer, and a file written through one reused
// buffer and flushed to the disk with one fsync. None of Lorvane's readers
// or writers.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace lorvane::bench {

// The file's bytes read into a new buffer with plain system calls (open,
// fstat, read, close).
inline std::unique_ptr<char[]> ReadWhole(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    const auto size = static_cast<size_t>(info.st_size);
    std::unique_ptr<char[]> bytes(new char[size]);
    for (size_t done = 0; done < size;) {
        const ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    return bytes;
}

// A file written through one reused 256 KiB buffer, each time it is full,
// and flushed to the disk with one fsync when done. Written in place, or,
// with byRename, as a new file put in place by rename once flushed, which
// is as durable as a safe replace (the old file stays whole until then).
class FloorFile {
  public:
    explicit FloorFile(const std::filesystem::path& path, bool byRename = false)
        : path_(path), written_(byRename ? std::filesystem::path(path.string() + ".new") : path) {
        if (byRename) ::unlink(written_.c_str());
        fd_ = ::open(written_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        buffer_.reserve(2 * kBuffer);
    }
    ~FloorFile() {
        Flush();
        ::fsync(fd_);
        ::close(fd_);
        if (written_ != path_) ::rename(written_.c_str(), path_.c_str());
    }
    FloorFile(const FloorFile&) = delete;
    FloorFile& operator=(const FloorFile&) = delete;
    void Put(const void* data, size_t size) {
        const size_t at = buffer_.size();
        buffer_.resize(at + size);
        std::memcpy(buffer_.data() + at, data, size);
        if (buffer_.size() >= kBuffer) Flush();
    }

  private:
    static constexpr size_t kBuffer = size_t{256} << 10;
    void Flush() {
        for (size_t done = 0; done < buffer_.size();) {
            const ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (put <= 0) break;
            done += static_cast<size_t>(put);
        }
        buffer_.clear();
    }
    std::filesystem::path path_;
    std::filesystem::path written_;
    int fd_ = -1;
    std::vector<std::byte> buffer_;
};

}  // namespace lorvane::bench
