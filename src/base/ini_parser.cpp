#include "base/ini_parser.h"

#include <algorithm>
#include <string>

namespace lorvane {

namespace {

constexpr size_t kLineLength = 199;          // characters of one line, newline not counted
constexpr size_t kSectionNameLength = 49;    // longer section names are cut
constexpr size_t kContinuedNameLength = 49;  // the name an indented line continues

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimLeft(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    return text.substr(start);
}

std::string_view TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

// The offset of the first of stops, or of a ';' that follows a blank, or the
// text's size when there is neither.
size_t FindStopOrComment(std::string_view text, std::string_view stops) {
    bool afterBlank = false;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (stops.find(c) != std::string_view::npos) return at;
        if (afterBlank && c == ';') return at;
        afterBlank = IsBlank(c);
    }
    return text.size();
}

// The next line of text at offset: up to and including its newline, at most
// kLineLength characters before it.
std::string_view NextLine(std::string_view text, size_t& offset) {
    const size_t start = offset;
    size_t taken = 0;
    while (offset < text.size()) {
        const char c = text[offset++];
        if (c == '\n') break;
        if (++taken == kLineLength) break;
    }
    return text.substr(start, offset - start);
}

}  // namespace

void ParseIni(std::string_view text, const IniEntryHandler& handler) {
    text = text.substr(0, text.find('\0'));
    std::string section;
    std::string lastName;  // the entry an indented line continues; empty after a section
    size_t offset = 0;
    while (offset < text.size()) {
        const bool firstLine = offset == 0;
        const std::string_view chunk = NextLine(text, offset);
        std::string_view line = chunk;
        if (firstLine && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        line = TrimLeft(TrimRight(line));
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const bool indented = line.data() != chunk.data();
        if (!lastName.empty() && indented) {
            handler(section, lastName, line);  // comments are not cut here
        } else if (line[0] == '[') {
            const std::string_view rest = line.substr(1);
            const size_t end = FindStopOrComment(rest, "]");
            if (end < rest.size() && rest[end] == ']') {
                section = rest.substr(0, std::min(end, kSectionNameLength));
                lastName.clear();
            }
        } else {
            const size_t split = FindStopOrComment(line, "=:");
            if (split == line.size() || (line[split] != '=' && line[split] != ':')) continue;
            const std::string_view name = TrimRight(line.substr(0, split));
            std::string_view value = line.substr(split + 1);
            value = TrimRight(TrimLeft(value.substr(0, FindStopOrComment(value, {}))));
            lastName = name.substr(0, kContinuedNameLength);
            handler(section, name, value);
        }
    }
}

}  // namespace lorvane
