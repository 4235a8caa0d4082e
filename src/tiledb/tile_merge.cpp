#include "tiledb/tile_merge.h"

#include <algorithm>

#include "tiledb/tile_diff.h"

namespace lorvane {

namespace {

// What one side made of the base's list: each base entry's value (nullopt
// when removed) and the entries it added in each gap (gap g lies before
// base entry g; gap n after the last).
template <typename Record>
struct SideEdits {
    std::vector<std::optional<Record>> entries;
    std::vector<std::vector<Record>> added;
};

template <typename Record>
SideEdits<Record> EditsOf(std::span<const Record> base, std::span<const Record> side) {
    SideEdits<Record> edits;
    edits.entries.resize(base.size());
    edits.added.resize(base.size() + 1);
    size_t gap = 0;
    for (const EntryStep& step : AlignEntries(base, side)) {
        if (step.before < 0) {
            edits.added[gap].push_back(side[static_cast<size_t>(step.after)]);
            continue;
        }
        if (step.after >= 0)
            edits.entries[static_cast<size_t>(step.before)] = side[static_cast<size_t>(step.after)];
        gap = static_cast<size_t>(step.before) + 1;
    }
    return edits;
}

bool Same(uint8_t a, uint8_t b) { return a == b; }
bool Same(const TileName& a, const TileName& b) { return a == b; }
bool Same(const TilePath& a, const TilePath& b) { return SameBits(a, b); }
bool Same(const TileArea& a, const TileArea& b) { return SameBits(a, b); }
bool Same(const TileRecord& a, const TileRecord& b) { return SameTile(a, b); }

template <typename V>
bool Same(const std::optional<V>& a, const std::optional<V>& b) {
    return a.has_value() == b.has_value() && (!a || Same(*a, *b));
}

template <typename Record>
bool SameList(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const auto& x, const auto& y) { return Same(x, y); });
}

template <typename V>
std::optional<ConflictValue> AsValue(const std::optional<V>& value) {
    if (!value) return std::nullopt;
    return ConflictValue(*value);
}

class Merger {
  public:
    explicit Merger(const ConflictChoice& choose) : choose_(choose) {}

    // The merged value of base, ours and theirs; a conflict when both sides
    // changed it differently, settled as the choice says (else the base's).
    template <typename V>
    std::optional<V> Pick(const std::optional<V>& base, const std::optional<V>& ours,
                          const std::optional<V>& theirs, MergeConflict where) {
        if (Same(ours, theirs) || Same(theirs, base)) return ours;
        if (Same(ours, base)) return theirs;
        where.values = {AsValue(base), AsValue(ours), AsValue(theirs)};
        where.settledBy = choose_ ? choose_(where) : MergeSide::None;
        conflicts_.push_back(std::move(where));
        switch (conflicts_.back().settledBy) {
            case MergeSide::Ours:
                return ours;
            case MergeSide::Theirs:
                return theirs;
            case MergeSide::None:
                break;
        }
        return base;
    }

    template <typename Record>
    std::vector<Record> MergeList(const std::vector<Record>& base, const std::vector<Record>& ours,
                                  const std::vector<Record>& theirs, MergeConflict where) {
        const SideEdits<Record> mine = EditsOf<Record>(base, ours);
        const SideEdits<Record> other = EditsOf<Record>(base, theirs);
        std::vector<Record> merged;
        merged.reserve(std::max({base.size(), ours.size(), theirs.size()}));
        for (size_t g = 0; g <= base.size(); ++g) {
            const auto& ourAdded = mine.added[g];
            const auto& theirAdded = other.added[g];
            merged.insert(merged.end(), ourAdded.begin(), ourAdded.end());
            if (!SameList(ourAdded, theirAdded))
                merged.insert(merged.end(), theirAdded.begin(), theirAdded.end());
            if (g == base.size()) break;
            where.entry = static_cast<int32_t>(g + 1);
            const std::optional<Record> value =
                Pick(std::optional<Record>(base[g]), mine.entries[g], other.entries[g], where);
            if (value) merged.push_back(*value);
        }
        return merged;
    }

