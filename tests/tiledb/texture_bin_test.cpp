#include "tiledb/texture_bin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/byte_writer.h"
#include "base/path_text.h"
#include "support/changing_file.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

const char* const kHeaderMessage = "Could not read texture.bin file.";
const char* const kNameMessage =
    "Could not read sets number Filename in texture.bin file. Error = 38";
const char* const kAreaCountMessage = "Could not read sets nAreas in texture.bin file.";
const char* const kPathCountMessage = "Could not read sets nPaths in texture.bin file.";
const char* const kAreasMessage = "Could not read areas in texture.bin file.";
const char* const kPathsMessage = "Could not read paths in texture.bin file.";

// Writes a tile name of 20 bytes: the text, a NUL, then filler bytes that a
// load and save must carry through unchanged.
void Name(ByteWriter& out, const std::string& text, char filler) {
    TileName name{};
    name.fill(filler);
    std::copy(text.begin(), text.end(), name.begin());
    name[text.size()] = '\0';
    out.Chars(name);
}

struct Field {
    size_t start;
    const char* message;
};

// A small Texture.bin written field by field, and the field each byte
// belongs to.
struct SmallFile {
    std::vector<std::byte> bytes;
    std::vector<Field> fields;
};

SmallFile MakeSmallFile() {
    SmallFile file;
    ByteWriter out;
    auto mark = [&](const char* message) { file.fields.push_back({out.Size(), message}); };
    mark(kHeaderMessage);
    out.I32(2);  // setCount
    out.I32(3);  // tileCount
    out.I32(2);  // set 0: tileCount
    out.U8(4);   //        terrainType Plains
    mark(kNameMessage);
    Name(out, "H0A3.PCX", 'x');  // stored first: loading gives it id 0
    mark(kAreaCountMessage);
    out.I32(1);
    mark(kPathCountMessage);
    out.I32(1);
    mark(kAreasMessage);
    out.I32(1);  // Water, radius 120.5 at (300, 400.25)
    out.F32(120.5f);
    out.F32(300.0f);
    out.F32(400.25f);
    mark(kPathsMessage);
    out.I32(10);  // Road, width 40 from (0, 0) to (3280, 1640)
    out.F32(40.0f);
    out.F32(0.0f);
    out.F32(0.0f);
    out.F32(3280.0f);
    out.F32(1640.0f);
    mark(kNameMessage);
    Name(out, "H0A4.PCX", '\0');
    mark(kAreaCountMessage);
    out.I32(0);
    mark(kPathCountMessage);
    out.I32(0);
    mark(kHeaderMessage);
    out.I32(1);  // set 1: tileCount
    out.U8(7);   //        terrainType Thick Forest
    mark(kNameMessage);
    Name(out, "h010.pcx", '\x7f');
    mark(kAreaCountMessage);
    out.I32(0);
    mark(kPathCountMessage);
    out.I32(2);
    mark(kPathsMessage);
    for (int i = 0; i < 2; ++i) {
        out.I32(2);
        out.F32(60.0f);
        out.F32(100.0f * static_cast<float>(i));
        out.F32(5.0f);
        out.F32(100.0f * static_cast<float>(i + 1));
        out.F32(5.0f);
    }
    file.bytes = out.Take();
    return file;
}

const char* ExpectedMessageAt(const SmallFile& file, size_t offset) {
    const char* message = nullptr;
    for (const Field& field : file.fields) {
        if (field.start <= offset) message = field.message;
    }
    return message;
}

