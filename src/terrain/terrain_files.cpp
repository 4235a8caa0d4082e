#include "terrain/terrain_files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "base/byte_reader.h"
#include "base/path_text.h"

namespace lorvane {

namespace {

constexpr size_t kSectionRecords = kSectionPosts * kSectionPosts;

constexpr const char* kL2OpenFailed = "Error opening the L2 file.  Cannot save the L2 file.";
constexpr const char* kO2OpenFailed = "Error opening the O2 file.  Cannot save the L2 file.";

void ReportL2ReadFailure(MessageSink& messages) {
    messages.Error("L2 end of file reached", "Error");
    messages.Error("L2 error", "L2 Read Error");
}

void ReportL2MWriteFailure(MessageSink& messages) {
    messages.Error("L2M end of file reached", "Error");
    messages.Error("L2 error", "L2 Write Error");
}

uint16_t Little16(const std::byte* p) {
    return static_cast<uint16_t>(std::to_integer<unsigned>(p[0]) | std::to_integer<unsigned>(p[1])
                                                                       << 8);
}

uint32_t Little32(const std::byte* p) {
    return std::to_integer<uint32_t>(p[0]) | std::to_integer<uint32_t>(p[1]) << 8 |
           std::to_integer<uint32_t>(p[2]) << 16 | std::to_integer<uint32_t>(p[3]) << 24;
}

// One post record of recordSize bytes (7: 16-bit tile id, 9: 32-bit tile
// id); the L2M cell record has the 9-byte layout. The fields are stored
// straight into the cell through a pointer the caller keeps in a register.
template <size_t recordSize>
void DecodeRecord(const std::byte* p, TerrainCell* cell) {
    constexpr size_t idSize = recordSize == 7 ? 2 : 4;
    cell->tileId = idSize == 2 ? Little16(p) : Little32(p);
    cell->elevation = Little16(p + idSize);
    cell->aux0 = std::to_integer<uint8_t>(p[idSize + 2]);
    cell->aux1 = std::to_integer<uint8_t>(p[idSize + 3]);
    cell->aux2 = std::to_integer<uint8_t>(p[idSize + 4]);
}

void EncodeCell(const TerrainCell& cell, std::byte* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::byte>(cell.tileId >> (8 * i));
    p[4] = static_cast<std::byte>(cell.elevation);
    p[5] = static_cast<std::byte>(cell.elevation >> 8);
    p[6] = static_cast<std::byte>(cell.aux0);
    p[7] = static_cast<std::byte>(cell.aux1);
    p[8] = static_cast<std::byte>(cell.aux2);
}

// The O2 offsets of the n × n sections, each checked to leave a whole
// section inside the L2 bytes. None when one does not.
std::optional<std::vector<uint32_t>> SectionOffsets(std::span<const std::byte> l2,
                                                    std::span<const std::byte> o2,
                                                    size_t sectionCount, size_t sectionBytes) {
    std::vector<uint32_t> offsets(sectionCount);
    ByteReader in(o2);
    for (uint32_t& offset : offsets) {
        if (!in.ReadU32(offset)) return std::nullopt;
        if (offset > l2.size() || l2.size() - offset < sectionBytes) return std::nullopt;
    }
    return offsets;
}

// A post row reads 16 records from each of n sections far apart in the
// file, more streams than the processor's own prefetching follows; so each
// section's next post row is asked for one post row ahead.
void PrefetchSectionRow(const std::byte* start, size_t bytes) {
    if (start == nullptr) return;
#if defined(__GNUC__)
    for (size_t line = 0; line < bytes; line += 64) __builtin_prefetch(start + line);
    __builtin_prefetch(start + bytes - 1);
#endif
}

// The first post row of the same section column in the next section row;
// null after the last.
const std::byte* NextSectionRowStart(const std::byte* l2, const std::vector<uint32_t>& offsets,
                                     size_t sy, size_t sx, size_t n) {
    return sy + 1 < n ? l2 + offsets[(sy + 1) * n + sx] : nullptr;
}

// Fills the matrix post row by post row; false on abort.
template <size_t recordSize>
bool FillFromSections(TerrainMatrix& matrix, const std::byte* l2,
                      const std::vector<uint32_t>& offsets, Progress& progress) {
    const auto n = static_cast<size_t>(matrix.dimensions.xSections);
    TerrainCell* cell = matrix.cells.data();
    for (size_t sy = 0; sy < n; ++sy) {
        for (size_t r = 0; r < kSectionPosts; ++r) {
            for (size_t sx = 0; sx < n; ++sx) {
                const std::byte* record =
                    l2 + offsets[sy * n + sx] + r * kSectionPosts * recordSize;
                PrefetchSectionRow(r + 1 < kSectionPosts
                                       ? record + kSectionPosts * recordSize
                                       : NextSectionRowStart(l2, offsets, sy, sx, n),
                                   kSectionPosts * recordSize);
                for (size_t c = 0; c < kSectionPosts; ++c, record += recordSize) {
                    DecodeRecord<recordSize>(record, cell++);
                }
            }
            if (progress.AbortRequested()) return false;
        }
        const int completed = static_cast<int>(sy * n + n - 1);
        progress.Report(completed, completed);
    }
    return true;
}

// The count shown after a whole row of an L2M load or save.
int CellsCompleted(size_t row, size_t rowLength) {
    return static_cast<int>((row * rowLength + rowLength - 1) / kSectionRecords);
}

}  // namespace

TerrainLayout SetDimensionsFromFiles(uint64_t o2Size, uint64_t l2Size) {
    TerrainLayout layout;
    const uint64_t entries = o2Size / 4;
    auto n = static_cast<uint64_t>(std::sqrt(static_cast<double>(entries)));
    // The double root can be one off for large counts; settle it exactly.
    while (n > 0 && n * n > entries) --n;
    while ((n + 1) * (n + 1) <= entries) ++n;
    // 16·n posts per row must fit the 32-bit extent fields.
    n = std::min<uint64_t>(n, 0x7FFFFFF);
    layout.dimensions = SquareDimensions(static_cast<int32_t>(n));
    const bool sevenByte = l2Size % 7 == 0;
    layout.l2RecordSize = sevenByte ? 7 : 9;
    layout.l2FormatCode = sevenByte ? 0 : 2;
    return layout;
}

std::optional<std::filesystem::path> O2PathFor(const std::filesystem::path& l2Path) {
    const std::string name = PathToUtf8(l2Path.filename());
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 >= name.size()) return std::nullopt;
    std::string o2Name = name;
    o2Name[dot + 1] = 'O';
    return l2Path.parent_path() / o2Name;
}

