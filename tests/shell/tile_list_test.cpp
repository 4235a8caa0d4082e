#include "shell/tile_list.h"

#include <gtest/gtest.h>

#include "support/texture_builder.h"

namespace lorvane {
namespace {

using testing::MakeDatabase;
using testing::MakeTile;

// Five tiles in three sets; names chosen so that the name order differs from
// the id order, and letter case differs.
TileDatabase SampleDatabase() {
    TileSet water{1, {MakeTile("100.PCX", {TilePath{}}), MakeTile("b01.pcx")}};
    TileSet urban{9, {MakeTile("A10.PCX", {}, {TileArea{}, TileArea{}})}};
    TileSet plains{4, {MakeTile("c20.PCX"), MakeTile("a21.pcx")}};
    TileDatabase database = MakeDatabase({water, urban, plains});
    database.index[3].modified = 1;
    return database;
}

std::vector<std::string> Column(const TileList& list, int column) {
    std::vector<std::string> texts;
    for (const TileListRow& row : list.rows)
        texts.push_back(row.cells[static_cast<size_t>(column)]);
    return texts;
}

TEST(TileListTest, FillWritesTheSevenColumnsInIndexOrder) {
    const TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());
    ASSERT_EQ(list.rows.size(), 5u);
    const auto& first = list.rows[0].cells;
    EXPECT_EQ(first[0], std::to_string(database.index[0].id));
    EXPECT_EQ(first[1], "");
    EXPECT_EQ(first[2], "100.PCX");
    EXPECT_EQ(first[3], "Water");
    EXPECT_EQ(first[4], "0");
    EXPECT_EQ(first[5], "1");
    EXPECT_EQ(first[6], "0");
    EXPECT_EQ(list.rows[2].cells[3], "Urban");
    EXPECT_EQ(list.rows[2].cells[6], "2");
    EXPECT_EQ(list.rows[3].cells[1], "XXXXX");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.rows[static_cast<size_t>(i)].position, i);
}

TEST(TileListTest, HeaderClicksSortWithOneDirectionFlag) {
    const TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());

    // The first click sorts descending: names from Z to A, ignoring case.
    list.SortByHeader(database, 2);
    EXPECT_EQ(Column(list, 2),
              (std::vector<std::string>{"c20.PCX", "b01.pcx", "a21.pcx", "A10.PCX", "100.PCX"}));
    list.SortByHeader(database, 2);
    EXPECT_EQ(Column(list, 2),
              (std::vector<std::string>{"100.PCX", "A10.PCX", "a21.pcx", "b01.pcx", "c20.PCX"}));

    // "ID" then "Set#": descending by id, then ascending by set.
    list.SortByHeader(database, 0);
    EXPECT_EQ(Column(list, 4), (std::vector<std::string>{"2", "2", "1", "0", "0"}));
    EXPECT_TRUE(std::is_sorted(list.rows.rbegin(), list.rows.rend(), [&](auto& a, auto& b) {
        return database.index[static_cast<size_t>(a.position)].id <
               database.index[static_cast<size_t>(b.position)].id;
    }));
    list.SortByHeader(database, 4);
    EXPECT_EQ(Column(list, 4), (std::vector<std::string>{"0", "0", "1", "2", "2"}));

    // "Mod" groups the marked rows; "Type" sorts by the code (Water, Plains, Urban).
    list.SortByHeader(database, 1);
    EXPECT_EQ(Column(list, 1).front(), "XXXXX");
    list.SortByHeader(database, 3);
    EXPECT_EQ(Column(list, 3),
              (std::vector<std::string>{"Water", "Water", "Plains", "Plains", "Urban"}));
}

TEST(TileListTest, CompareTileRowsByColumn) {
    const TileDatabase database = SampleDatabase();
    // Positions 0 ("100.PCX", set 0, Water) and 2 ("A10.PCX", set 1, Urban).
    struct Case {
        int column;
        int ascending;
    };
    // Position 0 has one path and no area, position 2 no path and two areas.
    for (const Case& c : {Case{0, -1}, Case{2, -1}, Case{3, -1}, Case{4, -1}, Case{5, 1},
                          Case{6, -1}, Case{7, 0}, Case{-1, 0}}) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(CompareTileRows(database, 0, 2, c.column, true), c.ascending);
        EXPECT_EQ(CompareTileRows(database, 0, 2, c.column, false), -c.ascending);
    }
    EXPECT_EQ(CompareTileRows(database, 1, 3, 1, true), -1);  // not modified before modified
    EXPECT_EQ(CompareTileRows(database, 0, 99, 0, true), 0);  // outside the index
}

