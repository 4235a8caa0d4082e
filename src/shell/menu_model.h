#pragma once
// The main window's menu as plain data: a bar of pop-ups, each a list of items
// addressed by command id. The window draws it; the shell changes it (enable,
// check, insert the recent files and theaters) and tells the window to redraw.

#include <optional>
#include <string>
#include <vector>

namespace lorvane {

struct MenuItem {
    int id = 0;  // 0 for a separator of the template (which has no id)
    std::string text;
    bool separator = false;
    bool enabled = true;
    bool checked = false;
    bool checkable = false;  // shows a check box, checked or not

    static MenuItem Command(int id, std::string text, bool enabled = true) {
        return {id, std::move(text), false, enabled, false};
    }
    static MenuItem Toggle(int id, std::string text, bool checked) {
        return {id, std::move(text), false, true, checked, true};
    }
    static MenuItem Separator(int id = 0) { return {id, {}, true, true, false}; }
    bool operator==(const MenuItem&) const = default;
};

// The Edit menu's Undo and Redo items while there is nothing to undo or redo.
inline constexpr const char* kUndoText = "&Undo";
inline constexpr const char* kRedoText = "&Redo";

struct MenuPopup {
    std::string title;
    std::vector<MenuItem> items;
};

class MenuBar {
  public:
    std::vector<MenuPopup> popups;

    // The item with that command id in any pop-up; null when there is none.
    MenuItem* Find(int id);
    const MenuItem* Find(int id) const;
    // Enables or grays an item; false when there is no such item.
    bool Enable(int id, bool enabled);
    bool Check(int id, bool checked);
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    // Inserts in front of the item beforeId of the pop-up; false (nothing
    // inserted) when the pop-up does not hold that item.
    bool InsertBefore(size_t popup, int beforeId, MenuItem item);
    void Append(size_t popup, MenuItem item);
    // Removes the item with that id from the pop-up; false when absent.
    bool Remove(size_t popup, int id);
};

// Positions of the pop-ups in the menu bar.
inline constexpr size_t kFilePopup = 0;
inline constexpr size_t kEditPopup = 1;
inline constexpr size_t kViewPopup = 2;
inline constexpr size_t kTheaterPopup = 3;
inline constexpr size_t kHelpPopup = 4;

// The menu "LorvaneMenu" as the program starts with it, before the theaters
// and recent files are added.
MenuBar LorvaneMenu();

// The Edit menu's Undo and Redo items show what they would do: "&Undo Add
// Road Segment", enabled; or "&Undo", grayed, when there is nothing. True
// when an item changed.
bool ShowUndoRedo(MenuBar& menu, const std::string& undo, const std::string& redo);

}  // namespace lorvane
