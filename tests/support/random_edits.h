#pragma once
// Random tiles and random edit commands of every kind, groups of them
// included, made from the tables as they are (for the random edit-sequence
// tests of the edit model and of the journal).

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/edit_command.h"
#include "support/texture_builder.h"

namespace lorvane::testing {

class RandomEdits {
  public:
    explicit RandomEdits(uint32_t seed) : random_(seed) {}

    int32_t Pick(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random_);
    }

    // Feet from low to high, often with a fraction (eighths or tenths), as
    // a point placed at a deep zoom or typed has them.
    float Feet(int32_t low, int32_t high) {
        switch (Pick(0, 2)) {
            case 0:
                return static_cast<float>(Pick(low, high));
            case 1:
                return static_cast<float>(Pick(low * 8, high * 8)) / 8.0f;
            default:
                return static_cast<float>(Pick(low * 10, high * 10)) / 10.0f;
        }
    }

    // Three tiles of a few paths and areas, in whole and (broken) in broken
    // feet.
    std::vector<TileRecord> Tiles(bool broken = true) {
        const float part = broken ? 0.25f : 0.0f;
        std::vector<TileRecord> tiles;
        for (int t = 0; t < 3; ++t) {
            std::vector<TilePath> paths;
            std::vector<TileArea> areas;
            for (int p = Pick(0, 3); p > 0; --p)
                paths.push_back({10, 50 + 2 * part, float(Pick(0, 3280)), Pick(0, 3280) + part,
                                 float(Pick(0, 3280)), float(Pick(0, 3280))});
            for (int a = Pick(0, 2); a > 0; --a)
                areas.push_back(
                    {1, Pick(1, 900) + 2 * part, float(Pick(0, 3280)), float(Pick(0, 3280))});
            tiles.push_back(MakeTile("H00" + std::to_string(t) + ".PCX", paths, areas));
        }
        return tiles;
    }

    // A command of one kind (add a segment or an area, remove, move a point,
    // change a value) on the tables; null when the one drawn would not fit.
    std::unique_ptr<EditCommand> Single(const EditorWorkingSet& w, int32_t id) {
        const EntryKind list = Pick(0, 1) == 0 ? EntryKind::Path : EntryKind::Area;
        const int32_t entry = Pick(1, std::max(EntryCount(w, list), 1));
        switch (Pick(0, 4)) {
            case 0:
                return std::make_unique<AddSegmentCommand>(
                    id, Pick(1, w.pathCount() + 1),
                    WorkingPath{Pick(0, 4), Feet(1, 200), Feet(0, 3280), Feet(0, 3280),
                                Feet(0, 3280), Feet(0, 3280), Pick(0, 1) == 0});
            case 1:
                return std::make_unique<AddAreaCommand>(
                    id, Pick(1, w.areaCount() + 1),
                    WorkingArea{Pick(0, 10), Feet(1, 900), Feet(0, 3280), Feet(0, 3280)});
            case 2:
                return MakeRemoveEntry(w, id, list, entry);
            case 3: {
                const PointRole role = list == EntryKind::Area ? PointRole::Centre
                                       : Pick(0, 1) == 0       ? PointRole::Start
                                                               : PointRole::End;
                return MakeMovePoint(w, id, list, entry, role, {Feet(0, 3280), Feet(0, 3280)});
            }
            default: {
                const auto field = static_cast<ValueField>(Pick(0, 8));
                const float value = field == ValueField::Type ? static_cast<float>(Pick(0, 4))
                                    : field == ValueField::Width || field == ValueField::Radius
                                        ? Feet(1, 3280)
                                        : Feet(0, 3280);
                return MakeChangeValue(w, id, list, entry, field, value);
            }
        }
    }

    // A single command, or now and then a group of two or three made one
    // after the other (as a joint drag moves the end of one segment and the
    // start of the next).
    std::unique_ptr<EditCommand> Command(const EditorWorkingSet& w, int32_t id) {
        if (Pick(0, 3) != 0) return Single(w, id);
        EditorWorkingSet tables;
        tables.paths = w.paths;
        tables.areas = w.areas;
        std::vector<std::unique_ptr<EditCommand>> commands;
        for (int n = Pick(2, 3); n > 0; --n) {
            std::unique_ptr<EditCommand> command = Single(tables, id);
            if (command == nullptr || !command->Redo(tables)) continue;
            commands.push_back(std::move(command));
        }
        if (commands.empty()) return nullptr;
        return std::make_unique<CommandGroup>(id, std::move(commands));
    }

  private:
    std::mt19937 random_;
};

}  // namespace lorvane::testing
