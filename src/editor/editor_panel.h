#pragma once
// The editor panel's logic: its commands (load a tile, show paths and
// areas), its notifications (spin control, list keys,
// activated and right-clicked rows) and the editing over the viewer. The
// desktop program's panel widget only shows what this says (read-outs by
// control id, list rows, check boxes, the viewer's frame) and passes on what
// the user does.
//
// Commands that the panel "posts" run after the event that posted them has
// been handled: they wait in a queue until RunPosted.

#include <array>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/command_ids.h"
#include "base/message.h"
#include "base/platform.h"
#include "editor/edit_document.h"
#include "editor/editor_state.h"
#include "editor/frame.h"
#include "editor/neighbour_markers.h"
#include "editor/path_dialogs.h"
#include "editor/selection.h"
#include "editor/suggestions.h"
#include "editor/tools.h"
#include "editor/view_transform.h"
#include "editor/working_set.h"
#include "image/pcx.h"
#include "terrain/terrain_matrix.h"
#include "tiledb/tile_database.h"

namespace lorvane {

class Tracer;
struct ClipboardEntries;

enum class TileStep { Up, Down };
enum class PanelList { Paths, Areas };

// What a context menu (a right click on a list row or on the viewer) offers:
// for an entry Delete, Copy, Change Type..., Change Width... (of a segment)
// and Zoom To, which act on the whole selection when the entry is one of
// several selected; on the tile with nothing under the pointer the drawing
// tools and the whole tile.
enum class ContextAction {
    Delete,
    Copy,
    ChangeType,
    ChangeWidth,
    ZoomTo,
    NewPath,
    Trace,
    NewArea,
    ZoomToTile
};
// The menu's text of an action.
const char* ContextActionText(ContextAction action);

// What a context menu is of: the entry of a list row (row r is entry r + 1),
// or with a row of −1 the tile itself.
struct ContextTarget {
    PanelList list = PanelList::Paths;
    int row = -1;
    bool operator==(const ContextTarget&) const = default;
};

// What the panel asks of the program around it: the tile list and the
// remembered folders (the shell gives these).
class PanelHost {
  public:
    virtual ~PanelHost() = default;
    // The tile list window, when it is open: rewrite the row of an index
    // position, take the keyboard focus.
    virtual void UpdateTileListRow(int indexPosition) = 0;
    // The tile on screen at that index position has so many paths and areas
    // now, as drawn (its row shows them before its edits are written back);
    // a position of −1: no tile of the database is on screen.
    virtual void ShowTileCounts(int indexPosition, int paths, int areas) {
        (void)indexPosition;
        (void)paths;
        (void)areas;
    }
    virtual void FocusTileList() = 0;
    // The Up or Down arrow key at the main window: one row up or down the
    // tile list, loading that row's tile.
    virtual void StepTileList(TileStep step) = 0;
    // The remembered folder of a setting ("Work2": tile images, "Texture":
    // Texture.bin files), read from the settings while it is empty; and
    // storing a newly chosen one.
    virtual std::string& Folder(const char* settingName) = 0;
    virtual void StoreFolder(const char* settingName, const std::string& folder) = 0;
    // The colours of the path types that suggestions are typed by, for the
    // current theater, and storing them.
    virtual SuggestionTypes SuggestionColours() { return SuggestionTypes::Defaults(); }
    virtual void StoreSuggestionColours(const SuggestionTypes&) {}
};

// What the panel asks of the window that shows it: its dialogs, a beep, and
// a turn to run what was posted.
class PanelView {
  public:
    virtual ~PanelView() = default;
    virtual void Beep() = 0;
    // The New Path and New Area dialogs; true when confirmed with OK.
    virtual bool RunNewPathDialog() = 0;
    virtual bool RunNewAreaDialog() = 0;
    // A command was posted: RunPosted is due once the current event is done.
    virtual void CommandPosted() = 0;
    // The path type (position in PathTypeCodes) that a suggestion's colour
    // stands for; nullopt when cancelled.
    virtual std::optional<int32_t> ChooseSuggestionType(int32_t current) {
        (void)current;
        return std::nullopt;
    }
    // Change Type... of a context menu: the new type of an entry of the list
    // (a position in PathTypeCodes or AreaTypeCodes); nullopt when cancelled.
    virtual std::optional<int32_t> ChooseEntryType(PanelList list, int32_t current) {
        (void)list;
        (void)current;
        return std::nullopt;
    }
    // Change Width... of a context menu: the new width in feet of the
    // segments; nullopt when cancelled.
    virtual std::optional<int32_t> ChooseEntryWidth(int32_t current) {
        (void)current;
        return std::nullopt;
    }
    // Copy of a context menu: the text goes to the clipboard; and the
    // clipboard's text, for Paste.
    virtual void PutOnClipboard(const std::string& text) { (void)text; }
    virtual std::string ClipboardText() { return {}; }
};

struct PanelServices {
    MessageSink& messages;
    FileChooser& files;
    PanelHost& host;
};

class EditorPanel {
  public:
    // document: the open database's edits, owned by the program's session.
    EditorPanel(EditDocument& document, PanelServices services);
    ~EditorPanel();
    EditorPanel(const EditorPanel&) = delete;
    EditorPanel& operator=(const EditorPanel&) = delete;

