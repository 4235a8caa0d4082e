#include "shell/settings.h"

#include <optional>

namespace lorvane {

std::string FolderSettingName(std::string_view name) { return "Paths/" + std::string(name); }

bool SaveSetting(SettingsStore& settings, std::string_view name, std::string_view text) {
    return settings.Write(FolderSettingName(name), text.substr(0, std::min(text.size(), kPathLength)));
}

bool LoadSetting(SettingsStore& settings, std::string_view name, std::string& buffer) {
    std::optional<std::string> value = settings.Read(FolderSettingName(name));
    if (!value) return true;
    if (value->size() > kPathLength) value->resize(kPathLength);
    buffer = std::move(*value);
    return true;
}

}  // namespace lorvane
