#pragma once
// The remembered folders of the file dialogs, kept in the group "Paths" of
// the program's settings: "Terrain" (terrain files), "Work2" (tile images)
// and "Texture" (Texture.bin files). Each ends with its separator.

#include <string>
#include <string_view>

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

}  // namespace lorvane