    // The panel's creation: check boxes set, editor cleared.
    void Initialise();
    // The window that shows the panel (none: no dialogs, posted commands
    // wait for RunPosted).
    void SetView(PanelView* view) { window_ = view; }

    // A command by id (kPanelSave, kPanelLoadTileImage, kPanelNewPath ...). Id 2 (Esc)
    // does nothing: closing goes through the main window. Unknown ids do
    // nothing.
    void Command(int id);
    void Post(int id);
    bool HasPosted() const { return !posted_.empty(); }
    // Runs the posted commands in order, with those they post in turn.
    void RunPosted();

    // Loads the tile image at path, of the tile named name, and opens that
    // tile of the database.
    void LoadTileImage(const std::string& path, const std::string& name);
    // The tile dialog, starting with the name proposed.
    void ChooseTile(const std::string& proposedName);
    // What Load Tile does with the file chosen in its dialog (or dropped on
    // the window): its folder becomes the tiles folder; a name beginning
    // with H is the tile, another is read as a tile offset number of the
    // database; then the tile loads.
    void TileChosen(const FileChoice& choice);

    // Notifications.
    void SpinDelta(int proposedChange);
    void ListKey(PanelList list, TileStep step);
    // selectedRow: the selected row's position in that list, −1 for none.
    // A row activated picks its entry.
    void ActivateRow(PanelList list, int selectedRow);
    // The Delete key on a list: removes the entry of the selected row, or
    // the whole selection when the row is one of it (undoably, one step);
    // nothing without a selected row.
    void RightClickList(PanelList list, int selectedRow);

    // Context menus. A right click on a list row offers the actions of its
    // entry (none off the rows). A right click on the viewer with no drawing
    // open is the menu of what is under the pointer: the picked entry (which
    // it picks) or the tile; nullopt while a path, a trace or a centre is
    // open, or off the tile: the click goes on to the tool, which ends or
    // accepts what is open.
    std::vector<ContextAction> ContextActions(PanelList list, int row) const;
    std::vector<ContextAction> ContextActions(const ContextTarget& target) const;
    std::optional<ContextTarget> ViewerContextTarget(ScreenPoint at);
    // Runs an action of the target's menu; false when it did nothing (no
    // such entry, cancelled). Delete and Change Type are one step of the
    // history each; Zoom To shows the entry with a margin around it.
    bool RunContextAction(ContextAction action, const ContextTarget& target);
    // What Copy puts on the clipboard: the entry as the clipboard's text
    // (clipboard.h), in tile feet; empty for no such row.
    std::string EntryText(PanelList list, int row) const;

    // A key while the panel has the keyboard; false when nothing used it.
    bool Key(EditorKey key, Modifiers modifiers = {});

