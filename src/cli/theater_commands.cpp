// lorvane-cli seams --terrain TERRAIN --texture TEXTURE.bin [--tolerance FEET]
//                   [--orientation N] [--json] [--fail-on-seams]
// lorvane-cli render-theater --terrain TERRAIN [--texture TEXTURE.bin]
//                   [--tiles FOLDER] [--post-size N] [--orientation N] -o MAP.png
//
// seams lists the path ends on shared post edges that meet nothing across;
// render-theater draws the whole theater, one block of pixels per post.

#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/png_output.h"
#include "cli/terrain_input.h"
#include "theater/seams.h"
#include "theater/theater_picture.h"
#include "theater/tile_blocks.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

struct TheaterOptions {
    PathArgument terrain;
    PathArgument texture;
    PathArgument tiles;
    PathArgument output;
    float tolerance = kDefaultSeamTolerance;
    int orientation = -1;  // -1: found from the data
    int postSize = 1;
    bool json = false;
    bool failOnSeams = false;
    bool overwrite = false;
    bool quiet = false;
};

void AddTerrainOptions(CLI::App* command, TheaterOptions& options) {
    command->add_option("--terrain", options.terrain, "The L2 (with its O2) or L2M file")
        ->required();
    command
        ->add_option("--orientation", options.orientation,
                     "How every tile lies on its post, 0 to 7, instead of the one found")
        ->check(CLI::Range(0, kOrientationCount - 1));
    command->add_flag("--quiet", options.quiet, "Show no progress");
}

// The seams' tile names: the database's name of each id.
std::string NameOf(const TileDatabase& database, uint32_t id) {
    const std::string name = TileNameById(database, static_cast<int32_t>(id));
    return name.empty() ? "(not in Texture.bin)" : name;
}

double RoundedFeet(float feet) { return std::round(static_cast<double>(feet) * 10.0) / 10.0; }

void PrintSeamsJson(int orientation, const std::vector<Seam>& seams) {
    nlohmann::ordered_json seamList = nlohmann::ordered_json::array();
    for (const Seam& seam : seams) {
        seamList.push_back({{"tile", seam.tile},
                            {"neighbour", seam.neighbour},
                            {"edge", EdgeName(seam.edge)},
                            {"type", seam.type},
                            {"offsetFeet", RoundedFeet(seam.offsetFeet)},
                            {"places", seam.places}});
    }
    const nlohmann::ordered_json out = {{"orientation", orientation}, {"seams", seamList}};
    std::cout << out.dump() << '\n';
}

void PrintSeamsText(const TileDatabase& database, int orientation, bool found,
                    const std::array<uint64_t, kOrientationCount>& meeting,
                    const std::vector<Seam>& seams) {
    std::cout << "Orientation " << orientation << (found ? " (found)" : " (given)")
              << "; path ends meeting under each orientation:";
    for (int o = 0; o < kOrientationCount; ++o)
        std::cout << ' ' << o << ": " << meeting[static_cast<size_t>(o)];
    std::cout << '\n' << seams.size() << (seams.size() == 1 ? " seam" : " seams") << '\n';
    for (const Seam& seam : seams) {
        std::cout << FormatText(
            "%s (%u), %s edge, next to %s (%u): %s ends %.1f feet off, %llu %s\n",
            NameOf(database, seam.tile).c_str(), seam.tile, EdgeName(seam.edge),
            NameOf(database, seam.neighbour).c_str(), seam.neighbour, TypeName(seam.type),
            static_cast<double>(seam.offsetFeet), static_cast<unsigned long long>(seam.places),
            seam.places == 1 ? "place" : "places");
    }
}

int FindSeams(const TheaterOptions& options) {
    StderrMessages messages;
    TerminalProgress progress(options.quiet);
    const auto database = LoadTextureBin(options.texture, messages);
    if (!database) return kFailed;
    const auto matrix = ReadTerrain(options.terrain, progress, messages);
    if (!matrix) return kFailed;
    const SeamFinder finder(*matrix, *database, options.tolerance);
    const auto meeting = finder.MeetingEnds();
    const bool found = options.orientation < 0;
    const int orientation = found ? finder.FindOrientation() : options.orientation;
    const std::vector<Seam> seams = finder.Seams(orientation);
    if (options.json) {
        PrintSeamsJson(orientation, seams);
    } else {
        PrintSeamsText(*database, orientation, found, meeting, seams);
    }
    return options.failOnSeams && !seams.empty() ? kFailed : kSuccess;
}

