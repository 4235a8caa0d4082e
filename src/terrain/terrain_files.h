#pragma once
// The terrain files.
//
// O2: one unsigned 32-bit offset into the L2 file per section of 16 × 16
// posts, n × n sections in row-major order (the entry of section (sx, sy) is
// number sy·n + sx). File size 4·n².
//
// L2: each section's 256 post records lie together, row-major inside the
// section, at the section's O2 offset. A record is 7 bytes (tile id u16,
// elevation u16, aux0, aux1, aux2) or 9 bytes (tile id u32, elevation u16,
// aux0, aux1, aux2). The size is not stored: a file whose size is a multiple
// of 7 holds 7-byte records, any other 9-byte records.
//
// L2M: a 9-byte header (rows u32, row length u16, a byte not read, the L2
// format code, a byte not read), then every cell as a 9-byte record in matrix
// order, laid out like a 9-byte L2 record.
//
// Long operations report progress as "sections completed" (count and bar
// position alike) and stop at the next row once the user asked to cancel.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "base/file_io.h"
#include "base/message.h"
#include "base/progress.h"
#include "terrain/terrain_matrix.h"
#include "terrain/terrain_rows.h"

namespace lorvane {

inline constexpr size_t kSectionPosts = 16;
inline constexpr size_t kL2MHeaderSize = 9;
inline constexpr size_t kL2MCellSize = 9;

// What the file sizes of an L2/O2 pair say: n = the integer part of
// √(O2 size / 4), and the record size from the L2 size.
struct TerrainLayout {
    TerrainDimensions dimensions;
    int l2RecordSize = 7;
    uint8_t l2FormatCode = 0;
};
TerrainLayout SetDimensionsFromFiles(uint64_t o2Size, uint64_t l2Size);

// The O2 file of an L2 path: the first character after the last "." of the
// file name replaced by the letter O (THEATER.L2 pairs with THEATER.O2,
// a.b.L2 with a.b.O2). None when the file name has no extension.
std::optional<std::filesystem::path> O2PathFor(const std::filesystem::path& l2Path);

// Opens an existing terrain file for reading in pieces. A file that cannot
// be opened is reported as "Data File Open Failed. " with the path as
// caption; an empty file gives none without a message.
std::optional<InputFile> OpenTerrainFile(const std::filesystem::path& path, MessageSink& messages);

// OpenTerrainFile for the L2 (or L2M) file of an open or load; on failure
// "Error opening the L2 file.  Cannot save the L2 file." follows.
std::optional<InputFile> OpenL2File(const std::filesystem::path& path, MessageSink& messages);

// Opens the O2 file that pairs with l2Path; on failure (or when the L2 path
// has no extension) "Error opening the O2 file.  Cannot save the L2 file.".
// Where the file system tells letter case apart and only a lower-case "o"
// file exists beside a lower-case extension, that one is taken.
std::optional<InputFile> OpenO2File(const std::filesystem::path& l2Path, MessageSink& messages);

// The rows of the terrain at path, streamed from the files: an L2M file when
// l2m is set, else the L2 file and its O2 file. None after the messages of
// the opens and of TerrainRows::OfL2 or OfL2M.
std::optional<TerrainRows> OpenTerrainRows(const std::filesystem::path& path, bool l2m,
                                           MessageSink& messages);

// Builds the matrix from the bytes of an L2 file and its O2 file, in matrix
// order, in one pass. Every section is checked to lie inside the L2 bytes
// before the matrix is allocated; one that does not is reported as
// "L2 end of file reached" then "L2 error". After each section row the count
// sy·xSections + xSections − 1 is reported; after each post row the abort
// flag is tested. None on failure or abort. When the O2 names at most half
// as many distinct sections as it has entries, the matrix shares its
// sections (each kept once, see TerrainMatrix), and the abort flag is tested
// after each section row's share of them.
std::optional<TerrainMatrix> BuildMatrixFromL2(std::span<const std::byte> l2,
                                               std::span<const std::byte> o2, Progress& progress,
                                               MessageSink& messages);
// The same from the rows of an L2/O2 pair; a read that fails on the way (a
// file that changed) gives "L2 end of file reached" then "L2 error".
std::optional<TerrainMatrix> BuildMatrixFromL2(const TerrainRows& rows, Progress& progress,
                                               MessageSink& messages);

// Reads an L2M file's bytes. Its rows and row length must be equal and a
// multiple of 16, else "This L2M matrix is not the same size as the current
// theater."; a file too short for its cells gives "L2 end of file reached"
// then "L2 error". After each row the count (cells so far) div 256 is
// reported and the abort flag tested. None on failure or abort.
std::optional<TerrainMatrix> LoadMatrixFromL2M(std::span<const std::byte> bytes, Progress& progress,
                                               MessageSink& messages);
// The same from the rows of an L2M file, read failures told as the build's.
std::optional<TerrainMatrix> LoadMatrixFromL2M(const TerrainRows& rows, Progress& progress,
                                               MessageSink& messages);

// Writes the matrix as an L2M file, replacing path safely, with the same
// progress and abort test as the load. False on failure or abort; the old
// file is then untouched.
bool SaveMatrixAsL2M(const OutputTarget& path, const TerrainMatrix& matrix, Progress& progress,
                     MessageSink& messages);

// The same save from rows read one at a time (the rows of an L2/O2 pair
// convert to an L2M file without a matrix): the header takes the rows'
// extents and format code. A read of the rows that fails is told as the
// build's, and the old file stays.
bool SaveRowsAsL2M(const OutputTarget& path, const TerrainRows& rows, Progress& progress,
                   MessageSink& messages);

}  // namespace lorvane
