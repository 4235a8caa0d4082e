#pragma once
// The tile list window's rows and order: one row per index entry of the
// database, seven columns of text, sorted by a header click with one
// direction flag for all columns. A row is known by its item data, the
// position of its entry in the index, because sorting moves rows.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tiledb/tile_database.h"

namespace lorvane {

inline constexpr int kTileListColumns = 7;
struct TileListColumn {
    const char* header;
    int width;  // pixels
};
extern const std::array<TileListColumn, kTileListColumns> TileListColumns;

inline constexpr const char* kTileListCaption = "Tile List - Click Tile ID to Load Image";
inline constexpr const char* kModifiedMark = "XXXXX";

struct TileListRow {
    int position = 0;  // item data: the entry's place in the index
    std::array<std::string, kTileListColumns> cells;
};

// The comparison of two rows by their index positions for a column: id,
// modified flag, name without regard to letter case, terrain type, set, the
// number of paths, the number of areas (a tile missing from its set has
// none); any other column compares equal. Negative puts a
// before b; the sign is reversed unless ascending. Positions outside the
// index compare equal.
int CompareTileRows(const TileDatabase& database, int a, int b, int column, bool ascending);

class TileList {
  public:
    std::vector<TileListRow> rows;
    bool sortAscending = false;           // direction of the next header-click sort
    std::optional<int> selectedPosition;  // item data of the selected row
    // The index position of the tile on screen in the editor, which the
    // window marks; nullopt when none is.
    std::optional<int> onScreenPosition;

    // Drops the rows and the selection (the tile on screen stays marked).
    void Clear();
    // Appends rows for index positions 0 .. count - 1 (FillTileList).
    void Fill(const TileDatabase& database, int count);
    // Rewrites columns 1 to 6 of the row of that position; "Mod" only when
    // the entry is marked modified. The row's place, or nullopt when no row
    // has that position.
    std::optional<int> UpdateRow(const TileDatabase& database, int position);
    // The path and area counts of the tile on screen as it is being drawn,
    // before its edits go into the database: the row's place, or nullopt
    // when no row has that position.
    std::optional<int> ShowCounts(int position, int paths, int areas);
    // A header click: sorts by column in the current direction, then reverses it.
    void SortByHeader(const TileDatabase& database, int column);
    // Sorts ascending by id and leaves the next header click ascending.
    void SortAscendingById(const TileDatabase& database);

    std::optional<int> RowOf(int position) const;
    std::optional<int> SelectedRow() const;
    void SelectRow(std::optional<int> row);

    // Up or Down pressed in the list: the current row is the selected one
    // (row 0, selected, when none is); the row above or below is selected and
    // its position returned, or nullopt when there is none.
    std::optional<int> KeyInList(bool down);
    // Up or Down at the main window: without a selection Down selects row 0
    // and Up does nothing; otherwise the selection moves one row, or leaves
    // the list at its ends. The position to load, or nullopt.
    std::optional<int> StepFromMainWindow(bool down);

  private:
    void Sort(const TileDatabase& database, int column, bool ascending);
};

// The text of one cell, from the database as it is now.
std::string TileListCell(const TileDatabase& database, int position, int column);

}  // namespace lorvane
