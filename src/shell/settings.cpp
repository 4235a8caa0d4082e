#include "shell/settings.h"

#include <charconv>
#include <optional>
#include <vector>

#include "base/format.h"

namespace lorvane {

std::string FolderSettingName(std::string_view name) { return "Paths/" + std::string(name); }

bool SaveSetting(SettingsStore& settings, std::string_view name, std::string_view text) {
    return settings.Write(FolderSettingName(name),
                          text.substr(0, std::min(text.size(), kPathLength)));
}

bool LoadSetting(SettingsStore& settings, std::string_view name, std::string& buffer) {
    std::optional<std::string> value = settings.Read(FolderSettingName(name));
    if (!value) return true;
    if (value->size() > kPathLength) value->resize(kPathLength);
    buffer = std::move(*value);
    return true;
}

std::optional<int32_t> WholeNumber(std::string_view text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

namespace {

constexpr int32_t kLargestWindow = 100000;

}  // namespace

std::optional<WindowGeometry> LoadWindowGeometry(SettingsStore& settings, int32_t minimumWidth,
                                                 int32_t minimumHeight) {
    const std::optional<std::string> text = settings.Read(kWindowGeometrySetting);
    if (!text) return std::nullopt;
    std::vector<int32_t> numbers;
    std::string_view rest = *text;
    for (;;) {
        const size_t comma = rest.find(',');
        const auto number = WholeNumber(rest.substr(0, comma));
        if (!number || numbers.size() == 4) return std::nullopt;
        numbers.push_back(*number);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (numbers.size() != 4) return std::nullopt;
    for (const int32_t n : numbers) {
        if (n < -kLargestWindow || n > kLargestWindow) return std::nullopt;
    }
    return WindowGeometry{numbers[0], numbers[1], std::max(numbers[2], minimumWidth),
                          std::max(numbers[3], minimumHeight)};
}

bool SaveWindowGeometry(SettingsStore& settings, const WindowGeometry& geometry) {
    return settings.Write(kWindowGeometrySetting, FormatText("%d,%d,%d,%d", geometry.x, geometry.y,
                                                             geometry.width, geometry.height));
}

WindowGeometry FitToScreens(const WindowGeometry& geometry,
                            const std::vector<WindowGeometry>& screens, int32_t minimumWidth,
                            int32_t minimumHeight) {
    if (screens.empty()) return geometry;
    const auto overlap = [&](const WindowGeometry& screen) {
        const int64_t w = std::min<int64_t>(int64_t{geometry.x} + geometry.width,
                                            int64_t{screen.x} + screen.width) -
                          std::max(geometry.x, screen.x);
        const int64_t h = std::min<int64_t>(int64_t{geometry.y} + geometry.height,
                                            int64_t{screen.y} + screen.height) -
                          std::max(geometry.y, screen.y);
        return w > 0 && h > 0 ? w * h : 0;
    };
    const WindowGeometry* screen = &screens.front();
    for (const WindowGeometry& candidate : screens)
        if (overlap(candidate) > overlap(*screen)) screen = &candidate;
    WindowGeometry fitted = geometry;
    fitted.width = std::max(std::min(geometry.width, screen->width), minimumWidth);
    fitted.height = std::max(std::min(geometry.height, screen->height), minimumHeight);
    const auto place = [](int32_t at, int32_t size, int32_t start, int32_t room) {
        // Within the screen where it fits; at the screen's start where not.
        return std::max(start, std::min(at, start + std::max(room - size, 0)));
    };
    fitted.x = place(geometry.x, fitted.width, screen->x, screen->width);
    fitted.y = place(geometry.y, fitted.height, screen->y, screen->height);
    return fitted;
}

int32_t LoadGridStep(SettingsStore& settings) {
    const std::optional<std::string> text = settings.Read(kGridStepSetting);
    if (!text) return 0;
    const std::optional<int32_t> step = WholeNumber(*text);
    return step && *step >= 1 && *step <= kLargestGridStep ? *step : 0;
}

bool SaveGridStep(SettingsStore& settings, int32_t feet) {
    return settings.Write(kGridStepSetting,
                          FormatText("%d", feet >= 1 && feet <= kLargestGridStep ? feet : 0));
}

}  // namespace lorvane
