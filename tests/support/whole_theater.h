#pragma once
// A small whole theater for the end-to-end comparisons: a tiles folder
// (Tiles.txt and four PCX tiles in two sets), an L2/O2 pair over those
// tiles, and an older Theater.map; the steps that make a theater of them,
// done through lorvane-cli; and the edits the same steps make, so that the
// desktop program's commands can be driven to the same files.

#include <filesystem>
#include <string>
#include <vector>

#include "editor/view_transform.h"
#include "support/run_command.h"
#include "terrain/theater_header.h"

namespace lorvane::testing {

struct TheaterInputs {
    std::filesystem::path tiles;       // the tiles folder
    std::filesystem::path l2;          // THEATER.L2, THEATER.O2 beside it
    std::filesystem::path theaterMap;  // Theater.map of six levels without optional fields
};

// The tiles H000, H001 (set 0) and H010, H011 (set 1).
inline const std::vector<std::string> kTheaterTiles = {"H000.PCX", "H001.PCX", "H010.PCX",
                                                       "H011.PCX"};
// The set terrain types given: by type list position and by name.
inline constexpr int kSet0TypePosition = 5;  // Thick Forest
inline constexpr int kSet1TypePosition = 7;  // Urban
// The road drawn on H010: width 60, viewer clicks at the places of (30, 270),
// (100, 200) and (200, 100) on a 300-pixel square, giving two chained
// segments.
inline constexpr int kRoadWidth = 60;
struct RoadSegment {
    float startX, startY, endX, endY;
};
// The chained segments of clicks at those viewer points, in the feet the
// view gives them (as the editor stores a click with nothing to snap to).
std::vector<RoadSegment> RoadOfClicks(const ViewTransform& view,
                                      const std::vector<ScreenPoint>& clicks);
// The Theater.map fields changed: by control id with the text typed, and
// as NAME=VALUE for lorvane-cli.
struct MapEdit {
    int controlId;
    std::string text;
    std::string assignment;
};
std::vector<MapEdit> TheaterMapEdits();

// Writes the inputs into folder.
TheaterInputs MakeTheaterInputs(const std::filesystem::path& folder);

// The files a theater is made of, by name, in an output folder.
inline const std::vector<std::string> kTheaterOutputs = {"Texture.bin", "THEATER.L2M", "out.thr",
                                                         "out.mea", "Theater.map"};

// Makes the theater in out through lorvane-cli, with the road given in
// feet (a viewer of another size gives other feet for the same clicks); the
// failed step's output when one fails, empty on success.
std::string MakeTheaterWithCli(const std::string& cli, const TheaterInputs& inputs,
                               const std::filesystem::path& out,
                               const std::vector<RoadSegment>& road);

}  // namespace lorvane::testing
