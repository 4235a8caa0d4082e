#include "support/texture_builder.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace lorvane::testing {

TileRecord MakeTile(const std::string& name, std::vector<TilePath> paths, std::vector<TileArea> areas) {
    TileRecord tile;
    tile.name = MakeTileName(name);
    tile.paths = std::move(paths);
    tile.areas = std::move(areas);
    return tile;
}

TileDatabase MakeDatabase(std::vector<TileSet> sets) {
    TileDatabase database;
    database.sets = std::move(sets);
    for (size_t s = 0; s < database.sets.size(); ++s) {
        TileSet& set = database.sets[s];
        for (size_t k = 0; k < set.tiles.size(); ++k) {
            TileRecord& tile = set.tiles[k];
            tile.id = static_cast<int32_t>(s * 16 + k);
            database.index.push_back(
                MakeIndexEntry(tile, static_cast<int32_t>(s), static_cast<int32_t>(k), set.terrainType));
        }
    }
    return database;
}

TileDatabase MakeLargeDatabase(int setCount, int tilesPerSet, int pathsPerTile, int areasPerTile) {
    std::vector<TileSet> sets(static_cast<size_t>(setCount));
    for (int s = 0; s < setCount; ++s) {
        TileSet& set = sets[static_cast<size_t>(s)];
        set.terrainType = static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(s % kSetTypeCount)]);
        for (int k = 0; k < tilesPerSet; ++k) {
            char name[20];
            std::snprintf(name, sizeof name, "H%02X%X.PCX", s & 0xFF, k & 0xF);
            std::vector<TilePath> paths(static_cast<size_t>(pathsPerTile));
            for (int p = 0; p < pathsPerTile; ++p) {
                const float base = static_cast<float>((s * 31 + k * 7 + p * 13) % 3280);
                paths[static_cast<size_t>(p)] = {PathTypeCodes[static_cast<size_t>(p % 4)], 40.0f + static_cast<float>(p % 5),
                                                 base, base + 10.5f, base + 20.25f, base + 30.0f};
            }
            std::vector<TileArea> areas(static_cast<size_t>(areasPerTile));
            for (int a = 0; a < areasPerTile; ++a) {
                const float base = static_cast<float>((s * 17 + k * 5 + a * 11) % 3280);
                areas[static_cast<size_t>(a)] = {AreaTypeCodes[static_cast<size_t>(a % 10)], 100.0f + static_cast<float>(a), base, base + 0.5f};
            }
            set.tiles.push_back(MakeTile(name, std::move(paths), std::move(areas)));
        }
    }
    return MakeDatabase(std::move(sets));
}

std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) bytes[i] = static_cast<std::byte>(chars[i]);
    return bytes;
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path MakeTempFolder(const std::string& stem) {
    static std::atomic<unsigned> serial{0};
    std::random_device random;
    const auto folder = std::filesystem::temp_directory_path() /
                        (stem + "-" + std::to_string(random()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace lorvane::testing
