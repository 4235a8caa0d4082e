#include "shell/tile_list.h"

#include <algorithm>
#include <cctype>

namespace lorvane {

const std::array<TileListColumn, kTileListColumns> TileListColumns = {{
    {"ID", 40},
    {"Mod", 40},
    {"Name", 120},
    {"Type", 100},
    {"Set#", 60},
    {"Paths", 60},
    {"Areas", 60},
}};

namespace {

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return Sign(a.size(), b.size());
}

bool InIndex(const TileDatabase& database, int position) {
    return position >= 0 && position < database.tileCount();
}

int PathCount(const TileDatabase& database, const TileIndexEntry& entry) {
    const TileRecord* tile = database.Tile(entry);
    return tile != nullptr ? tile->pathCount() : 0;
}

int AreaCount(const TileDatabase& database, const TileIndexEntry& entry) {
    const TileRecord* tile = database.Tile(entry);
    return tile != nullptr ? tile->areaCount() : 0;
}

}  // namespace

int CompareTileRows(const TileDatabase& database, int a, int b, int column, bool ascending) {
    if (!InIndex(database, a) || !InIndex(database, b)) return 0;
    const TileIndexEntry& x = database.index[static_cast<size_t>(a)];
    const TileIndexEntry& y = database.index[static_cast<size_t>(b)];
    int value = 0;
    // Signs rather than differences: a difference of two extreme ids overflows.
    switch (column) {
        case 0:
            value = Sign(x.id, y.id);
            break;
        case 1:
            value = Sign(x.modified, y.modified);
            break;
        case 2:
            value = CompareNoCase(NameText(x.name), NameText(y.name));
            break;
        case 3:
            value = Sign(x.terrainType, y.terrainType);
            break;
        case 4:
            value = Sign(x.setIndex, y.setIndex);
            break;
        case 5:
            value = Sign(PathCount(database, x), PathCount(database, y));
            break;
        case 6:
            value = Sign(AreaCount(database, x), AreaCount(database, y));
            break;
        default:
            value = 0;
            break;
    }
    return ascending ? value : -value;
}

namespace {

// Sets cell to the text of a column for an entry and its tile (null when it
// is missing from its set).
void SetCell(std::string& cell, const TileIndexEntry& entry, const TileRecord* tile, int column) {
    switch (column) {
        case 0:
            cell = std::to_string(entry.id);
            break;
        case 1:
            cell = entry.modified != 0 ? kModifiedMark : "";
            break;
        case 2:
            cell = NameText(entry.name);
            break;
        case 3:
            cell = TypeName(entry.terrainType);
            break;
        case 4:
            cell = std::to_string(entry.setIndex);
            break;
        case 5:
            cell = tile != nullptr ? std::to_string(tile->pathCount()) : "";
            break;
        case 6:
            cell = tile != nullptr ? std::to_string(tile->areaCount()) : "";
            break;
        default:
            cell.clear();
    }
}

}  // namespace

std::string TileListCell(const TileDatabase& database, int position, int column) {
    std::string text;
    if (!InIndex(database, position)) return text;
    const TileIndexEntry& entry = database.index[static_cast<size_t>(position)];
    SetCell(text, entry, database.Tile(entry), column);
    return text;
}

void TileList::Clear() {
    rows.clear();
    selectedPosition.reset();
}

void TileList::Fill(const TileDatabase& database, int count) {
    count = std::clamp(count, 0, database.tileCount());
    rows.reserve(rows.size() + static_cast<size_t>(count));
    // Each entry and its tile looked up once, the row's texts made in place.
    for (int j = 0; j < count; ++j) {
        const TileIndexEntry& entry = database.index[static_cast<size_t>(j)];
        const TileRecord* tile = database.Tile(entry);
        TileListRow& row = rows.emplace_back();
        row.position = j;
        for (int column = 0; column < kTileListColumns; ++column)
            SetCell(row.cells[static_cast<size_t>(column)], entry, tile, column);
    }
}

std::optional<int> TileList::UpdateRow(const TileDatabase& database, int position) {
    const std::optional<int> row = RowOf(position);
    if (!row || !InIndex(database, position)) return std::nullopt;
    TileListRow& target = rows[static_cast<size_t>(*row)];
    const bool modified = database.index[static_cast<size_t>(position)].modified != 0;
    for (int column = 1; column < kTileListColumns; ++column) {
        if (column == 1 && !modified) continue;  // the mark is set here, never cleared
        target.cells[static_cast<size_t>(column)] = TileListCell(database, position, column);
    }
    return row;
}

std::optional<int> TileList::ShowCounts(int position, int paths, int areas) {
    const std::optional<int> row = RowOf(position);
    if (!row) return std::nullopt;
    TileListRow& target = rows[static_cast<size_t>(*row)];
    target.cells[5] = std::to_string(paths);
    target.cells[6] = std::to_string(areas);
    return row;
}

void TileList::Sort(const TileDatabase& database, int column, bool ascending) {
    // Sorts the row numbers, then moves each row (seven texts) once.
    std::vector<uint32_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return CompareTileRows(database, rows[a].position, rows[b].position, column, ascending) < 0;
    });
    std::vector<TileListRow> sorted;
    sorted.reserve(rows.size());
    for (uint32_t row : order) sorted.push_back(std::move(rows[row]));
    rows.swap(sorted);
}

void TileList::SortByHeader(const TileDatabase& database, int column) {
    Sort(database, column, sortAscending);
    sortAscending = !sortAscending;
}

void TileList::SortAscendingById(const TileDatabase& database) {
    sortAscending = true;
    Sort(database, 0, true);
}

std::optional<int> TileList::RowOf(int position) const {
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row].position == position) return static_cast<int>(row);
    return std::nullopt;
}

std::optional<int> TileList::SelectedRow() const {
    if (!selectedPosition) return std::nullopt;
    return RowOf(*selectedPosition);
}

void TileList::SelectRow(std::optional<int> row) {
    if (row && *row >= 0 && *row < static_cast<int>(rows.size()))
        selectedPosition = rows[static_cast<size_t>(*row)].position;
    else
        selectedPosition.reset();
}

std::optional<int> TileList::KeyInList(bool down) {
    if (rows.empty()) return std::nullopt;
    std::optional<int> current = SelectedRow();
    if (!current) {
        SelectRow(0);
        current = 0;
    }
    const int next = *current + (down ? 1 : -1);
    if (next < 0 || next >= static_cast<int>(rows.size())) return std::nullopt;
    SelectRow(next);
    return rows[static_cast<size_t>(next)].position;
}

std::optional<int> TileList::StepFromMainWindow(bool down) {
    const std::optional<int> current = SelectedRow();
    if (!current) {
        if (!down || rows.empty()) return std::nullopt;
        SelectRow(0);
        return rows[0].position;
    }
    const int next = *current + (down ? 1 : -1);
    SelectRow(std::nullopt);
    if (next < 0 || next >= static_cast<int>(rows.size())) return std::nullopt;
    SelectRow(next);
    return rows[static_cast<size_t>(next)].position;
}

}  // namespace lorvane
