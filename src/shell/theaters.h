#pragma once
// The theaters of the "&Theater" menu and the current theater's values, read
// from "Quistral.ini" in the start-up folder. The program never writes it.
//
// A missing file, section or key gives the key's default; a value is scanned
// like "%f" or "%d" (leading blanks skipped, the longest number at the start
// taken, the rest ignored), and a value with no number leaves the field as it
// was.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/menu_model.h"

namespace lorvane {

struct TheaterSettings {
    float swLong = 0;  // decimal degrees
    float swLat = 0;
    float neLong = 0;
    float neLat = 0;
    int32_t xMapExtent = 0;
    int32_t yMapExtent = 0;
    int32_t xSections = 0;
    int32_t ySections = 0;
    int32_t xTiles = 0;
    int32_t yTiles = 0;
    bool operator==(const TheaterSettings&) const = default;
};

inline constexpr int kTheaterSlots = 10;
inline constexpr size_t kTheaterNameLength = 31;  // longer names are cut
// Slot k holds the name of the theater item with command id 2000 + k.
using TheaterTable = std::array<std::string, kTheaterSlots>;

struct Theaters {
    TheaterTable table;
    int count = 0;             // theater items in the menu
    int currentTheaterId = 0;  // the item with the check mark
    std::filesystem::path iniPath;
    TheaterSettings settings;  // the current theater's values
};

// The key/value text of one ini file, read as the system's profile reader
// reads it: blanks before a section, key or value and after a key or value
// are dropped (so an indented key is a key), a line starting with ";" is a
// comment, and everything after "=" is the value, ";" included; a value
// quoted at both ends loses its quotes. Section and key names compare
// without regard to letter case, the first occurrence wins, values are cut
// to 254 characters.
class IniProfile {
  public:
    // An empty profile when the file cannot be read.
    static IniProfile Load(const std::filesystem::path& path);
    // The profile of a regular file; nullopt with the path and reason in
    // *detail when it cannot be read.
    static std::optional<IniProfile> Open(const std::filesystem::path& path,
                                          std::string* detail = nullptr);
    // The profile of an ini file's text, up to its first NUL.
    static IniProfile Parse(std::string_view text);
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view fallback) const;
    // True when the text holds a section of this name.
    bool HasSection(std::string_view section) const;

  private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> sections_;
};

// "%f" and "%d" scans of a profile value; false (field untouched) when the
// text does not start with a number.
bool ScanFloat(std::string_view text, float& field);
bool ScanInt(std::string_view text, int32_t& field);

// Reads the theater names into the table and appends them to the "&Theater"
// pop-up (ids 2000 ..), checks item 2000, and reads the start-up values from
// the section "Balkans" whatever the first theater is called.
void LoadTheaterList(Theaters& theaters, MenuBar& menu, const std::filesystem::path& startupFolder);

// LoadTheaterList from a profile already read.
void LoadTheaterList(Theaters& theaters, MenuBar& menu, const IniProfile& profile);

// Reads the chosen theater's section and moves the check mark to it. False
// (nothing changed) when the id names no theater item.
bool SelectTheater(Theaters& theaters, MenuBar& menu, int id);

// Reads the ten values of a section, each with its default.
void ReadTheaterSettings(const std::filesystem::path& iniPath, std::string_view section,
                         TheaterSettings& settings);
void ReadTheaterSettings(const IniProfile& profile, std::string_view section,
                         TheaterSettings& settings);

}  // namespace lorvane
