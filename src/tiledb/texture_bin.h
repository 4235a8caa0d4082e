#pragma once
// Texture.bin: an 8-byte header (setCount, tileCount), then each set's 5-byte
// header (tileCount, terrainType) followed by its tiles. A tile is its 20-byte
// name, areaCount, pathCount (28 bytes), then 16 bytes per area and 24 bytes
// per path. Little-endian, no padding, no magic number.
//
// TileInfo.dat: the index's tileCount, then the whole index as 44-byte
// entries; written into the start-up folder at every save, never read back.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "base/file_io.h"
#include "base/message.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// Reads a whole Texture.bin; nullopt after showing the message of the field
// that could not be read. Counts that the remaining bytes cannot hold are
// refused before anything is allocated from them.
std::optional<TileDatabase> LoadTextureBin(const std::filesystem::path& path,
                                           MessageSink& messages);
std::optional<TileDatabase> ParseTextureBin(std::span<const std::byte> bytes,
                                            MessageSink& messages);
// The same from a source read front to back through one reused band; a
// source that cannot be read, or that changed while it was read, gives
// "Error opening Texture.bin file." with its reason and no other message.
std::optional<TileDatabase> ReadTextureBin(ByteSource& source, MessageSink& messages);

// The file content of a database and of its TileInfo.dat.
std::vector<std::byte> SerializeTextureBin(const TileDatabase& database);
std::vector<std::byte> SerializeTileInfo(const TileDatabase& database);

// Writes TileInfo.dat into startupFolder, then the database to path; both are
// replaced safely. A TileInfo.dat that cannot be written is reported and the
// database is still saved. False (after its message) when the database could
// not be written; the old file at path is then untouched. The modified marks
// are not cleared.
bool SaveTextureBin(const OutputTarget& path, const TileDatabase& database,
                    const std::filesystem::path& startupFolder, MessageSink& messages);
// The same with TileInfo.dat written to tileInfo, or not at all when it is empty.
bool SaveTextureBinWithTileInfo(const OutputTarget& path, const TileDatabase& database,
                                const std::filesystem::path& tileInfo, MessageSink& messages);

}  // namespace lorvane
