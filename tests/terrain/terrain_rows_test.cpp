// Terrain rows read straight from L2/O2 and L2M bytes, and the outputs made
// from them: the same as from a matrix, whatever the sections' order and
// however the O2 entries alias them.
#include "terrain/terrain_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <random>

#include "base/byte_writer.h"
#include "base/file_io.h"
#include "base/path_text.h"
#include "support/changing_file.h"
#include "support/progress_recorder.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"

namespace lorvane {
namespace {

using testing::ProgressRecorder;

// An L2/O2 pair whose O2 entry k names stored section source[k] of the
// pattern, the stored sections laid out in a shuffled order after some
// filler; and the matrix it stands for.
struct AliasedTerrain {
    testing::L2Files files;
    TerrainMatrix expected;
};

// keptShare: 0 for about a third of the entries naming another section;
// k > 0 for every entry naming one of the first sections / k + 1.
AliasedTerrain MakeAliasedTerrain(int32_t n, int recordSize, std::mt19937& random,
                                  size_t keptShare = 0) {
    const TerrainMatrix pattern = testing::MakePatternMatrix(n, 70000, recordSize == 7 ? 0 : 2);
    const auto sections = static_cast<size_t>(n) * static_cast<size_t>(n);
    std::vector<size_t> source(sections);
    std::iota(source.begin(), source.end(), size_t{0});
    // About a third of the entries name another section, or all name few.
    for (size_t& s : source) {
        if (keptShare > 0) {
            s = random() % (sections / keptShare + 1);
        } else if (random() % 3 == 0) {
            s = random() % sections;
        }
    }
    std::vector<size_t> layout(sections);  // stored place -> pattern section
    std::iota(layout.begin(), layout.end(), size_t{0});
    std::shuffle(layout.begin(), layout.end(), random);
    std::vector<uint32_t> placeOf(sections);
    const size_t sectionBytes = 256 * static_cast<size_t>(recordSize);
    const size_t filler = random() % 5;
    AliasedTerrain terrain;
    terrain.files.l2.assign(filler, std::byte{0xEE});
    for (size_t place = 0; place < sections; ++place) {
        placeOf[layout[place]] = static_cast<uint32_t>(filler + place * sectionBytes);
        const size_t sx = layout[place] % static_cast<size_t>(n);
        const size_t sy = layout[place] / static_cast<size_t>(n);
        for (size_t r = 0; r < 16; ++r) {
            for (size_t c = 0; c < 16; ++c) {
                const auto record =
                    testing::EncodeL2Record(pattern.Cell(static_cast<int32_t>(16 * sx + c),
                                                         static_cast<int32_t>(16 * sy + r)),
                                            recordSize);
                terrain.files.l2.insert(terrain.files.l2.end(), record.begin(), record.end());
            }
        }
    }
    // The record size comes from the L2 size: keep a 9-byte file off a
    // multiple of 7, a 7-byte file on one.
    while ((terrain.files.l2.size() % 7 == 0) != (recordSize == 7))
        terrain.files.l2.push_back(std::byte{0xEE});
    ByteWriter o2;
    for (size_t k = 0; k < sections; ++k) o2.U32(placeOf[source[k]]);
    terrain.files.o2 = o2.Take();

    terrain.expected = MakeTerrainMatrix(16 * n, 16 * n, recordSize == 7 ? 0 : 2);
    terrain.expected.dimensions = SquareDimensions(n);
    for (size_t k = 0; k < sections; ++k) {
        const auto sx = static_cast<int32_t>(k % static_cast<size_t>(n));
        const auto sy = static_cast<int32_t>(k / static_cast<size_t>(n));
        const auto fromX = static_cast<int32_t>(source[k] % static_cast<size_t>(n));
        const auto fromY = static_cast<int32_t>(source[k] / static_cast<size_t>(n));
        for (int32_t r = 0; r < 16; ++r) {
            for (int32_t c = 0; c < 16; ++c) {
                TerrainCell cell = pattern.Cell(16 * fromX + c, 16 * fromY + r);
                if (recordSize == 7) cell.tileId &= 0xFFFF;
                terrain.expected.Cell(16 * sx + c, 16 * sy + r) = cell;
            }
        }
    }
    return terrain;
}

TerrainCells AllRows(const TerrainRows& rows) {
    TerrainCells cells(rows.Rows() * rows.Columns());
    TerrainRowBuffer scratch(rows.Columns());
    for (size_t y = 0; y < rows.Rows(); ++y) {
        const TerrainCell* row = rows.Row(y, scratch.data());
        std::copy(row, row + rows.Columns(),
                  cells.begin() + static_cast<ptrdiff_t>(y * rows.Columns()));
    }
    return cells;
}

TEST(TerrainRowsTest, ShuffledAndAliasedSectionsStreamToTheSameOutputsAsTheMatrix) {
    std::mt19937 random(15);
    const auto folder = testing::MakeTempFolder("lorvane-rows");
    const TileDatabase database = testing::MakeLargeDatabase(40, 16, 2, 1);
    for (int trial = 0; trial < 12; ++trial) {
        const int recordSize = trial % 2 == 0 ? 7 : 9;
        const auto n = static_cast<int32_t>(1 + random() % 6);
        SCOPED_TRACE(::testing::Message()
                     << "trial " << trial << ", n " << n << ", " << recordSize << "-byte records");
        const AliasedTerrain terrain = MakeAliasedTerrain(n, recordSize, random);
        MessageLog messages;
        const auto rows = TerrainRows::OfL2(terrain.files.l2, terrain.files.o2, messages);
        ASSERT_TRUE(rows);
        EXPECT_EQ(rows->dimensions(), SquareDimensions(n));
        EXPECT_EQ(rows->l2FormatCode(), recordSize == 7 ? 0 : 2);
        ASSERT_EQ(AllRows(*rows), terrain.expected.cells);

        ProgressRecorder progress;
        ASSERT_TRUE(SaveRowsAsL2M(folder / "rows.L2M", *rows, progress, messages));
        ASSERT_TRUE(SaveMatrixAsL2M(folder / "matrix.L2M", terrain.expected, progress, messages));
        const auto l2m = testing::ReadFileBytes(folder / "rows.L2M");
        EXPECT_EQ(l2m, testing::ReadFileBytes(folder / "matrix.L2M"));
        EXPECT_EQ(ComposeTheaterMap(*rows, database, progress),
                  ComposeTheaterMap(terrain.expected, database, progress, messages));
        EXPECT_EQ(ComposeMeaFile(*rows), ComposeMeaFile(terrain.expected, messages));

        // The L2M file read back as rows gives the same cells again.
        const auto fromL2M = TerrainRows::OfL2M(l2m, messages);
        ASSERT_TRUE(fromL2M);
        EXPECT_EQ(fromL2M->l2FormatCode(), recordSize == 7 ? 0 : 2);
        EXPECT_EQ(AllRows(*fromL2M), terrain.expected.cells);
        ASSERT_TRUE(SaveRowsAsL2M(folder / "again.L2M", *fromL2M, progress, messages));
        EXPECT_EQ(testing::ReadFileBytes(folder / "again.L2M"), l2m);
        EXPECT_TRUE(messages.messages.empty());
    }
    std::filesystem::remove_all(folder);
}

// Bytes in memory that count the reads asked of them.
class CountingBytes final : public ByteSource {
  public:
    explicit CountingBytes(std::span<const std::byte> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.Size(); }
    bool ReadAt(uint64_t offset, std::span<std::byte> out) override {
        ++reads;
        return bytes_.ReadAt(offset, out);
    }
    const std::string& Detail() const override { return bytes_.Detail(); }
    int reads = 0;

