#pragma once
// The tile database model: sets of up to 16 tiles of one terrain type, each
// tile with its image name and its lists of paths and areas, and the flat
// index of every tile in file order (also the record of TileInfo.dat).
//
// Tile coordinates are float feet with the origin at the tile's bottom-left
// corner: X runs up the image, Y to the right; records keep X before Y.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvane {

// One enumeration for set terrain types, area types and path types.
enum class TerrainType : uint8_t {
    NoData = 0,
    Water = 1,
    River = 2,
    Swamp = 3,
    Plains = 4,
    Brush = 5,
    ThinForest = 6,
    ThickForest = 7,
    Rocky = 8,
    Urban = 9,
    Road = 10,
    Railway = 11,
    Bridge = 12,
    Runway = 13,
    Station = 14,
};

inline constexpr int kTypeCount = 15;

// Display names by code, "No Data" to "Station".
extern const std::array<const char*, kTypeCount> TypeNames;

// The display name of a code; "No Data" for a code outside 0 to 14.
const char* TypeName(int code);

// List position to code for the path type list "River", "Road", "Bridge",
// "Railway" and the unset entry.
extern const std::array<int, 5> PathTypeCodes;
// List position to code for the area type list "Water" … "Station" and the
// unset entry; the set terrain type lists use its first eight positions.
extern const std::array<int, 11> AreaTypeCodes;
inline constexpr int kSetTypeCount = 8;

// The list position of a code in PathTypeCodes / AreaTypeCodes; nullopt when
// the code is not in the table.
std::optional<int> PathTypePosition(int code);
std::optional<int> AreaTypePosition(int code);

inline constexpr size_t kTileNameSize = 20;  // char[20], NUL-terminated
using TileName = std::array<char, kTileNameSize>;

// The text of a name up to its first NUL (all 20 bytes when there is none).
std::string_view NameText(const TileName& name);
// A name made from text: at most 19 characters, the rest zero.
TileName MakeTileName(std::string_view text);

// One straight segment of a path: 24 bytes in the file.
struct TilePath {
    int32_t type = 0;
    float width = 0;
    float startX = 0;
    float startY = 0;
    float endX = 0;
    float endY = 0;
    bool operator==(const TilePath&) const = default;
};

// A circle of one type: 16 bytes in the file.
struct TileArea {
    int32_t type = 0;
    float radius = 0;
    float centerX = 0;
    float centerY = 0;
    bool operator==(const TileArea&) const = default;
};

struct TileRecord {
    int32_t id = 0;  // set position × 16 + position in the set
    TileName name{};
    std::vector<TilePath> paths;
    std::vector<TileArea> areas;
    int32_t modified = 0;

    int32_t pathCount() const { return static_cast<int32_t>(paths.size()); }
    int32_t areaCount() const { return static_cast<int32_t>(areas.size()); }
};

struct TileSet {
    uint8_t terrainType = 0;
    std::vector<TileRecord> tiles;

    int32_t tileCount() const { return static_cast<int32_t>(tiles.size()); }
};

// One per tile; the 44-byte record of TileInfo.dat.
struct TileIndexEntry {
    int32_t id = 0;
    uint32_t number = 0;  // TileNumberFromName of the name, zero-extended
    TileName name{};
    int32_t setIndex = 0;
    int32_t tileIndex = 0;
    uint8_t terrainType = 0;
    int32_t modified = 0;
};
inline constexpr size_t kIndexEntrySize = 44;

struct TileDatabase {
    std::vector<TileSet> sets;
    std::vector<TileIndexEntry> index;  // file order; added tiles appended

    int32_t setCount() const { return static_cast<int32_t>(sets.size()); }
    int32_t tileCount() const { return static_cast<int32_t>(index.size()); }

    // The tile at position `tile` of set `set`; null when either is out of
    // range.
    TileRecord* RecordAt(int32_t set, int32_t tile);
    const TileRecord* RecordAt(int32_t set, int32_t tile) const;
    // The tile an index entry points at; null when the entry is out of range.
    TileRecord* Tile(const TileIndexEntry& entry);
    const TileRecord* Tile(const TileIndexEntry& entry) const;
    // The position in the index of the first entry with that id; nullopt when
    // no entry has it.
    std::optional<int> PositionOfId(int32_t id) const;
};

// The id of the tile at a position of a set.
inline int32_t TileIdAt(int32_t set, int32_t position) { return set * 16 + position; }

// Gives every tile the id of its place and no mark, and makes the index
// anew in set and position order, as loading makes it.
void IndexTilesInPlace(TileDatabase& database);

// The index entry of a tile at (setIndex, tileIndex) in a set of that type:
// the tile's id, its name up to the NUL, the number of the name, not modified.
TileIndexEntry MakeIndexEntry(const TileRecord& tile, int32_t setIndex, int32_t tileIndex,
                              uint8_t terrainType);

// Releases every set, tile, path and area and the index.
void FreeTileDatabase(TileDatabase& database);

// The tile number of a name: the (at most) three characters in front of the
// first "." scanned as hexadecimal ("%x": leading blanks and 0x accepted),
// low 16 bits. 0 when there is no ".", fewer than three characters before
// it, or no hex digit. A text of 20 characters or more uses its first 19.
uint16_t TileNumberFromName(std::string_view name);
inline int SetOfTileNumber(uint32_t number) { return static_cast<int>((number >> 4) & 0xFF); }
inline int PositionOfTileNumber(uint32_t number) { return static_cast<int>(number & 0xF); }

// The first index entry whose name begins with text, compared without regard
// to letter case over the length of text; null when none matches. An empty
// text matches the first entry.
const TileIndexEntry* FindIndexEntryByName(const TileDatabase& database, std::string_view text);
// The name of the first index entry with that id; empty when there is none.
std::string TileNameById(const TileDatabase& database, int32_t id);

}  // namespace lorvane
