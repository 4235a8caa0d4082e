#pragma once
// The tile image a command reads: a PCX file read whole and decoded, its
// header checked against the bytes that follow it first.

#include <optional>

#include "cli/cli.h"
#include "image/pcx.h"

namespace lorvane::cli {

// The decoded tile image; nullopt after saying on standard error why it
// cannot be read (the path and the system's reason, a damaged file, or an
// image past the decoder's limits).
std::optional<PcxImage> ReadTileImage(const PathArgument& tile);

}  // namespace lorvane::cli
