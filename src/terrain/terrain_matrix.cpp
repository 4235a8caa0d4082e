#include "terrain/terrain_matrix.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lorvane {

namespace {

constexpr int32_t kSectionSide = 16;

#if defined(__linux__)
constexpr size_t kHugePage = size_t{2} << 20;

size_t HugeRounded(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
#endif

}  // namespace

void* AllocateCellMemory(size_t bytes) {
#if defined(__linux__)
    if (bytes >= kHugePage && bytes <= SIZE_MAX - 2 * kHugePage) {
        // Map a huge page more than needed and trim both ends to an aligned block.
        const size_t rounded = HugeRounded(bytes);
        void* map = ::mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) throw std::bad_alloc();
        const auto start = reinterpret_cast<uintptr_t>(map);
        const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
        if (aligned > start) ::munmap(map, aligned - start);
        const size_t tail = start + rounded + kHugePage - (aligned + rounded);
        if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + rounded), tail);
        ::madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return ::operator new(bytes);
}

void FreeCellMemory(void* memory, [[maybe_unused]] size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= kHugePage && bytes <= SIZE_MAX - 2 * kHugePage) {
        ::munmap(memory, HugeRounded(bytes));
        return;
    }
#endif
    ::operator delete(memory);
}

TerrainDimensions SquareDimensions(int32_t n) {
    TerrainDimensions dimensions;
    dimensions.xSections = dimensions.ySections = n;
    dimensions.xTiles = dimensions.yTiles = kSectionSide;
    dimensions.xMapExtent = dimensions.yMapExtent = n * kSectionSide;
    return dimensions;
}

bool TerrainMatrix::IsComplete() const {
    if (xMapExtent() < 0 || yMapExtent() < 0) return false;
    if (!SharesSections())
        return cells.size() ==
               static_cast<size_t>(xMapExtent()) * static_cast<size_t>(yMapExtent());
    const size_t kept = sharedCells.size() / kSharedSectionCells;
    return xMapExtent() == 16 * dimensions.xSections && yMapExtent() == 16 * dimensions.ySections &&
           sectionOf.size() == static_cast<size_t>(dimensions.xSections) *
                                   static_cast<size_t>(dimensions.ySections) &&
           std::all_of(sectionOf.begin(), sectionOf.end(), [&](uint32_t k) { return k < kept; });
}

const TerrainCell* TerrainMatrix::Row(int32_t y, TerrainCell* scratch) const {
    if (!SharesSections()) return cells.data() + CellIndex(0, y);
    const size_t across = static_cast<size_t>(dimensions.xSections);
    const uint32_t* kept = sectionOf.data() + static_cast<size_t>(y / 16) * across;
    const TerrainCell* postRow = sharedCells.data() + static_cast<size_t>(y % 16) * 16;
    for (size_t sx = 0; sx < across; ++sx)
        std::memcpy(scratch + 16 * sx, postRow + kept[sx] * kSharedSectionCells,
                    16 * sizeof(TerrainCell));
    return scratch;
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
    matrix.cells.resize(static_cast<size_t>(x) * static_cast<size_t>(y), TerrainCell{});
    return matrix;
}

bool AllocateCells(TerrainMatrix& matrix, size_t count, MessageSink& messages) {
    matrix.cells = {};
    try {
        matrix.cells.resize(count);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    messages.Error("Failed to allocate memory for the terrain matrix.", "Memory Allocation Error");
    return false;
}

}  // namespace lorvane
