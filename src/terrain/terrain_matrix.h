#pragma once
// The terrain matrix: one cell per terrain post, rows of xMapExtent cells,
// yMapExtent rows, row-major. Post (x, y) is cell x + y·xMapExtent. The
// matrix keeps the dimensions it was built with, so a reader never indexes
// outside it whatever theater is selected meanwhile.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "base/message.h"

namespace lorvane {

// One post: the tile it shows, its elevation and three attribute bytes
// (aux2 feeds the band of the theater tile map; aux0 and aux1 are carried).
// A plain record: TerrainCell{} is all zero, a bare declaration is unset.
struct TerrainCell {
    uint32_t tileId;
    uint16_t elevation;
    uint8_t aux0;
    uint8_t aux1;
    uint8_t aux2;

    bool operator==(const TerrainCell&) const = default;
};

// Large cell blocks are taken in huge pages where the system offers them:
// first touching fresh memory 4 KiB at a time costs more than filling it.
void* AllocateCellMemory(size_t bytes);  // throws std::bad_alloc
void FreeCellMemory(void* memory, size_t bytes) noexcept;

template <typename T>
struct CellAllocator {
    using value_type = T;
    CellAllocator() = default;
    template <typename U>
    CellAllocator(const CellAllocator<U>&) noexcept {}
    T* allocate(size_t count) {
        if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(AllocateCellMemory(count * sizeof(T)));
    }
    void deallocate(T* memory, size_t count) noexcept { FreeCellMemory(memory, count * sizeof(T)); }
    // resize(count) leaves the new cells unset, so a reader that writes every
    // cell writes each once; resize(count, TerrainCell{}) zeroes them.
    template <typename U>
    void construct(U* cell) noexcept {
        ::new (static_cast<void*>(cell)) U;
    }
    template <typename U, typename... Args>
    void construct(U* cell, Args&&... args) {
        ::new (static_cast<void*>(cell)) U(std::forward<Args>(args)...);
    }
    template <typename U>
    bool operator==(const CellAllocator<U>&) const noexcept {
        return true;
    }
};
using TerrainCells = std::vector<TerrainCell, CellAllocator<TerrainCell>>;

// The six dimension values a theater's settings hold. Terrain files always
// give xSections = ySections = n, xTiles = yTiles = 16 and
// xMapExtent = yMapExtent = 16·n.
struct TerrainDimensions {
    int32_t xSections = 0;
    int32_t ySections = 0;
    int32_t xTiles = 16;
    int32_t yTiles = 16;
    int32_t xMapExtent = 0;  // posts along X: the length of a matrix row
    int32_t yMapExtent = 0;  // posts along Y: the number of matrix rows

    bool operator==(const TerrainDimensions&) const = default;
};

// The dimensions of a square theater of n × n sections of 16 × 16 posts.
TerrainDimensions SquareDimensions(int32_t n);

struct TerrainMatrix {
    TerrainDimensions dimensions;
    // 0 for 7-byte L2 records, 2 for 9-byte records; saved into every L2M.
    uint8_t l2FormatCode = 0;
    // One per post, row-major; empty when the matrix shares its sections.
    TerrainCells cells;
    // A matrix built from an L2 whose O2 names the same sections many times
    // keeps each section it names once instead: sharedCells holds
    // kSharedSectionCells cells per kept section (its 16 post rows in order)
    // and sectionOf, for each section sy·xSections + sx, the number of the
    // kept section it shows. Such a matrix is read through Cell and Row and
    // never written.
    TerrainCells sharedCells;
    std::vector<uint32_t> sectionOf;
    static constexpr size_t kSharedSectionCells = 256;

    int32_t xMapExtent() const { return dimensions.xMapExtent; }
    int32_t yMapExtent() const { return dimensions.yMapExtent; }
    size_t CellIndex(int32_t x, int32_t y) const {
        return static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(xMapExtent());
    }
    bool SharesSections() const { return !sectionOf.empty(); }
    const TerrainCell& Cell(int32_t x, int32_t y) const {
        return sectionOf.empty() ? cells[CellIndex(x, y)] : SharedCell(x, y);
    }
    // A matrix of its own cells only.
    TerrainCell& Cell(int32_t x, int32_t y) { return cells[CellIndex(x, y)]; }
    // The xMapExtent cells of row y: in place, or gathered into scratch (room
    // for a row) when the matrix shares its sections.
    const TerrainCell* Row(int32_t y, TerrainCell* scratch) const;

    // True when there is one cell for every post of the dimensions (or a
    // kept section for every section); the operations that read a matrix
    // refuse one that is not.
    bool IsComplete() const;

  private:
    const TerrainCell& SharedCell(int32_t x, int32_t y) const {
        const size_t section =
            static_cast<size_t>(y / 16) * static_cast<size_t>(dimensions.xSections) +
            static_cast<size_t>(x / 16);
        return sharedCells[sectionOf[section] * kSharedSectionCells +
                           static_cast<size_t>(y % 16) * 16 + static_cast<size_t>(x % 16)];
    }
};

// A zeroed matrix of xMapExtent × yMapExtent cells; the section counts are
// the extents over 16. Extents below 0 count as 0.
TerrainMatrix MakeTerrainMatrix(int32_t xMapExtent, int32_t yMapExtent, uint8_t l2FormatCode = 0);

// Sizes the matrix's cells to count unset cells, for a reader that writes
// every one. When the memory cannot be had: "Failed to allocate memory for
// the terrain matrix." and false.
bool AllocateCells(TerrainMatrix& matrix, size_t count, MessageSink& messages);

}  // namespace lorvane
