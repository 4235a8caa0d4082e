#include "shell/team_commands.h"

#include <cmath>

#include "base/command_ids.h"
#include "base/format.h"
#include "base/path_text.h"
#include "editor/editor_panel.h"
#include "shell/main_shell.h"
#include "tiledb/texture_bin.h"

namespace lorvane {

namespace {

template <typename Record>
std::string CountsText(const ListDiff<Record>& list) {
    return FormatText("+%d \u2212%d ~%d", static_cast<int>(list.added.size()),
                      static_cast<int>(list.removed.size()), static_cast<int>(list.changed.size()));
}

std::string ValueText(const std::optional<ConflictValue>& value) {
    if (!value) return "none";
    struct Visitor {
        std::string operator()(uint8_t type) const { return TypeName(type); }
        std::string operator()(const TileRecord& tile) const {
            return std::string(NameText(tile.name)) + " with " +
                   Counted(tile.pathCount(), "path", "paths") + " and " +
                   Counted(tile.areaCount(), "area", "areas");
        }
        std::string operator()(const TileName& name) const { return std::string(NameText(name)); }
        std::string operator()(const TilePath& path) const {
            return FormatText("%s %g ft wide from (%g, %g) to (%g, %g)", TypeName(path.type),
                              double(path.width), double(path.startX),
                              std::fabs(double(path.startY)), double(path.endX),
                              std::fabs(double(path.endY)));
        }
        std::string operator()(const TileArea& area) const {
            return FormatText("%s of radius %g ft at (%g, %g)", TypeName(area.type),
                              double(area.radius), double(area.centerX), double(area.centerY));
        }
    };
    return std::visit(Visitor{}, *value);
}

}  // namespace

std::vector<CompareRow> CompareRowsOf(const DatabaseDiff& diff) {
    std::vector<CompareRow> rows;
    rows.reserve(diff.tiles.size());
    for (const TileDiff& tile : diff.tiles) {
        CompareRow row;
        row.id = tile.id;
        row.name = std::string(NameText(tile.name));
        row.change = tile.change == TileChange::Added     ? "only here"
                     : tile.change == TileChange::Removed ? "only there"
                                                          : "changed";
        row.paths = CountsText(tile.paths);
        row.areas = CountsText(tile.areas);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ConflictText(const MergeConflict& conflict, const TileDatabase& base) {
    std::string where;
    const TileRecord* tile = base.RecordAt(conflict.set, std::max(conflict.position, 0));
    const std::string name = tile != nullptr ? std::string(NameText(tile->name)) : std::string();
    switch (conflict.kind) {
        case ConflictKind::SetType:
            where = FormatText("Set# %d", conflict.set);
            break;
        case ConflictKind::Layout:
            where = FormatText("The place of Set# %d", conflict.set);
            break;
        case ConflictKind::Tile:
        case ConflictKind::Name:
            where = FormatText("Tile %d %s", conflict.id(), name.c_str());
            break;
        case ConflictKind::Path:
            where = FormatText("Tile %d %s, path %d", conflict.id(), name.c_str(), conflict.entry);
            break;
        case ConflictKind::Area:
            where = FormatText("Tile %d %s, area %d", conflict.id(), name.c_str(), conflict.entry);
            break;
    }
    return where + " was changed on both sides.\n\nWas: " + ValueText(conflict.values[0]) +
           "\nMine: " + ValueText(conflict.values[1]) +
           "\nTheirs: " + ValueText(conflict.values[2]);
}

TeamCommands::~TeamCommands() { StopComparing(); }

void TeamCommands::Register() {
    shell_.RegisterCommand(kMenuCompareWith, [this] { CompareWith(); });
    shell_.RegisterCommand(kMenuMerge, [this] { Merge(); });
}

std::optional<TileDatabase> ChooseDatabase(MainShell& shell, const char* title, std::string* file) {
    ShellPlatform& platform = shell.platform();
    FileDialogRequest request;
    request.title = title;
    request.filter = "Texture.bin file|*.bin||";
    request.proposedName = "Texture.bin";
    request.startFolder = PathFromUtf8(shell.Folder(kTextureFolderSetting));
    request.fileMustExist = true;
    const FileChoice choice = platform.files.OpenFile(request);
    if (!choice.chosen()) return std::nullopt;
    std::optional<TileDatabase> database = LoadTextureBin(choice.path, platform.messages);
    if (!database) {
        platform.messages.Error("Error reading Texture.bin", "Texture.bin Not Loaded");
        return std::nullopt;
    }
    if (file != nullptr) *file = PathToUtf8(choice.path);
    return database;
}

void TeamCommands::CompareWith() {
    std::string file;
    std::optional<TileDatabase> other =
        ChooseDatabase(shell_, "Compare With Texture.bin File", &file);
    if (other) Compare(std::move(*other), file);
}

void TeamCommands::Compare(TileDatabase other, const std::string& file) {
    DatabaseSession& session = shell_.session();
    session.WriteBackTileOnScreen();
    const DatabaseDiff diff = DiffDatabases(other, session.database());
    if (diff.empty()) {
        StopComparing();
        shell_.platform().notices.Notice({FormatText("No tile differs from %s.", file.c_str()),
                                          "Compare With", MessageIcon::Information, file});
        return;
    }
    compared_ = std::move(other);
    if (EditorPanel* editor = session.editor()) editor->CompareWith(&*compared_);
    session.ShowChanges();
    const size_t count = diff.tiles.size();
    const std::string title =
        FormatText(count == 1 ? "%d tile differs from %s" : "%d tiles differ from %s",
                   static_cast<int>(count), file.c_str());
    if (view_ != nullptr) view_->ShowComparison(title, CompareRowsOf(diff));
}

void TeamCommands::OpenRow(int32_t id) {
    if (const std::optional<int> position = shell_.session().database().PositionOfId(id))
        shell_.LoadTileFromList(*position);
}

void TeamCommands::StopComparing() {
    if (EditorPanel* editor = shell_.session().editor()) editor->CompareWith(nullptr);
    compared_.reset();
}

void TeamCommands::Merge() {
    std::optional<TileDatabase> base =
        ChooseDatabase(shell_, "Merge: Choose the Database Both Started From");
    if (!base) return;
    std::optional<TileDatabase> theirs =
        ChooseDatabase(shell_, "Merge: Choose Their Texture.bin File");
    if (theirs) MergeFrom(*base, *theirs);
}

bool TeamCommands::MergeFrom(const TileDatabase& base, const TileDatabase& theirs) {
    DatabaseSession& session = shell_.session();
    ShellPlatform& platform = shell_.platform();
    session.WriteBackTileOnScreen();
    bool stopped = false;
    MergeResult result =
        MergeDatabases(base, session.database(), theirs, [&](const MergeConflict& conflict) {
            // A layout conflict cannot be settled by taking a side.
            if (stopped || conflict.kind == ConflictKind::Layout) return MergeSide::None;
            const size_t answer = platform.questions.AskChoice(
                {ConflictText(conflict, base), "Merge", MessageIcon::Warning},
                {kKeepOurs, kTakeTheirs, kStopMerge}, 0);
            if (answer == 0) return MergeSide::Ours;
            if (answer == 1) return MergeSide::Theirs;
            stopped = true;
            return MergeSide::None;
        });
    if (!result.Settled()) {
        platform.messages.Exclamation(
            stopped ? "The merge was stopped. Nothing was changed."
                    : "Their database cannot be merged into this one: a set or tile would be "
                      "missing before one that is there. Nothing was changed.",
            "Merge");
        return false;
    }
    const size_t taken = DiffDatabases(session.database(), result.merged).tiles.size();
    if (taken == 0) {
        platform.notices.Notice({"Their database holds nothing new. Nothing was changed.", "Merge",
                                 MessageIcon::Information});
        return false;
    }
    session.TakeMerged(std::move(result.merged));
    const size_t settled = result.conflicts.size();
    platform.notices.Notice({Counted(static_cast<long long>(taken), "tile", "tiles") +
                                 " took their changes; " +
                                 Counted(static_cast<long long>(settled), "conflict", "conflicts") +
                                 (settled == 1 ? " was settled." : " were settled."),
                             "Merge", MessageIcon::Information});
    return true;
}

}  // namespace lorvane