    // The zoomable viewer: the pointer in its own pixels, converted through
    // the view. Off the tile, a left button release focuses the tile list.
    // A double click ends the open path there (its first click placed the
    // point), or accepts the trace; it never undoes. The release of its
    // second press adds nothing.
    ViewTransform& view() { return view_; }
    const ViewTransform& view() const { return view_; }
    void PointerMoved(ScreenPoint at, Modifiers modifiers = {});
    void PointerPressed(MouseButton button, ScreenPoint at, Modifiers modifiers = {});
    void PointerReleased(MouseButton button, ScreenPoint at, Modifiers modifiers = {});
    void PointerDoubleClicked(ScreenPoint at);
    // The frame of the viewer as it is now.
    std::vector<FrameItem> Frame() const;
    // Another database the one in memory is compared with (none: null): the
    // tile on screen shows that database's entries of the same tile faded,
    // under its own. The database must outlive the comparison.
    void CompareWith(const TileDatabase* other) { comparedWith_ = other; }
    bool comparing() const { return comparedWith_ != nullptr; }
    // The tile image on screen; null when none is shown. Its generation
    // changes with every image loaded.
    const PcxImage* image() const { return showsImage() ? &*image_ : nullptr; }
    int imageGeneration() const { return imageGeneration_; }

    // Suggested paths of the tile on screen (Suggest Paths), the picked one
    // accepted (A) or rejected (D).
    const SuggestionLayer& suggestions() const { return suggestions_; }
    // The picked suggestion's colour stands for that path type on this
    // theater from now on; every suggestion is typed again.
    bool SetSuggestionType(int32_t typeChoice);

    // The clipboard (as text, clipboard.h): the selection copied or cut
    // (empty: nothing selected); text pasted after the tile's entries, in
    // place or with its first point under the pointer; the selection
    // duplicated a little up and across. What is added is selected; each
    // change is one step of the history. False when nothing changed.
    std::string CopySelection() const;
    std::string CutSelection();
    bool Paste(const std::string& text, bool atPointer = false);
    bool DuplicateSelection();

    // Snapping: on at start, S toggles it, Alt held suspends it.
    bool snapping() const { return snapping_; }
    void ToggleSnapping() { snapping_ = !snapping_; }
    // The feet grid's step (0: none).
    void SetGridStep(int32_t feet) { gridStep_ = feet > 0 ? feet : 0; }
    // How near (screen pixels) the pointer must come to snap.
    void SetSnapPixels(double pixels) { snapPixels_ = pixels > 0 ? pixels : 0; }
    double snapPixels() const { return snapPixels_; }
    // The width the next path of a type (its code) starts with; false for a
    // code outside the type table.
    bool SetStartWidth(int32_t code, int32_t feet);

    // The entry picked on the canvas or in a list; nothing when none is. Of
    // a selection of several, the one picked last.
    std::optional<Pick> selection() const;
    // Every entry selected (selection.h), the current one last.
    std::vector<Pick> selectedEntries() const;
    // A row chosen in a list (−1: none) picks its entry.
    void SelectRow(PanelList list, int row);
    // The rows selected in a list select their entries; with keepOther the
    // other list's entries stay selected.
    void SelectRows(PanelList list, const std::vector<int>& rows, bool keepOther = false);
    // Ctrl+A: every entry shown on the tile.
    void SelectAll();
    // A list cell typed into: column 1 the type name, then the numbers of
    // the row's columns. Refused with a message (nothing changed) when the
    // text does not read or the value is not allowed; true when changed.
    bool EditCell(PanelList list, int row, int column, const std::string& text);
    // Feet typed into a pair of point fields while drawing (the Starting or
    // Ending Point, the Center; the Radius alone, y empty), Enter pressed:
    // places that point or radius exactly. The Starting Point typed while a
    // path is open moves its start (the first segment's, one step of the
    // history, once a segment was added). False, with a message when the
    // text does not read, or when nothing is being drawn there.
    bool TypePoint(int field, const std::string& x, const std::string& y);

    // The status bar: pointer, zoom, what is being drawn, snapping.
    struct StatusTexts {
        std::string pointer;
        std::string zoom;
        std::string drawing;
        std::string snap;
    };
    StatusTexts Status() const;

