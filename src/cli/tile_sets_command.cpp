// lorvane-cli add-set TEXTURE.bin --type TYPE [--set N] TILE… (-o OUT.bin | --in-place)
// lorvane-cli add-tiles TEXTURE.bin --set N TILE… (-o OUT.bin | --in-place)
// lorvane-cli set-type TEXTURE.bin --set N --type TYPE (-o OUT.bin | --in-place)
//
// Each runs the set dialog's rules with the number and type given, as the
// program's "Add Set", "Add Tiles to Set" and "Change Set Terrain Type" do.

#include <iostream>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_sets.h"

namespace lorvane::cli {

namespace {

struct SetOptions {
    PathArgument texture;
    std::string type;
    std::optional<int> set;
    std::vector<std::string> tiles;
    DatabaseOutput output;
};

// The type list position of TYPE; nullopt after a usage message.
std::optional<int> TypePosition(const std::string& text) {
    if (const auto position = SetTypePositionFromText(text)) return position;
    std::cerr << "lorvane-cli: " << text << " is not a set terrain type; give one of";
    for (int p = 0; p < kSetTypeCount; ++p) {
        const int code = AreaTypeCodes[static_cast<size_t>(p)];
        std::cerr << (p == 0 ? " " : ", ") << '"' << TypeName(code) << "\" (" << code << ')';
    }
    std::cerr << '\n';
    return std::nullopt;
}

void AddTypeOption(CLI::App* command, SetOptions& options) {
    command
        ->add_option("--type", options.type,
                     "The terrain type: a name such as \"Thin Forest\" or its code")
        ->required();
}

// Runs the dialog's rules for the mode and, in the add modes, adds the tiles;
// then saves. The exit status.
int RunSetCommand(const SetOptions& options, SetDialogMode mode) {
    int typePosition = 0;
    if (mode != SetDialogMode::AddTiles) {
        const auto position = TypePosition(options.type);
        if (!position) return kUsage;
        typePosition = *position;
    }
    int status = kUsage;
    const auto output = DatabaseOutputPath(options.output, options.texture, status);
    if (!output) return status;
    StderrMessages messages;
    auto database = LoadTextureBin(options.texture, messages);
    if (!database) return kFailed;
    // The set number as the dialog would hold it: the start number unless given.
    const int currentSet = mode == SetDialogMode::AddSet ? 0 : options.set.value_or(0);
    const SetDialogView view = StartSetDialog(*database, mode, currentSet);
    const std::string numberText = options.set ? std::to_string(*options.set) : view.numberText;
    const SetDialogOutcome outcome =
        ApplySetDialog(*database, mode, currentSet, numberText, typePosition, messages);
    if (outcome.end != SetDialogEnd::Applied) return kFailed;
    if (mode == SetDialogMode::ChangeType) {
        ReportStream(output->target)
            << "Set " << outcome.currentSet << ": " << outcome.terrainLabel << '\n';
        return SaveDatabase(output->target, *database, options.output.tileInfo, messages);
    }
    std::vector<std::string> names;
    for (const std::string& tile : options.tiles) names.push_back(FileNameOfPath(tile));
    const std::vector<ImageInOtherSet> held =
        ImagesInOtherSets(*database, outcome.currentSet, names);
    const auto added =
        AddTilesToSet(*database, outcome.currentSet, outcome.chosenType, names, messages);
    if (!added) return kFailed;
    WarnImagesInOtherSets(held, messages);
    status = SaveDatabase(output->target, *database, options.output.tileInfo, messages);
    if (status == kSuccess) {
        const TileSet& set = database->sets[static_cast<size_t>(added->set)];
        ReportStream(output->target)
            << "Set " << added->set << ": " << TypeName(set.terrainType) << ", " << set.tileCount()
            << (set.tileCount() == 1 ? " tile\n" : " tiles\n");
    }
    return status;
}

const CommandRegistration addSet("add-set", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* command = app.add_subcommand("add-set", "Add a new tile set (or fill an empty one)");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to change")->required();
    AddTypeOption(command, *options);
    command->add_option("--set", options->set, "The set number (default: a new set at the end)");
    command
        ->add_option("TILES", options->tiles, "The tile image files (the folder part is dropped)")
        ->required();
    AddDatabaseOutputOptions(command, options->output);
    command->callback(
        [options, &exitStatus] { exitStatus = RunSetCommand(*options, SetDialogMode::AddSet); });
});

const CommandRegistration addTiles("add-tiles", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* command = app.add_subcommand("add-tiles", "Add tiles to an existing set");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to change")->required();
    command->add_option("--set", options->set, "The set number")->required();
    command
        ->add_option("TILES", options->tiles, "The tile image files (the folder part is dropped)")
        ->required();
    AddDatabaseOutputOptions(command, options->output);
    command->callback(
        [options, &exitStatus] { exitStatus = RunSetCommand(*options, SetDialogMode::AddTiles); });
});

const CommandRegistration setType("set-type", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* command = app.add_subcommand("set-type", "Change the terrain type of a set");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to change")->required();
    command->add_option("--set", options->set, "The set number")->required();
    AddTypeOption(command, *options);
    AddDatabaseOutputOptions(command, options->output);
    command->callback([options, &exitStatus] {
        exitStatus = RunSetCommand(*options, SetDialogMode::ChangeType);
    });
});

}  // namespace

}  // namespace lorvane::cli
