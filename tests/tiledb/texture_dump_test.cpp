#include "tiledb/texture_dump.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <random>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

using testing::MakeDatabase;
using testing::MakeTile;

std::vector<std::byte> RoundTrip(const TileDatabase& database) {
    MessageLog messages;
    const auto back = ParseTextureDump(DumpTextureBin(database), messages);
    EXPECT_TRUE(back.has_value()) << (messages.messages.empty() ? "" : messages.messages[0].text);
    return back ? SerializeTextureBin(*back) : std::vector<std::byte>{};
}

// Floats of any bits (NaN payloads, -0, denormals, infinities), any type
// codes, names of any bytes with bytes after their NUL.
TileDatabase RandomDatabase(std::mt19937& random) {
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const uint32_t specials[] = {0x80000000u, 0x00000001u, 0x807FFFFFu, 0x7F800000u,
                                 0xFF800000u, 0x7FC00000u, 0xFFFFFFFFu, 0x7F800001u};
    const auto number = [&] {
        const uint32_t bits =
            pick(0, 3) == 0 ? specials[pick(0, 7)] : static_cast<uint32_t>(random());
        return std::bit_cast<float>(bits);
    };
    std::vector<TileSet> sets(static_cast<size_t>(pick(0, 4)));
    for (TileSet& set : sets) {
        set.terrainType = static_cast<uint8_t>(pick(0, 255));
        for (int k = pick(0, 16); k > 0; --k) {
            TileRecord tile;
            const int length = pick(0, 19);
            for (int c = 0; c < length; ++c)
                tile.name[static_cast<size_t>(c)] = static_cast<char>(pick(1, 255));
            for (int c = length + 1; c < 20; ++c)
                tile.name[static_cast<size_t>(c)] =
                    pick(0, 2) == 0 ? static_cast<char>(pick(0, 255)) : '\0';
            for (int p = pick(0, 3); p > 0; --p)
                tile.paths.push_back({static_cast<int32_t>(random()), number(), number(), number(),
                                      number(), number()});
            for (int a = pick(0, 3); a > 0; --a)
                tile.areas.push_back(
                    {static_cast<int32_t>(random()), number(), number(), number()});
            set.tiles.push_back(tile);
        }
    }
    return MakeDatabase(std::move(sets));
}

TEST(TextureDump, RandomDatabasesComeBackByteForByte) {
    std::mt19937 random(21);
    for (int round = 0; round < 300; ++round) {
        const TileDatabase database = RandomDatabase(random);
        EXPECT_EQ(RoundTrip(database), SerializeTextureBin(database)) << "round " << round;
    }
}

// Every corpus input the Texture.bin reader takes comes back as the bytes
// its reader keeps.
TEST(TextureDump, EveryLoadableCorpusInputComesBack) {
    int loaded = 0;
    for (const char* corpus : {"texture_bin", "database_json"}) {
        const auto folder = std::filesystem::path(LORVANE_SOURCE_DIR) / "fuzz" / "corpus" / corpus;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            NullMessages messages;
            const auto database = ParseTextureBin(testing::ReadFileBytes(file.path()), messages);
            if (!database) continue;
            ++loaded;
            EXPECT_EQ(RoundTrip(*database), SerializeTextureBin(*database)) << file.path();
        }
    }
    EXPECT_GT(loaded, 5);
}

TEST(TextureDump, TextIsOneLinePerRecord) {
    TileRecord tail = MakeTile("H0\"1\\.PCX");
    tail.name[12] = 'A';
    tail.name[14] = '\x01';
    const TileDatabase database = MakeDatabase(
        {TileSet{6,
                 {MakeTile("H000.PCX", {{10, 40.5f, 0.1f, -0.0f, 3279.9f, 1e-7f}},
                           {{1, 120.25f, std::bit_cast<float>(0x7FC00001u), 1e-45f}})}},
         TileSet{0, {}}, TileSet{9, {MakeTile("H\xE9 1.PCX"), tail}}});
    EXPECT_EQ(DumpTextureBin(database),
              "lorvane-texture 1\n"
              "set 0 6\n"
              "tile 0 \"H000.PCX\"\n"
              "area 1 120.25 nan:7FC00001 1e-45\n"
              "path 10 40.5 0.1 -0 3279.9 1e-07\n"
              "set 1 0\n"
              "set 2 9\n"
              "tile 32 \"H\\xE9\\x201.PCX\"\n"
              "tile 33 \"H0\\x221\\x5C.PCX\" 0000410001\n");
}

