#pragma once
// Reading whole input files and replacing output files safely.
//
// FileBytes maps a file for reading (or reads it whole where mapping is not
// available), so readers work on one span of bytes through ByteReader.
//
// SafeFileWriter writes new content into a temporary file in the same folder
// and replaces the target with one rename on Commit. Until then, and whenever
// anything fails, the old file stays byte for byte as it was and the
// temporary file is removed.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace lorvane {

class FileBytes {
public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    // Opens and maps the file; nullopt when it cannot be opened or read.
    static std::optional<FileBytes> Open(const std::filesystem::path& path);

    std::span<const std::byte> Bytes() const { return {data_, size_}; }
    size_t Size() const { return size_; }

private:
    void Release();

    const std::byte* data_ = nullptr;
    size_t size_ = 0;
    bool mapped_ = false;
    std::vector<std::byte> owned_;
};

// True when a file (or anything) exists at the path.
bool PathExists(const std::filesystem::path& path);

enum class WriteStatus { Ok, OpenFailed, WriteFailed };

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();  // discards the temporary file unless committed

    // Creates the temporary file beside target. False when it cannot be made.
    bool Open(const std::filesystem::path& target);
    // Appends bytes; false once any write has failed.
    bool Write(std::span<const std::byte> data);
    // Flushes, closes and renames the temporary file over the target.
    bool Commit();
    // Removes the temporary file; the target is untouched.
    void Discard();

    bool IsOpen() const { return file_ != nullptr; }

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    void* file_ = nullptr;  // std::FILE*
    bool failed_ = false;
};

#if defined(ReplaceFile)
#undef ReplaceFile  // windows.h's name for ReplaceFileA/W; this one is lorvane::ReplaceFile
#endif
// Writes data as the whole new content of path through SafeFileWriter.
WriteStatus ReplaceFile(const std::filesystem::path& path, std::span<const std::byte> data);

}  // namespace lorvane
