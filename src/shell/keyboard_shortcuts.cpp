#include "shell/keyboard_shortcuts.h"

#include "base/command_ids.h"

namespace lorvane {

std::span<const KeyboardShortcut> KeyboardShortcuts() {
    static const std::vector<KeyboardShortcut> table = {
        {kMenuOpenTextureBin, {"Ctrl+O"}, "Open a Texture.bin file"},
        {kMenuSaveTextureBin, {"Ctrl+S"}, "Save Texture.bin"},
        {kMenuSaveTextureBinAs, {"Ctrl+Shift+S"}, "Save Texture.bin under another name"},
        {kMenuExit, {"Ctrl+Q"}, "Exit"},
        {kPanelUndoSegment, {"Ctrl+Z"}, "Undo"},
        {kPanelRedo, {"Ctrl+Shift+Z", "Ctrl+Y"}, "Redo"},
        {kMenuZoomIn, {"Ctrl+=", "Ctrl++"}, "Zoom in a step", false},
        {kMenuZoomOut, {"Ctrl+-"}, "Zoom out a step", false},
        {kMenuZoomFit, {"Ctrl+0"}, "Show the whole tile", false},
        {kMenuZoomActual, {"Ctrl+1"}, "One image pixel per screen pixel", false},
        {kMenuUserGuide, {"F1"}, "Open the user guide"},
        {kPanelTrace, {"T"}, "Trace a path along a road or river in the image", false},
        {kPanelAcceptSuggestion, {"A"}, "Accept the picked suggestion", false},
        {kPanelRejectSuggestion, {"D"}, "Reject the picked suggestion", false},
        {0, {"Ctrl"}, "Held while tracing: a straight leg"},
        {kPanelCopy, {"Ctrl+C"}, "Copy the selected path segments and areas", false},
        {kPanelCut, {"Ctrl+X"}, "Cut the selected path segments and areas", false},
        {kPanelPaste, {"Ctrl+V"}, "Paste where it was copied from", false},
        {kPanelPasteAtPointer, {"Ctrl+Shift+V"}, "Paste at the pointer", false},
        {kPanelDuplicate, {"Ctrl+D"}, "Duplicate the selected path segments and areas", false},
        {kPanelSelectAll, {"Ctrl+A"}, "Select every path segment and area of the tile", false},
        {0, {"Shift+click"}, "Add to the selection"},
        {0, {"Ctrl+click"}, "Add to the selection, or take out of it"},
        {0, {"Drag"}, "From beside every entry: select what lies in the box"},
        {0, {"Alt+S"}, "Save (the Save button)"},
        {0, {"Alt+L"}, "Load a tile (the Load Tile button)"},
        {0, {"Alt+R"}, "Draw the tile again (the Refresh button)"},
        {0, {"Alt+P"}, "Start a new path (the New Path button)"},
        {0, {"Alt+A"}, "Start a new area (the New Area button)"},
        {0, {"Esc"}, "End the path or area being drawn; select with the mouse"},
        {0, {"Return"}, "Place the point typed into a point field"},
        {0, {"Backspace"}, "Take back the last point of the path being drawn"},
        {0, {"Del"}, "Remove the selected segments and areas"},
        {0, {"S"}, "Snapping on or off"},
        {0, {"Alt"}, "Held: no snapping for one placement"},
        {0, {"Shift"}, "Held while drawing a path: segments on multiples of 15 degrees"},
        {0, {"Space"}, "Held: the left button pans"},
        {0, {"Down", "Up"}, "The next or previous tile"},
    };
    return table;
}

const KeyboardShortcut* ShortcutOf(int id) {
    if (id == 0) return nullptr;
    for (const KeyboardShortcut& shortcut : KeyboardShortcuts())
        if (shortcut.id == id) return &shortcut;
    return nullptr;
}

std::string KeysText(const KeyboardShortcut& shortcut) {
    std::string text;
    for (const std::string& key : shortcut.keys) {
        if (!text.empty()) text += ", ";
        text += key;
    }
    return text;
}

}  // namespace lorvane
