#pragma once
// The one enumeration of command and control ids shared by every layer: the
// menu's commands, the main window's private commands, the editor panel's
// commands that the main window forwards, and the ids of the dialogs and
// controls. The numbers are the program's own and never change.

namespace lorvane {

enum CommandId : int {
    // Dialog buttons.
    kIdOk = 1,
    kIdCancel = 2,

    // "&File"
    kMenuOpenL2File = 10215,
    kMenuLoadL2Matrix = 10228,
    kMenuSaveL2Matrix = 10227,
    kMenuOpenTextureBin = 10241,
    kMenuSaveTextureBin = 10240,
    kMenuSaveTextureBinAs = 10254,
    kMenuGenerateTextureBin = 10252,
    kMenuGenerateThr = 10245,
    kMenuGenerateMea = 10251,
    kMenuEditTheaterMap = 31250,
    kMenuExportTiles = 10205,
    kMenuImportTiles = 10249,
    kMenuCompareWith = 10256,
    kMenuMerge = 10257,
    kMenuExit = 10202,

    // "&Edit"
    kMenuShowTileList = 10250,
    kMenuAddTilesToSet = 10244,
    kMenuAddSet = 10253,
    kMenuChangeSetType = 10242,
    kMenuDeletePath = 10248,
    kMenuDeleteArea = 10247,

    // "&Theater": the title line and the theater items 2000 .. 2009.
    kMenuSelectTheaterTitle = 129,
    kTheaterFirst = 2000,
    kTheaterLast = 2009,
    kMenuTheaterMap = 10260,  // "Theater &Map", after the theaters

    // "&View": the zoom of the viewer, the windows.
    kMenuZoomIn = 10261,
    kMenuZoomOut = 10262,
    kMenuZoomFit = 10263,
    kMenuZoomActual = 10264,
    kMenuMessages = 10265,

    // "&Help"
    kMenuAbout = 10204,
    kMenuUserGuide = 10266,
    kMenuKeyboardShortcuts = 10267,
    kMenuPreferences = 10268,  // "&Edit" ▸ "Pre&ferences..."

    // Recent files: the separator 8000 and the items 8001 .. 8009.
    kRecentSeparator = 8000,
    kRecentFirst = 8001,
    kRecentLast = 8009,

    // Private commands of the main window.
    kProgressUpdate = 10220,
    kOpenL2FromPath = 10221,

    // The editor panel's commands (the main window forwards some of them;
    // the four Edit-menu items carry the ids of the panel's buttons).
    kPanelUndoSegment = 29001,      // "&Undo Segment"; menu "&Undo"
    kPanelRedo = 29049,             // menu "&Redo"
    kPanelRefresh = 29036,          // "&Refresh"
    kPanelClear = 29037,            // clear the editor
    kPanelOpenTexture = 29038,      // choose and open a Texture.bin
    kPanelSave = 29039,             // "&Save"
    kPanelLoadTexturePath = 29040,  // load the Texture.bin at texturePath
    kPanelShowPaths = 29043,
    kPanelShowAreas = 29044,
    kPanelLoadTileImage = 29046,  // load tileName from tileImagePath
    kPanelContinuePath = 29047,
    kPanelContinueArea = 29048,
    kPanelLoadTile = 29101,          // "&Load Tile"; menu "&Load New Tile..."
    kPanelNewPath = 29102,           // "New &Path"; menu "Add New Path..."
    kPanelNewArea = 29103,           // "New &Area"; menu "Add New &Area"
    kPanelSuggest = 29105,           // menu "Suggest &Paths"
    kPanelAcceptSuggestion = 29106,  // key A
    kPanelRejectSuggestion = 29107,  // key D
    kPanelAcceptAllSuggestions = 29108,
    kPanelRejectAllSuggestions = 29109,
    kPanelSuggestionType = 29110,  // the picked suggestion's colour names a type
    kPanelTrace = 29104,           // "Tra&ce"; menu "Tra&ce", key T
    // The selection and the clipboard (Edit menu; the panel holds the keys).
    kPanelCut = 29111,
    kPanelCopy = 29112,
    kPanelPaste = 29113,
    kPanelPasteAtPointer = 29114,
    kPanelDuplicate = 29115,
    kPanelSelectAll = 29116,

    // The editor panel's controls: read-outs, lists, spin control, viewer.
    kPanelPointerX = 29002,
    kPanelPointerY = 29003,
    kPanelEndX = 29004,
    kPanelEndY = 29005,
    kPanelStartX = 29022,
    kPanelStartY = 29023,
    kPanelOffset = 29024,  // the tile id
    kPanelTileName = 29025,
    kPanelType = 29026,  // current path or area type
    kPanelRadius = 29027,
    kPanelPathList = 29028,  // also the New Path dialog's type list
    kPanelAreaList = 29029,  // also the New Area dialog's type list
    kPanelCentreX = 29030,
    kPanelCentreY = 29031,
    kPanelSetNumber = 29032,
    kPanelTerrainType = 29033,
    kPanelWidth = 29034,  // also the New Path dialog's width field
    kPanelTileSpin = 29050,
    kPanelViewer = 29100,
    // The delete dialogs' number fields.
    kDeleteAreaNumber = 29041,
    kDeletePathNumber = 29042,

    // The progress dialog and its controls.
    kProgressDialog = 24100,
    kProgressBar = 24101,
    kProgressCount = 24102,
    kProgressLabel = 24103,

    // The About box.
    kAboutBox = 111,
};

// The recent-file list's layout in the "&File" menu.
inline constexpr bool IsRecentFileId(int id) { return id >= kRecentFirst && id <= kRecentLast; }
inline constexpr bool IsTheaterId(int id) { return id >= kTheaterFirst && id <= kTheaterLast; }

}  // namespace lorvane
