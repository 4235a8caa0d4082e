#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "base/path_text.h"
#include "support/run_command.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

class InfoCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::MakeTempFolder("lorvane-cli");
        database = testing::MakeDatabase({
            TileSet{6,
                    {testing::MakeTile("H000.PCX", {{10, 40.5f, 0.1f, 2.0f, 3279.9f, 1e-7f}},
                                       {{1, 120.25f, 300.0f, 0.3f}})}},
            TileSet{0, {}},
            TileSet{9, {testing::MakeTile("H020.PCX"), testing::MakeTile("h021.pcx")}},
        });
        texture = folder / "Texture.bin";
        testing::WriteFileBytes(texture, SerializeTextureBin(database));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path texture;
    TileDatabase database;
};

TEST_F(InfoCommand, JsonIsOneObjectWhoseFloatsReadBackExactly) {
    const auto result = testing::RunCommand(LORVANE_CLI, {"info", texture.string(), "--json"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["setCount"], 3);
    EXPECT_EQ(json["tileCount"], 3);
    ASSERT_EQ(json["sets"].size(), 3u);
    EXPECT_EQ(json["sets"][0]["terrainType"], 6);
    EXPECT_TRUE(json["sets"][1]["tiles"].empty());
    const auto& tile = json["sets"][0]["tiles"][0];
    EXPECT_EQ(tile["id"], 0);
    EXPECT_EQ(tile["name"], "H000.PCX");
    const auto& path = tile["paths"][0];
    EXPECT_EQ(path["type"], 10);
    EXPECT_EQ(path["width"].get<float>(), 40.5f);
    EXPECT_EQ(path["startX"].get<float>(), 0.1f);
    EXPECT_EQ(path["endX"].get<float>(), 3279.9f);
    EXPECT_EQ(path["endY"].get<float>(), 1e-7f);
    EXPECT_EQ(tile["areas"][0]["centerY"].get<float>(), 0.3f);
    EXPECT_EQ(json["sets"][2]["tiles"][1]["id"], 33);
    EXPECT_EQ(json["sets"][2]["tiles"][1]["name"], "h021.pcx");
    // The keys keep the order of the file format's description.
    EXPECT_EQ(result.out.rfind("{\"setCount\":3,\"tileCount\":3,\"sets\":[{\"terrainType\":6,", 0),
              0u);
}

TEST_F(InfoCommand, TextListsSetsAndTiles) {
    const auto result = testing::RunCommand(LORVANE_CLI, {"info", texture.string()});
    ASSERT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.out.find("Set 0: Thin Forest, 1 tile"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Set 2: Urban, 2 tiles"), std::string::npos);
    EXPECT_NE(result.out.find("33  h021.pcx  paths 0  areas 0"), std::string::npos);
}

TEST_F(InfoCommand, ExitStatusAndMessages) {
    const auto missing = testing::RunCommand(LORVANE_CLI, {"info", (folder / "none.bin").string()});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "File Open Error: Error opening Texture.bin file. (" +
                               (folder / "none.bin").string() + ": No such file or directory)\n");

    testing::WriteFileBytes(folder / "Short.bin", {std::byte{1}, std::byte{0}});
    const auto shortFile =
        testing::RunCommand(LORVANE_CLI, {"info", (folder / "Short.bin").string()});
    EXPECT_EQ(shortFile.exitStatus, 1);
    EXPECT_EQ(shortFile.err, "Read Error: Could not read texture.bin file.\n");

    EXPECT_EQ(testing::RunCommand(LORVANE_CLI, {"info"}).exitStatus, 2);
    EXPECT_EQ(testing::RunCommand(LORVANE_CLI, {"no-such-command"}).exitStatus, 2);
    EXPECT_EQ(testing::RunCommand(LORVANE_CLI, {"--help"}).exitStatus, 0);
    const auto version = testing::RunCommand(LORVANE_CLI, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_NE(version.out.find("lorvane-cli"), std::string::npos);
}

TEST_F(InfoCommand, ResaveWritesIdenticalBytesAndNeedsOverwriteForAnExistingFile) {
    const auto copy = folder / "Copy.bin";
    const auto first =
        testing::RunCommand(LORVANE_CLI, {"resave", texture.string(), "-o", copy.string()}, folder);
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(testing::ReadFileBytes(copy), testing::ReadFileBytes(texture));
    EXPECT_FALSE(std::filesystem::exists(folder / "TileInfo.dat"));  // only when asked

    const auto again =
        testing::RunCommand(LORVANE_CLI, {"resave", texture.string(), "-o", copy.string()}, folder);
    EXPECT_EQ(again.exitStatus, 2);
    const auto forced =
        testing::RunCommand(LORVANE_CLI,
                            {"resave", texture.string(), "-o", copy.string(), "--overwrite",
                             "--tileinfo", (folder / "Index.dat").string()},
                            folder);
    EXPECT_EQ(forced.exitStatus, 0);
    EXPECT_EQ(testing::ReadFileBytes(folder / "Index.dat"), SerializeTileInfo(database));
    EXPECT_FALSE(std::filesystem::exists(folder / "TileInfo.dat"));
}

// Every argument reaches the program as the word it was, whatever quotes,
// backslashes, blanks or letters it holds; the usage message repeats it.
TEST_F(InfoCommand, ArgumentsReachTheProgramWhole) {
    const std::string words[] = {
        "two words",  "quote\"inside",     "trailing backslash\\",
        "a\\\"b",     "\\\\server\\share", "Th\xC3\xA9\xC3\xA2tre \xE6\x9D\xB1",
        "tab\tin it", "\"quoted\""};
    for (const std::string& word : words) {
        const auto result = testing::RunCommand(
            LORVANE_CLI, {"set-type", "Texture.bin", "--set", "0", "--type", word, "-o", "x.bin"},
            folder);
        EXPECT_EQ(result.exitStatus, 2) << word;
        EXPECT_EQ(result.err.substr(0, result.err.find(" is not a set terrain type")),
                  "lorvane-cli: " + word);
    }
}

// A folder and files named in other scripts are read and written by name.
TEST_F(InfoCommand, FoldersNamedInAnyScriptWork) {
    const std::string name =
        "Th\xC3\xA9\xC3\xA2tre \xD0\x9A\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0\xD0\xB7";
    std::filesystem::create_directory(folder / PathFromUtf8(name));
    const std::string copy = name + "/C\xC3\xB3pia.bin";
    const auto saved =
        testing::RunCommand(LORVANE_CLI, {"resave", "Texture.bin", "-o", copy}, folder);
    ASSERT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_EQ(testing::ReadFileBytes(folder / PathFromUtf8(copy)), testing::ReadFileBytes(texture));
    const auto shown = testing::RunCommand(LORVANE_CLI, {"info", copy}, folder);
    EXPECT_EQ(shown.exitStatus, 0) << shown.err;
    EXPECT_EQ(shown.out, testing::RunCommand(LORVANE_CLI, {"info", "Texture.bin"}, folder).out);
    const auto refused =
        testing::RunCommand(LORVANE_CLI, {"resave", "Texture.bin", "-o", copy}, folder);
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.err, "lorvane-cli: " + copy + " exists; give --overwrite to replace it\n");
}

}  // namespace
}  // namespace lorvane
