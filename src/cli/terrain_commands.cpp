// lorvane-cli l2m THEATER.L2 -o OUT.L2M
// lorvane-cli thr --texture TEXTURE.bin --terrain TERRAIN -o OUT.thr
// lorvane-cli mea --terrain TERRAIN -o OUT.mea
//
// TERRAIN is an L2 file (with its O2 file beside it) or an L2M file, told
// apart by the extension in any letter case.

#include <memory>

#include "cli/cli.h"
#include "cli/terrain_input.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

// The rows of an L2/O2 pair or an L2M file, streamed from the files a band
// at a time: no matrix is built.
std::optional<TerrainRows> OpenTerrainRows(const std::filesystem::path& path,
                                           MessageSink& messages) {
    return lorvane::OpenTerrainRows(path, IsL2MPath(path), messages);
}

struct TerrainOptions {
    PathArgument terrain;
    PathArgument texture;
    PathArgument output;
    bool overwrite = false;
    bool quiet = false;
};

void AddOutputOptions(CLI::App* command, TerrainOptions& options) {
    command->add_option("-o,--output", options.output, "The file to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options.overwrite, "Replace the output file when it exists");
    command->add_flag("--quiet", options.quiet, "Show no progress");
}

// The frame every terrain command runs in: the output check, then the work
// with the terminal's messages and progress; its result gives the status.
template <typename Work>
void RunTerrainCommand(const TerrainOptions& options, int& exitStatus, Work work) {
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) {
        exitStatus = kUsage;
        return;
    }
    StderrMessages messages;
    TerminalProgress progress(options.quiet);
    exitStatus = work(*output, messages, progress) ? kSuccess : kFailed;
}

const CommandRegistration l2m("l2m", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TerrainOptions>();
    CLI::App* command =
        app.add_subcommand("l2m", "Read an L2 file and its O2 file and save the matrix as L2M");
    command->add_option("TERRAIN", options->terrain, "The L2 file (its O2 file beside it)")
        ->required();
    AddOutputOptions(command, *options);
    command->callback([options, &exitStatus] {
        RunTerrainCommand(
            *options, exitStatus,
            [&](const OutputTarget& output, StderrMessages& messages, TerminalProgress& progress) {
                const auto terrain = OpenTerrainRows(options->terrain, messages);
                if (!terrain) return false;
                const TerrainRows& rows = *terrain;
                progress.Open("Saving Terrain Matrix", 0,
                              Range(rows.Rows() * rows.Columns() / 256));
                const bool saved = SaveRowsAsL2M(output, rows, progress, messages);
                progress.Close();
                return saved;
            });
    });
});

const CommandRegistration thr("thr", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TerrainOptions>();
    CLI::App* command = app.add_subcommand("thr", "Generate the theater tile map (.thr)");
    command->add_option("--texture", options->texture, "The Texture.bin of the theater")
        ->required();
    command->add_option("--terrain", options->terrain, "The L2 (with its O2) or L2M file")
        ->required();
    AddOutputOptions(command, *options);
    command->callback([options, &exitStatus] {
        RunTerrainCommand(
            *options, exitStatus,
            [&](const OutputTarget& output, StderrMessages& messages, TerminalProgress& progress) {
                const auto database = LoadTextureBin(options->texture, messages);
                if (!database) return false;
                const auto terrain = OpenTerrainRows(options->terrain, messages);
                if (!terrain) return false;
                const int32_t rowCount = terrain->dimensions().yMapExtent;
                progress.Open("Building " + PathToUtf8(options->output.path().filename()) + " File",
                              0, 4 * std::max(rowCount - 1, 1));
                const bool written =
                    GenerateTheaterMap(output, *terrain, *database, progress, messages);
                progress.Close();
                return written;
            });
    });
});

const CommandRegistration mea("mea", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TerrainOptions>();
    CLI::App* command =
        app.add_subcommand("mea", "Generate the minimum egress altitude file (.mea)");
    command->add_option("--terrain", options->terrain, "The L2 (with its O2) or L2M file")
        ->required();
    AddOutputOptions(command, *options);
    command->callback([options, &exitStatus] {
        RunTerrainCommand(
            *options, exitStatus,
            [&](const OutputTarget& output, StderrMessages& messages, TerminalProgress&) {
                const auto terrain = OpenTerrainRows(options->terrain, messages);
                return terrain && GenerateMeaFile(output, *terrain, messages);
            });
    });
});

}  // namespace

}  // namespace lorvane::cli
