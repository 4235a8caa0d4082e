#pragma once
// What the editor panel knows about the tile being edited, and the texts of
// its read-outs.

#include <cstdint>
#include <map>
#include <string>

namespace lorvane {

// Tile image names longer than this are refused.
inline constexpr size_t kMaxTileNameLength = 31;

struct EditorState {
    std::string tileImagePath;  // full path of the current tile's PCX image
    std::string tileName;       // the image's file name, as stored in its tile record
    // The name the tile dialog proposes (shared with the tile list, which
    // puts a tile's name here before it asks for the dialog).
    std::string proposedTileName;
    // The set and position of the tile shown last (from its name when no
    // database is loaded); the tile drawn on is the edit document's.
    int32_t currentSet = 0;
    int32_t currentTile = 0;
    int32_t showPaths = 1;
    int32_t showAreas = 1;
    bool viewerReady = false;  // the viewer is set up once the first tile loads
};

// The read-outs of the panel by control id. A cleared read-out holds " ";
// one never set holds nothing.
class PanelReadouts {
  public:
    const std::string& Text(int id) const;
    void Set(int id, std::string text) { texts_[id] = std::move(text); }
    void SetNumber(int id, int32_t value);
    // Feet, shown rounded to whole feet.
    void SetFeet(int id, float feet);
    void Clear(int id);
    template <typename... Ids>
    void ClearAll(Ids... ids) {
        (Clear(ids), ...);
    }

  private:
    std::map<int, std::string> texts_;
};

}  // namespace lorvane
