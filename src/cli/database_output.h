#pragma once
// The output choice of the commands that change a Texture.bin: either a new
// file (-o OUT.bin, replaced only with --overwrite; "-" for standard output)
// or the input itself (--in-place), which is replaced safely while a lock on
// it makes a second in-place run wait until the first has finished.
// TileInfo.dat is written only when --tileinfo names its path.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/message.h"
#include "cli/cli.h"
#include "tiledb/tile_database.h"

namespace lorvane::cli {

struct DatabaseOutput {
    PathArgument output;
    bool inPlace = false;
    bool overwrite = false;
    std::string tileInfo;
};

void AddDatabaseOutputOptions(CLI::App* command, DatabaseOutput& options);
// Only --tileinfo, for commands with their own output option.
void AddTileInfoOption(CLI::App* command, std::string& tileInfo);

// The file to write for the input database, with the lock held for
// --in-place until it is destroyed.
struct DatabaseTarget {
    OutputTarget target;
    std::optional<FileLock> lock;
};

// nullopt with the exit status set after a message when neither -o nor
// --in-place was given, the output may not be written, or the input cannot
// be locked.
std::optional<DatabaseTarget> DatabaseOutputPath(const DatabaseOutput& options,
                                                 const std::filesystem::path& input,
                                                 int& exitStatus);

// Saves the database (and TileInfo.dat when tileInfo is not empty); the exit
// status.
int SaveDatabase(const OutputTarget& target, const TileDatabase& database,
                 const std::string& tileInfo, MessageSink& messages);

}  // namespace lorvane::cli
