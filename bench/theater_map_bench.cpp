// The theater map window on a 4096 × 4096-post theater (a pattern of 64 × 64
// tiles whose roads, rivers and railways meet), beside decoding the matrix
// alone from its L2M bytes:
// - opening the window on the matrix the shell already holds: finding the
//   orientation and the seams and their posts, and drawing the picture at
//   one pixel a post, as the window does (it decodes nothing);
// - the picture and the seams alone;
// - one frame zoomed in far enough for paths (a 1280 × 1024 region).
// The ratios are printed at the end, then the open beside one decode in
// paired runs.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/file_io.h"
#include "ratio_reporter.h"
#include "support/texture_builder.h"
#include "support/theater_builder.h"
#include "terrain/terrain_files.h"
#include "theater/seams.h"
#include "theater/theater_picture.h"

namespace {

using namespace lorvane;
namespace fs = std::filesystem;

constexpr int32_t kPosts = 4096;

// The theater and its L2M file, made once.
struct Fixture {
    Fixture() {
        testing::RoadTheater built = testing::MakeRoadTheater(kPosts, kPosts, 64, 64, 3, 17);
        database = std::move(built.database);
        folder = testing::MakeTempFolder("theater-map-bench");
        SilentProgress progress;
        NullMessages messages;
        SaveMatrixAsL2M(folder / "Theater.L2M", built.matrix, progress, messages);
        matrix = std::move(built.matrix);
        file = FileBytes::Open(folder / "Theater.L2M");
    }
    ~Fixture() { fs::remove_all(folder); }

    TileDatabase database;
    TerrainMatrix matrix;
    fs::path folder;
    std::optional<FileBytes> file;
};

Fixture& Theater() {
    static Fixture fixture;
    return fixture;
}

std::optional<TerrainMatrix> Decode() {
    SilentProgress progress;
    NullMessages messages;
    return LoadMatrixFromL2M(Theater().file->Bytes(), progress, messages);
}

void BM_DecodeMatrix(benchmark::State& state) {
    Theater();
    lorvane::bench::RunWithPeak(state, [] {
        auto matrix = Decode();
        benchmark::DoNotOptimize(matrix);
    });
}

// What the window does when it opens (TheaterMapWindow::Rebuild): on the
// matrix the shell holds, the orientation, the seams and their posts, and
// the picture.
void OpenTheaterMap() {
    const Fixture& theater = Theater();
    const SeamFinder finder(theater.matrix, theater.database);
    const int orientation = finder.FindOrientation();
    auto seams = finder.Seams(orientation);
    auto posts = finder.SeamPosts(orientation);
    SilentProgress progress;
    auto picture =
        RenderTheaterPicture(theater.matrix, &theater.database, {1, orientation, {}}, progress);
    benchmark::DoNotOptimize(seams);
    benchmark::DoNotOptimize(posts);
    benchmark::DoNotOptimize(picture);
}

void BM_OpenTheaterMap(benchmark::State& state) {
    Theater();
    lorvane::bench::RunWithPeak(state, OpenTheaterMap);
}

constexpr int kPairs = 15;

// The window's open beside one decode, in paired runs, the order alternating.
void ReportPaired() {
    const lorvane::bench::Paired paired = lorvane::bench::MeasurePaired(
        OpenTheaterMap, [] { benchmark::DoNotOptimize(Decode()); }, kPairs);
    std::printf(
        "\npaired open theater map / decode matrix, 4096 posts, median of %d: wall %.2f (%.0f ms "
        "/ %.0f ms), processor %.2f\n",
        kPairs, paired.wall, 1000 * paired.oursWall, 1000 * paired.otherWall, paired.cpu);
}

void BM_MapPicture(benchmark::State& state) {
    const Fixture& theater = Theater();
    lorvane::bench::RunWithPeak(state, [&] {
        SilentProgress progress;
        auto picture =
            RenderTheaterPicture(theater.matrix, &theater.database, {1, 3, {}}, progress);
        benchmark::DoNotOptimize(picture);
    });
}

void BM_FindSeams(benchmark::State& state) {
    const Fixture& theater = Theater();
    lorvane::bench::RunWithPeak(state, [&] {
        const SeamFinder finder(theater.matrix, theater.database);
        const int orientation = finder.FindOrientation();
        auto posts = finder.SeamPosts(orientation);
        benchmark::DoNotOptimize(posts);
    });
}

// One frame at 16 pixels a post: 80 × 64 posts with their paths.
void BM_ZoomedFrame(benchmark::State& state) {
    const Fixture& theater = Theater();
    lorvane::bench::RunWithPeak(state, [&] {
        SilentProgress progress;
        auto frame = RenderTheaterRegion(theater.matrix, &theater.database, {2000, 2000, 80, 64},
                                         {16, 3, {}}, progress);
        benchmark::DoNotOptimize(frame);
    });
}

BENCHMARK(BM_DecodeMatrix)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenTheaterMap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MapPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindSeams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomedFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kDecode =
        "one decode of the 4096 x 4096 matrix from its L2M bytes in memory into a new matrix";
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"open theater map / decode matrix, 4096 posts", "BM_OpenTheaterMap", "BM_DecodeMatrix",
          kDecode},
         {"map picture / decode matrix", "BM_MapPicture", "BM_DecodeMatrix", kDecode},
         {"seams / decode matrix", "BM_FindSeams", "BM_DecodeMatrix", kDecode},
         {"zoomed frame / decode matrix", "BM_ZoomedFrame", "BM_DecodeMatrix", kDecode}},
        ReportPaired);
}
