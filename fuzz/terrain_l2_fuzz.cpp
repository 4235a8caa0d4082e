// Feeds arbitrary bytes to the matrix builder as an O2 and an L2 file: the
// first two bytes (little-endian) give the length of the O2 part, the rest
// after it is the L2 file. A matrix that builds has a cell for every post, or
// a kept section for every section;
// the same files read as rows (streamed a section row at a time through the
// band every terrain read uses) convert to L2M records and a .mea grid of
// their size.
#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "base/message.h"
#include "base/progress.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    const size_t o2Length = std::min<size_t>(
        std::to_integer<size_t>(bytes[0]) | std::to_integer<size_t>(bytes[1]) << 8, size - 2);
    const auto o2 = bytes.subspan(2, o2Length);
    const auto l2 = bytes.subspan(2 + o2Length);
    lorvane::NullMessages messages;
    lorvane::SilentProgress progress;
    const auto matrix = lorvane::BuildMatrixFromL2(l2, o2, progress, messages);
    if (matrix) {
        const auto n = static_cast<size_t>(matrix->dimensions.xSections);
        if (!matrix->IsComplete() || n * n > o2.size() / 4) std::abort();
        if (!matrix->SharesSections() && matrix->cells.size() != 256 * n * n) std::abort();
        // A matrix that keeps each section once names a kept one for every
        // section.
        if (matrix->SharesSections()) {
            const size_t kept =
                matrix->sharedCells.size() / lorvane::TerrainMatrix::kSharedSectionCells;
            if (matrix->sectionOf.size() != n * n || !matrix->cells.empty()) std::abort();
            for (const uint32_t section : matrix->sectionOf)
                if (section >= kept) std::abort();
        }
    }
    if (const auto rows = lorvane::TerrainRows::OfL2(l2, o2, messages)) {
        std::vector<std::byte> row(rows->Columns() * lorvane::kL2MCellSize);
        for (size_t y = 0; y < rows->Rows(); ++y) rows->EncodeRowAsL2M(y, row.data());
        const auto mea = lorvane::ComposeMeaFile(*rows);
        if (!mea || mea->size() != 2 * (rows->Columns() / 8) * (rows->Rows() / 8)) std::abort();
    }
    return 0;
}
