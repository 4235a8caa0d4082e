#include "tiledb/texture_dump.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cstdint>
#include <span>
#include <vector>

#include "base/format.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

namespace {

constexpr std::string_view kHeader = "lorvane-texture 1";
constexpr std::string_view kNanPrefix = "nan:";
constexpr const char* kHexDigits = "0123456789ABCDEF";
constexpr uint32_t kExponentBits = 0x7F800000;
constexpr uint32_t kFractionBits = 0x007FFFFF;

void PutHexByte(std::string& out, unsigned char byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

void PutFloat(std::string& out, float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    out += ' ';
    if ((bits & kExponentBits) == kExponentBits) {
        if ((bits & kFractionBits) == 0) {
            out += (bits >> 31) != 0 ? "-inf" : "inf";
            return;
        }
        out += kNanPrefix;
        for (int shift = 24; shift >= 0; shift -= 8)
            PutHexByte(out, static_cast<unsigned char>(bits >> shift));
        return;
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void PutName(std::string& out, const TileName& name) {
    const std::string_view text = NameText(name);
    out += " \"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += "\\x";
            PutHexByte(out, byte);
        }
    }
    out += '"';
    // The bytes after the NUL, up to the last that is not zero.
    size_t last = kTileNameSize;
    while (last > text.size() + 1 && name[last - 1] == '\0') --last;
    if (last <= text.size() + 1) return;
    out += ' ';
    for (size_t k = text.size() + 1; k < last; ++k)
        PutHexByte(out, static_cast<unsigned char>(name[k]));
}

// ---- Reading ----

std::optional<int> HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

std::optional<unsigned char> HexByte(std::string_view two) {
    if (two.size() != 2) return std::nullopt;
    const auto high = HexValue(two[0]);
    const auto low = HexValue(two[1]);
    if (!high || !low) return std::nullopt;
    return static_cast<unsigned char>(*high * 16 + *low);
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
        const size_t start = k;
        while (k < line.size() && line[k] != ' ' && line[k] != '\t') ++k;
        if (k > start) words.push_back(line.substr(start, k - start));
    }
    return words;
}

template <typename Int>
bool ParseInt(std::string_view word, Int& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

bool ParseFloat(std::string_view word, float& value) {
    if (word.starts_with(kNanPrefix)) {
        const std::string_view digits = word.substr(kNanPrefix.size());
        uint32_t bits = 0;
        if (digits.size() != 8) return false;
        for (size_t k = 0; k < 8; k += 2) {
            const auto byte = HexByte(digits.substr(k, 2));
            if (!byte) return false;
            bits = bits << 8 | *byte;
        }
        if ((bits & kExponentBits) != kExponentBits || (bits & kFractionBits) == 0) return false;
        value = std::bit_cast<float>(bits);
        return true;
    }
    if (word == "inf" || word == "-inf") {
        value = std::bit_cast<float>(word[0] == '-' ? 0xFF800000u : kExponentBits);
        return true;
    }
    const auto [end, error] =
        std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::general);
    return error == std::errc() && end == word.data() + word.size() &&
           (std::bit_cast<uint32_t>(value) & kExponentBits) != kExponentBits;
}

// The name of a tile line and the bytes after its NUL; false when the word
// is not a quoted name of at most 19 bytes or the hex does not fit after it.
bool ParseName(std::string_view word, std::string_view tail, TileName& name) {
    if (word.size() < 2 || word.front() != '"' || word.back() != '"') return false;
    const std::string_view inner = word.substr(1, word.size() - 2);
    std::string bytes;
    for (size_t k = 0; k < inner.size(); ++k) {
        const char c = inner[k];
        if (c != '\\') {
            const auto byte = static_cast<unsigned char>(c);
            if (byte <= 0x20 || byte >= 0x7F || c == '"') return false;
            bytes += c;
            continue;
        }
        if (k + 1 < inner.size() && (inner[k + 1] == '\\' || inner[k + 1] == '"')) {
            bytes += inner[++k];
            continue;
        }
        if (k + 3 >= inner.size()) return false;
        const auto byte = inner[k + 1] == 'x' ? HexByte(inner.substr(k + 2, 2)) : std::nullopt;
        if (!byte || *byte == 0) return false;
        bytes += static_cast<char>(*byte);
        k += 3;
    }
    if (bytes.size() >= kTileNameSize || tail.size() % 2 != 0 ||
        bytes.size() + 1 + tail.size() / 2 > kTileNameSize) {
        return false;
    }
    name = TileName{};
    std::copy(bytes.begin(), bytes.end(), name.begin());
    for (size_t k = 0; k < tail.size(); k += 2) {
        const auto byte = HexByte(tail.substr(k, 2));
        if (!byte) return false;
        name[bytes.size() + 1 + k / 2] = static_cast<char>(*byte);
    }
    return true;
}

class DumpReader {
  public:
    explicit DumpReader(MessageSink& messages) : messages_(messages) {}