TEST(TileListTest, SortingByPathsOrAreasPutsTheTilesStillToDrawTogether) {
    TileDatabase database = SampleDatabase();
    database.index.push_back(database.index[0]);  // an entry whose tile is missing
    database.index.back().setIndex = 7;
    TileList list;
    list.Fill(database, database.tileCount());
    list.SortByHeader(database, 5);  // descending
    EXPECT_EQ(list.rows.front().position, 0);
    list.SortByHeader(database, 5);  // ascending: tiles without paths first, in index order
    std::vector<int> positions;
    for (const TileListRow& row : list.rows) positions.push_back(row.position);
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5, 0}));
    list.SortByHeader(database, 6);  // descending by areas
    EXPECT_EQ(list.rows.front().position, 2);
}

TEST(TileListTest, ExtremeIdsCompareWithoutOverflow) {
    TileDatabase database = SampleDatabase();
    database.index[0].id = INT32_MIN;
    database.index[1].id = INT32_MAX;
    EXPECT_LT(CompareTileRows(database, 0, 1, 0, true), 0);
    EXPECT_GT(CompareTileRows(database, 1, 0, 0, true), 0);
}

TEST(TileListTest, AfterAddingASetTheListIsAscendingAndStaysSo) {
    const TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());
    list.SortByHeader(database, 2);
    list.SortAscendingById(database);
    std::vector<std::string> ids = Column(list, 0);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end(),
                               [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); }));
    EXPECT_TRUE(list.sortAscending);
    list.SortByHeader(database, 2);  // the next click sorts ascending
    EXPECT_EQ(Column(list, 2).front(), "100.PCX");
}

TEST(TileListTest, UpdateRowFollowsTheEntryAfterSortingAndNeverClearsTheMark) {
    TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());
    list.SortByHeader(database, 2);  // position 0 ("100.PCX") is now the last row

    database.sets[0].tiles[0].paths.resize(7);
    database.index[0].modified = 1;
    EXPECT_EQ(list.UpdateRow(database, 0), 4);
    EXPECT_EQ(list.rows[4].cells[5], "7");
    EXPECT_EQ(list.rows[4].cells[1], "XXXXX");

    database.index[0].modified = 0;
    list.UpdateRow(database, 0);
    EXPECT_EQ(list.rows[4].cells[1], "XXXXX");
    EXPECT_EQ(list.UpdateRow(database, 42), std::nullopt);
}

TEST(TileListTest, ArrowKeysInTheList) {
    const TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());
    list.SortByHeader(database, 2);  // rows hold positions 3, 1, 4, 2, 0

    // No selection: row 0 becomes current, Down goes to row 1.
    EXPECT_EQ(list.KeyInList(true), 1);
    EXPECT_EQ(list.SelectedRow(), 1);
    EXPECT_EQ(list.KeyInList(false), 3);
    EXPECT_EQ(list.KeyInList(false), std::nullopt);  // Up on the first row loads nothing
    EXPECT_EQ(list.SelectedRow(), 0);
    list.SelectRow(4);
    EXPECT_EQ(list.KeyInList(true), std::nullopt);  // Down on the last row
    EXPECT_EQ(list.SelectedRow(), 4);

    TileList empty;
    EXPECT_EQ(empty.KeyInList(true), std::nullopt);
}

TEST(TileListTest, ArrowKeysAtTheMainWindow) {
    const TileDatabase database = SampleDatabase();
    TileList list;
    list.Fill(database, database.tileCount());

    EXPECT_EQ(list.StepFromMainWindow(false), std::nullopt);  // Up without a selection
    EXPECT_EQ(list.SelectedRow(), std::nullopt);
    EXPECT_EQ(list.StepFromMainWindow(true), 0);  // Down selects row 0
    EXPECT_EQ(list.StepFromMainWindow(true), 1);
    EXPECT_EQ(list.StepFromMainWindow(false), 0);
    EXPECT_EQ(list.StepFromMainWindow(false), std::nullopt);  // off the top: none selected
    EXPECT_EQ(list.SelectedRow(), std::nullopt);
}

}  // namespace
}  // namespace lorvane
