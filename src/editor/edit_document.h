#pragma once
// The edits of an open database: one history per tile, kept while the
// database is open (leaving a tile and coming back keeps its history), the
// tables of the tile on screen, and whether anything is unsaved.
//
// The edit path: a tool turns input into a command, the document runs it
// through the tile's history on the tables of the tile on screen, and the
// list rows are made again from the tables. The tables go into the tile's
// record in one place, WriteBack, when the tile is left and before the
// database is saved or exported. "Unsaved" and the tile's export mark are
// derived from the histories and from the changes made outside the editor.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "editor/edit_history.h"
#include "editor/working_set.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// What happened to a command: applied for the first time, undone, redone.
enum class EditEvent { Done, Undone, Redone };
// Told of every command the document runs, after it ran (a record of the
// edits, for one, writes it out from here).
using EditListener = std::function<void(EditEvent, const EditCommand&)>;

class EditDocument {
  public:
    explicit EditDocument(TileDatabase& database) : database_(database) {}

    void SetListener(EditListener listener) { listener_ = std::move(listener); }

    // A database was loaded, built or replaced (loaded false: none is in
    // memory now): every history is dropped and no tile is open. unsaved:
    // the database in memory is not the one on disk.
    void Reset(bool loaded, bool unsaved);
    // A database is in memory to edit.
    bool hasDatabase() const { return hasDatabase_; }
    TileDatabase& database() { return database_; }
    const TileDatabase& database() const { return database_; }

    // Leaves the tile open before (written back) and opens the tile at
    // (set, tile): its entries are taken into the tables and its history is
    // the one kept for its id, or a new one. False, with no tile open, when
    // the database has no such tile. choices takes in the last types found.
    bool OpenTile(int32_t set, int32_t tile, EditorChoices& choices);
    // Writes the open tile back and leaves it: no tile is open.
    void CloseTile();
    bool HasTile() const { return open_.has_value(); }
    // The open tile's id, set and position; 0 when none is open.
    int32_t tileId() const { return open_ ? open_->id : 0; }
    int32_t tileSet() const { return open_ ? open_->set : 0; }
    int32_t tilePosition() const { return open_ ? open_->tile : 0; }
    // Counts the commands run, undone and redone on any tile: a step made
    // of commands on several tiles is the last thing done while it stays.
    uint64_t changeCount() const { return changeCount_; }

    // The tables and list rows of the open tile (empty when none is open).
    const EditorWorkingSet& working() const { return working_; }

    // Runs a command of the open tile through its history. False, and
    // nothing changed, when no tile is open, the command is of another tile,
    // or it does not fit the tables.
    bool Apply(std::unique_ptr<EditCommand> command);
    // Undo and Redo in the open tile's history; false when there is nothing.
    bool Undo();
    bool Redo();
    const EditCommand* NextUndo() const;
    const EditCommand* NextRedo() const;

    // The one write-back: the tables of the open tile go into its record when
    // the record does not hold them yet. Back at the start of its history the
    // record gets its entries exactly as they were first taken in. True when
    // the record was written.
    bool WriteBack();

    // The database was saved: every history is at its saved place.
    void MarkSaved();
    // The database was changed outside the editor (set types, added tiles,
    // imported tiles): it is unsaved, and a tile whose entries were replaced
    // loses its history (the open one takes its new entries in).
    void DatabaseChanged(EditorChoices& choices);
    // Changes to the database that no save has stored yet.
    bool HasUnsavedChanges() const;

  private:
    struct TileEdits {
        EditHistory history;
        // The entries as first taken in, and as the record held them when
        // last written or taken in.
        std::vector<TilePath> basePaths;
        std::vector<TileArea> baseAreas;
        std::vector<TilePath> recordPaths;
        std::vector<TileArea> recordAreas;
        // The entries as the file holds them (taken in first, or saved): an
        // entry of the tables that is one of them unchanged is stored with
        // its bytes.
        std::vector<TilePath> savedPaths;
        std::vector<TileArea> savedAreas;
    };
    struct OpenTileRef {
        int32_t id = 0;
        int32_t set = 0;
        int32_t tile = 0;
    };

    TileRecord* RecordById(int32_t id);
    TileEdits* OpenEdits();
    // The tables changed: rows again, the export mark of a changed tile, and
    // the listener told.
    void Changed(EditEvent event, const EditCommand& command);

    TileDatabase& database_;
    bool hasDatabase_ = false;
    uint64_t changeCount_ = 0;
    std::map<int32_t, TileEdits> edits_;
    std::optional<OpenTileRef> open_;
    EditorWorkingSet working_;
    bool databaseChanged_ = false;
    EditListener listener_;
};

}  // namespace lorvane
