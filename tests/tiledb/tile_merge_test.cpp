#include "tiledb/tile_merge.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <set>
#include <tuple>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_diff.h"

namespace lorvane {
namespace {

using testing::MakeDatabase;
using testing::MakeTile;

// Random tile lists whose records are all different (a counter in the
// width or radius), and the edits of one side of a merge as the side made
// them: each base entry kept, changed or removed, entries added in gaps.
class Edits {
  public:
    explicit Edits(uint32_t seed) : random_(seed) {}

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    TilePath NewPath() { return {Pick(0, 14), Fresh(), 1.5f, -2.0f, 3.0f, 4.0f}; }
    TileArea NewArea() { return {Pick(0, 14), Fresh(), 0.25f, 5.0f}; }
    float Fresh() { return static_cast<float>(++counter_); }

    enum Op { Keep, Change, Remove };
    template <typename Record>
    struct Side {
        std::vector<Op> ops;
        std::vector<Record> values;              // the changed values
        std::vector<std::vector<Record>> added;  // per gap
    };

    // One side's edits of a list of n entries, touching none of taken (the
    // other side's entries) when disjoint. Adjacent touched entries are of
    // one kind, and entries are added only between entries this side keeps,
    // so that the edits are read back as they were made.
    template <typename Record, typename Make>
    Side<Record> MakeSide(size_t n, const std::vector<Op>* taken, Make make) {
        Side<Record> side;
        side.ops.assign(n, Keep);
        side.values.resize(n);
        for (size_t i = 0; i < n; ++i) {
            if (taken != nullptr && (*taken)[i] != Keep) continue;
            if (Pick(0, 2) != 0) continue;
            Op op = Pick(0, 1) == 0 ? Change : Remove;
            if (i > 0 && side.ops[i - 1] != Keep) op = side.ops[i - 1];
            side.ops[i] = op;
            side.values[i] = make();
        }
        side.added.resize(n + 1);
        for (size_t g = 0; g <= n; ++g) {
            const bool free =
                (g == 0 || side.ops[g - 1] == Keep) && (g == n || side.ops[g] == Keep);
            if (free && Pick(0, 3) == 0)
                for (int k = Pick(1, 2); k > 0; --k) side.added[g].push_back(make());
        }
        return side;
    }

    // The list with the edits of the sides applied, ours before theirs.
    template <typename Record>
    static std::vector<Record> Apply(const std::vector<Record>& base,
                                     std::initializer_list<const Side<Record>*> sides) {
        std::vector<Record> out;
        for (size_t g = 0; g <= base.size(); ++g) {
            for (const Side<Record>* side : sides)
                out.insert(out.end(), side->added[g].begin(), side->added[g].end());
            if (g == base.size()) break;
            std::optional<Record> value = base[g];
            for (const Side<Record>* side : sides) {
                if (side->ops[g] == Remove) value.reset();
                if (side->ops[g] == Change && value) value = side->values[g];
            }
            if (value) out.push_back(*value);
        }
        return out;
    }

