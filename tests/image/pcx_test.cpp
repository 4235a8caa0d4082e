#include "image/pcx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "base/path_text.h"
#include "support/changing_file.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

using testing::PcxHeaderBytes;

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (int value : values) bytes.push_back(static_cast<std::byte>(value));
    return bytes;
}

std::vector<std::byte> Join(std::vector<std::byte> a, const std::vector<std::byte>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One buffer line of a decoded image, padding included.
std::vector<uint8_t> Line(const PcxImage& image, int y) {
    const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.stride;
    return {begin, begin + image.stride};
}

TEST(DecodePcx, LinesStridePaddingAndHiddenColumn) {
    struct Case {
        const char* what;
        int width;
        int bytesPerLine;
        int stride;
    };
    const Case cases[] = {
        {"64 wide, 64 bytes per line: no padding", 64, 64, 64},
        {"63 wide, 64 bytes per line: the 64th column is stored", 63, 64, 64},
        {"30 bytes per line: two bytes of padding", 30, 30, 32},
        {"odd line of 37", 37, 37, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::PcxPicture picture = testing::MakePatternPicture(c.bytesPerLine, 5, 7);
        const std::vector<std::byte> file = testing::WritePcx(picture, {c.bytesPerLine});
        // The header names the image narrower than the encoded lines.
        std::vector<std::byte> narrowed = file;
        const auto xMax = static_cast<int16_t>(c.width - 1);
        narrowed[8] = static_cast<std::byte>(xMax & 0xFF);
        narrowed[9] = static_cast<std::byte>(xMax >> 8);
        const auto image = DecodePcx(narrowed);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Width(), c.width);
        EXPECT_EQ(image->Height(), 5);
        EXPECT_EQ(image->stride, c.stride);
        ASSERT_EQ(image->pixels.size(), static_cast<size_t>(c.stride * 5));
        for (int y = 0; y < 5; ++y) {
            std::vector<uint8_t> expected(picture.indices.begin() + y * c.bytesPerLine,
                                          picture.indices.begin() + (y + 1) * c.bytesPerLine);
            expected.resize(static_cast<size_t>(c.stride), 0);
            EXPECT_EQ(Line(*image, y), expected) << "line " << y;
        }
        // Columns beyond the width are stored but not shown: stretched to
        // twice its width, the image ends with its last column twice.
        const std::vector<uint32_t> shown = StretchPcx(*image, 2 * c.width, 5);
        const uint8_t last = picture.At(c.width - 1, 4);
        EXPECT_EQ(shown.back(), image->Rgb(c.width - 1, 4));
        EXPECT_EQ(image->pixels[static_cast<size_t>(4 * c.stride + c.width - 1)], last);
    }
}

TEST(DecodePcx, RunsAndLiterals) {
    struct Case {
        const char* what;
        std::vector<std::byte> data;
        std::vector<uint8_t> line;  // the first line, 64 wide
    };
    std::vector<uint8_t> sixtyThree(64, 5);
    sixtyThree[63] = 9;
    std::vector<uint8_t> one(64, 0);
    one[0] = 5;
    one[1] = 7;
    std::vector<uint8_t> literal(64, 192);
    std::vector<uint8_t> literals(64, 0);
    for (int i = 0; i < 64; ++i) literals[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 3);
    std::vector<std::byte> literalData;
    for (int i = 0; i < 64; ++i) literalData.push_back(static_cast<std::byte>(i * 3));
    std::vector<std::byte> allC0(64, std::byte{0xC0});
    const Case cases[] = {
        {"0xFF 0x05 is 63 pixels of 5", Bytes({0xFF, 0x05, 0x09}), sixtyThree},
        {"0xC1 0x05 is one pixel of 5", Bytes({0xC1, 0x05, 0x07, 0xFE, 0x00}), one},
        {"0xC0 is one pixel of 192", allC0, literal},
        {"bytes up to 192 are literals", literalData, literals},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto image = DecodePcx(Join(PcxHeaderBytes(0, 0, 63, 0, 64), c.data));
        ASSERT_TRUE(image);
        EXPECT_EQ(Line(*image, 0), c.line);
    }
}

TEST(DecodePcx, MalformedDataStaysInsideTheImage) {
    // A 4 × 3 image with 8 bytes per line (stride 8).
    const std::vector<std::byte> header = PcxHeaderBytes(0, 0, 3, 2, 8);
    struct Case {
        const char* what;
        std::vector<std::byte> data;
        std::vector<std::vector<uint8_t>> lines;
        bool palette;
    };
    const Case cases[] = {
        {"columns beyond the width are dropped, the next line stays in place",
         Bytes({1,  2,  3,  4,  5,  6,  7,  8,  11, 12, 13, 14,
                15, 16, 17, 18, 21, 22, 23, 24, 25, 26, 27, 28}),
         {{1, 2, 3, 4, 5, 0, 0, 0}, {11, 12, 13, 14, 15, 0, 0, 0}, {21, 22, 23, 24, 25, 0, 0, 0}},
         false},
        {"a run that crosses the line end is cut; the next line starts at the next byte",
         Bytes({0xC3, 9, 0xFF, 6, 0xC8, 1, 0xC8, 2}),
         {{9, 9, 9, 6, 6, 6, 6, 6}, {1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2, 2, 2}},
         false},
        {"a file that ends early leaves the rest at colour 0",
         Bytes({0xC8, 4, 7}),
         {{4, 4, 4, 4, 4, 4, 4, 4}, {7, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
         false},
        {"a run byte at the very end has no value",
         Bytes({0xC8, 4, 0xC8, 3, 0xC2}),
         {{4, 4, 4, 4, 4, 4, 4, 4}, {3, 3, 3, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 0}},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto image = DecodePcx(Join(header, c.data));
        ASSERT_TRUE(image);
        ASSERT_EQ(image->pixels.size(), 24u);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(Line(*image, y), c.lines[static_cast<size_t>(y)]) << y;
        EXPECT_EQ(image->paletteFound, c.palette);
        EXPECT_EQ(image->palette[200], (PaletteColour{200, 200, 200}));
    }
}

TEST(DecodePcx, RefusesUnusableHeaders) {
    struct Case {
        const char* what;
        std::vector<std::byte> file;
    };
    const Case cases[] = {
        {"shorter than the header", std::vector<std::byte>(127, std::byte{0})},
        {"width 0 (Xmax before Xmin)", PcxHeaderBytes(5, 0, 4, 9, 8)},
        {"negative height", PcxHeaderBytes(0, 10, 7, 2, 8)},
        {"width above 16384", PcxHeaderBytes(-1, 0, 16383, 9, 8)},
        {"height above 16384", PcxHeaderBytes(0, -8000, 7, 8384, 8)},
        {"bytes per line 0", PcxHeaderBytes(0, 0, 7, 7, 0)},
        {"negative bytes per line", PcxHeaderBytes(0, 0, 7, 7, -8)},
        {"bytes per line above 16384", PcxHeaderBytes(0, 0, 7, 7, 16385)},
        {"no planes", PcxHeaderBytes(0, 0, 7, 7, 8, 0)},
        {"five planes", PcxHeaderBytes(0, 0, 7, 7, 8, 5)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(DecodePcx(c.file)) << c.what;
    }
    // The largest accepted sizes decode once the data could hold them: one
    // byte for each 63 columns of the line.
    std::vector<std::byte> bytes = PcxHeaderBytes(-8192, 0, 8191, 0, 16384);
    EXPECT_FALSE(DecodePcx(bytes));
    bytes.resize(bytes.size() + (16384 + 62) / 63);
    const auto largest = DecodePcx(bytes);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->Width(), 16384);
    EXPECT_EQ(largest->pixels.size(), 16384u);
}

// Data bytes after a header: count copies of a byte pattern.
std::vector<std::byte> Repeated(std::initializer_list<int> pattern, size_t count) {
    std::vector<std::byte> data;
    data.reserve(pattern.size() * count);
    for (size_t i = 0; i < count; ++i) {
        for (int b : pattern) data.push_back(static_cast<std::byte>(b));
    }
    return data;
}

TEST(PcxDataCanHold, TheHeaderCannotClaimMoreThanItsDataExpandsTo) {
    constexpr size_t kMiB = size_t{1} << 20;
    static_assert(kPcxUnbackedAllowance == kMiB);
    struct Case {
        const char* what;
        std::vector<std::byte> header;
        std::vector<std::byte> data;
        bool holds;
    };
    const Case cases[] = {
        // 261 longest runs a line would hold one plane at best; four need 1041.
        {"16384 x 16384 in 4 planes over the longest runs of one plane",
         PcxHeaderBytes(0, 0, 16383, 16383, 16384, 4), Repeated({0xFF, 0}, 16384 * 261 / 2), false},
        {"16384 x 16384 over 4.3 MB of literal bytes", PcxHeaderBytes(0, 0, 16383, 16383, 16384),
         Repeated({7}, 16384 * 261), false},
        {"16384 x 16384 over enough of the longest runs", PcxHeaderBytes(0, 0, 16383, 16383, 16384),
         Repeated({0xFF, 7}, 16384 * 261), true},
        // 2 MiB of lines: the data must expand to 1 MiB of them.
        {"2 MiB of lines over 1 MiB of literals", PcxHeaderBytes(0, 0, 2047, 1023, 2048),
         Repeated({1}, kMiB), true},
        {"2 MiB of lines over a literal less", PcxHeaderBytes(0, 0, 2047, 1023, 2048),
         Repeated({1}, kMiB - 1), false},
        {"the same in 2 planes of half the line", PcxHeaderBytes(0, 0, 2047, 1023, 1024, 2),
         Repeated({1}, kMiB - 1), false},
        // Lines of 2 bytes, so the lines alone are small; the picture is not.
        {"16384 x 16384 shown from lines of 2 bytes", PcxHeaderBytes(0, 0, 16383, 16383, 2),
         Repeated({0xC2, 3}, 16384), false},
        {"a small damaged file still holds", PcxHeaderBytes(0, 0, 511, 511, 512),
         Repeated({0xFF, 3}, 512 * 9), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::byte> file = Join(c.header, c.data);
        const std::optional<PcxHeader> header = ReadPcxHeader(file);
        ASSERT_TRUE(header);
        ASSERT_TRUE(header->Usable());
        EXPECT_EQ(PcxDataCanHold(*header, file), c.holds);
        if (!c.holds) {
            EXPECT_FALSE(DecodePcx(file));
        }
    }
}

TEST(DecodePcx, AcceptedImagesCostNoMoreThanTheirData) {
    // Random headers over random data: whatever is decoded takes at most 32
    // pixel bytes for each data byte (two bytes expand to 63) beyond the
    // allowance, and its line padding.
    std::srand(27);
    const auto random = [](int limit) { return std::rand() % limit; };
    int decoded = 0;
    for (int round = 0; round < 400; ++round) {
        const auto side = [&] { return static_cast<int16_t>(1 << random(15)) + random(4); };
        std::vector<std::byte> file =
            PcxHeaderBytes(0, 0, static_cast<int16_t>(side() - 1), static_cast<int16_t>(side() - 1),
                           side(), static_cast<int8_t>(1 + random(4)));
        const size_t size = static_cast<size_t>(random(1 << random(18)));
        const int runShare = random(101);
        for (size_t i = 0; i < size; ++i) {
            file.push_back(
                static_cast<std::byte>(random(100) < runShare ? 0xC0 + random(64) : random(193)));
        }
        const auto image = DecodePcx(file);
        if (!image) continue;
        ++decoded;
        const auto height = static_cast<uint64_t>(image->Height());
        EXPECT_LE(image->pixels.size(), 32 * size + kPcxUnbackedAllowance + 4 * height) << round;
        const uint64_t picture = static_cast<uint64_t>(image->Width()) * height;
        EXPECT_LE(picture, 32 * size + kPcxUnbackedAllowance) << round;
    }
    EXPECT_GT(decoded, 40);
}

TEST(DecodePcx, SizeAndPalette) {
    testing::PcxPicture picture = testing::MakePatternPicture(21, 4, 3);
    picture.palette[0] = {10, 20, 30};
    picture.palette[255] = {250, 251, 252};
    const auto image =
        DecodePcx(testing::WritePcx(picture, {.bytesPerLine = 22, .xMin = 100, .yMin = -3}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), 21);
    EXPECT_EQ(image->Height(), 4);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bitsPerPixel, 8);
    EXPECT_EQ(image->stride, 24);
    EXPECT_TRUE(image->paletteFound);
    EXPECT_EQ(image->palette[0], (PaletteColour{10, 20, 30}));  // red, green, blue
    EXPECT_EQ(image->palette[255], (PaletteColour{250, 251, 252}));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 21; ++x) {
            const testing::Rgb& rgb = picture.palette[picture.At(x, y)];
            const uint32_t expected =
                0xFF000000u | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
            ASSERT_EQ(image->Rgb(x, y), expected) << x << ", " << y;
        }
    }
}

TEST(DecodePcx, ShortPaletteKeepsGreyForMissingEntries) {
    testing::PcxPicture picture = testing::MakePatternPicture(8, 2, 5);
    std::vector<std::byte> file = testing::WritePcx(picture);
    file.resize(file.size() - 3 * 200 - 1);  // 55 whole triples and one byte remain
    const auto image = DecodePcx(file);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->paletteFound);
    const testing::Rgb& rgb = picture.palette[54];
    EXPECT_EQ(image->palette[54], (PaletteColour{rgb[0], rgb[1], rgb[2]}));
    EXPECT_EQ(image->palette[55], (PaletteColour{55, 55, 55}));
    EXPECT_EQ(image->palette[255], (PaletteColour{255, 255, 255}));
}

TEST(StretchPcx, RepeatsAndDropsRowsAndColumns) {
    // Indices 0 1 2 3 on each line, line y adds 10 × y; grey palette.
    std::vector<std::byte> file = PcxHeaderBytes(0, 0, 3, 3, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) file.push_back(static_cast<std::byte>(10 * y + x));
    }
    const auto image = DecodePcx(file);
    ASSERT_TRUE(image);
    const auto grey = [](uint32_t v) { return 0xFF000000u | v << 16 | v << 8 | v; };

    const std::vector<uint32_t> doubled = StretchPcx(*image, 8, 8);
    ASSERT_EQ(doubled.size(), 64u);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(doubled[static_cast<size_t>(y * 8 + x)],
                      grey(static_cast<uint32_t>(10 * (y / 2) + x / 2)));
        }
    }
    const std::vector<uint32_t> halved = StretchPcx(*image, 2, 2);
    EXPECT_EQ(halved, (std::vector<uint32_t>{grey(0), grey(2), grey(20), grey(22)}));
    const std::vector<uint32_t> wide = StretchPcx(*image, 6, 1);
    EXPECT_EQ(wide, (std::vector<uint32_t>{grey(0), grey(0), grey(1), grey(2), grey(2), grey(3)}));
    EXPECT_TRUE(StretchPcx(*image, 0, 5).empty());

    // Lines shorter than the image (2 bytes per line, stride 4, width 8):
    // the columns no line holds show colour 0, nothing is read beyond them.
    std::vector<std::byte> narrow = PcxHeaderBytes(0, 0, 7, 0, 2);
    for (int b : {0xC2, 9}) narrow.push_back(static_cast<std::byte>(b));
    const auto shortLines = DecodePcx(narrow);
    ASSERT_TRUE(shortLines);
    EXPECT_EQ(shortLines->stride, 4);
    EXPECT_EQ(StretchPcx(*shortLines, 8, 1),
              (std::vector<uint32_t>{grey(9), grey(9), grey(0), grey(0), grey(0), grey(0), grey(0),
                                     grey(0)}));
}

