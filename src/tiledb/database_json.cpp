#include "tiledb/database_json.h"

#include "base/format.h"
#include "base/json_writer.h"

namespace lorvane {

void WritePathJson(JsonWriter& json, const TilePath& path) {
    json.BeginObject();
    json.Key("type");
    json.Integer(path.type);
    json.Key("width");
    json.Real(path.width);
    json.Key("startX");
    json.Real(path.startX);
    json.Key("startY");
    json.Real(path.startY);
    json.Key("endX");
    json.Real(path.endX);
    json.Key("endY");
    json.Real(path.endY);
    json.EndObject();
}

void WriteAreaJson(JsonWriter& json, const TileArea& area) {
    json.BeginObject();
    json.Key("type");
    json.Integer(area.type);
    json.Key("radius");
    json.Real(area.radius);
    json.Key("centerX");
    json.Real(area.centerX);
    json.Key("centerY");
    json.Real(area.centerY);
    json.EndObject();
}

namespace {

void WriteTile(JsonWriter& json, const TileRecord& tile) {
    json.BeginObject();
    json.Key("id");
    json.Integer(tile.id);
    json.Key("name");
    json.String(Windows1252ToUtf8(NameText(tile.name)));
    json.Key("paths");
    json.BeginArray();
    for (const TilePath& path : tile.paths) WritePathJson(json, path);
    json.EndArray();
    json.Key("areas");
    json.BeginArray();
    for (const TileArea& area : tile.areas) WriteAreaJson(json, area);
    json.EndArray();
    json.EndObject();
}

}  // namespace

bool WriteDatabaseJson(std::ostream& out, const TileDatabase& database) {
    JsonWriter json(out);
    json.BeginObject();
    json.Key("setCount");
    json.Integer(database.setCount());
    json.Key("tileCount");
    json.Integer(database.tileCount());
    json.Key("sets");
    json.BeginArray();
    for (const TileSet& set : database.sets) {
        json.BeginObject();
        json.Key("terrainType");
        json.Integer(set.terrainType);
        json.Key("tiles");
        json.BeginArray();
        for (const TileRecord& tile : set.tiles) WriteTile(json, tile);
        json.EndArray();
        json.EndObject();
        if (!json.Flush()) return false;
    }
    json.EndArray();
    json.EndObject();
    return json.Flush();
}

}  // namespace lorvane
