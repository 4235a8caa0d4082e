#include "cli/terrain_input.h"

#include <algorithm>
#include <cctype>

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

}  // namespace lorvane::cli
