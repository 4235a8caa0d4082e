#include "terrain/terrain_files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "base/path_text.h"

namespace lorvane {

namespace {

constexpr size_t kSectionRecords = kSectionPosts * kSectionPosts;

constexpr const char* kL2OpenFailed = "Error opening the L2 file.  Cannot save the L2 file.";
constexpr const char* kO2OpenFailed = "Error opening the O2 file.  Cannot save the L2 file.";

void ReportL2MWriteFailure(MessageSink& messages, const std::string& detail) {
    messages.Error("L2M end of file reached", "Error", detail);
    messages.Error("L2 error", "L2 Write Error", detail);
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
    return l2Path.parent_path() / PathFromUtf8(o2Name);
}

std::optional<InputFile> OpenTerrainFile(const std::filesystem::path& path, MessageSink& messages) {
    std::string detail;
    auto file = InputFile::Open(path, &detail);
    if (!file) {
        messages.Error("Data File Open Failed. ", PathToUtf8(path), detail);
        return std::nullopt;
    }
    if (file->Size() == 0) return std::nullopt;
    return file;
}

std::optional<InputFile> OpenL2File(const std::filesystem::path& path, MessageSink& messages) {
    auto file = OpenTerrainFile(path, messages);
    if (!file) messages.Error(kL2OpenFailed, "Error");
    return file;
}

std::optional<InputFile> OpenO2File(const std::filesystem::path& l2Path, MessageSink& messages) {
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
            if (PathExists(o2Path->parent_path() / PathFromUtf8(lower)))
                o2Path = o2Path->parent_path() / PathFromUtf8(lower);
        }
    }
    auto file = OpenTerrainFile(*o2Path, messages);
    if (!file) messages.Error(kO2OpenFailed, "Error");
    return file;
}

std::optional<TerrainRows> OpenTerrainRows(const std::filesystem::path& path, bool l2m,
                                           MessageSink& messages) {
    auto terrain = OpenL2File(path, messages);
    if (!terrain) return std::nullopt;
    auto l2 = std::make_unique<InputFile>(std::move(*terrain));
    if (l2m) return TerrainRows::OfL2M(std::move(l2), messages);
    auto o2 = OpenO2File(path, messages);
    if (!o2) return std::nullopt;
    return TerrainRows::OfL2(std::move(l2), *o2, messages);
}

std::optional<TerrainMatrix> BuildMatrixFromL2(std::span<const std::byte> l2,
                                               std::span<const std::byte> o2, Progress& progress,
                                               MessageSink& messages) {
    const auto rows = TerrainRows::OfL2(l2, o2, messages);
    if (!rows) return std::nullopt;
    return BuildMatrixFromL2(*rows, progress, messages);
}

namespace {

// Reads every row into a new matrix, reporting after each row; none on
// abort or on a failed read.
template <typename Report>
std::optional<TerrainMatrix> ReadMatrix(const TerrainRows& rows, Progress& progress,
                                        MessageSink& messages, Report report) {
    TerrainMatrix matrix;
    matrix.dimensions = rows.dimensions();
    matrix.l2FormatCode = rows.l2FormatCode();
    if (!AllocateCells(matrix, rows.Columns() * rows.Rows(), messages)) return std::nullopt;
    for (size_t y = 0; y < rows.Rows() && !rows.ReadFailed(); ++y) {
        rows.CopyRow(y, matrix.cells.data() + y * rows.Columns());
        if (progress.AbortRequested()) return std::nullopt;
        report(y);
    }
    if (!rows.ReportReadFailure(messages)) return std::nullopt;
    return matrix;
}

}  // namespace

namespace {

// The count shown after section row sy of an L2 build of n × n sections.
int SectionsCompleted(size_t sy, size_t n) { return static_cast<int>(sy * n + n - 1); }

// The matrix of an L2 whose O2 names its sections many times: each distinct
// section decoded once, in file order, the section rows' counts reported as
// their share of the sections is done.
std::optional<TerrainMatrix> ReadSharedMatrix(const TerrainRows& rows,
                                              TerrainRows::NamedSections named, Progress& progress,
                                              MessageSink& messages) {
    TerrainMatrix matrix;
    matrix.dimensions = rows.dimensions();
    matrix.l2FormatCode = rows.l2FormatCode();
    const size_t kept = named.offsets.size();
    TerrainMatrix cells;
    if (!AllocateCells(cells, kept * kSectionRecords, messages)) return std::nullopt;
    matrix.sharedCells = std::move(cells.cells);
    matrix.sectionOf = std::move(named.sectionOf);
    const auto n = static_cast<size_t>(matrix.dimensions.xSections);
    size_t done = 0;
    for (size_t sy = 0; sy < n && !rows.ReadFailed(); ++sy) {
        for (const size_t end = kept * (sy + 1) / n; done < end; ++done)
            rows.DecodeSection(named.offsets[done],
                               matrix.sharedCells.data() + done * kSectionRecords);
        if (progress.AbortRequested()) return std::nullopt;
        progress.Report(SectionsCompleted(sy, n), SectionsCompleted(sy, n));
    }
    rows.ConfirmUnchanged();
    if (!rows.ReportReadFailure(messages)) return std::nullopt;
    return matrix;
}

}  // namespace

