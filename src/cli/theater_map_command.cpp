// lorvane-cli theater-map show Theater.map [--json]
// lorvane-cli theater-map set Theater.map NAME=VALUE...
//
// The optional fields missing from an older file take the defaults of the
// theater: "Balkans" unless --ini FILE (and --theater NAME) name another.

#include <cctype>
#include <charconv>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "shell/theaters.h"
#include "terrain/theater_header.h"

namespace lorvane::cli {

namespace {

constexpr const char* kStartupTheater = "Balkans";

// The corner defaults of a theater section of the theaters ini file, read as
// the program reads it. False when the file cannot be read, or a theater was
// named whose section is missing.
bool ReadTheaterDefaults(const std::filesystem::path& ini, const std::string& theater, bool named,
                         TheaterMapDefaults& defaults) {
    std::string detail;
    const std::optional<IniProfile> profile = IniProfile::Open(ini, &detail);
    if (!profile) {
        std::cerr << "lorvane-cli: cannot read " << detail << '\n';
        return false;
    }
    if (named && !profile->HasSection(theater)) {
        std::cerr << "lorvane-cli: " << PathToUtf8(ini) << " has no theater [" << theater << "]\n";
        return false;
    }
    ScanFloat(profile->Read(theater, "SW Long", ""), defaults.swLong);
    ScanFloat(profile->Read(theater, "SW Lat", ""), defaults.swLat);
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
    // A float that is not finite has no JSON number: it goes out by name.
    const auto real = [](float value) -> nlohmann::ordered_json {
        if (std::isnan(value)) return "NaN";
        if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
        return static_cast<double>(value);
    };
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
        } else if (value.is_string()) {
            std::cout << value.get<std::string>();
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

// False (after naming the field and its range) when value is a number the
// field cannot hold; anything else is left to the scan.
bool InFieldRange(const TheaterMapField& field, std::string_view value) {
    const char* first = value.data();
    const char* last = value.data() + value.size();
    while (first != last && (*first == ' ' || *first == '\t')) ++first;
    if (first != last && *first == '+') ++first;
    if (field.format == FieldFormat::Float) {
        float number = 0;
        if (std::from_chars(first, last, number).ec != std::errc::result_out_of_range) return true;
        std::cerr << "lorvane-cli: " << field.name << " must be a number from "
                  << -std::numeric_limits<float>::max() << " to "
                  << std::numeric_limits<float>::max() << " (the smallest magnitude "
                  << std::numeric_limits<float>::denorm_min() << ")\n";
        return false;
    }
    long long number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    if (end == first || (error == std::errc() && number >= std::numeric_limits<int32_t>::min() &&
                         number <= std::numeric_limits<int32_t>::max()))
        return true;
    std::cerr << "lorvane-cli: " << field.name << " must be a whole number from "
              << std::numeric_limits<int32_t>::min() << " to "
              << std::numeric_limits<int32_t>::max() << '\n';
    return false;
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
    if (!InFieldRange(*field, value)) return false;
    TheaterMapHeader changed = header;
    if (ScanFieldText(changed, *field, value) != value.size() || value.empty()) {
        std::cerr << "lorvane-cli: " << value << " is not a value for " << name << '\n';
        return false;
    }
    header = changed;
    return true;
}

// Level rows beyond levelCount are not written: a value given for one would
// be lost, so it is refused and nothing is written. True when every
// assignment is stored.
bool AllStored(const TheaterMapHeader& header, const std::vector<std::string>& assignments) {
    bool stored = true;
    for (const std::string& assignment : assignments) {
        const std::string name = assignment.substr(0, assignment.find('='));
        if (name.rfind("level", 0) != 0 || name == "levelCount") continue;
        const int level = name.back() - '0';
        if (level >= header.levelCount) {
            std::cerr << "lorvane-cli: " << name << " is not stored: the file holds "
                      << header.levelCount << " levels (set levelCount to store more)\n";
            stored = false;
        }
    }
    return stored;
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
        // A second run on the same file waits until this one has written it.
        std::string detail;
        const auto lock = FileLock::Exclusive(setOptions->file, &detail);
        if (!lock) {
            StderrMessages().Error("Error opening Theater.map file.", "File Open Error", detail);
            exitStatus = kFailed;
            return;
        }
        auto header = ReadHeader(*setOptions, exitStatus);
        if (!header) return;
        for (const std::string& assignment : setOptions->assignments) {
            if (!Assign(*header, assignment)) {
                exitStatus = kUsage;
                return;
            }
        }
        if (!AllStored(*header, setOptions->assignments)) {
            exitStatus = kUsage;
            return;
        }
        StderrMessages messages;
        exitStatus = WriteTheaterMap(setOptions->file, *header, messages) ? kSuccess : kFailed;
    });
});

}  // namespace

}  // namespace lorvane::cli
