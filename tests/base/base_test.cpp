#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/stream_reader.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (int v : values) bytes.push_back(static_cast<std::byte>(v));
    return bytes;
}

TEST(ByteReader, ReadsLittleEndianFields) {
    const auto data =
        Bytes({0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0xAB});
    ByteReader in(data);
    uint32_t u = 0;
    int32_t i = 0;
    float f = 0;
    uint8_t b = 0;
    ASSERT_TRUE(in.ReadU32(u));
    ASSERT_TRUE(in.ReadI32(i));
    ASSERT_TRUE(in.ReadF32(f));
    ASSERT_TRUE(in.ReadU8(b));
    EXPECT_EQ(u, 0x12345678u);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(b, 0xAB);
    EXPECT_TRUE(in.AtEnd());
}

TEST(ByteReader, FailedReadAtTheEndConsumesNothingAndKeepsTheValue) {
    const auto data = Bytes({1, 2, 3});
    ByteReader in(data);
    int32_t value = 77;
    EXPECT_FALSE(in.ReadI32(value));
    EXPECT_EQ(value, 77);
    EXPECT_EQ(in.Position(), 0u);
    uint16_t half = 0;
    EXPECT_TRUE(in.ReadU16(half));
    EXPECT_EQ(half, 0x0201);
    EXPECT_FALSE(in.ReadU16(half));
    EXPECT_FALSE(in.Skip(2));
    EXPECT_TRUE(in.Skip(1));
    EXPECT_FALSE(in.Seek(4));
}

TEST(ByteReader, FitsNeverOverflows) {
    const auto data = Bytes({0, 0, 0, 0, 0, 0, 0, 0});
    ByteReader in(data);
    EXPECT_TRUE(in.Fits(2, 4));
    EXPECT_FALSE(in.Fits(3, 4));
    EXPECT_FALSE(in.Fits(0x7FFFFFFF, 24));
    EXPECT_FALSE(in.Fits(UINT64_MAX, UINT64_MAX));
    EXPECT_TRUE(in.Fits(0, 24));
}

// The stream reader reads what the span reader reads, field for field, for
// every band size (smaller than one field, odd, larger than the data) and
// pieces that fit the band, straddle it or are larger than it; a read past
// the end fails, consumes nothing, and the reader goes on.
TEST(StreamReader, ReadsWhatTheSpanReaderReadsWhateverTheBand) {
    std::mt19937 random(23);
    std::vector<std::byte> data(3000);
    for (std::byte& b : data) b = static_cast<std::byte>(random());
    for (const size_t band : {1, 16, 17, 100, 4096}) {
        SCOPED_TRACE(band);
        MemoryBytes source(data);
        StreamReader stream(source, band);
        ByteReader span(data);
        for (int step = 0; step < 400; ++step) {
            switch (random() % 4) {
                case 3: {
                    // A piece in place: some of what the span reader reads
                    // next, and never nothing before the end.
                    const size_t most = random() % 300;
                    const std::span<const std::byte> piece = stream.ReadPiece(most);
                    std::vector<std::byte> b(piece.size());
                    ASSERT_TRUE(span.ReadBytes(b));
                    ASSERT_TRUE(std::equal(piece.begin(), piece.end(), b.begin()));
                    ASSERT_LE(piece.size(), std::min<size_t>(most, band));
                    ASSERT_EQ(piece.empty(), most == 0 || span.Remaining() + b.size() == 0);
                    break;
                }
                case 0: {
                    int32_t a = 7, b = 7;
                    ASSERT_EQ(stream.ReadI32(a), span.ReadI32(b));
                    ASSERT_EQ(a, b);
                    break;
                }
                case 1: {
                    uint8_t a = 7, b = 7;
                    ASSERT_EQ(stream.ReadU8(a), span.ReadU8(b));
                    ASSERT_EQ(a, b);
                    break;
                }
                default: {
                    std::vector<std::byte> a(random() % 300), b(a.size());
                    ASSERT_EQ(stream.ReadBytes(a), span.ReadBytes(b));
                    ASSERT_EQ(a, b);
                }
            }
            ASSERT_EQ(stream.Remaining(), span.Remaining());
        }
        EXPECT_TRUE(stream.AtEnd());
        EXPECT_FALSE(stream.SourceFailed());
    }
}

