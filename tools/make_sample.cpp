// Makes the sample data that `make run` opens: a small Texture.bin with a few
// sets of tiles, some of them with paths and areas.
//
// usage: lorvane-sample OUTPUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "base/message.h"
#include "tiledb/texture_bin.h"

using namespace lorvane;

namespace {

TileDatabase SampleDatabase() {
    // Set s holds tiles H<s><k>.PCX; its terrain type cycles through the list.
    const int tilesPerSet[] = {4, 3, 5, 2};
    TileDatabase database;
    for (int s = 0; s < 4; ++s) {
        TileSet& set = database.sets.emplace_back();
        set.terrainType = static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(s * 2)]);
        for (int k = 0; k < tilesPerSet[s]; ++k) {
            TileRecord& tile = set.tiles.emplace_back();
            char name[20];
            std::snprintf(name, sizeof name, "H%02X%X.PCX", s, k);
            tile.name = MakeTileName(name);
            tile.id = s * 16 + k;
            if (k == 0) {
                // A road across the tile in two segments, a river, and a lake.
                tile.paths = {{10, 60.0f, 0.0f, 400.0f, 1640.0f, 1200.0f},
                              {10, 60.0f, 1640.0f, 1200.0f, 3280.0f, 1500.0f},
                              {2, 120.0f, 200.0f, 3000.0f, 2800.0f, 2400.0f}};
                tile.areas = {{1, 300.0f, 2400.0f, 800.0f}, {9, 200.0f, 900.0f, 2500.0f}};
            }
            TileIndexEntry entry;
            entry.id = tile.id;
            entry.number = TileNumberFromName(name);
            entry.name = tile.name;
            entry.setIndex = s;
            entry.tileIndex = k;
            entry.terrainType = set.terrainType;
            database.index.push_back(entry);
        }
    }
    return database;
}

class PrintMessages : public MessageSink {
public:
    void Show(const Message& message) override {
        std::cerr << message.caption << ": " << message.text << '\n';
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lorvane-sample OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    PrintMessages messages;
    return SaveTextureBin(folder / "Texture.bin", SampleDatabase(), folder, messages) ? 0 : 1;
}
