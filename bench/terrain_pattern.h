#pragma once
// What the terrain benchmarks share: L2/O2 files of a post pattern written
// section by section (never a whole matrix in memory), the least durable
// write, and the process's peak memory.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "base/format.h"
#include "ratio_reporter.h"
#include "support/terrain_builder.h"
#include "terrain/terrain_matrix.h"

namespace lorvane::bench {

namespace fs = std::filesystem;

// The post record of (x, y) in a pattern that needs no matrix to write.
inline TerrainCell PatternCell(uint32_t x, uint32_t y) {
    const uint32_t post = x * 7919u + y * 104729u;
    return {post % 4096u, static_cast<uint16_t>((x * 37u + y * 11u) % 30000u),
            static_cast<uint8_t>(x + y), static_cast<uint8_t>(x * 3u + y),
            static_cast<uint8_t>(post % 64u)};
}

// Writes an L2/O2 pair of n × n sections section by section, in reverse
// order, so that a large one never sits in memory whole. A 9-byte file whose
// size would be a multiple of 7 gets one leading byte.
inline fs::path WritePatternL2(const fs::path& folder, int n, int recordSize) {
    const fs::path l2Path = folder / FormatText("P%d_%d.L2", n, recordSize);
    std::ofstream l2(l2Path, std::ios::binary);
    const auto sections = static_cast<size_t>(n) * static_cast<size_t>(n);
    const size_t sectionBytes = 256 * static_cast<size_t>(recordSize);
    size_t offset = recordSize == 9 && (sections * sectionBytes) % 7 == 0 ? 1 : 0;
    if (offset) l2.put('\0');
    std::vector<uint32_t> offsets(sections);
    std::vector<std::byte> buffer;
    for (size_t k = sections; k-- > 0;) {
        offsets[k] = static_cast<uint32_t>(offset);
        buffer.clear();
        const auto sx = static_cast<uint32_t>(k % static_cast<size_t>(n));
        const auto sy = static_cast<uint32_t>(k / static_cast<size_t>(n));
        for (uint32_t r = 0; r < 16; ++r) {
            for (uint32_t c = 0; c < 16; ++c) {
                const auto record =
                    testing::EncodeL2Record(PatternCell(16 * sx + c, 16 * sy + r), recordSize);
                buffer.insert(buffer.end(), record.begin(), record.end());
            }
        }
        l2.write(reinterpret_cast<const char*>(buffer.data()),
                 static_cast<std::streamsize>(buffer.size()));
        offset += sectionBytes;
    }
    std::ofstream o2(folder / FormatText("P%d_%d.O2", n, recordSize), std::ios::binary);
    for (uint32_t value : offsets) {
        const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                               static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
        o2.write(bytes, 4);
    }
    return l2Path;
}

// The least work of writing a file as safely as ours: the bytes, flushed to
// the disk.
inline void WriteDurably(const fs::path& path, std::span<const std::byte> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    ::fsync(fd);
    ::close(fd);
}

}  // namespace lorvane::bench
