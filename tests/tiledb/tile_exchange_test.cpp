#include "tiledb/tile_exchange.h"

#include <gtest/gtest.h>

#include "base/byte_writer.h"
#include "base/format.h"
#include "base/path_text.h"
#include "support/changing_file.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_sets.h"

namespace lorvane {
namespace {

const TilePath kRoad{10, 60.0f, 0.0f, 400.0f, 1640.0f, 1200.0f};
const TilePath kRiver{2, 120.5f, 200.0f, 3000.0f, 2800.0f, 2400.0f};
const TilePath kRail{11, 30.0f, 10.0f, 20.0f, 30.0f, 40.0f};
const TileArea kLake{1, 300.0f, 2400.0f, 800.0f};
const TileArea kTown{9, 200.25f, 900.0f, 2500.0f};

std::vector<TilePath> Paths(int count) {
    std::vector<TilePath> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back({10, 40.0f + static_cast<float>(i), 1, 2, 3, 4});
    return paths;
}

std::vector<TileArea> Areas(int count) {
    std::vector<TileArea> areas;
    for (int i = 0; i < count; ++i) areas.push_back({4, 100.0f + static_cast<float>(i), 5, 6});
    return areas;
}

// Set 0: H000 (2 paths, 1 area), H001 (nothing); set 1: H010 (5 paths,
// 2 areas), H011 (1 path).
TileDatabase SampleDatabase() {
    using testing::MakeTile;
    return testing::MakeDatabase(
        {TileSet{1, {MakeTile("H000.PCX", {kRoad, kRiver}, {kLake}), MakeTile("H001.PCX")}},
         TileSet{4, {MakeTile("H010.PCX", Paths(5), Areas(2)), MakeTile("H011.PCX", {kRail})}}});
}

std::vector<std::byte> Snapshot(const TileDatabase& database) {
    std::vector<std::byte> bytes = SerializeTextureBin(database);
    const std::vector<std::byte> index = SerializeTileInfo(database);
    bytes.insert(bytes.end(), index.begin(), index.end());
    for (const TileSet& set : database.sets) {
        for (const TileRecord& tile : set.tiles)
            bytes.push_back(static_cast<std::byte>(tile.modified));
    }
    return bytes;
}

void Area(ByteWriter& out, const TileArea& area) {
    out.I32(area.type);
    out.F32(area.radius);
    out.F32(area.centerX);
    out.F32(area.centerY);
}

void Path(ByteWriter& out, const TilePath& path) {
    out.I32(path.type);
    out.F32(path.width);
    out.F32(path.startX);
    out.F32(path.startY);
    out.F32(path.endX);
    out.F32(path.endY);
}

class TileExchange : public ::testing::Test {
  protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_ = testing::MakeTempFolder("tile-exchange");
    MessageLog messages_;
};

TEST_F(TileExchange, ExportWithoutMarkedTilesWritesNoFile) {
    const TileDatabase database = SampleDatabase();
    const auto old = folder_ / "old.exp";
    const std::vector<std::byte> before(100, std::byte{0x55});
    testing::WriteFileBytes(old, before);
    for (const auto& path : {old, folder_ / "none.exp"}) {
        SCOPED_TRACE(path.string());
        messages_.messages.clear();
        ASSERT_TRUE(ExportModifiedTiles(path, database, messages_));
        EXPECT_EQ(
            messages_.messages,
            (std::vector<Message>{{kNoTileMarked, "Export Completed", MessageIcon::Information}}));
    }
    EXPECT_EQ(testing::ReadFileBytes(old), before);  // an old file stays as it was
    EXPECT_FALSE(std::filesystem::exists(folder_ / "none.exp"));
}

// The notice names what was exported: every tile, or the first eight and
// how many more.
TEST(ExportedText, NamesTheTilesOrTheFirstEight) {
    std::vector<TileRecord> tiles;
    for (int i = 0; i < 10; ++i) tiles.push_back(testing::MakeTile(FormatText("H00%X.PCX", i)));
    const TileDatabase database = testing::MakeDatabase({TileSet{4, tiles}});
    const struct {
        std::vector<int32_t> ids;
        const char* text;
    } cases[] = {
        {{3}, "1 tile exported: H003.PCX."},
        {{0, 9}, "2 tiles exported: H000.PCX and H009.PCX."},
        {{0, 1, 2, 3, 4, 5, 6, 7},
         "8 tiles exported: H000.PCX, H001.PCX, H002.PCX, H003.PCX, H004.PCX, H005.PCX, "
         "H006.PCX and H007.PCX."},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
         "10 tiles exported: H000.PCX, H001.PCX, H002.PCX, H003.PCX, H004.PCX, H005.PCX, "
         "H006.PCX, H007.PCX, and 2 more."},
    };
    for (const auto& c : cases) EXPECT_EQ(ExportedText(database, c.ids), c.text);
}

TEST_F(TileExchange, ExportWritesMarkedTilesFieldByFieldInIndexOrder) {
    TileDatabase database = SampleDatabase();
    // A tile added to set 0 later stands at the end of the index.
    ASSERT_TRUE(AddTilesToSet(database, 0, 1, std::vector<std::string>{"H002.PCX"}, messages_));
    ASSERT_TRUE(SetTileAreas(database, 0, 2, std::vector<TileArea>{kTown}));
    ASSERT_TRUE(MarkTileForExport(database, 2));
    ASSERT_TRUE(MarkTileForExport(database, 17));
    ASSERT_TRUE(MarkTileForExport(database, 0));
    EXPECT_FALSE(MarkTileForExport(database, 5));
    EXPECT_EQ(database.sets[1].tiles[1].modified, 1);
    EXPECT_EQ(database.index[3].modified, 1);

    ByteWriter expected;
    expected.I32(3);
    expected.I32(0);  // H000: set 0, tile 0, 2 paths, 1 area
    expected.I32(0);
    expected.I32(2);
    expected.I32(1);
    Area(expected, kLake);
    Path(expected, kRoad);
    Path(expected, kRiver);
    expected.I32(1);  // H011: set 1, tile 1, 1 path, no areas
    expected.I32(1);
    expected.I32(1);
    expected.I32(0);
    Path(expected, kRail);
    expected.I32(0);  // H002: set 0, tile 2, no paths, 1 area
    expected.I32(2);
    expected.I32(0);
    expected.I32(1);
    Area(expected, kTown);
    // The record of 2 paths and 1 area is 16 + 16 + 48 bytes.
    EXPECT_EQ(expected.Size(), 4u + 80u + 40u + 32u);

    const auto path = folder_ / "tiles.exp";
    messages_.messages.clear();
    ASSERT_TRUE(ExportModifiedTiles(path, database, messages_));
    EXPECT_EQ(testing::ReadFileBytes(path), expected.Data());
    int count = 0;
    EXPECT_EQ(SerializeTileExport(database, &count), expected.Data());
    EXPECT_EQ(count, 3);
    // The marks stay, so a second export writes the same tiles.
    ASSERT_TRUE(ExportModifiedTiles(path, database, messages_));
    EXPECT_EQ(testing::ReadFileBytes(path), expected.Data());
    EXPECT_EQ(messages_.messages,
              (std::vector<Message>{{"3 tiles exported: H000.PCX, H011.PCX and H002.PCX.",
                                     "Export Completed", MessageIcon::Information},
                                    {"3 tiles exported: H000.PCX, H011.PCX and H002.PCX.",
                                     "Export Completed", MessageIcon::Information}}));
}

TEST_F(TileExchange, ExportThatCannotOpenItsFileSaysSo) {
    TileDatabase database = SampleDatabase();
    MarkTileForExport(database, 0);
    EXPECT_FALSE(ExportModifiedTiles(folder_ / "missing" / "tiles.exp", database, messages_));
    EXPECT_EQ(messages_.messages, (std::vector<Message>{{"Error opening Export file.",
                                                         "File Open Error", MessageIcon::Error}}));
}

TEST_F(TileExchange, ImportReplacesOnlyTheListsARecordCarries) {
    TileDatabase database = SampleDatabase();
    const auto tileAt = [&](int set, int tile) -> const TileRecord& {
        return database.sets[static_cast<size_t>(set)].tiles[static_cast<size_t>(tile)];
    };
    const size_t areaRoom = tileAt(1, 0).areas.capacity();
    ByteWriter file;
    file.I32(4);
    file.I32(1);  // H010: 3 paths, no areas: keeps its 2 areas
    file.I32(0);
    file.I32(3);
    file.I32(0);
    Path(file, kRiver);
    Path(file, kRoad);
    Path(file, kRail);
    file.I32(1);  // H010 again: 1 area, no paths: shrinks its areas
    file.I32(0);
    file.I32(0);
    file.I32(1);
    Area(file, kTown);
    file.I32(0);  // H001: both lists empty: counted, nothing changes
    file.I32(1);
    file.I32(0);
    file.I32(0);
    file.I32(0);  // H000: 1 path, 2 areas
    file.I32(0);
    file.I32(1);
    file.I32(2);
    Area(file, kTown);
    Area(file, kLake);
    Path(file, kRail);
    file.Zeros(7);  // a tail after the counted records is never read

    const std::vector<std::byte> bin = SerializeTileInfo(database);
    ASSERT_TRUE(ImportTileBytes(file.Data(), database, messages_));
    EXPECT_EQ(messages_.messages, (std::vector<Message>{{"4 tiles imported.", "Import Completed",
                                                         MessageIcon::Information}}));
    EXPECT_EQ(tileAt(1, 0).paths, (std::vector<TilePath>{kRiver, kRoad, kRail}));
    EXPECT_EQ(tileAt(1, 0).areas, std::vector<TileArea>{kTown});
    EXPECT_GE(tileAt(1, 0).areas.capacity(), areaRoom);
    EXPECT_EQ(tileAt(0, 0).paths, std::vector<TilePath>{kRail});
    EXPECT_EQ(tileAt(0, 0).areas, (std::vector<TileArea>{kTown, kLake}));
    EXPECT_TRUE(tileAt(0, 1).paths.empty());
    EXPECT_EQ(tileAt(1, 1).paths, std::vector<TilePath>{kRail});
    // Names, ids, types and marks stay as they were.
    EXPECT_EQ(SerializeTileInfo(database), bin);
    for (const TileSet& set : database.sets) {
        for (const TileRecord& tile : set.tiles) EXPECT_EQ(tile.modified, 0);
    }
}

TEST_F(TileExchange, SetTileListsReleaseWithZeroAndRefuseMissingTiles) {
    TileDatabase database = SampleDatabase();
    ASSERT_TRUE(SetTileAreas(database, 1, 0, {}));
    EXPECT_EQ(database.sets[1].tiles[0].areaCount(), 0);
    EXPECT_EQ(database.sets[1].tiles[0].areas.capacity(), 0u);
    ASSERT_TRUE(SetTilePaths(database, 0, 1, Paths(3)));
    EXPECT_EQ(database.sets[0].tiles[1].paths, Paths(3));
    EXPECT_FALSE(SetTilePaths(database, 0, 2, Paths(1)));
    EXPECT_FALSE(SetTileAreas(database, 2, 0, Areas(1)));
    EXPECT_FALSE(SetTileAreas(database, -1, 0, Areas(1)));
}

// A two-record import file, with the message of the field each byte belongs
// to, so that a cut anywhere can be checked.
struct FieldMark {
    size_t start;
    std::string message;
};

TEST_F(TileExchange, ATruncatedImportChangesNothingAndNamesTheField) {
    ByteWriter file;
    std::vector<FieldMark> fields;
    const auto mark = [&](std::string message) {
        fields.push_back({file.Size(), std::move(message)});
    };
    mark("Could not read to import file.");
    file.I32(2);
    mark("Could not read to import file. Record 1 of 2.");
    file.I32(1);
    file.I32(1);
    file.I32(2);
    file.I32(1);
    mark("Could not read import areas. Record 1 of 2.");
    Area(file, kTown);
    mark("Could not read import paths. Record 1 of 2.");
    Path(file, kRoad);
    Path(file, kRiver);
    mark("Could not read to import file. Record 2 of 2.");
    file.I32(0);
    file.I32(1);
    file.I32(1);
    file.I32(0);
    mark("Could not read import paths. Record 2 of 2.");
    Path(file, kRail);
    const std::vector<std::byte> bytes = file.Take();

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        TileDatabase database = SampleDatabase();
        const std::vector<std::byte> before = Snapshot(database);
        MessageLog messages;
        EXPECT_FALSE(ImportTileBytes(std::span(bytes).first(cut), database, messages));
        size_t field = 0;
        while (field + 1 < fields.size() && fields[field + 1].start <= cut) ++field;
        EXPECT_EQ(
            messages.messages,
            (std::vector<Message>{{fields[field].message, "Read Error", MessageIcon::Error}}));
        EXPECT_EQ(Snapshot(database), before);
    }
    TileDatabase database = SampleDatabase();
    EXPECT_TRUE(ImportTileBytes(bytes, database, messages_));
    EXPECT_EQ(database.sets[0].tiles[1].paths, std::vector<TilePath>{kRail});
}

