// Feeds arbitrary bytes to the Texture.bin reader, then saves what loaded and
// loads that again: it must read back, and a file read without a word must
// save to the very same bytes (nothing of it is dropped silently).
#include <cstdlib>
#include <cstring>

#include "base/message.h"
#include "tiledb/texture_bin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::MessageLog messages;
    const auto database =
        lorvane::ParseTextureBin({reinterpret_cast<const std::byte*>(data), size}, messages);
    if (database) {
        const auto bytes = lorvane::SerializeTextureBin(*database);
        lorvane::NullMessages quiet;
        if (!lorvane::ParseTextureBin(bytes, quiet)) std::abort();
        if (messages.messages.empty() &&
            (bytes.size() != size || std::memcmp(bytes.data(), data, size) != 0))
            std::abort();
    }
    return 0;
}
