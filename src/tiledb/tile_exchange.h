#pragma once
// The tile export file: carries the paths and areas of changed tiles from one
// Texture.bin into another. Tiles are matched by set and tile position, not
// by name.
//
// Layout (little-endian, no magic number, no padding, no trailer): the record
// count (int32), then per record the set position, the tile position, the
// path count p and the area count a (int32 each), then the a areas (16 bytes
// each) and the p paths (24 bytes each). The path count comes before the area
// count in the header but the areas come first in the data.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/message.h"
#include "base/platform.h"
#include "tiledb/tile_database.h"

namespace lorvane {

// Marks the tile with that id modified, in the tile and in every index entry
// with its id, so that export takes it. False when no entry has the id.
bool MarkTileForExport(TileDatabase& database, int32_t id);

// The export file of every tile whose index entry is marked modified, in
// index order; the number of records goes to recordCount when given.
std::vector<std::byte> SerializeTileExport(const TileDatabase& database,
                                           int* recordCount = nullptr);

// Writes the export file of the marked tiles (replacing any file at path
// safely) and reports what it exported (ExportedText); the marks stay set.
// Without a marked tile nothing is written and that is said. False after
// the message of what failed; an old file at path is then untouched.
bool ExportModifiedTiles(const OutputTarget& path, const TileDatabase& database,
                         MessageSink& messages);
inline constexpr const char* kNoTileMarked = "No tile is marked as changed. Nothing was exported.";
// "2 tiles exported: H000.PCX and H010.PCX.", the first eight names of a
// longer list and how many more.
std::string ExportedText(const TileDatabase& database, const std::vector<int32_t>& ids);

// Writes the export file of the tiles whose paths or areas differ from
// base's tile at the same place (TilesChangedSince), in index order, as
// ExportModifiedTiles writes it and with its report; the marks of database
// are not used. With no such tile nothing is written and that is said.
// What the file cannot carry is said before it is written: a list emptied
// since base (an empty list leaves the importing tile's list as it was) and
// tiles base does not hold (an import into base refuses the file). False
// after the message of what failed.
bool ExportTilesChangedSince(const OutputTarget& path, const TileDatabase& database,
                             const TileDatabase& base, MessageSink& messages);

// Checks a whole export file against the database without changing it,
// reading it front to back through one band: the record count, or nullopt
// after the read-error message of the first bad field, naming its record,
// when the file ends early, a count is negative, or a record's set or tile
// position does not exist; or after the open message alone when the file
// failed or changed while it was read.
std::optional<int> CheckTileImport(ByteSource& source, const TileDatabase& database,
                                   MessageSink& messages);
std::optional<int> CheckTileImport(std::span<const std::byte> bytes, const TileDatabase& database,
                                   MessageSink& messages);

// Imports an export file: each record replaces the lists it carries (a list
// with no entries leaves the tile's list as it was); later records of the
// same tile win. All or nothing: the file is checked whole first, then its
// lists are read into new vectors and put in place only once the file was
// read whole and unchanged; on any failure (a file that changed while it
// was read included) the database stays exactly as it was. The file is
// never held whole: it streams through one band, twice. Reports "N tiles
// imported." with the record count. Marks, names, ids and terrain types are
// not changed.
bool ImportTilesFrom(ByteSource& source, TileDatabase& database, MessageSink& messages);
bool ImportTileBytes(std::span<const std::byte> bytes, TileDatabase& database,
                     MessageSink& messages);
bool ImportTiles(const std::filesystem::path& path, TileDatabase& database, MessageSink& messages);

// Make the tile's list exactly the given records; an empty span releases the
// list. A larger list keeps its memory. False when there is no such tile.
bool SetTileAreas(TileDatabase& database, int set, int tile, std::span<const TileArea> areas);
bool SetTilePaths(TileDatabase& database, int set, int tile, std::span<const TilePath> paths);

// The file dialogs of export and import, and the message of a dialog that
// failed (not cancelled) with its extended error code.
FileDialogRequest ExportFileRequest(const std::filesystem::path& tileFolder);
FileDialogRequest ImportFileRequest(const std::filesystem::path& tileFolder);
void ReportExportDialogError(int errorCode, MessageSink& messages);
void ReportImportDialogError(int errorCode, MessageSink& messages);

}  // namespace lorvane
