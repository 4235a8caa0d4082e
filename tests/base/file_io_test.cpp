#include "base/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/texture_builder.h"

namespace lorvane {
namespace {

namespace fs = std::filesystem;

std::vector<std::byte> Filled(size_t size, int value) {
    return std::vector<std::byte>(size, static_cast<std::byte>(value));
}

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override { folder = testing::MakeTempFolder("lorvane-file-io"); }
    void TearDown() override { fs::remove_all(folder); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder;
};

TEST_F(FileIo, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    struct Case {
        fs::path path;
        std::string detail;
    };
    const Case cases[] = {
        {folder / "pipe", (folder / "pipe").string() + ": not a regular file"},
        {"/dev/zero", "/dev/zero: not a regular file"},
        {folder, folder.string() + ": Is a directory"},
        {folder / "none", (folder / "none").string() + ": No such file or directory"},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::string detail;
        EXPECT_FALSE(FileBytes::Open(c.path, &detail)) << c.path;
        EXPECT_EQ(detail, c.detail);
        detail.clear();
        EXPECT_FALSE(InputFile::Open(c.path, &detail)) << c.path;
        EXPECT_EQ(detail, c.detail);
        EXPECT_NE(InputFileError(c.path), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    testing::WriteFileBytes(folder / "in.bin", Filled(100000, 7));
    const auto file = FileBytes::Open(folder / "in.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 100000u);
    EXPECT_EQ(InputFileError(folder / "in.bin"), 0);
}

// Pieces read at offsets are the file's bytes; a file shortened, grown or
// rewritten after it opened fails its next read or its check.
TEST_F(FileIo, AnInputFileReadInPiecesTellsAChangeSinceItOpened) {
    const fs::path path = folder / "in.bin";
    std::vector<std::byte> bytes(5000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::byte>(i * 7);
    testing::WriteFileBytes(path, bytes);
    auto file = InputFile::Open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 5000u);
    std::vector<std::byte> piece(1000);
    EXPECT_FALSE(file->ReadAt(4001, piece));  // one byte past the end
    const std::string changed = path.string() + ": the file changed while it was read";
    EXPECT_EQ(file->Detail(), changed);
    ASSERT_TRUE(file->ReadAt(4000, piece));
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), bytes.begin() + 4000));
    EXPECT_TRUE(file->Unchanged());

    struct Case {
        const char* what;
        std::function<void()> change;
        bool pieceReads;  // the first 1000 bytes are still there
    };
    const Case cases[] = {
        {"shortened", [&] { fs::resize_file(path, 10); }, false},
        {"grown", [&] { fs::resize_file(path, 6000); }, true},
        {"rewritten",
         [&] {
             testing::WriteFileBytes(path, Filled(5000, 1));
             fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(3));
         },
         true},
    };
    for (const Case& c : cases) {
        testing::WriteFileBytes(path, bytes);
        auto input = InputFile::Open(path);
        ASSERT_TRUE(input);
        c.change();
        EXPECT_FALSE(input->Unchanged()) << c.what;
        EXPECT_EQ(input->Detail(), changed) << c.what;
        EXPECT_EQ(input->ReadAt(0, piece), c.pieceReads) << c.what;
    }
    // A moved file keeps reading.
    InputFile moved = std::move(*file);
    EXPECT_TRUE(moved.ReadAt(0, std::span(piece).first(10)));
}

TEST_F(FileIo, ALinkKeepsItsPlaceAndTheFileItPointsToIsReplaced) {
    fs::create_directory(folder / "real");
    testing::WriteFileBytes(folder / "real" / "data.bin", Filled(10, 1));
    fs::create_symlink("real/data.bin", folder / "link.bin");
    ASSERT_EQ(ReplaceFile(folder / "link.bin", Filled(4, 2)), WriteStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
    EXPECT_EQ(testing::ReadFileBytes(folder / "real" / "data.bin"), Filled(4, 2));
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.bin", "real"}));

    // A dangling link is an existing output unless replacing is allowed; then
    // the file it names is made.
    fs::create_symlink("real/new.bin", folder / "dangling.bin");
    std::string detail;
    EXPECT_EQ(ReplaceFile(OutputTarget(folder / "dangling.bin", false), Filled(3, 3), &detail),
              WriteStatus::OpenFailed);
    EXPECT_EQ(detail, (folder / "dangling.bin").string() + ": File exists");
    EXPECT_EQ(ReplaceFile(folder / "dangling.bin", Filled(3, 3)), WriteStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.bin"));
    EXPECT_EQ(testing::ReadFileBytes(folder / "real" / "new.bin"), Filled(3, 3));
}

TEST_F(FileIo, ATargetThatIsNotARegularFileIsNeverReplaced) {
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", folder / "null-link");
    for (const fs::path& target : {folder / "pipe", fs::path("/dev/null"), folder / "null-link"}) {
        for (bool replace : {true, false}) {
            std::string detail;
            EXPECT_EQ(ReplaceFile(OutputTarget(target, replace), Filled(3, 1), &detail),
                      WriteStatus::OpenFailed)
                << target;
            EXPECT_FALSE(detail.empty());
        }
    }
    EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"null-link", "pipe"}));
}

