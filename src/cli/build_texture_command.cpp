// lorvane-cli build-texture FOLDER -o OUT.bin [--overwrite] [--tileinfo PATH]

#include <iostream>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/tiles_txt.h"

namespace lorvane::cli {

namespace {

struct BuildOptions {
    PathArgument folder;
    PathArgument output;
    bool overwrite = false;
    std::string tileInfo;
};

const CommandRegistration buildTexture("build-texture", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<BuildOptions>();
    CLI::App* command = app.add_subcommand(
        "build-texture", "Build a new Texture.bin from the tiles listed in FOLDER/Tiles.txt");
    command->add_option("FOLDER", options->folder, "The tiles folder holding Tiles.txt")
        ->required();
    command
        ->add_option("-o,--output", options->output,
                     "The Texture.bin to write (- for standard output)")
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
        const auto database = BuildTextureBinFromFolder(options->folder, messages);
        if (!database) {
            exitStatus = kFailed;
            return;
        }
        exitStatus = SaveDatabase(*output, *database, options->tileInfo, messages);
        if (exitStatus == kSuccess) {
            ReportStream(*output) << "Texture.bin built: "
                                  << Counted(database->setCount(), "Set", "Sets") << "  "
                                  << Counted(database->tileCount(), "Tile", "Tiles") << "\n";
        }
    });
});

}  // namespace

}  // namespace lorvane::cli
