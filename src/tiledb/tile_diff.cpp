#include "tiledb/tile_diff.h"

#include <algorithm>
#include <bit>

namespace lorvane {

namespace {

// Past this many cells of the table, the middle of two lists (what is left
// after their common start and end) is one run, paired by position: a valid
// alignment, only not the shortest, and the time and memory stay bounded.
constexpr size_t kMaxTableCells = size_t{1} << 20;

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// The steps of one run: changed pairs, then the removed, then the added.
void FlushRun(std::vector<int32_t>& oldRun, std::vector<int32_t>& newRun,
              std::vector<EntryStep>& steps) {
    const size_t paired = std::min(oldRun.size(), newRun.size());
    for (size_t k = 0; k < paired; ++k) steps.push_back({oldRun[k], newRun[k]});
    for (size_t k = paired; k < oldRun.size(); ++k) steps.push_back({oldRun[k], -1});
    for (size_t k = paired; k < newRun.size(); ++k) steps.push_back({-1, newRun[k]});
    oldRun.clear();
    newRun.clear();
}

template <typename Record>
std::vector<EntryStep> Align(std::span<const Record> before, std::span<const Record> after) {
    std::vector<EntryStep> steps;
    steps.reserve(std::max(before.size(), after.size()));
    size_t head = 0;
    while (head < before.size() && head < after.size() && SameBits(before[head], after[head]))
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           SameBits(before[before.size() - 1 - tail], after[after.size() - 1 - tail]))
        ++tail;
    for (size_t k = 0; k < head; ++k)
        steps.push_back({static_cast<int32_t>(k), static_cast<int32_t>(k)});

    const size_t n = before.size() - head - tail;
    const size_t m = after.size() - head - tail;
    std::vector<int32_t> oldRun;
    std::vector<int32_t> newRun;
    const auto at = [&](size_t k) { return static_cast<int32_t>(head + k); };
    if (n > 0 && m > 0 && (n + 1) * (m + 1) <= kMaxTableCells) {
        // lcs[i][j]: the longest common subsequence of the middles from i and j on.
        const size_t width = m + 1;
        std::vector<uint32_t> lcs((n + 1) * width, 0);
        const auto same = [&](size_t i, size_t j) {
            return SameBits(before[head + i], after[head + j]);
        };
        for (size_t i = n; i-- > 0;) {
            for (size_t j = m; j-- > 0;) {
                lcs[i * width + j] =
                    same(i, j) ? lcs[(i + 1) * width + j + 1] + 1
                               : std::max(lcs[(i + 1) * width + j], lcs[i * width + j + 1]);
            }
        }
        size_t i = 0;
        size_t j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && same(i, j) &&
                lcs[i * width + j] == lcs[(i + 1) * width + j + 1] + 1) {
                FlushRun(oldRun, newRun, steps);
                steps.push_back({at(i), at(j)});
                ++i;
                ++j;
            } else if (j == m || (i < n && lcs[(i + 1) * width + j] >= lcs[i * width + j + 1])) {
                oldRun.push_back(at(i++));
            } else {
                newRun.push_back(at(j++));
            }
        }
    } else {
        for (size_t i = 0; i < n; ++i) oldRun.push_back(at(i));
        for (size_t j = 0; j < m; ++j) newRun.push_back(at(j));
    }
    FlushRun(oldRun, newRun, steps);
    for (size_t k = 0; k < tail; ++k) {
        steps.push_back({static_cast<int32_t>(before.size() - tail + k),
                         static_cast<int32_t>(after.size() - tail + k)});
    }
    return steps;
}

template <typename Record>
ListDiff<Record> Diff(std::span<const Record> before, std::span<const Record> after) {
    ListDiff<Record> diff;
    for (const EntryStep& step : Align(before, after)) {
        if (step.before < 0) {
            diff.added.push_back({step.after + 1, after[static_cast<size_t>(step.after)]});
        } else if (step.after < 0) {
            diff.removed.push_back({step.before + 1, before[static_cast<size_t>(step.before)]});
        } else {
            const Record& was = before[static_cast<size_t>(step.before)];
            const Record& now = after[static_cast<size_t>(step.after)];
            if (!SameBits(was, now))
                diff.changed.push_back({step.before + 1, step.after + 1, was, now});
        }
    }
    return diff;
}

const TileSet* SetAt(const TileDatabase& database, size_t set) {
    return set < database.sets.size() ? &database.sets[set] : nullptr;
}

