#include "tiledb/tile_sets.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <map>

#include "base/format.h"

namespace lorvane {

namespace {

constexpr size_t kMaxPickedNameSize = 12;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool NamesTile(std::string_view name) {
    return !name.empty() && (name.front() == 'h' || name.front() == 'H');
}

// A number typed by the user, read as "%d" reads it: leading blanks, a sign,
// then digits up to the first other character. Out-of-range values are held
// at the ends of int; nullopt when no digit comes.
std::optional<int> ScanDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL + INT_MAX);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

uint8_t SetTypeCodeAt(int position) {
    if (position < 0 || position >= kSetTypeCount) position = 0;
    return static_cast<uint8_t>(AreaTypeCodes[static_cast<size_t>(position)]);
}

bool SetExists(const TileDatabase& database, int set) {
    return set >= 0 && set < database.setCount();
}

void WarnNoSuchSet(int set, MessageSink& messages) {
    messages.Show({FormatText("The Set# %d does not exist. Select another Set", set),
                   "Set Not Found", MessageIcon::Warning});
}

int StartNumber(const TileDatabase& database, SetDialogMode mode, int currentSet) {
    return mode == SetDialogMode::AddSet ? database.setCount() : currentSet;
}

SetDialogOutcome ApplyChangeType(TileDatabase& database, int currentSet, uint8_t chosen,
                                 MessageSink& messages) {
    SetDialogOutcome outcome;
    if (!SetExists(database, currentSet)) {
        // The number is not editable in this mode, so there is nothing to correct.
        messages.Show(
            {FormatText("The Set# %d does not exist. Load a tile of the set first", currentSet),
             "Set Not Found", MessageIcon::Warning});
        outcome.end = SetDialogEnd::Cancelled;
        return outcome;
    }
    ChangeSetTerrainType(database, currentSet, chosen);
    outcome.end = SetDialogEnd::Applied;
    outcome.currentSet = currentSet;
    outcome.chosenType = chosen;
    outcome.terrainLabel = TypeName(chosen);
    outcome.changedRows = IndexPositionsOfSet(database, currentSet);
    return outcome;
}

SetDialogOutcome ApplyAddSet(const TileDatabase& database, int number, uint8_t chosen,
                             MessageSink& messages) {
    SetDialogOutcome outcome;
    if (number < 0) {
        messages.Show({FormatText("The Set# %d is not a Set number. Select another Set", number),
                       "Invalid Set", MessageIcon::Warning});
        return outcome;
    }
    if (number < database.setCount() &&
        database.sets[static_cast<size_t>(number)].tileCount() > 0) {
        messages.Show({FormatText("The Set# %d has tiles. Select another Set", number),
                       "Set is used", MessageIcon::Warning});
        return outcome;
    }
    outcome.end = SetDialogEnd::Applied;
    outcome.currentSet = std::min(number, database.setCount());
    outcome.chosenType = chosen;
    outcome.terrainLabel = TypeName(chosen);
    return outcome;
}

SetDialogOutcome ApplyAddTiles(const TileDatabase& database, int number, MessageSink& messages) {
    SetDialogOutcome outcome;
    if (!SetExists(database, number)) {
        WarnNoSuchSet(number, messages);
        return outcome;
    }
    const TileSet& set = database.sets[static_cast<size_t>(number)];
    if (set.tileCount() >= kMaxTilesPerSet) {
        messages.Show({FormatText("The Set# %d has 16 tiles. Select another Set", number),
                       "Set is Full", MessageIcon::Warning});
        return outcome;
    }
    // Adding tiles keeps the set's own type.
    outcome.end = SetDialogEnd::Applied;
    outcome.currentSet = number;
    outcome.chosenType = set.terrainType;
    outcome.terrainLabel = TypeName(set.terrainType);
    return outcome;
}

}  // namespace

std::vector<std::string> SetTypeNames() {
    std::vector<std::string> names;
    for (int p = 0; p < kSetTypeCount; ++p)
        names.emplace_back(TypeName(AreaTypeCodes[static_cast<size_t>(p)]));
    return names;
}

