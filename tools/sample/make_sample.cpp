// Makes the sample theater that `make run` opens and the guide walks
// through, with the project's own code only:
//
//   OUT/tiles/Tiles.txt, OUT/tiles/H???.PCX   a tiles folder of 40 tiles
//   OUT/Texture.bin (and OUT/TileInfo.dat)    8 sets with terrain types, some
//                                             tiles with paths and areas
//   OUT/Theater.L2, OUT/Theater.O2            8 × 8 sections of posts
//   OUT/Theater.map                           the theater header
//   OUT/Quistral.ini                          the theater list
//
// usage: lorvane-sample OUTPUT_FOLDER

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "base/file_io.h"
#include "base/message.h"
#include "sample/tile_art.h"
#include "support/pcx_writer.h"
#include "support/terrain_builder.h"
#include "terrain/theater_header.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_sets.h"
#include "tiledb/tiles_txt.h"

using namespace lorvane;

namespace {

constexpr int kSets = 8;
constexpr int kTilesPerSet = 5;
constexpr int kTileSize = 256;
constexpr int kSections = 8;  // the theater is 8 × 8 sections of 16 × 16 posts

class PrintMessages : public MessageSink {
public:
    void Show(const Message& message) override {
        std::cerr << message.caption << ": " << message.text << '\n';
        failed = failed || message.icon == MessageIcon::Error;
    }
    bool failed = false;
};

std::string TileName(int set, int position) {
    char name[20];
    std::snprintf(name, sizeof name, "H%02X%X.PCX", set, position);
    return name;
}

// A chain of path segments through the given points (X up, Y right, feet).
std::vector<TilePath> Chain(int type, float width, std::initializer_list<std::pair<float, float>> points) {
    std::vector<TilePath> segments;
    const auto* previous = points.begin();
    for (const auto* point = previous + 1; point != points.end(); previous = point++) {
        segments.push_back({type, width, previous->first, previous->second, point->first, point->second});
    }
    return segments;
}

void Append(std::vector<TilePath>& to, const std::vector<TilePath>& more) { to.insert(to.end(), more.begin(), more.end()); }

struct Features {
    std::vector<TilePath> paths;
    std::vector<TileArea> areas;
};

// What each position of a set shows. The last position's road is painted
// into the image but not recorded, for a first drawing of one's own.
Features FeaturesOf(int set, int position) {
    Features features;
    const float shift = static_cast<float>(set * 97 % 400);
    switch (position) {
        case 0:
            features.paths = Chain(10, 60, {{0, 400 + shift}, {1640, 1250}, {3280, 1500 + shift}});
            break;
        case 1:
            features.paths = Chain(2, 160, {{3280, 300}, {2300, 900 + shift}, {1200, 1500}, {0, 2400 - shift}});
            break;
        case 2:
            features.paths = Chain(2, 140, {{3280, 2600}, {0, 2000 + shift}});
            Append(features.paths, Chain(10, 60, {{1500, 0}, {1700, 1900}}));
            Append(features.paths, Chain(12, 70, {{1700, 1900}, {1760, 2500}}));
            Append(features.paths, Chain(10, 60, {{1760, 2500}, {1900, 3280}}));
            Append(features.paths, Chain(11, 40, {{600, 0}, {800, 3280}}));
            features.areas = {{1, 300, 2700, 700}, {9, 260, 1100, 800}};
            break;
        case 3:
            features.areas = {{1, 420, 2300, 900}, {set == 7 ? 6 : 9, 360, 900, 2400 - shift}};
            break;
        default:
            break;
    }
    return features;
}

std::vector<TilePath> PaintedOnly(int position) {
    return position == kTilesPerSet - 1 ? Chain(10, 60, {{0, 1000}, {2000, 1400}, {3280, 2600}}) : std::vector<TilePath>{};
}

bool WriteTiles(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::string list = "Sample theater tiles: one name a line\n\n";
    for (int s = 0; s < kSets; ++s) {
        const int type = AreaTypeCodes[static_cast<size_t>(s)];
        for (int p = 0; p < kTilesPerSet; ++p) {
            Features features = FeaturesOf(s, p);
            std::vector<TilePath> painted = features.paths;
            Append(painted, PaintedOnly(p));
            const sample::IndexedImage image =
                sample::PaintTile(type, features.areas, painted, kTileSize, static_cast<uint32_t>(s * 16 + p + 1));
            testing::PcxPicture picture;
            picture.width = image.width;
            picture.height = image.height;
            picture.indices = image.pixels;
            for (size_t i = 0; i < 256; ++i) picture.palette[i] = sample::SamplePalette()[i];
            const auto name = TileName(s, p);
            if (ReplaceFile(folder / name, testing::WritePcx(picture)) != WriteStatus::Ok) return false;
            list += name + "\n";
        }
    }
    const std::string_view text(list);
    return ReplaceFile(folder / "Tiles.txt", std::as_bytes(std::span(text.data(), text.size()))) == WriteStatus::Ok;
}

bool WriteDatabase(const std::filesystem::path& out, MessageSink& messages) {
    auto database = BuildTextureBinFromFolder(out / "tiles", messages);
    if (!database) return false;
    for (int s = 0; s < database->setCount(); ++s) {
        ChangeSetTerrainType(*database, s, static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(s)]));
        for (int p = 0; p < database->sets[static_cast<size_t>(s)].tileCount(); ++p) {
            TileRecord& tile = database->sets[static_cast<size_t>(s)].tiles[static_cast<size_t>(p)];
            Features features = FeaturesOf(s, p);
            tile.paths = std::move(features.paths);
            tile.areas = std::move(features.areas);
        }
    }
    return SaveTextureBin(out / "Texture.bin", *database, out, messages);
}