  private:
    MemoryBytes bytes_;
};

// However the O2 orders a section row's sections, those that lie together
// in the file (in order, back to front, overlapping, or apart by at most one
// section) come in one read; each row gives the records at its offsets.
TEST(TerrainRowsTest, ASectionRowLyingTogetherInTheFileIsOneRead) {
    constexpr size_t n = 4;
    constexpr size_t kSection = 256 * 7;
    struct Layout {
        const char* what;
        std::function<uint64_t(size_t sx, size_t sy)> offset;
        int readsPerRow;
    };
    const Layout layouts[] = {
        {"in O2 order", [](size_t sx, size_t sy) { return (sy * n + sx) * kSection; }, 1},
        {"each row back to front",
         [](size_t sx, size_t sy) { return (sy * n + n - 1 - sx) * kSection; }, 1},
        {"the file back to front",
         [](size_t sx, size_t sy) { return (n * n - 1 - sy * n - sx) * kSection; }, 1},
        {"apart by one section", [](size_t sx, size_t sy) { return (sy * n + sx) * 2 * kSection; },
         1},
        {"apart by more than one section",
         [](size_t sx, size_t sy) { return (sy * n + sx) * (2 * kSection + 7); }, 4},
        {"each a record after the one before",
         [](size_t sx, size_t sy) { return kSection * sy + 7 * (n - 1 - sx); }, 1},
        {"one section for every entry", [](size_t, size_t) { return uint64_t{7}; }, 1},
    };
    std::mt19937 random(7);
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        ByteWriter o2;
        uint64_t end = 0;
        for (size_t k = 0; k < n * n; ++k) {
            const uint64_t offset = layout.offset(k % n, k / n);
            o2.U32(static_cast<uint32_t>(offset));
            end = std::max(end, offset + kSection);
        }
        std::vector<std::byte> l2((end + 6) / 7 * 7);  // a multiple of 7: 7-byte records
        for (std::byte& b : l2) b = static_cast<std::byte>(random());
        const auto o2Bytes = o2.Take();
        MemoryBytes o2Source(o2Bytes);
        auto counting = std::make_unique<CountingBytes>(l2);
        CountingBytes& l2Source = *counting;
        MessageLog messages;
        const auto rows = TerrainRows::OfL2(std::move(counting), o2Source, messages);
        ASSERT_TRUE(rows);
        std::vector<uint16_t> elevations(16 * n);
        std::vector<uint32_t> tiles(16 * n);
        std::vector<uint8_t> bands(16 * n);
        for (size_t y = 0; y < 16 * n; ++y) {
            rows->ElevationsOfRow(y, elevations.data());
            rows->TilesAndBandsOfRow(y, tiles.data(), bands.data());
            for (size_t x = 0; x < 16 * n; ++x) {
                // The record: tile id u16, elevation u16, three bytes.
                const std::byte* record =
                    l2.data() + layout.offset(x / 16, y / 16) + 7 * ((y % 16) * 16 + x % 16);
                const auto u16 = [](const std::byte* p) {
                    return static_cast<uint16_t>(std::to_integer<int>(p[0]) |
                                                 std::to_integer<int>(p[1]) << 8);
                };
                ASSERT_EQ(tiles[x], u16(record)) << x << "," << y;
                ASSERT_EQ(elevations[x], u16(record + 2)) << x << "," << y;
                ASSERT_EQ(bands[x], std::to_integer<uint8_t>(record[6])) << x << "," << y;
            }
        }
        EXPECT_FALSE(rows->ReadFailed());
        EXPECT_EQ(l2Source.reads, static_cast<int>(n) * layout.readsPerRow);
    }
}

TEST(TerrainRowsTest, RefusedInputsGiveTheirMessagesBeforeAnyRow) {
    const TerrainMatrix matrix = testing::MakePatternMatrix(2);
    const testing::L2Files good = testing::MakeL2Files(matrix, 7);
    testing::L2Files pastTheEnd = good;
    pastTheEnd.o2[3] = std::byte{0x01};  // section 0 starts 16 MiB in, past the L2 bytes
    std::vector<std::byte> shortL2M(9 + 9 * 32 * 32 - 1, std::byte{0});
    shortL2M[0] = shortL2M[4] = std::byte{32};
    std::vector<std::byte> oblongL2M(shortL2M.size() + 1, std::byte{0});
    oblongL2M[0] = std::byte{16};
    oblongL2M[4] = std::byte{32};
    const std::vector<Message> readError = {{"L2 end of file reached", "Error", MessageIcon::Error},
                                            {"L2 error", "L2 Read Error", MessageIcon::Error}};
    const std::vector<Message> sizeError = {
        {"This L2M matrix is not the same size as the current theater.", "L2M Matrix Error",
         MessageIcon::Error}};
    struct Case {
        const char* what;
        std::function<bool(MessageLog&)> open;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {"section past the end",
         [&](MessageLog& m) {
             return TerrainRows::OfL2(pastTheEnd.l2, pastTheEnd.o2, m).has_value();
         },
         readError},
        {"L2 cut inside the last section",
         [&](MessageLog& m) {
             return TerrainRows::OfL2(std::span(good.l2).first(good.l2.size() - 7), good.o2, m)
                 .has_value();
         },
         readError},
        {"L2M short of its cells",
         [&](MessageLog& m) { return TerrainRows::OfL2M(shortL2M, m).has_value(); }, readError},
        {"L2M header cut",
         [&](MessageLog& m) {
             return TerrainRows::OfL2M(std::span(shortL2M).first(8), m).has_value();
         },
         readError},
        {"L2M not square",
         [&](MessageLog& m) { return TerrainRows::OfL2M(oblongL2M, m).has_value(); }, sizeError},
    };
    for (const Case& c : cases) {
        MessageLog messages;
        EXPECT_FALSE(c.open(messages)) << c.what;
        EXPECT_EQ(messages.messages, c.messages) << c.what;
    }
}

// Rows in a random order: each band read again when it is left.
void ExpectRowsInAnyOrder(const TerrainRows& rows, const TerrainCells& expected,
                          std::mt19937& random) {
    TerrainRowBuffer scratch(rows.Columns());
    for (int k = 0; k < 40; ++k) {
        const size_t y = random() % rows.Rows();
        const TerrainCell* row = rows.Row(y, scratch.data());
        ASSERT_TRUE(std::equal(row, row + rows.Columns(),
                               expected.begin() + static_cast<ptrdiff_t>(y * rows.Columns())))
            << "row " << y;
    }
}

// A folder for the files of a test and a database to compose maps with.
class TerrainRowsFiles : public ::testing::Test {
  protected:
    void TearDown() override { std::filesystem::remove_all(folder); }
    const std::filesystem::path folder = testing::MakeTempFolder("lorvane-rows-files");
    const TileDatabase database = testing::MakeLargeDatabase(40, 16, 2, 1);
};

TEST_F(TerrainRowsFiles, FilesStreamToTheSameOutputsAsTheirBytes) {
    std::mt19937 random(23);
    // Sizes from one section to L2M files of several 1 MiB bands.
    const int32_t sizes[] = {1, 3, 7, 24, 2, 30};
    for (int trial = 0; trial < 6; ++trial) {
        const int recordSize = trial % 2 == 0 ? 7 : 9;
        const int32_t n = sizes[trial];
        SCOPED_TRACE(::testing::Message() << "n " << n << ", " << recordSize << "-byte records");
        const AliasedTerrain terrain = MakeAliasedTerrain(n, recordSize, random);
        const auto l2Path = testing::WriteL2Files(folder, "T", terrain.files);
        MessageLog messages;
        ProgressRecorder progress;
        const auto fromMemory = TerrainRows::OfL2(terrain.files.l2, terrain.files.o2, messages);
        const auto rows = OpenTerrainRows(l2Path, false, messages);
        ASSERT_TRUE(rows && fromMemory);
        ASSERT_EQ(AllRows(*rows), terrain.expected.cells);
        ExpectRowsInAnyOrder(*rows, terrain.expected.cells, random);
        ASSERT_TRUE(SaveRowsAsL2M(folder / "file.L2M", *rows, progress, messages));
        ASSERT_TRUE(SaveRowsAsL2M(folder / "memory.L2M", *fromMemory, progress, messages));
        const auto l2m = testing::ReadFileBytes(folder / "file.L2M");
        EXPECT_EQ(l2m, testing::ReadFileBytes(folder / "memory.L2M"));
        EXPECT_EQ(ComposeTheaterMap(*rows, database, progress),
                  ComposeTheaterMap(*fromMemory, database, progress));
        EXPECT_EQ(ComposeMeaFile(*rows), ComposeMeaFile(*fromMemory));
        const auto built = BuildMatrixFromL2(*rows, progress, messages);
        ASSERT_TRUE(built);
        EXPECT_EQ(built->cells, terrain.expected.cells);

        const auto l2mRows = OpenTerrainRows(folder / "file.L2M", true, messages);
        ASSERT_TRUE(l2mRows);
        EXPECT_EQ(AllRows(*l2mRows), terrain.expected.cells);
        ExpectRowsInAnyOrder(*l2mRows, terrain.expected.cells, random);
        ASSERT_TRUE(SaveRowsAsL2M(folder / "again.L2M", *l2mRows, progress, messages));
        EXPECT_EQ(testing::ReadFileBytes(folder / "again.L2M"), l2m);
        const auto loaded = LoadMatrixFromL2M(*l2mRows, progress, messages);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->cells, terrain.expected.cells);
        EXPECT_TRUE(messages.messages.empty());
    }
}

