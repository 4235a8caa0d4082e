// The selection of several entries and the commands that act on all of it.

#include "editor/selection.h"

#include <algorithm>

#include "base/format.h"
#include "editor/view_transform.h"

namespace lorvane {

namespace {

bool SameEntry(const Pick& a, const Pick& b) { return a.kind == b.kind && a.entry == b.entry; }

bool InTables(const EditorWorkingSet& tables, const Pick& pick) {
    return pick.entry >= 1 && pick.entry <= EntryCount(tables, pick.kind);
}

Pick PickOf(EntryKind kind, int32_t entry) {
    return {kind, entry, kind == EntryKind::Path ? PickPart::Body : PickPart::Centre};
}

// The picks sorted by kind (paths first) and entry.
std::vector<Pick> InTableOrder(std::span<const Pick> picks) {
    std::vector<Pick> sorted(picks.begin(), picks.end());
    std::sort(sorted.begin(), sorted.end(), [](const Pick& a, const Pick& b) {
        return a.kind != b.kind ? a.kind == EntryKind::Path : a.entry < b.entry;
    });
    return sorted;
}

// One command for the entries' commands: the one alone, or a group
// named "<first's text> of N Entries" (verb: the group's whole name).
std::unique_ptr<EditCommand> OneStep(int32_t tileId,
                                     std::vector<std::unique_ptr<EditCommand>> commands,
                                     const std::string& text) {
    if (commands.empty()) return nullptr;
    if (commands.size() == 1) return std::move(commands.front());
    return std::make_unique<CommandGroup>(tileId, std::move(commands), text);
}

std::string EntriesText(const char* verb, size_t count) {
    return FormatText("%s %d Entries", verb, static_cast<int>(count));
}

}  // namespace

std::vector<Pick> Selection::Entries(const EditorWorkingSet& tables) const {
    std::vector<Pick> entries;
    for (const Pick& pick : picks_) {
        if (!InTables(tables, pick)) continue;
        const auto same = [&](const Pick& p) { return SameEntry(p, pick); };
        const auto was = std::find_if(entries.begin(), entries.end(), same);
        if (was != entries.end()) entries.erase(was);
        entries.push_back(pick);
    }
    return entries;
}

std::optional<Pick> Selection::Current(const EditorWorkingSet& tables) const {
    for (auto pick = picks_.rbegin(); pick != picks_.rend(); ++pick)
        if (InTables(tables, *pick)) return *pick;
    return std::nullopt;
}

bool Selection::Contains(EntryKind kind, int32_t entry) const {
    return std::any_of(picks_.begin(), picks_.end(),
                       [&](const Pick& p) { return p.kind == kind && p.entry == entry; });
}

void Selection::SetOnly(std::optional<Pick> pick) {
    picks_.clear();
    if (pick) picks_.push_back(*pick);
}

void Selection::Add(const Pick& pick) {
    std::erase_if(picks_, [&](const Pick& p) { return SameEntry(p, pick); });
    picks_.push_back(pick);
}

void Selection::Toggle(const Pick& pick) {
    if (Contains(pick.kind, pick.entry)) {
        std::erase_if(picks_, [&](const Pick& p) { return SameEntry(p, pick); });
        return;
    }
    picks_.push_back(pick);
}

void Selection::MakeCurrent(const Pick& pick) {
    if (Contains(pick.kind, pick.entry)) Add(pick);
}

std::vector<Pick> AllEntries(const EditorWorkingSet& tables, bool paths, bool areas) {
    std::vector<Pick> picks;
    if (paths)
        for (int32_t n = 1; n <= tables.pathCount(); ++n)
            picks.push_back(PickOf(EntryKind::Path, n));
    if (areas)
        for (int32_t n = 1; n <= tables.areaCount(); ++n)
            picks.push_back(PickOf(EntryKind::Area, n));
    return picks;
}

std::vector<Pick> EntriesInBox(const EditorWorkingSet& tables, FeetPointF a, FeetPointF b,
                               bool paths, bool areas) {
    const double lowX = std::min(a.x, b.x), highX = std::max(a.x, b.x);
    const double lowY = std::min(a.y, b.y), highY = std::max(a.y, b.y);
    const auto inside = [&](double x, double y, double margin) {
        return x - margin >= lowX && x + margin <= highX && y - margin >= lowY &&
               y + margin <= highY;
    };
    std::vector<Pick> picks;
    if (paths) {
        for (int32_t n = 1; n <= tables.pathCount(); ++n) {
            const WorkingPath& p = tables.Path(n);
            if (inside(p.startX, p.startY, 0) && inside(p.endX, p.endY, 0))
                picks.push_back(PickOf(EntryKind::Path, n));
        }
    }
    if (areas) {
        for (int32_t n = 1; n <= tables.areaCount(); ++n) {
            const WorkingArea& area = tables.Area(n);
            if (inside(area.centerX, area.centerY, std::max(double(area.radius), 0.0)))
                picks.push_back(PickOf(EntryKind::Area, n));
        }
    }
    return picks;
}

ClipboardEntries SelectedClipboardEntries(const EditorWorkingSet& tables,
                                          std::span<const Pick> picks) {
    ClipboardEntries entries;
    int32_t previousPath = 0;
    for (const Pick& pick : InTableOrder(picks)) {
        if (!InTables(tables, pick)) continue;
        if (pick.kind == EntryKind::Path) {
            WorkingPath segment = tables.Path(pick.entry);
            if (pick.entry != previousPath + 1 || previousPath == 0) segment.beginsPath = true;
            previousPath = pick.entry;
            entries.paths.push_back(segment);
        } else {
            entries.areas.push_back(tables.Area(pick.entry));
        }
    }
    return entries;
}

std::unique_ptr<EditCommand> RemoveEntries(const EditorWorkingSet& tables, int32_t tileId,
                                           std::span<const Pick> picks) {
    // From the last entry back, so that each removal leaves the numbers of
    // those still to remove as they were.
    std::vector<Pick> sorted = InTableOrder(picks);
    std::reverse(sorted.begin(), sorted.end());
    std::vector<std::unique_ptr<EditCommand>> commands;
    for (const Pick& pick : sorted) {
        if (auto command = MakeRemoveEntry(tables, tileId, pick.kind, pick.entry))
            commands.push_back(std::move(command));
    }
    const size_t count = commands.size();
    return OneStep(tileId, std::move(commands), EntriesText("Delete", count));
}

std::unique_ptr<EditCommand> MoveEntries(const EditorWorkingSet& tables, int32_t tileId,
                                         std::span<const Pick> picks, double dx, double dy) {
    const std::vector<Pick> sorted = InTableOrder(picks);
    const ClipboardEntries before = SelectedClipboardEntries(tables, sorted);
    const ClipboardEntries after = MovedOnTile(before, dx, dy);
    std::vector<std::unique_ptr<EditCommand>> commands;
    const auto add = [&](EntryKind kind, int32_t entry, PointRole role, float x, float y) {
        if (auto move = MakeMovePoint(tables, tileId, kind, entry, role, {x, y}))
            commands.push_back(std::move(move));
    };
    size_t path = 0, area = 0;
    for (const Pick& pick : sorted) {
        if (!InTables(tables, pick)) continue;
        if (pick.kind == EntryKind::Path) {
            const WorkingPath& moved = after.paths[path++];
            add(EntryKind::Path, pick.entry, PointRole::Start, moved.startX, moved.startY);
            add(EntryKind::Path, pick.entry, PointRole::End, moved.endX, moved.endY);
        } else {
            const WorkingArea& moved = after.areas[area++];
            add(EntryKind::Area, pick.entry, PointRole::Centre, moved.centerX, moved.centerY);
        }
    }
    if (commands.empty()) return nullptr;
    // The moves of one segment's two ends are one step too.
    const size_t entries = before.paths.size() + before.areas.size();
    return std::make_unique<CommandGroup>(
        tileId, std::move(commands),
        entries == 1 ? std::string("Move 1 Entry") : EntriesText("Move", entries));
}

std::unique_ptr<EditCommand> ChangeEntries(const EditorWorkingSet& tables, int32_t tileId,
                                           std::span<const Pick> picks, EntryKind kind,
                                           ValueField field, float to) {
    std::vector<std::unique_ptr<EditCommand>> commands;
    for (const Pick& pick : InTableOrder(picks)) {
        if (pick.kind != kind) continue;
        if (auto command = MakeChangeValue(tables, tileId, kind, pick.entry, field, to))
            commands.push_back(std::move(command));
    }
    if (commands.empty()) return nullptr;
    const std::string text = commands.front()->Text() + " of";
    const size_t count = commands.size();
    return OneStep(tileId, std::move(commands), EntriesText(text.c_str(), count));
}

}  // namespace lorvane
