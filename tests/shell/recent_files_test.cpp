#include "shell/recent_files.h"

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "support/scripted_platform.h"

namespace lorvane {
namespace {

RecentFileList NewList() {
    return *CreateRecentFileList(kRecentShown, kRecentCapacity, kRecentEntrySize, kRecentSeparator);
}

std::vector<std::string> Entries(const RecentFileList& list) {
    return {list.entries.begin(), list.entries.begin() + list.count};
}

// The texts of the "&File" pop-up from "&Import .bin Tiles..." on, with
// separators as "-" followed by their id.
std::vector<std::string> FileMenuTail(const MenuBar& menu) {
    std::vector<std::string> tail;
    bool started = false;
    for (const MenuItem& item : menu.popups[kFilePopup].items) {
        started = started || item.id == kMenuImportTiles;
        if (!started) continue;
        tail.push_back(item.separator ? "-" + std::to_string(item.id)
                                      : std::to_string(item.id) + " " + item.text);
    }
    return tail;
}

TEST(RecentFilesTest, AddMovesToFrontAndDropsTheOldest) {
    RecentFileList list = NewList();
    for (int i = 0; i < 5; ++i) AddRecentFile(list, "f" + std::to_string(i));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"f4", "f3", "f2", "f1", "f0"}));

    // The entry at position 3, in other letters: moves to the front, new case.
    AddRecentFile(list, "F1");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"F1", "f4", "f3", "f2", "f0"}));

    for (int i = 5; i < 10; ++i) AddRecentFile(list, "f" + std::to_string(i));
    EXPECT_EQ(list.count, 9);
    EXPECT_EQ(Entries(list).back(), "f2");  // f0, the oldest, fell off
    AddRecentFile(list, "f10");
    EXPECT_EQ(list.count, 9);
    EXPECT_EQ(Entries(list).front(), "f10");
    EXPECT_EQ(Entries(list).back(), "f3");
}

TEST(RecentFilesTest, LongPathsAreCutTo127Characters) {
    RecentFileList list = NewList();
    AddRecentFile(list, std::string(200, 'p'));
    EXPECT_EQ(list.entries[0], std::string(127, 'p'));
    ASSERT_TRUE(SetRecentFile(list, 4, std::string(128, 'q')));
    EXPECT_EQ(list.entries[4].size(), 127u);
    EXPECT_EQ(list.count, 5);
}

TEST(RecentFilesTest, PositionsAndCommandIds) {
    RecentFileList list = NewList();
    EXPECT_FALSE(SetRecentFile(list, 9, "x"));
    EXPECT_FALSE(SetRecentFile(list, -1, "x"));
    ASSERT_TRUE(SetRecentFile(list, 1, "b"));  // position 0 stays empty but counts
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(GetRecentFile(list, 8002, true), "b");
    EXPECT_EQ(GetRecentFile(list, 1, false), "b");
    EXPECT_EQ(GetRecentFile(list, 8003, true), std::nullopt);
    EXPECT_EQ(GetRecentFile(list, 8000, true), std::nullopt);

    AddRecentFile(list, "c");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"c", "", "b"}));
    EXPECT_TRUE(RemoveRecentFile(list, 8002, true));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"c", "b"}));
    EXPECT_FALSE(RemoveRecentFile(list, 2, false));
    EXPECT_TRUE(RemoveRecentFile(list, 0, false));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"b"}));
}

TEST(RecentFilesTest, MenuShowsSixNumberedItemsBeforeExit) {
    RecentFileList list = NewList();
    MenuBar menu = LorvaneMenu();
    BuildRecentFileMenu(list, menu, kFilePopup, kMenuExit);
    EXPECT_EQ(FileMenuTail(menu),
              (std::vector<std::string>{"10249 &Import .bin Tiles...", "10256 &Compare With...",
                                        "10257 &Merge...", "-0", "10202 &Exit"}));

    for (int i = 0; i < 10; ++i) AddRecentFile(list, "/t/f" + std::to_string(i));
    BuildRecentFileMenu(list, menu, kFilePopup, kMenuExit);
    EXPECT_EQ(FileMenuTail(menu),
              (std::vector<std::string>{"10249 &Import .bin Tiles...", "10256 &Compare With...",
                                        "10257 &Merge...", "-0", "8001 &1 /t/f9", "8002 &2 /t/f8",
                                        "8003 &3 /t/f7", "8004 &4 /t/f6", "8005 &5 /t/f5",
                                        "8006 &6 /t/f4", "-8000", "10202 &Exit"}));

    // Rebuilding replaces the old items; an emptied list leaves no separator.
    while (list.count > 0) RemoveRecentFile(list, 0, false);
    BuildRecentFileMenu(list, menu, kFilePopup, kMenuExit);
    EXPECT_EQ(FileMenuTail(menu),
              (std::vector<std::string>{"10249 &Import .bin Tiles...", "10256 &Compare With...",
                                        "10257 &Merge...", "-0", "10202 &Exit"}));
}

TEST(RecentFilesTest, SavedListSurvivesARestart) {
    testing::ScriptedPlatform platform;
    RecentFileList list = NewList();
    AddRecentFile(list, "/a/Texture.bin");
    AddRecentFile(list, "/b/tile.pcx");
    ASSERT_TRUE(SaveRecentFiles(list, platform));
    EXPECT_EQ(platform.settings.at("File1"), "/b/tile.pcx");
    EXPECT_EQ(platform.settings.at("File2"), "/a/Texture.bin");
    for (int i = 3; i <= 9; ++i) EXPECT_EQ(platform.settings.at("File" + std::to_string(i)), "");

    testing::ScriptedPlatform restarted;
    restarted.settings = platform.settings;
    RecentFileList loaded = NewList();
    ASSERT_TRUE(LoadRecentFiles(loaded, restarted));
    EXPECT_EQ(Entries(loaded), Entries(list));
}

TEST(RecentFilesTest, LoadingStopsAtTheFirstEmptyValueAndCutsLongOnes) {
    testing::ScriptedPlatform platform;
    platform.settings = {{"File1", std::string(300, 'x')}, {"File2", ""}, {"File3", "third"}};
    RecentFileList list = NewList();
    LoadRecentFiles(list, platform);
    EXPECT_EQ(Entries(list), std::vector<std::string>{std::string(127, 'x')});

    // Loading does not empty the list first.
    RecentFileList filled = NewList();
    for (const char* path : {"c", "b", "a"}) AddRecentFile(filled, path);
    platform.settings = {{"File1", "new"}};
    LoadRecentFiles(filled, platform);
    EXPECT_EQ(Entries(filled), (std::vector<std::string>{"new", "b", "c"}));
}

TEST(RecentFilesTest, FailedWritesAreReportedToTheCaller) {
    testing::ScriptedPlatform platform;
    platform.failWrites = true;
    RecentFileList list = NewList();
    AddRecentFile(list, "x");
    EXPECT_FALSE(SaveRecentFiles(list, platform));
    EXPECT_FALSE(CreateRecentFileList(6, 0, 128, 8000).has_value());
}

}  // namespace
}  // namespace lorvane
