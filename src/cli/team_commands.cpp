// lorvane-cli diff A.bin B.bin [--json]
// lorvane-cli merge BASE.bin OURS.bin THEIRS.bin -o OUT.bin [--prefer ours|theirs] [--json]
//
// Names are shown as the Windows-1252 text they hold, in UTF-8; floats as
// the shortest text that reads back to the same bits.

#include <iostream>
#include <sstream>

#include "base/format.h"
#include "base/json_writer.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/database_json.h"
#include "tiledb/texture_bin.h"
#include "tiledb/texture_dump.h"
#include "tiledb/tile_diff.h"
#include "tiledb/tile_merge.h"

namespace lorvane::cli {

namespace {

std::string NameOf(const TileName& name) { return Windows1252ToUtf8(NameText(name)); }

void WriteRecord(JsonWriter& json, const TilePath& path) { WritePathJson(json, path); }
void WriteRecord(JsonWriter& json, const TileArea& area) { WriteAreaJson(json, area); }

std::string RecordText(const TilePath& path) {
    return "type " + std::to_string(path.type) + " width " + FloatText(path.width) + " start " +
           FloatText(path.startX) + "," + FloatText(path.startY) + " end " + FloatText(path.endX) +
           "," + FloatText(path.endY);
}

std::string RecordText(const TileArea& area) {
    return "type " + std::to_string(area.type) + " radius " + FloatText(area.radius) + " centre " +
           FloatText(area.centerX) + "," + FloatText(area.centerY);
}

// ---- diff ----

template <typename Record>
void WriteListDiff(JsonWriter& json, const ListDiff<Record>& diff) {
    json.BeginObject();
    for (const auto* list : {&diff.added, &diff.removed}) {
        json.Key(list == &diff.added ? "added" : "removed");
        json.BeginArray();
        for (const auto& entry : *list) {
            json.BeginObject();
            json.Key("entry");
            json.Integer(entry.entry);
            json.Key("value");
            WriteRecord(json, entry.value);
            json.EndObject();
        }
        json.EndArray();
    }
    json.Key("changed");
    json.BeginArray();
    for (const auto& change : diff.changed) {
        json.BeginObject();
        json.Key("entry");
        json.Integer(change.entry);
        json.Key("newEntry");
        json.Integer(change.newEntry);
        json.Key("before");
        WriteRecord(json, change.before);
        json.Key("after");
        WriteRecord(json, change.after);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

const char* ChangeName(TileChange change) {
    switch (change) {
        case TileChange::Added:
            return "added";
        case TileChange::Removed:
            return "removed";
        case TileChange::Changed:
            break;
    }
    return "changed";
}

const char* ChangeName(SetChange change) {
    switch (change) {
        case SetChange::Added:
            return "added";
        case SetChange::Removed:
            return "removed";
        case SetChange::TypeChanged:
            break;
    }
    return "terrainType";
}

void WriteDiffJson(std::ostream& out, const DatabaseDiff& diff) {
    JsonWriter json(out);
    json.BeginObject();
    json.Key("tiles");
    json.BeginArray();
    for (const TileDiff& tile : diff.tiles) {
        json.BeginObject();
        json.Key("id");
        json.Integer(tile.id);
        json.Key("name");
        json.String(NameOf(tile.name));
        json.Key("change");
        json.String(ChangeName(tile.change));
        if (tile.oldName) {
            json.Key("oldName");
            json.String(NameOf(*tile.oldName));
        }
        json.Key("paths");
        WriteListDiff(json, tile.paths);
        json.Key("areas");
        WriteListDiff(json, tile.areas);
        json.EndObject();
    }
    json.EndArray();
    json.Key("sets");
    json.BeginArray();
    for (const SetDiff& set : diff.sets) {
        json.BeginObject();
        json.Key("set");
        json.Integer(set.set);
        json.Key("change");
        json.String(ChangeName(set.change));
        if (set.change != SetChange::Added) {
            json.Key("before");
            json.Integer(set.typeBefore);
        }
        if (set.change != SetChange::Removed) {
            json.Key("after");
            json.Integer(set.typeAfter);
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

template <typename Record>
void PrintListDiff(std::ostream& out, const char* what, const ListDiff<Record>& diff) {
    for (const auto& entry : diff.removed)
        out << "  " << what << ' ' << entry.entry << " removed: " << RecordText(entry.value)
            << '\n';
    for (const auto& change : diff.changed)
        out << "  " << what << ' ' << change.entry << " changed: " << RecordText(change.before)
            << " -> " << RecordText(change.after) << '\n';
    for (const auto& entry : diff.added)
        out << "  " << what << ' ' << entry.entry << " added: " << RecordText(entry.value) << '\n';
}

void PrintDiff(std::ostream& out, const DatabaseDiff& diff) {
    for (const SetDiff& set : diff.sets) {
        out << "Set " << set.set << ": ";
        if (set.change == SetChange::TypeChanged)
            out << "terrain type " << TypeName(set.typeBefore) << " -> " << TypeName(set.typeAfter);
        else if (set.change == SetChange::Added)
            out << "added (" << TypeName(set.typeAfter) << ')';
        else
            out << "removed";
        out << '\n';
    }
    for (const TileDiff& tile : diff.tiles) {
        out << "Tile " << tile.id << ' ' << NameOf(tile.name) << ": " << ChangeName(tile.change);
        if (tile.oldName) out << ", name was " << NameDumpText(*tile.oldName);
        out << '\n';
        PrintListDiff(out, "path", tile.paths);
        PrintListDiff(out, "area", tile.areas);
    }
    if (diff.empty()) {
        out << "No differences.\n";
    } else {
        out << diff.tiles.size() << (diff.tiles.size() == 1 ? " tile, " : " tiles, ")
            << diff.sets.size() << (diff.sets.size() == 1 ? " set differ.\n" : " sets differ.\n");
    }
}

struct DiffOptions {
    PathArgument before;
    PathArgument after;
    bool json = false;
};

const CommandRegistration diff("diff", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* command = app.add_subcommand(
        "diff", "List what differs between two Texture.bin files, tile by tile and entry by entry");
    command->add_option("A", options->before, "The Texture.bin to compare from")->required();
    command->add_option("B", options->after, "The Texture.bin to compare with it")->required();
    command->add_flag("--json", options->json, "Write the differences as one JSON object");
    command->callback([options, &exitStatus] {
        StderrMessages messages;
        const auto before = LoadTextureBin(options->before, messages);
        if (!before) {
            exitStatus = kFailed;
            return;
        }
        const auto after = LoadTextureBin(options->after, messages);
        if (!after) {
            exitStatus = kFailed;
            return;
        }
        const DatabaseDiff difference = DiffDatabases(*before, *after);
        if (options->json) {
            WriteDiffJson(std::cout, difference);
            std::cout << '\n';
        } else {
            PrintDiff(std::cout, difference);
        }
        exitStatus = kSuccess;
    });
});

// ---- merge ----

const char* KindName(ConflictKind kind) {
    switch (kind) {
        case ConflictKind::SetType:
            return "set";
        case ConflictKind::Tile:
            return "tile";
        case ConflictKind::Name:
            return "name";
        case ConflictKind::Path:
            return "path";
        case ConflictKind::Area:
            return "area";
        case ConflictKind::Layout:
            break;
    }
    return "layout";
}

const char* SideName(MergeSide side) {
    return side == MergeSide::Ours ? "ours" : side == MergeSide::Theirs ? "theirs" : "";
}

void WriteValueJson(JsonWriter& json, const std::optional<ConflictValue>& value) {
    if (!value) {
        json.Null();
        return;
    }
    std::visit(
        [&json](const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, uint8_t>) {
                json.Integer(v);
            } else if constexpr (std::is_same_v<V, TileName>) {
                json.String(NameOf(v));
            } else if constexpr (std::is_same_v<V, TileRecord>) {
                json.BeginObject();
                json.Key("name");
                json.String(NameOf(v.name));
                json.Key("pathCount");
                json.Integer(v.pathCount());
                json.Key("areaCount");
                json.Integer(v.areaCount());
                json.EndObject();
            } else {
                WriteRecord(json, v);
            }
        },
        *value);
}

std::string ValueText(const std::optional<ConflictValue>& value) {
    if (!value) return "absent";
    return std::visit(
        [](const auto& v) -> std::string {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, uint8_t>) {
                return TypeName(v);
            } else if constexpr (std::is_same_v<V, TileName>) {
                return NameDumpText(v);
            } else if constexpr (std::is_same_v<V, TileRecord>) {
                return NameDumpText(v.name) + " with " + std::to_string(v.pathCount()) +
                       " paths and " + std::to_string(v.areaCount()) + " areas";
            } else {
                return RecordText(v);
            }
        },
        *value);
}

// The tile's name from whichever database holds it.
std::string ConflictTileName(const MergeConflict& conflict,
                             std::initializer_list<const TileDatabase*> databases) {
    for (const TileDatabase* database : databases) {
        if (const TileRecord* tile = database->RecordAt(conflict.set, conflict.position))
            return NameOf(tile->name);
    }
    return {};
}

std::string Where(const MergeConflict& conflict, const std::string& name) {
    if (conflict.position < 0) return "set " + std::to_string(conflict.set);
    std::string where = "tile " + std::to_string(conflict.id());
    if (!name.empty()) where += ' ' + name;
    if (conflict.kind == ConflictKind::Path || conflict.kind == ConflictKind::Area)
        where += std::string(", ") + KindName(conflict.kind) + ' ' + std::to_string(conflict.entry);
    else if (conflict.kind == ConflictKind::Name)
        where += ", name";
    return where;
}

struct MergeOptions {
    PathArgument base;
    PathArgument ours;
    PathArgument theirs;
    PathArgument output;
    bool overwrite = false;
    std::string tileInfo;
    std::string prefer;
    bool json = false;
};

void WriteMergeJson(std::ostream& out, const MergeResult& result, bool written,
                    const std::vector<std::string>& names) {
    JsonWriter json(out);
    json.BeginObject();
    json.Key("written");
    json.Boolean(written);
    json.Key("conflicts");
    json.BeginArray();
    for (size_t k = 0; k < result.conflicts.size(); ++k) {
        const MergeConflict& conflict = result.conflicts[k];
        json.BeginObject();
        json.Key("kind");
        json.String(KindName(conflict.kind));
        json.Key("set");
        json.Integer(conflict.set);
        if (conflict.position >= 0) {
            json.Key("id");
            json.Integer(conflict.id());
            json.Key("name");
            json.String(names[k]);
        }
        if (conflict.kind == ConflictKind::Path || conflict.kind == ConflictKind::Area) {
            json.Key("entry");
            json.Integer(conflict.entry);
        }
        if (conflict.kind != ConflictKind::Layout) {
            const char* keys[] = {"base", "ours", "theirs"};
            for (size_t side = 0; side < 3; ++side) {
                json.Key(keys[side]);
                WriteValueJson(json, conflict.values[side]);
            }
        }
        json.Key("settledBy");
        if (conflict.settledBy == MergeSide::None)
            json.Null();
        else
            json.String(SideName(conflict.settledBy));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

void PrintConflicts(std::ostream& out, const MergeResult& result,
                    const std::vector<std::string>& names) {
    for (size_t k = 0; k < result.conflicts.size(); ++k) {
        const MergeConflict& conflict = result.conflicts[k];
        out << "Conflict: " << Where(conflict, names[k]);
        if (conflict.kind == ConflictKind::Layout) {
            out << ": missing before a set or tile that is there";
        } else {
            out << ": base " << ValueText(conflict.values[0]) << "; ours "
                << ValueText(conflict.values[1]) << "; theirs " << ValueText(conflict.values[2]);
        }
        if (conflict.settledBy != MergeSide::None)
            out << " (settled: " << SideName(conflict.settledBy) << ')';
        out << '\n';
    }
}

int RunMerge(const MergeOptions& options) {
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) return kUsage;
    StderrMessages messages;
    std::optional<TileDatabase> databases[3];
    const PathArgument* inputs[] = {&options.base, &options.ours, &options.theirs};
    for (size_t k = 0; k < 3; ++k) {
        databases[k] = LoadTextureBin(*inputs[k], messages);
        if (!databases[k]) return kFailed;
    }
    const MergeSide prefer = options.prefer == "ours"     ? MergeSide::Ours
                             : options.prefer == "theirs" ? MergeSide::Theirs
                                                          : MergeSide::None;
    const MergeResult result = MergeDatabases(*databases[0], *databases[1], *databases[2], prefer);
    std::vector<std::string> names;
    for (const MergeConflict& conflict : result.conflicts)
        names.push_back(
            ConflictTileName(conflict, {&*databases[1], &*databases[2], &*databases[0]}));
    const bool settled = result.Settled();
    int status = settled ? kSuccess : kFailed;
    if (settled) status = SaveDatabase(*output, result.merged, options.tileInfo, messages);
    std::ostream& report = ReportStream(*output);
    if (options.json) {
        WriteMergeJson(report, result, settled && status == kSuccess, names);
        report << '\n';
        return status;
    }
    PrintConflicts(report, result, names);
    if (!settled) {
        report << result.conflicts.size()
               << (result.conflicts.size() == 1 ? " conflict" : " conflicts")
               << "; nothing written. --prefer ours or --prefer theirs settles them"
               << (std::any_of(
                       result.conflicts.begin(), result.conflicts.end(),
                       [](const MergeConflict& c) { return c.kind == ConflictKind::Layout; })
                       ? ", but not a layout conflict.\n"
                       : ".\n");
    } else if (status == kSuccess) {
        report << "Merged: " << Counted(result.merged.setCount(), "set", "sets") << ", "
               << Counted(result.merged.tileCount(), "tile", "tiles");
        if (!result.conflicts.empty())
            report << ", " << result.conflicts.size()
                   << (result.conflicts.size() == 1 ? " conflict settled" : " conflicts settled");
        report << ".\n";
    }
    return status;
}

const CommandRegistration merge("merge", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<MergeOptions>();
    CLI::App* command = app.add_subcommand(
        "merge", "Bring together two Texture.bin files made from one base (three-way merge)");
    command->add_option("BASE", options->base, "The Texture.bin both were made from")->required();
    command->add_option("OURS", options->ours, "One changed Texture.bin")->required();
    command->add_option("THEIRS", options->theirs, "The other changed Texture.bin")->required();
    command
        ->add_option("-o,--output", options->output,
                     "The merged Texture.bin to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    AddTileInfoOption(command, options->tileInfo);
    command
        ->add_option("--prefer", options->prefer,
                     "Settle every conflict with this side's value: ours or theirs")
        ->check(CLI::IsMember({"ours", "theirs"}));
    command->add_flag("--json", options->json, "Write the report as one JSON object");
    command->callback([options, &exitStatus] { exitStatus = RunMerge(*options); });
});

}  // namespace

}  // namespace lorvane::cli