TEST_F(FileIo, AReplacedFileKeepsItsPermissionBits) {
    for (mode_t mode : {0600, 0640, 0444, 0755}) {
        const fs::path target = folder / ("mode" + std::to_string(mode));
        testing::WriteFileBytes(target, Filled(5, 1));
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        for (bool named : {false, true}) {
            SafeFileWriter writer;
            if (named) writer.UseNamedTemporaryFile();
            ASSERT_TRUE(writer.Open(target));
            ASSERT_TRUE(writer.Write(Filled(2, 9)));
            ASSERT_TRUE(writer.Commit()) << writer.Detail();
            struct stat info {};
            ASSERT_EQ(::stat(target.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode << " named " << named;
            EXPECT_EQ(testing::ReadFileBytes(target), Filled(2, 9));
        }
    }
}

TEST_F(FileIo, AFileThatAppearsWhileWritingIsNotReplaced) {
    for (bool named : {false, true}) {
        const fs::path target = folder / (named ? "named.bin" : "unnamed.bin");
        for (bool replace : {false, true}) {
            fs::remove(target);
            SafeFileWriter writer;
            if (named) writer.UseNamedTemporaryFile();
            ASSERT_TRUE(writer.Open(OutputTarget(target, replace)));
            ASSERT_TRUE(writer.Write(Filled(8, 1)));
            testing::WriteFileBytes(target, Filled(3, 2));  // another program's file
            EXPECT_FALSE(writer.Commit());
            EXPECT_EQ(writer.Detail(), target.string() + ": File exists");
            EXPECT_EQ(testing::ReadFileBytes(target), Filled(3, 2));
        }
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"named.bin", "unnamed.bin"}));
}

TEST_F(FileIo, OfTwoWritersOfOneNewFileExactlyOneWins) {
    for (int round = 0; round < 20; ++round) {
        const fs::path target = folder / ("race" + std::to_string(round));
        std::atomic<int> wins{0};
        auto write = [&](int value) {
            SafeFileWriter writer;
            if (value == 2) writer.UseNamedTemporaryFile();
            if (writer.Open(OutputTarget(target, false)) && writer.Write(Filled(1000, value)) &&
                writer.Commit())
                ++wins;
        };
        std::thread first(write, 1);
        std::thread second(write, 2);
        first.join();
        second.join();
        EXPECT_EQ(wins.load(), 1);
        const auto bytes = testing::ReadFileBytes(target);
        EXPECT_TRUE(bytes == Filled(1000, 1) || bytes == Filled(1000, 2));
    }
    EXPECT_EQ(Names().size(), 20u);  // no temporary file left
}

