// Feeds arbitrary bytes to the database text reader. A text that reads must
// give a database that saves as a Texture.bin the binary reader takes back,
// and whose text, read again, saves as the same bytes.
#include <cstdlib>
#include <string_view>

#include "base/message.h"
#include "tiledb/texture_bin.h"
#include "tiledb/texture_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lorvane;
    NullMessages messages;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto database = ParseTextureDump(text, messages);
    if (!database) return 0;
    const std::vector<std::byte> bytes = SerializeTextureBin(*database);
    const auto loaded = ParseTextureBin(bytes, messages);
    if (!loaded || SerializeTextureBin(*loaded) != bytes) std::abort();
    const auto again = ParseTextureDump(DumpTextureBin(*loaded), messages);
    if (!again || SerializeTextureBin(*again) != bytes) std::abort();
    return 0;
}
