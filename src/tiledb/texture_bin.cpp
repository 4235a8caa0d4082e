#include "tiledb/texture_bin.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

#include "base/byte_writer.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/path_text.h"
#include "base/stream_reader.h"
#include "tiledb/list_records.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kSetHeaderSize = 5;
constexpr size_t kTileHeaderSize = 28;
using list_records::kAreaSize;
using list_records::kHeldAsStored;
using list_records::kPathSize;
// A save writes the file about this many bytes at a time.
constexpr size_t kSaveBandBytes = size_t{256} << 10;

// The code shown in the name read message when the file ends inside a name
// (the end-of-file code) or the name has no NUL (the invalid-data code).
constexpr int kEndOfFileCode = 38;
constexpr int kInvalidDataCode = 13;

constexpr const char* kReadError = "Read Error";
constexpr const char* kReadWarning = "Texture.bin Read";
constexpr const char* kFileReadFailed = "Could not read texture.bin file.";

bool ReadName(StreamReader& in, TileName& name, MessageSink& messages) {
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

bool ReadTile(StreamReader& in, TileRecord& tile, MessageSink& messages) {
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
    if (!list_records::ReadAreas(in, areaCount, tile.areas)) {
        messages.Error("Could not read areas in texture.bin file.", kReadError);
        return false;
    }
    if (!list_records::ReadPaths(in, pathCount, tile.paths)) {
        messages.Error("Could not read paths in texture.bin file.", kReadError);
        return false;
    }
    return true;
}

std::optional<TileDatabase> ReadFields(StreamReader& in, MessageSink& messages) {
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

// A database larger than the memory there is: refused with its message,
// never the end of the program.
template <typename Read>
std::optional<TileDatabase> WithinMemory(MessageSink& messages, Read read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        messages.Error("There is not enough memory to read Texture.bin.",
                       "Memory Allocation Error");
        return std::nullopt;
    }
}

}  // namespace

std::optional<TileDatabase> ReadTextureBin(ByteSource& source, MessageSink& messages) {
    return WithinMemory(messages, [&]() -> std::optional<TileDatabase> {
        StreamReader in(source);
        // The fields' messages wait until the whole file was read unchanged:
        // a file that changed meanwhile says so, not what its cut gave.
        MessageLog held;
        std::optional<TileDatabase> database = ReadFields(in, held);
        if (in.SourceFailed() || !source.Unchanged()) {
            messages.Error("Error opening Texture.bin file.", "File Open Error", source.Detail());
            return std::nullopt;
        }
        for (const Message& message : held.messages) messages.Show(message);
        return database;
    });
}

std::optional<TileDatabase> ParseTextureBin(std::span<const std::byte> bytes,
                                            MessageSink& messages) {
    MemoryBytes source(bytes);
    return ReadTextureBin(source, messages);
}

std::optional<TileDatabase> LoadTextureBin(const std::filesystem::path& path,
                                           MessageSink& messages) {
    std::string detail;
    std::optional<InputFile> file = InputFile::Open(path, &detail);
    if (!file) {
        messages.Error("Error opening Texture.bin file.", "File Open Error", detail);
        return std::nullopt;
    }
    return ReadTextureBin(*file, messages);
}

namespace {

template <size_t recordSize, typename Record, typename Encode>
void WriteRecords(ByteWriter& out, const std::vector<Record>& records, Encode encode) {
    if constexpr (kHeldAsStored<Record, recordSize>) {
        out.Bytes(std::as_bytes(std::span(records)));
    } else {
        for (const Record& record : records) encode(out, record);
    }
}

void EncodeArea(ByteWriter& out, const TileArea& area) {
    out.I32(area.type);
    out.F32(area.radius);
    out.F32(area.centerX);
    out.F32(area.centerY);
}

void EncodePath(ByteWriter& out, const TilePath& path) {
    out.I32(path.type);
    out.F32(path.width);
    out.F32(path.startX);
    out.F32(path.startY);
    out.F32(path.endX);
    out.F32(path.endY);
}

// Encodes the database into out, calling flush() whenever out holds a band's
// worth, which may hand the bytes on and clear out; false once flush fails.
template <typename Flush>
bool EncodeTextureBin(const TileDatabase& database, ByteWriter& out, Flush flush) {
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
            WriteRecords<kAreaSize>(out, tile.areas, EncodeArea);
            WriteRecords<kPathSize>(out, tile.paths, EncodePath);
            if (out.Size() >= kSaveBandBytes && !flush()) return false;
        }
    }
    return true;
}

}  // namespace

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
    EncodeTextureBin(database, out, [] { return true; });
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
    // Encoded a band at a time into one reused buffer, never a whole copy.
    const auto write = [&database](SafeFileWriter& file) {
        ByteWriter out;
        out.Reserve(2 * kSaveBandBytes);
        const auto flush = [&] {
            const bool written = file.Write(out.Data());
            out.Clear();
            return written;
        };
        return EncodeTextureBin(database, out, flush) && flush();
    };
    switch (ReplaceFileWith(path, write, &detail)) {
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
