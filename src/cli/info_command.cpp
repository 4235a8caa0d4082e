// lorvane-cli info TEXTURE.bin [--json]; lorvane-cli resave TEXTURE.bin -o OUT.bin

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

// Floats go out as doubles: every float converts to a double exactly and the
// shortest text of that double reads back to the same float.
nlohmann::ordered_json PathJson(const TilePath& path) {
    return {{"type", path.type},
            {"width", static_cast<double>(path.width)},
            {"startX", static_cast<double>(path.startX)},
            {"startY", static_cast<double>(path.startY)},
            {"endX", static_cast<double>(path.endX)},
            {"endY", static_cast<double>(path.endY)}};
}

nlohmann::ordered_json AreaJson(const TileArea& area) {
    return {{"type", area.type},
            {"radius", static_cast<double>(area.radius)},
            {"centerX", static_cast<double>(area.centerX)},
            {"centerY", static_cast<double>(area.centerY)}};
}

nlohmann::ordered_json DatabaseJson(const TileDatabase& database) {
    nlohmann::ordered_json sets = nlohmann::ordered_json::array();
    for (const TileSet& set : database.sets) {
        nlohmann::ordered_json tiles = nlohmann::ordered_json::array();
        for (const TileRecord& tile : set.tiles) {
            nlohmann::ordered_json paths = nlohmann::ordered_json::array();
            for (const TilePath& path : tile.paths) paths.push_back(PathJson(path));
            nlohmann::ordered_json areas = nlohmann::ordered_json::array();
            for (const TileArea& area : tile.areas) areas.push_back(AreaJson(area));
            tiles.push_back({{"id", tile.id},
                             {"name", std::string(NameText(tile.name))},
                             {"paths", std::move(paths)},
                             {"areas", std::move(areas)}});
        }
        sets.push_back({{"terrainType", set.terrainType}, {"tiles", std::move(tiles)}});
    }
    return {{"setCount", database.setCount()},
            {"tileCount", database.tileCount()},
            {"sets", std::move(sets)}};
}

void PrintText(const TileDatabase& database) {
    std::cout << "Sets: " << database.setCount() << "  Tiles: " << database.tileCount() << '\n';
    for (size_t s = 0; s < database.sets.size(); ++s) {
        const TileSet& set = database.sets[s];
        std::cout << "Set " << s << ": " << TypeName(set.terrainType) << ", " << set.tileCount()
                  << (set.tileCount() == 1 ? " tile\n" : " tiles\n");
        for (const TileRecord& tile : set.tiles) {
            std::cout << "  " << tile.id << "  " << NameText(tile.name) << "  paths "
                      << tile.pathCount() << "  areas " << tile.areaCount() << '\n';
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
            std::cout << DatabaseJson(*database).dump() << '\n';
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
};

const CommandRegistration resave("resave", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<ResaveOptions>();
    CLI::App* command = app.add_subcommand(
        "resave",
        "Load a Texture.bin and save it again (TileInfo.dat goes into the current folder)");
    command->add_option("TEXTURE", options->texture, "The Texture.bin to read")->required();
    command->add_option("-o,--output", options->output, "The file to write")->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] {
        if (!MayWriteOutput(options->output, options->overwrite)) {
            exitStatus = kUsage;
            return;
        }
        StderrMessages messages;
        const auto database = LoadTextureBin(options->texture, messages);
        exitStatus =
            database && SaveTextureBin(options->output, *database, StartupFolder(), messages)
                ? kSuccess
                : kFailed;
    });
});

}  // namespace

}  // namespace lorvane::cli