  private:
    std::mt19937 random_;
    int counter_ = 0;
};

template <typename Record>
std::vector<Record> Fresh(Edits& edits, int count, Record (Edits::*make)()) {
    std::vector<Record> list;
    for (int k = 0; k < count; ++k) list.push_back((edits.*make)());
    return list;
}

bool SameBytes(const TileDatabase& a, const TileDatabase& b) {
    return SerializeTextureBin(a) == SerializeTextureBin(b);
}

// Random bases of a few tiles, edited on two sides: with disjoint edits the
// merge is the base with both applied, and with overlapping ones it reports
// exactly the entries both touched (except both removing one), and the
// merged database with ours preferred is ours' value there.
TEST(TileMerge, RandomEditsOnTwoSides) {
    int withConflicts = 0;
    int mergedBoth = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        Edits edits(seed);
        const bool disjoint = seed % 3 != 0;
        std::vector<TileRecord> baseTiles, ourTiles, theirTiles, bothTiles;
        std::set<std::tuple<int, int, int>> touchedByBoth;  // tile, kind, entry
        for (int t = 0; t < 3; ++t) {
            const auto paths = Fresh<TilePath>(edits, edits.Pick(0, 6), &Edits::NewPath);
            const auto areas = Fresh<TileArea>(edits, edits.Pick(0, 4), &Edits::NewArea);
            const auto pathMaker = [&] { return edits.NewPath(); };
            const auto areaMaker = [&] { return edits.NewArea(); };
            const auto ourPaths = edits.MakeSide<TilePath>(paths.size(), nullptr, pathMaker);
            const auto theirPaths = edits.MakeSide<TilePath>(
                paths.size(), disjoint ? &ourPaths.ops : nullptr, pathMaker);
            const auto ourAreas = edits.MakeSide<TileArea>(areas.size(), nullptr, areaMaker);
            const auto theirAreas = edits.MakeSide<TileArea>(
                areas.size(), disjoint ? &ourAreas.ops : nullptr, areaMaker);
            const std::string name = "H00" + std::to_string(t) + ".PCX";
            baseTiles.push_back(MakeTile(name, paths, areas));
            ourTiles.push_back(
                MakeTile(name, Edits::Apply(paths, {&ourPaths}), Edits::Apply(areas, {&ourAreas})));
            theirTiles.push_back(MakeTile(name, Edits::Apply(paths, {&theirPaths}),
                                          Edits::Apply(areas, {&theirAreas})));
            bothTiles.push_back(MakeTile(name, Edits::Apply(paths, {&ourPaths, &theirPaths}),
                                         Edits::Apply(areas, {&ourAreas, &theirAreas})));
            for (size_t i = 0; i < paths.size(); ++i) {
                const auto o = ourPaths.ops[i], h = theirPaths.ops[i];
                if (o != Edits::Keep && h != Edits::Keep && !(o == Edits::Remove && h == o))
                    touchedByBoth.insert({t, 0, static_cast<int>(i) + 1});
            }
            for (size_t i = 0; i < areas.size(); ++i) {
                const auto o = ourAreas.ops[i], h = theirAreas.ops[i];
                if (o != Edits::Keep && h != Edits::Keep && !(o == Edits::Remove && h == o))
                    touchedByBoth.insert({t, 1, static_cast<int>(i) + 1});
            }
        }
        // Beside the lists: ours adds a set, theirs gives set 0 another type
        // and renames a tile.
        const TileDatabase base = MakeDatabase({TileSet{4, baseTiles}});
        std::vector<TileSet> ourSets{TileSet{4, ourTiles}};
        if (seed % 2 == 0) ourSets.push_back(TileSet{9, {MakeTile("H010.PCX", {edits.NewPath()})}});
        std::vector<TileSet> theirSets{
            TileSet{seed % 5 == 0 ? uint8_t{6} : uint8_t{4}, theirTiles}};
        if (seed % 7 == 0) theirSets[0].tiles[1].name = MakeTileName("H001.pcx");
        const TileDatabase ours = MakeDatabase(ourSets);
        const TileDatabase theirs = MakeDatabase(theirSets);

        const MergeResult result = MergeDatabases(base, ours, theirs, MergeSide::None);
        std::set<std::tuple<int, int, int>> reported;
        for (const MergeConflict& conflict : result.conflicts) {
            ASSERT_TRUE(conflict.kind == ConflictKind::Path || conflict.kind == ConflictKind::Area)
                << "seed " << seed;
            reported.insert(
                {conflict.position, conflict.kind == ConflictKind::Path ? 0 : 1, conflict.entry});
        }
        EXPECT_EQ(reported, touchedByBoth) << "seed " << seed;
        withConflicts += reported.empty() ? 0 : 1;
        if (touchedByBoth.empty()) {
            mergedBoth += SameBytes(ours, base) || SameBytes(theirs, base) ? 0 : 1;
            std::vector<TileSet> expected{TileSet{theirSets[0].terrainType, bothTiles}};
            expected[0].tiles[1].name = theirSets[0].tiles[1].name;
            if (ourSets.size() > 1) expected.push_back(ourSets[1]);
            EXPECT_TRUE(SameBytes(result.merged, MakeDatabase(expected))) << "seed " << seed;
        }
        // The merge with one side unchanged is the other side, both ways.
        EXPECT_TRUE(SameBytes(MergeDatabases(base, ours, base, MergeSide::None).merged, ours));
        EXPECT_TRUE(SameBytes(MergeDatabases(base, base, theirs, MergeSide::None).merged, theirs));
        EXPECT_TRUE(SameBytes(MergeDatabases(base, ours, ours, MergeSide::None).merged, ours));
        // Preferring a side settles every conflict with that side's values.
        const MergeResult preferred = MergeDatabases(base, ours, theirs, MergeSide::Ours);
        EXPECT_TRUE(preferred.Settled());
        EXPECT_EQ(preferred.conflicts.size(), result.conflicts.size());
        EXPECT_TRUE(DiffDatabases(base, base).empty());
        EXPECT_TRUE(DiffDatabases(ours, ours).empty());
        EXPECT_EQ(DiffDatabases(base, ours).empty(), SameBytes(base, ours));
    }
    // Both kinds of case came up often.
    EXPECT_GT(withConflicts, 50);
    EXPECT_GT(mergedBoth, 150);
}

// The alignment of random lists: every entry of each list once, in order;
// kept entries the same records; and a list edited by one step differs by
// exactly that step.
TEST(TileDiff, AlignmentCoversBothListsInOrder) {
    Edits edits(7);
    for (int round = 0; round < 300; ++round) {
        auto before = Fresh<TilePath>(edits, edits.Pick(0, 12), &Edits::NewPath);
        auto after = before;
        for (int k = edits.Pick(0, 4); k > 0; --k) {
            const int what = edits.Pick(0, 2);
            const size_t at = static_cast<size_t>(edits.Pick(0, static_cast<int>(after.size())));
            if (what == 0) after.insert(after.begin() + static_cast<long>(at), edits.NewPath());
            if (what == 1 && at < after.size()) after.erase(after.begin() + static_cast<long>(at));
            if (what == 2 && at < after.size()) after[at] = before.empty() ? after[at] : before[0];
        }
        int32_t nextBefore = 0, nextAfter = 0;
        for (const EntryStep& step : AlignEntries(before, after)) {
            if (step.before >= 0) {
                EXPECT_EQ(step.before, nextBefore++);
            }
            if (step.after >= 0) {
                EXPECT_EQ(step.after, nextAfter++);
            }
        }
        EXPECT_EQ(nextBefore, static_cast<int32_t>(before.size()));
        EXPECT_EQ(nextAfter, static_cast<int32_t>(after.size()));
    }
    const auto list = Fresh<TilePath>(edits, 8, &Edits::NewPath);
    auto inserted = list;
    inserted.insert(inserted.begin() + 2, edits.NewPath());
    const ListDiff<TilePath> one = DiffLists(list, inserted);
    ASSERT_EQ(one.added.size(), 1u);
    EXPECT_EQ(one.added[0].entry, 3);
    EXPECT_TRUE(one.removed.empty() && one.changed.empty());
    auto moved = list;
    moved[5].endX = 99;
    const ListDiff<TilePath> changed = DiffLists(list, moved);
    ASSERT_EQ(changed.changed.size(), 1u);
    EXPECT_EQ(changed.changed[0].entry, 6);
    EXPECT_EQ(changed.changed[0].before.endX, list[5].endX);
    EXPECT_EQ(changed.changed[0].after.endX, 99);
}

// Values compare by their bits: -0 and 0 differ, a NaN equals itself.
TEST(TileDiff, RecordsCompareByBits) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TileDatabase a =
        MakeDatabase({TileSet{1, {MakeTile("H000.PCX", {{2, nan, 0, 0, 0, 0}})}}});
    EXPECT_TRUE(DiffDatabases(a, a).empty());
    const TileDatabase b =
        MakeDatabase({TileSet{1, {MakeTile("H000.PCX", {{2, nan, -0.0f, 0, 0, 0}})}}});
    const DatabaseDiff diff = DiffDatabases(a, b);
    ASSERT_EQ(diff.tiles.size(), 1u);
    EXPECT_EQ(diff.tiles[0].paths.changed.size(), 1u);
}

