#include "terrain/mea_file.h"

#include <algorithm>
#include <cstdint>

#include "base/file_io.h"

namespace lorvane {

namespace {
constexpr uint16_t kHighestValue = 32767;
}

std::optional<std::vector<std::byte>> ComposeMeaFile(const TerrainMatrix& matrix,
                                                     MessageSink& messages) {
    if (!matrix.IsComplete()) {
        messages.Exclamation("The L2 Terrain matrix (or file) has not been loaded.", "Information");
        return std::nullopt;
    }
    return ComposeMeaFile(TerrainRows::OfMatrix(matrix));
}

std::optional<std::vector<std::byte>> ComposeMeaFile(const TerrainRows& rows) {
    const size_t columns = rows.Columns();
    const size_t rowCount = rows.Rows();
    // A block starts at every 8th post; extents from terrain files are
    // multiples of 16, so every block is whole.
    const size_t blockColumns = (columns + kMeaBlock - 1) / kMeaBlock;
    const size_t blockRows = (rowCount + kMeaBlock - 1) / kMeaBlock;
    std::vector<std::byte> bytes(2 * blockColumns * blockRows);
    // The running maxima of one block row, fed a row's elevations at a time.
    std::vector<uint16_t> highest(blockColumns);
    std::vector<uint16_t> elevations(columns);
    for (size_t by = 0; by < blockRows; ++by) {
        std::fill(highest.begin(), highest.end(), uint16_t{0});
        const size_t rowEnd = std::min(rowCount, (by + 1) * kMeaBlock);
        for (size_t y = by * kMeaBlock; y < rowEnd; ++y) {
            rows.ElevationsOfRow(y, elevations.data());
            for (size_t i = 0; i < blockColumns; ++i) {
                uint16_t block = highest[i];
                const size_t end = std::min(columns, (i + 1) * kMeaBlock);
                for (size_t x = i * kMeaBlock; x < end; ++x) block = std::max(block, elevations[x]);
                highest[i] = block;
            }
        }
        std::byte* out = bytes.data() + 2 * by * blockColumns;
        for (uint16_t value : highest) {
            value = std::min(value, kHighestValue);
            *out++ = static_cast<std::byte>(value);
            *out++ = static_cast<std::byte>(value >> 8);
        }
    }
    if (rows.ReadFailed()) return std::nullopt;
    return bytes;
}

namespace {

bool WriteMeaFile(const OutputTarget& path, const std::optional<std::vector<std::byte>>& bytes,
                  MessageSink& messages) {
    if (!bytes) return false;
    std::string detail;
    switch (ReplaceFile(path, *bytes, &detail)) {
        case WriteStatus::Ok:
            return true;
        case WriteStatus::OpenFailed:
            messages.Error("Error opening the .mea file.", "File Open Error", detail);
            break;
        case WriteStatus::WriteFailed:
            messages.Error("Could not write the .mea file.", "Write Error", detail);
            break;
    }
    return false;
}

}  // namespace

bool GenerateMeaFile(const OutputTarget& path, const TerrainMatrix& matrix, MessageSink& messages) {
    return WriteMeaFile(path, ComposeMeaFile(matrix, messages), messages);
}

bool GenerateMeaFile(const OutputTarget& path, const TerrainRows& rows, MessageSink& messages) {
    const auto bytes = ComposeMeaFile(rows);
    return rows.ReportReadFailure(messages) && WriteMeaFile(path, bytes, messages);
}

}  // namespace lorvane