    // Ends the stroke in progress, if any.
    void EndStroke();
    // Undo and Redo (the Edit menu, the Undo Segment button): inside an open
    // path one point back; otherwise the tile's history.
    void Undo();
    void Redo();
    // What they would do ("Add Road Segment"); empty when nothing.
    std::string UndoText() const;
    std::string RedoText() const;
    // Runs a command on the tile on screen (dragged, typed into a list) and
    // refreshes the viewer; false when it does not apply to it.
    bool Apply(std::unique_ptr<EditCommand> command);

    // The delete dialogs: the number typed, as text. False, after the "not
    // found" message, when there is no such entry (the dialog stays open).
    bool DeletePathNumber(const std::string& text);
    bool DeleteAreaNumber(const std::string& text);

    // The New Path and New Area dialogs' rules over the panel's choices
    // (path_dialogs.h). AcceptNewPath refuses a width below 1 with a message
    // and returns false: the dialog stays open.
    NewPathForm OpenNewPath();
    NewPathForm ChangeNewPathType(int position);
    bool AcceptNewPath(const NewPathForm& form);
    int OpenNewArea();
    void AcceptNewArea(int selected);

    // Changes to the database (drawn, removed, changed outside the editor)
    // that no save has stored yet.
    bool HasUnsavedEdits() const;

    // What the shell's database commands tell the panel.
    // The set the set dialogs start with: the set of the tile shown last.
    int32_t currentSet() const { return state_.currentSet; }
    void ShowTerrainType(const std::string& name);
    // Tiles were added to a set: the tile on screen keeps its edits and stays
    // the one drawn on; the set dialogs go on from the added set.
    void TilesAdded(int32_t set);
    // Another database (or none) took the place of the one before: no tile
    // is shown or drawn on until one of it is loaded.
    void DatabaseReset();
    // The database changed outside the editor and is not saved yet.
    void DatabaseChanged();
    // The edits of the tile on screen go into its record (before an export).
    void WriteBackTileOnScreen();

    // What the panel window shows.
    const std::string& Readout(int id) const { return readouts_.Text(id); }
    bool showPaths() const { return state_.showPaths == 1; }
    bool showAreas() const { return state_.showAreas == 1; }
    // The viewer shows a tile image.
    bool showsImage() const { return state_.viewerReady && image_.has_value(); }
    const ListView& pathRows() const { return document_.working().pathList; }
    const ListView& areaRows() const { return document_.working().areaList; }

    // Read-only views of the model.
    const EditDocument& document() const { return document_; }
    const EditorWorkingSet& tables() const { return document_.working(); }
    const EditorChoices& choices() const { return choices_; }
    ToolKind tool() const;
    // The id of the tile drawn on; nullopt when none is open.
    std::optional<int32_t> tileOnScreen() const {
        return document_.HasTile() ? std::optional<int32_t>(document_.tileId()) : std::nullopt;
    }
    const Stroke& stroke() const;

    // The theater the edge markers come from: the shell's terrain matrix and
    // the counter it bumps at every replacement of it (both outlive the
    // panel). Markers show while the matrix is complete.
    void UseTheater(const TerrainMatrix& matrix, const uint64_t& revision);
    // Where the paths of the tiles beside the tile on screen anywhere in the
    // theater cross its edges; worked out again when the tile, the matrix or
    // the database changes. None without a tile or a complete matrix.
    const std::vector<NeighbourMarker>& edgeMarkers() const;
    // The markers and the tiles around one place of the tile on screen
    // (neighbour_markers.h), which the viewer shows faded past its edges:
    // their images from the folder of the tile on screen, decoded once while
    // they stay around it (none for an image missing or unreadable), and
    // their paths.
    const Neighbourhood& neighbourhood() const;

    const std::string& tileName() const { return state_.tileName; }
    const std::string& tileImagePath() const { return state_.tileImagePath; }

  private:
    class Context;

