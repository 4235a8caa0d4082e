#include "terrain/theater_header.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/byte_writer.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

const TheaterMapDefaults kKorea{124.5f, 33.25f};

// A header written field by field: levelCount pairs, then the optional
// fields that are asked for (0 to 4 of them).
std::vector<std::byte> HeaderBytes(int32_t levelCount, int optionalFields,
                                   int32_t pairsWritten = -1) {
    ByteWriter out;
    out.F32(819.9f);   // feetBetweenL0Tiles
    out.I32(128);      // meaMapWidth
    out.I32(130);      // meaMapHeight
    out.F32(0.0003f);  // feetBetweenMeaPoints
    out.I32(levelCount);
    out.I32(2);                                                          // lastNearTiledLod
    out.I32(4);                                                          // lastFarTiledLod
    for (int i = 0; i < 1024; ++i) out.U8(static_cast<uint8_t>(i * 7));  // mapPalette
    for (int32_t i = 0; i < (pairsWritten < 0 ? levelCount : pairsWritten); ++i) {
        out.I32(256 >> i);
        out.I32((256 >> i) + 1);
    }
    if (optionalFields > 0) out.I32(1);        // flags
    if (optionalFields > 1) out.F32(-8.5f);    // swLongitude
    if (optionalFields > 2) out.F32(-12.75f);  // swLatitude
    if (optionalFields > 3) out.I32(9000);     // maxTheaterElevation
    return out.Take();
}

TEST(TheaterHeaderTest, FullHeaderReadsAndWritesBackTheSameBytes) {
    const auto bytes = HeaderBytes(6, 4);
    ASSERT_EQ(bytes.size(), 1116u);
    TheaterMapHeader header;
    MessageLog messages;
    ASSERT_TRUE(ParseTheaterMap(bytes, kKorea, header, messages));
    EXPECT_EQ(header.feetBetweenL0Tiles, 819.9f);
    EXPECT_EQ(header.meaMapWidth, 128);
    EXPECT_EQ(header.meaMapHeight, 130);
    EXPECT_EQ(header.levelWidth[5], 8);
    EXPECT_EQ(header.levelHeight[5], 9);
    EXPECT_EQ(header.mapPalette[3], std::byte{21});
    EXPECT_EQ(header.flags, 1);
    EXPECT_EQ(header.swLongitude, -8.5f);
    EXPECT_EQ(header.swLatitude, -12.75f);
    EXPECT_EQ(header.maxTheaterElevation, 9000);
    EXPECT_EQ(SerializeTheaterMap(header), bytes);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(TheaterHeaderTest, OlderFormsTakeTheDefaultsOfMissingFields) {
    struct Case {
        int optionalFields;
        size_t extraBytes;  // bytes of the next field present but cut short
        int32_t flags;
        float longitude;
        float latitude;
        int32_t elevation;
    };
    const Case cases[] = {
        {0, 0, 0, 124.5f, 33.25f, 12000},  // ends after the level pairs: 1100 bytes
        {0, 3, 0, 124.5f, 33.25f, 12000}, {1, 0, 1, 124.5f, 33.25f, 12000},
        {2, 2, 1, -8.5f, 33.25f, 12000},  {3, 0, 1, -8.5f, -12.75f, 12000},
        {3, 1, 1, -8.5f, -12.75f, 12000},
    };
    for (const Case& c : cases) {
        auto bytes = HeaderBytes(6, c.optionalFields);
        for (size_t i = 0; i < c.extraBytes; ++i) bytes.push_back(std::byte{0x7F});
        TheaterMapHeader header;
        header.flags = 99;  // values of an earlier header never leak into these
        header.maxTheaterElevation = 1;
        MessageLog messages;
        ASSERT_TRUE(ParseTheaterMap(bytes, kKorea, header, messages)) << c.optionalFields;
        EXPECT_EQ(header.flags, c.flags);
        EXPECT_EQ(header.swLongitude, c.longitude);
        EXPECT_EQ(header.swLatitude, c.latitude);
        EXPECT_EQ(header.maxTheaterElevation, c.elevation);
        // Written back, always in the full form.
        EXPECT_EQ(SerializeTheaterMap(header).size(), 1116u);
    }
}

TEST(TheaterHeaderTest, EveryCutInsideTheRequiredFieldsNamesItsField) {
    const auto whole = HeaderBytes(6, 0);
    ASSERT_EQ(whole.size(), 1100u);
    auto expected = [](size_t length) {
        if (length < 4) return "feet";
        if (length < 16) return "MEAsize";
        if (length < 20) return "levels";
        if (length < 24) return "near textured LOD";
        if (length < 28) return "far textured LOD";
        if (length < 1052) return "map palette";
        return "Level size";
    };
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<std::byte> bytes(whole.begin(),
                                           whole.begin() + static_cast<std::ptrdiff_t>(length));
        TheaterMapHeader header;
        header.levelWidth[0] = 5;
        const TheaterMapHeader before = header;
        MessageLog messages;
        ASSERT_FALSE(ParseTheaterMap(bytes, kKorea, header, messages)) << length;
        const Message message{std::string("Bad terrain header read (") + expected(length) + ")",
                              "Read Error", MessageIcon::Error};
        ASSERT_EQ(messages.messages, std::vector<Message>{message}) << length;
        ASSERT_EQ(header, before) << length;  // a failed read changes nothing
    }
}