// The whole-tile and set cases, each with its conflicts and what --prefer
// makes of them.
TEST(TileMerge, TilesAndSetsAddedRemovedAndLaidOut) {
    const TilePath road{10, 40, 1, 2, 3, 4};
    const TilePath rail{11, 30, 5, 6, 7, 8};
    const TileDatabase base =
        MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX")}}});
    struct Case {
        const char* what;
        std::vector<TileSet> ours;
        std::vector<TileSet> theirs;
        std::vector<ConflictKind> conflicts;
        std::vector<TileSet> preferOurs;  // the merged sets with --prefer ours
    };
    const TileSet two{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX")}};
    const std::vector<Case> cases = {
        {"one side adds a set",
         {two, TileSet{9, {MakeTile("H010.PCX")}}},
         {two},
         {},
         {two, TileSet{9, {MakeTile("H010.PCX")}}}},
        {"both add the same set",
         {two, TileSet{9, {MakeTile("H010.PCX")}}},
         {two, TileSet{9, {MakeTile("H010.PCX")}}},
         {},
         {two, TileSet{9, {MakeTile("H010.PCX")}}}},
        {"both add a tile at one place differently",
         {TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX"), MakeTile("H002.PCX")}}},
         {TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX"), MakeTile("H00F.PCX")}}},
         {ConflictKind::Tile},
         {TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX"), MakeTile("H002.PCX")}}}},
        {"one side removes a tile the other changed",
         {TileSet{4, {MakeTile("H000.PCX", {road})}}},
         {TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX", {rail})}}},
         {ConflictKind::Tile},
         {TileSet{4, {MakeTile("H000.PCX", {road})}}}},
        {"one side removes an entry the other changed; types differ",
         {TileSet{6, {MakeTile("H000.PCX"), MakeTile("H001.PCX")}}},
         {TileSet{7, {MakeTile("H000.PCX", {rail}), MakeTile("H001.PCX")}}},
         {ConflictKind::SetType, ConflictKind::Path},
         {TileSet{6, {MakeTile("H000.PCX"), MakeTile("H001.PCX")}}}},
        {"a removed tile before one that stays",
         {TileSet{4, {MakeTile("H000.PCX", {road})}}},
         {TileSet{4, {MakeTile("H000.PCX", {road}), MakeTile("H001.PCX"), MakeTile("H002.PCX")}}},
         {ConflictKind::Layout},
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const MergeResult result = MergeDatabases(base, MakeDatabase(test.ours),
                                                  MakeDatabase(test.theirs), MergeSide::Ours);
        std::vector<ConflictKind> kinds;
        for (const MergeConflict& conflict : result.conflicts) kinds.push_back(conflict.kind);
        EXPECT_EQ(kinds, test.conflicts);
        const bool layout = !kinds.empty() && kinds.back() == ConflictKind::Layout;
        EXPECT_EQ(result.Settled(), !layout);
        if (!layout) {
            EXPECT_TRUE(SameBytes(result.merged, MakeDatabase(test.preferOurs)));
        }
    }
}

// Both sides adding segments to one tile keeps all of them, ours first;
// the same segment added on both is kept once.
TEST(TileMerge, SegmentsAddedOnBothSides) {
    const TilePath a{10, 40, 1, 2, 3, 4}, b{10, 41, 3, 4, 5, 6}, c{2, 80, 7, 8, 9, 1};
    const TileDatabase base = MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {a})}}});
    const TileDatabase ours = MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {a, b})}}});
    const TileDatabase theirs = MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {a, c})}}});
    const MergeResult both = MergeDatabases(base, ours, theirs, MergeSide::None);
    EXPECT_TRUE(both.conflicts.empty());
    EXPECT_TRUE(
        SameBytes(both.merged, MakeDatabase({TileSet{4, {MakeTile("H000.PCX", {a, b, c})}}})));
    const MergeResult same = MergeDatabases(base, ours, ours, MergeSide::None);
    EXPECT_TRUE(SameBytes(same.merged, ours));
}

}  // namespace
}  // namespace lorvane
