#include "terrain/terrain_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "base/byte_writer.h"
#include "support/progress_recorder.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

using testing::L2Files;
using testing::MakeL2Files;
using testing::MakePatternMatrix;
using testing::ProgressRecorder;
using testing::SectionOrder;

const Message kL2EndOfFile{"L2 end of file reached", "Error", MessageIcon::Error};
const Message kL2Error{"L2 error", "L2 Read Error", MessageIcon::Error};
const Message kSizeRefused{"This L2M matrix is not the same size as the current theater.",
                           "L2M Matrix Error", MessageIcon::Error};
const Message kL2OpenFailed{"Error opening the L2 file.  Cannot save the L2 file.", "Error",
                            MessageIcon::Error};
const Message kO2OpenFailed{"Error opening the O2 file.  Cannot save the L2 file.", "Error",
                            MessageIcon::Error};

Message DataFileOpenFailed(const std::filesystem::path& path) {
    return {"Data File Open Failed. ", path.string(), MessageIcon::Error};
}

TEST(TerrainLayoutTest, SizesGiveSectionsAndRecordSize) {
    struct Case {
        uint64_t o2Size;
        uint64_t l2Size;
        int32_t n;
        int recordSize;
        uint8_t formatCode;
    };
    const Case cases[] = {
        {16384, 7340032, 64, 7, 0},            // 4096 sections of 256 seven-byte records
        {16384, 9437184, 64, 9, 2},            // the same in nine-byte records
        {4 * 49, 49 * 2304, 7, 7, 0},          // nine-byte records, 49 sections: a multiple of 7
        {4 * 70, 7 * 100, 8, 7, 0},            // 70 entries: only the first 64 are used
        {3, 10, 0, 9, 2},                      // not even one entry
        {4 * 4095 * 4095 - 4, 9, 4094, 9, 2},  // just below a square
        {4ull * 65535 * 65535, 7, 65535, 7, 0},
    };
    for (const Case& c : cases) {
        const TerrainLayout layout = SetDimensionsFromFiles(c.o2Size, c.l2Size);
        EXPECT_EQ(layout.dimensions, SquareDimensions(c.n)) << c.o2Size;
        EXPECT_EQ(layout.dimensions.xMapExtent, 16 * c.n);
        EXPECT_EQ(layout.dimensions.xTiles, 16);
        EXPECT_EQ(layout.l2RecordSize, c.recordSize) << c.l2Size;
        EXPECT_EQ(layout.l2FormatCode, c.formatCode) << c.l2Size;
    }
}