TEST_F(TileExchange, ImportRefusesRecordsThatDoNotFitTheDatabase) {
    const struct {
        const char* what;
        std::vector<int32_t> header;  // count, then record fields
        std::string message;
    } cases[] = {
        {"negative record count", {-1}, "Could not read to import file."},
        {"more records than bytes",
         {0x10000000, 0, 0, 0, 0},
         "Could not read to import file. Record 2 of 268435456."},
        {"set that does not exist",
         {2, 0, 0, 0, 0, 2, 0, 0, 0},
         "Could not read to import file. Record 2 of 2: set 2, tile 0 is not in this Texture.bin."},
        {"tile that does not exist",
         {1, 0, 2, 0, 0},
         "Could not read to import file. Record 1 of 1: set 0, tile 2 is not in this Texture.bin."},
        {"negative set",
         {1, -1, 0, 0, 0},
         "Could not read to import file. Record 1 of 1: set -1, tile 0 is not in this "
         "Texture.bin."},
        {"negative area count", {1, 0, 0, 0, -1}, "Could not read import areas. Record 1 of 1."},
        {"negative path count", {1, 0, 0, -3, 0}, "Could not read import paths. Record 1 of 1."},
        {"huge area count",
         {1, 0, 0, 0, 0x7FFFFFFF},
         "Could not read import areas. Record 1 of 1."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ByteWriter file;
        for (int32_t value : c.header) file.I32(value);
        TileDatabase database = SampleDatabase();
        const std::vector<std::byte> before = Snapshot(database);
        MessageLog messages;
        EXPECT_FALSE(ImportTileBytes(file.Data(), database, messages));
        EXPECT_EQ(messages.messages,
                  (std::vector<Message>{{c.message, "Read Error", MessageIcon::Error}}));
        EXPECT_EQ(Snapshot(database), before);
    }
}

TEST_F(TileExchange, ExportedTilesImportIntoAnotherDatabase) {
    TileDatabase source = SampleDatabase();
    MarkTileForExport(source, 0);
    MarkTileForExport(source, 16);
    const auto path = folder_ / "tiles.exp";
    ASSERT_TRUE(ExportModifiedTiles(path, source, messages_));

    // The same layout under other names, without any lists.
    TileDatabase target = testing::MakeDatabase(
        {TileSet{0, {testing::MakeTile("HA00.PCX"), testing::MakeTile("HA01.PCX")}},
         TileSet{0, {testing::MakeTile("HA10.PCX", {}, Areas(9)), testing::MakeTile("HA11.PCX")}}});
    ASSERT_TRUE(ImportTiles(path, target, messages_));
    EXPECT_EQ(target.sets[0].tiles[0].paths, source.sets[0].tiles[0].paths);
    EXPECT_EQ(target.sets[0].tiles[0].areas, source.sets[0].tiles[0].areas);
    EXPECT_EQ(target.sets[1].tiles[0].paths, source.sets[1].tiles[0].paths);
    EXPECT_EQ(target.sets[1].tiles[0].areas, source.sets[1].tiles[0].areas);
    EXPECT_EQ(NameText(target.sets[1].tiles[0].name), "HA10.PCX");
    EXPECT_EQ(messages_.messages.back(),
              (Message{"2 tiles imported.", "Import Completed", MessageIcon::Information}));

    messages_.messages.clear();
    EXPECT_FALSE(ImportTiles(folder_ / "absent.exp", target, messages_));
    EXPECT_EQ(messages_.messages, (std::vector<Message>{{"Error opening Import file.",
                                                         "File Open Error", MessageIcon::Error}}));
}

// Every input of the fuzz corpus imports from its file as from its bytes,
// with the same messages and the same database after.
TEST_F(TileExchange, EveryCorpusInputImportsFromItsFileAsFromItsBytes) {
    const auto corpus = std::filesystem::path(LORVANE_SOURCE_DIR) / "fuzz/corpus/tile_export";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        const auto bytes = testing::ReadFileBytes(entry.path());
        TileDatabase fromFile = SampleDatabase();
        TileDatabase fromBytes = SampleDatabase();
        MessageLog fileMessages, byteMessages, checkMessages;
        const bool imported = ImportTiles(entry.path(), fromFile, fileMessages);
        ASSERT_EQ(imported, ImportTileBytes(bytes, fromBytes, byteMessages));
        EXPECT_EQ(fileMessages.messages, byteMessages.messages);
        EXPECT_EQ(Snapshot(fromFile), Snapshot(fromBytes));
        const TileDatabase untouched = SampleDatabase();
        if (!imported) {
            EXPECT_EQ(Snapshot(fromFile), Snapshot(untouched));
        }
        EXPECT_EQ(CheckTileImport(bytes, untouched, checkMessages).has_value(), imported);
    }
}