// The fuzz corpora's inputs (an O2 length, the O2, the L2; or an L2M file)
// give the same outputs streamed from files as read from their bytes, and
// the same messages.
TEST_F(TerrainRowsFiles, EveryCorpusInputStreamsFromFilesAsFromItsBytes) {
    const std::filesystem::path corpora = std::filesystem::path(LORVANE_SOURCE_DIR) / "fuzz/corpus";
    // A build run elsewhere (the Windows tests under Wine) may not see the tree.
    if (!std::filesystem::is_directory(corpora)) GTEST_SKIP() << "no corpus at " << corpora;
    size_t inputs = 0;
    for (const bool l2m : {false, true}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(corpora / (l2m ? "l2m" : "terrain_l2"))) {
            SCOPED_TRACE(entry.path().filename().string());
            const auto bytes = testing::ReadFileBytes(entry.path());
            std::vector<std::byte> l2 = bytes, o2;
            if (!l2m) {
                if (bytes.size() < 2) continue;
                const size_t o2Length = std::min<size_t>(
                    std::to_integer<size_t>(bytes[0]) | std::to_integer<size_t>(bytes[1]) << 8,
                    bytes.size() - 2);
                o2.assign(bytes.begin() + 2, bytes.begin() + 2 + static_cast<ptrdiff_t>(o2Length));
                l2.assign(bytes.begin() + 2 + static_cast<ptrdiff_t>(o2Length), bytes.end());
            }
            if (l2.empty() || (!l2m && o2.empty())) continue;  // an empty file is not opened
            ++inputs;
            const auto path = l2m ? folder / "T.L2M" : testing::WriteL2Files(folder, "T", {l2, o2});
            if (l2m) testing::WriteFileBytes(path, l2);
            MessageLog fromBytes;
            MessageLog fromFiles;
            const auto memory =
                l2m ? TerrainRows::OfL2M(l2, fromBytes) : TerrainRows::OfL2(l2, o2, fromBytes);
            const auto files = OpenTerrainRows(path, l2m, fromFiles);
            EXPECT_EQ(fromFiles.messages, fromBytes.messages);
            ASSERT_EQ(files.has_value(), memory.has_value());
            if (!memory) continue;
            ProgressRecorder progress;
            ASSERT_TRUE(SaveRowsAsL2M(folder / "files.L2M", *files, progress, fromFiles));
            ASSERT_TRUE(SaveRowsAsL2M(folder / "bytes.L2M", *memory, progress, fromBytes));
            EXPECT_EQ(testing::ReadFileBytes(folder / "files.L2M"),
                      testing::ReadFileBytes(folder / "bytes.L2M"));
            EXPECT_EQ(ComposeMeaFile(*files), ComposeMeaFile(*memory));
            EXPECT_EQ(ComposeTheaterMap(*files, database, progress),
                      ComposeTheaterMap(*memory, database, progress));
            EXPECT_TRUE(fromFiles.messages.empty());
        }
    }
    EXPECT_GT(inputs, 10u);
}

