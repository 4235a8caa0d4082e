// The clipboard's text reads back to the same entries, refuses what is not
// its own, and carries entries between tiles and databases as one step of
// the history each.

#include "editor/clipboard.h"

#include <random>

#include "panel_fixture.h"

namespace lorvane::testing {
namespace {

TEST(ClipboardText, RandomEntriesReadBackExactlyAndBadTextIsRefused) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> feet(0, TILE_SPAN);
    for (int round = 0; round < 200; ++round) {
        ClipboardEntries entries;
        for (int i = int(random() % 4); i > 0; --i)
            entries.paths.push_back({int32_t(random() % 4), 1 + feet(random) / 10, feet(random),
                                     feet(random), feet(random), feet(random),
                                     entries.paths.empty() || random() % 2 == 0});
        for (int i = int(random() % 3); i > 0; --i)
            entries.areas.push_back(
                {int32_t(random() % 10), 1 + feet(random) / 4, feet(random), feet(random)});
        const auto read = ReadClipboardText(ClipboardText(entries));
        ASSERT_TRUE(read) << ClipboardText(entries);
        EXPECT_EQ(read->paths, entries.paths);
        EXPECT_EQ(read->areas, entries.areas);
    }
    const std::string header = std::string(kClipboardHeader) + "\n";
    for (const std::string& bad : {
             std::string("path 10 50 1 2 3 4 begins\n"),  // no header
             header + "path 99 50 1 2 3 4 begins\n",      // not a path type
             header + "area 10 50 1 2\n",                 // Road is not an area type
             header + "path 10 50 1 2 3 4000 begins\n",   // off the tile
             header + "path 10 0 1 2 3 4 begins\n",       // no width
             header + "area 1 nan 1 2\n",                 //
             header + "path 10 50 1 2 3 begins\n",        // a value missing
             header + "area 1 50 1 2 3\n",                // a word too many
             header + "circle 1 50 1 2\n",
         })
        EXPECT_FALSE(ReadClipboardText(bad)) << bad;
    // What is moved stays on the tile.
    ClipboardEntries one;
    one.areas.push_back({0, 10, 3000, 100});
    const ClipboardEntries moved = MovedOnTile(one, 500, -500);
    EXPECT_EQ(moved.areas[0].centerX, 3280.0f);
    EXPECT_EQ(moved.areas[0].centerY, 0.0f);
}

class ClipboardTest : public PanelTest {
  protected:
    void SetUp() override {
        LoadDatabase(TwoSetDatabase());
        LoadTile("H000.PCX");  // two road segments and a lake
    }
};

TEST_F(ClipboardTest, CopiedEntriesPasteOnAnotherTileAndAnotherDatabase) {
    EXPECT_EQ(panel.CopySelection(), "");  // nothing picked
    panel.SelectRow(PanelList::Paths, 1);
    const std::string segment = panel.CopySelection();
    panel.SelectRow(PanelList::Areas, 0);
    const std::string lake = panel.CopySelection();
    const WorkingPath second = panel.tables().Path(2);
    const WorkingArea area = panel.tables().areas[0];

    // On another tile: the same values, picked, one undo step each.
    LoadTile("H001.PCX");
    ASSERT_TRUE(panel.Paste(segment));
    ASSERT_TRUE(panel.Paste(lake));
    ASSERT_EQ(panel.tables().pathCount(), 1);
    WorkingPath pasted = panel.tables().Path(1);
    EXPECT_TRUE(pasted.beginsPath);
    pasted.beginsPath = second.beginsPath;
    EXPECT_EQ(pasted, second);
    EXPECT_EQ(panel.tables().areas.at(0), area);
    EXPECT_EQ(panel.selection()->kind, EntryKind::Area);
    EXPECT_EQ(panel.UndoText(), "Paste 1 Entry");
    panel.Undo();
    EXPECT_EQ(panel.tables().areaCount(), 0);

    // Duplicated: a copy up and across, picked; cut: gone, on the clipboard.
    panel.SelectRow(PanelList::Paths, 0);
    ASSERT_TRUE(panel.DuplicateSelection());
    ASSERT_EQ(panel.tables().pathCount(), 2);
    EXPECT_EQ(panel.tables().Path(2).startX, second.startX + 100);
    EXPECT_EQ(panel.selection()->entry, 2);
    EXPECT_EQ(panel.CutSelection(), [&] {
        ClipboardEntries e;
        e.paths.push_back(panel.tables().Path(2));
        e.paths[0].beginsPath = true;
        return ClipboardText(e);
    }());
    EXPECT_EQ(panel.tables().pathCount(), 1);

    // In another database; with "at the pointer" the start lands under it.
    LoadDatabase(TwoSetDatabase());
    LoadTile("H001.PCX");
    Move(150, 150);
    ASSERT_TRUE(panel.Paste(segment, true));
    EXPECT_EQ(panel.tables().Path(1).startX, FeetAt(150, 150).x);
    EXPECT_EQ(panel.tables().Path(1).startY, FeetAt(150, 150).y);
    EXPECT_FALSE(panel.Paste("some other text"));
    EXPECT_EQ(host.beeps, 1);
}

}  // namespace
}  // namespace lorvane::testing
