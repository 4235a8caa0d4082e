// The message history the Messages window lists, the counts of the notices
// and the shortcuts table the menus take their keys from.

#include <gtest/gtest.h>

#include <set>

#include "base/command_ids.h"
#include "base/format.h"
#include "shell/keyboard_shortcuts.h"
#include "shell/menu_model.h"
#include "shell/message_history.h"

namespace lorvane {
namespace {

TEST(Counted, TheNounAgreesWithTheCount) {
    const struct {
        long long count;
        const char* text;
    } cases[] = {{0, "0 tiles"}, {1, "1 tile"}, {2, "2 tiles"}, {-1, "-1 tiles"}, {16, "16 tiles"}};
    for (const auto& c : cases) EXPECT_EQ(Counted(c.count, "tile", "tiles"), c.text);
}

TEST(MessageHistory, LinesCarryTimeKindCaptionTextAndFileNewestLast) {
    MessageHistory history;
    history.Add("09:00:01", MessageKind::Done,
                {"Texture.bin loaded: 1 Set  2 Tiles", "Texture.bin Successfully Loaded",
                 MessageIcon::Information, "/t/Texture.bin"});
    history.Add("09:00:02", BoxKind(MessageIcon::Exclamation),
                {"first line\r\nsecond line", "Width Error", MessageIcon::Exclamation});
    history.Add("09:00:03", MessageKind::Question, {"Save changes to Texture.bin?", "Lorvane"});
    ASSERT_EQ(history.entries().size(), 3u);
    EXPECT_EQ(MessageLine(history.entries()[0]),
              "09:00:01  Done  Texture.bin Successfully Loaded: Texture.bin loaded: 1 Set  2 Tiles "
              "(/t/Texture.bin)");
    EXPECT_EQ(MessageLine(history.entries()[1]),
              "09:00:02  Warning  Width Error: first line / second line");
    EXPECT_EQ(MessageLine(history.entries()[2]),
              "09:00:03  Question  Lorvane: Save changes to Texture.bin?");
    EXPECT_EQ(NoticeText(history.entries()[0].message),
              "Texture.bin loaded: 1 Set  2 Tiles \u2014 Texture.bin");
    EXPECT_EQ(NoticeText({"Texture.bin generated", "c", MessageIcon::Information, "/t/tiles/"}),
              "Texture.bin generated \u2014 /t/tiles/");
    EXPECT_EQ(NoticeText({"Merged", "Merge"}), "Merged");
    history.Clear();
    EXPECT_TRUE(history.entries().empty());
}

TEST(MessageHistory, KeepsOnlyTheNewest) {
    MessageHistory history;
    for (size_t i = 0; i < MessageHistory::kKept + 5; ++i)
        history.Add("t", MessageKind::Done, {std::to_string(i), "c"});
    ASSERT_EQ(history.entries().size(), MessageHistory::kKept);
    EXPECT_EQ(history.entries().front().message.text, "5");
    EXPECT_EQ(history.entries().back().message.text, std::to_string(MessageHistory::kKept + 4));
}

TEST(KeyboardShortcuts, EachKeyDoesOneThingAndEachCommandIsInTheMenu) {
    const MenuBar menu = LorvaneMenu();
    std::set<std::string> keys;
    for (const KeyboardShortcut& shortcut : KeyboardShortcuts()) {
        ASSERT_FALSE(shortcut.keys.empty()) << shortcut.what;
        for (const std::string& key : shortcut.keys)
            EXPECT_TRUE(keys.insert(key).second) << key << " is given twice";
        if (shortcut.id != 0) {
            EXPECT_NE(menu.Find(shortcut.id), nullptr) << shortcut.what;
            EXPECT_EQ(ShortcutOf(shortcut.id), &shortcut);
        }
    }
    EXPECT_EQ(ShortcutOf(0), nullptr);
    EXPECT_EQ(ShortcutOf(kMenuAbout), nullptr);
    EXPECT_EQ(KeysText(*ShortcutOf(kPanelRedo)), "Ctrl+Shift+Z, Ctrl+Y");
}

}  // namespace
}  // namespace lorvane
