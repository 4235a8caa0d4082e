// Makes the sample theater that `make run` opens and the guide walks
// through, with the project's own code only:
//
//   OUT/tiles/Tiles.txt, OUT/tiles/H???.PCX   a tiles folder of 64 tiles
//   OUT/Texture.bin (and OUT/TileInfo.dat)    8 sets with terrain types, 8
//                                             tiles each, with paths and areas
//   OUT/Theater.L2, OUT/Theater.O2            8 × 8 sections of posts whose
//                                             roads and rivers run on across
//                                             posts
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
#include "theater/orientation.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_sets.h"
#include "tiledb/tiles_txt.h"

using namespace lorvane;

namespace {

constexpr int kSets = 8;
constexpr int kTilesPerSet = 8;
constexpr int kTileSize = 256;
constexpr int kSections = 8;  // the theater is 8 × 8 sections of 16 × 16 posts
// How every tile lies on its post: its roads and rivers meet their
// neighbours' under this orientation and no other.
constexpr int kSampleOrientation = 5;

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

// A chain of path segments through the given points, given in post feet
// (east, north) and laid into the tile's frame under the sample orientation.
std::vector<TilePath> Chain(int type, float width,
                            std::initializer_list<std::pair<float, float>> points) {
    std::vector<TilePath> segments;
    const auto tilePoint = [](const std::pair<float, float>& post) {
        return PostToTile(kSampleOrientation, {post.first, post.second});
    };
    const auto* previous = points.begin();
    for (const auto* point = previous + 1; point != points.end(); previous = point++) {
        const TilePoint a = tilePoint(*previous);
        const TilePoint b = tilePoint(*point);
        segments.push_back({type, width, a.x, a.y, b.x, b.y});
    }
    return segments;
}

TileArea Circle(int type, float radius, float east, float north) {
    const TilePoint centre = PostToTile(kSampleOrientation, {east, north});
    return {type, radius, centre.x, centre.y};
}

void Append(std::vector<TilePath>& to, const std::vector<TilePath>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

struct Features {
    std::vector<TilePath> paths;
    std::vector<TileArea> areas;
};

// Where roads and rivers cross the edges of a post, in post feet: roads
// running east-west 1500 feet north, roads running north-south 1400 feet
// east, rivers 2100 feet east. Every tile that carries one meets the same
// places, whatever its set; only the bends inside vary.
constexpr float kRoadNorth = 1500;
constexpr float kRoadEast = 1400;
constexpr float kRiverEast = 2100;

enum Position : int {
    kRoadEastWest = 0,
    kRiverNorthSouth = 1,
    kRoadOverRiver = 2,
    kAreasAndSiding = 3,
    kUndrawnRoad = 4,  // a road painted into the image but not recorded (PaintedOnly)
    kBendWestNorth = 5,
    kRoadNorthSouth = 6,
    kBendSouthEast = 7,
};

Features FeaturesOf(int set, int position) {
    Features features;
    const float bend = static_cast<float>(set * 97 % 400) - 200;
    switch (position) {
        case kRoadEastWest:
            features.paths = Chain(10, 60,
                                   {{0, kRoadNorth},
                                    {1100, kRoadNorth + bend},
                                    {2200, kRoadNorth - bend / 2},
                                    {3280, kRoadNorth}});
            break;
        case kRiverNorthSouth:
            features.paths = Chain(2, 160,
                                   {{kRiverEast, 0},
                                    {kRiverEast + bend, 1100},
                                    {kRiverEast - bend, 2200},
                                    {kRiverEast, 3280}});
            break;
        case kRoadOverRiver:
            features.paths = Chain(2, 140, {{kRiverEast, 0}, {kRiverEast, 3280}});
            Append(features.paths, Chain(10, 60, {{0, kRoadNorth}, {1700, kRoadNorth}}));
            Append(features.paths, Chain(12, 70, {{1700, kRoadNorth}, {2500, kRoadNorth}}));
            Append(features.paths, Chain(10, 60, {{2500, kRoadNorth}, {3280, kRoadNorth}}));
            features.areas = {Circle(9, 260, 800, 2600)};
            break;
        case kAreasAndSiding:
            // A railway siding inside the tile, in the plains and the town.
            if (set == 2 || set == 7)
                features.paths = Chain(11, 40, {{400, 600}, {1800, 900 + bend / 2}, {2900, 700}});
            features.areas = {Circle(set == 7 ? 6 : 9, 360, 2400 - bend, 2300)};
            break;
        case kBendWestNorth:
            features.paths = Chain(10, 60,
                                   {{0, kRoadNorth},
                                    {900, kRoadNorth + 80},
                                    {1300 + bend / 2, 2200},
                                    {kRoadEast, 3280}});
            break;
        case kRoadNorthSouth:
            features.paths =
                Chain(10, 60, {{kRoadEast, 0}, {kRoadEast + bend / 2, 1640}, {kRoadEast, 3280}});
            break;
        case kBendSouthEast:
            features.paths =
                Chain(10, 60,
                      {{kRoadEast, 0}, {1500, 1100 + bend / 2}, {2200, 1450}, {3280, kRoadNorth}});
            break;
        default:
            break;
    }
    return features;
}

// The fifth tile of a set is painted with the road of another position but
// records none: the user draws it. Three of them make up the theater's third
// road (MakeNetwork), each painted as the part it lies on, crossing the edges
// where every road of the sample does; the others are painted straight.
int UndrawnShape(int set) {
    switch (set) {
        case 2:
            return kBendSouthEast;
        case 4:
            return kRoadNorthSouth;
        default:
            return kRoadEastWest;
    }
}

// The set whose fifth tile is painted with the shape of that position.
int SetPaintedWith(int shape) {
    return shape == kBendSouthEast ? 2 : shape == kRoadNorthSouth ? 4 : 3;
}

std::vector<TilePath> PaintedOnly(int set, int position) {
    if (position != kUndrawnRoad) return {};
    return FeaturesOf(set, UndrawnShape(set)).paths;
}

bool WriteTiles(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::string list = "Sample theater tiles: one name a line\n\n";
    for (int s = 0; s < kSets; ++s) {
        const int type = AreaTypeCodes[static_cast<size_t>(s)];
        for (int p = 0; p < kTilesPerSet; ++p) {
            Features features = FeaturesOf(s, p);
            std::vector<TilePath> painted = features.paths;
            Append(painted, PaintedOnly(s, p));
            const sample::IndexedImage image = sample::PaintTile(
                type, features.areas, painted, kTileSize, static_cast<uint32_t>(s * 16 + p + 1));
            testing::PcxPicture picture;
            picture.width = image.width;
            picture.height = image.height;
            picture.indices = image.pixels;
            for (size_t i = 0; i < 256; ++i) picture.palette[i] = sample::SamplePalette()[i];
            const auto name = TileName(s, p);
            if (ReplaceFile(folder / name, testing::WritePcx(picture)) != WriteStatus::Ok)
                return false;
            list += name + "\n";
        }
    }
    const std::string_view text(list);
    return ReplaceFile(folder / "Tiles.txt", std::as_bytes(std::span(text.data(), text.size()))) ==
           WriteStatus::Ok;
}

bool WriteDatabase(const std::filesystem::path& out, MessageSink& messages) {
    auto database = BuildTextureBinFromFolder(out / "tiles", messages);
    if (!database) return false;
    for (int s = 0; s < database->setCount(); ++s) {
        ChangeSetTerrainType(*database, s,
                             static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(s)]));
        for (int p = 0; p < database->sets[static_cast<size_t>(s)].tileCount(); ++p) {
            TileRecord& tile = *database->RecordAt(s, p);
            Features features = FeaturesOf(s, p);
            tile.paths = std::move(features.paths);
            tile.areas = std::move(features.areas);
        }
    }
    return SaveTextureBin(out / "Texture.bin", *database, out, messages);
}

