#pragma once
// Tile sets: giving a set another terrain type, adding a set or tiles to a
// set, and the rules of the set dialog ("Edit Set Terrain Type") in its three
// modes, as plain functions the dialog calls and shows the answers of.
//
// A set holds at most 16 tiles. New index entries always go to the end of the
// index, whatever set they belong to; loading the saved file puts them back
// in file order.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/message.h"
#include "base/platform.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// A tile number has room for 256 sets of 16 tiles.
inline constexpr int kMaxSets = 256;
inline constexpr int kMaxTilesPerSet = 16;

// The set terrain type list of the dialog, "Water" to "Urban"; position p
// stands for AreaTypeCodes[p].
std::vector<std::string> SetTypeNames();
// The list position of a set terrain type given by name ("Thin Forest", any
// letter case) or by code ("6"); nullopt when it is not one of the eight.
std::optional<int> SetTypePositionFromText(std::string_view text);

// The index positions of the entries of a set, in index order.
std::vector<int> IndexPositionsOfSet(const TileDatabase& database, int set);

// Gives the set the terrain type, and so every index entry of the set. False
// when there is no such set.
bool ChangeSetTerrainType(TileDatabase& database, int set, uint8_t terrainType);

// The file name of a picked path: the folder part (up to the last "/" or "\")
// dropped, as a file dialog's selection gives it.
std::string FileNameOfPath(std::string_view path);
// The picked names of a file choice: the names of a multiple choice, or the
// title of a single one.
std::vector<std::string> PickedFileNames(const FileChoice& choice);

struct AddedTiles {
    int set = 0;       // the set the tiles went into (the new current set)
    int lastTile = 0;  // position of the last added tile (the new current tile)
    int count = 0;     // the tiles added (the picked names that name tiles)
};

// Adds the picked tiles whose names (without any folder part) begin with h
// or H (the others are left out and do not count) to targetSet, which gets terrainType. A target at
// or beyond setCount appends one new set. Refused, with nothing changed, when the set would hold
// more than 16 tiles ("A Set can only hold 16 tiles."), when a name is longer than 12 characters,
// when no picked name is a tile, or when the target is negative.
std::optional<AddedTiles> AddTilesToSet(TileDatabase& database, int targetSet, uint8_t terrainType,
                                        std::span<const std::string> pickedNames,
                                        MessageSink& messages);

// A picked tile image that the database already holds in another set.
struct ImageInOtherSet {
    std::string name;  // the picked name, without its folder part
    int set = 0;       // the first set (in set order) that holds it
};

// The picked names (folder parts dropped) that a set other than targetSet
// already holds, compared without regard to letter case, each once, in the
// order picked: what adding them to targetSet would put into two sets.
std::vector<ImageInOtherSet> ImagesInOtherSets(const TileDatabase& database, int targetSet,
                                               std::span<const std::string> pickedNames);
// The images of a set that an earlier set already holds (a database built
// from a Tiles.txt that names one image in two sets), each once, with the
// first set that holds it.
std::vector<ImageInOtherSet> ImagesInSeveralSets(const TileDatabase& database);
// One warning naming each image and the set it is in already ("H000.PCX is
// already in Set# 0."); nothing when there is none.
void WarnImagesInOtherSets(const std::vector<ImageInOtherSet>& held, MessageSink& messages);

// ---- The set dialog ----

enum class SetDialogMode { ChangeType, AddSet, AddTiles };

// What the dialog shows when it starts.
struct SetDialogView {
    std::string caption;
    std::string applyText;  // text of button 1
    bool numberEnabled = false;
    std::string numberText;  // "%d" of the set number
    std::vector<std::string> typeNames;
    int typePosition = 0;  // the selected entry of the type list
    // Adding tiles keeps the set's type: that dialog has no type list.
    bool showsType = true;
};

SetDialogView StartSetDialog(const TileDatabase& database, SetDialogMode mode, int currentSet);

enum class SetDialogEnd {
    StaysOpen,  // a warning was shown; the user may correct the input
    Applied,    // the dialog ends with 1
    Cancelled,  // the dialog ends with 0; nothing changed
};

// What pressing button 1 does.
struct SetDialogOutcome {
    SetDialogEnd end = SetDialogEnd::StaysOpen;
    int currentSet = 0;            // the editor's current set when applied
    uint8_t chosenType = 0;        // the terrain type AddTilesToSet is to give
    std::string terrainLabel;      // the editor's "Terrain Type" read-out when applied
    std::vector<int> changedRows;  // change-type: index positions whose rows to rewrite
};

// Button 1 with the number as typed and the selected list position. In
// change-type mode the set currentSet gets the chosen type at once; the add
// modes check the number and leave the adding to AddTilesToSet. Warnings go
// to dialogMessages (shown owned by the dialog).
SetDialogOutcome ApplySetDialog(TileDatabase& database, SetDialogMode mode, int currentSet,
                                std::string_view numberText, int typePosition,
                                MessageSink& dialogMessages);

// The multiple-selection file dialog that picks the tiles of an add mode.
FileDialogRequest PickTilesRequest(SetDialogMode mode, const std::filesystem::path& tileFolder);

}  // namespace lorvane