TEST(LoadPcxTile, ReadsTheFileOrFails) {
    const auto folder = testing::MakeTempFolder("lorvane-pcx");
    const testing::PcxPicture picture = testing::MakePatternPicture(33, 9, 11);
    const std::vector<std::byte> bytes = testing::WritePcx(picture);
    testing::WriteFileBytes(folder / "H001.PCX", bytes);
    const auto loaded = LoadPcxTile(folder / "H001.PCX");
    const auto decoded = DecodePcx(bytes);
    ASSERT_TRUE(loaded && decoded);
    EXPECT_EQ(loaded->pixels, decoded->pixels);
    EXPECT_EQ(loaded->palette, decoded->palette);
    EXPECT_FALSE(LoadPcxTile(folder / "missing.pcx"));
    std::filesystem::remove_all(folder);
}

void ExpectSameImage(const std::optional<PcxImage>& a, const std::optional<PcxImage>& b) {
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    EXPECT_EQ(std::tie(a->width, a->height, a->bitsPerPixel, a->planes, a->stride),
              std::tie(b->width, b->height, b->bitsPerPixel, b->planes, b->stride));
    EXPECT_EQ(a->pixels, b->pixels);
    EXPECT_EQ(a->palette, b->palette);
    EXPECT_EQ(a->paletteFound, b->paletteFound);
}

