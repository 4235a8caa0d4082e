// lorvane-cli export TEXTURE.bin (--tile NAME_OR_ID… | --since BASE.bin) -o EXPORT [--overwrite]
// lorvane-cli import TEXTURE.bin EXPORT (-o OUT.bin | --in-place)

#include <algorithm>
#include <cctype>
#include <iostream>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace lorvane::cli {

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The id of the tile a --tile argument names: a decimal id, or a tile name
// in any letter case.
std::optional<int32_t> TileIdOf(const TileDatabase& database, const std::string& text) {
    for (const TileIndexEntry& entry : database.index) {
        if (AllDigits(text) ? std::to_string(entry.id) == text
                            : SameName(NameText(entry.name), text)) {
            return entry.id;
        }
    }
    return std::nullopt;
}

struct ExportOptions {
    PathArgument texture;
    std::vector<std::string> tiles;
    PathArgument since;
    PathArgument output;
    bool overwrite = false;
};

int RunExport(const ExportOptions& options) {
    if (options.tiles.empty() == options.since.empty()) {
        std::cerr << "lorvane-cli: give the tiles to export with --tile, or --since BASE.bin\n";
        return kUsage;
    }
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) return kUsage;
    StderrMessages messages;
    auto database = LoadTextureBin(options.texture, messages);
    if (!database) return kFailed;
    if (!options.since.empty()) {
        const auto base = LoadTextureBin(options.since, messages);
        if (!base) return kFailed;
        return ExportTilesChangedSince(*output, *database, *base, messages) ? kSuccess : kFailed;
    }
    for (const std::string& tile : options.tiles) {
        const std::optional<int32_t> id = TileIdOf(*database, tile);
        if (!id) {
            messages.Error(FormatText("There is no tile %s in this Texture.bin.", tile.c_str()),
                           "Tile Not Found");
            return kFailed;
        }
        MarkTileForExport(*database, *id);
    }
    return ExportModifiedTiles(*output, *database, messages) ? kSuccess : kFailed;
}

const CommandRegistration exportTiles("export", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Export the paths and areas of tiles for import into another Texture.bin");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to read")->required();
    command->add_option("--tile", options->tiles, "A tile to export: its name or its id");
    command->add_option("--since", options->since,
                        "Export every tile whose paths or areas differ from this Texture.bin's");
    command
        ->add_option("-o,--output", options->output,
                     "The export file to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] { exitStatus = RunExport(*options); });
});

struct ImportOptions {
    PathArgument texture;
    PathArgument exportFile;
    DatabaseOutput output;
};

int RunImport(const ImportOptions& options) {
    int status = kUsage;
    const auto output = DatabaseOutputPath(options.output, options.texture, status);
    if (!output) return status;
    StderrMessages messages;
    auto database = LoadTextureBin(options.texture, messages);
    if (!database) return kFailed;
    if (!ImportTiles(options.exportFile, *database, messages)) return kFailed;
    return SaveDatabase(output->target, *database, options.output.tileInfo, messages);
}

const CommandRegistration importTiles("import", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* command = app.add_subcommand("import",
                                           "Replace the paths and areas of tiles with those of an "
                                           "export file (matched by set and position)");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to change")->required();
    command->add_option("EXPORT", options->exportFile, "The export file to read")->required();
    AddDatabaseOutputOptions(command, options->output);
    command->callback([options, &exitStatus] { exitStatus = RunImport(*options); });
});

}  // namespace

}  // namespace lorvane::cli
