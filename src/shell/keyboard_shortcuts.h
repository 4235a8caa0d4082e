#pragma once
// The program's keyboard shortcuts, one table: the main window gives the
// menu items theirs from it and the Keyboard Shortcuts window lists it.

#include <span>
#include <string>
#include <vector>

namespace lorvane {

struct KeyboardShortcut {
    int id = 0;  // the menu command; 0 for a key of the editor alone
    // In Qt's portable form ("Ctrl+Shift+Z"); the first is the one shown.
    std::vector<std::string> keys;
    std::string what;
    // The menu item holds the keys (pressing them runs it); false when a
    // control holds them (the viewer's zoom) and the menu only shows them.
    bool menuHoldsKeys = true;
};

std::span<const KeyboardShortcut> KeyboardShortcuts();
// The shortcut of a menu command; null when it has none.
const KeyboardShortcut* ShortcutOf(int id);
// "Ctrl+Shift+Z, Ctrl+Y".
std::string KeysText(const KeyboardShortcut& shortcut);

}  // namespace lorvane
