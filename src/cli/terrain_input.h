#pragma once
// The terrain input of the command-line tool's commands: an L2 file (with its
// O2 file beside it) or an L2M file, told apart by the extension in any
// letter case.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "base/message.h"
#include "base/progress.h"
#include "terrain/terrain_matrix.h"

namespace lorvane::cli {

// A progress range from a count that may be large.
int Range(uint64_t count);

bool IsL2MPath(const std::filesystem::path& path);

// Builds the matrix from an L2/O2 pair or loads it from an L2M file, under
// the progress caption of the desktop program; none after the messages.
std::optional<TerrainMatrix> ReadTerrain(const std::filesystem::path& path, Progress& progress,
                                         MessageSink& messages);

}  // namespace lorvane::cli
