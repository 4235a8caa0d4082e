#include "tiledb/tiles_txt.h"

#include <cctype>

#include "base/file_io.h"
#include "base/format.h"
#include "base/path_text.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

namespace {

constexpr const char* kFileError = "File Error";

bool NamesTile(std::string_view piece) {
    return !piece.empty() && (piece.front() == 'h' || piece.front() == 'H');
}

// One run of consecutive names with the same group key.
struct Group {
    size_t first = 0;  // position of its first name
    size_t count = 0;
};

std::vector<Group> GroupNames(std::span<const std::string> names) {
    std::vector<Group> groups;
    int currentKey = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        const int key = GroupKeyOfName(names[i]);
        if (groups.empty() || key != currentKey) {
            groups.push_back({i, 0});
            currentKey = key;
        }
        ++groups.back().count;
    }
    return groups;
}

// Refuses what the database cannot hold: a tile number has room for 256 sets
// and a set for 16 tiles.
bool GroupsFit(std::span<const Group> groups, std::span<const std::string> names,
               MessageSink& messages) {
    if (groups.size() > static_cast<size_t>(kMaxSets)) {
        const std::string& first = names[groups[kMaxSets].first];
        messages.Error(FormatText("Tiles.txt lists more than %d sets: set %d would begin with the "
                                  "tile %s. A Texture.bin can hold at most %d sets.",
                                  kMaxSets, kMaxSets, first.c_str(), kMaxSets),
                       kFileError);
        return false;
    }
    for (size_t s = 0; s < groups.size(); ++s) {
        const Group& group = groups[s];
        if (group.count <= static_cast<size_t>(kMaxTilesPerSet)) continue;
        const std::string& first = names[group.first];
        const std::string& last = names[group.first + group.count - 1];
        messages.Error(FormatText("Set %d in Tiles.txt (tiles %s to %s) has %d tiles. A Set can "
                                  "only hold %d tiles.",
                                  static_cast<int>(s), first.c_str(), last.c_str(),
                                  static_cast<int>(group.count), kMaxTilesPerSet),
                       kFileError);
        return false;
    }
    return true;
}

// The Tiles.txt of a folder under any letter case of its name, as a folder
// copied from a case-blind file system may hold it.
std::optional<FileBytes> OpenTilesTxt(const std::filesystem::path& folder, std::string& detail) {
    if (auto file = FileBytes::Open(folder / "Tiles.txt", &detail)) return file;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = PathToUtf8(it->path().filename());
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name != "tiles.txt") continue;
        if (auto file = FileBytes::Open(it->path(), &detail)) return file;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> TilesTxtPieces(std::string_view text) {
    std::vector<std::string> pieces;
    std::string piece;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineEnd = c == '\n' || c == '\r';
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one end
        piece.push_back(lineEnd ? '\n' : c);
        if (lineEnd || piece.size() == kTilesTxtPieceSize) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
    return pieces;
}

std::vector<std::string> TilesTxtNames(std::string_view text) {
    std::vector<std::string> names;
    for (const std::string& piece : TilesTxtPieces(text)) {
        if (!NamesTile(piece)) continue;
        std::string_view name(piece);
        name = name.substr(0, std::min(name.size(), kBuiltNameSize));
        name =
            name.substr(0, std::min(name.size(), name.find_first_of(std::string_view("\n\0", 2))));
        names.emplace_back(name);
    }
    return names;
}

int GroupKeyOfName(std::string_view name) { return SetOfTileNumber(TileNumberFromName(name)); }

std::optional<TileDatabase> BuildTileDatabase(std::span<const std::string> names,
                                              MessageSink& messages) {
    const std::vector<Group> groups = GroupNames(names);
    if (!GroupsFit(groups, names, messages)) return std::nullopt;
    TileDatabase database;
    database.sets.resize(groups.size());
    for (size_t s = 0; s < groups.size(); ++s) {
        TileSet& set = database.sets[s];
        set.terrainType = static_cast<uint8_t>(TerrainType::NoData);
        set.tiles.resize(groups[s].count);
        for (size_t k = 0; k < set.tiles.size(); ++k)
            set.tiles[k].name = MakeTileName(names[groups[s].first + k]);
    }
    IndexTilesInPlace(database);
    return database;
}

std::optional<TileDatabase> BuildTextureBinFromFolder(const std::filesystem::path& folder,
                                                      MessageSink& messages) {
    std::string detail;
    const std::optional<FileBytes> file = OpenTilesTxt(folder, detail);
    if (!file) {
        messages.Error("Could not find the Tiles.txt file in this folder.", kFileError, detail);
        return std::nullopt;
    }
    const std::span<const std::byte> bytes = file->Bytes();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::vector<std::string> names = TilesTxtNames(text);
    return BuildTileDatabase(names, messages);
}

FileDialogRequest TilesFolderRequest(const std::filesystem::path& textureFolder) {
    FileDialogRequest request;
    request.title = kNewTilesFolderTitle;
    request.filter = "Tiles.txt and tile images|Tiles.txt;*.pcx;*.PCX||";
    request.proposedName = "Tiles.txt";
    request.startFolder = textureFolder;
    return request;
}

bool IsTileFileName(std::string_view name, MessageSink& messages) {
    if (!name.empty() && name != "." && name != ".." &&
        name.find_first_of("/\\:") == std::string_view::npos)
        return true;
    messages.Error(FormatText("The tile name %s is not a file name of the tiles folder.",
                              EscapedText(name).c_str()),
                   "Tile Name Error");
    return false;
}

}  // namespace lorvane
