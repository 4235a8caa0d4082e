#pragma once
// The recent-file list of the "&File" menu: up to `capacity` paths, the most
// recent first, of which the first `shown` appear in the menu with the ids
// baseId + 1 .. and the mnemonics 1 ..; kept in the settings as "File1" ..
// "File9". Callers remember a file by AddRecentFile, BuildRecentFileMenu and
// SaveRecentFiles, in that order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "shell/menu_model.h"

namespace lorvane {

struct RecentFileList {
    uint16_t count = 0;                // entries in use, at the front of entries
    uint16_t shown = 0;                // most entries that the menu shows
    uint16_t capacity = 0;             // most entries kept
    uint16_t entrySize = 0;            // characters per entry plus one: a longer text is cut
    uint16_t baseId = 0;               // id of the separator in front of the recent items
    std::vector<std::string> entries;  // capacity texts; entry 0 the most recent
};

// The values the program uses.
inline constexpr uint16_t kRecentShown = 6;
inline constexpr uint16_t kRecentCapacity = 9;
inline constexpr uint16_t kRecentEntrySize = 128;
// SetRecentFile refuses positions from here on, whatever the capacity.
inline constexpr int kRecentPositionLimit = 9;

// A new empty list; nullopt when a size is zero or the memory cannot be had.
std::optional<RecentFileList> CreateRecentFileList(uint16_t shown, uint16_t capacity,
                                                   uint16_t entrySize, uint16_t baseId);

// Stores text (cut to entrySize - 1 characters) at a position; false when the
// position is 9 or more or beyond the capacity.
bool SetRecentFile(RecentFileList& list, int position, std::string_view text);

// The text at a position, or at a command id (8001 is position 0) when isId;
// nullopt when that position is not in use.
std::optional<std::string> GetRecentFile(const RecentFileList& list, int number, bool isId);

// Moves text to the front: an entry equal to it without regard to letter case
// moves there (taking the new letter case), otherwise it is added and, when
// the list is full, the oldest entry falls off.
void AddRecentFile(RecentFileList& list, std::string_view text);

// Removes a position (or command id); false when the position is not in use.
bool RemoveRecentFile(RecentFileList& list, int number, bool isId);

// Rebuilds the recent part of a pop-up in front of the item beforeId: the
// items "&1 path" .. and, when there are any, the separator baseId after them.
void BuildRecentFileMenu(const RecentFileList& list, MenuBar& menu, size_t popup, int beforeId);

// Writes "File1" .. "File<capacity>", empty past count; false when the
// settings could not be written.
bool SaveRecentFiles(const RecentFileList& list, SettingsStore& settings);
// Reads "File1" .. up to the first empty or missing value into positions 0 ..
// without emptying the list first.
bool LoadRecentFiles(RecentFileList& list, SettingsStore& settings);

// The name of the stored value of a position: "File1" for position 0.
std::string RecentFileValueName(int position);

}  // namespace lorvane
