#include "editor/working_set.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/format.h"

namespace lorvane {

namespace {

constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();

// A working value as the float the file stores.
float StoredFloat(int32_t value) { return static_cast<float>(value); }

void ClampNegativeToZero(float& value) {
    if (value < 0) value = 0;
}

// The start Y of a segment that begins a path: −Y cut toward zero, at most
// −1 (57.9 gives −57; anything below 1 gives −1).
int32_t PathStartY(float startY) { return std::min(-CutToFeet(startY), -1); }

bool Continues(const TilePath& record, const WorkingPath& previous) {
    return CutToFeet(record.startX) == previous.endX &&
           CutToFeet(record.startY) == Magnitude(previous.endY) &&
           record.type == PathTypeCode(previous.typeChoice);
}

}  // namespace

int32_t Magnitude(int32_t value) {
    if (value == std::numeric_limits<int32_t>::min()) return kLargest;
    return value < 0 ? -value : value;
}

int32_t CutToFeet(float value) {
    if (std::isnan(value)) return 0;
    const double cut = std::trunc(static_cast<double>(value));
    return static_cast<int32_t>(std::clamp(cut, -double{kLargest}, double{kLargest}));
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
        WorkingPath segment;
        segment.typeChoice = PathChoiceOfCode(stored.type);
        choices.currentPathType = stored.type;
        segment.width = CutToFeet(stored.width);
        // Negative coordinates are corrected in the record itself; the tile
        // is not marked modified, the next save stores the corrected values.
        ClampNegativeToZero(stored.startY);
        ClampNegativeToZero(stored.startX);
        ClampNegativeToZero(stored.endY);
        ClampNegativeToZero(stored.endX);
        const bool continues = !working.paths.empty() && Continues(stored, working.paths.back());
        segment.startY = continues ? CutToFeet(stored.startY) : PathStartY(stored.startY);
        segment.startX = CutToFeet(stored.startX);
        segment.endX = CutToFeet(stored.endX);
        segment.endY = CutToFeet(stored.endY);
        working.paths.push_back(segment);
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
        WorkingArea area;
        area.typeChoice = AreaChoiceOfCode(stored.type);
        choices.currentAreaType = stored.type;
        area.radius = CutToFeet(stored.radius);
        area.centerX = CutToFeet(stored.centerX);
        area.centerY = CutToFeet(stored.centerY);
        working.areas.push_back(area);
        AddAreaRow(working, working.areaCount());
    }
    return working.areaCount();
}

int32_t WriteBackPaths(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return 0;
    record->paths.resize(working.paths.size());
    if (working.paths.empty()) record->paths.shrink_to_fit();  // the array is released
    for (size_t i = 0; i < working.paths.size(); ++i) {
        const WorkingPath& segment = working.paths[i];
        record->paths[i] = {
            PathTypeCode(segment.typeChoice), StoredFloat(segment.width),
            StoredFloat(segment.startX),      StoredFloat(Magnitude(segment.startY)),
            StoredFloat(segment.endX),        StoredFloat(Magnitude(segment.endY))};
    }
    return working.pathCount();
}

int32_t WriteBackAreas(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return 0;
    record->areas.resize(working.areas.size());
    if (working.areas.empty()) record->areas.shrink_to_fit();
    for (size_t i = 0; i < working.areas.size(); ++i) {
        const WorkingArea& area = working.areas[i];
        record->areas[i] = {AreaTypeCode(area.typeChoice), StoredFloat(area.radius),
                            StoredFloat(area.centerX), StoredFloat(area.centerY)};
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
    return {RowNumberText(n),
            TypeName(PathTypeCode(segment.typeChoice)),
            FormatText("%d", segment.width),
            FormatText("%d", segment.startX),
            FormatText("%d", Magnitude(segment.startY)),
            FormatText("%d", segment.endX),
            FormatText("%d", Magnitude(segment.endY))};
}

ListRow AreaRow(const EditorWorkingSet& working, int32_t n) {
    const WorkingArea& area = working.Area(n);
    return {RowNumberText(n), TypeName(AreaTypeCode(area.typeChoice)),
            FormatText("%d", area.radius), FormatText("%d", area.centerX),
            FormatText("%d", area.centerY)};
}

void AddPathRow(EditorWorkingSet& working, int32_t n) {
    if (n >= 1 && n <= working.pathCount()) working.pathList.Insert(PathRow(working, n));
}

void AddAreaRow(EditorWorkingSet& working, int32_t n) {
    if (n >= 1 && n <= working.areaCount()) working.areaList.Insert(AreaRow(working, n));
}

}  // namespace lorvane