    // Commands.
    void ClearEditor();
    void ChooseTile();
    void LoadTile();
    void OpenTileOfDatabase();
    void ToggleShow(int32_t& flag);
    void StartPaths(bool newPath);
    void StartAreas(bool newArea);
    void StartTrace();
    ClipboardEntries SelectedEntries() const;
    bool AddEntries(const ClipboardEntries& entries, const std::string& verb);
    void SuggestOnTile();
    void AcceptSuggestions(bool all);
    Tracer* TracerOfImage();
    void SwitchTool(ToolKind kind);
    void ForgetTileOnScreen();
    void TellTileCounts();

    PointerEvent PointerOnView(ScreenPoint at, MouseButton button, Modifiers modifiers) const;
    bool OnTile(ScreenPoint at) const;
    bool ChangeEntryType(PanelList list, int32_t entry);
    bool ChangeEntryWidth(int32_t entry);
    // The entries an action on this entry acts on: the selection when the
    // entry is one of it, else the entry alone.
    std::vector<Pick> ActedOn(PanelList list, int32_t entry) const;
    void ZoomToEntry(PanelList list, int32_t entry);
    SnapOptions SnapOptionsFor(Modifiers modifiers) const;
    bool DeleteNumber(PanelList list, const std::string& text);
    bool RemoveEntry(PanelList list, int32_t entry);

    PanelServices services_;
    PanelView* window_ = nullptr;  // the window that shows the panel
    EditorState state_;
    EditorChoices choices_;
    PanelReadouts readouts_;
    EditDocument& document_;
    TileDatabase& database_;                // the document's
    std::unique_ptr<ToolContext> context_;  // a Context
    std::unique_ptr<Tool> tool_;
    std::optional<PcxImage> image_;  // the tile image on screen
    int imageGeneration_ = 0;
    // What follows features in the image on screen, and the image
    // generation it was made for.
    std::unique_ptr<Tracer> tracer_;
    int tracerGeneration_ = -1;
    SuggestionLayer suggestions_;
    ViewTransform view_;
    const TileDatabase* comparedWith_ = nullptr;
    bool snapping_ = true;
    int32_t gridStep_ = 0;
    double snapPixels_ = kSnapPixels;
    Selection selection_;
    FeetPointF pointer_{};  // the pointer's last place, for the status bar
    bool pointerOnTile_ = false;
    // A double click ended the stroke: the release of its second press
    // adds nothing.
    bool doubleClickRelease_ = false;
    std::deque<int> posted_;
    // The counts the tile list was last told of (position, paths, areas).
    std::array<int, 3> toldCounts_{-1, -1, -1};
    // The tile image, decoded once per load of a tile (not at every refresh),
    // and the path it was decoded from.
    std::optional<PcxImage> tileImage_;
    std::string tileImageFrom_;
    bool tileImageDecoded_ = false;
    // The theater of the edge markers, and the markers with what they were
    // worked out for.
    const TerrainMatrix* theaterMatrix_ = nullptr;
    const uint64_t* theaterRevision_ = nullptr;
    uint64_t databaseGeneration_ = 0;  // counts changes of the database from outside
    struct MarkerCache {
        bool valid = false;
        int32_t tile = 0;
        uint64_t revision = 0;
        uint64_t database = 0;
        uint64_t made = 0;  // counts the neighbourhoods worked out
        Neighbourhood neighbourhood;
    };
    mutable MarkerCache markerCache_;
    // The neighbours as the frame shows them, made for one neighbourhood and
    // tiles folder; their images are kept by tile id and path.
    struct NeighbourShown {
        uint32_t tileId = 0;
        FeetPointF origin{};
        std::string imagePath{};
        std::shared_ptr<const PcxImage> picture{};
        uint64_t pictureKey = 0;
        std::vector<WorkingPath> paths{};
    };
    struct NeighbourCache {
        uint64_t made = 0;  // the neighbourhood's
        std::string folder;
        std::vector<NeighbourShown> shown;
        uint64_t lastKey = 0;
    };
    mutable NeighbourCache neighbourCache_;
    std::vector<NeighbourInput> NeighbourInputs(std::span<const WorkingPath> onScreen) const;
};

}  // namespace lorvane