    std::optional<TileRecord> MergeTile(const TileRecord* base, const TileRecord* ours,
                                        const TileRecord* theirs, int32_t set, int32_t position) {
        MergeConflict where;
        where.set = set;
        where.position = position;
        const auto present = [](const TileRecord* tile) {
            return tile != nullptr ? std::optional<TileRecord>(*tile) : std::nullopt;
        };
        // Both sides hold a tile the base holds too: merged value by value.
        if (base != nullptr && ours != nullptr && theirs != nullptr) {
            TileRecord tile = *ours;
            where.kind = ConflictKind::Name;
            tile.name = *Pick<TileName>(base->name, ours->name, theirs->name, where);
            where.kind = ConflictKind::Path;
            tile.paths = MergeList(base->paths, ours->paths, theirs->paths, where);
            where.kind = ConflictKind::Area;
            tile.areas = MergeList(base->areas, ours->areas, theirs->areas, where);
            return tile;
        }
        where.kind = ConflictKind::Tile;
        return Pick(present(base), present(ours), present(theirs), where);
    }

    void Layout(int32_t set, int32_t position) {
        MergeConflict conflict;
        conflict.kind = ConflictKind::Layout;
        conflict.set = set;
        conflict.position = position;
        conflicts_.push_back(conflict);
    }

    std::vector<MergeConflict> TakeConflicts() { return std::move(conflicts_); }

  private:
    const ConflictChoice& choose_;
    std::vector<MergeConflict> conflicts_;
};

const TileSet* SetAt(const TileDatabase& database, size_t set) {
    return set < database.sets.size() ? &database.sets[set] : nullptr;
}

const TileRecord* TileAt(const TileSet* set, size_t position) {
    return set != nullptr && position < set->tiles.size() ? &set->tiles[position] : nullptr;
}

std::optional<uint8_t> TypeOf(const TileSet* set) {
    return set != nullptr ? std::optional<uint8_t>(set->terrainType) : std::nullopt;
}

}  // namespace

bool MergeResult::Settled() const {
    return std::all_of(conflicts.begin(), conflicts.end(), [](const MergeConflict& conflict) {
        return conflict.settledBy != MergeSide::None;
    });
}

MergeResult MergeDatabases(const TileDatabase& base, const TileDatabase& ours,
                           const TileDatabase& theirs, const ConflictChoice& choose) {
    Merger merger(choose);
    MergeResult result;
    const size_t setCount = std::max({base.sets.size(), ours.sets.size(), theirs.sets.size()});
    std::optional<int32_t> firstMissingSet;
    bool setGap = false;
    for (size_t s = 0; s < setCount; ++s) {
        const auto set = static_cast<int32_t>(s);
        const TileSet* sides[] = {SetAt(base, s), SetAt(ours, s), SetAt(theirs, s)};
        MergeConflict where;
        where.kind = ConflictKind::SetType;
        where.set = set;
        const std::optional<uint8_t> type =
            merger.Pick(TypeOf(sides[0]), TypeOf(sides[1]), TypeOf(sides[2]), where);
        size_t tileCount = 0;
        for (const TileSet* side : sides)
            tileCount = std::max(tileCount, side ? side->tiles.size() : 0);
        TileSet merged;
        merged.terrainType = type.value_or(0);
        std::optional<int32_t> firstMissingTile;
        bool gap = false;
        for (size_t k = 0; k < tileCount; ++k) {
            const auto position = static_cast<int32_t>(k);
            std::optional<TileRecord> tile = merger.MergeTile(
                TileAt(sides[0], k), TileAt(sides[1], k), TileAt(sides[2], k), set, position);
            if (!tile) {
                if (!firstMissingTile) firstMissingTile = position;
                continue;
            }
            if ((firstMissingTile || !type) && !gap) {
                merger.Layout(set, firstMissingTile.value_or(position));
                gap = true;
            }
            merged.tiles.push_back(std::move(*tile));
        }
        if (!type) {
            if (!firstMissingSet) firstMissingSet = set;
            continue;
        }
        if (firstMissingSet && !setGap) {
            merger.Layout(*firstMissingSet, -1);
            setGap = true;
        }
        result.merged.sets.push_back(std::move(merged));
    }
    IndexTilesInPlace(result.merged);
    result.conflicts = merger.TakeConflicts();
    return result;
}

MergeResult MergeDatabases(const TileDatabase& base, const TileDatabase& ours,
                           const TileDatabase& theirs, MergeSide prefer) {
    return MergeDatabases(base, ours, theirs, [prefer](const MergeConflict&) { return prefer; });
}

}  // namespace lorvane
