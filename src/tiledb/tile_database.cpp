#include "tiledb/tile_database.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace lorvane {

const std::array<const char*, kTypeCount> TypeNames = {
    "No Data", "Water", "River", "Swamp",   "Plains", "Brush",  "Thin Forest", "Thick Forest",
    "Rocky",   "Urban", "Road",  "Railway", "Bridge", "Runway", "Station"};

const std::array<int, 5> PathTypeCodes = {2, 10, 12, 11, 0};
const std::array<int, 11> AreaTypeCodes = {1, 3, 4, 5, 6, 7, 8, 9, 13, 14, 0};

const char* TypeName(int code) {
    return code >= 0 && code < kTypeCount ? TypeNames[static_cast<size_t>(code)] : TypeNames[0];
}

template <size_t N>
static std::optional<int> PositionIn(const std::array<int, N>& table, int code) {
    const auto it = std::find(table.begin(), table.end(), code);
    if (it == table.end()) return std::nullopt;
    return static_cast<int>(it - table.begin());
}

std::optional<int> PathTypePosition(int code) { return PositionIn(PathTypeCodes, code); }
std::optional<int> AreaTypePosition(int code) { return PositionIn(AreaTypeCodes, code); }

std::string_view NameText(const TileName& name) {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return {name.data(), static_cast<size_t>(end - name.begin())};
}

TileName MakeTileName(std::string_view text) {
    TileName name{};
    const size_t length = std::min(text.size(), kTileNameSize - 1);
    std::copy_n(text.begin(), length, name.begin());
    return name;
}

TileRecord* TileDatabase::RecordAt(int32_t set, int32_t tile) {
    return const_cast<TileRecord*>(std::as_const(*this).RecordAt(set, tile));
}

const TileRecord* TileDatabase::RecordAt(int32_t set, int32_t tile) const {
    if (set < 0 || set >= setCount()) return nullptr;
    const TileSet& tileSet = sets[static_cast<size_t>(set)];
    if (tile < 0 || tile >= tileSet.tileCount()) return nullptr;
    return &tileSet.tiles[static_cast<size_t>(tile)];
}

TileRecord* TileDatabase::Tile(const TileIndexEntry& entry) {
    return RecordAt(entry.setIndex, entry.tileIndex);
}

const TileRecord* TileDatabase::Tile(const TileIndexEntry& entry) const {
    return RecordAt(entry.setIndex, entry.tileIndex);
}

std::optional<int> TileDatabase::PositionOfId(int32_t id) const {
    for (size_t i = 0; i < index.size(); ++i) {
        if (index[i].id == id) return static_cast<int>(i);
    }
    return std::nullopt;
}

TileIndexEntry MakeIndexEntry(const TileRecord& tile, int32_t setIndex, int32_t tileIndex,
                              uint8_t terrainType) {
    TileIndexEntry entry;
    entry.id = tile.id;
    entry.number = TileNumberFromName(NameText(tile.name));
    entry.name = MakeTileName(NameText(tile.name));
    entry.setIndex = setIndex;
    entry.tileIndex = tileIndex;
    entry.terrainType = terrainType;
    entry.modified = 0;
    return entry;
}

void IndexTilesInPlace(TileDatabase& database) {
    database.index.clear();
    for (size_t s = 0; s < database.sets.size(); ++s) {
        TileSet& set = database.sets[s];
        for (size_t k = 0; k < set.tiles.size(); ++k) {
            TileRecord& tile = set.tiles[k];
            tile.id = TileIdAt(static_cast<int32_t>(s), static_cast<int32_t>(k));
            tile.modified = 0;
            database.index.push_back(MakeIndexEntry(tile, static_cast<int32_t>(s),
                                                    static_cast<int32_t>(k), set.terrainType));
        }
    }
}

void FreeTileDatabase(TileDatabase& database) {
    database.sets.clear();
    database.sets.shrink_to_fit();
    database.index.clear();
    database.index.shrink_to_fit();
}

// The "%x" conversion over [begin, end): leading white space, an optional
// sign, an optional 0x prefix, then hex digits up to the first other
// character. 0 when no digit is found.
static uint32_t ScanHex(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    uint32_t value = 0;
    for (; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return negative ? 0u - value : value;
}

uint16_t TileNumberFromName(std::string_view name) {
    // Names are at most 19 characters: a longer text uses its first 19.
    const std::string_view text = name.substr(0, std::min(name.size(), kTileNameSize - 1));
    const std::string_view head = text.substr(0, text.find('\0'));
    const size_t dot = head.find('.');
    if (dot == std::string_view::npos || dot < 3) return 0;
    return static_cast<uint16_t>(ScanHex(head.data() + dot - 3, head.data() + dot) & 0xFFFF);
}

static bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

const TileIndexEntry* FindIndexEntryByName(const TileDatabase& database, std::string_view text) {
    for (const TileIndexEntry& entry : database.index) {
        if (StartsWithNoCase(NameText(entry.name), text)) return &entry;
    }
    return nullptr;
}

std::string TileNameById(const TileDatabase& database, int32_t id) {
    const std::optional<int> position = database.PositionOfId(id);
    if (!position) return {};
    return std::string(NameText(database.index[static_cast<size_t>(*position)].name));
}

}  // namespace lorvane