// The roads and rivers of the theater: which tile position each post takes.
class Network {
  public:
    explicit Network(int extent)
        : extent_(extent), positions_(static_cast<size_t>(extent * extent), -1) {}

    void River(int x) {
        for (int y = 0; y < extent_; ++y) Set(x, y, kRiverNorthSouth);
    }
    // East from x0 to x1 on row y; over a river the road takes a bridge.
    void East(int y, int x0, int x1) {
        for (int x = x0; x <= x1; ++x)
            Set(x, y, At(x, y) == kRiverNorthSouth ? kRoadOverRiver : kRoadEastWest);
    }
    void North(int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y) Set(x, y, kRoadNorthSouth);
    }
    void Set(int x, int y, int position) {
        positions_[static_cast<size_t>(y * extent_ + x)] = position;
    }
    int At(int x, int y) const { return positions_[static_cast<size_t>(y * extent_ + x)]; }
    // Every post of the network from x0, y0 to x1, y1 takes the fifth tile
    // painted with the shape it had, which is then its set's.
    void Undrawn(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                sets_[static_cast<size_t>(y * extent_ + x)] = SetPaintedWith(At(x, y));
                Set(x, y, kUndrawnRoad);
            }
    }
    // The set a post must take; -1 when its height decides.
    int SetAt(int x, int y) const { return sets_[static_cast<size_t>(y * extent_ + x)]; }

  private:
    int extent_;
    std::vector<int> positions_;
    std::vector<int> sets_ = std::vector<int>(positions_.size(), -1);
};

