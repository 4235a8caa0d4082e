#include "base/file_io.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lorvane {

namespace fs = std::filesystem;

FileBytes::FileBytes(FileBytes&& other) noexcept { *this = std::move(other); }

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        Release();
        owned_ = std::move(other.owned_);
        mapped_ = other.mapped_;
        size_ = other.size_;
        data_ = mapped_ ? other.data_ : owned_.data();
        other.data_ = nullptr;
        other.size_ = 0;
        other.mapped_ = false;
    }
    return *this;
}

FileBytes::~FileBytes() { Release(); }

bool PathExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

WriteStatus ReplaceFile(const fs::path& path, std::span<const std::byte> data) {
    SafeFileWriter writer;
    if (!writer.Open(path)) return WriteStatus::OpenFailed;
    if (!writer.Write(data) || !writer.Commit()) return WriteStatus::WriteFailed;
    return WriteStatus::Ok;
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

// The Windows file services are in file_io_windows.cpp.
#if !defined(_WIN32)

void FileBytes::Release() {
    if (mapped_ && data_ != nullptr) {
        ::munmap(const_cast<std::byte*>(data_), size_);
    }
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
    owned_.clear();
}

std::optional<FileBytes> FileBytes::Open(const fs::path& path) {
    FileBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<size_t>(info.st_size);
    if (size > 0) {
#if defined(MAP_POPULATE)
        // Fault the whole mapping in at once: readers go through it all.
        constexpr int kFlags = MAP_PRIVATE | MAP_POPULATE;
#else
        constexpr int kFlags = MAP_PRIVATE;
#endif
        void* map = ::mmap(nullptr, size, PROT_READ, kFlags, fd, 0);
        if (map != MAP_FAILED) {
            ::madvise(map, size, MADV_SEQUENTIAL);
            result.data_ = static_cast<const std::byte*>(map);
            result.size_ = size;
            result.mapped_ = true;
        }
    }
    ::close(fd);
    if (result.mapped_ || size == 0) return result;
    // Where mapping is not available: read the file whole.
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    result.owned_.resize(static_cast<size_t>(length));
    if (length > 0 && !in.read(reinterpret_cast<char*>(result.owned_.data()), length)) {
        return std::nullopt;
    }
    result.data_ = result.owned_.data();
    result.size_ = result.owned_.size();
    return result;
}

bool SafeFileWriter::Open(const fs::path& target) {
    Discard();
    static std::atomic<unsigned> serial{0};
    target_ = target;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
        temporary_ = folder / (target.filename().string() + ".tmp" + std::to_string(serial++));
        // "x": fail rather than reuse a file that already exists.
        file_ = std::fopen(temporary_.string().c_str(), "wbx");
        if (file_ == nullptr && !PathExists(temporary_)) break;  // not a name clash
    }
    failed_ = false;
    return file_ != nullptr;
}

bool SafeFileWriter::Write(std::span<const std::byte> data) {
    if (file_ == nullptr || failed_) return false;
    if (!data.empty() &&
        std::fwrite(data.data(), 1, data.size(), static_cast<std::FILE*>(file_)) != data.size()) {
        failed_ = true;
    }
    return !failed_;
}

bool SafeFileWriter::Commit() {
    if (file_ == nullptr) return false;
    auto* file = static_cast<std::FILE*>(file_);
    bool ok = !failed_ && std::fflush(file) == 0;
    ok = ok && ::fsync(::fileno(file)) == 0;
    ok = (std::fclose(file) == 0) && ok;
    file_ = nullptr;
    if (ok) {
        std::error_code error;
        fs::rename(temporary_, target_, error);
        ok = !error;
    }
    if (!ok) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
    temporary_.clear();
    return ok;
}

void SafeFileWriter::Discard() {
    if (file_ != nullptr) {
        std::fclose(static_cast<std::FILE*>(file_));
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
    }
}

#endif  // !_WIN32

}  // namespace lorvane
