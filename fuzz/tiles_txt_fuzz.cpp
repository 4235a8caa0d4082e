// Feeds arbitrary text to the Tiles.txt reader and the build; what builds
// must hold at most 256 sets of at most 16 tiles, names without line ends,
// and save into a Texture.bin that loads back to the same index.
#include <cstdlib>
#include <string_view>

#include "base/message.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tiles_txt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lorvane;
    NullMessages messages;
    const std::vector<std::string> names =
        TilesTxtNames(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& name : names) {
        if (name.size() > kBuiltNameSize || name.find_first_of("\r\n") != std::string::npos)
            std::abort();
    }
    const auto database = BuildTileDatabase(names, messages);
    if (!database) return 0;
    if (database->setCount() > kMaxSets || database->index.size() != names.size()) std::abort();
    for (const TileSet& set : database->sets) {
        if (set.tileCount() > kMaxTilesPerSet) std::abort();
    }
    for (const TileIndexEntry& entry : database->index) {
        const TileRecord* tile = database->Tile(entry);
        if (tile == nullptr || tile->id != entry.id ||
            entry.id != entry.setIndex * 16 + entry.tileIndex) {
            std::abort();
        }
    }
    const auto reloaded = ParseTextureBin(SerializeTextureBin(*database), messages);
    if (!reloaded || SerializeTileInfo(*reloaded) != SerializeTileInfo(*database)) std::abort();
    return 0;
}
