#pragma once
// A whole tile database as one JSON object, written as a stream:
//   {"setCount":N,"tileCount":N,"sets":[{"terrainType":T,"tiles":[
//     {"id":I,"name":"...","paths":[{"type","width","startX","startY","endX","endY"}],
//      "areas":[{"type","radius","centerX","centerY"}]}]}]}
// Names are the bytes of the Windows-1252 code page shown as UTF-8; floats
// go out as doubles (every float converts exactly and the shortest text of
// the double reads back to the same float), those that are not finite as
// the strings "NaN", "Infinity" and "-Infinity".

#include <ostream>

#include "tiledb/tile_database.h"

namespace lorvane {

class JsonWriter;

// False when the stream failed.
bool WriteDatabaseJson(std::ostream& out, const TileDatabase& database);

// One record as the object the database's JSON holds.
void WritePathJson(JsonWriter& json, const TilePath& path);
void WriteAreaJson(JsonWriter& json, const TileArea& area);

}  // namespace lorvane
