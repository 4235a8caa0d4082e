// Feeds arbitrary bytes to the L2M reader. A matrix that loads is square,
// 16·n posts a side, with a cell for every post, and no larger than the
// input can hold.
#include <cstdlib>

#include "base/message.h"
#include "base/progress.h"
#include "terrain/terrain_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::NullMessages messages;
    lorvane::SilentProgress progress;
    const auto matrix = lorvane::LoadMatrixFromL2M({reinterpret_cast<const std::byte*>(data), size},
                                                   progress, messages);
    if (matrix) {
        const auto& d = matrix->dimensions;
        if (!matrix->IsComplete() || d.xMapExtent != d.yMapExtent ||
            d.xMapExtent != 16 * d.xSections || 9 + 9 * matrix->cells.size() > size) {
            std::abort();
        }
    }
    return 0;
}
