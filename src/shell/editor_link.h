#pragma once
// What the main window's database commands tell the editor panel, through
// its named operations: the set the set dialogs start with, its "Terrain
// Type" read-out, added tiles, a replaced or changed database. The edits of
// the tile on screen go into its record first, so that they never land in
// another tile.

#include <functional>
#include <string>

#include "tiledb/tile_database.h"

namespace lorvane {

class EditorPanel;

class EditorLink {
  public:
    // changed: called after every change, so the panel's window shows it.
    // panel may be null (no editor): then nothing is read or changed there.
    EditorLink(TileDatabase& database, EditorPanel* panel, std::function<void()> changed = {})
        : database_(database), panel_(panel), changed_(std::move(changed)) {}

    // The editor's current set: the set of the tile on screen, 0 until a
    // tile has been shown (also without a panel).
    int CurrentSet() const;
    // Shows a terrain type name in the "Terrain Type" read-out.
    void ShowTerrainType(const std::string& name);
    // Tiles were added to a set: the edits of the tile on screen go into its
    // record and it stays the tile drawn on; the set dialogs go on from the
    // added set.
    void TilesAdded(int set);
    // The edits of the tile on screen go into its record (before an export).
    void WriteBackTileOnScreen();
    // A new database replaced the old one: the editor drops the tile on
    // screen (it belongs to no tile of the new database), its Save button is
    // enabled and its save path emptied, so that the next save asks for a
    // file. The database counts as unsaved.
    void DatabaseReplaced();
    // The database changed outside the editor (sets, types, imported tiles)
    // and is not saved yet.
    void DatabaseChanged();

  private:
    void Changed() {
        if (changed_) changed_();
    }

    TileDatabase& database_;
    EditorPanel* panel_;
    std::function<void()> changed_;
};

}  // namespace lorvane