// A file shortened, grown or rewritten while it is checked, or between the
// check and the reading of its lists, is refused with the open message and
// its reason, and the database stays as it was.
TEST_F(TileExchange, AFileThatChangesWhileItIsImportedIsRefusedAndChangesNothing) {
    TileDatabase source = SampleDatabase();
    for (int id : {0, 1, 16, 17}) MarkTileForExport(source, id);
    const auto path = folder_ / "tiles.exp";
    for (const int reads : {1, 2}) {
        for (const testing::FileChange& change : testing::FileChanges()) {
            SCOPED_TRACE(::testing::Message() << change.what << " after read " << reads);
            ASSERT_TRUE(ExportModifiedTiles(path, source, messages_));
            TileDatabase target = testing::MakeDatabase(
                {TileSet{0, {testing::MakeTile("HA00.PCX"), testing::MakeTile("HA01.PCX")}},
                 TileSet{0, {testing::MakeTile("HA10.PCX"), testing::MakeTile("HA11.PCX")}}});
            const auto before = Snapshot(target);
            auto file = InputFile::Open(path);
            ASSERT_TRUE(file);
            testing::ChangingFile changing(
                std::move(*file), [&] { change.apply(path); }, reads);
            MessageLog messages;
            EXPECT_FALSE(ImportTilesFrom(changing, target, messages));
            EXPECT_EQ(Snapshot(target), before);
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_EQ(messages.messages[0].text, "Error opening Import file.");
            EXPECT_EQ(messages.messages[0].detail,
                      PathToUtf8(path) + ": the file changed while it was read");
        }
    }
    MessageLog messages;
    TileDatabase target = SampleDatabase();
    EXPECT_FALSE(ImportTiles(folder_, target, messages));
}

TEST_F(TileExchange, DialogsAndTheirFailureMessages) {
    EXPECT_EQ(ExportFileRequest("/tiles").title, "Save Tile Export File");
    EXPECT_EQ(ImportFileRequest("/tiles").title, "Open Tile Import File");
    EXPECT_TRUE(ImportFileRequest("/tiles").fileMustExist);
    EXPECT_EQ(ExportFileRequest("/tiles").proposedName, "*.*");
    ReportExportDialogError(12290, messages_);
    ReportImportDialogError(3, messages_);
    EXPECT_EQ(messages_.messages,
              (std::vector<Message>{{"Export file open error# 12290", "Error", MessageIcon::Error},
                                    {"Import file open error# 3", "Error", MessageIcon::Error}}));
}

}  // namespace
}  // namespace lorvane
