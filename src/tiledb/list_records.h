#pragma once
// The lists of a tile as Texture.bin and the tile export file store them:
// an area is 16 bytes (type int32; radius, centre x and y float32), a path
// 24 (type int32; width, start x and y, end x and y float32), little-endian,
// read from a StreamReader straight into their vectors.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

#include "base/stream_reader.h"
#include "tiledb/tile_database.h"

namespace lorvane::list_records {

inline constexpr size_t kAreaSize = 16;
inline constexpr size_t kPathSize = 24;

inline uint32_t U32At(const std::byte* p) {
    uint32_t value = 0;
    std::memcpy(&value, p, 4);
    if constexpr (std::endian::native == std::endian::big) value = std::byteswap(value);
    return value;
}

inline float F32At(const std::byte* p) { return std::bit_cast<float>(U32At(p)); }

inline int32_t I32At(const std::byte* p) { return static_cast<int32_t>(U32At(p)); }

inline TileArea DecodeArea(const std::byte* p) {
    return {I32At(p), F32At(p + 4), F32At(p + 8), F32At(p + 12)};
}

inline TilePath DecodePath(const std::byte* p) {
    return {I32At(p), F32At(p + 4), F32At(p + 8), F32At(p + 12), F32At(p + 16), F32At(p + 20)};
}

// On a little-endian machine an area and a path are held as the file stores
// them, four-byte fields in order without padding, so a list is read into
// its vector as it stands and written from it.
template <typename Record, size_t recordSize>
constexpr bool kHeldAsStored =
    std::endian::native == std::endian::little &&
    sizeof(Record) ==
        recordSize&& std::is_trivially_copyable_v<Record>&& std::is_standard_layout_v<Record>;
static_assert(offsetof(TileArea, centerY) == 12 && offsetof(TilePath, endY) == 20);

// Reads count records, after checking that they fit in what remains.
template <size_t recordSize, typename Record, typename Decode>
bool ReadRecords(StreamReader& in, int32_t count, std::vector<Record>& out, Decode decode) {
    if (count < 0 || !in.Fits(static_cast<uint64_t>(count), recordSize)) return false;
    out.resize(static_cast<size_t>(count));
    if constexpr (kHeldAsStored<Record, recordSize>) {
        return in.ReadBytes(std::as_writable_bytes(std::span(out)));
    } else {
        std::byte record[recordSize];
        for (Record& value : out) {
            if (!in.ReadBytes(record)) return false;
            value = decode(record);
        }
        return true;
    }
}

inline bool ReadAreas(StreamReader& in, int32_t count, std::vector<TileArea>& out) {
    return ReadRecords<kAreaSize>(in, count, out, DecodeArea);
}

inline bool ReadPaths(StreamReader& in, int32_t count, std::vector<TilePath>& out) {
    return ReadRecords<kPathSize>(in, count, out, DecodePath);
}

}  // namespace lorvane::list_records
