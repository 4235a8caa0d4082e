#pragma once
// The rows of a terrain matrix, one at a time, from wherever the terrain is:
// a built matrix, the mapped bytes of an L2/O2 pair, or the mapped bytes of
// an L2M file. The record layouts are decoded here and nowhere else, so the
// desktop program's matrix and the command-line tool's streaming outputs
// read the same cells; a stream holds one row, not the whole matrix.
//
// The record layouts (terrain_files.h has the file layouts): a 7-byte L2
// record is tile id u16, elevation u16, aux0, aux1, aux2; a 9-byte L2 record
// and the L2M cell record are tile id u32, elevation u16, aux0, aux1, aux2.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/message.h"
#include "terrain/terrain_matrix.h"

namespace lorvane {

// On a little-endian machine a cell's first nine bytes are its 9-byte
// record (tile id, elevation, aux0, aux1, aux2), so records are copied in
// one piece rather than field by field.
inline constexpr bool kCellBytesInRecordOrder =
    std::endian::native == std::endian::little && offsetof(TerrainCell, elevation) == 4 &&
    offsetof(TerrainCell, aux0) == 6 && offsetof(TerrainCell, aux1) == 7 &&
    offsetof(TerrainCell, aux2) == 8;

class TerrainRows {
  public:
    // The rows of a complete matrix (the caller checks IsComplete); the
    // matrix must outlive the rows.
    static TerrainRows OfMatrix(const TerrainMatrix& matrix);

    // The rows of an L2/O2 pair. Every section the O2 names is checked to lie
    // inside the L2 bytes; one that does not is reported as
    // "L2 end of file reached" then "L2 error" and gives none. The bytes must
    // outlive the rows.
    static std::optional<TerrainRows> OfL2(std::span<const std::byte> l2,
                                           std::span<const std::byte> o2, MessageSink& messages);

    // The rows of an L2M file. Rows and row length must be equal and a
    // multiple of 16, else "This L2M matrix is not the same size as the
    // current theater."; a file too short for its cells gives
    // "L2 end of file reached" then "L2 error". The bytes must outlive the
    // rows.
    static std::optional<TerrainRows> OfL2M(std::span<const std::byte> bytes,
                                            MessageSink& messages);

    const TerrainDimensions& dimensions() const { return dimensions_; }
    uint8_t l2FormatCode() const { return l2FormatCode_; }
    size_t Columns() const { return static_cast<size_t>(dimensions_.xMapExtent); }
    size_t Rows() const { return static_cast<size_t>(dimensions_.yMapExtent); }

    // The Columns() cells of row y: the matrix's own, or decoded into
    // scratch, which has room for a row.
    const TerrainCell* Row(size_t y, TerrainCell* scratch) const;
    // Decodes (or copies) row y into out, which has room for a row.
    void CopyRow(size_t y, TerrainCell* out) const;

    // Writes row y as 9-byte L2M cell records into out, which has room for
    // Columns() of them.
    void EncodeRowAsL2M(size_t y, std::byte* out) const;

  private:
    enum class Source { Matrix, L2Sections, L2MCells };

    template <size_t recordSize>
    void DecodeSectionRow(size_t y, TerrainCell* out) const;

    Source source_ = Source::Matrix;
    TerrainDimensions dimensions_;
    uint8_t l2FormatCode_ = 0;
    size_t recordSize_ = 9;
    const TerrainCell* cells_ = nullptr;    // Matrix
    const std::byte* bytes_ = nullptr;      // L2: the file; L2M: the first cell
    std::vector<uint32_t> sectionOffsets_;  // L2: one per section, row-major
};

// A row's worth of cells to decode into.
using TerrainRowBuffer = std::vector<TerrainCell>;

}  // namespace lorvane
