// Feeds arbitrary bytes to the L2M reader. A matrix that loads is square,
// 16·n posts a side, with a cell for every post, and no larger than the
// input can hold. Read as rows (streamed a band of rows at a time, as every
// L2M read is), each row written back as L2M records gives the input's bytes
// of that row.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/message.h"
#include "base/progress.h"
#include "terrain/terrain_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::NullMessages messages;
    lorvane::SilentProgress progress;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    const auto matrix = lorvane::LoadMatrixFromL2M(bytes, progress, messages);
    if (matrix) {
        const auto& d = matrix->dimensions;
        if (!matrix->IsComplete() || d.xMapExtent != d.yMapExtent ||
            d.xMapExtent != 16 * d.xSections || 9 + 9 * matrix->cells.size() > size) {
            std::abort();
        }
    }
    if (const auto rows = lorvane::TerrainRows::OfL2M(bytes, messages)) {
        const size_t rowBytes = rows->Columns() * lorvane::kL2MCellSize;
        std::vector<std::byte> row(rowBytes);
        for (size_t y = 0; y < rows->Rows(); ++y) {
            rows->EncodeRowAsL2M(y, row.data());
            if (std::memcmp(row.data(), data + lorvane::kL2MHeaderSize + y * rowBytes, rowBytes) !=
                0)
                std::abort();
        }
    }
    return 0;
}