TEST(TheaterHeaderTest, LevelCounts) {
    // Above 6: refused.
    TheaterMapHeader header;
    MessageLog messages;
    EXPECT_FALSE(ParseTheaterMap(HeaderBytes(7, 4), kKorea, header, messages));
    const Message levels{"Bad terrain header read (levels)", "Read Error", MessageIcon::Error};
    EXPECT_EQ(messages.messages, std::vector<Message>{levels});

    // 4 levels: rows L4 and L5 keep what the record held and are not written.
    header.levelWidth[4] = 16;
    header.levelHeight[5] = 8;
    ASSERT_TRUE(ParseTheaterMap(HeaderBytes(4, 4), kKorea, header, messages));
    EXPECT_EQ(header.levelWidth[3], 32);
    EXPECT_EQ(header.levelWidth[4], 16);
    EXPECT_EQ(header.levelHeight[5], 8);
    EXPECT_EQ(SerializeTheaterMap(header), HeaderBytes(4, 4));

    // 0 and below: no pairs; the optional fields follow the palette.
    for (int32_t count : {0, -3}) {
        const auto bytes = HeaderBytes(count, 4);
        ASSERT_EQ(bytes.size(), 1068u);
        ASSERT_TRUE(ParseTheaterMap(bytes, kKorea, header, messages));
        EXPECT_EQ(header.maxTheaterElevation, 9000);
        EXPECT_EQ(SerializeTheaterMap(header), bytes);
    }
}

TEST(TheaterHeaderTest, WriteKeepsTheBytesBeyondTheHeader) {
    const auto folder = testing::MakeTempFolder("lorvane-map");
    const auto path = folder / "Theater.map";
    // An older 1100-byte form whose file goes on with 20 more bytes: the new
    // header covers 16 of them, the last 4 stay.
    auto bytes = HeaderBytes(6, 0);
    for (int i = 0; i < 20; ++i) bytes.push_back(static_cast<std::byte>(0xA0 + i));
    testing::WriteFileBytes(path, bytes);
    TheaterMapHeader header;
    MessageLog messages;
    ASSERT_TRUE(ReadTheaterMap(path, kKorea, header, messages));
    EXPECT_EQ(header.flags, static_cast<int32_t>(0xA3A2A1A0));  // the next bytes read as flags
    header.levelWidth[2] = 64;
    header.maxTheaterElevation = 15000;
    ASSERT_TRUE(WriteTheaterMap(path, header, messages));
    const auto written = testing::ReadFileBytes(path);
    ASSERT_EQ(written.size(), 1120u);
    auto expected = SerializeTheaterMap(header);
    expected.insert(expected.end(), bytes.begin() + 1116, bytes.end());
    EXPECT_EQ(written, expected);

    // A short file grows to the whole header.
    testing::WriteFileBytes(path, HeaderBytes(6, 0));
    ASSERT_TRUE(WriteTheaterMap(path, header, messages));
    EXPECT_EQ(testing::ReadFileBytes(path), SerializeTheaterMap(header));
    EXPECT_TRUE(messages.messages.empty());
    std::filesystem::remove_all(folder);
}

