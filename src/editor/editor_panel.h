#pragma once
// The editor panel's logic: its commands (open and save Texture.bin, load a
// tile, refresh, show paths and areas), its notifications (spin control, list
// keys, activated and right-clicked rows, the blink timer) and the mouse
// editing over the viewer. The desktop program's panel widget only shows
// what this says (read-outs by control id, list rows, check boxes, the
// canvas) and passes on what the user does.
//
// Commands that the panel "posts" run after the event that posted them has
// been handled: they wait in a queue until RunPosted.

#include <deque>
#include <filesystem>
#include <string>

#include "base/command_ids.h"
#include "base/message.h"
#include "base/platform.h"
#include "editor/canvas.h"
#include "editor/drawing.h"
#include "editor/editor_state.h"
#include "editor/viewer_geometry.h"
#include "editor/working_set.h"
#include "tiledb/tile_database.h"

namespace lorvane {

enum class TileStep { Up, Down };
enum class PanelList { Paths, Areas };

// What the panel asks of the program around it: the main window, its menu,
// the recent-file list, the tile list window, the panel's own dialogs and
// its timer.
class PanelHost {
  public:
    virtual ~PanelHost() = default;
    virtual void SetMainTitle(const std::string& title) = 0;
    // Enables "Sa&ve Texture.bin file..." (10240) and "Add Set to
    // Texture.bin" (10253), or disables 10240 at start.
    virtual void SetDatabaseMenus(bool enabled) = 0;
    // Adds the path to the recent-file list, rebuilds its menu, stores it.
    virtual void RememberRecentFile(const std::string& path) = 0;
    // The tile list window, when it is open: refill it, rewrite the row of
    // an index position, take the keyboard focus.
    virtual void RefillTileList() = 0;
    virtual void UpdateTileListRow(int indexPosition) = 0;
    virtual void FocusTileList() = 0;
    // The Up or Down arrow key at the main window: one row up or down the
    // tile list, loading that row's tile.
    virtual void StepTileList(TileStep step) = 0;
    virtual void Beep() = 0;
    // The New Path and New Area dialogs; true when confirmed with OK.
    virtual bool RunNewPathDialog() = 0;
    virtual bool RunNewAreaDialog() = 0;
    // The remembered folder of a setting ("Work2": tile images, "Texture":
    // Texture.bin files), read from the settings while it is empty; and
    // storing a newly chosen one.
    virtual std::string& Folder(const char* settingName) = 0;
    virtual void StoreFolder(const char* settingName, const std::string& folder) = 0;
    virtual void StartBlinkTimer(int milliseconds) = 0;
    virtual void StopBlinkTimer() = 0;
    // A command was posted: RunPosted is due once the current event is done.
    virtual void CommandPosted() = 0;
    // Save is about to write the database to path. A host that guards no
    // file lets it write.
    virtual SaveTargetCheck CheckSaveTarget(const std::string& path) {
        (void)path;
        return SaveTargetCheck::Write;
    }
    // The database in memory was just read from the file at path, or
    // written to it.
    virtual void DatabaseOpened(const std::string& path) { (void)path; }
    virtual void DatabaseSaved(const std::string& path) { (void)path; }
};

// State the panel shares with the shell.
struct PanelShared {
    TileDatabase& database;
    // The shell's textureLoaded: a database is loaded (or built) and in
    // memory. A failed save leaves it set, so it also tells that a database
    // is in memory.
    bool& textureLoaded;
    // TileInfo.dat is written here at every save.
    std::filesystem::path startupFolder;
};

struct PanelServices {
    MessageSink& messages;
    FileChooser& files;
    PanelHost& host;
    Canvas& canvas;
};

class EditorPanel {
  public:
    EditorPanel(PanelShared shared, PanelServices services);

    // The panel's creation: check boxes set, Save disabled, editor cleared.
    void Initialise();
    // The viewer control's placement, given once the panel is laid out; the
    // first tile load sets the viewer up from it.
    void SetViewerPlacement(const ViewerPlacement& placement) { placement_ = placement; }

    // A command by id (kPanelSave, kPanelLoadTileImage, kPanelNewPath ...). Id 2 (Esc)
    // does nothing: closing goes through the main window. Unknown ids do
    // nothing.
    void Command(int id);
    void Post(int id);
    bool HasPosted() const { return !posted_.empty(); }
    // Runs the posted commands in order, with those they post in turn.
    void RunPosted();

    // Notifications.
    void SpinDelta(int proposedChange);
    void ListKey(PanelList list, TileStep step);
    // selectedRow: the selected row's position in that list, −1 for none.
    void ActivateRow(PanelList list, int selectedRow);
    void RightClickList(PanelList list, int selectedRow);
    void BlinkTimer();

    // The mouse over the panel, in panel client coordinates.
    void MouseMove(int x, int y);
    void LeftButtonUp(int x, int y);
    void LeftDoubleClick(int x, int y);
    void RightButtonUp(int x, int y);

    // Ends the stroke in progress, if any.
    void EndStroke();
    // Marks the tile on screen modified, in its record and in every index
    // entry with its id; nothing when there is no such tile.
    void MarkTileModified();
    // The tile record on screen; null when the editor has no current tile in
    // a loaded database.
    TileRecord* CurrentTileRecord();

    // The delete dialogs: the number typed, as text. False, after the "not
    // found" message, when there is no such entry (the dialog stays open).
    bool DeletePathNumber(const std::string& text);
    bool DeleteAreaNumber(const std::string& text);

    // Saves the database as Save does; true when it was written (false when
    // there is none, the save dialog was cancelled, or the write failed).
    bool SaveDatabase();
    // Changes to the database (drawn, removed, written back) that no save
    // has stored yet.
    bool HasUnsavedEdits() const;

    const std::string& Readout(int id) const { return readouts.Text(id); }

    EditorState state;
    EditorWorkingSet working;
    EditorChoices choices;
    DrawingState drawing;
    ViewerGeometry geometry;
    PanelReadouts readouts;

  private:
    // Commands.
    void ClearEditor();
    void ChooseTile();
    void LoadTile();
    void ChooseTexture();
    void LoadTexture();
    void RefreshViewer();
    void ToggleShow(int32_t& flag);
    void StartPaths(bool newPath);
    void StartAreas(bool newArea);
    void Undo();

    // Mouse clicks on the image.
    void StartPath(ViewerPoint p, int32_t x, int32_t y);
    void EndSegment(ViewerPoint p, int32_t x, int32_t y);
    void PlaceCentre(ViewerPoint p, int32_t x, int32_t y);
    void SetRadius(ViewerPoint p);
    void RestartRubberBand();

    void WriteBackCurrentTile();
    // The save dialog; false when it was cancelled or failed.
    bool ChooseSavePath();
    bool WriteDatabase();
    bool OnImage(int x, int y) const;
    ViewerPoint ToViewer(int x, int y) const;
    // The entry a selected row stands for: the number in its first column.
    int32_t EntryOfRow(PanelList list, int selectedRow) const;
    bool DeleteNumber(PanelList list, const std::string& text);

    PanelShared shared_;
    PanelServices services_;
    ViewerPlacement placement_;
    std::deque<int> posted_;
    int blinkTicks_ = 0;
    PanelList blinkList_ = PanelList::Paths;
    int32_t blinkEntry_ = 0;
};

}  // namespace lorvane
