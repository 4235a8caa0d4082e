// lorvane-cli l2m, thr, mea and theater-map, run as a user runs them.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "base/byte_writer.h"
#include "support/progress_recorder.h"
#include "support/run_command.h"
#include "support/terrain_builder.h"
#include "support/texture_builder.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_header.h"
#include "terrain/theater_tile_map.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

using testing::CommandResult;

class TerrainCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::MakeTempFolder("lorvane-cli-terrain");
        matrix = testing::MakePatternMatrix(2, 300, 2);
        // Nine-byte records; one byte in front keeps the size off a multiple of 7.
        testing::WriteL2Files(folder, "THEATER",
                              testing::MakeL2Files(matrix, 9, testing::SectionOrder::Reversed, 1));
        database = testing::MakeLargeDatabase(20, 16, 3, 2);
        testing::WriteFileBytes(folder / "Texture.bin", SerializeTextureBin(database));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    CommandResult Run(const std::vector<std::string>& arguments) {
        return testing::RunCommand(LORVANE_CLI, arguments, folder);
    }
    std::vector<std::byte> Read(const std::string& name) {
        return testing::ReadFileBytes(folder / name);
    }

    std::filesystem::path folder;
    TerrainMatrix matrix;
    TileDatabase database;
};

TEST_F(TerrainCommandsTest, L2mSavesTheMatrixAndReplacesOnlyWithOverwrite) {
    const CommandResult made = Run({"l2m", "THEATER.L2", "-o", "OUT.L2M", "--quiet"});
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    testing::ProgressRecorder progress;
    MessageLog messages;
    const auto loaded = LoadMatrixFromL2M(Read("OUT.L2M"), progress, messages);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->cells, matrix.cells);
    EXPECT_EQ(loaded->l2FormatCode, 2);

    testing::WriteFileBytes(folder / "OUT.L2M", {std::byte{7}});
    const CommandResult refused = Run({"l2m", "THEATER.L2", "-o", "OUT.L2M"});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos);
    EXPECT_EQ(Read("OUT.L2M"), std::vector<std::byte>{std::byte{7}});
    EXPECT_EQ(Run({"l2m", "THEATER.L2", "-o", "OUT.L2M", "--overwrite"}).exitStatus, 0);
    EXPECT_EQ(Read("OUT.L2M").size(), 9u + 9u * 1024u);
}

TEST_F(TerrainCommandsTest, ThrAndMeaFromAnL2OrAnL2MInAnyLetterCase) {
    MessageLog messages;
    testing::ProgressRecorder progress;
    ASSERT_TRUE(SaveMatrixAsL2M(folder / "lower.l2m", matrix, progress, messages));
    const auto expectedThr = ComposeTheaterMap(matrix, database, progress, messages);
    const auto expectedMea = ComposeMeaFile(matrix, messages);
    ASSERT_TRUE(expectedThr && expectedMea);
    for (const std::string terrain : {"THEATER.L2", "lower.l2m"}) {
        const CommandResult thr = Run({"thr", "--texture", "Texture.bin", "--terrain", terrain,
                                       "-o", "T.thr", "--overwrite"});
        ASSERT_EQ(thr.exitStatus, 0) << thr.err;
        EXPECT_EQ(Read("T.thr"), *expectedThr) << terrain;
        const CommandResult mea =
            Run({"mea", "--terrain", terrain, "-o", "T.mea", "--overwrite", "--quiet"});
        ASSERT_EQ(mea.exitStatus, 0) << mea.err;
        EXPECT_EQ(Read("T.mea"), *expectedMea) << terrain;
    }
}

TEST_F(TerrainCommandsTest, FailuresShowTheirMessagesAndExitWithOne) {
    std::filesystem::copy_file(folder / "THEATER.L2", folder / "LONELY.L2");
    testing::WriteFileBytes(folder / "SHORT.L2M", {std::byte{0}, std::byte{4}});
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"l2m", "NONE.L2", "-o", "a"},
         "Error: Error opening the L2 file.  Cannot save the L2 file."},
        {{"l2m", "LONELY.L2", "-o", "a"},
         "Error: Error opening the O2 file.  Cannot save the L2 file."},
        {{"mea", "--terrain", "SHORT.L2M", "-o", "a"},
         "Error: L2 end of file reached\nL2 Read Error: L2 error"},
        {{"thr", "--texture", "none.bin", "--terrain", "THEATER.L2", "-o", "a"},
         "File Open Error: Error opening Texture.bin file."},
    };
    for (const Case& c : cases) {
        const CommandResult result = Run(c.arguments);
        EXPECT_EQ(result.exitStatus, 1) << c.arguments[1];
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    }
    EXPECT_EQ(Run({"thr", "--terrain", "THEATER.L2", "-o", "a"}).exitStatus,
              2);  // --texture missing
}

// A Theater.map of the older form that ends after its six level pairs.
std::vector<std::byte> OlderTheaterMap() {
    ByteWriter out;
    out.F32(819.9f);
    out.I32(128);
    out.I32(128);
    out.F32(0.0003f);
    out.I32(6);
    out.I32(2);
    out.I32(4);
    out.Zeros(1024);
    for (int i = 0; i < 6; ++i) {
        out.I32(256 >> i);
        out.I32(256 >> i);
    }
    return out.Take();
}

