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

}  // namespace lorvane::testing
