#include "shell/preferences.h"

#include <charconv>

#include "base/format.h"
#include "editor/editor_panel.h"
#include "editor/working_set.h"
#include "tiledb/tile_database.h"

namespace lorvane {

const std::array<const char*, kPreferencePathTypes> PreferencePathTypeNames = {"River", "Road",
                                                                               "Bridge", "Railway"};

std::string PathColourSetting(int typeChoice) {
    return std::string("Editor/") + PreferencePathTypeNames[static_cast<size_t>(typeChoice)] +
           "Colour";
}

std::string PathWidthSetting(int typeChoice) {
    return std::string("Editor/") + PreferencePathTypeNames[static_cast<size_t>(typeChoice)] +
           "Width";
}

namespace {

int32_t CodeOf(int typeChoice) { return PathTypeCodes[static_cast<size_t>(typeChoice)]; }

}  // namespace

Preferences DefaultPreferences() {
    Preferences preferences;
    const auto widths = EditorChoices::StartWidths();
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        preferences.pathColours[static_cast<size_t>(t)] = PathPens[static_cast<size_t>(t)].colour;
        preferences.startWidths[static_cast<size_t>(t)] = widths[static_cast<size_t>(CodeOf(t))];
    }
    return preferences;
}

std::optional<PenColour> ParseColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    uint8_t parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const char* begin = text.data() + 1 + 2 * i;
        const auto [stop, error] = std::from_chars(begin, begin + 2, parts[i], 16);
        if (error != std::errc{} || stop != begin + 2) return std::nullopt;
    }
    return PenColour{parts[0], parts[1], parts[2]};
}

std::string ColourText(PenColour colour) {
    return FormatText("#%02x%02x%02x", colour.red, colour.green, colour.blue);
}

std::optional<std::string> PreferencesProblem(const Preferences& preferences) {
    if (preferences.gridStep < 0 || preferences.gridStep > kLargestGridStep)
        return FormatText("The grid step must be 0 (no grid) to %d feet.", kLargestGridStep);
    if (preferences.snapPixels < 0 || preferences.snapPixels > kLargestSnapPixels)
        return FormatText("The snapping distance must be 0 to %d screen pixels.",
                          kLargestSnapPixels);
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        const int32_t width = preferences.startWidths[static_cast<size_t>(t)];
        if (width < 1 || width > kLargestStartWidth)
            return FormatText("The starting width of a %s must be 1 to %d feet.",
                              PreferencePathTypeNames[static_cast<size_t>(t)], kLargestStartWidth);
    }
    const std::string& folder = preferences.journalFolder;
    if (folder.size() > kPathLength)
        return FormatText("The recovery journal's folder must be at most %d characters.",
                          static_cast<int>(kPathLength));
    if (folder.find('\0') != std::string::npos)
        return std::string("The recovery journal's folder is not a valid path.");
    return std::nullopt;
}

PreferenceTexts TextsOf(const Preferences& preferences) {
    PreferenceTexts texts;
    texts.gridStep = FormatText("%d", preferences.gridStep);
    texts.snapPixels = FormatText("%d", preferences.snapPixels);
    for (size_t i = 0; i < kPreferencePathTypes; ++i) {
        texts.pathColours[i] = ColourText(preferences.pathColours[i]);
        texts.startWidths[i] = FormatText("%d", preferences.startWidths[i]);
    }
    texts.journalFolder = preferences.journalFolder;
    return texts;
}

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

ReadPreferences ReadPreferenceTexts(const PreferenceTexts& texts) {
    Preferences preferences;
    const auto number = [](const std::string& text, int32_t& value) {
        const std::optional<int32_t> read = WholeNumber(Trimmed(text));
        if (read) value = *read;
        return read.has_value();
    };
    if (!number(texts.gridStep, preferences.gridStep))
        return {std::nullopt, "The grid step must be a whole number of feet (0: no grid)."};
    if (!number(texts.snapPixels, preferences.snapPixels))
        return {std::nullopt, "The snapping distance must be a whole number of screen pixels."};
    for (size_t i = 0; i < kPreferencePathTypes; ++i) {
        const std::optional<PenColour> colour = ParseColour(Trimmed(texts.pathColours[i]));
        if (!colour)
            return {std::nullopt, FormatText("The colour of a %s must be written #rrggbb.",
                                             PreferencePathTypeNames[i])};
        preferences.pathColours[i] = *colour;
        if (!number(texts.startWidths[i], preferences.startWidths[i]))
            return {std::nullopt, FormatText("The starting width of a %s must be a whole number "
                                             "of feet.",
                                             PreferencePathTypeNames[i])};
    }
    preferences.journalFolder = std::string(Trimmed(texts.journalFolder));
    if (auto problem = PreferencesProblem(preferences)) return {std::nullopt, std::move(*problem)};
    return {std::move(preferences), {}};
}

Preferences LoadPreferences(SettingsStore& settings) {
    Preferences preferences = DefaultPreferences();
    preferences.gridStep = LoadGridStep(settings);
    const auto number = [&](const std::string& name, int32_t smallest, int32_t largest,
                            int32_t& value) {
        const std::optional<std::string> text = settings.Read(name);
        const std::optional<int32_t> read = text ? WholeNumber(*text) : std::nullopt;
        if (read && *read >= smallest && *read <= largest) value = *read;
    };
    number(kSnapPixelsSetting, 0, kLargestSnapPixels, preferences.snapPixels);
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        const size_t i = static_cast<size_t>(t);
        if (const auto text = settings.Read(PathColourSetting(t)))
            if (const auto colour = ParseColour(*text)) preferences.pathColours[i] = *colour;
        number(PathWidthSetting(t), 1, kLargestStartWidth, preferences.startWidths[i]);
    }
    if (const auto folder = settings.Read(kJournalFolderSetting)) {
        Preferences candidate = preferences;
        candidate.journalFolder = *folder;
        if (!PreferencesProblem(candidate)) preferences = std::move(candidate);
    }
    return preferences;
}

bool SavePreferences(SettingsStore& settings, const Preferences& preferences) {
    if (PreferencesProblem(preferences)) return false;
    bool written = SaveGridStep(settings, preferences.gridStep);
    written =
        settings.Write(kSnapPixelsSetting, FormatText("%d", preferences.snapPixels)) && written;
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        const size_t i = static_cast<size_t>(t);
        written =
            settings.Write(PathColourSetting(t), ColourText(preferences.pathColours[i])) && written;
        written =
            settings.Write(PathWidthSetting(t), FormatText("%d", preferences.startWidths[i])) &&
            written;
    }
    return settings.Write(kJournalFolderSetting, preferences.journalFolder) && written;
}

void ApplyPreferences(const Preferences& preferences, EditorPanel& panel) {
    panel.SetGridStep(preferences.gridStep);
    panel.SetSnapPixels(preferences.snapPixels);
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        const size_t i = static_cast<size_t>(t);
        SetPathPenColour(t, preferences.pathColours[i]);
        panel.SetStartWidth(CodeOf(t), preferences.startWidths[i]);
    }
}

}  // namespace lorvane