// Runs a child that starts writing target and stops half way; returns its id
// once its temporary file exists.
pid_t StartStalledWriter(const fs::path& target, bool named) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        SafeFileWriter writer;
        if (named) writer.UseNamedTemporaryFile();
        const bool ok = writer.Open(target) && writer.Write(Filled(1 << 20, 5));
        const char answer = ok ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    (void)!::read(ready[0], &answer, 1);
    ::close(ready[0]);
    return answer == 'y' ? child : -1;
}

TEST_F(FileIo, AKilledWriteLeavesNothingThatTheNextWriteDoesNotRemove) {
    const fs::path target = folder / "Texture.bin";
    testing::WriteFileBytes(target, Filled(10, 1));
    for (bool named : {false, true}) {
        const pid_t child = StartStalledWriter(target, named);
        ASSERT_GT(child, 0);
        EXPECT_EQ(Names().size(), named ? 2u : 1u);  // a named file holds the new content
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(testing::ReadFileBytes(target), Filled(10, 1));
        ASSERT_EQ(ReplaceFile(target, Filled(4, 4)), WriteStatus::Ok);
        testing::WriteFileBytes(target, Filled(10, 1));
        EXPECT_EQ(Names(), (std::vector<std::string>{"Texture.bin"}));
    }
}

TEST_F(FileIo, AnInterruptRemovesTheTemporaryFile) {
    const fs::path target = folder / "Texture.bin";
    for (int signalNumber : {SIGINT, SIGTERM}) {
        const pid_t child = StartStalledWriter(target, true);
        ASSERT_GT(child, 0);
        EXPECT_EQ(Names().size(), 1u);
        ::kill(child, signalNumber);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_TRUE(Names().empty());
    }
}

TEST_F(FileIo, LongNamesGetShortTemporaryNames) {
    const std::string name(250, 'n');
    ASSERT_EQ(ReplaceFile(folder / name, Filled(3, 1)), WriteStatus::Ok);
    SafeFileWriter writer;
    writer.UseNamedTemporaryFile();
    ASSERT_TRUE(writer.Open(folder / name)) << writer.Detail();
    ASSERT_TRUE(writer.Write(Filled(2, 2)));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(testing::ReadFileBytes(folder / name), Filled(2, 2));
    EXPECT_EQ(Names(), (std::vector<std::string>{name}));
}

TEST_F(FileIo, ASecondLockWaitsUntilTheFirstHasReplacedTheFile) {
    const fs::path target = folder / "Texture.bin";
    testing::WriteFileBytes(target, Filled(4, 1));
    auto first = FileLock::Exclusive(target);
    ASSERT_TRUE(first);
    std::atomic<bool> secondHeld{false};
    std::vector<std::byte> seen;
    std::thread second([&] {
        const auto lock = FileLock::Exclusive(target);
        secondHeld = true;
        seen = testing::ReadFileBytes(target);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(secondHeld.load());
    ASSERT_EQ(ReplaceFile(target, Filled(4, 2)), WriteStatus::Ok);
    first.reset();
    second.join();
    EXPECT_TRUE(secondHeld.load());
    EXPECT_EQ(seen, Filled(4, 2));
    std::string detail;
    EXPECT_FALSE(FileLock::Exclusive(folder / "none", &detail));
    EXPECT_EQ(detail, (folder / "none").string() + ": No such file or directory");
}

TEST_F(FileIo, StandardOutputIsWrittenWithoutATemporaryFile) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    const WriteStatus status = ReplaceFile(OutputTarget("-", true, true), Filled(5, 65));
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ::close(pipeEnds[1]);
    char text[8] = {};
    EXPECT_EQ(::read(pipeEnds[0], text, sizeof text), 5);
    ::close(pipeEnds[0]);
    EXPECT_EQ(status, WriteStatus::Ok);
    EXPECT_EQ(std::string(text), "AAAAA");
    EXPECT_TRUE(Names().empty());
}

}  // namespace
}  // namespace lorvane
