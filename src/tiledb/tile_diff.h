#pragma once
// What differs between two tile databases, tile by tile and entry by entry.
//
// Tiles are matched by id, that is by set and position (id = set × 16 +
// position). Records compare by their bytes: -0 differs from 0, and a NaN
// equals a NaN of the same bits only, so two databases have no difference
// exactly when they are saved as the same bytes.
//
// Entries of a list are matched in two steps. First the longest run of
// records common to both lists, in order (a longest common subsequence of
// whole records, after the common start and end are set aside), is kept.
// Between two kept records the lists hold a run of r old and a new records:
// the first min(r, a) of each are paired by position as "changed" (before
// and after values), the rest of the old ones are "removed" and the rest of
// the new ones "added". So a segment inserted into a path is one added
// entry, not every later entry changed. A run that mixes a removal and a
// change can read another way than it was made (removing entry 2 and
// changing entry 3 reads as changing 2 and removing 3); the result of
// applying the reading is the same list.
//
// Entry numbers count from 1, as the editor's lists show them.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tiledb/tile_database.h"

namespace lorvane {

bool SameBits(const TilePath& a, const TilePath& b);
bool SameBits(const TileArea& a, const TileArea& b);
// The same name bytes (all 20, those after the NUL included) and the same lists.
bool SameTile(const TileRecord& a, const TileRecord& b);

// One step of the alignment of two lists: an entry of both (kept when the
// records are the same, else changed), of the old list only (removed) or of
// the new list only (added). Positions from 0; -1 where the entry is absent.
struct EntryStep {
    int32_t before = -1;
    int32_t after = -1;
};

// The steps that turn before into after, in list order. Within a run the
// changed pairs come first, then the removed, then the added entries.
std::vector<EntryStep> AlignEntries(std::span<const TilePath> before,
                                    std::span<const TilePath> after);
std::vector<EntryStep> AlignEntries(std::span<const TileArea> before,
                                    std::span<const TileArea> after);

template <typename Record>
struct ListDiff {
    struct Entry {
        int32_t entry = 0;  // from 1: in the new list when added, in the old when removed
        Record value;
    };
    struct Change {
        int32_t entry = 0;     // in the old list
        int32_t newEntry = 0;  // in the new list
        Record before;
        Record after;
    };
    std::vector<Entry> added;
    std::vector<Entry> removed;
    std::vector<Change> changed;

    bool empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

enum class TileChange { Added, Removed, Changed };

struct TileDiff {
    int32_t id = 0;
    int32_t set = 0;
    int32_t position = 0;
    TileChange change = TileChange::Changed;
    TileName name{};                  // in the new database (the old one when removed)
    std::optional<TileName> oldName;  // when a changed tile's name bytes differ
    ListDiff<TilePath> paths;         // an added tile's entries are all added,
    ListDiff<TileArea> areas;         // a removed tile's all removed
};

enum class SetChange { Added, Removed, TypeChanged };

struct SetDiff {
    int32_t set = 0;
    SetChange change = SetChange::TypeChanged;
    uint8_t typeBefore = 0;  // of the old set (0 when added)
    uint8_t typeAfter = 0;   // of the new set (0 when removed)
};

struct DatabaseDiff {
    std::vector<TileDiff> tiles;  // in set and position order
    std::vector<SetDiff> sets;

    bool empty() const { return tiles.empty() && sets.empty(); }
};

ListDiff<TilePath> DiffLists(std::span<const TilePath> before, std::span<const TilePath> after);
ListDiff<TileArea> DiffLists(std::span<const TileArea> before, std::span<const TileArea> after);

// Everything that differs from before to after.
DatabaseDiff DiffDatabases(const TileDatabase& before, const TileDatabase& after);

// The ids of the tiles of current whose paths or areas differ from those of
// the tile at the same place in base, or that base does not hold and that
// have entries, in index order: the tiles an export since base carries.
std::vector<int32_t> TilesChangedSince(const TileDatabase& base, const TileDatabase& current);

}  // namespace lorvane
