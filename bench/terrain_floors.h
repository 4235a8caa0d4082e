#pragma once
// The floors of the terrain commands: the least work that writes the same
// bytes as lorvane-cli l2m, thr and mea, as durably. Each floor does its own
// plain system calls and calls none of our readers or writers: it maps the
// O2 (open, fstat, mmap), takes the section count and record size from the
// sizes, reads the offsets straight from the mapped O2 without checks, reads
// the L2 a section row at a time with one pread into a reused band (cheaper
// here than mapping it: a mapped 112 MiB costs its page faults), converts,
// and writes its output as a new file with write and one fsync, renamed
// over the old.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "terrain/theater_tile_map.h"
#include "tiledb/tile_database.h"

namespace lorvane::bench {

namespace fs = std::filesystem;

// A file mapped for reading with plain system calls.
struct MappedFile {
    explicit MappedFile(const fs::path& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        size = static_cast<size_t>(info.st_size);
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        bytes = static_cast<const std::byte*>(mapped);
    }
    ~MappedFile() { ::munmap(const_cast<std::byte*>(bytes), size); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const std::byte* bytes = nullptr;
    size_t size = 0;
};

// THEATER.L2 -> THEATER.O2.
inline fs::path FloorO2Path(const fs::path& l2Path) {
    std::string name = l2Path.string();
    name[name.rfind('.') + 1] = 'O';
    return name;
}

// The pair with its section count, record size and offsets, read straight
// from the mapped O2 bytes without checks; the L2 is read a section row at
// a time with one pread of the stretch its sections lie in (the benchmark's
// files hold each row's sections together), into one reused band.
struct FloorInput {
    explicit FloorInput(const fs::path& l2Path)
        : l2(::open(l2Path.c_str(), O_RDONLY | O_CLOEXEC)), o2(FloorO2Path(l2Path)) {
        struct stat info {};
        ::fstat(l2, &info);
        n = static_cast<size_t>(std::sqrt(static_cast<double>(o2.size / 4)));
        recordSize = info.st_size % 7 == 0 ? 7 : 9;
        side = 16 * n;
        band.resize(n * 256 * recordSize);
    }
    ~FloorInput() { ::close(l2); }
    FloorInput(const FloorInput&) = delete;
    FloorInput& operator=(const FloorInput&) = delete;

