#pragma once
// The output choice of the commands that change a Texture.bin: either a new
// file (-o OUT.bin, replaced only with --overwrite) or the input itself
// (--in-place), which is replaced safely.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>

#include "base/message.h"
#include "cli/cli.h"
#include "tiledb/tile_database.h"

namespace lorvane::cli {

struct DatabaseOutput {
    PathArgument output;
    bool inPlace = false;
    bool overwrite = false;
};

void AddDatabaseOutputOptions(CLI::App* command, DatabaseOutput& options);

// The file to write for the input database; nullopt after a usage message
// when neither -o nor --in-place was given, or the output exists without
// --overwrite.
std::optional<std::filesystem::path> DatabaseOutputPath(const DatabaseOutput& options,
                                                        const std::filesystem::path& input);

// Saves the database (TileInfo.dat into the current folder); the exit status.
int SaveDatabase(const std::filesystem::path& path, const TileDatabase& database,
                 MessageSink& messages);

}  // namespace lorvane::cli
