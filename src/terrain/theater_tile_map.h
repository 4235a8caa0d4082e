#pragma once
// The theater tile map (.thr): one byte per terrain post, summarising the
// post's tile.
//
// File layout: yMapExtent (u16), xMapExtent (u16), then the post bytes in
// column order: the byte of post (x, y) is at 4 + x·yMapExtent + y.
//
// A post byte: bits 0–2 the terrain class of the tile's set type, bit 3
// zero, bits 4–5 the band (63 − aux2) div 21, bit 6 a Road path on the tile,
// bit 7 a Railway path. A River path or a Water area on the tile makes the
// class 0. A tile id that no index entry has gives class 0 and no path bits;
// an aux2 above 63 gives band 0.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "base/file_io.h"
#include "base/message.h"
#include "base/progress.h"
#include "terrain/terrain_matrix.h"
#include "terrain/terrain_rows.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// The class of a terrain type code: Water 0, Swamp 1, Rocky 2, Plains 3,
// Brush 4, Thin Forest 5, Thick Forest 6, Urban, Runway and Station 7, any
// other code 0.
int TerrainClass(int terrainType);

// The band bits (already shifted into bits 4–5) of an aux2 byte.
uint8_t Aux2BandBits(uint8_t aux2);

// The class and path bits of every tile id, from the first index entry with
// that id; built once from the index.
class TileBitsLookup {
  public:
    explicit TileBitsLookup(const TileDatabase& database);
    // The class and path bits of the tile with that id; none when no index
    // entry has it.
    std::optional<uint8_t> Find(uint32_t tileId) const {
        if (tileId < dense_.size()) return Decode(dense_[tileId]);
        if (sparse_.empty()) return std::nullopt;
        return FindSparse(tileId);
    }

  private:
    static constexpr uint16_t kNone = 0x100;
    static std::optional<uint8_t> Decode(uint16_t value) {
        if (value == kNone) return std::nullopt;
        return static_cast<uint8_t>(value);
    }
    std::optional<uint8_t> FindSparse(uint32_t tileId) const;

    std::vector<uint16_t> dense_;                       // by id, for ids below a small bound
    std::vector<std::pair<uint32_t, uint8_t>> sparse_;  // the other ids, sorted
};

// The class and path bits of one index entry's tile.
uint8_t TileBits(const TileDatabase& database, const TileIndexEntry& entry);

// The whole .thr file content, row by row in one pass over the matrix. After
// each row y the count 4·y is reported (count and bar) and the abort flag
// tested. None on abort, or for a matrix that is not complete (after the
// "not loaded" information).
std::optional<std::vector<std::byte>> ComposeTheaterMap(const TerrainMatrix& matrix,
                                                        const TileDatabase& database,
                                                        Progress& progress, MessageSink& messages);

// The same from rows read one at a time: the map's bytes and a band of rows
// are all it holds besides the lookup. None on abort or when a read of the
// rows failed.
std::optional<std::vector<std::byte>> ComposeTheaterMap(const TerrainRows& rows,
                                                        const TileDatabase& database,
                                                        Progress& progress);

// Composes the map and replaces the file at path safely. A file that cannot
// be created: "Error opening ,Theater>.thr file."; one that cannot be written:
// "Could not write the .thr file." (caption "Read Error"). An abort writes
// nothing.
bool GenerateTheaterMap(const OutputTarget& path, const TerrainMatrix& matrix,
                        const TileDatabase& database, Progress& progress, MessageSink& messages);
bool GenerateTheaterMap(const OutputTarget& path, const TerrainRows& rows,
                        const TileDatabase& database, Progress& progress, MessageSink& messages);

}  // namespace lorvane