// Every input of the fuzz corpus, and a large tile whose claim is counted
// against its data, decodes the same from its bytes whole, from its file
// and through bands of any size (a run's value in the next band, the
// palette split across bands), with the same refusal.
TEST(ReadPcx, EveryCorpusInputDecodesTheSameWhateverTheBand) {
    const auto corpus = std::filesystem::path(LORVANE_SOURCE_DIR) / "fuzz/corpus/pcx";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        inputs.push_back(entry.path());
    const auto folder = testing::MakeTempFolder("lorvane-pcx-stream");
    inputs.push_back(folder / "large.pcx");
    testing::WriteFileBytes(inputs.back(),
                            testing::WritePcx(testing::MakePatternPicture(1500, 800, 4)));
    for (const auto& path : inputs) {
        SCOPED_TRACE(path.filename().string());
        const auto bytes = testing::ReadFileBytes(path);
        MemoryBytes whole(bytes);
        PcxRefusal wholeRefusal = PcxRefusal::None;
        const auto expected = ReadPcx(whole, &wholeRefusal, bytes.size() + 1);
        ExpectSameImage(DecodePcx(bytes), expected);
        ExpectSameImage(LoadPcxTile(path), expected);
        for (const size_t band : {1, 2, 3, 7, 129, 4096}) {
            SCOPED_TRACE(band);
            MemoryBytes source(bytes);
            PcxRefusal refusal = PcxRefusal::None;
            ExpectSameImage(ReadPcx(source, &refusal, band), expected);
            EXPECT_EQ(refusal, wholeRefusal);
        }
    }
    std::filesystem::remove_all(folder);
}

