#pragma once
// The editor's working copy of one tile's paths and areas in feet, the
// rules that take a tile's records in and write them back, the editor's
// current type and width choices, and the row texts of the two lists.
//
// Entries are numbered from 1: segment n is paths[n − 1], area n is
// areas[n − 1]. The tables grow as needed; no entry is ever dropped. Feet
// are floats, as the file stores them, so a point keeps its fraction of a
// foot; the lists show them rounded to whole feet.
//
// A segment either begins a path or continues the segment before it (same
// type, starting at that segment's end). The file keeps no path boundaries:
// taking a tile in finds them by that rule, and writing back stores the
// coordinates alone.

#include <array>
#include <cstdint>
#include <vector>

#include "editor/list_rows.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// One straight segment, in feet.
struct WorkingPath {
    int32_t typeChoice = 0;  // position in PathTypeCodes, 0 to 4
    float width = 0;
    float startX = 0;
    float startY = 0;
    float endX = 0;
    float endY = 0;
    bool beginsPath = false;  // false: continues the segment before it

    auto operator<=>(const WorkingPath&) const = default;
};

// One circle, in feet.
struct WorkingArea {
    int32_t typeChoice = 0;  // position in AreaTypeCodes, 0 to 10
    float radius = 0;        // 0 while the radius is being drawn
    float centerX = 0;
    float centerY = 0;
    auto operator<=>(const WorkingArea&) const = default;
};

struct EditorWorkingSet {
    std::vector<WorkingPath> paths;
    std::vector<WorkingArea> areas;
    ListView pathList;  // the panel's path list rows
    ListView areaList;  // the panel's area list rows

    int32_t pathCount() const { return static_cast<int32_t>(paths.size()); }
    int32_t areaCount() const { return static_cast<int32_t>(areas.size()); }
    // Entry n, 1 to the count.
    WorkingPath& Path(int32_t n) { return paths[static_cast<size_t>(n - 1)]; }
    const WorkingPath& Path(int32_t n) const { return paths[static_cast<size_t>(n - 1)]; }
    WorkingArea& Area(int32_t n) { return areas[static_cast<size_t>(n - 1)]; }
    const WorkingArea& Area(int32_t n) const { return areas[static_cast<size_t>(n - 1)]; }
};

// What the next segment or area will be.
struct EditorChoices {
    int32_t currentPathChoice = 0;  // position in PathTypeCodes
    int32_t currentPathType = 0;    // code; 0: none chosen yet
    int32_t currentWidth = 0;       // feet
    // The last width accepted for each path type, by type code.
    std::array<int32_t, kTypeCount> rememberedWidth = StartWidths();
    int32_t currentAreaChoice = 0;  // position in AreaTypeCodes
    int32_t currentAreaType = 0;    // code; 0: none chosen yet

    static constexpr std::array<int32_t, kTypeCount> StartWidths() {
        std::array<int32_t, kTypeCount> widths{};
        widths[static_cast<size_t>(TerrainType::River)] = 100;
        widths[static_cast<size_t>(TerrainType::Road)] = 50;
        widths[static_cast<size_t>(TerrainType::Railway)] = 20;
        widths[static_cast<size_t>(TerrainType::Bridge)] = 50;
        return widths;
    }
};

// The code of a list position; 0 (No Data) for a position outside the table.
int32_t PathTypeCode(int32_t typeChoice);
int32_t AreaTypeCode(int32_t typeChoice);
// The list position of a code; the last (No Data) position when the code is
// not in the table.
int32_t PathChoiceOfCode(int32_t code);
int32_t AreaChoiceOfCode(int32_t code);

// A float of the file cut toward zero to whole feet, saturated at
// ±2147483647; NaN is 0.
int32_t CutToFeet(float value);
// A float of the file as the tables keep it: itself, NaN as 0 and beyond
// ±2147483647 feet (infinities too) held there.
float FeetOf(float value);

// Takes the paths of the tile at (set, tile) into the path table and adds
// their rows to the path list; returns the number taken in. A segment
// begins a path unless it starts, in whole feet cut toward zero, where the
// segment before it ends and has its type. A tile without
// paths (or no such tile) leaves the table as it is and returns 0. Negative
// coordinates in the tile record are set to 0 in the record itself.
// choices.currentPathType becomes the type of the last record.
int32_t TakeInPaths(EditorWorkingSet& working, EditorChoices& choices, TileDatabase& database,
                    int32_t set, int32_t tile);
// The same for areas (no clamping, no continuation test).
int32_t TakeInAreas(EditorWorkingSet& working, EditorChoices& choices, const TileDatabase& database,
                    int32_t set, int32_t tile);

// Replaces the paths of the tile at (set, tile) by the path table; returns
// the number of records written (0 when the table is empty or there is no
// such tile). An entry of the table that is one of the stored entries
// unchanged (those of `stored`, or else the record's own, in their order) is
// written with that entry's bytes, to the fraction of a foot.
int32_t WriteBackPaths(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile, const std::vector<TilePath>* stored = nullptr);
int32_t WriteBackAreas(const EditorWorkingSet& working, TileDatabase& database, int32_t set,
                       int32_t tile, const std::vector<TileArea>* stored = nullptr);

// Empties both tables and both lists.
void ClearWorkingSet(EditorWorkingSet& working);

// Makes both lists again from the tables: one row per entry, in number
// order, so that row r stands for entry r + 1.
void RebuildRows(EditorWorkingSet& working);

// The row texts of entry n: "%02d" of n, the type name, then "%d" of each
// value rounded to whole feet.
ListRow PathRow(const EditorWorkingSet& working, int32_t n);
ListRow AreaRow(const EditorWorkingSet& working, int32_t n);
// Adds the row of entry n to its list.
void AddPathRow(EditorWorkingSet& working, int32_t n);
void AddAreaRow(EditorWorkingSet& working, int32_t n);

}  // namespace lorvane
