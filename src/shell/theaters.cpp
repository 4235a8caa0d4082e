#include "shell/theaters.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "base/command_ids.h"
#include "base/file_io.h"

namespace lorvane {

namespace {

// The read buffer of a profile value holds 255 bytes, terminating zero included.
constexpr size_t kProfileValueLength = 254;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A "%d"/"%f" scan starts at the first non-blank character.
std::string ScanText(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    return std::string(text.substr(start));
}

}  // namespace

IniProfile IniProfile::Load(const std::filesystem::path& path) {
    // A file that cannot be opened reads as empty.
    return Open(path).value_or(IniProfile());
}

std::optional<IniProfile> IniProfile::Open(const std::filesystem::path& path, std::string* detail) {
    const std::optional<FileBytes> file = FileBytes::Open(path, detail);
    if (!file) return std::nullopt;
    const auto bytes = file->Bytes();
    return Parse({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

IniProfile IniProfile::Parse(std::string_view text) {
    IniProfile profile;
    text = text.substr(0, text.find('\0'));
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section = std::string(
                Trimmed(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
            profile.sections_.push_back(section);
            inSection = true;
            continue;
        }
        if (!inSection) continue;  // keys before the first section belong to none
        const size_t equals = line.find('=');
        const std::string_view key = Trimmed(line.substr(0, equals));
        std::string_view value = equals == std::string_view::npos
                                     ? std::string_view()
                                     : Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        profile.entries_.push_back(
            {section, std::string(key), std::string(value.substr(0, kProfileValueLength))});
    }
    return profile;
}

bool IniProfile::HasSection(std::string_view section) const {
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const std::string& name) { return EqualNoCase(name, section); });
}

std::string IniProfile::Read(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
    for (const Entry& entry : entries_)
        if (EqualNoCase(entry.section, section) && EqualNoCase(entry.key, key)) return entry.value;
    return std::string(fallback);
}

bool ScanFloat(std::string_view text, float& field) {
    const std::string scan = ScanText(text);
    if (scan.empty()) return false;
    char* end = nullptr;
    const float value = std::strtof(scan.c_str(), &end);
    if (end == scan.c_str()) return false;
    field = value;
    return true;
}

bool ScanInt(std::string_view text, int32_t& field) {
    const std::string scan = ScanText(text);
    if (scan.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(scan.c_str(), &end, 10);
    if (end == scan.c_str()) return false;
    // A number too large for the field keeps its nearest value.
    field = static_cast<int32_t>(std::clamp<long long>(value, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max()));
    return true;
}

void ReadTheaterSettings(const std::filesystem::path& iniPath, std::string_view section,
                         TheaterSettings& settings) {
    ReadTheaterSettings(IniProfile::Load(iniPath), section, settings);
}

void ReadTheaterSettings(const IniProfile& profile, std::string_view section,
                         TheaterSettings& settings) {
    auto readFloat = [&](const char* key, const char* fallback, float& field) {
        ScanFloat(profile.Read(section, key, fallback), field);
    };
    auto readInt = [&](const char* key, const char* fallback, int32_t& field) {
        ScanInt(profile.Read(section, key, fallback), field);
    };
    readFloat("SW Long", "11.0", settings.swLong);
    readFloat("SW Lat", "36.625", settings.swLat);
    readFloat("NE Long", "21.0", settings.neLong);
    readFloat("NE Lat", "46.625", settings.neLat);
    readInt("X Map Extent", "1024", settings.xMapExtent);
    readInt("Y Map Extent", "1024", settings.yMapExtent);
    readInt("X Sections", "64", settings.xSections);
    readInt("Y Sections", "64", settings.ySections);
    readInt("X Tiles", "16", settings.xTiles);
    readInt("Y Tiles", "16", settings.yTiles);
}

void LoadTheaterList(Theaters& theaters, MenuBar& menu,
                     const std::filesystem::path& startupFolder) {
    theaters.iniPath = startupFolder / "Quistral.ini";
    LoadTheaterList(theaters, menu, IniProfile::Load(theaters.iniPath));
}

void LoadTheaterList(Theaters& theaters, MenuBar& menu, const IniProfile& profile) {
    int32_t count = 0;
    ScanInt(profile.Read("Location", "Theaters", "1"), count);
    count = std::min(count, kTheaterSlots);
    theaters.count = std::max(count, 0);
    theaters.table = {};
    for (int k = 1; k <= theaters.count; ++k) {
        std::string name = profile.Read("Location", std::to_string(k), "Balkans");
        if (name.size() > kTheaterNameLength) name.resize(kTheaterNameLength);
        menu.Append(kTheaterPopup, MenuItem::Command(kTheaterFirst + k - 1, name));
        theaters.table[static_cast<size_t>(k - 1)] = std::move(name);
    }
    menu.Check(kTheaterFirst, true);
    theaters.currentTheaterId = kTheaterFirst;
    ReadTheaterSettings(profile, "Balkans", theaters.settings);
}

bool SelectTheater(Theaters& theaters, MenuBar& menu, int id) {
    if (!IsTheaterId(id) || id - kTheaterFirst >= theaters.count) return false;
    ReadTheaterSettings(theaters.iniPath, theaters.table[static_cast<size_t>(id - kTheaterFirst)],
                        theaters.settings);
    menu.Check(theaters.currentTheaterId, false);
    menu.Check(id, true);
    theaters.currentTheaterId = id;
    return true;
}

}  // namespace lorvane
