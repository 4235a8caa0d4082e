#pragma once
// Builds tile databases in code for tests, benchmarks and the sample data.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tiledb/tile_database.h"

namespace lorvane::testing {

// A tile with the given name and lists; id and modified are set by Finish.
TileRecord MakeTile(const std::string& name, std::vector<TilePath> paths = {},
                    std::vector<TileArea> areas = {});

// A database of the given sets, with ids and the index filled as loading
// fills them.
TileDatabase MakeDatabase(std::vector<TileSet> sets);

// setCount sets of tilesPerSet tiles named H<set><pos>.PCX with pathsPerTile
// paths and areasPerTile areas each, whose values vary with the position.
TileDatabase MakeLargeDatabase(int setCount, int tilesPerSet, int pathsPerTile, int areasPerTile);

std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::byte>& bytes);

// A fresh empty folder under the system's temporary folder.
std::filesystem::path MakeTempFolder(const std::string& stem);

// Two sets: set 0 holds H000.PCX (two road segments, one lake) and
// H001.PCX (nothing); set 1 holds H010.PCX with one river segment.
inline TileDatabase TwoSetDatabase() {
    return MakeDatabase({
        TileSet{4,
                {MakeTile("H000.PCX", {{10, 60, 100, 200, 300, 400}, {10, 60, 300, 400, 500, 600}},
                          {{1, 300, 2400, 800}}),
                 MakeTile("H001.PCX")}},
        TileSet{9, {MakeTile("H010.PCX", {{2, 120, 200, 3000, 2800, 2400}})}},
    });
}

}  // namespace lorvane::testing
