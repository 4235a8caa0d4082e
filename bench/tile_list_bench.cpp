// Filling and sorting the tile list of 4096 tiles (256 sets of 16), beside
// the least work each job does: one pass that reads every index entry and
// writes the rows out (fill), or reads every row and writes it into a new
// order (sort). Ratios are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "ratio_reporter.h"
#include "shell/tile_list.h"
#include "support/texture_builder.h"

namespace {

using namespace lorvane;

const TileDatabase& Database() {
    static const TileDatabase database = [] {
        TileDatabase made = testing::MakeLargeDatabase(256, 16, 2, 1);
        for (size_t i = 0; i < made.index.size(); i += 7) made.index[i].modified = 1;
        return made;
    }();
    return database;
}

// The least work of a fill: each entry read once and all seven cells of its
// row written: id, modified mark, name, type name, set, path and area counts.
void BM_CopyIndexIntoRows(benchmark::State& state) {
    const TileDatabase& database = Database();
    lorvane::bench::RunWithPeak(state, [&] {
        std::vector<TileListRow> rows(database.index.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const TileIndexEntry& entry = database.index[i];
            const TileRecord& tile = *database.Tile(entry);
            auto& cells = rows[i].cells;
            rows[i].position = static_cast<int>(i);
            cells[0] = std::to_string(entry.id);
            if (entry.modified != 0) cells[1] = kModifiedMark;
            cells[2] = NameText(entry.name);
            cells[3] = TypeName(entry.terrainType);
            cells[4] = std::to_string(entry.setIndex);
            cells[5] = std::to_string(tile.pathCount());
            cells[6] = std::to_string(tile.areaCount());
        }
        benchmark::DoNotOptimize(rows.data());
    });
}

void BM_FillTileList(benchmark::State& state) {
    const TileDatabase& database = Database();
    lorvane::bench::RunWithPeak(state, [&] {
        TileList list;
        list.Fill(database, database.tileCount());
        benchmark::DoNotOptimize(list.rows.data());
    });
}

// The least work of a sort: every row moved once into a new order (reversed).
void BM_MoveRowsOnce(benchmark::State& state) {
    TileList list;
    list.Fill(Database(), Database().tileCount());
    lorvane::bench::RunWithPeak(state, [&] {
        std::vector<TileListRow> moved(list.rows.size());
        for (size_t i = 0; i < list.rows.size(); ++i)
            moved[list.rows.size() - 1 - i] = std::move(list.rows[i]);
        list.rows.swap(moved);
        benchmark::DoNotOptimize(list.rows.data());
    });
}

// A header click on a column; the direction alternates, so every sort moves rows.
void BM_SortByHeader(benchmark::State& state) {
    TileList list;
    list.Fill(Database(), Database().tileCount());
    const int column = static_cast<int>(state.range(0));
    lorvane::bench::RunWithPeak(state, [&] {
        list.SortByHeader(Database(), column);
        benchmark::DoNotOptimize(list.rows.data());
    });
}

BENCHMARK(BM_CopyIndexIntoRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillTileList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveRowsOnce)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortByHeader)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<lorvane::bench::RatioOf> ratios = {
        {"fill / copy", "BM_FillTileList", "BM_CopyIndexIntoRows",
         "each of the 4096 index entries read once and its row's seven texts written"}};
    for (int column = 0; column < 7; ++column) {
        ratios.push_back({"sort column " + std::to_string(column) + " / move",
                          "BM_SortByHeader/" + std::to_string(column), "BM_MoveRowsOnce",
                          "every row moved once into a new order"});
    }
    return lorvane::bench::RunWithRatios(argc, argv, std::move(ratios));
}
