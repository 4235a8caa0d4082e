#include "terrain/terrain_matrix.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace lorvane {

namespace {
constexpr int32_t kSectionSide = 16;
}

TerrainDimensions SquareDimensions(int32_t n) {
    TerrainDimensions dimensions;
    dimensions.xSections = dimensions.ySections = n;
    dimensions.xTiles = dimensions.yTiles = kSectionSide;
    dimensions.xMapExtent = dimensions.yMapExtent = n * kSectionSide;
    return dimensions;
}

bool TerrainMatrix::IsComplete() const {
    return xMapExtent() >= 0 && yMapExtent() >= 0 &&
           cells.size() == static_cast<size_t>(xMapExtent()) * static_cast<size_t>(yMapExtent());
}

TerrainMatrix MakeTerrainMatrix(int32_t xMapExtent, int32_t yMapExtent, uint8_t l2FormatCode) {
    TerrainMatrix matrix;
    const int32_t x = std::max(xMapExtent, 0);
    const int32_t y = std::max(yMapExtent, 0);
    matrix.dimensions.xMapExtent = x;
    matrix.dimensions.yMapExtent = y;
    matrix.dimensions.xSections = x / kSectionSide;
    matrix.dimensions.ySections = y / kSectionSide;
    matrix.l2FormatCode = l2FormatCode;
    matrix.cells.resize(static_cast<size_t>(x) * static_cast<size_t>(y));
    return matrix;
}

bool AllocateCells(TerrainMatrix& matrix, size_t count, MessageSink& messages) {
    try {
        matrix.cells.resize(count);
    } catch (const std::bad_alloc&) {
        matrix.cells = {};
    } catch (const std::length_error&) {
        matrix.cells = {};
    }
    if (matrix.cells.size() == count) return true;
    messages.Error("Failed to allocate memory for the terrain matrix.", "Memory Allocation Error");
    return false;
}

}  // namespace lorvane
