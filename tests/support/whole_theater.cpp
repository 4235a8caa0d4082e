#include "support/whole_theater.h"

#include <fstream>

#include "base/byte_writer.h"
#include "support/pcx_writer.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"

namespace lorvane::testing {

std::vector<RoadSegment> RoadOfClicks(const ViewTransform& view,
                                      const std::vector<ScreenPoint>& clicks) {
    std::vector<RoadSegment> road;
    for (size_t i = 1; i < clicks.size(); ++i) {
        const FeetPointF start = view.ToFeet(clicks[i - 1]);
        const FeetPointF end = view.ToFeet(clicks[i]);
        road.push_back(
            {StoredFeet(start.x), StoredFeet(start.y), StoredFeet(end.x), StoredFeet(end.y)});
    }
    return road;
}

std::vector<MapEdit> TheaterMapEdits() {
    return {{31272, "1", "flags=1"},
            {31273, "9000", "maxTheaterElevation=9000"},
            {31257, "128", "levelWidth0=128"},
            {31231, "12.5", "swLongitude=12.5"}};
}

namespace {

std::vector<std::byte> OlderTheaterMap() {
    TheaterMapHeader header;
    header.feetBetweenL0Tiles = 819.9f;
    header.meaMapWidth = 8;
    header.meaMapHeight = 8;
    header.feetBetweenMeaPoints = 0.0003f;
    header.levelCount = 6;
    header.lastNearTiledLod = 2;
    header.lastFarTiledLod = 4;
    for (size_t i = 0; i < kMapPaletteSize; ++i)
        header.mapPalette[i] = static_cast<std::byte>(i * 7);
    for (int i = 0; i < kLevelPairs; ++i) {
        header.levelWidth[static_cast<size_t>(i)] = 256 >> i;
        header.levelHeight[static_cast<size_t>(i)] = 256 >> i;
    }
    std::vector<std::byte> bytes = SerializeTheaterMap(header);
    bytes.resize(1052 + 8 * kLevelPairs);  // no optional fields
    return bytes;
}

// The export file of the road on H010 (set 1, tile 0).
std::vector<std::byte> RoadExport(const std::vector<RoadSegment>& road) {
    ByteWriter out;
    out.I32(1);
    out.I32(1);  // set
    out.I32(0);  // tile
    out.I32(static_cast<int32_t>(road.size()));
    out.I32(0);  // areas
    for (const RoadSegment& segment : road) {
        out.I32(10);  // Road
        out.F32(static_cast<float>(kRoadWidth));
        out.F32(segment.startX);
        out.F32(segment.startY);
        out.F32(segment.endX);
        out.F32(segment.endY);
    }
    return out.Take();
}

}  // namespace

TheaterInputs MakeTheaterInputs(const std::filesystem::path& folder) {
    TheaterInputs inputs;
    inputs.tiles = folder / "tiles";
    std::filesystem::create_directories(inputs.tiles);
    std::ofstream list(inputs.tiles / "Tiles.txt");
    list << "New tiles\n\n";
    unsigned seed = 1;
    for (const std::string& name : kTheaterTiles) {
        list << name << "\n";
        WriteFileBytes(inputs.tiles / name, WritePcx(MakePatternPicture(16, 16, seed++)));
    }
    list.close();
    // Tile ids 0 .. 17: the four tiles and ids that no tile has.
    inputs.l2 = WriteL2Files(folder, "THEATER", MakeL2Files(MakePatternMatrix(4, 18), 7));
    inputs.theaterMap = folder / "Theater.map";
    WriteFileBytes(inputs.theaterMap, OlderTheaterMap());
    return inputs;
}

std::string MakeTheaterWithCli(const std::string& cli, const TheaterInputs& inputs,
                               const std::filesystem::path& out,
                               const std::vector<RoadSegment>& road) {
    std::filesystem::create_directories(out);
    const std::string texture = (out / "Texture.bin").string();
    const std::string l2 = inputs.l2.string();
    const auto roadFile = out / "road.exp";
    WriteFileBytes(roadFile, RoadExport(road));
    std::filesystem::copy_file(inputs.theaterMap, out / "Theater.map");
    std::vector<std::string> mapSet = {"theater-map", "set", (out / "Theater.map").string()};
    for (const MapEdit& edit : TheaterMapEdits()) mapSet.push_back(edit.assignment);

    const std::vector<std::vector<std::string>> steps = {
        {"build-texture", inputs.tiles.string(), "-o", texture},
        {"set-type", texture, "--set", "0", "--type", "Thick Forest", "--in-place"},
        {"set-type", texture, "--set", "1", "--type", "Urban", "--in-place"},
        {"import", texture, roadFile.string(), "--in-place"},
        {"l2m", l2, "-o", (out / "THEATER.L2M").string(), "--quiet"},
        {"thr", "--texture", texture, "--terrain", l2, "-o", (out / "out.thr").string(), "--quiet"},
        {"mea", "--terrain", l2, "-o", (out / "out.mea").string(), "--quiet"},
        mapSet,
    };
    for (const auto& step : steps) {
        const CommandResult result = RunCommand(cli, step, out);
        if (result.exitStatus != 0) return step[0] + ": " + result.out + result.err;
    }
    std::filesystem::remove(roadFile);
    return {};
}

}  // namespace lorvane::testing
