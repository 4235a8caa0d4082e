#pragma once
// The ini reader: every "name=value" (or "name:value") line is handed on
// with its section, in file order.
//
// Reading rules, the same on every platform:
// - the text ends at its first NUL;
// - a line is at most 199 characters: a longer one is read as several lines;
// - a UTF-8 byte order mark at the very start is skipped;
// - leading and trailing blanks of lines, names and values are dropped;
// - a line starting with ';' or '#' is a comment, and so is the rest of a line
//   from a ';' that follows a blank;
// - "[name]" starts a section (names past 49 characters are cut); a section
//   line without its ']' is skipped;
// - an indented line after an entry continues it: it is handed on whole (a
//   ';' in it included) as another value of the same name;
// - a line with neither '=' nor ':' is skipped and the rest still counts.

#include <functional>
#include <string_view>

namespace lorvane {

using IniEntryHandler =
    std::function<void(std::string_view section, std::string_view name, std::string_view value)>;

void ParseIni(std::string_view text, const IniEntryHandler& handler);

}  // namespace lorvane