// An O2 that names a few sections many times builds a matrix that keeps
// each of them once and reads, saves and composes as the whole matrix does.
TEST_F(TerrainRowsFiles, SectionsNamedManyTimesAreKeptOnce) {
    std::mt19937 random(31);
    for (int trial = 0; trial < 6; ++trial) {
        const int recordSize = trial % 2 == 0 ? 7 : 9;
        const auto n = static_cast<int32_t>(2 + random() % 7);
        SCOPED_TRACE(::testing::Message() << "n " << n << ", " << recordSize << "-byte records");
        const AliasedTerrain terrain = MakeAliasedTerrain(n, recordSize, random, 2 + trial % 3);
        MessageLog messages;
        ProgressRecorder progress;
        const auto matrix =
            BuildMatrixFromL2(terrain.files.l2, terrain.files.o2, progress, messages);
        ASSERT_TRUE(matrix);
        ASSERT_TRUE(matrix->SharesSections());
        EXPECT_TRUE(matrix->IsComplete());
        EXPECT_TRUE(matrix->cells.empty());
        const auto sections = static_cast<size_t>(n) * static_cast<size_t>(n);
        EXPECT_LE(matrix->sharedCells.size(), 256 * (sections / 2));
        EXPECT_EQ(progress.reports.size(), static_cast<size_t>(n));
        EXPECT_EQ(AllRows(TerrainRows::OfMatrix(*matrix)), terrain.expected.cells);
        for (int32_t y = 0; y < 16 * n; y += 5) {
            for (int32_t x = 0; x < 16 * n; x += 3)
                ASSERT_EQ(matrix->Cell(x, y), terrain.expected.Cell(x, y)) << x << "," << y;
        }
        ASSERT_TRUE(SaveMatrixAsL2M(folder / "shared.L2M", *matrix, progress, messages));
        ASSERT_TRUE(SaveMatrixAsL2M(folder / "whole.L2M", terrain.expected, progress, messages));
        EXPECT_EQ(testing::ReadFileBytes(folder / "shared.L2M"),
                  testing::ReadFileBytes(folder / "whole.L2M"));
        EXPECT_EQ(ComposeTheaterMap(*matrix, database, progress, messages),
                  ComposeTheaterMap(terrain.expected, database, progress, messages));
        EXPECT_EQ(ComposeMeaFile(*matrix, messages), ComposeMeaFile(terrain.expected, messages));
        EXPECT_TRUE(messages.messages.empty());
    }
}

