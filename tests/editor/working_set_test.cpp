#include "editor/working_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/edit_command.h"
#include "editor/pens.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

constexpr int32_t kRiver = 2;
constexpr int32_t kRoad = 10;

// One database with the tile under test at set 1, position 0.
struct Fixture {
    explicit Fixture(std::vector<TilePath> paths, std::vector<TileArea> areas = {})
        : database(testing::MakeDatabase(
              {TileSet{4, {testing::MakeTile("H000.PCX")}},
               TileSet{4, {testing::MakeTile("H010.PCX", std::move(paths), std::move(areas))}}})) {}
    TileRecord& Tile() { return database.sets[1].tiles[0]; }
    int32_t TakeIn() {
        ClearWorkingSet(working);
        const int32_t paths = TakeInPaths(working, choices, database, 1, 0);
        TakeInAreas(working, choices, database, 1, 0);
        return paths;
    }
    void WriteBack() {
        WriteBackPaths(working, database, 1, 0);
        WriteBackAreas(working, database, 1, 0);
    }
    TileDatabase database;
    EditorWorkingSet working;
    EditorChoices choices;
};

// Removes entry n of a list through its command; false when there is none.
bool Remove(EditorWorkingSet& working, EntryKind list, int32_t n) {
    const auto command = MakeRemoveEntry(working, 16, list, n);
    if (command == nullptr || !command->Redo(working)) return false;
    RebuildRows(working);
    return true;
}

std::vector<std::string> FirstColumn(const ListView& list) {
    std::vector<std::string> numbers;
    for (const ListRow& row : list.Rows()) numbers.push_back(row.front());
    return numbers;
}

TEST(TakeInPaths, ContinuationMarksAndWriteBack) {
    // (start X, Y) → (end X, Y): a Road of two segments, then a River that
    // starts where the road ends but begins a path of its own.
    Fixture f({{kRoad, 50, 100, 200, 300, 400},
               {kRoad, 50, 300, 400, 500, 600},
               {kRiver, 100, 500, 600, 10, 10}});
    EXPECT_EQ(f.TakeIn(), 3);
    ASSERT_EQ(f.working.pathCount(), 3);
    EXPECT_TRUE(f.working.Path(1).beginsPath);
    EXPECT_FALSE(f.working.Path(2).beginsPath);
    EXPECT_TRUE(f.working.Path(3).beginsPath);  // same point, another type
    EXPECT_EQ(f.working.Path(3).startY, 600);
    EXPECT_EQ(f.working.Path(3).typeChoice, 0);
    EXPECT_EQ(f.choices.currentPathType, kRiver);  // the last record's type

    const std::vector<ListRow> rows = f.working.pathList.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (ListRow{"01", "Road", "50", "100", "200", "300", "400"}));
    EXPECT_EQ(rows[2], (ListRow{"03", "River", "100", "500", "600", "10", "10"}));

    f.WriteBack();
    EXPECT_EQ(f.Tile().paths[0], (TilePath{kRoad, 50, 100, 200, 300, 400}));
    EXPECT_EQ(f.Tile().paths[1].startY, 400.0f);
    EXPECT_EQ(f.Tile().paths[2], (TilePath{kRiver, 100, 500, 600, 10, 10}));
}

