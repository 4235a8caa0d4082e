// Feeds arbitrary bytes to the tile import as an export file. A refused
// import must leave the database exactly as it was; an accepted one, exported
// again and imported into the same list-free database, must give the same
// tiles.
#include <cstdlib>

#include "base/message.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace {

using namespace lorvane;

// Sets of 3, 1 and 2 tiles; with lists the first tile of each set has some.
TileDatabase SmallDatabase(bool withLists) {
    const int sizes[] = {3, 1, 2};
    TileDatabase database;
    for (int s = 0; s < 3; ++s) {
        TileSet& set = database.sets.emplace_back();
        set.terrainType = 4;
        for (int k = 0; k < sizes[s]; ++k) {
            TileRecord& tile = set.tiles.emplace_back();
            tile.id = s * 16 + k;
            tile.name = MakeTileName("H000.PCX");
            if (withLists && k == 0) {
                tile.paths.assign(static_cast<size_t>(s + 1), TilePath{10, 40, 1, 2, 3, 4});
                tile.areas.assign(static_cast<size_t>(5 - s), TileArea{1, 100, 5, 6});
            }
            TileIndexEntry entry;
            entry.id = tile.id;
            entry.name = tile.name;
            entry.setIndex = s;
            entry.tileIndex = k;
            database.index.push_back(entry);
        }
    }
    return database;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NullMessages messages;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);

    TileDatabase database = SmallDatabase(true);
    const std::vector<std::byte> before = SerializeTextureBin(database);
    if (!ImportTileBytes(bytes, database, messages)) {
        if (SerializeTextureBin(database) != before) std::abort();
        return 0;
    }

    TileDatabase imported = SmallDatabase(false);
    if (!ImportTileBytes(bytes, imported, messages)) std::abort();
    for (const TileIndexEntry& entry : imported.index) {
        if (!MarkTileForExport(imported, entry.id)) std::abort();
    }
    TileDatabase again = SmallDatabase(false);
    if (!ImportTileBytes(SerializeTileExport(imported), again, messages)) std::abort();
    if (SerializeTextureBin(again) != SerializeTextureBin(imported)) std::abort();
    return 0;
}
