#pragma once
// Edit ▸ Preferences: the grid step, the snapping distance, the colour and
// the starting width of each path type (River, Road, Bridge, Railway) and the
// recovery journal's folder. Read from the settings at start (a value that
// does not read, or is out of range, is its default), checked before they
// are stored, and handed to the editor.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "editor/pens.h"
#include "shell/settings.h"

namespace lorvane {

class EditorPanel;

// The path types the preferences cover, in the order of PathTypeCodes.
inline constexpr int kPreferencePathTypes = 4;
extern const std::array<const char*, kPreferencePathTypes> PreferencePathTypeNames;

inline constexpr const char* kSnapPixelsSetting = "Editor/SnapPixels";
inline constexpr const char* kJournalFolderSetting = "Editor/JournalFolder";
// "Editor/<type>Colour" ("#rrggbb") and "Editor/<type>Width" (feet).
std::string PathColourSetting(int typeChoice);
std::string PathWidthSetting(int typeChoice);

inline constexpr int32_t kLargestSnapPixels = 50;
inline constexpr int32_t kLargestStartWidth = 10000;

struct Preferences {
    int32_t gridStep = 0;    // feet; 0: no grid
    int32_t snapPixels = 8;  // screen pixels; 0: snapping reaches nothing
    std::array<PenColour, kPreferencePathTypes> pathColours{};
    std::array<int32_t, kPreferencePathTypes> startWidths{};  // feet
    std::string journalFolder;  // empty: the per-user folder beside the settings
    bool operator==(const Preferences&) const = default;
};

// The program's own values: no grid, 8 pixels, the path pens' colours and
// the editor's starting widths, the per-user journal folder.
Preferences DefaultPreferences();

// "#rrggbb" (either letter case) as a colour; nullopt for anything else.
std::optional<PenColour> ParseColour(std::string_view text);
std::string ColourText(PenColour colour);

// The first rule the values break, as a sentence for the user; nullopt when
// they are all sound.
std::optional<std::string> PreferencesProblem(const Preferences& preferences);

// The stored values, each one that is missing or unsound its default.
Preferences LoadPreferences(SettingsStore& settings);
// The values as the Preferences dialog's fields hold them: text.
struct PreferenceTexts {
    std::string gridStep;
    std::string snapPixels;
    std::array<std::string, kPreferencePathTypes> pathColours;
    std::array<std::string, kPreferencePathTypes> startWidths;
    std::string journalFolder;
};
PreferenceTexts TextsOf(const Preferences& preferences);
// The fields read back: the values, or the sentence that tells the first
// field that does not read as a sound value (blanks around numbers allowed).
struct ReadPreferences {
    std::optional<Preferences> preferences;
    std::string problem;
};
ReadPreferences ReadPreferenceTexts(const PreferenceTexts& texts);

// Stores sound values; false (nothing stored) when they break a rule or the
// store refused one.
bool SavePreferences(SettingsStore& settings, const Preferences& preferences);

// The editor's pens, snapping, grid and starting widths as the preferences
// say (the journal folder is taken at start).
void ApplyPreferences(const Preferences& preferences, EditorPanel& panel);

}  // namespace lorvane
