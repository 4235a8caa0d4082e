#pragma once
// What the structure-aware mutators of the fuzz targets share: little-endian
// fields read and written in place, and values at the edges of a count or a
// size. Built into the libFuzzer targets only (LORVANE_LIBFUZZER); the corpus
// replays of the test builds run the entry points alone.

#include <cstddef>
#include <cstdint>
#include <random>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace lorvane::fuzz {

inline uint64_t GetLe(const uint8_t* at, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = bytes; i-- > 0;) value = value << 8 | at[i];
    return value;
}

inline void PutLe(uint8_t* at, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i, value >>= 8) at[i] = static_cast<uint8_t>(value);
}

// A value for a field that holds current: one of the edges of its type, of
// the sizes near the remaining bytes, or current a little off. Taken modulo
// the field's width (1, 2 or 4 bytes) by PutLe.
inline int64_t EdgeValue(std::minstd_rand& random, int64_t current, int64_t remaining,
                         size_t bytes) {
    const int64_t top = int64_t{1} << (8 * bytes - 1);
    const int64_t edges[] = {0,
                             1,
                             -1,
                             top - 1,
                             -top,
                             top / 2,
                             current,
                             remaining,
                             remaining + 1,
                             remaining / 16,
                             remaining / 24,
                             0x4000,
                             0x4001,
                             63,
                             64,
                             192,
                             193};
    switch (random() % 3) {
        case 0:
            return current + static_cast<int64_t>(random() % 9) - 4;
        case 1:
            return static_cast<int64_t>(random() % 256);
        default:
            return edges[random() % (sizeof(edges) / sizeof(edges[0]))];
    }
}

// Writes an edge value into the field of 1, 2 or 4 bytes at offset.
inline void MutateField(std::minstd_rand& random, uint8_t* data, size_t size, size_t offset,
                        size_t bytes) {
    if (offset + bytes > size) return;
    const uint64_t raw = GetLe(data + offset, bytes);
    const int64_t top = int64_t{1} << (8 * bytes - 1);
    const int64_t current = static_cast<int64_t>(raw) >= top && bytes < 8
                                ? static_cast<int64_t>(raw) - 2 * top
                                : static_cast<int64_t>(raw);
    const auto remaining = static_cast<int64_t>(size - offset - bytes);
    PutLe(data + offset, static_cast<uint64_t>(EdgeValue(random, current, remaining, bytes)),
          bytes);
}

}  // namespace lorvane::fuzz
