// The file services' promises on every platform: names in any script, whole
// replacements, the old file intact when a replacement fails.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "base/file_io.h"
#include "base/path_text.h"
#include "support/texture_builder.h"

#if defined(_WIN32)
#include <windows.h>
#undef ReplaceFile  // windows.h names ReplaceFileA so; ours is lorvane::ReplaceFile
#endif

namespace lorvane {
namespace {

namespace fs = std::filesystem;

std::vector<std::byte> RandomBytes(std::mt19937& random, size_t size) {
    std::vector<std::byte> bytes(size);
    for (std::byte& b : bytes) b = static_cast<std::byte>(random() & 0xFF);
    return bytes;
}

class FileServices : public ::testing::Test {
protected:
    void SetUp() override { folder = testing::MakeTempFolder("lorvane-files"); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::vector<std::string> Names(const fs::path& where) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(where))
            names.push_back(PathToUtf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder;
};

TEST_F(FileServices, FoldersAndFilesNamedInAnyScriptAreWrittenAndReadBack) {
    const char* names[] = {
        "Th\xC3\xA9\xC3\xA2tre", "\xD0\x9A\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0\xD0\xB7",
        "\xE6\x9D\xB1\xE4\xBA\xAC \xE5\x9C\xB0\xE5\xBD\xA2", "map \xF0\x9F\x97\xBA", "plain"};
    std::mt19937 random(5);
    for (const char* name : names) {
        const fs::path sub = folder / PathFromUtf8(name);
        ASSERT_TRUE(fs::create_directory(sub)) << name;
        const fs::path file = sub / PathFromUtf8(std::string(name) + ".bin");
        const auto bytes = RandomBytes(random, 100);
        ASSERT_EQ(ReplaceFile(file, bytes), WriteStatus::Ok) << name;
        const auto read = FileBytes::Open(file);
        ASSERT_TRUE(read) << name;
        EXPECT_EQ(std::vector<std::byte>(read->Bytes().begin(), read->Bytes().end()), bytes);
        EXPECT_EQ(Names(sub), std::vector<std::string>{std::string(name) + ".bin"}) << name;
        EXPECT_EQ(PathToUtf8(file.filename()), std::string(name) + ".bin");
    }
}

TEST_F(FileServices, ReplacementsOfEverySizeReadBackWhole) {
    std::mt19937 random(11);
    const fs::path file = folder / "data.bin";
    for (const size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{65537},
                              (size_t{1} << 20) + 3, size_t{7}}) {
        const auto bytes = RandomBytes(random, size);
        ASSERT_EQ(ReplaceFile(file, bytes), WriteStatus::Ok) << size;
        const auto read = FileBytes::Open(file);
        ASSERT_TRUE(read) << size;
        ASSERT_EQ(read->Size(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), read->Bytes().begin())) << size;
        EXPECT_EQ(Names(folder), std::vector<std::string>{"data.bin"});
    }
}

#if defined(_WIN32)

// What keeps a replacement from happening: another program's lock, or the
// file's read-only attribute. Each stays in force while the replacement runs.
struct Obstacle {
    const char* what;
    DWORD shareMode;   // of another program's open handle; ~0u for none
    DWORD attributes;  // given to the old file
};

TEST_F(FileServices, AFailedReplacementLeavesTheOldFileAndNoTemporaryFile) {
    const Obstacle obstacles[] = {
        {"locked, nothing shared", 0, FILE_ATTRIBUTE_NORMAL},
        {"locked, shared for reading and writing", FILE_SHARE_READ | FILE_SHARE_WRITE,
         FILE_ATTRIBUTE_NORMAL},
        {"read-only", ~0u, FILE_ATTRIBUTE_READONLY},
    };
    std::mt19937 random(3);
    for (const Obstacle& obstacle : obstacles) {
        const fs::path file = folder / "Texture.bin";
        const auto old = RandomBytes(random, 5000);
        testing::WriteFileBytes(file, old);
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), obstacle.attributes)) << obstacle.what;
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (obstacle.shareMode != ~0u) {
            lock = CreateFileW(file.c_str(), GENERIC_READ, obstacle.shareMode, nullptr,
                               OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(lock, INVALID_HANDLE_VALUE) << obstacle.what;
        }
        EXPECT_EQ(ReplaceFile(file, RandomBytes(random, 300)), WriteStatus::WriteFailed)
            << obstacle.what;
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_EQ(testing::ReadFileBytes(file), old) << obstacle.what;
        EXPECT_EQ(Names(folder), std::vector<std::string>{"Texture.bin"}) << obstacle.what;
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
        fs::remove(file);
    }
}

TEST_F(FileServices, AReplacementKeepsTheOldFilesAttributes) {
    const fs::path file = folder / "Theater.map";
    testing::WriteFileBytes(file, {std::byte{1}});
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_EQ(ReplaceFile(file, std::vector<std::byte>{std::byte{2}, std::byte{3}}),
              WriteStatus::Ok);
    EXPECT_EQ(testing::ReadFileBytes(file), (std::vector<std::byte>{std::byte{2}, std::byte{3}}));
    EXPECT_NE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    // A new file is an ordinary one.
    const fs::path fresh = folder / "Theater.mea";
    ASSERT_EQ(ReplaceFile(fresh, std::vector<std::byte>{std::byte{4}}), WriteStatus::Ok);
    EXPECT_EQ(GetFileAttributesW(fresh.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(FileServices, InputReadIsKeptWhenTheFileIsCutShortAfterwards) {
    const fs::path file = folder / "Theater.L2";
    std::mt19937 random(9);
    const auto bytes = RandomBytes(random, 200000);
    testing::WriteFileBytes(file, bytes);
    const auto input = FileBytes::Open(file);
    ASSERT_TRUE(input);
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE) {
        SetEndOfFile(writer);  // at offset 0: empties the file
        CloseHandle(writer);
    }
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), input->Bytes().begin()));
}

TEST_F(FileServices, AFileAnotherProgramHasOpenForWritingIsRead) {
    const fs::path file = folder / "Texture.bin";
    testing::WriteFileBytes(file, {std::byte{1}, std::byte{2}});
    HANDLE writer =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const auto input = FileBytes::Open(file);
    CloseHandle(writer);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->Size(), 2u);
}

#endif

}  // namespace
}  // namespace lorvane
