// The suggester on a painted 1024 × 1024 tile with a curved road, a
// straight one, a river ring and a road crossing it: the time of one
// SuggestPaths call (line measure included) and its peak memory. At the
// end, how well the suggestions cover the painted tiles of the tests
// (tests/support/suggest_scenes.h): figures, not a check.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "ratio_reporter.h"
#include "support/painted_tile.h"
#include "support/suggest_scenes.h"
#include "trace/suggester.h"
#include "trace/tracer.h"

namespace {

using namespace lorvane;

const PcxImage& Tile() {
    static const PcxImage image = [] {
        PcxImage t = testing::PaintedGround(1024, 17);
        testing::PaintBand(t, testing::ArcLine(100, 1100, 800, -80, -10), 9, testing::kRoadColour);
        testing::PaintBand(t, {{60, 120}, {980, 300}}, 4, testing::kRoadColour);
        testing::PaintBand(t, testing::ArcLine(560, 600, 200, 20, 340), 12, testing::kRiverColour);
        testing::PaintBand(t, {{100, 1000}, {1000, 500}}, 6, testing::kRoadColour);
        return t;
    }();
    return image;
}

void BM_SuggestPaths(benchmark::State& state) {
    const PcxImage& image = Tile();
    size_t found = 0;
    bench::RunWithPeak(state, [&] {
        const auto paths = SuggestPaths(image);
        found = paths.size();
        benchmark::DoNotOptimize(paths.data());
    });
    state.counters["paths"] = static_cast<double>(found);
}

// The tracer's one-time measure of the same tile: the floor.
void BM_LineMeasure(benchmark::State& state) {
    const PcxImage& image = Tile();
    bench::RunWithPeak(state, [&] {
        Tracer tracer(image);
        benchmark::DoNotOptimize(tracer.width());
    });
}

BENCHMARK(BM_SuggestPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineMeasure)->Unit(benchmark::kMillisecond);

void ReportScores() {
    for (const int32_t size : {256, 1024}) {
        std::vector<testing::SuggestScore> scores;
        for (const uint32_t seed : {1u, 2u, 3u})
            for (const testing::PaintedScene& scene : testing::SuggestScenes(size, seed))
                scores.push_back(testing::ScoreSuggestions(scene, SuggestPaths(scene.image)));
        const testing::SuggestScore all = testing::Combine(scores);
        std::printf(
            "suggest on %zu painted %d x %d tiles: completeness %.1f %%, correctness %.1f %%\n",
            scores.size(), size, size, 100 * all.completeness, 100 * all.correctness);
    }
}

}  // namespace

int main(int argc, char** argv) {
    return lorvane::bench::RunWithRatios(argc, argv,
                                         {{"suggest / line measure", "BM_SuggestPaths",
                                           "BM_LineMeasure", "the tracer's precompute"}},
                                         ReportScores);
}
