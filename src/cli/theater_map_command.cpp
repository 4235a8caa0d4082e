// lorvane-cli theater-map show Theater.map [--json]
// lorvane-cli theater-map set Theater.map NAME=VALUE...
//
// The optional fields missing from an older file take the defaults of the
// theater: "Balkans" unless --ini FILE (and --theater NAME) name another.

#include <cctype>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "terrain/theater_header.h"

namespace lorvane::cli {

namespace {

constexpr const char* kStartupTheater = "Balkans";

std::string Trimmed(std::string_view text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A value scanned as "%f" scans it: leading blanks, the longest number at
// the start; a value without one leaves the field as it was.
void ScanFloat(const std::string& text, float& field) {
    const char* first = text.c_str();
    while (*first == ' ' || *first == '\t') ++first;
    if (*first == '+') ++first;
    float value = 0;
    if (std::from_chars(first, text.c_str() + text.size(), value).ec == std::errc()) field = value;
}

// The corner defaults of a theater section of the theaters ini file; section
// and key names are compared without regard to letter case. False when the
// file cannot be read, or a theater was named whose section is missing.
bool ReadTheaterDefaults(const std::filesystem::path& ini, const std::string& theater, bool named,
                         TheaterMapDefaults& defaults) {
    std::ifstream in(ini);
    if (!in) {
        std::cerr << "lorvane-cli: cannot read " << PathToUtf8(ini) << '\n';
        return false;
    }
    bool found = false;
    bool inSection = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trimmed(line);
        if (text.empty() || text[0] == ';') continue;
        if (text.front() == '[') {
            const size_t end = text.find(']');
            inSection =
                end != std::string::npos && SameName(Trimmed(text.substr(1, end - 1)), theater);
            found = found || inSection;
            continue;
        }
        const size_t equals = text.find('=');
        if (!inSection || equals == std::string::npos) continue;
        const std::string key = Trimmed(text.substr(0, equals));
        const std::string value = Trimmed(text.substr(equals + 1));
        if (SameName(key, "SW Long")) ScanFloat(value, defaults.swLong);
        if (SameName(key, "SW Lat")) ScanFloat(value, defaults.swLat);
    }
    if (named && !found) {
        std::cerr << "lorvane-cli: " << PathToUtf8(ini) << " has no theater [" << theater << "]\n";
        return false;
    }
    return true;
}

struct MapOptions {
    PathArgument file;
    PathArgument ini;
    std::string theater = kStartupTheater;
    bool json = false;
    std::vector<std::string> assignments;
};

void AddTheaterOptions(CLI::App* command, MapOptions& options) {
    command->add_option("MAP", options.file, "The Theater.map file")->required();
    CLI::Option* ini =
        command->add_option("--ini", options.ini, "The theaters ini file for the defaults");
    command
        ->add_option("--theater", options.theater, "The theater of the ini file (default: Balkans)")
        ->needs(ini);
}

// Reads the header with the defaults the options name; the exit status on
// failure.
std::optional<TheaterMapHeader> ReadHeader(const MapOptions& options, int& exitStatus) {
    TheaterMapDefaults defaults;
    if (!options.ini.empty() &&
        !ReadTheaterDefaults(options.ini, options.theater, options.theater != kStartupTheater,
                             defaults)) {
        exitStatus = kUsage;
        return std::nullopt;
    }
    StderrMessages messages;
    TheaterMapHeader header;
    if (!ReadTheaterMap(options.file, defaults, header, messages)) {
        exitStatus = kFailed;
        return std::nullopt;
    }
    return header;
}

// Floats go out as doubles, as "info" writes them: the shortest text of the
// double reads back to the same float.
nlohmann::ordered_json HeaderJson(const TheaterMapHeader& header) {
    const auto real = [](float value) { return static_cast<double>(value); };
    return {{"feetBetweenL0Tiles", real(header.feetBetweenL0Tiles)},
            {"meaMapWidth", header.meaMapWidth},
            {"meaMapHeight", header.meaMapHeight},
            {"feetBetweenMeaPoints", real(header.feetBetweenMeaPoints)},
            {"levelCount", header.levelCount},
            {"lastNearTiledLod", header.lastNearTiledLod},
            {"lastFarTiledLod", header.lastFarTiledLod},
            {"levelWidth", header.levelWidth},
            {"levelHeight", header.levelHeight},
            {"flags", header.flags},
            {"swLongitude", real(header.swLongitude)},
            {"swLatitude", real(header.swLatitude)},
            {"maxTheaterElevation", header.maxTheaterElevation}};
}

// One "name: value" line per field; floats in their shortest exact text.
void PrintText(const TheaterMapHeader& header) {
    const nlohmann::ordered_json fields = HeaderJson(header);
    for (const auto& [name, value] : fields.items()) {
        std::cout << name << ": ";
        if (value.is_array()) {
            for (size_t i = 0; i < value.size(); ++i)
                std::cout << (i ? " " : "") << value[i].get<int32_t>();
        } else if (value.is_number_float()) {
            char text[32];
            const auto end =
                std::to_chars(text, text + sizeof text, static_cast<float>(value.get<double>()))
                    .ptr;
            std::cout << std::string_view(text, static_cast<size_t>(end - text));
        } else {
            std::cout << value.get<int32_t>();
        }
        std::cout << '\n';
    }
}

// Applies NAME=VALUE; false (after saying why) for an unknown name or a
// value that is not wholly a number of the field's kind.
bool Assign(TheaterMapHeader& header, const std::string& assignment) {
    const size_t equals = assignment.find('=');
    const std::string name = assignment.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : assignment.substr(equals + 1);
    if (name == "levelCount") {
        int32_t count = -1;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
        if (error != std::errc() || end != value.data() + value.size() || count < 0 ||
            count > kLevelPairs) {
            std::cerr << "lorvane-cli: levelCount must be 0 to 6\n";
            return false;
        }
        header.levelCount = count;
        return true;
    }
    const TheaterMapField* field = FindTheaterMapField(name);
    if (field == nullptr || equals == std::string::npos) {
        std::cerr << "lorvane-cli: " << assignment
                  << ": expected NAME=VALUE with a field name such as "
                  << "maxTheaterElevation or levelWidth2\n";
        return false;
    }
    TheaterMapHeader changed = header;
    if (ScanFieldText(changed, *field, value) != value.size() || value.empty()) {
        std::cerr << "lorvane-cli: " << value << " is not a value for " << name << '\n';
        return false;
    }
    header = changed;
    return true;
}

// Level rows beyond levelCount are shown but not written.
void WarnUnstoredLevels(const TheaterMapHeader& header,
                        const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        const std::string name = assignment.substr(0, assignment.find('='));
        if (name.rfind("level", 0) != 0 || name == "levelCount") continue;
        const int level = name.back() - '0';
        if (level >= header.levelCount) {
            std::cerr << "lorvane-cli: " << name << " is not stored: the file holds "
                      << header.levelCount << " levels (set levelCount to store more)\n";
        }
    }
}

const CommandRegistration theaterMap("theater-map", [](CLI::App& app, int& exitStatus) {
    CLI::App* group =
        app.add_subcommand("theater-map", "Show or change the fields of a Theater.map file");
    group->require_subcommand(1);

    auto showOptions = std::make_shared<MapOptions>();
    CLI::App* show = group->add_subcommand("show", "Print every field of the header");
    AddTheaterOptions(show, *showOptions);
    show->add_flag("--json", showOptions->json, "Print the fields as one JSON object");
    show->callback([showOptions, &exitStatus] {
        const auto header = ReadHeader(*showOptions, exitStatus);
        if (!header) return;
        if (showOptions->json) {
            std::cout << HeaderJson(*header).dump() << '\n';
        } else {
            PrintText(*header);
        }
        exitStatus = kSuccess;
    });

    auto setOptions = std::make_shared<MapOptions>();
    CLI::App* set =
        group->add_subcommand("set", "Change fields and write the header back in its full form");
    AddTheaterOptions(set, *setOptions);
    set->add_option("ASSIGNMENTS", setOptions->assignments, "NAME=VALUE, such as levelWidth2=64")
        ->required();
    set->callback([setOptions, &exitStatus] {
        auto header = ReadHeader(*setOptions, exitStatus);
        if (!header) return;
        for (const std::string& assignment : setOptions->assignments) {
            if (!Assign(*header, assignment)) {
                exitStatus = kUsage;
                return;
            }
        }
        WarnUnstoredLevels(*header, setOptions->assignments);
        StderrMessages messages;
        exitStatus = WriteTheaterMap(setOptions->file, *header, messages) ? kSuccess : kFailed;
    });
});

}  // namespace

}  // namespace lorvane::cli
