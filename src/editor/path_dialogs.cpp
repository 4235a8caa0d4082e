#include "editor/path_dialogs.h"

#include <cctype>
#include <limits>

#include "base/command_ids.h"
#include "base/format.h"

namespace lorvane {

namespace {

constexpr int kNewPathTypes = 4;  // River, Road, Bridge, Railway
constexpr int kNewAreaTypes = 8;  // Water to Urban
constexpr int32_t kDefaultWidth = 50;

bool IsPathCode(int32_t code) {
    const auto position = PathTypePosition(code);
    return position && *position < kNewPathTypes;
}

int32_t& RememberedWidth(EditorChoices& choices, int32_t code) {
    return choices.rememberedWidth[static_cast<size_t>(code)];
}

std::string WidthText(int32_t width) { return FormatText("%d", width); }

}  // namespace

std::optional<int32_t> ScanDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), kLimit);
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, kLimit - 1));
}

std::vector<std::string> NewPathTypeNames() {
    std::vector<std::string> names;
    for (int position = 0; position < kNewPathTypes; ++position) {
        names.emplace_back(TypeName(PathTypeCode(position)));
    }
    return names;
}

NewPathForm OpenNewPath(EditorChoices& choices) {
    if (choices.currentPathType == 0) {
        choices.currentPathType = static_cast<int32_t>(TerrainType::Road);
        choices.currentPathChoice = 1;
        choices.currentWidth = RememberedWidth(choices, choices.currentPathType);
    } else if (IsPathCode(choices.currentPathType)) {
        choices.currentWidth = RememberedWidth(choices, choices.currentPathType);
    }
    if (choices.currentWidth == 0) choices.currentWidth = kDefaultWidth;
    return {choices.currentPathChoice, WidthText(choices.currentWidth)};
}

NewPathForm ChangeNewPathType(EditorChoices& choices, int position) {
    if (position >= 0 && position < kNewPathTypes) {
        choices.currentPathChoice = position;
        choices.currentPathType = PathTypeCode(position);
        choices.currentWidth = RememberedWidth(choices, choices.currentPathType);
    }
    return {choices.currentPathChoice, WidthText(choices.currentWidth)};
}

void AcceptNewPath(EditorChoices& choices, const NewPathForm& form, PanelReadouts& readouts) {
    if (const auto width = ScanDecimal(form.widthText)) choices.currentWidth = *width;
    readouts.SetNumber(kPanelWidth, choices.currentWidth);
    if (form.selected >= 0 && form.selected < kNewPathTypes) {
        choices.currentPathChoice = form.selected;
        choices.currentPathType = PathTypeCode(form.selected);
    }
    readouts.Set(kPanelType, TypeName(choices.currentPathType));
    if (IsPathCode(choices.currentPathType)) {
        RememberedWidth(choices, choices.currentPathType) = choices.currentWidth;
    }
}

NewPathForm ContinuePath(EditorChoices& choices) {
    NewPathForm form = OpenNewPath(choices);
    if (IsPathCode(choices.currentPathType))
        form.selected = PathChoiceOfCode(choices.currentPathType);
    return form;
}

std::optional<std::string> CheckNewPathWidth(const NewPathForm& form) {
    const std::optional<int32_t> width = ScanDecimal(form.widthText);
    if (width && *width >= 1) return std::nullopt;
    return kWidthRefusal;
}

std::vector<std::string> NewAreaTypeNames() {
    std::vector<std::string> names;
    for (int position = 0; position < kNewAreaTypes; ++position) {
        names.emplace_back(TypeName(AreaTypeCode(position)));
    }
    return names;
}

int OpenNewArea(EditorChoices& choices) {
    if (choices.currentAreaType == 0) {
        choices.currentAreaType = static_cast<int32_t>(TerrainType::Water);
        choices.currentAreaChoice = 0;
    }
    return choices.currentAreaChoice;
}

void AcceptNewArea(EditorChoices& choices, int selected, PanelReadouts& readouts) {
    if (selected >= 0 && selected < kNewAreaTypes) {
        choices.currentAreaChoice = selected;
        choices.currentAreaType = AreaTypeCode(selected);
    }
    readouts.Set(kPanelType, TypeName(choices.currentAreaType));
}

}  // namespace lorvane