// Hills rising to the north-east, a valley with a lake in the south-west.
TerrainMatrix MakeTheater() {
    TerrainMatrix matrix = testing::MakePatternMatrix(kSections);
    const int extent = matrix.xMapExtent();
    for (int y = 0; y < extent; ++y) {
        for (int x = 0; x < extent; ++x) {
            const double fx = static_cast<double>(x) / extent;
            const double fy = static_cast<double>(y) / extent;
            const double height = 2600 * (fx + fy) + 900 * std::sin(fx * 9.0) * std::cos(fy * 7.0);
            const int elevation = std::max(0, static_cast<int>(height) - 400);
            // The set follows the height: water low, then swamp, plains, brush,
            // forests, rocky high; a town near the middle.
            int set = std::min(kSets - 2, elevation / 800);
            if (elevation == 0) set = 0;
            const double town = std::hypot(fx - 0.45, fy - 0.55);
            if (town < 0.08) set = 7;
            const int position = (x * 7 + y * 3) % kTilesPerSet;
            TerrainCell& cell = matrix.Cell(x, y);
            cell.tileId = static_cast<uint32_t>(set * 16 + position);
            cell.elevation = static_cast<uint16_t>(elevation);
            cell.aux0 = 0;
            cell.aux1 = 0;
            cell.aux2 = static_cast<uint8_t>((x + y) % 64);
        }
    }
    return matrix;
}

bool WriteTheaterHeader(const std::filesystem::path& path, MessageSink& messages) {
    TheaterMapHeader header;
    header.feetBetweenL0Tiles = 3280.0f;
    header.meaMapWidth = kSections * 2;
    header.meaMapHeight = kSections * 2;
    header.feetBetweenMeaPoints = 26240.0f;
    header.levelCount = 4;
    header.lastNearTiledLod = 2;
    header.lastFarTiledLod = 3;
    for (int i = 0; i < kLevelPairs; ++i) {
        header.levelWidth[static_cast<size_t>(i)] = std::max(1, kSections >> i);
        header.levelHeight[static_cast<size_t>(i)] = std::max(1, kSections >> i);
    }
    header.flags = 0;
    header.swLongitude = 14.5f;
    header.swLatitude = 44.25f;
    header.maxTheaterElevation = 8000;
    (void)messages;
    return ReplaceFile(path, SerializeTheaterMap(header)) == WriteStatus::Ok;
}

bool WriteIni(const std::filesystem::path& path) {
    const std::string ini =
        "[Location]\n"
        "Theaters=2\n"
        "1=Sample\n"
        "2=Balkans\n"
        "\n"
        "[Sample]\n"
        "SW Long=14.5\n"
        "SW Lat=44.25\n"
        "NE Long=15.5\n"
        "NE Lat=45.0\n"
        "X Map Extent=128\n"
        "Y Map Extent=128\n"
        "X Sections=8\n"
        "Y Sections=8\n"
        "X Tiles=16\n"
        "Y Tiles=16\n"
        "\n"
        "[Balkans]\n"
        "SW Long=11.0\n"
        "SW Lat=36.625\n"
        "NE Long=21.0\n"
        "NE Lat=46.625\n"
        "X Map Extent=1024\n"
        "Y Map Extent=1024\n"
        "X Sections=64\n"
        "Y Sections=64\n"
        "X Tiles=16\n"
        "Y Tiles=16\n";
    return ReplaceFile(path, std::as_bytes(std::span(ini.data(), ini.size()))) == WriteStatus::Ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lorvane-sample OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::error_code error;
    std::filesystem::create_directories(out, error);
    PrintMessages messages;
    if (!WriteTiles(out / "tiles")) {
        std::cerr << "lorvane-sample: could not write the tiles into " << (out / "tiles").string() << '\n';
        return 1;
    }
    if (!WriteDatabase(out, messages)) return 1;
    const auto l2 = testing::WriteL2Files(out, "Theater", testing::MakeL2Files(MakeTheater(), 7));
    if (!std::filesystem::exists(l2) || !WriteTheaterHeader(out / "Theater.map", messages) ||
        !WriteIni(out / "Quistral.ini")) {
        std::cerr << "lorvane-sample: could not write the theater files into " << out.string() << '\n';
        return 1;
    }
    return messages.failed ? 1 : 0;
}
