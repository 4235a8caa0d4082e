#include "editor/clipboard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "base/format.h"
#include "editor/view_transform.h"

namespace lorvane {

namespace {

bool OnTile(float value) { return std::isfinite(value) && value >= 0 && value <= TILE_SPAN; }
bool AboveZero(float value) { return std::isfinite(value) && value > 0; }

std::string Feet(float value) { return FormatText("%.9g", static_cast<double>(value)); }

// Reads the words of one line as floats after its kind and type code.
std::optional<std::vector<float>> Numbers(std::istringstream& words, size_t count) {
    std::vector<float> values;
    for (size_t i = 0; i < count; ++i) {
        std::string word;
        if (!(words >> word)) return std::nullopt;
        char* end = nullptr;
        const float value = std::strtof(word.c_str(), &end);
        if (end == word.c_str() || *end != '\0') return std::nullopt;
        values.push_back(value);
    }
    return values;
}

}  // namespace

std::string ClipboardText(const ClipboardEntries& entries) {
    std::string text(kClipboardHeader);
    text += '\n';
    for (const WorkingPath& p : entries.paths)
        text += "path " + std::to_string(PathTypeCode(p.typeChoice)) + ' ' + Feet(p.width) + ' ' +
                Feet(p.startX) + ' ' + Feet(p.startY) + ' ' + Feet(p.endX) + ' ' + Feet(p.endY) +
                (p.beginsPath ? " begins\n" : " continues\n");
    for (const WorkingArea& a : entries.areas)
        text += "area " + std::to_string(AreaTypeCode(a.typeChoice)) + ' ' + Feet(a.radius) + ' ' +
                Feet(a.centerX) + ' ' + Feet(a.centerY) + '\n';
    return text;
}

std::optional<ClipboardEntries> ReadClipboardText(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    if (!std::getline(lines, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != kClipboardHeader) return std::nullopt;
    ClipboardEntries entries;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        int code = -1;
        if (!(words >> kind)) continue;  // a blank line
        if (!(words >> code)) return std::nullopt;
        if (entries.paths.size() + entries.areas.size() >= kMostClipboardEntries)
            return std::nullopt;
        if (kind == "path") {
            const std::optional<int> type = PathTypePosition(code);
            const auto v = Numbers(words, 5);
            std::string begins;
            if (!type || !v || !(words >> begins) || (begins != "begins" && begins != "continues"))
                return std::nullopt;
            const WorkingPath path{*type,   (*v)[0], (*v)[1],           (*v)[2],
                                   (*v)[3], (*v)[4], begins == "begins"};
            if (!AboveZero(path.width) || !OnTile(path.startX) || !OnTile(path.startY) ||
                !OnTile(path.endX) || !OnTile(path.endY))
                return std::nullopt;
            entries.paths.push_back(path);
        } else if (kind == "area") {
            const std::optional<int> type = AreaTypePosition(code);
            const auto v = Numbers(words, 3);
            if (!type || !v) return std::nullopt;
            const WorkingArea area{*type, (*v)[0], (*v)[1], (*v)[2]};
            if (!AboveZero(area.radius) || !OnTile(area.centerX) || !OnTile(area.centerY))
                return std::nullopt;
            entries.areas.push_back(area);
        } else {
            return std::nullopt;
        }
        std::string more;
        if (words >> more) return std::nullopt;
    }
    if (!entries.paths.empty()) entries.paths.front().beginsPath = true;
    return entries;
}

ClipboardEntries MovedOnTile(const ClipboardEntries& entries, double dx, double dy) {
    // The move is cut so that the entries' box stays on the tile.
    double left = TILE_SPAN, right = 0, bottom = TILE_SPAN, top = 0;
    const auto include = [&](float x, float y) {
        bottom = std::min(bottom, double(x));
        top = std::max(top, double(x));
        left = std::min(left, double(y));
        right = std::max(right, double(y));
    };
    for (const WorkingPath& p : entries.paths) {
        include(p.startX, p.startY);
        include(p.endX, p.endY);
    }
    for (const WorkingArea& a : entries.areas) include(a.centerX, a.centerY);
    if (entries.empty()) return entries;
    dx = std::clamp(dx, -bottom, TILE_SPAN - top);
    dy = std::clamp(dy, -left, TILE_SPAN - right);
    const auto moved = [](float value, double by) {
        return std::clamp(StoredFeet(double(value) + by), 0.0f, float(TILE_SPAN));
    };
    ClipboardEntries result = entries;
    for (WorkingPath& p : result.paths) {
        p.startX = moved(p.startX, dx);
        p.startY = moved(p.startY, dy);
        p.endX = moved(p.endX, dx);
        p.endY = moved(p.endY, dy);
    }
    for (WorkingArea& a : result.areas) {
        a.centerX = moved(a.centerX, dx);
        a.centerY = moved(a.centerY, dy);
    }
    return result;
}

std::unique_ptr<EditCommand> PasteCommand(int32_t tileId, const EditorWorkingSet& working,
                                          const ClipboardEntries& entries,
                                          const std::string& verb) {
    std::vector<std::unique_ptr<EditCommand>> commands;
    int32_t path = working.pathCount();
    for (const WorkingPath& p : entries.paths)
        commands.push_back(std::make_unique<AddSegmentCommand>(tileId, ++path, p));
    int32_t area = working.areaCount();
    for (const WorkingArea& a : entries.areas)
        commands.push_back(std::make_unique<AddAreaCommand>(tileId, ++area, a));
    if (commands.empty()) return nullptr;
    const size_t count = commands.size();
    return std::make_unique<CommandGroup>(
        tileId, std::move(commands),
        count == 1 ? verb + " 1 Entry"
                   : FormatText("%s %d Entries", verb.c_str(), static_cast<int>(count)));
}

}  // namespace lorvane
