#pragma once
// The text form of a tile database, for version control: one line per set,
// tile, area and path, in file order, so two versions differ line by line
// where their databases differ. Reading the text back gives the database
// whose Texture.bin is byte for byte the one the text was made from.
//
//   lorvane-texture 1
//   set 0 6                                  set number, terrain type code
//   tile 0 "H000.PCX"                        tile id, name
//   tile 1 "H001.PCX" 00414200               ... the bytes after the name's NUL
//   area 1 120.25 300 0.3                    type, radius, centreX, centreY
//   path 10 40.5 0.1 2 3279.9 1e-07          type, width, startX, startY, endX, endY
//
// The id of a tile is its place (set × 16 + position) and must be the one
// its place gives. A name is written between double quotes; bytes other
// than the printable ASCII characters, and the characters " and \, are
// written \xHH (\" and \\ are read too). The bytes after the name's NUL are
// written in hex when any of them is not zero, up to the last that is not.
// Floats are written as the shortest decimal text that reads back to the
// same bits (-0 and denormals included), infinities as inf and -inf, a NaN
// as nan: and its 32 bits in hex (nan:7FC00000), so every payload survives.
// Lines are separated by LF (CR LF is read too); blank lines and lines
// beginning with # are skipped.

#include <optional>
#include <string>
#include <string_view>

#include "base/message.h"
#include "tiledb/tile_database.h"

namespace lorvane {

std::string DumpTextureBin(const TileDatabase& database);

// A float as the text writes it: "-0", "1e-07", "inf", "nan:7FC00000".
std::string FloatText(float value);
// A name as the text writes it: quoted, with the bytes after its NUL.
std::string NameDumpText(const TileName& name);

// The database of a text; nullopt after the message naming the first line
// that is not a line of the form, or that breaks a limit of the format (a
// set of more than 16 tiles, more than 256 sets, a tile id that is not its
// place). The index is made as loading makes it.
std::optional<TileDatabase> ParseTextureDump(std::string_view text, MessageSink& messages);

}  // namespace lorvane
