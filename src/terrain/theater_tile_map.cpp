#include "terrain/theater_tile_map.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/file_io.h"

namespace lorvane {

namespace {

// Ids below this bound are looked up in a table indexed by id; loaded
// databases number their tiles set × 16 + position, so all of theirs are.
constexpr uint32_t kDenseIdBound = 1u << 16;

constexpr uint8_t kRoadBit = 0x40;
constexpr uint8_t kRailwayBit = 0x80;

constexpr const char* kNotLoaded =
    "The L2 Terrain matrix (or file) and/or Texture.bin have not been loaded.";

const std::array<uint8_t, 256> kBandBits = [] {
    std::array<uint8_t, 256> bits{};
    for (int aux2 = 0; aux2 <= 63; ++aux2)
        bits[static_cast<size_t>(aux2)] = static_cast<uint8_t>((63 - aux2) / 21 << 4);
    return bits;
}();

// Rows composed before their bytes are stored into the columns of the map:
// one cache line of each column.
constexpr size_t kThrBandRows = 64;

// The byte of one post: its tile's class and path bits and its aux2 band.
uint8_t PostByte(const TileBitsLookup& lookup, uint32_t tileId, uint8_t aux2) {
    return static_cast<uint8_t>(lookup.Find(tileId).value_or(0) | kBandBits[aux2]);
}

}  // namespace

int TerrainClass(int terrainType) {
    switch (static_cast<TerrainType>(terrainType)) {
        case TerrainType::Swamp:
            return 1;
        case TerrainType::Rocky:
            return 2;
        case TerrainType::Plains:
            return 3;
        case TerrainType::Brush:
            return 4;
        case TerrainType::ThinForest:
            return 5;
        case TerrainType::ThickForest:
            return 6;
        case TerrainType::Urban:
        case TerrainType::Runway:
        case TerrainType::Station:
            return 7;
        default:
            return 0;
    }
}

uint8_t Aux2BandBits(uint8_t aux2) { return kBandBits[aux2]; }

uint8_t TileBits(const TileDatabase& database, const TileIndexEntry& entry) {
    int terrainClass = TerrainClass(entry.terrainType);
    uint8_t pathBits = 0;
    if (const TileRecord* tile = database.Tile(entry)) {
        for (const TilePath& path : tile->paths) {
            if (path.type == static_cast<int>(TerrainType::Road)) pathBits |= kRoadBit;
            if (path.type == static_cast<int>(TerrainType::Railway)) pathBits |= kRailwayBit;
            if (path.type == static_cast<int>(TerrainType::River)) terrainClass = 0;
        }
        for (const TileArea& area : tile->areas) {
            if (area.type == static_cast<int>(TerrainType::Water)) terrainClass = 0;
        }
    }
    return static_cast<uint8_t>(pathBits | terrainClass);
}

TileBitsLookup::TileBitsLookup(const TileDatabase& database) {
    uint32_t denseSize = 0;
    for (const TileIndexEntry& entry : database.index) {
        const auto id = static_cast<uint32_t>(entry.id);
        if (id < kDenseIdBound) denseSize = std::max(denseSize, id + 1);
    }
    dense_.assign(denseSize, kNone);
    for (const TileIndexEntry& entry : database.index) {
        const auto id = static_cast<uint32_t>(entry.id);
        if (id < kDenseIdBound) {
            if (dense_[id] == kNone) dense_[id] = TileBits(database, entry);
        } else {
            sparse_.emplace_back(id, TileBits(database, entry));
        }
    }
    // Sorted by id; of equal ids the first entry in index order stays.
    std::stable_sort(sparse_.begin(), sparse_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    sparse_.erase(std::unique(sparse_.begin(), sparse_.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  sparse_.end());
}

std::optional<uint8_t> TileBitsLookup::FindSparse(uint32_t tileId) const {
    const auto found =
        std::lower_bound(sparse_.begin(), sparse_.end(), tileId,
                         [](const auto& entry, uint32_t id) { return entry.first < id; });
    if (found == sparse_.end() || found->first != tileId) return std::nullopt;
    return found->second;
}

std::optional<std::vector<std::byte>> ComposeTheaterMap(const TerrainMatrix& matrix,
                                                        const TileDatabase& database,
                                                        Progress& progress, MessageSink& messages) {
    if (!matrix.IsComplete()) {
        messages.Exclamation(kNotLoaded, "Information");
        return std::nullopt;
    }
    return ComposeTheaterMap(TerrainRows::OfMatrix(matrix), database, progress);
}

std::optional<std::vector<std::byte>> ComposeTheaterMap(const TerrainRows& rows,
                                                        const TileDatabase& database,
                                                        Progress& progress) {
    const size_t columns = rows.Columns();
    const size_t rowCount = rows.Rows();
    const TileBitsLookup lookup(database);
    std::vector<std::byte> bytes(4 + columns * rowCount);
    bytes[0] = static_cast<std::byte>(rowCount);
    bytes[1] = static_cast<std::byte>(rowCount >> 8);
    bytes[2] = static_cast<std::byte>(columns);
    bytes[3] = static_cast<std::byte>(columns >> 8);
    std::byte* grid = bytes.data() + 4;
    // The file is in column order. Rows are composed into a band held column
    // by column, and each column's run of the band is then stored whole, so
    // the store costs the same per post whatever the size of the map.
    std::vector<std::byte> band(columns * kThrBandRows);
    std::vector<uint32_t> tileIds(columns);
    std::vector<uint8_t> aux2(columns);
    for (size_t top = 0; top < rowCount; top += kThrBandRows) {
        const size_t height = std::min(kThrBandRows, rowCount - top);
        for (size_t dy = 0; dy < height; ++dy) {
            const size_t y = top + dy;
            rows.TilesAndBandsOfRow(y, tileIds.data(), aux2.data());
            std::byte* out = band.data() + dy;
            for (size_t x = 0; x < columns; ++x, out += kThrBandRows)
                *out = static_cast<std::byte>(PostByte(lookup, tileIds[x], aux2[x]));
            if (progress.AbortRequested()) return std::nullopt;
            progress.Report(static_cast<int>(4 * y), static_cast<int>(4 * y));
        }
        for (size_t x = 0; x < columns; ++x)
            std::memcpy(grid + x * rowCount + top, band.data() + x * kThrBandRows, height);
    }
    if (rows.ReadFailed()) return std::nullopt;
    return bytes;
}

namespace {

bool WriteTheaterMap(const OutputTarget& path, const std::optional<std::vector<std::byte>>& bytes,
                     MessageSink& messages) {
    if (!bytes) return false;
    std::string detail;
    switch (ReplaceFile(path, *bytes, &detail)) {
        case WriteStatus::Ok:
            return true;
        case WriteStatus::OpenFailed:
            messages.Error("Error opening the .thr file.", "File Open Error", detail);
            break;
        case WriteStatus::WriteFailed:
            messages.Error("Could not write the .thr file.", "Write Error", detail);
            break;
    }
    return false;
}

}  // namespace

bool GenerateTheaterMap(const OutputTarget& path, const TerrainMatrix& matrix,
                        const TileDatabase& database, Progress& progress, MessageSink& messages) {
    return WriteTheaterMap(path, ComposeTheaterMap(matrix, database, progress, messages), messages);
}

bool GenerateTheaterMap(const OutputTarget& path, const TerrainRows& rows,
                        const TileDatabase& database, Progress& progress, MessageSink& messages) {
    const auto bytes = ComposeTheaterMap(rows, database, progress);
    return rows.ReportReadFailure(messages) && WriteTheaterMap(path, bytes, messages);
}

}  // namespace lorvane
