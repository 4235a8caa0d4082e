#include "editor/list_rows.h"

#include <algorithm>

#include "base/format.h"

namespace lorvane {

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Ascending by first column; digit texts by their number ("100" after "99").
bool SortsBefore(const ListRow& a, const ListRow& b) {
    static const std::string kEmpty;
    const std::string& left = a.empty() ? kEmpty : a.front();
    const std::string& right = b.empty() ? kEmpty : b.front();
    if (AllDigits(left) && AllDigits(right) && left.size() != right.size()) {
        return left.size() < right.size();
    }
    return left < right;
}

}  // namespace

void ListView::Insert(ListRow row) {
    const auto place = std::upper_bound(rows_.begin(), rows_.end(), row, SortsBefore);
    rows_.insert(place, std::move(row));
}

void ListView::DeleteRow(size_t position) {
    if (position < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position));
}

std::string RowNumberText(int32_t n) { return FormatText("%02d", n); }

}  // namespace lorvane
