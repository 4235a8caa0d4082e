#include "editor/working_set.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <string>

#include "base/format.h"
#include "editor/view_transform.h"

namespace lorvane {

namespace {

constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();

void ClampNegativeToZero(float& value) {
    if (value < 0) value = 0;
}

// A stored segment continues the one before it when it starts at that
// segment's end, in whole feet, and has its type.
bool Continues(const TilePath& record, const WorkingPath& previous) {
    return CutToFeet(record.startX) == CutToFeet(previous.endX) &&
           CutToFeet(record.startY) == CutToFeet(previous.endY) &&
           record.type == PathTypeCode(previous.typeChoice);
}

// A stored segment as the tables keep it, after the one before it (null for
// the first).
WorkingPath SegmentOf(const TilePath& stored, const WorkingPath* previous) {
    WorkingPath segment;
    segment.typeChoice = PathChoiceOfCode(stored.type);
    segment.width = FeetOf(stored.width);
    segment.beginsPath = previous == nullptr || !Continues(stored, *previous);
    segment.startX = FeetOf(stored.startX);
    segment.startY = FeetOf(stored.startY);
    segment.endX = FeetOf(stored.endX);
    segment.endY = FeetOf(stored.endY);
    return segment;
}

WorkingArea AreaOf(const TileArea& stored) {
    return {AreaChoiceOfCode(stored.type), FeetOf(stored.radius), FeetOf(stored.centerX),
            FeetOf(stored.centerY)};
}

// The stored entries the tables still hold untouched: for each table entry,
// the first stored entry after the last one taken whose value in the tables
// is the same (-1: none, the entry is new or changed). Untouched entries
// keep their order whatever was added, removed or changed around them.
template <typename Entry>
std::vector<int64_t> UntouchedEntries(const std::vector<Entry>& table,
                                      const std::vector<Entry>& storedAsTables) {
    std::map<Entry, std::deque<int64_t>> places;
    for (size_t k = 0; k < storedAsTables.size(); ++k)
        places[storedAsTables[k]].push_back(static_cast<int64_t>(k));
    std::vector<int64_t> untouched(table.size(), -1);
    int64_t next = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const auto found = places.find(table[i]);
        if (found == places.end()) continue;
        std::deque<int64_t>& at = found->second;
        while (!at.empty() && at.front() < next) at.pop_front();
        if (at.empty()) continue;
        untouched[i] = at.front();
        next = at.front() + 1;
        at.pop_front();
    }
    return untouched;
}

// Feet as the lists show them: rounded to whole feet.
std::string FeetText(float feet) { return FormatText("%d", WholeFeet(feet)); }

}  // namespace

int32_t CutToFeet(float value) {
    if (std::isnan(value)) return 0;
    const double cut = std::trunc(static_cast<double>(value));
    return static_cast<int32_t>(std::clamp(cut, -double{kLargest}, double{kLargest}));
}

float FeetOf(float value) {
    if (std::isnan(value)) return 0;
    constexpr auto kLimit = static_cast<float>(kLargest);
    return std::clamp(value, -kLimit, kLimit);
}

int32_t PathTypeCode(int32_t typeChoice) {
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(PathTypeCodes.size())) return 0;
    return PathTypeCodes[static_cast<size_t>(typeChoice)];
}

int32_t AreaTypeCode(int32_t typeChoice) {
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(AreaTypeCodes.size())) return 0;
    return AreaTypeCodes[static_cast<size_t>(typeChoice)];
}

int32_t PathChoiceOfCode(int32_t code) {
    return PathTypePosition(code).value_or(static_cast<int32_t>(PathTypeCodes.size()) - 1);
}

int32_t AreaChoiceOfCode(int32_t code) {
    return AreaTypePosition(code).value_or(static_cast<int32_t>(AreaTypeCodes.size()) - 1);
}

int32_t TakeInPaths(EditorWorkingSet& working, EditorChoices& choices, TileDatabase& database,
                    int32_t set, int32_t tile) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr || record->paths.empty()) return 0;
    working.paths.clear();
    working.paths.reserve(record->paths.size());
    for (TilePath& stored : record->paths) {
        choices.currentPathType = stored.type;
        // Negative coordinates are corrected in the record itself; the tile
        // is not marked modified, the next save stores the corrected values.
        ClampNegativeToZero(stored.startY);
        ClampNegativeToZero(stored.startX);
        ClampNegativeToZero(stored.endY);
        ClampNegativeToZero(stored.endX);
        working.paths.push_back(
            SegmentOf(stored, working.paths.empty() ? nullptr : &working.paths.back()));
        AddPathRow(working, working.pathCount());
    }
    return working.pathCount();
}

