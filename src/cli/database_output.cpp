#include "cli/database_output.h"

#include <iostream>

#include "cli/cli.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

void AddDatabaseOutputOptions(CLI::App* command, DatabaseOutput& options) {
    CLI::Option* output =
        command->add_option("-o,--output", options.output, "The Texture.bin to write");
    CLI::Option* inPlace =
        command->add_flag("--in-place", options.inPlace, "Replace the input Texture.bin (safely)");
    output->excludes(inPlace);
    command->add_flag("--overwrite", options.overwrite, "Replace the output file when it exists");
}

std::optional<std::filesystem::path> DatabaseOutputPath(const DatabaseOutput& options,
                                                        const std::filesystem::path& input) {
    if (options.inPlace) return input;
    if (options.output.empty()) {
        std::cerr << "lorvane-cli: give -o OUT.bin or --in-place\n";
        return std::nullopt;
    }
    if (!MayWriteOutput(options.output, options.overwrite)) return std::nullopt;
    return options.output.path();
}

int SaveDatabase(const std::filesystem::path& path, const TileDatabase& database,
                 MessageSink& messages) {
    return SaveTextureBin(path, database, StartupFolder(), messages) ? kSuccess : kFailed;
}

}  // namespace lorvane::cli
