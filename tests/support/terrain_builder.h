#pragma once
// Builds terrain files in code for tests, benchmarks and the sample data: a
// matrix with varied cells, and the L2 and O2 bytes that hold it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "terrain/terrain_matrix.h"

namespace lorvane::testing {

// A square matrix of n × n sections whose cells vary with the post: tile ids
// below tileIdLimit, elevations, and every aux byte value in turn.
TerrainMatrix MakePatternMatrix(int32_t n, uint32_t tileIdLimit = 4096, uint8_t l2FormatCode = 0);

// One post record of 7 bytes (16-bit tile id) or 9 bytes (32-bit tile id).
std::vector<std::byte> EncodeL2Record(const TerrainCell& cell, int recordSize);

enum class SectionOrder { RowMajor, Reversed };

struct L2Files {
    std::vector<std::byte> l2;
    std::vector<std::byte> o2;
};

// The L2 and O2 bytes of a square matrix: the sections stored in the given
// order after leadingBytes filler bytes, the O2 pointing at each.
L2Files MakeL2Files(const TerrainMatrix& matrix, int recordSize,
                    SectionOrder order = SectionOrder::RowMajor, size_t leadingBytes = 0);

// Writes files.l2 to folder/stem.L2 and files.o2 to folder/stem.O2; returns
// the L2 path.
std::filesystem::path WriteL2Files(const std::filesystem::path& folder, const std::string& stem,
                                   const L2Files& files);

}  // namespace lorvane::testing
