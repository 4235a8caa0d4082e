// lorvane-cli render TILE.pcx [--texture TEXTURE.bin] [--size N] -o OUT.png
//
// Draws a tile image stretched to N × N, and, when the database holds the
// tile, its paths as lines and its areas as circles with their pens, mapped
// as the editor's viewer maps them. The drawing and the PNG encoding are
// done by the image writer module (QImage and QPainter), loaded when an
// image is drawn, so that the other commands start without Qt.

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/format.h"
#include "cli/cli.h"
#include "cli/png_output.h"
#include "cli/render_overlay.h"
#include "editor/working_set.h"
#include "image/pcx.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

struct RenderOptions {
    PathArgument tile;
    PathArgument texture;
    int size = 0;  // 0: the image's own size
    PathArgument output;
    bool overwrite = false;
};

// The tile's working set, found by its image file name as the editor finds
// it; nullopt (after its message) when the database does not hold it.
std::optional<EditorWorkingSet> TakeInTile(TileDatabase& database, const std::string& tileName,
                                           MessageSink& messages) {
    const TileIndexEntry* entry = FindIndexEntryByName(database, tileName);
    if (entry == nullptr) {
        messages.Error(FormatText("PCX file %s not in Texture.bin file.", tileName.c_str()),
                       "Tile Info Not Found");
        return std::nullopt;
    }
    const int32_t set = entry->setIndex;
    const int32_t tile = entry->tileIndex;
    if (database.Tile(*entry) == nullptr) {
        messages.Error(FormatText("Tile: %s  Set# = %d  Tile# = %d", tileName.c_str(), set, tile),
                       "Tile Index Error");
        return std::nullopt;
    }
    EditorWorkingSet working;
    EditorChoices choices;
    TakeInPaths(working, choices, database, set, tile);
    TakeInAreas(working, choices, database, set, tile);
    return working;
}

// The decoded tile image; nullopt after saying why it cannot be shown.
std::optional<PcxImage> ReadTileImage(const PathArgument& tile) {
    const std::string& path = tile.text();
    std::string detail;
    std::optional<InputFile> file = InputFile::Open(tile.path(), &detail);
    if (!file) {
        std::cerr << "lorvane-cli: cannot read " << detail << '\n';
        return std::nullopt;
    }
    PcxRefusal refusal = PcxRefusal::None;
    std::optional<PcxImage> image = ReadPcx(*file, &refusal);
    const std::optional<PcxHeader> header =
        refusal == PcxRefusal::Damaged ? ReadPcxHeader(*file) : std::nullopt;
    if (refusal == PcxRefusal::Unreadable || (refusal == PcxRefusal::Damaged && !header)) {
        std::cerr << "lorvane-cli: cannot read " << file->Detail() << '\n';
    } else if (refusal == PcxRefusal::Damaged) {
        std::cerr << "lorvane-cli: " << path << ": damaged PCX (its header claims "
                  << header->Width() << " x " << header->Height() << " pixels, more than its "
                  << file->Size() - kPcxHeaderSize << " bytes of data can hold)\n";
    } else if (!image) {
        std::cerr << "lorvane-cli: " << path
                  << " is not a PCX image that can be shown (width, height and bytes per line 1 to "
                  << kPcxMaxDimension << ", 1 to " << kPcxMaxPlanes << " planes)\n";
    }
    return image;
}

int Render(const RenderOptions& options) {
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) return kUsage;
    const std::optional<PcxImage> image = ReadTileImage(options.tile);
    if (!image) return kFailed;
    const int width = options.size > 0 ? options.size : image->Width();
    const int height = options.size > 0 ? options.size : image->Height();
    const std::vector<uint32_t> rgb = StretchPcx(*image, width, height);
    if (rgb.empty()) {
        ShowPictureAllocationError();
        return kFailed;
    }
    Overlay overlay;
    if (!options.texture.empty()) {
        StderrMessages messages;
        std::optional<TileDatabase> database = LoadTextureBin(options.texture, messages);
        if (!database) return kFailed;
        const std::string tileName = PathToUtf8(options.tile.path().filename());
        const auto working = TakeInTile(*database, tileName, messages);
        if (!working) return kFailed;
        overlay = OverlayOf(*working, PictureScale(width, height));
    }
    if (!WritePng(rgb.data(), width, height, overlay, *output)) return kFailed;
    return kSuccess;
}

const CommandRegistration render("render", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command =
        app.add_subcommand("render", "Draw a tile image with its paths and areas into a PNG");
    command->add_option("TILE", options->tile, "The tile's PCX image")->required();
    command->add_option("--texture", options->texture,
                        "A Texture.bin whose paths and areas of the tile are drawn over it");
    command->add_option("--size", options->size, "Stretch the image to N x N pixels")
        ->check(CLI::Range(1, kPcxMaxDimension));
    command->add_option("-o,--output", options->output, "The PNG to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] { exitStatus = Render(*options); });
});

}  // namespace

}  // namespace lorvane::cli
