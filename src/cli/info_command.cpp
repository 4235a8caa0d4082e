// lorvane-cli info TEXTURE.bin [--json]; lorvane-cli resave TEXTURE.bin -o OUT.bin
//
// Names are shown as the Windows-1252 text they hold, in UTF-8.

#include <iostream>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/database_json.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

void PrintText(const TileDatabase& database) {
    std::cout << "Sets: " << database.setCount() << "  Tiles: " << database.tileCount() << '\n';
    for (size_t s = 0; s < database.sets.size(); ++s) {
        const TileSet& set = database.sets[s];
        std::cout << "Set " << s << ": " << TypeName(set.terrainType) << ", " << set.tileCount()
                  << (set.tileCount() == 1 ? " tile\n" : " tiles\n");
        for (const TileRecord& tile : set.tiles) {
            std::cout << "  " << tile.id << "  " << Windows1252ToUtf8(NameText(tile.name))
                      << "  paths " << tile.pathCount() << "  areas " << tile.areaCount() << '\n';
        }
    }
}

struct InfoOptions {
    PathArgument texture;
    bool json = false;
};

const CommandRegistration info("info", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand("info", "List the sets and tiles of a Texture.bin");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to read")->required();
    command->add_flag("--json", options->json, "Write the whole database as one JSON object");
    command->callback([options, &exitStatus] {
        StderrMessages messages;
        const auto database = LoadTextureBin(options->texture, messages);
        if (!database) {
            exitStatus = kFailed;
            return;
        }
        if (options->json) {
            WriteDatabaseJson(std::cout, *database);
            std::cout << '\n';
        } else {
            PrintText(*database);
        }
        exitStatus = kSuccess;
    });
});

struct ResaveOptions {
    PathArgument texture;
    PathArgument output;
    bool overwrite = false;
    std::string tileInfo;
};

const CommandRegistration resave("resave", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<ResaveOptions>();
    CLI::App* command = app.add_subcommand("resave", "Load a Texture.bin and save it again");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to read")->required();
    command->add_option("-o,--output", options->output, "The file to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    AddTileInfoOption(command, options->tileInfo);
    command->callback([options, &exitStatus] {
        const auto output = OutputFor(options->output, options->overwrite);
        if (!output) {
            exitStatus = kUsage;
            return;
        }
        StderrMessages messages;
        const auto database = LoadTextureBin(options->texture, messages);
        exitStatus =
            database ? SaveDatabase(*output, *database, options->tileInfo, messages) : kFailed;
    });
});

}  // namespace

}  // namespace lorvane::cli