std::optional<FileBytes> OpenTerrainFile(const std::filesystem::path& path, MessageSink& messages) {
    auto file = FileBytes::Open(path);
    if (!file) {
        messages.Error("Data File Open Failed. ", PathToUtf8(path));
        return std::nullopt;
    }
    if (file->Size() == 0) return std::nullopt;
    return file;
}

std::optional<FileBytes> OpenL2File(const std::filesystem::path& path, MessageSink& messages) {
    auto file = OpenTerrainFile(path, messages);
    if (!file) messages.Error(kL2OpenFailed, "Error");
    return file;
}

std::optional<FileBytes> OpenO2File(const std::filesystem::path& l2Path, MessageSink& messages) {
    std::optional<std::filesystem::path> o2Path = O2PathFor(l2Path);
    if (!o2Path) {
        messages.Error(kO2OpenFailed, "Error");
        return std::nullopt;
    }
    if (!PathExists(*o2Path)) {
        // theater.l2 beside theater.o2 where letter case matters.
        const std::string name = PathToUtf8(l2Path.filename());
        const size_t letter = name.rfind('.') + 1;
        if (std::islower(static_cast<unsigned char>(name[letter]))) {
            std::string lower = PathToUtf8(o2Path->filename());
            lower[letter] = 'o';
            if (PathExists(o2Path->parent_path() / lower)) o2Path = o2Path->parent_path() / lower;
        }
    }
    auto file = OpenTerrainFile(*o2Path, messages);
    if (!file) messages.Error(kO2OpenFailed, "Error");
    return file;
}

std::optional<TerrainMatrix> BuildMatrixFromL2(std::span<const std::byte> l2,
                                               std::span<const std::byte> o2, Progress& progress,
                                               MessageSink& messages) {
    const TerrainLayout layout = SetDimensionsFromFiles(o2.size(), l2.size());
    const auto n = static_cast<size_t>(layout.dimensions.xSections);
    const size_t recordSize = static_cast<size_t>(layout.l2RecordSize);
    const auto offsets = SectionOffsets(l2, o2, n * n, kSectionRecords * recordSize);
    if (!offsets) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    TerrainMatrix matrix;
    matrix.dimensions = layout.dimensions;
    matrix.l2FormatCode = layout.l2FormatCode;
    if (!AllocateCells(matrix, n * n * kSectionRecords, messages)) return std::nullopt;
    const bool complete = recordSize == 7
                              ? FillFromSections<7>(matrix, l2.data(), *offsets, progress)
                              : FillFromSections<9>(matrix, l2.data(), *offsets, progress);
    if (!complete) return std::nullopt;
    return matrix;
}

