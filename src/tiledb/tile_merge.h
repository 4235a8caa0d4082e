#pragma once
// The three-way merge of tile databases: two databases made from one base
// (ours and theirs) brought together.
//
// Each value is merged in three ways: where only one side changed it from
// the base that side's value is taken; the same change on both sides is
// taken once; different changes on both sides are a conflict. The values
// are a set's terrain type (and its being there), a tile's name bytes and
// each entry of its paths and of its areas; a tile that one side removed
// while the other changed it, or that both sides added differently, is one
// conflict of the whole tile.
//
// The entries of a list are matched to the base's as DiffLists matches them
// (tile_diff.h): each base entry is kept, changed or removed by each side,
// and each side may add entries between two base entries. Entries added by
// both sides at the same place are all kept, ours before theirs, unless
// both added the same records there, which are taken once. Changing an
// entry that the other side changed differently, or removed, is a conflict
// of that entry.
//
// The merged database has its sets and tiles at their places, each set's
// tiles from position 0 on: a merge that would leave a gap (a set or tile
// missing before one that is there) is a layout conflict, which no choice of
// side settles.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "tiledb/tile_database.h"

namespace lorvane {

enum class MergeSide { None, Ours, Theirs };

enum class ConflictKind {
    SetType,  // a set's terrain type, or whether the set is there
    Tile,     // a whole tile: removed on one side and changed on the other, or added differently
    Name,     // a tile's name bytes
    Path,     // an entry of a tile's paths
    Area,     // an entry of a tile's areas
    Layout,   // a set or tile missing before one that is there
};

// A value of one side in a conflict, of the kind of the conflict.
using ConflictValue = std::variant<uint8_t, TileRecord, TileName, TilePath, TileArea>;

struct MergeConflict {
    ConflictKind kind = ConflictKind::Path;
    int32_t set = 0;
    int32_t position = -1;  // the tile's position in the set; -1 for a set
    int32_t entry = 0;      // Path and Area: the base entry's number, from 1
    // The base's, ours and theirs; nullopt where it is not there (removed,
    // or not yet added).
    std::array<std::optional<ConflictValue>, 3> values;
    // The side whose value the merged database holds; None when unsettled
    // (the merged database then holds the base's value).
    MergeSide settledBy = MergeSide::None;

    int32_t id() const { return TileIdAt(set, std::max(position, 0)); }
};

struct MergeResult {
    TileDatabase merged;  // with its index made as loading makes it
    std::vector<MergeConflict> conflicts;

    bool Settled() const;  // every conflict settled
};

// Chooses the side of each conflict as it is found; None leaves it unsettled.
using ConflictChoice = std::function<MergeSide(const MergeConflict&)>;

MergeResult MergeDatabases(const TileDatabase& base, const TileDatabase& ours,
                           const TileDatabase& theirs, const ConflictChoice& choose);
// Every conflict settled by prefer (None: none settled).
MergeResult MergeDatabases(const TileDatabase& base, const TileDatabase& ours,
                           const TileDatabase& theirs, MergeSide prefer);

}  // namespace lorvane
