// Feeds arbitrary bytes to the Theater.map reader; a header that reads is
// written and read again, and must give the same bytes.
#include <cstdlib>

#include "base/message.h"
#include "terrain/theater_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::NullMessages messages;
    lorvane::TheaterMapHeader header;
    if (!lorvane::ParseTheaterMap({reinterpret_cast<const std::byte*>(data), size}, {}, header,
                                  messages))
        return 0;
    const auto bytes = lorvane::SerializeTheaterMap(header);
    lorvane::TheaterMapHeader again;
    if (!lorvane::ParseTheaterMap(bytes, {}, again, messages)) std::abort();
    if (lorvane::SerializeTheaterMap(again) != bytes) std::abort();
    return 0;
}
