// Feeds arbitrary bytes to the PCX decoder: a decoded image must have exactly
// stride × height pixel bytes, and stretching it must stay inside it.
#include <cstdlib>

#include "editor/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::byte> bytes{reinterpret_cast<const std::byte*>(data), size};
    // Headers that ask for more than 16 MiB of pixels are decoded correctly
    // but slowly; the fuzzer spends its time better elsewhere.
    const auto header = lorvane::ReadPcxHeader(bytes);
    if (header && header->Usable() &&
        static_cast<uint64_t>(header->Stride()) * static_cast<uint64_t>(header->Height()) >
            (16u << 20)) {
        return 0;
    }
    const auto image = lorvane::DecodePcx(bytes);
    if (!image) return 0;
    if (image->pixels.size() !=
        static_cast<size_t>(image->stride) * static_cast<size_t>(image->Height())) {
        std::abort();
    }
    const auto stretched = lorvane::StretchPcx(*image, 37, 23);
    if (stretched.size() != 37u * 23u) std::abort();
    return 0;
}
