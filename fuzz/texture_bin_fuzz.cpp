// Feeds arbitrary bytes to the Texture.bin reader, then saves what loaded and
// loads that again: it must read back, and a file read without a word must
// save to the very same bytes (nothing of it is dropped silently). The
// mutator walks the file's counts (sets and tiles in the header, tiles of
// each set, areas and paths of each tile) and gives one of them an edge
// value, or makes the header's counts agree with the records that follow, so
// the reader gets past them.
#include <cstdlib>
#include <cstring>

#include "base/message.h"
#include "tiledb/texture_bin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::MessageLog messages;
    const auto database =
        lorvane::ParseTextureBin({reinterpret_cast<const std::byte*>(data), size}, messages);
    if (database) {
        const auto bytes = lorvane::SerializeTextureBin(*database);
        lorvane::NullMessages quiet;
        if (!lorvane::ParseTextureBin(bytes, quiet)) std::abort();
        if (messages.messages.empty() &&
            (bytes.size() != size || std::memcmp(bytes.data(), data, size) != 0))
            std::abort();
    }
    return 0;
}

#if defined(LORVANE_LIBFUZZER)
#include <vector>

#include "mutators.h"

namespace {

using lorvane::fuzz::GetLe;
using lorvane::fuzz::PutLe;

constexpr size_t kSetHeaderSize = 5;  // tile count, terrain type
constexpr size_t kNameSize = 20;
constexpr size_t kAreaSize = 16;
constexpr size_t kPathSize = 24;

// Where the counts of a file are, as far as its bytes reach.
struct Counts {
    std::vector<size_t> offsets;  // every count field, header first
    size_t sets = 0;              // set headers that follow the header
    size_t tiles = 0;             // tiles that follow
};

int64_t CountAt(const uint8_t* data, size_t offset) {
    return static_cast<int32_t>(GetLe(data + offset, 4));
}

Counts FindCounts(const uint8_t* data, size_t size) {
    Counts counts;
    if (size < 8) return counts;
    counts.offsets = {0, 4};
    size_t at = 8;
    // At most as many sets as the bytes could hold, so the walk always ends.
    for (int64_t s = 0; s < CountAt(data, 0) && at + kSetHeaderSize <= size; ++s) {
        counts.offsets.push_back(at);
        const int64_t tiles = CountAt(data, at);
        at += kSetHeaderSize;
        ++counts.sets;
        for (int64_t k = 0; k < tiles && at + kNameSize + 8 <= size; ++k) {
            counts.offsets.push_back(at + kNameSize);
            counts.offsets.push_back(at + kNameSize + 4);
            const int64_t areas = CountAt(data, at + kNameSize);
            const int64_t paths = CountAt(data, at + kNameSize + 4);
            at += kNameSize + 8;
            ++counts.tiles;
            if (areas < 0 || paths < 0) return counts;
            const auto records =
                static_cast<uint64_t>(areas) * kAreaSize + static_cast<uint64_t>(paths) * kPathSize;
            if (records > size - at) return counts;
            at += static_cast<size_t>(records);
        }
    }
    return counts;
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (size < 8 || random() % 3 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    const Counts counts = FindCounts(data, size);
    if (random() % 4 == 0) {
        PutLe(data, counts.sets, 4);
        PutLe(data + 4, counts.tiles, 4);
        return size;
    }
    const size_t offset = counts.offsets[random() % counts.offsets.size()];
    lorvane::fuzz::MutateField(random, data, size, offset, 4);
    return size;
}
#endif