// A tile shortened, grown or rewritten while it is read is refused, never
// shown as its cut; a FIFO or a folder is refused at once.
TEST(ReadPcx, AFileThatChangesWhileItIsReadIsRefused) {
    const auto folder = testing::MakeTempFolder("lorvane-pcx-change");
    const auto path = folder / "H001.PCX";
    const auto bytes = testing::WritePcx(testing::MakePatternPicture(300, 200, 8));
    for (const testing::FileChange& change : testing::FileChanges()) {
        SCOPED_TRACE(change.what);
        testing::WriteFileBytes(path, bytes);
        auto file = InputFile::Open(path);
        ASSERT_TRUE(file);
        testing::ChangingFile changing(std::move(*file), [&] { change.apply(path); });
        PcxRefusal refusal = PcxRefusal::None;
        EXPECT_FALSE(ReadPcx(changing, &refusal, 1000));
        EXPECT_EQ(refusal, PcxRefusal::Unreadable);
        EXPECT_EQ(changing.Detail(), PathToUtf8(path) + ": the file changed while it was read");
    }
    EXPECT_FALSE(LoadPcxTile(folder));
#if !defined(_WIN32)
    ASSERT_EQ(::mkfifo((folder / "fifo.pcx").c_str(), 0600), 0);
    EXPECT_FALSE(LoadPcxTile(folder / "fifo.pcx"));
#endif
    std::filesystem::remove_all(folder);
}

