#pragma once
// An input file that another program changes right after its first read,
// and the ways of changing it.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

#include "base/file_io.h"

namespace lorvane::testing {

// An input file that another program changes right after the first read
// (or after the reads-th).
class ChangingFile final : public ByteSource {
  public:
    ChangingFile(InputFile file, std::function<void()> change, int reads = 1)
        : file_(std::move(file)), change_(std::move(change)), readsLeft_(reads) {}
    uint64_t Size() const override { return file_.Size(); }
    bool ReadAt(uint64_t offset, std::span<std::byte> out) override {
        const bool read = file_.ReadAt(offset, out);
        if (change_ && --readsLeft_ <= 0) std::exchange(change_, nullptr)();
        return read;
    }
    bool Unchanged() override { return file_.Unchanged(); }
    const std::string& Detail() const override { return file_.Detail(); }

  private:
    InputFile file_;
    std::function<void()> change_;
    int readsLeft_;
};

// The ways another program changes a file: each is seen as a change.
struct FileChange {
    const char* what;
    std::function<void(const std::filesystem::path&)> apply;
};

inline std::vector<FileChange> FileChanges() {
    namespace fs = std::filesystem;
    return {
        {"shortened", [](const fs::path& path) { fs::resize_file(path, fs::file_size(path) / 3); }},
        {"grown",
         [](const fs::path& path) {
             std::ofstream(path, std::ios::binary | std::ios::app).write("1234567", 7);
         }},
        {"rewritten at its size",
         [](const fs::path& path) {
             std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).write("xx", 2);
             fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
         }},
    };
}

}  // namespace lorvane::testing
