#pragma once
// The two list views of the editor panel as data: their columns, and rows of
// column texts kept in ascending order of their first column.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lorvane {

struct ListColumn {
    const char* title;
    int32_t width;  // pixels; every column is centred
};

inline constexpr std::array<ListColumn, 7> PathListColumns = {{{"#", 20},
                                                               {"Type", 50},
                                                               {"Width", 50},
                                                               {"Start X", 60},
                                                               {"Start Y", 60},
                                                               {"End X", 60},
                                                               {"End Y", 60}}};

inline constexpr std::array<ListColumn, 5> AreaListColumns = {
    {{"#", 20}, {"Type", 70}, {"Radius", 56}, {"Center X", 64}, {"Center Y", 64}}};

using ListRow = std::vector<std::string>;  // one text per column

// A list view in report view, sorted ascending by its first column. Row
// numbers are written "%02d"; a number of three digits or more still sorts
// after the two-digit ones (digit texts compare by length first).
class ListView {
  public:
    const std::vector<ListRow>& Rows() const { return rows_; }
    size_t RowCount() const { return rows_.size(); }

    // Inserts the row at its sorted place, after rows with an equal first
    // column.
    void Insert(ListRow row);
    // Removes the row at a position; nothing when there is no such row.
    void DeleteRow(size_t position);
    void DeleteAll() { rows_.clear(); }

  private:
    std::vector<ListRow> rows_;
};

// The first-column text of entry n: "%02d".
std::string RowNumberText(int32_t n);

}  // namespace lorvane