// Another program (the convert tool of the system) writes the PCX; the
// decoded pixels must be the image's colours.
TEST(DecodePcx, ReadsAFileWrittenByAnotherProgram) {
#if defined(_WIN32)
    GTEST_SKIP() << "the convert tool runs on the build machine only";
#endif
    const char* convert = "/usr/bin/convert";
    if (!std::filesystem::exists(convert))
        GTEST_SKIP() << "the system's convert tool is not installed";
    const auto folder = testing::MakeTempFolder("lorvane-convert");
    // 37 × 23 (odd width) with 40 colours, in long stretches and noise.
    const int width = 37;
    const int height = 23;
    std::vector<testing::Rgb> colours;
    for (int i = 0; i < 40; ++i) {
        colours.push_back({static_cast<uint8_t>(i * 13 % 256), static_cast<uint8_t>(i * 29 % 256),
                           static_cast<uint8_t>(255 - i * 6)});
    }
    std::vector<testing::Rgb> expected;
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int pick = y < 8 ? (x / 10 + y) % 40 : (x * 7 + y * 11 + x * y) % 40;
            expected.push_back(colours[static_cast<size_t>(pick)]);
            for (uint8_t channel : expected.back()) ppm.push_back(static_cast<char>(channel));
        }
    }
    std::ofstream(folder / "source.ppm", std::ios::binary) << ppm;
    const std::string command = std::string(convert) + " '" + (folder / "source.ppm").string() +
                                "' -type Palette 'PCX:" + (folder / "made.pcx").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const auto image = LoadPcxTile(folder / "made.pcx");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), width);
    EXPECT_EQ(image->Height(), height);
    EXPECT_EQ(image->bitsPerPixel, 8);
    EXPECT_TRUE(image->paletteFound);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const testing::Rgb& rgb = expected[static_cast<size_t>(y * width + x)];
            const uint32_t want =
                0xFF000000u | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
            ASSERT_EQ(image->Rgb(x, y), want) << x << ", " << y;
        }
    }
    // Every colour of the image is in the palette.
    for (const testing::Rgb& rgb : colours) {
        const PaletteColour colour{rgb[0], rgb[1], rgb[2]};
        EXPECT_NE(std::find(image->palette.begin(), image->palette.end(), colour),
                  image->palette.end());
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lorvane