std::optional<int> SetTypePositionFromText(std::string_view text) {
    for (int p = 0; p < kSetTypeCount; ++p) {
        const int code = AreaTypeCodes[static_cast<size_t>(p)];
        if (EqualNoCase(text, TypeName(code)) || text == std::to_string(code)) return p;
    }
    return std::nullopt;
}

std::vector<int> IndexPositionsOfSet(const TileDatabase& database, int set) {
    std::vector<int> positions;
    for (size_t i = 0; i < database.index.size(); ++i) {
        if (database.index[i].setIndex == set) positions.push_back(static_cast<int>(i));
    }
    return positions;
}

bool ChangeSetTerrainType(TileDatabase& database, int set, uint8_t terrainType) {
    if (!SetExists(database, set)) return false;
    database.sets[static_cast<size_t>(set)].terrainType = terrainType;
    for (TileIndexEntry& entry : database.index) {
        if (entry.setIndex == set) entry.terrainType = terrainType;
    }
    return true;
}

std::string FileNameOfPath(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::vector<std::string> PickedFileNames(const FileChoice& choice) {
    if (!choice.chosen()) return {};
    if (!choice.fileNames.empty()) return choice.fileNames;
    return {choice.fileTitle()};
}

std::optional<AddedTiles> AddTilesToSet(TileDatabase& database, int targetSet, uint8_t terrainType,
                                        std::span<const std::string> pickedNames,
                                        MessageSink& messages) {
    std::vector<std::string> names;
    for (const std::string& picked : pickedNames) {
        std::string name = FileNameOfPath(picked);
        if (NamesTile(name)) names.push_back(std::move(name));
    }
    const bool exists = SetExists(database, targetSet);
    const size_t held = exists ? database.sets[static_cast<size_t>(targetSet)].tiles.size() : 0;
    if (held + names.size() > static_cast<size_t>(kMaxTilesPerSet)) {
        messages.Error("A Set can only hold 16 tiles.", "Too many Tiles");
        return std::nullopt;
    }
    const int n = static_cast<int>(names.size());
    std::string tooLong;
    for (const std::string& name : names) {
        if (name.size() <= kMaxPickedNameSize) continue;
        if (!tooLong.empty()) tooLong += ", ";
        tooLong += name;
    }
    if (!tooLong.empty()) {
        messages.Error(
            FormatText("A tile name can have at most 12 characters; these are longer: %s. "
                       "No tile was added.",
                       tooLong.c_str()),
            "Tile Name Too Long");
        return std::nullopt;
    }
    if (n == 0) {
        messages.Error(
            "None of the picked files is a tile (tile names begin with H). No tile was added.",
            "No Tiles");
        return std::nullopt;
    }
    if (targetSet < 0) {
        WarnNoSuchSet(targetSet, messages);
        return std::nullopt;
    }
    // A target beyond the last set becomes the one new set at the end, so ids
    // and index entries name the place the tiles really take.
    const int t = exists ? targetSet : database.setCount();
    if (!exists) database.sets.emplace_back();
    TileSet& set = database.sets[static_cast<size_t>(t)];
    ChangeSetTerrainType(database, t, terrainType);
    const int first = set.tileCount();
    set.tiles.resize(static_cast<size_t>(first + n));
    database.index.reserve(database.index.size() + static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        TileRecord& tile = set.tiles[static_cast<size_t>(first + k)];
        tile.name = MakeTileName(names[static_cast<size_t>(k)]);
        tile.id = TileIdAt(t, first + k);
        database.index.push_back(MakeIndexEntry(tile, t, first + k, terrainType));
    }
    return AddedTiles{t, first + n - 1, n};
}

namespace {

std::string Folded(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

std::vector<ImageInOtherSet> ImagesInSeveralSets(const TileDatabase& database) {
    std::map<std::string, int> setOfName;
    std::vector<ImageInOtherSet> held;
    for (size_t s = 0; s < database.sets.size(); ++s) {
        for (const TileRecord& tile : database.sets[s].tiles) {
            std::string name(NameText(tile.name));
            const auto [place, fresh] = setOfName.emplace(Folded(name), static_cast<int>(s));
            if (fresh || place->second == static_cast<int>(s)) continue;
            held.push_back({std::move(name), place->second});
            place->second = static_cast<int>(s);  // each name said once per set it is in again
        }
    }
    return held;
}

void WarnImagesInOtherSets(const std::vector<ImageInOtherSet>& held, MessageSink& messages) {
    if (held.empty()) return;
    std::string text;
    for (const ImageInOtherSet& image : held) {
        if (!text.empty()) text += ' ';
        text += FormatText("%s is already in Set# %d.", image.name.c_str(), image.set);
    }
    messages.Show({text, "Tile in Another Set", MessageIcon::Warning});
}

std::vector<ImageInOtherSet> ImagesInOtherSets(const TileDatabase& database, int targetSet,
                                               std::span<const std::string> pickedNames) {
    const auto folded = Folded;
    // Each name's first set, looked up through one table.
    std::map<std::string, int> setOfName;
    for (size_t s = 0; s < database.sets.size(); ++s) {
        if (static_cast<int>(s) == targetSet) continue;
        for (const TileRecord& tile : database.sets[s].tiles)
            setOfName.emplace(folded(NameText(tile.name)), static_cast<int>(s));
    }
    std::vector<ImageInOtherSet> held;
    for (const std::string& picked : pickedNames) {
        std::string name = FileNameOfPath(picked);
        const auto found = setOfName.find(folded(name));
        if (found == setOfName.end()) continue;
        held.push_back({std::move(name), found->second});
        setOfName.erase(found);  // each name said once
    }
    return held;
}

SetDialogView StartSetDialog(const TileDatabase& database, SetDialogMode mode, int currentSet) {
    SetDialogView view;
    switch (mode) {
        case SetDialogMode::ChangeType:
            view.caption = "Edit Set Terrain Type";
            view.applyText = "Apply Change";
            view.numberEnabled = false;
            break;
        case SetDialogMode::AddSet:
            view.caption = "Add a New Tile Set";
            view.applyText = "Continue";
            view.numberEnabled = true;
            break;
        case SetDialogMode::AddTiles:
            view.caption = "Add Tiles to a Set";
            view.applyText = "Continue";
            view.numberEnabled = true;
            view.showsType = false;
            break;
    }
    view.numberText = FormatText("%d", StartNumber(database, mode, currentSet));
    view.typeNames = SetTypeNames();
    if (SetExists(database, currentSet)) {
        const std::optional<int> position =
            AreaTypePosition(database.sets[static_cast<size_t>(currentSet)].terrainType);
        if (position && *position < kSetTypeCount) view.typePosition = *position;
    }
    return view;
}

SetDialogOutcome ApplySetDialog(TileDatabase& database, SetDialogMode mode, int currentSet,
                                std::string_view numberText, int typePosition,
                                MessageSink& dialogMessages) {
    const uint8_t chosen = SetTypeCodeAt(typePosition);
    // Text that does not scan leaves the number the dialog started with.
    const int number = ScanDecimal(numberText).value_or(StartNumber(database, mode, currentSet));
    switch (mode) {
        case SetDialogMode::ChangeType:
            return ApplyChangeType(database, currentSet, chosen, dialogMessages);
        case SetDialogMode::AddSet:
            return ApplyAddSet(database, number, chosen, dialogMessages);
        case SetDialogMode::AddTiles:
            return ApplyAddTiles(database, number, dialogMessages);
    }
    return {};
}

FileDialogRequest PickTilesRequest(SetDialogMode mode, const std::filesystem::path& tileFolder) {
    FileDialogRequest request;
    request.title =
        mode == SetDialogMode::AddTiles ? "Select Tiles to Add" : "Select Tiles for Set";
    request.filter = "Tile image file|*.pcx||";
    request.proposedName = "*.pcx";
    request.startFolder = tileFolder;
    request.fileMustExist = false;
    return request;
}

}  // namespace lorvane