int RenderTheater(const TheaterOptions& options) {
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) return kUsage;
    std::error_code error;
    if (!options.tiles.empty() && !std::filesystem::is_directory(options.tiles, error)) {
        std::cerr << "lorvane-cli: " << options.tiles.text() << " is not a folder of tile images\n";
        return kFailed;
    }
    StderrMessages messages;
    TerminalProgress progress(options.quiet);
    std::optional<TileDatabase> database;
    if (!options.texture.empty()) {
        database = LoadTextureBin(options.texture, messages);
        if (!database) return kFailed;
    }
    const auto matrix = ReadTerrain(options.terrain, progress, messages);
    if (!matrix) return kFailed;
    if (!PictureFits(matrix->xMapExtent(), matrix->yMapExtent(), options.postSize)) {
        std::cerr << "lorvane-cli: a picture of " << matrix->xMapExtent() << " x "
                  << matrix->yMapExtent() << " posts of " << options.postSize
                  << " pixels is too large (at most " << kMaxPictureSide << " pixels a side and "
                  << kMaxPicturePixels << " pixels)\n";
        return kFailed;
    }
    TheaterPictureOptions pictureOptions;
    pictureOptions.postSize = options.postSize;
    pictureOptions.orientation = options.orientation;
    if (options.orientation < 0)
        pictureOptions.orientation =
            database ? SeamFinder(*matrix, *database).FindOrientation() : 0;
    std::optional<TileImageFolder> tiles;
    if (!options.tiles.empty()) {
        tiles.emplace(options.tiles, database ? &*database : nullptr, options.postSize,
                      pictureOptions.orientation);
        pictureOptions.tileBlocks = [&tiles](uint32_t id) { return tiles->Block(id); };
    }
    progress.Open("Drawing " + PathToUtf8(options.output.path().filename()), 0,
                  matrix->yMapExtent());
    const auto picture =
        RenderTheaterPicture(*matrix, database ? &*database : nullptr, pictureOptions, progress);
    progress.Close();
    if (!picture) {
        std::cerr << "lorvane-cli: could not draw the theater\n";
        return kFailed;
    }
    if (tiles && tiles->missing() > 0)
        std::cerr << "lorvane-cli: " << Counted(tiles->missing(), "tile has", "tiles have")
                  << " no readable image in " << options.tiles.text()
                  << "; their posts show the terrain class colour\n";
    if (!WritePng(picture->pixels.data(), picture->width, picture->height, Overlay{}, *output))
        return kFailed;
    return kSuccess;
}

const CommandRegistration seams("seams", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TheaterOptions>();
    CLI::App* command = app.add_subcommand(
        "seams", "List the path ends on shared post edges that meet no path across");
    AddTerrainOptions(command, *options);
    command->add_option("--texture", options->texture, "The Texture.bin of the theater")
        ->required();
    command
        ->add_option("--tolerance", options->tolerance,
                     "How near an end must be to an edge, and to an end across, in feet "
                     "(default 32.8, 1% of a tile)")
        ->check(CLI::Range(0.0f, kTileSpanFeet / 2));
    command->add_flag("--json", options->json, "Print the orientation and the seams as JSON");
    command->add_flag("--fail-on-seams", options->failOnSeams, "Exit with 1 when there is a seam");
    command->callback([options, &exitStatus] { exitStatus = FindSeams(*options); });
});

const CommandRegistration renderTheater("render-theater", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TheaterOptions>();
    CLI::App* command = app.add_subcommand(
        "render-theater", "Draw the whole theater into a PNG, one block of pixels per post");
    AddTerrainOptions(command, *options);
    command->add_option("--texture", options->texture,
                        "The Texture.bin whose tiles give the terrain class colours and paths");
    command->add_option("--tiles", options->tiles,
                        "A folder of tile images: each post shows its tile's image scaled down");
    command->add_option("--post-size", options->postSize, "Pixels a post, default 1")
        ->check(CLI::Range(1, 4096));
    command->add_option("-o,--output", options->output, "The PNG to write")->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] { exitStatus = RenderTheater(*options); });
});

}  // namespace

}  // namespace lorvane::cli
