// Feeds arbitrary bytes to the Texture.bin reader, then saves what loaded and
// loads that again: it must read back.
#include <cstdlib>

#include "base/message.h"
#include "tiledb/texture_bin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::NullMessages messages;
    const auto database =
        lorvane::ParseTextureBin({reinterpret_cast<const std::byte*>(data), size}, messages);
    if (database) {
        const auto bytes = lorvane::SerializeTextureBin(*database);
        if (!lorvane::ParseTextureBin(bytes, messages)) std::abort();
    }
    return 0;
}
