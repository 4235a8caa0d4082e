#pragma once
// The rows of a terrain matrix, one at a time, from wherever the terrain is:
// a built matrix, an L2/O2 pair, or an L2M file. The record layouts are
// decoded here and nowhere else, so the desktop program's matrix and the
// command-line tool's streaming outputs read the same cells.
//
// A file is streamed through one reused band: the L2 a section row (16 post
// rows) at a time, sections that follow each other in the file taken in one
// large read and an aliased section (the O2 names the one before it again)
// read once; an L2M file about 1 MiB of rows at a time. So the rows hold the
// O2's offsets and one band, never a copy of the file; read in order, each
// band is read once. A file that changes while it is read (it is shorter
// than when it opened, or its size or time differ once the last band is
// read) makes the rows fail: ReadFailed() says so, the cells read after are
// zero, and ReportReadFailure tells it.
//
// The record layouts (terrain_files.h has the file layouts): a 7-byte L2
// record is tile id u16, elevation u16, aux0, aux1, aux2; a 9-byte L2 record
// and the L2M cell record are tile id u32, elevation u16, aux0, aux1, aux2.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/file_io.h"
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

    // The rows of an L2/O2 pair. The O2 is read whole and every section it
    // names is checked to lie inside the L2; one that does not is reported as
    // "L2 end of file reached" then "L2 error" and gives none (with the
    // reason when a file could not be read).
    static std::optional<TerrainRows> OfL2(std::unique_ptr<ByteSource> l2, ByteSource& o2,
                                           MessageSink& messages);
    // The same from bytes in memory, which must outlive the rows.
    static std::optional<TerrainRows> OfL2(std::span<const std::byte> l2,
                                           std::span<const std::byte> o2, MessageSink& messages);

    // The rows of an L2M file. Rows and row length must be equal and a
    // multiple of 16, else "This L2M matrix is not the same size as the
    // current theater."; a file too short for its cells gives
    // "L2 end of file reached" then "L2 error".
    static std::optional<TerrainRows> OfL2M(std::unique_ptr<ByteSource> file,
                                            MessageSink& messages);
    // The same from bytes in memory, which must outlive the rows.
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

    // Only the fields a map of the theater needs, of row y: the elevations,
    // or the tile id and aux2 of each post, into arrays of Columns().
    void ElevationsOfRow(size_t y, uint16_t* out) const;
    void TilesAndBandsOfRow(size_t y, uint32_t* tileIds, uint8_t* aux2) const;

    // Writes row y as 9-byte L2M cell records into out, which has room for
    // Columns() of them.
    void EncodeRowAsL2M(size_t y, std::byte* out) const;

    // L2 rows: the distinct offsets the O2 names, in file order, and for each
    // section (sy·xSections + sx) the number of its offset among them.
    struct NamedSections {
        std::vector<uint32_t> offsets;
        std::vector<uint32_t> sectionOf;
    };
    NamedSections DistinctSections() const;
    // L2 rows: decodes the section at an offset DistinctSections gave into
    // out, 256 cells, post rows in order (zero after a failed read).
    void DecodeSection(uint32_t offset, TerrainCell* out) const;
    // Checks, after reads out of order, that the file is as it was when it
    // opened; a change fails the rows.
    void ConfirmUnchanged() const { CheckUnchanged(true); }

    // True once a read of the file failed; every cell read since is zero.
    bool ReadFailed() const { return failed_; }
    // Reports a failed read as "L2 end of file reached" then "L2 error", with
    // its reason; true (and nothing said) when no read failed.
    bool ReportReadFailure(MessageSink& messages) const;

  private:
    enum class Source { Matrix, L2Sections, L2MCells };

    template <size_t recordSize>
    void DecodeSectionRow(size_t y, TerrainCell* out) const;
    // Calls visit(x, record, size) for each record of row y of a file, size
    // a std::integral_constant of the record size; false for a matrix.
    template <typename Visit>
    bool VisitRecords(size_t y, Visit visit) const;
    // The start of row y's records in the band, which is read first when it
    // does not hold the row.
    const std::byte* L2MRow(size_t y) const;
    // Makes the band hold section row sy.
    void LoadSectionRow(size_t sy) const;
    void LoadL2MRows(size_t band) const;
    // After the last band: the file must be as it was when it opened.
    void CheckUnchanged(bool lastBand) const;
    void Fail() const;

    Source source_ = Source::Matrix;
    TerrainDimensions dimensions_;
    uint8_t l2FormatCode_ = 0;
    size_t recordSize_ = 9;
    const TerrainMatrix* matrix_ = nullptr;  // Matrix
    mutable TerrainCells matrixRow_;         // a row of a matrix that shares its sections
    std::unique_ptr<ByteSource> input_;      // L2, L2M
    std::vector<uint32_t> sectionOffsets_;   // L2: one per section, row-major
    size_t bandRows_ = 16;                   // the post rows one band holds

    // The band read last (a read changes nothing the caller sees but speed).
    mutable std::vector<std::byte> band_;
    mutable std::vector<const std::byte*> sectionStart_;  // L2: each section's records in the band
    mutable std::vector<uint32_t> fileOrder_;             // L2: a section row's columns by offset
    mutable size_t loaded_ = SIZE_MAX;                    // the band held
    mutable bool failed_ = false;
};

// A row's worth of cells to decode into.
using TerrainRowBuffer = std::vector<TerrainCell>;

}  // namespace lorvane