int32_t TakeInAreas(EditorWorkingSet& working, EditorChoices& choices, const TileDatabase& database,
                    int32_t set, int32_t tile) {
    const TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr || record->areas.empty()) return 0;
    working.areas.clear();
    working.areas.reserve(record->areas.size());
    for (const TileArea& stored : record->areas) {
        choices.currentAreaType = stored.type;
        working.areas.push_back(AreaOf(stored));
        AddAreaRow(working, working.areaCount());
    }
    return working.areaCount();
}

int32_t WriteBackPaths(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile, const std::vector<TilePath>* storedEntries) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return 0;
    // Entries nobody changed keep the values they were stored with, to the
    // fraction of a foot.
    std::vector<TilePath> stored =
        storedEntries != nullptr ? *storedEntries : std::move(record->paths);
    std::vector<WorkingPath> storedAsTables;
    storedAsTables.reserve(stored.size());
    for (const TilePath& path : stored)
        storedAsTables.push_back(
            SegmentOf(path, storedAsTables.empty() ? nullptr : &storedAsTables.back()));
    const std::vector<int64_t> untouched = UntouchedEntries(working.paths, storedAsTables);
    record->paths.assign(working.paths.size(), TilePath{});
    if (working.paths.empty()) record->paths.shrink_to_fit();  // the array is released
    for (size_t i = 0; i < working.paths.size(); ++i) {
        const WorkingPath& segment = working.paths[i];
        if (untouched[i] >= 0) {
            record->paths[i] = stored[static_cast<size_t>(untouched[i])];
            continue;
        }
        record->paths[i] = {PathTypeCode(segment.typeChoice),
                            segment.width,
                            segment.startX,
                            segment.startY,
                            segment.endX,
                            segment.endY};
    }
    return working.pathCount();
}

int32_t WriteBackAreas(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile, const std::vector<TileArea>* storedEntries) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return 0;
    std::vector<TileArea> stored =
        storedEntries != nullptr ? *storedEntries : std::move(record->areas);
    std::vector<WorkingArea> storedAsTables;
    storedAsTables.reserve(stored.size());
    for (const TileArea& area : stored) storedAsTables.push_back(AreaOf(area));
    const std::vector<int64_t> untouched = UntouchedEntries(working.areas, storedAsTables);
    record->areas.assign(working.areas.size(), TileArea{});
    if (working.areas.empty()) record->areas.shrink_to_fit();
    for (size_t i = 0; i < working.areas.size(); ++i) {
        const WorkingArea& area = working.areas[i];
        record->areas[i] = untouched[i] >= 0 ? stored[static_cast<size_t>(untouched[i])]
                                             : TileArea{AreaTypeCode(area.typeChoice), area.radius,
                                                        area.centerX, area.centerY};
    }
    return working.areaCount();
}

void ClearWorkingSet(EditorWorkingSet& working) {
    working.paths.clear();
    working.areas.clear();
    working.pathList.DeleteAll();
    working.areaList.DeleteAll();
}

void RebuildRows(EditorWorkingSet& working) {
    working.pathList.DeleteAll();
    working.areaList.DeleteAll();
    for (int32_t n = 1; n <= working.pathCount(); ++n) AddPathRow(working, n);
    for (int32_t n = 1; n <= working.areaCount(); ++n) AddAreaRow(working, n);
}

ListRow PathRow(const EditorWorkingSet& working, int32_t n) {
    const WorkingPath& segment = working.Path(n);
    return {RowNumberText(n),         TypeName(PathTypeCode(segment.typeChoice)),
            FeetText(segment.width),  FeetText(segment.startX),
            FeetText(segment.startY), FeetText(segment.endX),
            FeetText(segment.endY)};
}

ListRow AreaRow(const EditorWorkingSet& working, int32_t n) {
    const WorkingArea& area = working.Area(n);
    return {RowNumberText(n), TypeName(AreaTypeCode(area.typeChoice)), FeetText(area.radius),
            FeetText(area.centerX), FeetText(area.centerY)};
}

void AddPathRow(EditorWorkingSet& working, int32_t n) {
    if (n >= 1 && n <= working.pathCount()) working.pathList.Insert(PathRow(working, n));
}

void AddAreaRow(EditorWorkingSet& working, int32_t n) {
    if (n >= 1 && n <= working.areaCount()) working.areaList.Insert(AreaRow(working, n));
}

}  // namespace lorvane