TEST(TerrainLayoutTest, O2NameReplacesTheLetterAfterTheLastDot) {
    struct Case {
        std::filesystem::path l2;
        std::optional<std::filesystem::path> o2;
    };
    const Case cases[] = {
        {"THEATER.L2", std::filesystem::path("THEATER.O2")},
        {"a.b.L2", std::filesystem::path("a.b.O2")},
        {"maps/korea.l2", std::filesystem::path("maps/korea.O2")},
        {"maps.v2/THEATER", std::nullopt},  // the dot is in the folder
        {"THEATER", std::nullopt},
        {"THEATER.", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(O2PathFor(c.l2), c.o2) << c.l2;
}

TEST(TerrainLayoutTest, O2NameOfANameOutsideTheCodePage) {
    // "Кавказ/Театр.L2": the O2 beside it keeps the wide name.
    const std::filesystem::path l2 = PathFromUtf8(
        "\xd0\x9a\xd0\xb0\xd0\xb2\xd0\xba\xd0\xb0\xd0\xb7/"
        "\xd0\xa2\xd0\xb5\xd0\xb0\xd1\x82\xd1\x80.L2");
    const std::optional<std::filesystem::path> o2 = O2PathFor(l2);
    ASSERT_TRUE(o2);
    EXPECT_EQ(*o2, PathFromUtf8("\xd0\x9a\xd0\xb0\xd0\xb2\xd0\xba\xd0\xb0\xd0\xb7/"
                                "\xd0\xa2\xd0\xb5\xd0\xb0\xd1\x82\xd1\x80.O2"));
}

TEST(TerrainBuildTest, RecordLayouts) {
    // 7 bytes: tile id u16, elevation u16, aux0, aux1, aux2.
    const std::vector<std::byte> seven = {std::byte{0x34}, std::byte{0x12}, std::byte{0xE8},
                                          std::byte{0x03}, std::byte{0x05}, std::byte{0x06},
                                          std::byte{0x07}};
    // 9 bytes: tile id u32 first.
    const std::vector<std::byte> nine = {std::byte{0x78}, std::byte{0x56}, std::byte{0x34},
                                         std::byte{0x12}, std::byte{0xFF}, std::byte{0xFF},
                                         std::byte{0x01}, std::byte{0x02}, std::byte{0x03}};
    struct Case {
        std::vector<std::byte> record;
        TerrainCell cell;
        size_t padding;  // keeps a 9-byte file off a multiple of 7
    };
    const Case cases[] = {{seven, {0x1234, 1000, 5, 6, 7}, 0},
                          {nine, {0x12345678, 0xFFFF, 1, 2, 3}, 1}};
    for (const Case& c : cases) {
        // One section whose every post is this record.
        std::vector<std::byte> l2(c.padding);
        for (int i = 0; i < 256; ++i) l2.insert(l2.end(), c.record.begin(), c.record.end());
        ByteWriter o2;
        o2.U32(static_cast<uint32_t>(c.padding));
        ProgressRecorder progress;
        MessageLog messages;
        const auto matrix = BuildMatrixFromL2(l2, o2.Data(), progress, messages);
        ASSERT_TRUE(matrix);
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(matrix->l2FormatCode, c.record.size() == 7 ? 0 : 2);
        ASSERT_EQ(matrix->cells.size(), 256u);
        for (const TerrainCell& cell : matrix->cells) EXPECT_EQ(cell, c.cell);
    }
}

TEST(TerrainBuildTest, SectionsAnywhereInTheFileGiveTheMatrix) {
    const TerrainMatrix expected = MakePatternMatrix(3, 70000);
    for (int recordSize : {7, 9}) {
        for (SectionOrder order : {SectionOrder::RowMajor, SectionOrder::Reversed}) {
            // 9 sections of nine-byte records make a multiple of 7: one filler
            // byte in front keeps the size telling the record size.
            const L2Files files =
                MakeL2Files(expected, recordSize, order, recordSize == 9 ? 1 : 14);
            ProgressRecorder progress;
            MessageLog messages;
            const auto matrix = BuildMatrixFromL2(files.l2, files.o2, progress, messages);
            ASSERT_TRUE(matrix) << recordSize;
            EXPECT_EQ(matrix->dimensions, SquareDimensions(3));
            if (recordSize == 9) {
                EXPECT_EQ(matrix->cells, expected.cells);
            } else {
                // Seven-byte records keep the low 16 bits of the tile id.
                for (size_t i = 0; i < expected.cells.size(); ++i) {
                    TerrainCell cut = expected.cells[i];
                    cut.tileId &= 0xFFFF;
                    ASSERT_EQ(matrix->cells[i], cut) << i;
                }
            }
            // After each section row: sy·3 + 2, as count and bar position.
            const std::vector<std::pair<int, int>> reports = {{2, 2}, {5, 5}, {8, 8}};
            EXPECT_EQ(progress.reports, reports);
            EXPECT_EQ(progress.abortTests, 48);  // after every post row
        }
    }
}

TEST(TerrainBuildTest, OnlyTheFirstSquareOfO2EntriesIsRead) {
    const TerrainMatrix expected = MakePatternMatrix(2);
    L2Files files = MakeL2Files(expected, 7);
    // Three more entries pointing far outside the L2 file: never read.
    for (int i = 0; i < 12; ++i) files.o2.push_back(std::byte{0xFF});
    ProgressRecorder progress;
    MessageLog messages;
    const auto matrix = BuildMatrixFromL2(files.l2, files.o2, progress, messages);
    ASSERT_TRUE(matrix);
    EXPECT_EQ(matrix->cells, expected.cells);
}

TEST(TerrainBuildTest, SectionsOutsideTheL2FileAreReadErrors) {
    const TerrainMatrix source = MakePatternMatrix(2);
    const L2Files good = MakeL2Files(source, 7);
    auto setOffset = [](L2Files files, size_t entry, uint32_t offset) {
        for (size_t i = 0; i < 4; ++i)
            files.o2[4 * entry + i] = static_cast<std::byte>(offset >> (8 * i));
        return files;
    };
    auto cut = [](L2Files files, size_t count) {
        files.l2.resize(files.l2.size() - count);
        return files;
    };
    const size_t sectionBytes = 256 * 7;
    const L2Files cases[] = {
        setOffset(good, 3, 0xFFFFFFF0u),                            // far beyond the end
        setOffset(good, 1, static_cast<uint32_t>(good.l2.size())),  // at the very end
        setOffset(good, 2,
                  static_cast<uint32_t>(good.l2.size() - sectionBytes + 1)),  // one byte short
        cut(good, 7),                                                         // last record missing
        cut(good, 1),  // last record cut short
    };
    for (const L2Files& files : cases) {
        ProgressRecorder progress;
        MessageLog messages;
        EXPECT_FALSE(BuildMatrixFromL2(files.l2, files.o2, progress, messages));
        const std::vector<Message> expected = {kL2EndOfFile, kL2Error};
        EXPECT_EQ(messages.messages, expected);
    }
}

TEST(TerrainBuildTest, AbortStopsAfterThePostRowWithoutAMessage) {
    const L2Files files = MakeL2Files(MakePatternMatrix(2), 7);
    for (int abortAt : {1, 16, 17, 32}) {
        ProgressRecorder progress(abortAt);
        MessageLog messages;
        EXPECT_FALSE(BuildMatrixFromL2(files.l2, files.o2, progress, messages));
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(progress.abortTests, abortAt);
        // A section row's report comes only once its 16 post rows are through.
        EXPECT_EQ(progress.reports.size(), abortAt > 16 ? 1u : 0u);
    }
}

TEST(L2MTest, SaveWritesHeaderAndCellsAndLoadsBackTheSameMatrix) {
    const auto folder = testing::MakeTempFolder("lorvane-l2m");
    const TerrainMatrix matrix = MakePatternMatrix(64, 70000, 2);  // 1024 × 1024 posts
    ProgressRecorder saveProgress;
    MessageLog messages;
    ASSERT_TRUE(SaveMatrixAsL2M(folder / "T.L2M", matrix, saveProgress, messages));
    const auto bytes = testing::ReadFileBytes(folder / "T.L2M");
    ASSERT_EQ(bytes.size(), 9u + 9u * 1048576u);
    // rows 1024 (u32), row length 1024 (u16), a zero, format code 2, a zero.
    const std::vector<std::byte> header = {std::byte{0x00}, std::byte{0x04}, std::byte{0x00},
                                           std::byte{0x00}, std::byte{0x00}, std::byte{0x04},
                                           std::byte{0x00}, std::byte{0x02}, std::byte{0x00}};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    // Cell (1, 0) is the second record, in the nine-byte layout.
    const std::vector<std::byte> second = testing::EncodeL2Record(matrix.Cell(1, 0), 9);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + 18));

    ProgressRecorder loadProgress;
    const auto loaded = LoadMatrixFromL2M(bytes, loadProgress, messages);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(loaded->dimensions, matrix.dimensions);
    EXPECT_EQ(loaded->l2FormatCode, 2);
    EXPECT_TRUE(loaded->cells == matrix.cells);

    // After row y: (y·1024 + 1023) div 256, for the save and the load alike.
    ASSERT_EQ(saveProgress.reports.size(), 1024u);
    EXPECT_EQ(saveProgress.reports[0], std::make_pair(3, 3));
    EXPECT_EQ(saveProgress.reports[1], std::make_pair(7, 7));
    EXPECT_EQ(saveProgress.reports[1023], std::make_pair(4095, 4095));
    EXPECT_EQ(loadProgress.reports, saveProgress.reports);
    std::filesystem::remove_all(folder);
}

