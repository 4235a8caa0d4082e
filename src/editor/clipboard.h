#pragma once
// Paths and areas on the clipboard, as text that another Lorvane (another
// window, another database) reads back: a first line naming the format,
// then one line an entry, in tile feet as stored:
//
//   Lorvane entries 1
//   path 10 50 100.5 200 300 400 begins      type code, width, start, end
//   area 1 300 1000 1200                     type code, radius, centre
//
// Floats are written with the digits that give them back exactly.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/edit_command.h"
#include "editor/working_set.h"

namespace lorvane {

inline constexpr std::string_view kClipboardHeader = "Lorvane entries 1";
// Text with more entries than this is not taken.
inline constexpr size_t kMostClipboardEntries = 100000;

struct ClipboardEntries {
    std::vector<WorkingPath> paths;
    std::vector<WorkingArea> areas;
    bool empty() const { return paths.empty() && areas.empty(); }
};

std::string ClipboardText(const ClipboardEntries& entries);
// The entries of clipboard text; nullopt when the text is not ours, a line
// does not read, a type is not one of its list, a value is not a finite
// coordinate on the tile (0 to 3280 feet), a width or radius is not above 0,
// or there are too many entries.
std::optional<ClipboardEntries> ReadClipboardText(std::string_view text);

// The entries moved by (dx, dy) feet, held on the tile: the move is cut so
// that every point stays within 0 to 3280 feet.
ClipboardEntries MovedOnTile(const ClipboardEntries& entries, double dx, double dy);

// The command that adds the entries after the tile's last ones, one step of
// the history ("Paste 3 Entries"); null when there are none. A pasted path
// that began a path still begins one.
std::unique_ptr<EditCommand> PasteCommand(int32_t tileId, const EditorWorkingSet& working,
                                          const ClipboardEntries& entries,
                                          const std::string& verb = "Paste");

}  // namespace lorvane
