#include "cli/terrain_input.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "base/path_text.h"
#include "terrain/terrain_files.h"

namespace lorvane::cli {

int Range(uint64_t count) { return static_cast<int>(std::min<uint64_t>(count, 1u << 30)); }

bool IsL2MPath(const std::filesystem::path& path) {
    std::string extension = PathToUtf8(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".l2m";
}

std::optional<TerrainMatrix> ReadTerrain(const std::filesystem::path& path, Progress& progress,
                                         MessageSink& messages) {
    auto terrain = OpenL2File(path, messages);
    if (!terrain) return std::nullopt;
    const uint64_t terrainSize = terrain->Size();
    auto file = std::make_unique<InputFile>(std::move(*terrain));
    std::optional<TerrainMatrix> matrix;
    if (IsL2MPath(path)) {
        const auto cells =
            terrainSize > kL2MHeaderSize ? (terrainSize - kL2MHeaderSize) / kL2MCellSize : 0;
        progress.Open("Building Terrain Matrix", 0, Range(cells / 256));
        if (const auto rows = TerrainRows::OfL2M(std::move(file), messages))
            matrix = LoadMatrixFromL2M(*rows, progress, messages);
    } else {
        auto o2 = OpenO2File(path, messages);
        if (!o2) return std::nullopt;
        const TerrainLayout layout = SetDimensionsFromFiles(o2->Size(), terrainSize);
        const auto sections = static_cast<uint64_t>(layout.dimensions.xSections);
        progress.Open("Building Terrain Matrix", 0, Range(sections * sections));
        if (const auto rows = TerrainRows::OfL2(std::move(file), *o2, messages))
            matrix = BuildMatrixFromL2(*rows, progress, messages);
    }
    progress.Close();
    return matrix;
}

}  // namespace lorvane::cli
