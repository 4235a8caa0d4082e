// The tracer on a painted 1024 × 1024 tile: the one-time measure of the
// image's lines when a tile is loaded, and one trace per pointer move while
// the preview follows the pointer (budget: 50 ms a move). The moves go from
// a click on a curved road to points along it at 40 to 300 pixels (across a
// river on the way), to a point 900 pixels along a straight road, 300 pixels
// along a road hidden for 60 of them, round a bend of the river (whose
// search box is widened), and to points off any road. A search reaches
// every pixel that costs less to get to than the way it finds, so the moves
// across the cover and off the road, whose ways cross ground, cost the most. The ratio of a move
// to the precompute is printed at the end.

#include <benchmark/benchmark.h>

#include <cmath>

#include "ratio_reporter.h"
#include "support/painted_tile.h"
#include "trace/tracer.h"

namespace {

using namespace lorvane;

constexpr int32_t kSize = 1024;

struct BenchTile {
    PcxImage image;
    std::vector<TracePoint> curve;     // pixels
    std::vector<TracePoint> straight;  // pixels
    std::vector<TracePoint> covered;   // pixels
};

const BenchTile& Tile() {
    static const BenchTile tile = [] {
        BenchTile t{testing::PaintedGround(kSize, 17), {}, {}, {}};
        t.curve = testing::ArcLine(100, 1100, 800, -80, -10);
        t.straight = {{60, 120}, {980, 300}};
        testing::PaintBand(t.image, t.curve, 9, testing::kRoadColour);
        testing::PaintBand(t.image, t.straight, 4, testing::kRoadColour);
        testing::PaintBand(t.image, testing::ArcLine(560, 600, 200, 0, 360), 12,
                           testing::kRiverColour);
        // A second straight road, hidden for 60 pixels by a blot of
        // ground colour (a wood or a cloud over the road).
        t.covered = {{100, 1000}, {1000, 900}};
        testing::PaintBand(t.image, t.covered, 6, testing::kRoadColour);
        testing::PaintBand(t.image, {{520, 953}, {580, 947}}, 20, 3);
        return t;
    }();
    return tile;
}

void BM_TracerPrecompute(benchmark::State& state) {
    const PcxImage& image = Tile().image;
    bench::RunWithPeak(state, [&] {
        Tracer tracer(image);
        benchmark::DoNotOptimize(tracer.width());
    });
}

// Cycles through the pointer positions, one trace per iteration.
void RunMoves(benchmark::State& state, TracePoint from, const std::vector<TracePoint>& to) {
    Tracer tracer(Tile().image);
    const TracePoint click = tracer.ToFeet({from.x, from.y});
    std::vector<TracePoint> pointer;
    for (const TracePoint p : to) pointer.push_back(tracer.ToFeet({p.x, p.y}));
    size_t next = 0;
    lorvane::bench::RunWithPeak(state, [&] {
        auto result = tracer.Trace(click, pointer[next]);
        benchmark::DoNotOptimize(result);
        next = (next + 1) % pointer.size();
    });
}

void BM_TraceMoveAlongCurve(benchmark::State& state) {
    const auto& curve = Tile().curve;  // a point a degree, 14 pixels apart
    std::vector<TracePoint> to;
    for (size_t i = 13; i <= 32; ++i) to.push_back(curve[i]);
    RunMoves(state, curve[10], to);
}

void BM_TraceMoveLongStraight(benchmark::State& state) {
    RunMoves(state, {70, 122}, {{960, 296}, {950, 294}});
}

// 300 pixels along a road of which 60 are hidden.
void BM_TraceMoveAcrossCover(benchmark::State& state) {
    RunMoves(state, {400, 966.7}, {{700, 933.3}, {690, 934.4}});
}

// Along the river's circle from one point to points 140 to 160 degrees
// round it: the bend reaches out farther than the first search box, which
// is widened (searched again) once or twice.
void BM_TraceMoveAroundBend(benchmark::State& state) {
    const auto circle = testing::ArcLine(560, 600, 200, 0, 360);
    RunMoves(state, circle[0], {circle[140], circle[150], circle[160]});
}

void BM_TraceMoveOffRoad(benchmark::State& state) {
    const auto& curve = Tile().curve;
    const TracePoint from = curve[10];
    RunMoves(state, from, {{from.x + 150, from.y + 150}, {from.x + 250, from.y - 100}});
}

BENCHMARK(BM_TracerPrecompute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceMoveAlongCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceMoveLongStraight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceMoveAcrossCover)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceMoveAroundBend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceMoveOffRoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"move along a curve / precompute", "BM_TraceMoveAlongCurve", "BM_TracerPrecompute"},
         {"move off the road / precompute", "BM_TraceMoveOffRoad", "BM_TracerPrecompute"}});
}
