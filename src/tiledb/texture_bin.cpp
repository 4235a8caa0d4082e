#include "tiledb/texture_bin.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/path_text.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kSetHeaderSize = 5;
constexpr size_t kTileHeaderSize = 28;
constexpr size_t kAreaSize = 16;
constexpr size_t kPathSize = 24;

// The code shown in the name read message when the file ends inside a name
// (the end-of-file code) or the name has no NUL (the invalid-data code).
constexpr int kEndOfFileCode = 38;
constexpr int kInvalidDataCode = 13;

constexpr const char* kReadError = "Read Error";
constexpr const char* kReadWarning = "Texture.bin Read";
constexpr const char* kFileReadFailed = "Could not read texture.bin file.";

// Records are decoded from a span whose size was checked once for all of them.
uint32_t U32At(const std::byte* p) {
    uint32_t value = 0;
    std::memcpy(&value, p, 4);
    if constexpr (std::endian::native == std::endian::big) value = std::byteswap(value);
    return value;
}

float F32At(const std::byte* p) { return std::bit_cast<float>(U32At(p)); }

int32_t I32At(const std::byte* p) { return static_cast<int32_t>(U32At(p)); }

TileArea DecodeArea(const std::byte* p) {
    return {I32At(p), F32At(p + 4), F32At(p + 8), F32At(p + 12)};
}

TilePath DecodePath(const std::byte* p) {
    return {I32At(p), F32At(p + 4), F32At(p + 8), F32At(p + 12), F32At(p + 16), F32At(p + 20)};
}

// Reads count records, after checking that they fit in what remains.
template <typename Record, typename Decode>
bool ReadRecords(ByteReader& in, int32_t count, size_t recordSize, std::vector<Record>& out,
                 Decode decode) {
    std::span<const std::byte> bytes;
    if (count < 0 || !in.Fits(static_cast<uint64_t>(count), recordSize) ||
        !in.Take(static_cast<size_t>(count) * recordSize, bytes)) {
        return false;
    }
    // Sized once, then each record decoded in place.
    out.resize(static_cast<size_t>(count));
    const std::byte* record = bytes.data();
    for (Record& value : out) {
        value = decode(record);
        record += recordSize;
    }
    return true;
}

bool ReadName(ByteReader& in, TileName& name, MessageSink& messages) {
    int code = 0;
    if (!in.ReadChars(name)) {
        code = kEndOfFileCode;
    } else if (std::find(name.begin(), name.end(), '\0') == name.end()) {
        code = kInvalidDataCode;
    } else {
        return true;
    }
    messages.Error(
        FormatText("Could not read sets number Filename in texture.bin file. Error = %d", code),
        kReadError);
    return false;
}

bool ReadTile(ByteReader& in, TileRecord& tile, MessageSink& messages) {
    if (!ReadName(in, tile.name, messages)) return false;
    int32_t areaCount = 0;
    int32_t pathCount = 0;
    if (!in.ReadI32(areaCount)) {
        messages.Error("Could not read sets nAreas in texture.bin file.", kReadError);
        return false;
    }
    if (!in.ReadI32(pathCount)) {
        messages.Error("Could not read sets nPaths in texture.bin file.", kReadError);
        return false;
    }
    if (!ReadRecords(in, areaCount, kAreaSize, tile.areas, DecodeArea)) {
        messages.Error("Could not read areas in texture.bin file.", kReadError);
        return false;
    }
    if (!ReadRecords(in, pathCount, kPathSize, tile.paths, DecodePath)) {
        messages.Error("Could not read paths in texture.bin file.", kReadError);
        return false;
    }
    return true;
}

}  // namespace

std::optional<TileDatabase> ParseTextureBin(std::span<const std::byte> bytes,
                                            MessageSink& messages) {
    ByteReader in(bytes);
    int32_t setCount = 0;
    int32_t tileCount = 0;
    if (!in.ReadI32(setCount) || !in.ReadI32(tileCount) || setCount < 0 || tileCount < 0) {
        messages.Error(kFileReadFailed, kReadError);
        return std::nullopt;
    }
    TileDatabase database;
    // Reserve only what the remaining bytes could hold, whatever the header says.
    database.sets.reserve(
        std::min<size_t>(static_cast<size_t>(setCount), in.Remaining() / kSetHeaderSize));
    database.index.reserve(
        std::min<size_t>(static_cast<size_t>(tileCount), in.Remaining() / kTileHeaderSize));
    int64_t tilesSeen = 0;
    for (int32_t s = 0; s < setCount; ++s) {
        int32_t setTileCount = 0;
        uint8_t terrainType = 0;
        if (!in.ReadI32(setTileCount) || !in.ReadU8(terrainType) || setTileCount < 0 ||
            tilesSeen + setTileCount > tileCount) {
            messages.Error(kFileReadFailed, kReadError);
            return std::nullopt;
        }
        // Tile ids are set position × 16 + position in the set, of 256 sets:
        // a set of more tiles, or a set past the last, would give tiles the
        // ids of others, and edits would land in the wrong tile.
        if (setTileCount > kMaxTilesPerSet || s >= kMaxSets) {
            messages.Error(
                s >= kMaxSets
                    ? FormatText("Texture.bin holds %d sets. A Texture.bin can hold at most %d "
                                 "sets.",
                                 setCount, kMaxSets)
                    : FormatText("Set %d in Texture.bin has %d tiles. A Set can only hold %d "
                                 "tiles.",
                                 s, setTileCount, kMaxTilesPerSet),
                kReadError);
            return std::nullopt;
        }
        tilesSeen += setTileCount;
        TileSet& set = database.sets.emplace_back();
        set.terrainType = terrainType;
        set.tiles.reserve(
            std::min<size_t>(static_cast<size_t>(setTileCount), in.Remaining() / kTileHeaderSize));
        for (int32_t k = 0; k < setTileCount; ++k) {
            TileRecord& tile = set.tiles.emplace_back();
            if (!ReadTile(in, tile, messages)) return std::nullopt;
            tile.id = TileIdAt(s, k);
            tile.modified = 0;
            database.index.push_back(MakeIndexEntry(tile, s, k, terrainType));
        }
    }
    // What the next save would not write again is said now, not dropped
    // without a word.
    if (tilesSeen != tileCount)
        messages.Exclamation(
            FormatText("Texture.bin says it holds %d tiles, and its sets hold %lld. Saving it "
                       "writes the count of its sets.",
                       tileCount, static_cast<long long>(tilesSeen)),
            kReadWarning);
    if (!in.AtEnd())
        messages.Exclamation(
            FormatText("Texture.bin holds %llu bytes after its last set. Saving it leaves them "
                       "out.",
                       static_cast<unsigned long long>(in.Remaining())),
            kReadWarning);
    return database;
}

