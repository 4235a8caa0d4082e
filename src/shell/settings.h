#pragma once
// The remembered folders of the file dialogs, kept in the group "Paths" of
// the program's settings: "Terrain" (terrain files), "Work2" (tile images)
// and "Texture" (Texture.bin files). Each ends with its separator.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"

namespace lorvane {

inline constexpr const char* kTerrainFolderSetting = "Terrain";
inline constexpr const char* kTileFolderSetting = "Work2";
inline constexpr const char* kTextureFolderSetting = "Texture";

// Paths that pass between the program's parts hold at most 255 characters.
inline constexpr size_t kPathLength = 255;

struct RememberedFolders {
    std::string terrainFolder;  // "Terrain"
    std::string tileFolder;     // "Work2"
    std::string textureFolder;  // "Texture"
};

// The settings name of a folder value: "Paths/<name>".
std::string FolderSettingName(std::string_view name);

// Stores text as the value name of the group "Paths"; true unless the store
// refused it (failures are not reported to the user).
bool SaveSetting(SettingsStore& settings, std::string_view name, std::string_view text);

// Reads the value name of the group "Paths" into buffer, cut to 255
// characters; a missing value leaves buffer as it was. Returns true.
bool LoadSetting(SettingsStore& settings, std::string_view name, std::string& buffer);

// A whole number written as all of the text (no sign but '-', no blanks);
// nullopt otherwise.
std::optional<int32_t> WholeNumber(std::string_view text);

// The main window's place and size, kept as "x,y,width,height" in
// "Window/Geometry".
inline constexpr const char* kWindowGeometrySetting = "Window/Geometry";
// The desktop program's own record of the main window (place, size,
// maximised), base64 text; read before "Window/Geometry".
inline constexpr const char* kWindowPlacementSetting = "Window/Placement";

struct WindowGeometry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

// The stored geometry with its size raised to at least the minimum; nullopt
// when there is none or it does not read as four whole numbers of a sane size
// (at most 100000 pixels).
std::optional<WindowGeometry> LoadWindowGeometry(SettingsStore& settings, int32_t minimumWidth,
                                                 int32_t minimumHeight);
bool SaveWindowGeometry(SettingsStore& settings, const WindowGeometry& geometry);
// A stored geometry made to fit the screens' free area: a window never
// larger than the screen it opens on (but never below the minimum), moved so
// that it lies on it whole. The screen is the one that holds most of the
// window, or else the first (the primary screen). Unchanged without screens.
WindowGeometry FitToScreens(const WindowGeometry& geometry,
                            const std::vector<WindowGeometry>& screens, int32_t minimumWidth,
                            int32_t minimumHeight);

// The step of the editor's feet grid, "Editor/GridStep": whole feet, 1 to
// 3280; 0 (the default, and what anything else reads as) is no grid.
inline constexpr const char* kGridStepSetting = "Editor/GridStep";
inline constexpr int32_t kLargestGridStep = 3280;
int32_t LoadGridStep(SettingsStore& settings);
bool SaveGridStep(SettingsStore& settings, int32_t feet);

}  // namespace lorvane
