#include "editor/suggestions.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/format.h"
#include "trace/centre_line.h"
#include "trace/line_measure.h"

namespace lorvane {

namespace {

constexpr int32_t kRoadChoice = 1;

LabColour LabOf(SuggestionColour colour) {
    std::array<PaletteColour, 256> palette{};
    palette[0] = {colour[0], colour[1], colour[2]};
    return PaletteLab(palette)[0];
}

// The segments of a suggestion as one new path after lastEntry.
void AddPath(const Suggestion& suggestion, int32_t tileId, int32_t& lastEntry,
             std::vector<std::unique_ptr<EditCommand>>& commands) {
    bool first = true;
    for (const TraceSegment& s : suggestion.path.segments) {
        WorkingPath segment;
        segment.typeChoice = suggestion.typeChoice;
        segment.width = std::max(StoredFeet(suggestion.path.widthFeet), 1.0f);
        segment.startX = StoredFeet(s.start.x);
        segment.startY = StoredFeet(s.start.y);
        segment.endX = StoredFeet(s.end.x);
        segment.endY = StoredFeet(s.end.y);
        if (segment.startX == segment.endX && segment.startY == segment.endY) continue;
        segment.beginsPath = first;
        first = false;
        commands.push_back(std::make_unique<AddSegmentCommand>(tileId, ++lastEntry, segment));
    }
}

}  // namespace

SuggestionTypes SuggestionTypes::Defaults() {
    SuggestionTypes types;
    types.colours[0] = SuggestionColour{50, 90, 190};    // River
    types.colours[1] = SuggestionColour{125, 125, 125};  // Road
    types.colours[3] = SuggestionColour{90, 60, 40};     // Railway
    return types;
}

int32_t SuggestionTypes::TypeOf(SuggestionColour colour) const {
    const LabColour lab = LabOf(colour);
    int32_t best = kRoadChoice;
    float nearest = std::numeric_limits<float>::max();
    for (size_t i = 0; i < colours.size(); ++i) {
        if (!colours[i]) continue;
        const float distance = LabDistance(lab, LabOf(*colours[i]));
        if (distance < nearest) {
            nearest = distance;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

void SuggestionTypes::Assign(int32_t typeChoice, SuggestionColour colour) {
    const LabColour lab = LabOf(colour);
    for (auto& other : colours)
        if (other && LabDistance(lab, LabOf(*other)) < 10) other.reset();
    colours[static_cast<size_t>(typeChoice)] = colour;
}

std::string FormatSuggestionColour(SuggestionColour colour) {
    return FormatText("%d,%d,%d", colour[0], colour[1], colour[2]);
}

std::optional<SuggestionColour> ParseSuggestionColour(const std::string& text) {
    int r = -1, g = -1, b = -1;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d%c", &r, &g, &b, &end) != 3) return std::nullopt;
    for (const int v : {r, g, b})
        if (v < 0 || v > 255) return std::nullopt;
    return SuggestionColour{static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                            static_cast<uint8_t>(b)};
}

void SuggestionLayer::Show(std::vector<SuggestedPath> paths, const SuggestionTypes& types) {
    items_.clear();
    for (SuggestedPath& path : paths) {
        if (path.segments.empty()) continue;
        const int32_t type = types.TypeOf(path.colour);
        items_.push_back({std::move(path), type});
    }
    picked_ = 0;
}

void SuggestionLayer::Clear() {
    items_.clear();
    picked_ = 0;
}

std::optional<size_t> SuggestionLayer::picked() const {
    return picked_ < items_.size() ? std::optional<size_t>(picked_) : std::nullopt;
}

void SuggestionLayer::Pick(size_t index) {
    if (index < items_.size()) picked_ = index;
}

std::optional<size_t> SuggestionLayer::Nearest(FeetPointF point, double reachFeet) const {
    std::optional<size_t> best;
    double nearest = reachFeet;
    for (size_t i = 0; i < items_.size(); ++i)
        for (const TraceSegment& s : items_[i].path.segments) {
            const double d = DistanceToSegment({point.x, point.y}, s.start, s.end);
            if (d <= nearest) {
                nearest = d;
                best = i;
            }
        }
    return best;
}

void SuggestionLayer::Retype(const SuggestionTypes& types) {
    for (Suggestion& s : items_) s.typeChoice = types.TypeOf(s.path.colour);
}

std::unique_ptr<EditCommand> SuggestionLayer::AcceptPicked(int32_t tileId, int32_t lastEntry) {
    if (!picked()) return nullptr;
    std::vector<std::unique_ptr<EditCommand>> commands;
    AddPath(items_[picked_], tileId, lastEntry, commands);
    const std::string text =
        "Accept Suggested " + std::string(TypeName(PathTypeCode(items_[picked_].typeChoice)));
    RejectPicked();
    if (commands.empty()) return nullptr;
    return std::make_unique<CommandGroup>(tileId, std::move(commands), text);
}

std::unique_ptr<EditCommand> SuggestionLayer::AcceptAll(int32_t tileId, int32_t lastEntry) {
    std::vector<std::unique_ptr<EditCommand>> commands;
    for (const Suggestion& s : items_) AddPath(s, tileId, lastEntry, commands);
    const size_t count = items_.size();
    Clear();
    if (commands.empty()) return nullptr;
    return std::make_unique<CommandGroup>(
        tileId, std::move(commands),
        count == 1 ? "Accept 1 Suggested Path"
                   : FormatText("Accept %d Suggested Paths", static_cast<int>(count)));
}

void SuggestionLayer::RejectPicked() {
    if (!picked()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(picked_));
    // The next one (now at the same place) is picked; after the last, the first.
    if (picked_ >= items_.size()) picked_ = 0;
}

}  // namespace lorvane