TEST(TheaterHeaderTest, FileFailuresAreReported) {
    const auto folder = testing::MakeTempFolder("lorvane-map");
    const Message openFailed{"Error opening Theater.map file.", "File Open Error",
                             MessageIcon::Error};
    TheaterMapHeader header;
    MessageLog messages;
    EXPECT_FALSE(ReadTheaterMap(folder / "none.map", kKorea, header, messages));
    EXPECT_FALSE(WriteTheaterMap(folder / "none.map", header, messages));
    EXPECT_EQ(messages.messages, (std::vector<Message>{openFailed, openFailed}));
    EXPECT_FALSE(std::filesystem::exists(folder / "none.map"));

    testing::WriteFileBytes(folder / "Theater.map", HeaderBytes(6, 4));
    header.levelCount = 7;
    MessageLog refused;
    EXPECT_FALSE(WriteTheaterMap(folder / "Theater.map", header, refused));
    EXPECT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(testing::ReadFileBytes(folder / "Theater.map"), HeaderBytes(6, 4));
    std::filesystem::remove_all(folder);
}

TEST(TheaterHeaderTest, FieldTextsAndScanning) {
    TheaterMapHeader header;
    header.feetBetweenL0Tiles = 819.9f;
    header.levelHeight[3] = -17;
    EXPECT_EQ(FieldText(header, *FindTheaterMapField("feetBetweenL0Tiles")), "819.900024");
    EXPECT_EQ(FieldText(header, *FindTheaterMapField("levelHeight3")), "-17");
    EXPECT_EQ(FindTheaterMapField("levelHeight6"), nullptr);
    EXPECT_EQ(FindTheaterMapField("mapPalette"), nullptr);

    struct Case {
        const char* name;
        const char* text;
        std::optional<size_t> taken;
        std::string after;  // the field's text afterwards
    };
    const Case cases[] = {
        {"lastNearTiledLod", " 12abc", 3, "12"},
        {"lastNearTiledLod", "+7", 2, "7"},
        {"lastNearTiledLod", "abc", std::nullopt, "0"},
        {"lastNearTiledLod", "", std::nullopt, "0"},
        {"lastNearTiledLod", "99999999999", 11, "2147483647"},
        {"swLatitude", "-3.5 south", 4, "-3.500000"},
        {"swLatitude", "1e2", 3, "100.000000"},
        {"swLatitude", ".", std::nullopt, "0.000000"},
        {"flags", "0x10", 1, "0"},  // "%d" stops at the x
    };
    for (const Case& c : cases) {
        TheaterMapHeader scanned;
        const TheaterMapField& field = *FindTheaterMapField(c.name);
        EXPECT_EQ(ScanFieldText(scanned, field, c.text), c.taken) << c.text;
        EXPECT_EQ(FieldText(scanned, field), c.after) << c.text;
    }
    // Every dialog field reads back what it shows.
    for (const TheaterMapField& field : TheaterMapFields) {
        TheaterMapHeader shown;
        ASSERT_TRUE(
            ScanFieldText(shown, field, field.format == FieldFormat::Float ? "12.5" : "12"));
        TheaterMapHeader again;
        ASSERT_TRUE(ScanFieldText(again, field, FieldText(shown, field)));
        EXPECT_EQ(shown, again) << field.name;
        EXPECT_NE(shown, TheaterMapHeader{})
            << field.name;  // the text went into a field of its own
    }
}

}  // namespace
}  // namespace lorvane
