#include "support/theater_builder.h"

#include <cstdio>
#include <random>

#include "support/texture_builder.h"
#include "theater/orientation.h"

namespace lorvane::testing {

TileRecord TileFromPost(const std::string& name, const std::vector<PostSegment>& segments,
                        int orientation) {
    std::vector<TilePath> paths;
    for (const PostSegment& segment : segments) {
        const TilePoint start = PostToTile(orientation, {segment.east1, segment.north1});
        const TilePoint end = PostToTile(orientation, {segment.east2, segment.north2});
        paths.push_back({segment.type, segment.width, start.x, start.y, end.x, end.y});
    }
    return MakeTile(name, std::move(paths));
}

TileDatabase PatternDatabase(std::vector<TileRecord> tiles) {
    std::vector<TileSet> sets;
    for (size_t k = 0; k < tiles.size(); ++k) {
        if (k % 16 == 0) sets.push_back({static_cast<uint8_t>(TerrainType::Plains), {}});
        char name[20];
        std::snprintf(name, sizeof name, "H%02X%X.PCX", static_cast<unsigned>(k / 16 & 0xFF),
                      static_cast<unsigned>(k % 16));
        tiles[k].name = MakeTileName(name);
        sets.back().tiles.push_back(std::move(tiles[k]));
    }
    return MakeDatabase(std::move(sets));
}

TerrainMatrix PatternMatrix(int32_t width, int32_t height, int32_t periodX, int32_t periodY) {
    TerrainMatrix matrix = MakeTerrainMatrix(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            TerrainCell& cell = matrix.Cell(x, y);
            cell.tileId = static_cast<uint32_t>(x % periodX + periodX * (y % periodY));
            cell.elevation = static_cast<uint16_t>((x + y) % 4096);
        }
    }
    return matrix;
}

RoadTheater MakeRoadTheater(int32_t width, int32_t height, int32_t periodX, int32_t periodY,
                            int orientation, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_int_distribution<int> kind(0, 2);
    std::uniform_real_distribution<float> place(150.0f, kTileSpanFeet - 150.0f);
    std::uniform_real_distribution<float> middle(1300.0f, 1980.0f);
    constexpr int32_t kTypes[] = {2, 10, 11};
    const auto tileCount = static_cast<size_t>(periodX) * static_cast<size_t>(periodY);
    std::vector<std::vector<PostSegment>> segments(tileCount);
    const auto at = [&](int32_t x, int32_t y) {
        return static_cast<size_t>((x + periodX) % periodX + periodX * ((y + periodY) % periodY));
    };
    // The east edge of every pattern post, then its north edge.
    for (int32_t y = 0; y < periodY; ++y) {
        for (int32_t x = 0; x < periodX; ++x) {
            for (int axis = 0; axis < 2; ++axis) {
                if (coin(random) == 0) continue;
                const int32_t type = kTypes[kind(random)];
                const float along = place(random);
                const float middleEast = middle(random);
                const float middleNorth = middle(random);
                if (axis == 0) {
                    segments[at(x, y)].push_back(
                        {type, 40.0f, kTileSpanFeet, along, middleEast, middleNorth});
                    segments[at(x + 1, y)].push_back(
                        {type, 40.0f, 0.0f, along, middleEast, middleNorth});
                } else {
                    segments[at(x, y)].push_back(
                        {type, 40.0f, along, kTileSpanFeet, middleEast, middleNorth});
                    segments[at(x, y + 1)].push_back(
                        {type, 40.0f, along, 0.0f, middleEast, middleNorth});
                }
            }
        }
    }
    std::vector<TileRecord> tiles;
    for (const auto& tileSegments : segments)
        tiles.push_back(TileFromPost("", tileSegments, orientation));
    return {PatternMatrix(width, height, periodX, periodY), PatternDatabase(std::move(tiles))};
}

}  // namespace lorvane::testing
