#pragma once
// Tiles.txt: the tile list of a new tiles folder, and building a fresh tile
// database from it.
//
// The file is text, read in pieces of at most 19 characters: a line of up to
// 19 characters (its line end included) is one piece, a longer line gives
// several pieces, each taken as a line of its own. A piece that begins with h
// or H names a tile: its first 12 characters, never its line end. Every other
// piece (blank lines, headings, comments) is ignored. CR LF, LF and a lone CR
// each end a line and count as one character.
//
// Tiles are grouped into sets by the set part of their tile number (see
// TileNumberFromName): consecutive names with the same key form one set, and
// each change of key starts the next set, so keys 1, 2, 1 give three sets.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/message.h"
#include "base/platform.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

inline constexpr size_t kTilesTxtPieceSize = 19;
inline constexpr size_t kBuiltNameSize = 12;

// The pieces of a Tiles.txt text in file order, each with its line end (as
// one "\n") when it has one.
std::vector<std::string> TilesTxtPieces(std::string_view text);

// True when a tile's name from a database is a plain file name, so that it
// names a file of the tiles folder and nothing outside it: not empty, no
// folder separator or drive, not "." or "..". False after the message
// otherwise.
bool IsTileFileName(std::string_view name, MessageSink& messages);

// The tile names of a Tiles.txt text in file order: the pieces that begin
// with h or H, cut to 12 characters and at any line end or NUL.
std::vector<std::string> TilesTxtNames(std::string_view text);

// The group key of a tile name: the set part of its tile number.
int GroupKeyOfName(std::string_view name);

// A database of the named tiles, grouped into sets of terrain type 0 with no
// paths, areas or marks, ids set × 16 + position, the index in file order.
// More than 256 sets, or a set of more than 16 tiles, is refused (message
// naming the set, caption "File Error") and gives nullopt.
std::optional<TileDatabase> BuildTileDatabase(std::span<const std::string> names,
                                              MessageSink& messages);

// Reads folder/Tiles.txt (any letter case of that name) and builds the
// database. nullopt after "Could not find the Tiles.txt file in this folder."
// when there is no such file, or after the refusal of BuildTileDatabase; the
// caller's database is then left as it was.
std::optional<TileDatabase> BuildTextureBinFromFolder(const std::filesystem::path& folder,
                                                      MessageSink& messages);

// The file dialog that picks the tiles folder: its Tiles.txt (proposed) or
// a tile image in it; the folder is the chosen path's folder part
// (FileChoice::folderPart).
inline constexpr const char* kNewTilesFolderTitle = "Select New Tiles Folder by Its Tiles.txt";
FileDialogRequest TilesFolderRequest(const std::filesystem::path& textureFolder);

}  // namespace lorvane