// A source that cannot give what its size promised fails the reader.
TEST(StreamReader, ASourceThatFailsFailsTheReader) {
    const auto folder = testing::MakeTempFolder("lorvane-stream");
    const auto path = folder / "in.bin";
    testing::WriteFileBytes(path, std::vector<std::byte>(1000, std::byte{1}));
    auto file = InputFile::Open(path);
    ASSERT_TRUE(file);
    StreamReader in(*file, 64);
    std::vector<std::byte> piece(64);
    EXPECT_TRUE(in.ReadBytes(piece));  // the first band
    std::filesystem::resize_file(path, 10);
    EXPECT_FALSE(in.ReadBytes(std::span(piece.data(), 4)));
    EXPECT_TRUE(in.SourceFailed());
    EXPECT_FALSE(in.ReadBytes({}));  // and stays failed
    EXPECT_TRUE(in.ReadPiece().empty());
    EXPECT_EQ(file->Detail(), path.string() + ": the file changed while it was read");
    file.reset();  // an open file cannot be removed on Windows
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST(ByteWriter, WritesWhatTheReaderReads) {
    ByteWriter out;
    out.I32(-5);
    out.F32(2.5f);
    out.U8(9);
    out.Zeros(2);
    out.I16(-2);
    const auto bytes = out.Take();
    ASSERT_EQ(bytes.size(), 13u);
    ByteReader in(bytes);
    int32_t i = 0;
    float f = 0;
    uint8_t b = 0;
    int16_t s = 0;
    ASSERT_TRUE(in.ReadI32(i) && in.ReadF32(f) && in.ReadU8(b) && in.Skip(2) && in.ReadI16(s));
    EXPECT_EQ(i, -5);
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(s, -2);
}

TEST(FormatText, FormatsLikePrintf) {
    EXPECT_EQ(FormatText("Texture.bin loaded: %d Sets  %d Tiles", 3, 40),
              "Texture.bin loaded: 3 Sets  40 Tiles");
    EXPECT_EQ(FormatText("%02d", 7), "07");
    EXPECT_EQ(FormatText("%s", ""), "");
}

class SafeFiles : public ::testing::Test {
  protected:
    void SetUp() override { folder = testing::MakeTempFolder("lorvane-base"); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    size_t EntriesInFolder() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                 std::filesystem::directory_iterator()));
    }
    std::filesystem::path folder;
};

TEST_F(SafeFiles, ReplaceWritesTheWholeNewContentAndLeavesNoTemporaryFile) {
    const auto target = folder / "out.bin";
    testing::WriteFileBytes(target, Bytes({9, 9, 9, 9, 9, 9}));
    ASSERT_EQ(ReplaceFile(target, Bytes({1, 2})), WriteStatus::Ok);
    EXPECT_EQ(testing::ReadFileBytes(target), Bytes({1, 2}));  // no stale tail
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SafeFiles, DiscardedWriteLeavesTheOldFileAsItWas) {
    const auto target = folder / "out.bin";
    testing::WriteFileBytes(target, Bytes({4, 5, 6}));
    {
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(target));
        ASSERT_TRUE(writer.Write(Bytes({1})));
    }  // never committed
    EXPECT_EQ(testing::ReadFileBytes(target), Bytes({4, 5, 6}));
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SafeFiles, MissingFolderIsAnOpenFailure) {
    EXPECT_EQ(ReplaceFile(folder / "no" / "such" / "out.bin", Bytes({1})), WriteStatus::OpenFailed);
}

TEST_F(SafeFiles, AFolderAtTheTargetIsRefusedAndNoTemporaryFileIsLeft) {
    std::filesystem::create_directory(folder / "taken");
    std::filesystem::create_directory(folder / "taken" / "child");
    std::string detail;
    EXPECT_EQ(ReplaceFile(folder / "taken", Bytes({1}), &detail), WriteStatus::OpenFailed);
    EXPECT_EQ(detail, (folder / "taken").string() + ": Is a directory");
    EXPECT_EQ(EntriesInFolder(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken" / "child"));
}

TEST_F(SafeFiles, FileBytesMapsWholeFilesAndRefusesMissingOnes) {
    const auto target = folder / "in.bin";
    testing::WriteFileBytes(target, Bytes({1, 2, 3}));
    const auto file = FileBytes::Open(target);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(std::vector<std::byte>(file->Bytes().begin(), file->Bytes().end()), Bytes({1, 2, 3}));
    testing::WriteFileBytes(folder / "empty.bin", {});
    const auto empty = FileBytes::Open(folder / "empty.bin");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->Size(), 0u);
    EXPECT_FALSE(FileBytes::Open(folder / "missing.bin").has_value());
    EXPECT_FALSE(FileBytes::Open(folder).has_value());
}

}  // namespace
}  // namespace lorvane