TEST(LoadTextureBin, ReadsEveryFieldAndBuildsTheIndex) {
    const SmallFile file = MakeSmallFile();
    MessageLog messages;
    const auto database = ParseTextureBin(file.bytes, messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(database->setCount(), 2);
    ASSERT_EQ(database->tileCount(), 3);
    const TileSet& first = database->sets[0];
    EXPECT_EQ(first.terrainType, 4);
    ASSERT_EQ(first.tileCount(), 2);
    const TileRecord& tile = first.tiles[0];
    EXPECT_EQ(NameText(tile.name), "H0A3.PCX");
    EXPECT_EQ(tile.id, 0);  // ids come from the place in the file, not the name
    ASSERT_EQ(tile.areaCount(), 1);
    EXPECT_EQ(tile.areas[0], (TileArea{1, 120.5f, 300.0f, 400.25f}));
    ASSERT_EQ(tile.pathCount(), 1);
    EXPECT_EQ(tile.paths[0], (TilePath{10, 40.0f, 0.0f, 0.0f, 3280.0f, 1640.0f}));
    EXPECT_TRUE(first.tiles[1].paths.empty());
    EXPECT_TRUE(first.tiles[1].areas.empty());
    EXPECT_EQ(database->sets[1].tiles[0].id, 16);

    const TileIndexEntry& entry = database->index[0];
    EXPECT_EQ(entry.id, 0);
    EXPECT_EQ(entry.number, 0x0A3u);
    EXPECT_EQ(entry.setIndex, 0);
    EXPECT_EQ(entry.tileIndex, 0);
    EXPECT_EQ(entry.terrainType, 4);
    EXPECT_EQ(entry.modified, 0);
    EXPECT_EQ(entry.name[9], '\0');  // the index copies the name up to its NUL only
    const TileIndexEntry& last = database->index[2];
    EXPECT_EQ(last.id, 16);
    EXPECT_EQ(last.setIndex, 1);
    EXPECT_EQ(last.tileIndex, 0);
    EXPECT_EQ(last.terrainType, 7);
    EXPECT_EQ(last.number, 0x010u);
}

TEST(LoadTextureBin, SaveOfAnUnchangedLoadGivesIdenticalBytes) {
    const SmallFile file = MakeSmallFile();
    NullMessages messages;
    const auto database = ParseTextureBin(file.bytes, messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_EQ(SerializeTextureBin(*database), file.bytes);
}

TEST(LoadTextureBin, EveryCutGivesTheMessageOfTheFieldBeingRead) {
    const SmallFile file = MakeSmallFile();
    for (size_t cut = 0; cut < file.bytes.size(); ++cut) {
        MessageLog messages;
        const std::span<const std::byte> head(file.bytes.data(), cut);
        EXPECT_FALSE(ParseTextureBin(head, messages).has_value()) << "cut at " << cut;
        ASSERT_EQ(messages.messages.size(), 1u) << "cut at " << cut;
        const Message& message = messages.messages[0];
        EXPECT_EQ(message.text, ExpectedMessageAt(file, cut)) << "cut at " << cut;
        EXPECT_EQ(message.caption, "Read Error");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }
}

std::vector<std::byte> HeaderOnly(int32_t setCount, int32_t tileCount) {
    ByteWriter out;
    out.I32(setCount);
    out.I32(tileCount);
    return out.Take();
}

// A file of one set with one tile whose counts are given.
std::vector<std::byte> OneTile(int32_t setTiles, int32_t areaCount, int32_t pathCount,
                               bool nul = true) {
    ByteWriter out;
    out.I32(1);
    out.I32(1);
    out.I32(setTiles);
    out.U8(1);
    TileName name{};
    name.fill('A');
    if (nul) name[19] = '\0';
    out.Chars(name);
    out.I32(areaCount);
    out.I32(pathCount);
    return out.Take();
}

TEST(LoadTextureBin, RefusesCountsTheFileCannotHold) {
    struct Case {
        const char* what;
        std::vector<std::byte> bytes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"negative setCount", HeaderOnly(-1, 0), kHeaderMessage},
        {"negative tileCount", HeaderOnly(0, -3), kHeaderMessage},
        {"huge setCount", HeaderOnly(0x7FFFFFFF, 0x7FFFFFFF), kHeaderMessage},
        {"negative set tileCount", OneTile(-1, 0, 0), kHeaderMessage},
        {"sets hold more tiles than the header", OneTile(2, 0, 0), kHeaderMessage},
        {"negative areaCount", OneTile(1, -1, 0), kAreasMessage},
        {"negative pathCount", OneTile(1, 0, -7), kPathsMessage},
        {"huge areaCount", OneTile(1, 0x7FFFFFFF, 0), kAreasMessage},
        {"huge pathCount", OneTile(1, 0, 0x10000000), kPathsMessage},
        {"name without NUL", OneTile(1, 0, 0, false),
         "Could not read sets number Filename in texture.bin file. Error = 13"},
    };
    for (const Case& c : cases) {
        MessageLog messages;
        EXPECT_FALSE(ParseTextureBin(c.bytes, messages).has_value()) << c.what;
        ASSERT_EQ(messages.messages.size(), 1u) << c.what;
        EXPECT_EQ(messages.messages[0].text, c.message) << c.what;
    }
}

TEST(LoadTextureBin, EmptyShapesLoadAndSaveBack) {
    NullMessages messages;
    const auto empty = ParseTextureBin(HeaderOnly(0, 0), messages);
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->setCount(), 0);
    EXPECT_EQ(SerializeTextureBin(*empty), HeaderOnly(0, 0));

    ByteWriter emptySet;
    emptySet.I32(1);
    emptySet.I32(0);
    emptySet.I32(0);
    emptySet.U8(9);
    const auto bytes = emptySet.Take();
    const auto database = ParseTextureBin(bytes, messages);
    ASSERT_TRUE(database.has_value());
    EXPECT_TRUE(database->sets[0].tiles.empty());
    EXPECT_EQ(SerializeTextureBin(*database), bytes);  // the set is its 5 bytes

    const auto bare = OneTile(1, 0, 0);
    EXPECT_EQ(bare.size(), 8u + 5u + 28u);  // a tile without lists is 28 bytes
    EXPECT_TRUE(ParseTextureBin(bare, messages).has_value());
}

