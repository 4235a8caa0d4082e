#include "cli/database_output.h"

#include <iostream>

#include "cli/cli.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

void AddTileInfoOption(CLI::App* command, std::string& tileInfo) {
    command->add_option("--tileinfo", tileInfo,
                        "Also write the index dump TileInfo.dat to this path");
}

void AddDatabaseOutputOptions(CLI::App* command, DatabaseOutput& options) {
    CLI::Option* output = command->add_option("-o,--output", options.output,
                                              "The Texture.bin to write (- for standard output)");
    CLI::Option* inPlace =
        command->add_flag("--in-place", options.inPlace, "Replace the input Texture.bin (safely)");
    output->excludes(inPlace);
    command->add_flag("--overwrite", options.overwrite, "Replace the output file when it exists");
    AddTileInfoOption(command, options.tileInfo);
}

std::optional<DatabaseTarget> DatabaseOutputPath(const DatabaseOutput& options,
                                                 const std::filesystem::path& input,
                                                 int& exitStatus) {
    exitStatus = kUsage;
    if (options.inPlace) {
        std::string detail;
        auto lock = FileLock::Exclusive(input, &detail);
        if (!lock) {
            std::cerr << "lorvane-cli: cannot lock the database (" << detail << ")\n";
            exitStatus = kFailed;
            return std::nullopt;
        }
        return DatabaseTarget{OutputTarget(input, true), std::move(lock)};
    }
    if (options.output.empty()) {
        std::cerr << "lorvane-cli: give -o OUT.bin or --in-place\n";
        return std::nullopt;
    }
    auto target = OutputFor(options.output, options.overwrite);
    if (!target) return std::nullopt;
    return DatabaseTarget{*target, std::nullopt};
}

int SaveDatabase(const OutputTarget& target, const TileDatabase& database,
                 const std::string& tileInfo, MessageSink& messages) {
    return SaveTextureBinWithTileInfo(target, database, PathFromUtf8(tileInfo), messages) ? kSuccess
                                                                                          : kFailed;
}

}  // namespace lorvane::cli