std::optional<TileDatabase> LoadTextureBin(const std::filesystem::path& path,
                                           MessageSink& messages) {
    try {
        std::string detail;
        const std::optional<FileBytes> file = FileBytes::Open(path, &detail);
        if (!file) {
            messages.Error("Error opening Texture.bin file.", "File Open Error", detail);
            return std::nullopt;
        }
        return ParseTextureBin(file->Bytes(), messages);
    } catch (const std::bad_alloc&) {
        // A database larger than the memory there is: refused with its
        // message, never the end of the program.
        messages.Error("There is not enough memory to read Texture.bin.",
                       "Memory Allocation Error");
        return std::nullopt;
    }
}

std::vector<std::byte> SerializeTextureBin(const TileDatabase& database) {
    size_t size = kHeaderSize;
    for (const TileSet& set : database.sets) {
        size += kSetHeaderSize;
        for (const TileRecord& tile : set.tiles) {
            size += kTileHeaderSize + kAreaSize * tile.areas.size() + kPathSize * tile.paths.size();
        }
    }
    ByteWriter out;
    out.Reserve(size);
    int32_t tileCount = 0;
    for (const TileSet& set : database.sets) tileCount += set.tileCount();
    out.I32(database.setCount());
    out.I32(tileCount);
    for (const TileSet& set : database.sets) {
        out.I32(set.tileCount());
        out.U8(set.terrainType);
        for (const TileRecord& tile : set.tiles) {
            out.Chars(tile.name);
            out.I32(tile.areaCount());
            out.I32(tile.pathCount());
            for (const TileArea& area : tile.areas) {
                out.I32(area.type);
                out.F32(area.radius);
                out.F32(area.centerX);
                out.F32(area.centerY);
            }
            for (const TilePath& path : tile.paths) {
                out.I32(path.type);
                out.F32(path.width);
                out.F32(path.startX);
                out.F32(path.startY);
                out.F32(path.endX);
                out.F32(path.endY);
            }
        }
    }
    return out.Take();
}

std::vector<std::byte> SerializeTileInfo(const TileDatabase& database) {
    ByteWriter out;
    out.Reserve(4 + kIndexEntrySize * database.index.size());
    out.I32(database.tileCount());
    for (const TileIndexEntry& entry : database.index) {
        out.I32(entry.id);
        out.U32(entry.number);
        out.Chars(entry.name);
        out.I32(entry.setIndex);
        out.I32(entry.tileIndex);
        out.U8(entry.terrainType);
        out.Zeros(3);
        out.I32(entry.modified);
    }
    return out.Take();
}

bool SaveTextureBin(const OutputTarget& path, const TileDatabase& database,
                    const std::filesystem::path& startupFolder, MessageSink& messages) {
    return SaveTextureBinWithTileInfo(path, database, startupFolder / "TileInfo.dat", messages);
}

bool SaveTextureBinWithTileInfo(const OutputTarget& path, const TileDatabase& database,
                                const std::filesystem::path& tileInfo, MessageSink& messages) {
    std::string detail;
    // The database first: TileInfo.dat, its index, follows only a database
    // that was written, so that a failed save changes no file at all.
    switch (ReplaceFile(path, SerializeTextureBin(database), &detail)) {
        case WriteStatus::Ok:
            if (!tileInfo.empty() &&
                ReplaceFile(tileInfo, SerializeTileInfo(database), &detail) != WriteStatus::Ok) {
                messages.Error(FormatText("Could not write %s. The database is saved without it.",
                                          PathToUtf8(tileInfo).c_str()),
                               "Write Error", detail);
            }
            return true;
        case WriteStatus::OpenFailed:
            messages.Error("Error opening Texture.bin file.", "File Open Error", detail);
            return false;
        case WriteStatus::WriteFailed:
            messages.Error("Could not write texture.bin file.", "Read Error", detail);
            return false;
    }
    return false;
}

}  // namespace lorvane