TEST(LoadTextureBin, MissingFileIsAnOpenError) {
    MessageLog messages;
    EXPECT_FALSE(LoadTextureBin("/no/such/folder/Texture.bin", messages).has_value());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0],
              (Message{"Error opening Texture.bin file.", "File Open Error", MessageIcon::Error}));
}

TEST(LoadTextureBin, WhatASaveWouldNotWriteAgainIsRefusedOrSaid) {
    const auto setTileCount = [](std::vector<std::byte>& bytes, int32_t count) {
        std::memcpy(bytes.data() + 8, &count, 4);  // the first set's count
    };
    const std::vector<std::byte> sound =
        SerializeTextureBin(testing::MakeLargeDatabase(2, 3, 1, 1));
    struct Case {
        const char* what;
        std::vector<std::byte> bytes;
        bool loads;
        const char* said;  // nullptr: nothing
    };
    std::vector<Case> cases;
    cases.push_back({"sound", sound, true, nullptr});
    std::vector<std::byte> tail = sound;
    tail.insert(tail.end(), 5, std::byte{7});
    cases.push_back({"trailing bytes", tail, true, "holds 5 bytes after its last set"});
    std::vector<std::byte> count = sound;
    count[4] = std::byte{9};  // the header's tile count
    cases.push_back({"tile count", count, true, "says it holds 9 tiles, and its sets hold 6"});
    std::vector<std::byte> full = SerializeTextureBin(testing::MakeLargeDatabase(1, 16, 0, 0));
    cases.push_back({"16 tiles", full, true, nullptr});
    // 17 tiles in the first set: the header and the set count say so.
    std::vector<std::byte> over = SerializeTextureBin(testing::MakeLargeDatabase(2, 16, 0, 0));
    over[4] = std::byte{32};
    setTileCount(over, 17);
    const size_t secondSet = 8 + 5 + 16 * 28;
    over.erase(over.begin() + secondSet, over.begin() + secondSet + 5);
    cases.push_back({"17 tiles", over, false, "Set 0 in Texture.bin has 17 tiles"});
    std::vector<std::byte> sets = SerializeTextureBin(testing::MakeLargeDatabase(257, 0, 0, 0));
    cases.push_back({"257 sets", sets, false, "holds 257 sets"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog messages;
        const auto database = ParseTextureBin(c.bytes, messages);
        EXPECT_EQ(database.has_value(), c.loads);
        if (c.said == nullptr) {
            EXPECT_TRUE(messages.messages.empty());
            ASSERT_TRUE(database);
            EXPECT_EQ(SerializeTextureBin(*database), c.bytes);  // nothing dropped
        } else {
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_NE(messages.messages[0].text.find(c.said), std::string::npos)
                << messages.messages[0].text;
        }
    }
}

class SaveTextureBinTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = testing::MakeTempFolder("lorvane-tiledb"); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(SaveTextureBinTest, WritesTheDatabaseAndTileInfo) {
    const SmallFile file = MakeSmallFile();
    NullMessages quiet;
    auto database = ParseTextureBin(file.bytes, quiet);
    ASSERT_TRUE(database.has_value());
    database->index[1].modified = 1;
    // A longer old file keeps no stale tail.
    testing::WriteFileBytes(folder / "Texture.bin", std::vector<std::byte>(1000, std::byte{0x55}));
    MessageLog messages;
    ASSERT_TRUE(SaveTextureBin(folder / "Texture.bin", *database, folder, messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(testing::ReadFileBytes(folder / "Texture.bin"), file.bytes);

    const auto info = testing::ReadFileBytes(folder / "TileInfo.dat");
    ASSERT_EQ(info.size(), 4u + 44u * 3u);
    EXPECT_EQ(info[0], std::byte{3});
    // The second entry: id 1, number 0x0A4, name, set 0, tile 1, type 4, modified 1.
    const size_t e = 4 + 44;
    EXPECT_EQ(info[e + 0], std::byte{1});
    EXPECT_EQ(info[e + 4], std::byte{0xA4});
    EXPECT_EQ(info[e + 8], std::byte{'H'});
    EXPECT_EQ(info[e + 32], std::byte{1});
    EXPECT_EQ(info[e + 36], std::byte{4});
    EXPECT_EQ(info[e + 37], std::byte{0});
    EXPECT_EQ(info[e + 40], std::byte{1});
}

TEST_F(SaveTextureBinTest, FailedSaveLeavesThePreviousFileAsItWas) {
    const auto old = std::vector<std::byte>(64, std::byte{0x42});
    // A folder where the database should go cannot be replaced by a file.
    std::filesystem::create_directories(folder / "Texture.bin" / "inside");
    MessageLog messages;
    const TileDatabase database = testing::MakeLargeDatabase(2, 3, 1, 1);
    // TileInfo.dat follows only a database that was written.
    const auto oldInfo = std::vector<std::byte>(12, std::byte{0x17});
    testing::WriteFileBytes(folder / "TileInfo.dat", oldInfo);
    EXPECT_FALSE(SaveTextureBin(folder / "Texture.bin", database, folder, messages));
    EXPECT_EQ(testing::ReadFileBytes(folder / "TileInfo.dat"), oldInfo);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0],
              (Message{"Error opening Texture.bin file.", "File Open Error", MessageIcon::Error}));
    EXPECT_EQ(messages.messages[0].detail, (folder / "Texture.bin").string() + ": Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Texture.bin"));

    testing::WriteFileBytes(folder / "Old.bin", old);
    MessageLog missing;
    EXPECT_FALSE(SaveTextureBin(folder / "nofolder" / "Old.bin", database, folder, missing));
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(missing.messages[0].text, "Error opening Texture.bin file.");
    EXPECT_EQ(missing.messages[0].caption, "File Open Error");
    EXPECT_EQ(missing.messages[0].detail,
              (folder / "nofolder" / "Old.bin").string() + ": No such file or directory");
    EXPECT_EQ(testing::ReadFileBytes(folder / "Old.bin"), old);
}