std::optional<TerrainMatrix> BuildMatrixFromL2(const TerrainRows& rows, Progress& progress,
                                               MessageSink& messages) {
    const auto n = static_cast<size_t>(rows.dimensions().xSections);
    // Where at most half the sections are distinct, each is kept once. (When
    // even their count cannot be had, the whole matrix says it does not fit.)
    try {
        TerrainRows::NamedSections named = rows.DistinctSections();
        if (2 * named.offsets.size() <= n * n)
            return ReadSharedMatrix(rows, std::move(named), progress, messages);
    } catch (const std::bad_alloc&) {
    }
    return ReadMatrix(rows, progress, messages, [&](size_t y) {
        if (y % kSectionPosts == kSectionPosts - 1)
            progress.Report(SectionsCompleted(y / kSectionPosts, n),
                            SectionsCompleted(y / kSectionPosts, n));
    });
}

std::optional<TerrainMatrix> LoadMatrixFromL2M(std::span<const std::byte> bytes, Progress& progress,
                                               MessageSink& messages) {
    const auto rows = TerrainRows::OfL2M(bytes, messages);
    if (!rows) return std::nullopt;
    return LoadMatrixFromL2M(*rows, progress, messages);
}

std::optional<TerrainMatrix> LoadMatrixFromL2M(const TerrainRows& rows, Progress& progress,
                                               MessageSink& messages) {
    return ReadMatrix(rows, progress, messages, [&](size_t y) {
        progress.Report(CellsCompleted(y, rows.Columns()), CellsCompleted(y, rows.Columns()));
    });
}

bool SaveMatrixAsL2M(const OutputTarget& path, const TerrainMatrix& matrix, Progress& progress,
                     MessageSink& messages) {
    if (!matrix.IsComplete()) {
        messages.Exclamation("The L2 Terrain matrix (or file) has not been loaded.", "Information");
        return false;
    }
    return SaveRowsAsL2M(path, TerrainRows::OfMatrix(matrix), progress, messages);
}

bool SaveRowsAsL2M(const OutputTarget& path, const TerrainRows& rows, Progress& progress,
                   MessageSink& messages) {
    SafeFileWriter writer;
    if (!writer.Open(path)) {
        messages.Error("Data File Open Failed. ", path.Name(), writer.Detail());
        messages.Error(kL2OpenFailed, "Error");
        return false;
    }
    const size_t rowCount = rows.Rows();
    const size_t rowLength = rows.Columns();
    const size_t rowBytes = rowLength * kL2MCellSize;
    // Rows are encoded into one reused buffer and written when it is full.
    constexpr size_t kBufferBytes = size_t{1} << 20;
    std::vector<std::byte> buffer(std::max(kBufferBytes, kL2MHeaderSize + rowBytes));
    for (int i = 0; i < 4; ++i)
        buffer[static_cast<size_t>(i)] = static_cast<std::byte>(rowCount >> (8 * i));
    buffer[4] = static_cast<std::byte>(rowLength);
    buffer[5] = static_cast<std::byte>(rowLength >> 8);
    buffer[6] = std::byte{0};
    buffer[7] = static_cast<std::byte>(rows.l2FormatCode());
    buffer[8] = std::byte{0};
    size_t used = kL2MHeaderSize;
    for (size_t y = 0; y < rowCount; ++y) {
        if (buffer.size() - used < rowBytes) {
            if (!writer.Write({buffer.data(), used})) break;
            used = 0;
        }
        rows.EncodeRowAsL2M(y, buffer.data() + used);
        used += rowBytes;
        if (progress.AbortRequested()) return false;  // the writer discards its file
        if (rows.ReadFailed()) break;
        progress.Report(CellsCompleted(y, rowLength), CellsCompleted(y, rowLength));
    }
    if (!rows.ReportReadFailure(messages)) return false;  // the writer discards its file
    if (!writer.Write({buffer.data(), used}) || !writer.Commit()) {
        ReportL2MWriteFailure(messages, writer.Detail());
        return false;
    }
    return true;
}

}  // namespace lorvane