    uint32_t Offset(size_t sx, size_t sy) const {
        uint32_t offset;
        std::memcpy(&offset, o2.bytes + 4 * (sy * n + sx), 4);
        return offset;
    }
    const std::byte* Section(size_t sx, size_t sy) {
        if (sy != loaded) Load(sy);
        return band.data() + (Offset(sx, sy) - rowStart);
    }
    void Load(size_t sy) {
        uint32_t first = UINT32_MAX, last = 0;
        for (size_t sx = 0; sx < n; ++sx) {
            first = std::min(first, Offset(sx, sy));
            last = std::max(last, Offset(sx, sy));
        }
        const size_t bytes = last - first + 256 * recordSize;
        if (band.size() < bytes) band.resize(bytes);
        for (size_t done = 0; done < bytes;) {
            const ssize_t got =
                ::pread(l2, band.data() + done, bytes - done, static_cast<off_t>(first + done));
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        rowStart = first;
        loaded = sy;
    }

    int l2 = -1;
    MappedFile o2;
    size_t n = 0;
    size_t recordSize = 7;
    size_t side = 0;
    std::vector<std::byte> band;
    size_t loaded = SIZE_MAX;
    uint32_t rowStart = 0;
};

// What each floor is, in the line of its ratio.
inline constexpr const char* kFloorL2m =
    "mmap O2, one pread per section row of L2, widen records into a 1 MiB buffer, write a new "
    "file, one fsync, rename";
inline constexpr const char* kFloorThr =
    "mmap O2, one pread per section row of L2, table lookup per post into the column-order "
    "grid, one write of a new file, one fsync, rename";
inline constexpr const char* kFloorMea =
    "mmap O2, one pread per section row of L2, block maxima section by section, one write of a "
    "new file, one fsync, rename";

// The output is written as a new file beside it, flushed with one fsync and
// renamed over the old one: as durable as ours, whose old file stays whole
// until the new one is in place.
inline fs::path FloorNewPath(const fs::path& out) { return out.string() + ".new"; }

inline int OpenFloorOutput(const fs::path& out) {
    ::unlink(FloorNewPath(out).c_str());
    return ::open(FloorNewPath(out).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

inline void CloseFloorOutput(int fd, const fs::path& out) {
    ::fsync(fd);
    ::close(fd);
    ::rename(FloorNewPath(out).c_str(), out.c_str());
}

inline void WriteAll(int fd, const std::byte* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put <= 0) return;
        data += put;
        size -= static_cast<size_t>(put);
    }
}

// L2 records to 9-byte L2M records in matrix order through one reused
// 1 MiB buffer, then one fsync.
inline void FloorL2m(const fs::path& l2Path, const fs::path& out) {
    FloorInput in(l2Path);
    const int fd = OpenFloorOutput(out);
    std::vector<std::byte> buffer(size_t{1} << 20);
    const uint32_t rows = static_cast<uint32_t>(in.side);
    std::memcpy(buffer.data(), &rows, 4);
    const uint16_t rowLength = static_cast<uint16_t>(in.side);
    std::memcpy(buffer.data() + 4, &rowLength, 2);
    buffer[6] = buffer[8] = std::byte{0};
    buffer[7] = std::byte{static_cast<uint8_t>(in.recordSize == 7 ? 0 : 2)};
    size_t used = 9;
    const size_t rowBytes = in.side * 9;
    const size_t run = 16 * in.recordSize;
    for (size_t y = 0; y < in.side; ++y) {
        if (buffer.size() - used < rowBytes) {
            WriteAll(fd, buffer.data(), used);
            used = 0;
        }
        std::byte* p = buffer.data() + used;
        for (size_t sx = 0; sx < in.n; ++sx) {
            const std::byte* record = in.Section(sx, y / 16) + (y % 16) * run;
            if (in.recordSize == 9) {
                std::memcpy(p, record, run);
                p += run;
                continue;
            }
            for (size_t c = 0; c < 16; ++c, record += 7, p += 9) {
                p[0] = record[0];
                p[1] = record[1];
                p[2] = p[3] = std::byte{0};
                std::memcpy(p + 4, record + 2, 5);
            }
        }
        used += rowBytes;
    }
    WriteAll(fd, buffer.data(), used);
    CloseFloorOutput(fd, out);
}

// Section by section into the column-order grid, then one write and fsync.
template <size_t recordSize>
void FloorThrOf(FloorInput& in, const fs::path& out, const TileDatabase& database) {
    std::vector<uint8_t> bits(65536, 0);
    std::vector<bool> seen(65536, false);
    for (const TileIndexEntry& entry : database.index) {
        const auto id = static_cast<uint32_t>(entry.id);
        if (id < bits.size() && !seen[id]) {
            bits[id] = TileBits(database, entry);
            seen[id] = true;
        }
    }
    std::vector<std::byte> bytes(4 + in.side * in.side);
    const auto side16 = static_cast<uint16_t>(in.side);
    std::memcpy(bytes.data(), &side16, 2);
    std::memcpy(bytes.data() + 2, &side16, 2);
    std::byte* grid = bytes.data() + 4;
    constexpr size_t idSize = recordSize == 7 ? 2 : 4;
    // Four section rows at a time into a band held column by column, then
    // each column's 64 bytes stored whole: the column-order store without
    // a stride of a whole column per post.
    constexpr size_t kBand = 64;
    std::vector<std::byte> band(in.side * kBand);
    for (size_t top = 0; top < in.side; top += kBand) {
        const size_t height = std::min(kBand, in.side - top);
        for (size_t sy = top / 16; sy < (top + height) / 16; ++sy) {
            for (size_t sx = 0; sx < in.n; ++sx) {
                const std::byte* record = in.Section(sx, sy);
                for (size_t r = 0; r < 16; ++r) {
                    std::byte* out = band.data() + 16 * sx * kBand + 16 * sy - top + r;
                    for (size_t c = 0; c < 16; ++c, record += recordSize, out += kBand) {
                        uint32_t id = 0;
                        std::memcpy(&id, record, idSize);
                        const auto aux2 = std::to_integer<uint8_t>(record[idSize + 4]);
                        const uint8_t bandBits =
                            aux2 <= 63 ? static_cast<uint8_t>((63 - aux2) / 21 << 4) : 0;
                        const uint8_t tile = id < bits.size() ? bits[id] : 0;
                        *out = std::byte{static_cast<uint8_t>(tile | bandBits)};
                    }
                }
            }
        }
        for (size_t x = 0; x < in.side; ++x)
            std::memcpy(grid + x * in.side + top, band.data() + x * kBand, height);
    }
    const int fd = OpenFloorOutput(out);
    WriteAll(fd, bytes.data(), bytes.size());
    CloseFloorOutput(fd, out);
}

// Block maxima section by section, then one write and fsync.
template <size_t recordSize>
void FloorMeaOf(FloorInput& in, const fs::path& out) {
    const size_t blocks = in.side / 8;
    std::vector<uint16_t> highest(blocks * blocks, 0);
    constexpr size_t idSize = recordSize == 7 ? 2 : 4;
    for (size_t sy = 0; sy < in.n; ++sy) {
        for (size_t sx = 0; sx < in.n; ++sx) {
            const std::byte* record = in.Section(sx, sy) + idSize;
            for (size_t r = 0; r < 16; ++r) {
                uint16_t* row = highest.data() + (2 * sy + r / 8) * blocks + 2 * sx;
                for (size_t c = 0; c < 16; ++c, record += recordSize) {
                    uint16_t elevation;
                    std::memcpy(&elevation, record, 2);
                    row[c / 8] = std::max(row[c / 8], elevation);
                }
            }
        }
    }
    for (uint16_t& value : highest) value = std::min<uint16_t>(value, 32767);
    const int fd = OpenFloorOutput(out);
    WriteAll(fd, reinterpret_cast<const std::byte*>(highest.data()), highest.size() * 2);
    CloseFloorOutput(fd, out);
}

inline void FloorThr(const fs::path& l2Path, const fs::path& out, const TileDatabase& database) {
    FloorInput in(l2Path);
    in.recordSize == 7 ? FloorThrOf<7>(in, out, database) : FloorThrOf<9>(in, out, database);
}

inline void FloorMea(const fs::path& l2Path, const fs::path& out) {
    FloorInput in(l2Path);
    in.recordSize == 7 ? FloorMeaOf<7>(in, out) : FloorMeaOf<9>(in, out);
}

}  // namespace lorvane::bench