TEST(TakeInPaths, StartYZeroFloatsAndUnknownTypes) {
    struct Case {
        const char* what;
        std::vector<TilePath> stored;
        WorkingPath last;      // the last segment taken in
        std::string shownY;    // its start Y column
        TilePath writtenBack;  // the last record after write-back
    };
    const Case cases[] = {
        {"a path that starts at Y 0 begins there, shown and saved changed as 0",
         {{kRoad, 50, 10, 0, 20, 30}},
         {1, 50, 10, 0, 20, 30, true},
         "0",
         {kRoad, 50, 10, 0, 20, 30}},
        {"a continuing segment at Y 0 stays 0",
         {{kRoad, 50, 10, 5, 20, 0}, {kRoad, 50, 20, 0, 40, 0}},
         {1, 50, 20, 0, 40, 0, false},
         "0",
         {kRoad, 50, 20, 0, 40, 0}},
        {"feet keep their fractions and are shown rounded",
         {{kRoad, 49.9f, 10.99f, 57.5f, 20.5f, 30.7f}},
         {1, 49.9f, 10.99f, 57.5f, 20.5f, 30.7f, true},
         "58",
         {kRoad, 49.9f, 10.99f, 57.5f, 20.5f, 30.7f}},
        {"a start Y below one foot keeps its fraction",
         {{kRoad, 50, 10, 0.4f, 20, 30}},
         {1, 50, 10, 0.4f, 20, 30, true},
         "0",
         {kRoad, 50, 10, 0.4f, 20, 30}},
        {"a type outside the path list is No Data, saved as 0",
         {{5, 50, 10, 20, 30, 40}},
         {4, 50, 10, 20, 30, 40, true},
         "20",
         {0, 50, 10, 20, 30, 40}},
        {"a type change breaks the path, also for No Data twice",
         {{5, 50, 10, 20, 30, 40}, {5, 50, 30, 40, 50, 60}},
         {4, 50, 30, 40, 50, 60, true},
         "40",
         {0, 50, 30, 40, 50, 60}},
        {"a start that misses the end by a fraction still continues",
         {{kRoad, 50, 10, 20, 30, 40}, {kRoad, 50, 30.9f, 40.2f, 50, 60}},
         {1, 50, 30.9f, 40.2f, 50, 60, false},
         "40",
         {kRoad, 50, 30.9f, 40.2f, 50, 60}},
        {"a start beside the end begins a path",
         {{kRoad, 50, 10, 20, 30, 40}, {kRoad, 50, 30, 41, 50, 60}},
         {1, 50, 30, 41, 50, 60, true},
         "41",
         {kRoad, 50, 30, 41, 50, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(c.stored);
        f.TakeIn();
        ASSERT_EQ(f.working.pathCount(), static_cast<int32_t>(c.stored.size()));
        EXPECT_EQ(f.working.paths.back(), c.last);
        EXPECT_EQ(f.working.pathList.Rows().back()[4], c.shownY);
        // Written back untouched, every record keeps its bytes; changed, an
        // entry is stored as the tables hold it, and the others keep theirs.
        f.WriteBack();
        EXPECT_EQ(f.Tile().paths, c.stored);
        const auto widen = MakeChangeValue(f.working, 16, EntryKind::Path, f.working.pathCount(),
                                           ValueField::Width, 60);
        ASSERT_TRUE(widen && widen->Redo(f.working));
        f.WriteBack();
        TilePath written = c.writtenBack;
        written.width = 60;
        EXPECT_EQ(f.Tile().paths.back(), written);
        EXPECT_TRUE(std::equal(c.stored.begin(), c.stored.end() - 1, f.Tile().paths.begin()));
    }
    EXPECT_EQ(PathPen(PathChoiceOfCode(5)), (Pen{kWhite, 1}));
    EXPECT_STREQ(TypeName(PathTypeCode(PathChoiceOfCode(5))), "No Data");
}

// Entries nobody changed keep their stored values whatever was added,
// removed or changed around them.
TEST(WriteBack, UntouchedEntriesKeepTheirBytesAroundAddsRemovalsAndChanges) {
    Fixture f({{kRoad, 50.5f, 10.25f, 0, 20, 30},
               {kRoad, 50, 20, 30, 40.75f, 50},
               {kRiver, 60, 100, 0.5f, 200, 300}},
              {{1, 300.5f, 1000.25f, 2000}, {1, 10, 20, 30}});
    const std::vector<TilePath> paths = f.Tile().paths;
    const std::vector<TileArea> areas = f.Tile().areas;
    f.TakeIn();
    ASSERT_TRUE(
        MakeChangeValue(f.working, 16, EntryKind::Path, 2, ValueField::Width, 75)->Redo(f.working));
    ASSERT_TRUE(AddSegmentCommand(16, 1, WorkingPath{1, 40, 5, 5, 6, 6, true}).Redo(f.working));
    ASSERT_TRUE(Remove(f.working, EntryKind::Area, 2));
    ASSERT_TRUE(AddAreaCommand(16, 1, WorkingArea{0, 5, 6, 7}).Redo(f.working));
    f.WriteBack();
    ASSERT_EQ(f.Tile().pathCount(), 4);
    EXPECT_EQ(f.Tile().paths[0], (TilePath{kRoad, 40, 5, 5, 6, 6}));
    EXPECT_EQ(f.Tile().paths[1], paths[0]);  // Y 0 and the fractions stay
    EXPECT_EQ(f.Tile().paths[2], (TilePath{kRoad, 75, 20, 30, 40.75f, 50}));
    EXPECT_EQ(f.Tile().paths[3], paths[2]);
    EXPECT_EQ(f.Tile().areas, (std::vector<TileArea>{{1, 5, 6, 7}, areas[0]}));
}

TEST(TakeInPaths, NegativeCoordinatesAreClearedInTheRecord) {
    Fixture f({{kRoad, 50, -5, -0.5f, 300, -7}, {kRoad, -20, 300, 0, -1, 9}});
    f.TakeIn();
    EXPECT_EQ(f.Tile().paths[0], (TilePath{kRoad, 50, 0, 0, 300, 0}));
    EXPECT_EQ(f.Tile().paths[1], (TilePath{kRoad, -20, 300, 0, 0, 9}));  // widths are not clamped
    EXPECT_EQ(f.Tile().modified, 0);
    EXPECT_EQ(f.working.Path(1), (WorkingPath{1, 50, 0, 0, 300, 0, true}));
    EXPECT_FALSE(f.working.Path(2).beginsPath);  // continues (300, 0)
}

TEST(TakeInPaths, OddFloatsStayDefined) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Fixture f({{kRoad, nan, inf, 3e9f, nan, inf}}, {{1, inf, -3e9f, nan}});
    f.TakeIn();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr auto kFar = static_cast<float>(kMax);
    EXPECT_EQ(f.working.Path(1), (WorkingPath{1, 0, kFar, kFar, 0, kFar, true}));
    EXPECT_EQ(f.working.Area(1), (WorkingArea{0, kFar, -kFar, 0}));
    EXPECT_EQ(f.working.pathList.Rows()[0][4], "2147483647");
}

TEST(TakeInAreas, TypesCutAndWriteBack) {
    Fixture f({}, {{9, 150.7f, 1000.2f, 2000.9f}, {2, 10, -5, 20}, {13, 0.4f, 1, 2}});
    f.TakeIn();
    ASSERT_EQ(f.working.areaCount(), 3);
    EXPECT_EQ(f.working.Area(1), (WorkingArea{7, 150.7f, 1000.2f, 2000.9f}));
    EXPECT_EQ(f.working.Area(2), (WorkingArea{10, 10, -5, 20}));  // River is no area type
    EXPECT_EQ(f.working.Area(3), (WorkingArea{8, 0.4f, 1, 2}));
    EXPECT_EQ(f.working.areaList.Rows()[0], (ListRow{"01", "Urban", "151", "1000", "2001"}));
    EXPECT_EQ(f.choices.currentAreaType, 13);
    EXPECT_EQ(f.choices.currentAreaChoice, 0);  // positions are left alone
    EXPECT_EQ(f.working.areaList.Rows()[1], (ListRow{"02", "No Data", "10", "-5", "20"}));
    EXPECT_EQ(AreaPen(f.working.Area(2).typeChoice), (Pen{kWhite, 1}));
    EXPECT_EQ(AreaPen(f.working.Area(1).typeChoice), (Pen{kYellow, 2}));
    // Untouched, they keep their bytes; changed, they are stored as the tables
    // hold them.
    const std::vector<TileArea> stored = f.Tile().areas;
    f.WriteBack();
    EXPECT_EQ(f.Tile().areas, stored);
    for (int32_t n : {1, 2}) {
        ASSERT_TRUE(MakeChangeValue(f.working, 16, EntryKind::Area, n, ValueField::CentreY, 30 + n)
                        ->Redo(f.working));
    }
    f.WriteBack();
    EXPECT_EQ(f.Tile().areas[0], (TileArea{9, 150.7f, 1000.2f, 31}));
    EXPECT_EQ(f.Tile().areas[1], (TileArea{0, 10, -5, 32}));  // no magnitudes for areas
    EXPECT_EQ(f.Tile().areas[2], stored[2]);
}

TEST(TakeIn, EmptyTileOrMissingTileLeavesTheTablesAlone) {
    Fixture f({{kRoad, 50, 1, 2, 3, 4}});
    f.TakeIn();
    EditorWorkingSet before = f.working;
    EXPECT_EQ(TakeInPaths(f.working, f.choices, f.database, 0, 0), 0);  // H000 has no paths
    EXPECT_EQ(TakeInAreas(f.working, f.choices, f.database, 1, 0), 0);
    EXPECT_EQ(TakeInPaths(f.working, f.choices, f.database, 2, 0), 0);  // no set 2
    EXPECT_EQ(TakeInPaths(f.working, f.choices, f.database, 1, 16), 0);
    EXPECT_EQ(TakeInPaths(f.working, f.choices, f.database, -1, 0), 0);
    EXPECT_EQ(f.working.paths, before.paths);
    EXPECT_EQ(WriteBackPaths(f.working, f.database, 0, 5), 0);  // no such tile: nothing written
}

TEST(WriteBack, ShrinksGrowsAndReleases) {
    std::vector<TilePath> five;
    for (int i = 0; i < 5; ++i) five.push_back({kRoad, 50, 10.0f * i, 10, 10.0f * i + 5, 20});
    Fixture f(five, {{1, 5, 6, 7}});
    f.TakeIn();
    ASSERT_TRUE(Remove(f.working, EntryKind::Path, 1));
    ASSERT_TRUE(Remove(f.working, EntryKind::Path, 1));
    ASSERT_TRUE(Remove(f.working, EntryKind::Path, 1));
    EXPECT_EQ(WriteBackPaths(f.working, f.database, 1, 0), 2);
    EXPECT_EQ(f.Tile().pathCount(), 2);
    EXPECT_EQ(f.Tile().paths[0].startX, 30.0f);

    f.working.paths.push_back({2, 80, 1, 2, 3, 4, true});
    EXPECT_EQ(WriteBackPaths(f.working, f.database, 1, 0), 3);
    EXPECT_EQ(f.Tile().paths[2], (TilePath{12, 80, 1, 2, 3, 4}));

    ClearWorkingSet(f.working);
    EXPECT_EQ(WriteBackPaths(f.working, f.database, 1, 0), 0);
    EXPECT_EQ(WriteBackAreas(f.working, f.database, 1, 0), 0);
    EXPECT_TRUE(f.Tile().paths.empty());
    EXPECT_EQ(f.Tile().paths.capacity(), 0u);
    EXPECT_TRUE(f.Tile().areas.empty());
}

TEST(RemoveEntry, ShiftsNumbersAndRebuildsRows) {
    Fixture f({{kRoad, 50, 1, 1, 2, 2}, {kRiver, 60, 3, 3, 4, 4}, {kRoad, 70, 5, 5, 6, 6}},
              {{1, 10, 1, 1}, {3, 20, 2, 2}});
    f.TakeIn();
    ASSERT_TRUE(Remove(f.working, EntryKind::Path, 2));
    ASSERT_EQ(f.working.pathCount(), 2);
    EXPECT_EQ(f.working.Path(2).width, 70);
    EXPECT_EQ(FirstColumn(f.working.pathList), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(f.working.pathList.Rows()[1][2], "70");

    // A number without an entry removes nothing.
    for (const int32_t none : {0, 3, -1}) EXPECT_FALSE(Remove(f.working, EntryKind::Area, none));
    ASSERT_TRUE(Remove(f.working, EntryKind::Area, 1));
    EXPECT_EQ(f.working.Area(1).radius, 20);
    EXPECT_FALSE(Remove(f.working, EntryKind::Area, 2));
    EXPECT_EQ(f.working.areaCount(), 1);
    ASSERT_TRUE(Remove(f.working, EntryKind::Area, 1));
    EXPECT_EQ(f.working.areaCount(), 0);
    EXPECT_EQ(f.working.areaList.RowCount(), 0u);
    EXPECT_FALSE(Remove(f.working, EntryKind::Area, 1));
}

TEST(TakeIn, TablesGrowPastTheOldLimits) {
    std::vector<TilePath> paths;
    for (int i = 0; i < 150; ++i)
        paths.push_back({kRoad, 50, 1.0f * i, 1.0f * i, 1.0f * i + 1, 1.0f * i + 1});
    std::vector<TileArea> areas;
    for (int i = 0; i < 120; ++i) areas.push_back({4, 1.0f * i, 10, 20});
    Fixture f(paths, areas);
    EXPECT_EQ(f.TakeIn(), 150);
    EXPECT_EQ(f.working.areaCount(), 120);
    for (int32_t n = 2; n <= 150; ++n)  // each segment continues the one before
        ASSERT_FALSE(f.working.Path(n).beginsPath) << n;
    const std::vector<std::string> numbers = FirstColumn(f.working.areaList);
    EXPECT_EQ(numbers[98], "99");
    EXPECT_EQ(numbers[99], "100");
    EXPECT_EQ(numbers[119], "120");
    f.WriteBack();
    EXPECT_EQ(f.Tile().pathCount(), 150);
    EXPECT_EQ(f.Tile().areas[119], (TileArea{4, 119, 10, 20}));
}

TEST(ListView, KeepsRowsInNumberOrder) {
    ListView list;
    for (const char* number : {"03", "01", "100", "02", "99", "01"}) list.Insert({number, "x"});
    EXPECT_EQ(FirstColumn(list), (std::vector<std::string>{"01", "01", "02", "03", "99", "100"}));
    list.DeleteRow(4);
    list.DeleteRow(17);
    EXPECT_EQ(FirstColumn(list), (std::vector<std::string>{"01", "01", "02", "03", "100"}));
    EXPECT_EQ(RowNumberText(7), "07");
}

}  // namespace
}  // namespace lorvane