TEST_F(SaveTextureBinTest, UnwritableTileInfoIsReportedAndTheDatabaseStillSaved) {
    const TileDatabase database = testing::MakeLargeDatabase(1, 2, 0, 0);
    MessageLog messages;
    ASSERT_TRUE(SaveTextureBin(folder / "Texture.bin", database, folder / "missing", messages));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Write Error");
    EXPECT_EQ(testing::ReadFileBytes(folder / "Texture.bin"), SerializeTextureBin(database));
}

// A database of several bands saves to the bytes it serializes to and loads
// back from its file to the same database.
TEST_F(SaveTextureBinTest, ADatabaseOfManyBandsSavesAndLoadsWhole) {
    const TileDatabase database = testing::MakeLargeDatabase(32, 16, 50, 20);  // 790 KB
    const auto path = folder / "Texture.bin";
    NullMessages quiet;
    ASSERT_TRUE(SaveTextureBin(path, database, folder, quiet));
    const auto bytes = SerializeTextureBin(database);
    ASSERT_EQ(testing::ReadFileBytes(path), bytes);
    MessageLog messages;
    const auto loaded = LoadTextureBin(path, messages);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(SerializeTextureBin(*loaded), bytes);
    EXPECT_EQ(SerializeTileInfo(*loaded), SerializeTileInfo(database));
}

// A file that another program changes while it loads is refused with the
// open message and its reason, and nothing of what its cut would say.
TEST_F(SaveTextureBinTest, AFileThatChangesWhileItLoadsIsRefused) {
    const auto bytes = SerializeTextureBin(testing::MakeLargeDatabase(32, 16, 50, 20));
    const auto path = folder / "Texture.bin";
    for (const testing::FileChange& change : testing::FileChanges()) {
        SCOPED_TRACE(change.what);
        testing::WriteFileBytes(path, bytes);
        testing::ChangingFile file(*InputFile::Open(path), [&] { change.apply(path); });
        MessageLog messages;
        EXPECT_FALSE(ReadTextureBin(file, messages));
        const std::vector<Message> refused = {
            {"Error opening Texture.bin file.", "File Open Error", MessageIcon::Error}};
        ASSERT_EQ(messages.messages, refused);
        EXPECT_EQ(messages.messages[0].detail,
                  PathToUtf8(path) + ": the file changed while it was read");
    }
}

// Every input of the fuzz corpus loads from its file as from its bytes, with
// the same messages, and one loaded without a word saves to its very bytes.
TEST_F(SaveTextureBinTest, EveryCorpusInputLoadsFromItsFileAsFromItsBytes) {
    const auto corpus = std::filesystem::path(LORVANE_SOURCE_DIR) / "fuzz/corpus/texture_bin";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        const auto bytes = testing::ReadFileBytes(entry.path());
        MessageLog fromFile, fromBytes;
        const auto loaded = LoadTextureBin(entry.path(), fromFile);
        const auto parsed = ParseTextureBin(bytes, fromBytes);
        ASSERT_EQ(fromFile.messages, fromBytes.messages);
        ASSERT_EQ(loaded.has_value(), parsed.has_value());
        if (!loaded) continue;
        EXPECT_EQ(SerializeTextureBin(*loaded), SerializeTextureBin(*parsed));
        if (fromFile.messages.empty()) {
            EXPECT_EQ(SerializeTextureBin(*loaded), bytes);
        }
    }
}

}  // namespace
}  // namespace lorvane
