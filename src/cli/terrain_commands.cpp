// lorvane-cli l2m THEATER.L2 -o OUT.L2M
// lorvane-cli thr --texture TEXTURE.bin --terrain TERRAIN -o OUT.thr
// lorvane-cli mea --terrain TERRAIN -o OUT.mea
//
// TERRAIN is an L2 file (with its O2 file beside it) or an L2M file, told
// apart by the extension in any letter case.

#include <algorithm>
#include <cctype>
#include <memory>

#include "cli/cli.h"
#include "cli/terrain_input.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

bool IsL2MPath(const std::filesystem::path& path) {
    std::string extension = PathToUtf8(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".l2m";
}

// A progress range from a count that may be large.
int Range(uint64_t count) { return static_cast<int>(std::min<uint64_t>(count, 1u << 30)); }

// Builds the matrix from an L2/O2 pair or loads it from an L2M file, under
// the progress caption of the desktop program.
std::optional<TerrainMatrix> ReadTerrain(const std::filesystem::path& path, Progress& progress,
                                         MessageSink& messages) {
    const auto terrain = OpenL2File(path, messages);
    if (!terrain) return std::nullopt;
    std::optional<TerrainMatrix> matrix;
    if (IsL2MPath(path)) {
        const auto cells = terrain->Size() > kL2MHeaderSize
                               ? (terrain->Size() - kL2MHeaderSize) / kL2MCellSize
                               : 0;
        progress.Open("Building Terrain Matrix", 0, Range(cells / 256));
        matrix = LoadMatrixFromL2M(terrain->Bytes(), progress, messages);
    } else {
        const auto o2 = OpenO2File(path, messages);
        if (!o2) return std::nullopt;
        const TerrainLayout layout = SetDimensionsFromFiles(o2->Size(), terrain->Size());
        const auto sections = static_cast<uint64_t>(layout.dimensions.xSections);
        progress.Open("Building Terrain Matrix", 0, Range(sections * sections));
        matrix = BuildMatrixFromL2(terrain->Bytes(), o2->Bytes(), progress, messages);
    }
    progress.Close();
    return matrix;
}

namespace {

struct TerrainOptions {
    PathArgument terrain;
    PathArgument texture;
    PathArgument output;
    bool overwrite = false;
    bool quiet = false;
};

void AddOutputOptions(CLI::App* command, TerrainOptions& options) {
    command->add_option("-o,--output", options.output, "The file to write")->required();
    command->add_flag("--overwrite", options.overwrite, "Replace the output file when it exists");
    command->add_flag("--quiet", options.quiet, "Show no progress");
}

// The frame every terrain command runs in: the output check, then the work
// with the terminal's messages and progress; its result gives the status.
template <typename Work>
void RunTerrainCommand(const TerrainOptions& options, int& exitStatus, Work work) {
    if (!MayWriteOutput(options.output, options.overwrite)) {
        exitStatus = kUsage;
        return;
    }
    StderrMessages messages;
    TerminalProgress progress(options.quiet);
    exitStatus = work(messages, progress) ? kSuccess : kFailed;
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
            *options, exitStatus, [&](StderrMessages& messages, TerminalProgress& progress) {
                const auto matrix = ReadTerrain(options->terrain, progress, messages);
                if (!matrix) return false;
                progress.Open("Saving Terrain Matrix", 0, Range(matrix->cells.size() / 256));
                const bool saved = SaveMatrixAsL2M(options->output, *matrix, progress, messages);
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
            *options, exitStatus, [&](StderrMessages& messages, TerminalProgress& progress) {
                const auto database = LoadTextureBin(options->texture, messages);
                if (!database) return false;
                const auto matrix = ReadTerrain(options->terrain, progress, messages);
                if (!matrix) return false;
                progress.Open("Building " + PathToUtf8(options->output.path().filename()) + " File",
                              0, 4 * std::max(matrix->yMapExtent() - 1, 1));
                const bool written =
                    GenerateTheaterMap(options->output, *matrix, *database, progress, messages);
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
        RunTerrainCommand(*options, exitStatus,
                          [&](StderrMessages& messages, TerminalProgress& progress) {
                              const auto matrix = ReadTerrain(options->terrain, progress, messages);
                              return matrix && GenerateMeaFile(options->output, *matrix, messages);
                          });
    });
});

}  // namespace

}  // namespace lorvane::cli