// Two rivers flowing north, and three roads that run east and north in
// steps, bridging the rivers where they cross them. The third road, which
// meets no other, is painted but not drawn (the fifth tiles of sets 4, 2
// and 3): once those are drawn along their painted roads it runs on from
// post to post like the others.
Network MakeNetwork(int extent) {
    Network network(extent);
    network.River(40);
    network.River(97);
    network.East(30, 0, 59);
    network.Set(60, 30, kBendWestNorth);
    network.North(60, 31, 49);
    network.Set(60, 50, kBendSouthEast);
    network.East(50, 61, extent - 1);
    network.East(90, 0, 19);
    network.Set(20, 90, kBendWestNorth);
    network.North(20, 91, 104);
    network.Set(20, 105, kBendSouthEast);
    network.East(105, 21, extent - 1);
    network.North(110, 0, 9);
    network.Set(110, 10, kBendSouthEast);
    network.East(10, 111, extent - 1);
    network.Undrawn(110, 0, 110, 10);
    network.Undrawn(111, 10, extent - 1, 10);
    return network;
}

// Hills rising to the north-east, a valley with a lake in the south-west, a
// town on flat ground near the middle.
TerrainMatrix MakeTheater() {
    TerrainMatrix matrix = testing::MakePatternMatrix(kSections);
    const int extent = matrix.xMapExtent();
    const Network network = MakeNetwork(extent);
    const auto heightAt = [&](double fx, double fy) {
        return 2600 * (fx + fy) + 900 * std::sin(fx * 9.0) * std::cos(fy * 7.0);
    };
    const double townHeight = heightAt(0.45, 0.55);
    for (int y = 0; y < extent; ++y) {
        for (int x = 0; x < extent; ++x) {
            const double fx = static_cast<double>(x) / extent;
            const double fy = static_cast<double>(y) / extent;
            const bool town = std::hypot(fx - 0.45, fy - 0.55) < 0.08;
            const int elevation =
                std::max(0, static_cast<int>(town ? townHeight : heightAt(fx, fy)) - 400);
            // The set follows the height: water low, then swamp, plains, brush,
            // forests, rocky high; the town is urban.
            int set = std::min(kSets - 2, elevation / 800);
            if (elevation == 0) set = 0;
            if (town) set = 7;
            if (network.SetAt(x, y) >= 0) set = network.SetAt(x, y);
            int position = network.At(x, y);
            if (position < 0) position = kAreasAndSiding;
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
        std::cerr << "lorvane-sample: could not write the tiles into " << (out / "tiles").string()
                  << '\n';
        return 1;
    }
    if (!WriteDatabase(out, messages)) return 1;
    const auto l2 = testing::WriteL2Files(out, "Theater", testing::MakeL2Files(MakeTheater(), 7));
    if (!std::filesystem::exists(l2) || !WriteTheaterHeader(out / "Theater.map", messages) ||
        !WriteIni(out / "Quistral.ini")) {
        std::cerr << "lorvane-sample: could not write the theater files into " << out.string()
                  << '\n';
        return 1;
    }
    return messages.failed ? 1 : 0;
}
