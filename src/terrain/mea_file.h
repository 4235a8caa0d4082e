#pragma once
// The minimum egress altitude file (.mea): the highest post elevation of each
// block of 8 × 8 posts, as signed 16-bit values, block rows in order and the
// block column fastest: block (i, j) covers posts x = 8i … 8i+7,
// y = 8j … 8j+7 and is at byte 2·(j·(xMapExtent div 8) + i). No header.
//
// The maximum is taken over the unsigned elevations and stored as at most
// 32767.

#include <filesystem>
#include <optional>
#include <vector>

#include "base/file_io.h"
#include "base/message.h"
#include "terrain/terrain_matrix.h"
#include "terrain/terrain_rows.h"

namespace lorvane {

inline constexpr int kMeaBlock = 8;

// The whole file content, in one pass over the matrix. None for a matrix that
// is not complete (after the "not loaded" information).
std::optional<std::vector<std::byte>> ComposeMeaFile(const TerrainMatrix& matrix,
                                                     MessageSink& messages);

// The same from rows read one at a time: it holds one row and the grid.
// None when a read of the rows failed.
std::optional<std::vector<std::byte>> ComposeMeaFile(const TerrainRows& rows);

// Composes the grid and replaces the file at path safely. A file that cannot
// be created: "Error opening ,Theater>.mea file."; one that cannot be
// written: "Could not write the .mea file." (caption "Read Error").
bool GenerateMeaFile(const OutputTarget& path, const TerrainMatrix& matrix, MessageSink& messages);
bool GenerateMeaFile(const OutputTarget& path, const TerrainRows& rows, MessageSink& messages);

}  // namespace lorvane
