#include "shell/file_guard.h"

#include <bit>
#include <cstring>
#include <system_error>

#include "base/file_io.h"

namespace lorvane {

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

uint64_t Mix(uint64_t state, uint64_t word) {
    state ^= word * kMultiplier;
    state = std::rotl(state, 29) * 0xBF58476D1CE4E5B9ull;
    return state;
}

uint64_t LoadLittle64(const std::byte* bytes, size_t count) {
    uint64_t word = 0;
    for (size_t i = count; i-- > 0;) word = (word << 8) | std::to_integer<uint64_t>(bytes[i]);
    return word;
}

}  // namespace

uint64_t ContentHash(std::span<const std::byte> bytes) {
    // Eight bytes a step, the tail padded with zeros; the length goes in
    // last, so that trailing zero bytes still change the hash.
    uint64_t state = 0x243F6A8885A308D3ull;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) state = Mix(state, LoadLittle64(bytes.data() + i, 8));
    if (i < bytes.size()) state = Mix(state, LoadLittle64(bytes.data() + i, bytes.size() - i));
    state = Mix(state, bytes.size());
    return state ^ (state >> 31);
}

std::optional<FileStamp> StampFile(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    const std::optional<FileBytes> file = FileBytes::Open(path);
    if (!file) return std::nullopt;
    FileStamp stamp;
    stamp.size = file->Size();
    stamp.modified = static_cast<int64_t>(time.time_since_epoch().count());
    stamp.hash = ContentHash(file->Bytes());
    return stamp;
}

bool ContentDiffers(const FileStamp& then, const FileStamp& now) {
    return then.size != now.size || then.hash != now.hash;
}

void FileGuard::Remember(const fs::path& path) {
    Forget();
    if (const std::optional<FileStamp> stamp = StampFile(path)) {
        path_ = path;
        stamp_ = *stamp;
    }
}

void FileGuard::Forget() {
    path_.reset();
    asked_.reset();
}

bool FileGuard::Guards(const fs::path& path) const {
    if (!path_) return false;
    std::error_code error;
    if (fs::equivalent(*path_, path, error)) return true;
    // A file that is gone compares by its name.
    std::error_code leftError;
    std::error_code rightError;
    const fs::path left = fs::weakly_canonical(*path_, leftError);
    const fs::path right = fs::weakly_canonical(path, rightError);
    return !leftError && !rightError && left == right;
}

std::optional<FileStamp> FileGuard::ChangedUnderneath() const {
    if (!path_) return std::nullopt;
    const std::optional<FileStamp> now = StampFile(*path_);
    if (!now || !ContentDiffers(stamp_, *now)) return std::nullopt;
    return now;
}

}  // namespace lorvane