// An O2 whose 512 × 512 entries all name the one section of a 1792-byte L2:
// 8192 × 8192 posts from 1 MiB of files. mea streams them in a small,
// bounded amount of memory.
TEST_F(TerrainCommandsTest, MeaOfAnO2WhoseEntriesAllNameOneSectionStaysSmall) {
    const TerrainMatrix section = testing::MakePatternMatrix(1, 300);
    testing::L2Files files = testing::MakeL2Files(section, 7);
    files.o2.assign(4 * 512 * 512, std::byte{0});
    testing::WriteL2Files(folder, "ALIASED", files);
    const CommandResult mea = Run({"mea", "--terrain", "ALIASED.L2", "-o", "A.mea", "--quiet"});
    ASSERT_EQ(mea.exitStatus, 0) << mea.err;
    const auto bytes = Read("A.mea");
    ASSERT_EQ(bytes.size(), 2u * 1024u * 1024u);
    // Every section gives the same 2 × 2 blocks.
    uint16_t blocks[2][2] = {};
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            uint16_t& block = blocks[y / 8][x / 8];
            block = std::max(block, section.Cell(x, y).elevation);
        }
    }
    for (size_t j = 0; j < 1024; j += 341) {
        for (size_t i = 0; i < 1024; ++i) {
            const size_t at = 2 * (j * 1024 + i);
            const auto value = static_cast<uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                                     std::to_integer<unsigned>(bytes[at + 1]) << 8);
            ASSERT_EQ(value, blocks[j % 2][i % 2]) << i << "," << j;
        }
    }
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own memory hides the command's";
#elif defined(_WIN32)
    GTEST_SKIP() << "the peak memory of a finished command is measured on POSIX systems";
#else
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "KiB at the peak";  // a matrix would take 768 MiB
#endif
}

TEST_F(TerrainCommandsTest, TheaterMapShowPrintsEveryFieldWithTheTheaterDefaults) {
    testing::WriteFileBytes(folder / "Theater.map", OlderTheaterMap());
    testing::WriteFileBytes(folder / "Quistral.ini", {});
    std::ofstream(folder / "Quistral.ini") << "[Location]\nTheaters=2\n1=Balkans\n2=Korea\n"
                                           << "[korea]\nSW Long = 124.5\nsw lat=33.25 north\n";
    struct Case {
        std::vector<std::string> options;
        double longitude;
        double latitude;
    };
    const Case cases[] = {
        {{}, 11.0, 36.625},
        {{"--ini", "Quistral.ini"}, 11.0, 36.625},  // no Balkans section: its defaults
        {{"--ini", "Quistral.ini", "--theater", "Korea"}, 124.5, 33.25},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"theater-map", "show", "Theater.map", "--json"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CommandResult shown = Run(arguments);
        ASSERT_EQ(shown.exitStatus, 0) << shown.err;
        const auto json = nlohmann::json::parse(shown.out);
        EXPECT_EQ(json["swLongitude"], c.longitude);
        EXPECT_EQ(json["swLatitude"], c.latitude);
        EXPECT_EQ(json["flags"], 0);
        EXPECT_EQ(json["maxTheaterElevation"], 12000);
        EXPECT_EQ(json["feetBetweenL0Tiles"], static_cast<double>(819.9f));
        EXPECT_EQ(json["levelWidth"], nlohmann::json({256, 128, 64, 32, 16, 8}));
        EXPECT_FALSE(json.contains("mapPalette"));
        EXPECT_EQ(json.size(), 13u);
    }
    const CommandResult text = Run({"theater-map", "show", "Theater.map"});
    EXPECT_NE(text.out.find("feetBetweenL0Tiles: 819.9\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("levelHeight: 256 128 64 32 16 8\n"), std::string::npos) << text.out;
    EXPECT_EQ(
        Run({"theater-map", "show", "Theater.map", "--ini", "Quistral.ini", "--theater", "Kyushu"})
            .exitStatus,
        2);
    EXPECT_EQ(Run({"theater-map", "show", "Theater.map", "--theater", "Korea"}).exitStatus,
              2);  // needs --ini
}

TEST_F(TerrainCommandsTest, TheaterMapSetWritesTheFullHeader) {
    testing::WriteFileBytes(folder / "Theater.map", OlderTheaterMap());
    const CommandResult set = Run({"theater-map", "set", "Theater.map", "levelWidth2=60",
                                   "maxTheaterElevation=15000", "swLatitude=-12.5"});
    ASSERT_EQ(set.exitStatus, 0) << set.err;
    TheaterMapHeader expected;
    MessageLog messages;
    ASSERT_TRUE(ParseTheaterMap(OlderTheaterMap(), {}, expected, messages));
    expected.levelWidth[2] = 60;
    expected.maxTheaterElevation = 15000;
    expected.swLatitude = -12.5f;
    EXPECT_EQ(Read("Theater.map"), SerializeTheaterMap(expected));

    for (const std::string bad :
         {"levelWidth6=1", "mapPalette=0", "flags=abc", "flags=12x", "flags", "levelCount=7"}) {
        const CommandResult refused = Run({"theater-map", "set", "Theater.map", bad});
        EXPECT_EQ(refused.exitStatus, 2) << bad;
        EXPECT_EQ(Read("Theater.map"), SerializeTheaterMap(expected)) << bad;
    }
    // A level beyond the levels the file holds cannot be stored: refused,
    // nothing written.
    const CommandResult unstored =
        Run({"theater-map", "set", "Theater.map", "levelCount=4", "levelWidth5=9"});
    EXPECT_EQ(unstored.exitStatus, 2);
    EXPECT_NE(unstored.err.find("levelWidth5 is not stored"), std::string::npos);
    EXPECT_EQ(Read("Theater.map"), SerializeTheaterMap(expected));
    // Fewer levels: the file shrinks its pairs.
    const CommandResult fewer = Run({"theater-map", "set", "Theater.map", "levelCount=4"});
    ASSERT_EQ(fewer.exitStatus, 0);
    EXPECT_EQ(Read("Theater.map").size(), 1116u);  // 16 bytes shorter header, the old tail kept
}

}  // namespace
}  // namespace lorvane
