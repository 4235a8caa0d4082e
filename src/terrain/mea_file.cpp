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
    const auto columns = static_cast<size_t>(matrix.xMapExtent());
    const auto rows = static_cast<size_t>(matrix.yMapExtent());
    // A block starts at every 8th post; extents from terrain files are
    // multiples of 16, so every block is whole.
    const size_t blockColumns = (columns + kMeaBlock - 1) / kMeaBlock;
    const size_t blockRows = (rows + kMeaBlock - 1) / kMeaBlock;
    std::vector<std::byte> bytes(2 * blockColumns * blockRows);
    // The running maxima of one block row, fed a matrix row at a time.
    std::vector<uint16_t> highest(blockColumns);
    const TerrainCell* cell = matrix.cells.data();
    for (size_t by = 0; by < blockRows; ++by) {
        std::fill(highest.begin(), highest.end(), uint16_t{0});
        const size_t rowEnd = std::min(rows, (by + 1) * kMeaBlock);
        for (size_t y = by * kMeaBlock; y < rowEnd; ++y) {
            for (size_t x = 0; x < columns; ++x, ++cell) {
                uint16_t& block = highest[x / kMeaBlock];
                block = std::max(block, cell->elevation);
            }
        }
        std::byte* out = bytes.data() + 2 * by * blockColumns;
        for (uint16_t value : highest) {
            value = std::min(value, kHighestValue);
            *out++ = static_cast<std::byte>(value);
            *out++ = static_cast<std::byte>(value >> 8);
        }
    }
    return bytes;
}

bool GenerateMeaFile(const OutputTarget& path, const TerrainMatrix& matrix, MessageSink& messages) {
    const auto bytes = ComposeMeaFile(matrix, messages);
    if (!bytes) return false;
    std::string detail;
    switch (ReplaceFile(path, *bytes, &detail)) {
        case WriteStatus::Ok:
            return true;
        case WriteStatus::OpenFailed:
            messages.Error("Error opening ,Theater>.mea file.", "File Open Error", detail);
            break;
        case WriteStatus::WriteFailed:
            messages.Error("Could not write the .mea file.", "Read Error", detail);
            break;
    }
    return false;
}

}  // namespace lorvane