// Each damaged text is refused with the number of the line at fault.
TEST(TextureDump, DamagedTextsAreRefusedWithTheirLine) {
    const std::string header = "lorvane-texture 1\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"",
         "Line 1 of the database text: the text does not begin with the line \"lorvane-texture "
         "1\"."},
        {"set 0 1\n",
         "Line 1 of the database text: the text does not begin with the line \"lorvane-texture "
         "1\"."},
        {header + "set 1 4\n", "Line 2 of the database text: set 1 stands where set 0 belongs."},
        {header + "set 0 256\n",
         "Line 2 of the database text: a set line is: set NUMBER TYPE, with a type from 0 to 255."},
        {header + "tile 0 \"H\"\n",
         "Line 2 of the database text: a tile line comes before any set line."},
        {header + "set 0 4\n\n# note\ntile 3 \"H\"\n",
         "Line 5 of the database text: tile 3 stands where tile 0 belongs."},
        {header + "set 0 4\narea 1 1 1 1\n",
         "Line 3 of the database text: an area line comes before any tile line."},
        {header + "set 0 4\ntile 0 \"H\"\narea 1 1e39 0 0\n",
         "Line 4 of the database text: an area line is: area TYPE RADIUS CENTREX CENTREY."},
        {header + "set 0 4\ntile 0 \"H\"\npath 1 1 1 1 1\n",
         "Line 4 of the database text: a path line is: path TYPE WIDTH STARTX STARTY ENDX ENDY."},
        {header + "set 0 4\ntile 0 \"H\"\npath 1 1 1 1 1 nan:7F800000\n",
         "Line 4 of the database text: a path line is: path TYPE WIDTH STARTX STARTY ENDX ENDY."},
        {header + "set 0 4\nroad 1\n",
         "Line 3 of the database text: a line begins with set, tile, area or path."},
    };
    for (const auto& test : cases) {
        MessageLog messages;
        EXPECT_FALSE(ParseTextureDump(test.text, messages).has_value()) << test.text;
        ASSERT_EQ(messages.messages.size(), 1u) << test.text;
        EXPECT_EQ(messages.messages[0].text, test.message);
        EXPECT_EQ(messages.messages[0].caption, "Read Error");
    }
    // Names that do not fit: too long, a NUL, bytes after it past 20, bad escapes.
    for (const char* tile : {"tile 0 \"NNNNNNNNNNNNNNNNNNNN\"", "tile 0 \"H\\x00\"",
                             "tile 0 \"H000.PCX\" 414141414141414141414141", "tile 0 \"H\\x4\"",
                             "tile 0 H000.PCX", "tile 0 \"H\" 414", "tile 0 \"H\xE9\""}) {
        MessageLog messages;
        EXPECT_FALSE(ParseTextureDump(header + "set 0 4\n" + tile + "\n", messages)) << tile;
    }
    // Seventeen tiles in a set, 257 sets.
    std::string full = header + "set 0 4\n";
    for (int k = 0; k < 17; ++k) full += "tile " + std::to_string(k) + " \"H\"\n";
    MessageLog messages;
    EXPECT_FALSE(ParseTextureDump(full, messages));
    EXPECT_EQ(messages.messages.at(0).text,
              "Line 19 of the database text: set 0 already holds 16 tiles.");
    std::string many = header;
    for (int s = 0; s < 257; ++s) many += "set " + std::to_string(s) + " 1\n";
    EXPECT_FALSE(ParseTextureDump(many, messages));
    // CR LF lines and blanks read as LF lines do.
    const auto crlf =
        ParseTextureDump("lorvane-texture 1\r\nset 0 4\r\n  tile 0 \"H\"\t \r\n", messages);
    ASSERT_TRUE(crlf);
    EXPECT_EQ(NameText(crlf->sets.at(0).tiles.at(0).name), "H");
}

}  // namespace
}  // namespace lorvane
