// One frame of the zoomable viewer: a 1024 × 1024 tile with 1000 path
// segments and 200 areas, built from the model and painted on an 800 × 800
// viewer, at the fitted zoom, at the deepest zoom, and while panning at the
// deepest zoom; beside the time of decoding the tile image once (which zoom
// and pan never do again: the frame paints the image converted at load).
// Times in milliseconds; the ratios are printed at the end.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "editor/frame.h"
#include "ratio_reporter.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "ui/frame_painter.h"

namespace {

using namespace lorvane;

constexpr int kViewer = 800;

struct Fixture {
    Fixture() : folder(testing::MakeTempFolder("lorvane-frame-bench")) {
        image = folder / "H000.PCX";
        testing::WriteFileBytes(image,
                                testing::WritePcx(testing::MakePatternPicture(1024, 1024, 5)));
        const auto decoded = LoadPcxTile(image);
        if (!decoded) {
            std::fprintf(stderr, "the tile image was not decoded\n");
            std::exit(1);
        }
        tile = TileImage(*decoded);
        // Roads and rivers of 50 to 400 feet across the whole tile, areas
        // of 50 to 300 feet.
        std::mt19937 random(1024);
        std::uniform_int_distribution<int32_t> feet(0, 3280);
        std::uniform_int_distribution<int32_t> step(-400, 400);
        const auto f = [](int32_t value) { return static_cast<float>(value); };
        for (int i = 0; i < 1000; ++i) {
            const int32_t x = feet(random);
            const int32_t y = feet(random);
            paths.push_back({i % 5, f(20 + i % 80), f(x), f(i % 4 == 0 ? -y : y),
                             f(std::clamp(x + step(random), 0, 3280)),
                             f(std::clamp(y + step(random), 0, 3280))});
        }
        for (int i = 0; i < 200; ++i) {
            const float radius = f(50 + i % 250);
            const float x = f(feet(random));
            areas.push_back({i % 11, radius, x, f(feet(random))});
        }
    }
    ~Fixture() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path image;
    QImage tile;
    std::vector<WorkingPath> paths;
    std::vector<WorkingArea> areas;
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void PaintOnce(const ViewTransform& view, QImage& target) {
    Fixture& data = Data();
    const Pick picked{EntryKind::Path, 7, PickPart::Body};
    const std::vector<FrameItem> items =
        BuildFrame({view, data.tile.width(), data.tile.height(), data.paths, data.areas, true, true,
                    std::span(&picked, 1), std::nullopt, std::nullopt, std::nullopt});
    QPainter painter(&target);
    painter.fillRect(target.rect(), Qt::darkGray);
    PaintFrame(painter, items, data.tile);
}

void BM_DecodeImage(benchmark::State& state) {
    Fixture& data = Data();
    lorvane::bench::RunWithPeak(state, [&] {
        auto decoded = LoadPcxTile(data.image);
        benchmark::DoNotOptimize(decoded->pixels.data());
    });
}

void BM_FrameFitted(benchmark::State& state) {
    QImage target(kViewer, kViewer, QImage::Format_ARGB32_Premultiplied);
    const ViewTransform view(kViewer, kViewer, 1024);
    lorvane::bench::RunWithPeak(state, [&] {
        PaintOnce(view, target);
        benchmark::DoNotOptimize(target.constBits());
    });
}

void BM_FrameDeepest(benchmark::State& state) {
    QImage target(kViewer, kViewer, QImage::Format_ARGB32_Premultiplied);
    ViewTransform view(kViewer, kViewer, 1024);
    view.ZoomSteps(100);
    lorvane::bench::RunWithPeak(state, [&] {
        PaintOnce(view, target);
        benchmark::DoNotOptimize(target.constBits());
    });
}

void BM_FramePanningDeepest(benchmark::State& state) {
    QImage target(kViewer, kViewer, QImage::Format_ARGB32_Premultiplied);
    ViewTransform view(kViewer, kViewer, 1024);
    view.ZoomSteps(100);
    int step = 0;
    lorvane::bench::RunWithPeak(state, [&] {
        ++step;
        view.PanBy(step % 40 < 20 ? 37 : -37, step % 60 < 30 ? 23 : -23);
        PaintOnce(view, target);
        benchmark::DoNotOptimize(target.constBits());
    });
}

BENCHMARK(BM_DecodeImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameFitted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameDeepest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePanningDeepest)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kDecode = "one decode of the tile's PCX image from its bytes in memory";
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"fitted frame / decode", "BM_FrameFitted", "BM_DecodeImage", kDecode},
         {"deepest frame / decode", "BM_FrameDeepest", "BM_DecodeImage", kDecode},
         {"panning frame / decode", "BM_FramePanningDeepest", "BM_DecodeImage", kDecode}});
}
