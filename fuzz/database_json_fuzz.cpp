// Feeds arbitrary bytes to the Texture.bin reader and writes every database
// it accepts as the JSON of "info --json": the text must be one valid JSON
// document in valid UTF-8 whatever bytes the names hold, with the counts of
// the database. The same bytes as one string must come out valid as well.
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>

#include "base/json_writer.h"
#include "base/message.h"
#include "tiledb/database_json.h"
#include "tiledb/texture_bin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lorvane::NullMessages messages;
    const auto database =
        lorvane::ParseTextureBin({reinterpret_cast<const std::byte*>(data), size}, messages);
    if (database) {
        std::ostringstream out;
        if (!lorvane::WriteDatabaseJson(out, *database)) std::abort();
        const auto json = nlohmann::json::parse(out.str(), nullptr, false);
        if (json.is_discarded() || json["setCount"] != database->setCount() ||
            json["tileCount"] != database->tileCount() ||
            json["sets"].size() != database->sets.size())
            std::abort();
    }
    std::ostringstream raw;
    {
        lorvane::JsonWriter writer(raw);
        writer.BeginArray();
        writer.String({reinterpret_cast<const char*>(data), size});
        writer.EndArray();
    }
    if (!nlohmann::json::accept(raw.str())) std::abort();
    return 0;
}