std::optional<TerrainMatrix> LoadMatrixFromL2M(std::span<const std::byte> bytes, Progress& progress,
                                               MessageSink& messages) {
    ByteReader in(bytes);
    uint32_t rows = 0;
    uint16_t rowLength = 0;
    uint8_t unused = 0;
    uint8_t formatCode = 0;
    if (!in.ReadU32(rows) || !in.ReadU16(rowLength) || !in.ReadU8(unused) ||
        !in.ReadU8(formatCode) || !in.ReadU8(unused)) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    const int32_t n = rowLength / static_cast<int32_t>(kSectionPosts);
    const auto side = static_cast<uint32_t>(n) * kSectionPosts;
    if (rowLength != side || rows != side) {
        messages.Error("This L2M matrix is not the same size as the current theater.",
                       "L2M Matrix Error");
        return std::nullopt;
    }
    std::span<const std::byte> cellBytes;
    if (!in.Take(static_cast<size_t>(side) * side * kL2MCellSize, cellBytes)) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    TerrainMatrix matrix;
    matrix.dimensions = SquareDimensions(n);
    matrix.l2FormatCode = formatCode;
    if (!AllocateCells(matrix, static_cast<size_t>(side) * side, messages)) return std::nullopt;
    const std::byte* record = cellBytes.data();
    TerrainCell* cell = matrix.cells.data();
    for (size_t y = 0; y < side; ++y) {
        for (size_t x = 0; x < side; ++x, record += kL2MCellSize) DecodeRecord<9>(record, cell++);
        if (progress.AbortRequested()) return std::nullopt;
        progress.Report(CellsCompleted(y, side), CellsCompleted(y, side));
    }
    return matrix;
}

bool SaveMatrixAsL2M(const std::filesystem::path& path, const TerrainMatrix& matrix,
                     Progress& progress, MessageSink& messages) {
    if (!matrix.IsComplete()) {
        messages.Exclamation("The L2 Terrain matrix (or file) has not been loaded.", "Information");
        return false;
    }
    SafeFileWriter writer;
    if (!writer.Open(path)) {
        messages.Error("Data File Open Failed. ", PathToUtf8(path));
        messages.Error(kL2OpenFailed, "Error");
        return false;
    }
    const auto rows = static_cast<size_t>(matrix.yMapExtent());
    const auto rowLength = static_cast<size_t>(matrix.xMapExtent());
    // Rows are encoded into one reused buffer and written when it is full.
    constexpr size_t kBufferBytes = size_t{1} << 20;
    std::vector<std::byte> buffer(
        std::max(kBufferBytes, kL2MHeaderSize + rowLength * kL2MCellSize));
    size_t used = kL2MHeaderSize;
    for (int i = 0; i < 4; ++i)
        buffer[static_cast<size_t>(i)] = static_cast<std::byte>(rows >> (8 * i));
    buffer[4] = static_cast<std::byte>(rowLength);
    buffer[5] = static_cast<std::byte>(rowLength >> 8);
    buffer[6] = std::byte{0};
    buffer[7] = static_cast<std::byte>(matrix.l2FormatCode);
    buffer[8] = std::byte{0};
    const TerrainCell* cell = matrix.cells.data();
    for (size_t y = 0; y < rows; ++y) {
        if (buffer.size() - used < rowLength * kL2MCellSize) {
            if (!writer.Write({buffer.data(), used})) break;
            used = 0;
        }
        for (size_t x = 0; x < rowLength; ++x, used += kL2MCellSize)
            EncodeCell(*cell++, buffer.data() + used);
        if (progress.AbortRequested()) return false;  // the writer discards its file
        progress.Report(CellsCompleted(y, rowLength), CellsCompleted(y, rowLength));
    }
    if (!writer.Write({buffer.data(), used}) || !writer.Commit()) {
        ReportL2MWriteFailure(messages);
        return false;
    }
    return true;
}

}  // namespace lorvane
