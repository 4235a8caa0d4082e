#include "shell/menu_model.h"

#include <algorithm>

#include "base/command_ids.h"

namespace lorvane {

MenuItem* MenuBar::Find(int id) {
    for (MenuPopup& popup : popups)
        for (MenuItem& item : popup.items)
            if (item.id == id && id != 0) return &item;
    return nullptr;
}

const MenuItem* MenuBar::Find(int id) const { return const_cast<MenuBar*>(this)->Find(id); }

bool MenuBar::Enable(int id, bool enabled) {
    MenuItem* item = Find(id);
    if (item == nullptr) return false;
    item->enabled = enabled;
    return true;
}

bool MenuBar::Check(int id, bool checked) {
    MenuItem* item = Find(id);
    if (item == nullptr) return false;
    item->checked = checked;
    return true;
}

bool MenuBar::IsEnabled(int id) const {
    const MenuItem* item = Find(id);
    return item != nullptr && item->enabled;
}

bool MenuBar::IsChecked(int id) const {
    const MenuItem* item = Find(id);
    return item != nullptr && item->checked;
}

bool MenuBar::InsertBefore(size_t popup, int beforeId, MenuItem item) {
    if (popup >= popups.size()) return false;
    std::vector<MenuItem>& items = popups[popup].items;
    auto place = std::find_if(items.begin(), items.end(),
                              [&](const MenuItem& existing) { return existing.id == beforeId; });
    if (place == items.end()) return false;
    items.insert(place, std::move(item));
    return true;
}

void MenuBar::Append(size_t popup, MenuItem item) {
    if (popup < popups.size()) popups[popup].items.push_back(std::move(item));
}

bool MenuBar::Remove(size_t popup, int id) {
    if (popup >= popups.size() || id == 0) return false;
    std::vector<MenuItem>& items = popups[popup].items;
    auto place = std::find_if(items.begin(), items.end(),
                              [&](const MenuItem& existing) { return existing.id == id; });
    if (place == items.end()) return false;
    items.erase(place);
    return true;
}

MenuBar LorvaneMenu() {
    using I = MenuItem;
    MenuBar menu;
    menu.popups.push_back(
        {"&File",
         {I::Command(kMenuOpenL2File, "Open &L2 File...", false),
          I::Command(kMenuLoadL2Matrix, "Load L2 &Matrix...", false),
          I::Command(kMenuSaveL2Matrix, "&Save L2 Matrix...", false), I::Separator(),
          I::Command(kMenuOpenTextureBin, "Open &Texture.bin file..."),
          I::Command(kMenuSaveTextureBin, "Sa&ve Texture.bin file...", false),
          I::Command(kMenuSaveTextureBinAs, "Save Texture.bin &As...", false),
          I::Command(kMenuGenerateTextureBin, "&Generate New Texture.bin file..."), I::Separator(),
          I::Command(kMenuGenerateThr, "&Generate .thr map..."),
          I::Command(kMenuGenerateMea, "Generate .mea file..."),
          I::Command(kMenuEditTheaterMap, "Edit Theater.map file..."), I::Separator(),
          I::Command(kMenuExportTiles, "E&xport .bin Tiles..."),
          I::Command(kMenuImportTiles, "&Import .bin Tiles..."),
          I::Command(kMenuCompareWith, "&Compare With..."), I::Command(kMenuMerge, "&Merge..."),
          I::Separator(), I::Command(kMenuExit, "&Exit")}});
    menu.popups.push_back({"&Edit",
                           {I::Command(kPanelLoadTile, "&Load New Tile..."),
                            I::Command(kMenuAddTilesToSet, "Add Tiles to Set..."),
                            I::Command(kMenuAddSet, "Add Set to Texture.bin"),
                            I::Command(kMenuChangeSetType, "Change Set &Terrain Type"),
                            I::Separator(),
                            I::Command(kPanelUndoSegment, kUndoText, false),
                            I::Command(kPanelRedo, kRedoText, false),
                            I::Separator(),
                            I::Command(kPanelCut, "Cu&t"),
                            I::Command(kPanelCopy, "C&opy"),
                            I::Command(kPanelPaste, "&Paste"),
                            I::Command(kPanelPasteAtPointer, "Paste at Poi&nter"),
                            I::Command(kPanelDuplicate, "&Duplicate"),
                            I::Command(kPanelSelectAll, "&Select All"),
                            I::Separator(),
                            I::Command(kPanelNewPath, "Add New Path..."),
                            I::Command(kPanelTrace, "Tra&ce"),
                            I::Command(kPanelSuggest, "Su&ggest Paths"),
                            I::Command(kPanelAcceptSuggestion, "Accept Suggestion"),
                            I::Command(kPanelRejectSuggestion, "Reject Suggestion"),
                            I::Command(kPanelAcceptAllSuggestions, "Accept All Suggestions"),
                            I::Command(kPanelRejectAllSuggestions, "Reject All Suggestions"),
                            I::Command(kPanelSuggestionType, "Suggestion T&ype..."),
                            I::Command(kPanelNewArea, "Add New &Area"),
                            I::Command(kMenuDeletePath, "Delete Path..."),
                            I::Command(kMenuDeleteArea, "Delete Area"),
                            I::Separator(),
                            I::Command(kMenuPreferences, "Pre&ferences...")}});
    menu.popups.push_back(
        {"&View",
         {I::Command(kMenuZoomIn, "Zoom &In"), I::Command(kMenuZoomOut, "Zoom &Out"),
          I::Command(kMenuZoomFit, "&Whole Tile"), I::Command(kMenuZoomActual, "&Actual Size"),
          I::Separator(), I::Toggle(kPanelShowPaths, "Show &Paths", true),
          I::Toggle(kPanelShowAreas, "Show A&reas", true), I::Separator(),
          I::Command(kMenuShowTileList, "Show &Tile List"),
          I::Command(kMenuTheaterMap, "Theater &Map"), I::Command(kMenuMessages, "M&essages")}});
    menu.popups.push_back(
        {"&Theater",
         {I::Command(kMenuSelectTheaterTitle, "Select Theater", false), I::Separator()}});
    menu.popups.push_back({"&Help",
                           {I::Command(kMenuUserGuide, "&User Guide"),
                            I::Command(kMenuKeyboardShortcuts, "&Keyboard Shortcuts"),
                            I::Separator(), I::Command(kMenuAbout, "About Lorvane...")}});
    return menu;
}

namespace {

bool ShowEditItem(MenuBar& menu, int id, const char* base, const std::string& what) {
    MenuItem* item = menu.Find(id);
    if (item == nullptr) return false;
    const std::string text = what.empty() ? std::string(base) : std::string(base) + " " + what;
    const bool enabled = !what.empty();
    if (item->text == text && item->enabled == enabled) return false;
    item->text = text;
    item->enabled = enabled;
    return true;
}

}  // namespace

bool ShowUndoRedo(MenuBar& menu, const std::string& undo, const std::string& redo) {
    const bool undoChanged = ShowEditItem(menu, kPanelUndoSegment, kUndoText, undo);
    const bool redoChanged = ShowEditItem(menu, kPanelRedo, kRedoText, redo);
    return undoChanged || redoChanged;
}

}  // namespace lorvane