    bool Line(int number, std::string_view line) {
        number_ = number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!seenHeader_) {
            if (line != kHeader)
                return Fail(FormatText("the text does not begin with the line \"%s\".",
                                       std::string(kHeader).c_str()));
            seenHeader_ = true;
            return true;
        }
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].starts_with("#")) return true;
        if (words[0] == "set") return Set(words);
        if (words[0] == "tile") return Tile(words);
        if (words[0] == "area") return Area(words);
        if (words[0] == "path") return Path(words);
        return Fail("a line begins with set, tile, area or path.");
    }

    std::optional<TileDatabase> Finish() {
        if (!seenHeader_) {
            number_ = 1;
            Fail(FormatText("the text does not begin with the line \"%s\".",
                            std::string(kHeader).c_str()));
            return std::nullopt;
        }
        IndexTilesInPlace(database_);
        return std::move(database_);
    }

  private:
    bool Fail(const std::string& what) {
        messages_.Error(FormatText("Line %d of the database text: %s", number_, what.c_str()),
                        "Read Error");
        return false;
    }

    bool Set(const std::vector<std::string_view>& words) {
        int32_t number = 0;
        int type = 0;
        if (words.size() != 3 || !ParseInt(words[1], number) || !ParseInt(words[2], type) ||
            type < 0 || type > 255) {
            return Fail("a set line is: set NUMBER TYPE, with a type from 0 to 255.");
        }
        const auto expected = static_cast<int32_t>(database_.sets.size());
        if (expected >= kMaxSets)
            return Fail(FormatText("a Texture.bin can hold at most %d sets.", kMaxSets));
        if (number != expected)
            return Fail(FormatText("set %d stands where set %d belongs.", number, expected));
        database_.sets.emplace_back().terrainType = static_cast<uint8_t>(type);
        tile_ = nullptr;
        return true;
    }

    bool Tile(const std::vector<std::string_view>& words) {
        if (database_.sets.empty()) return Fail("a tile line comes before any set line.");
        TileSet& set = database_.sets.back();
        const auto s = static_cast<int32_t>(database_.sets.size() - 1);
        int32_t id = 0;
        TileName name{};
        if ((words.size() != 3 && words.size() != 4) || !ParseInt(words[1], id) ||
            !ParseName(words[2], words.size() == 4 ? words[3] : std::string_view{}, name)) {
            return Fail(
                "a tile line is: tile ID \"NAME\" [HEX], with a name of at most 19 bytes "
                "(\\xHH for a byte that is not a printable ASCII character, \\\" and \\\\) "
                "and the hex bytes after it fitting in 20.");
        }
        if (set.tileCount() >= kMaxTilesPerSet)
            return Fail(FormatText("set %d already holds %d tiles.", s, kMaxTilesPerSet));
        const int32_t expected = TileIdAt(s, set.tileCount());
        if (id != expected)
            return Fail(FormatText("tile %d stands where tile %d belongs.", id, expected));
        tile_ = &set.tiles.emplace_back();
        tile_->id = id;
        tile_->name = name;
        return true;
    }

    bool Floats(const std::vector<std::string_view>& words, std::span<float* const> fields) {
        for (size_t k = 0; k < fields.size(); ++k) {
            if (!ParseFloat(words[k + 2], *fields[k])) return false;
        }
        return true;
    }

    bool Room(size_t count) const {
        return tile_ != nullptr && count < static_cast<size_t>(INT32_MAX);
    }

    bool Area(const std::vector<std::string_view>& words) {
        if (tile_ == nullptr) return Fail("an area line comes before any tile line.");
        TileArea area;
        float* const fields[] = {&area.radius, &area.centerX, &area.centerY};
        if (words.size() != 5 || !ParseInt(words[1], area.type) || !Floats(words, fields))
            return Fail("an area line is: area TYPE RADIUS CENTREX CENTREY.");
        if (!Room(tile_->areas.size() + 1)) return Fail("the tile holds too many areas.");
        tile_->areas.push_back(area);
        return true;
    }

    bool Path(const std::vector<std::string_view>& words) {
        if (tile_ == nullptr) return Fail("a path line comes before any tile line.");
        TilePath path;
        float* const fields[] = {&path.width, &path.startX, &path.startY, &path.endX, &path.endY};
        if (words.size() != 7 || !ParseInt(words[1], path.type) || !Floats(words, fields))
            return Fail("a path line is: path TYPE WIDTH STARTX STARTY ENDX ENDY.");
        if (!Room(tile_->paths.size() + 1)) return Fail("the tile holds too many paths.");
        tile_->paths.push_back(path);
        return true;
    }

    MessageSink& messages_;
    TileDatabase database_;
    TileRecord* tile_ = nullptr;
    bool seenHeader_ = false;
    int number_ = 0;
};

}  // namespace

std::string FloatText(float value) {
    std::string text;
    PutFloat(text, value);
    return text.substr(1);
}

std::string NameDumpText(const TileName& name) {
    std::string text;
    PutName(text, name);
    return text.substr(1);
}

std::string DumpTextureBin(const TileDatabase& database) {
    std::string out(kHeader);
    out += '\n';
    for (size_t s = 0; s < database.sets.size(); ++s) {
        const TileSet& set = database.sets[s];
        out += "set " + std::to_string(s) + ' ' + std::to_string(set.terrainType) + '\n';
        for (size_t k = 0; k < set.tiles.size(); ++k) {
            const TileRecord& tile = set.tiles[k];
            out += "tile " +
                   std::to_string(TileIdAt(static_cast<int32_t>(s), static_cast<int32_t>(k)));
            PutName(out, tile.name);
            out += '\n';
            for (const TileArea& area : tile.areas) {
                out += "area " + std::to_string(area.type);
                for (const float value : {area.radius, area.centerX, area.centerY})
                    PutFloat(out, value);
                out += '\n';
            }
            for (const TilePath& path : tile.paths) {
                out += "path " + std::to_string(path.type);
                for (const float value :
                     {path.width, path.startX, path.startY, path.endX, path.endY})
                    PutFloat(out, value);
                out += '\n';
            }
        }
    }
    return out;
}

std::optional<TileDatabase> ParseTextureDump(std::string_view text, MessageSink& messages) {
    DumpReader reader(messages);
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        // Line numbers past int are held at its end; the line is still read.
        number = number < INT_MAX ? number + 1 : number;
        if (!reader.Line(number, line)) return std::nullopt;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return reader.Finish();
}

}  // namespace lorvane