TEST(L2MTest, HeadersOfOtherSizesAreRefused) {
    struct Case {
        uint32_t rows;
        uint16_t rowLength;
    };
    const Case cases[] = {{1024, 1000}, {512, 1024}, {1000, 1000}, {1024, 1008}, {0, 16}, {16, 0}};
    for (const Case& c : cases) {
        ByteWriter out;
        out.U32(c.rows);
        out.U16(c.rowLength);
        out.Zeros(3);
        ProgressRecorder progress;
        MessageLog messages;
        EXPECT_FALSE(LoadMatrixFromL2M(out.Data(), progress, messages))
            << c.rows << " x " << c.rowLength;
        EXPECT_EQ(messages.messages, std::vector<Message>{kSizeRefused});
    }
}

TEST(L2MTest, AFileThatEndsEarlyIsAReadError) {
    ProgressRecorder progress;
    MessageLog messages;
    const auto folder = testing::MakeTempFolder("lorvane-l2m");
    ASSERT_TRUE(SaveMatrixAsL2M(folder / "T.L2M", MakePatternMatrix(1), progress, messages));
    const auto whole = testing::ReadFileBytes(folder / "T.L2M");
    for (size_t length :
         {size_t{0}, size_t{5}, size_t{8}, size_t{9}, size_t{18}, whole.size() - 1}) {
        MessageLog log;
        const std::vector<std::byte> bytes(whole.begin(),
                                           whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(LoadMatrixFromL2M(bytes, progress, log)) << length;
        const std::vector<Message> expected = {kL2EndOfFile, kL2Error};
        EXPECT_EQ(log.messages, expected) << length;
    }
    std::filesystem::remove_all(folder);
}

TEST(L2MTest, AbortLeavesNoMatrixAndNoFile) {
    const auto folder = testing::MakeTempFolder("lorvane-l2m");
    const auto path = folder / "T.L2M";
    testing::WriteFileBytes(path, {std::byte{1}, std::byte{2}});
    const TerrainMatrix matrix = MakePatternMatrix(2);
    MessageLog messages;
    ProgressRecorder abortSave(3);
    EXPECT_FALSE(SaveMatrixAsL2M(path, matrix, abortSave, messages));
    EXPECT_EQ(abortSave.reports.size(), 2u);
    // The old file stays as it was, and no temporary file is left.
    EXPECT_EQ(testing::ReadFileBytes(path), (std::vector<std::byte>{std::byte{1}, std::byte{2}}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    ProgressRecorder saveAll;
    ASSERT_TRUE(SaveMatrixAsL2M(path, matrix, saveAll, messages));
    ProgressRecorder abortLoad(5);
    EXPECT_FALSE(LoadMatrixFromL2M(testing::ReadFileBytes(path), abortLoad, messages));
    EXPECT_EQ(abortLoad.reports.size(), 4u);
    EXPECT_TRUE(messages.messages.empty());
    std::filesystem::remove_all(folder);
}

TEST(TerrainOpenTest, MissingAndEmptyFilesAreReported) {
    const auto folder = testing::MakeTempFolder("lorvane-open");
    const auto missing = folder / "NONE.L2";
    const auto empty = folder / "EMPTY.L2";
    testing::WriteFileBytes(empty, {});
    testing::WriteFileBytes(folder / "EMPTY.O2", {});
    const auto lonely = folder / "LONELY.L2";  // no O2 beside it
    testing::WriteFileBytes(lonely, {std::byte{1}});
    const auto noExtension = folder / "THEATER";
    testing::WriteFileBytes(noExtension, {std::byte{1}});

    struct Case {
        std::function<bool(MessageLog&)> open;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {[&](MessageLog& m) { return OpenL2File(missing, m).has_value(); },
         {DataFileOpenFailed(missing), kL2OpenFailed}},
        {[&](MessageLog& m) { return OpenL2File(empty, m).has_value(); }, {kL2OpenFailed}},
        {[&](MessageLog& m) { return OpenO2File(empty, m).has_value(); }, {kO2OpenFailed}},
        {[&](MessageLog& m) { return OpenO2File(lonely, m).has_value(); },
         {DataFileOpenFailed(folder / "LONELY.O2"), kO2OpenFailed}},
        {[&](MessageLog& m) { return OpenO2File(noExtension, m).has_value(); }, {kO2OpenFailed}},
    };
    for (const Case& c : cases) {
        MessageLog messages;
        EXPECT_FALSE(c.open(messages));
        EXPECT_EQ(messages.messages, c.messages);
    }
    std::filesystem::remove_all(folder);
}

TEST(TerrainOpenTest, LowerCaseO2IsFoundBesideALowerCaseL2) {
    const auto folder = testing::MakeTempFolder("lorvane-open");
    const L2Files files = MakeL2Files(MakePatternMatrix(1), 7);
    testing::WriteFileBytes(folder / "korea.l2", files.l2);
    testing::WriteFileBytes(folder / "korea.o2", files.o2);
    {
        MessageLog messages;
        auto l2 = OpenL2File(folder / "korea.l2", messages);
        auto o2 = OpenO2File(folder / "korea.l2", messages);
        ASSERT_TRUE(l2 && o2);
        const auto rows =
            TerrainRows::OfL2(std::make_unique<InputFile>(std::move(*l2)), *o2, messages);
        ASSERT_TRUE(rows);
        ProgressRecorder progress;
        EXPECT_TRUE(BuildMatrixFromL2(*rows, progress, messages));
        EXPECT_TRUE(messages.messages.empty());
    }  // open files are closed before their folder goes (Windows keeps them)
    std::filesystem::remove_all(folder);
}

TEST(L2MTest, SaveIntoAMissingFolderIsReported) {
    const auto folder = testing::MakeTempFolder("lorvane-l2m");
    const auto path = folder / "missing" / "T.L2M";
    ProgressRecorder progress;
    MessageLog messages;
    EXPECT_FALSE(SaveMatrixAsL2M(path, MakePatternMatrix(1), progress, messages));
    const std::vector<Message> expected = {DataFileOpenFailed(path), kL2OpenFailed};
    EXPECT_EQ(messages.messages, expected);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lorvane