TEST(TerrainRowsTest, AFileThatChangesWhileItIsReadIsRefused) {
    const auto folder = testing::MakeTempFolder("lorvane-rows-changing");
    const TileDatabase database = testing::MakeLargeDatabase(8, 16, 1, 1);
    // Four section rows of L2; an L2M file of two bands.
    const testing::L2Files files = testing::MakeL2Files(testing::MakePatternMatrix(4), 7);
    const auto l2Path = testing::WriteL2Files(folder, "T", files);
    const auto l2mPath = folder / "T.L2M";
    {
        ProgressRecorder progress;
        MessageLog messages;
        ASSERT_TRUE(SaveMatrixAsL2M(l2mPath, testing::MakePatternMatrix(24), progress, messages));
    }
    struct Consumer {
        const char* what;
        std::function<bool(const TerrainRows&, MessageLog&)> run;
    };
    const auto out = folder / "out";
    const Consumer consumers[] = {
        {"l2m",
         [&](const TerrainRows& rows, MessageLog& m) {
             ProgressRecorder progress;
             return SaveRowsAsL2M(out, rows, progress, m);
         }},
        {"thr",
         [&](const TerrainRows& rows, MessageLog& m) {
             ProgressRecorder progress;
             return GenerateTheaterMap(out, rows, database, progress, m);
         }},
        {"mea",
         [&](const TerrainRows& rows, MessageLog& m) { return GenerateMeaFile(out, rows, m); }},
        {"matrix",
         [&](const TerrainRows& rows, MessageLog& m) {
             ProgressRecorder progress;
             return rows.Columns() == 64 ? BuildMatrixFromL2(rows, progress, m).has_value()
                                         : LoadMatrixFromL2M(rows, progress, m).has_value();
         }},
    };
    const std::vector<Message> readError = {{"L2 end of file reached", "Error", MessageIcon::Error},
                                            {"L2 error", "L2 Read Error", MessageIcon::Error}};
    for (const bool l2m : {false, true}) {
        const auto path = l2m ? l2mPath : l2Path;
        const auto original = testing::ReadFileBytes(path);
        for (const testing::FileChange& change : testing::FileChanges()) {
            for (const Consumer& consumer : consumers) {
                SCOPED_TRACE(::testing::Message()
                             << (l2m ? "L2M " : "L2 ") << change.what << ", " << consumer.what);
                testing::WriteFileBytes(path, original);
                testing::WriteFileBytes(out, {std::byte{42}});
                MessageLog messages;
                auto file = std::make_unique<testing::ChangingFile>(*InputFile::Open(path),
                                                                    [&] { change.apply(path); });
                std::optional<TerrainRows> rows;
                if (l2m) {
                    rows = TerrainRows::OfL2M(std::move(file), messages);
                } else {
                    auto o2 = InputFile::Open(*O2PathFor(path));
                    rows = TerrainRows::OfL2(std::move(file), *o2, messages);
                }
                ASSERT_TRUE(rows);
                EXPECT_FALSE(consumer.run(*rows, messages));
                EXPECT_TRUE(rows->ReadFailed());
                ASSERT_EQ(messages.messages, readError);
                EXPECT_EQ(messages.messages[0].detail,
                          PathToUtf8(path) + ": the file changed while it was read");
                // The output that was there stays as it was.
                EXPECT_EQ(testing::ReadFileBytes(out), std::vector<std::byte>{std::byte{42}});
            }
        }
    }
    std::filesystem::remove_all(folder);
}