TileDiff DiffTiles(const TileRecord* before, const TileRecord* after, int32_t set,
                   int32_t position) {
    static const TileRecord kNoTile;
    const TileRecord& was = before != nullptr ? *before : kNoTile;
    const TileRecord& now = after != nullptr ? *after : kNoTile;
    TileDiff diff;
    diff.id = TileIdAt(set, position);
    diff.set = set;
    diff.position = position;
    diff.change = before == nullptr  ? TileChange::Added
                  : after == nullptr ? TileChange::Removed
                                     : TileChange::Changed;
    diff.name = after != nullptr ? now.name : was.name;
    if (before != nullptr && after != nullptr && was.name != now.name) diff.oldName = was.name;
    diff.paths = DiffLists(was.paths, now.paths);
    diff.areas = DiffLists(was.areas, now.areas);
    return diff;
}

}  // namespace

bool SameBits(const TilePath& a, const TilePath& b) {
    return a.type == b.type && Bits(a.width) == Bits(b.width) && Bits(a.startX) == Bits(b.startX) &&
           Bits(a.startY) == Bits(b.startY) && Bits(a.endX) == Bits(b.endX) &&
           Bits(a.endY) == Bits(b.endY);
}

bool SameBits(const TileArea& a, const TileArea& b) {
    return a.type == b.type && Bits(a.radius) == Bits(b.radius) &&
           Bits(a.centerX) == Bits(b.centerX) && Bits(a.centerY) == Bits(b.centerY);
}

template <typename Record>
static bool SameList(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const Record& x, const Record& y) { return SameBits(x, y); });
}

bool SameTile(const TileRecord& a, const TileRecord& b) {
    return a.name == b.name && SameList(a.paths, b.paths) && SameList(a.areas, b.areas);
}

std::vector<EntryStep> AlignEntries(std::span<const TilePath> before,
                                    std::span<const TilePath> after) {
    return Align(before, after);
}

std::vector<EntryStep> AlignEntries(std::span<const TileArea> before,
                                    std::span<const TileArea> after) {
    return Align(before, after);
}

ListDiff<TilePath> DiffLists(std::span<const TilePath> before, std::span<const TilePath> after) {
    return Diff(before, after);
}

ListDiff<TileArea> DiffLists(std::span<const TileArea> before, std::span<const TileArea> after) {
    return Diff(before, after);
}

DatabaseDiff DiffDatabases(const TileDatabase& before, const TileDatabase& after) {
    DatabaseDiff diff;
    const size_t setCount = std::max(before.sets.size(), after.sets.size());
    for (size_t s = 0; s < setCount; ++s) {
        const TileSet* was = SetAt(before, s);
        const TileSet* now = SetAt(after, s);
        const auto set = static_cast<int32_t>(s);
        if (was == nullptr || now == nullptr) {
            diff.sets.push_back({set, was == nullptr ? SetChange::Added : SetChange::Removed,
                                 was != nullptr ? was->terrainType : uint8_t{0},
                                 now != nullptr ? now->terrainType : uint8_t{0}});
        } else if (was->terrainType != now->terrainType) {
            diff.sets.push_back({set, SetChange::TypeChanged, was->terrainType, now->terrainType});
        }
        const size_t tileCount = std::max(was != nullptr ? was->tiles.size() : 0,
                                          now != nullptr ? now->tiles.size() : 0);
        for (size_t k = 0; k < tileCount; ++k) {
            const TileRecord* a =
                was != nullptr && k < was->tiles.size() ? &was->tiles[k] : nullptr;
            const TileRecord* b =
                now != nullptr && k < now->tiles.size() ? &now->tiles[k] : nullptr;
            if (a != nullptr && b != nullptr && SameTile(*a, *b)) continue;
            diff.tiles.push_back(DiffTiles(a, b, set, static_cast<int32_t>(k)));
        }
    }
    return diff;
}

std::vector<int32_t> TilesChangedSince(const TileDatabase& base, const TileDatabase& current) {
    std::vector<int32_t> ids;
    for (const TileIndexEntry& entry : current.index) {
        const TileRecord* tile = current.Tile(entry);
        if (tile == nullptr) continue;
        const TileRecord* old = base.RecordAt(entry.setIndex, entry.tileIndex);
        const bool changed = old == nullptr ? !tile->paths.empty() || !tile->areas.empty()
                                            : !SameList(old->paths, tile->paths) ||
                                                  !SameList(old->areas, tile->areas);
        if (changed && std::find(ids.begin(), ids.end(), entry.id) == ids.end())
            ids.push_back(entry.id);
    }
    return ids;
}

}  // namespace lorvane
