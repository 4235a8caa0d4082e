// lorvane-cli render TILE.pcx [--texture TEXTURE.bin] [--size N] -o OUT.png
//
// Draws a tile image stretched to N × N, and, when the database holds the
// tile, its paths as lines and its areas as circles with their pens, mapped
// as the editor's viewer maps them. The only file of the tool that uses Qt:
// QImage and QPainter draw and encode the PNG.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/format.h"
#include "cli/cli.h"
#include "cli/png_output.h"
#include "editor/overlay.h"
#include "editor/pcx.h"
#include "editor/viewer_geometry.h"
#include "editor/working_set.h"
#include "tiledb/texture_bin.h"

namespace lorvane::cli {

namespace {

struct RenderOptions {
    std::string tile;
    std::string texture;
    int size = 0;  // 0: the image's own size
    std::string output;
    bool overwrite = false;
};

QImage StretchedImage(const PcxImage& image, int width, int height) {
    const std::vector<uint32_t> rgb = StretchPcx(image, width, height);
    QImage out(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        std::memcpy(out.scanLine(y),
                    rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                    static_cast<size_t>(width) * sizeof(uint32_t));
    }
    return out;
}

QPen ToQPen(const Pen& pen) {
    QPen qpen(QColor(pen.colour.red, pen.colour.green, pen.colour.blue), pen.width);
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    return qpen;
}

void DrawOverlay(QImage& image, const Overlay& overlay) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const SegmentShape& segment : overlay.segments) {
        painter.setPen(ToQPen(segment.pen));
        painter.drawLine(segment.x1, segment.y1, segment.x2, segment.y2);
    }
    for (const CircleShape& circle : overlay.circles) {
        painter.setPen(ToQPen(circle.pen));
        painter.drawEllipse(QPoint(circle.centerX, circle.centerY), circle.radius, circle.radius);
    }
}

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

}  // namespace

bool WritePng(const QImage& image, const std::filesystem::path& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return false;
    const auto* data = reinterpret_cast<const std::byte*>(bytes.constData());
    return ReplaceFile(path, {data, static_cast<size_t>(bytes.size())}) == WriteStatus::Ok;
}

namespace {

int Render(const RenderOptions& options) {
    if (!MayWriteOutput(options.output, options.overwrite)) return kUsage;
    std::optional<FileBytes> file = FileBytes::Open(options.tile);
    if (!file) {
        std::cerr << "lorvane-cli: cannot read " << options.tile << '\n';
        return kFailed;
    }
    const std::optional<PcxImage> image = DecodePcx(file->Bytes());
    if (!image) {
        std::cerr << "lorvane-cli: " << options.tile
                  << " is not a PCX image that can be shown (width, height and bytes per line 1 to "
                  << kPcxMaxDimension << ", 1 to " << kPcxMaxPlanes << " planes)\n";
        return kFailed;
    }
    const int width = options.size > 0 ? options.size : image->Width();
    const int height = options.size > 0 ? options.size : image->Height();
    QImage picture = StretchedImage(*image, width, height);

    if (!options.texture.empty()) {
        StderrMessages messages;
        std::optional<TileDatabase> database = LoadTextureBin(options.texture, messages);
        if (!database) return kFailed;
        const std::string tileName = std::filesystem::path(options.tile).filename().string();
        if (const auto working = TakeInTile(*database, tileName, messages)) {
            const ViewerGeometry geometry = ViewerSetup(PlacementForImage(width, height));
            DrawOverlay(picture, OverlayOf(*working, geometry));
        }
    }
    if (!WritePng(picture, options.output)) {
        std::cerr << "lorvane-cli: cannot write " << options.output << '\n';
        return kFailed;
    }
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
    command->add_option("-o,--output", options->output, "The PNG to write")->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] { exitStatus = Render(*options); });
});

}  // namespace

}  // namespace lorvane::cli