// The .thr map stores its rows a band at a time; maps whose height is not a
// multiple of the band, and narrow or wide ones, keep every post in place.
TEST(TerrainRowsTest, TheaterMapOfEveryShapeHoldsEachPostInColumnOrder) {
    const TileDatabase database = testing::MakeLargeDatabase(8, 16, 1, 1);
    const TileBitsLookup lookup(database);
    std::mt19937 random(7);
    const std::pair<int32_t, int32_t> shapes[] = {{1, 1},  {3, 63},   {5, 64},   {2, 65},
                                                  {64, 1}, {17, 129}, {130, 70}, {16, 200}};
    for (const auto& [columns, rows] : shapes) {
        TerrainMatrix matrix = MakeTerrainMatrix(columns, rows);
        for (TerrainCell& cell : matrix.cells) {
            cell.tileId = random() % 160;
            cell.aux2 = static_cast<uint8_t>(random() % 70);
        }
        ProgressRecorder progress;
        MessageLog messages;
        const auto bytes = ComposeTheaterMap(matrix, database, progress, messages);
        ASSERT_TRUE(bytes);
        ASSERT_EQ(bytes->size(), 4 + static_cast<size_t>(columns) * static_cast<size_t>(rows));
        for (int32_t x = 0; x < columns; ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                const TerrainCell& cell = matrix.Cell(x, y);
                const uint8_t expected = static_cast<uint8_t>(lookup.Find(cell.tileId).value_or(0) |
                                                              Aux2BandBits(cell.aux2));
                ASSERT_EQ(std::to_integer<uint8_t>((*bytes)[4 + static_cast<size_t>(x * rows + y)]),
                          expected)
                    << columns << "x" << rows << " post " << x << "," << y;
            }
        }
        EXPECT_EQ(progress.reports.size(), static_cast<size_t>(rows));
    }
}

}  // namespace
}  // namespace lorvane
