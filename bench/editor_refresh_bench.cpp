// The viewer's refresh on the desktop program's canvas: a 1024 × 1024 tile
// image decoded from its file, stretched over the viewer, with 1000 path
// segments and 200 areas drawn over it; and one step of the rubber band (two
// lines and two circles inverted). Beside them the least work: reading the
// image file, and decoding it alone. Times in milliseconds; the ratios are
// printed at the end.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "base/command_ids.h"
#include "base/file_io.h"
#include "editor/editor_panel.h"
#include "ratio_reporter.h"
#include "support/pcx_writer.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "ui/backing_canvas.h"

namespace {

using namespace lorvane;

// The viewer of the panel at its usual size: 350 × 325 pixels inside its frame.
constexpr int kViewerWidth = 350;
constexpr int kViewerHeight = 325;

class QuietHost : public PanelHost {
  public:
    void SetMainTitle(const std::string&) override {}
    void SetDatabaseMenus(bool) override {}
    void RememberRecentFile(const std::string&) override {}
    void RefillTileList() override {}
    void UpdateTileListRow(int) override {}
    void FocusTileList() override {}
    void StepTileList(TileStep) override {}
    void Beep() override {}
    bool RunNewPathDialog() override { return true; }
    bool RunNewAreaDialog() override { return true; }
    std::string& Folder(const char*) override { return folder; }
    void StoreFolder(const char*, const std::string&) override {}
    void StartBlinkTimer(int) override {}
    void StopBlinkTimer() override {}
    void CommandPosted() override {}
    std::string folder;
};

class NoFiles : public FileChooser {
  public:
    FileChoice OpenFile(const FileDialogRequest&) override { return FileChoice::Cancelled(); }
    FileChoice OpenFiles(const FileDialogRequest&) override { return FileChoice::Cancelled(); }
    FileChoice SaveFile(const FileDialogRequest&) override { return FileChoice::Cancelled(); }
};

struct Fixture {
    Fixture()
        : folder(testing::MakeTempFolder("lorvane-refresh-bench")),
          canvas(QSize(kViewerWidth, kViewerHeight)),
          panel({database, textureLoaded, folder}, {messages, files, host, canvas}) {
        image = folder / "H000.PCX";
        testing::WriteFileBytes(image,
                                testing::WritePcx(testing::MakePatternPicture(1024, 1024, 11)));
        testing::WriteFileBytes(folder / "Texture.bin",
                                SerializeTextureBin(testing::MakeLargeDatabase(1, 1, 1000, 200)));
        panel.Initialise();
        panel.SetViewerPlacement(
            {kViewerWidth, kViewerHeight, {8, 37, 8 + kViewerWidth + 6, 37 + kViewerHeight + 6}});
        panel.SetTexturePath((folder / "Texture.bin").string());
        panel.Command(kPanelLoadTexturePath);
        panel.SetTileImage(image.string(), "H000.PCX");
        panel.Command(kPanelLoadTileImage);
        panel.RunPosted();
        if (panel.tables().pathCount() != 1000 || panel.tables().areaCount() != 200) {
            std::fprintf(stderr, "the tile was not taken in\n");
            std::exit(1);
        }
    }
    ~Fixture() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path image;
    TileDatabase database;
    bool textureLoaded = false;
    NullMessages messages;
    NoFiles files;
    QuietHost host;
    BackingCanvas canvas;
    EditorPanel panel;
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadImageFile(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        auto bytes = FileBytes::Open(data.image);
        benchmark::DoNotOptimize(bytes->Bytes().data());
    }
}

void BM_DecodeImage(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        auto decoded = LoadPcxTile(data.image);
        benchmark::DoNotOptimize(decoded->pixels.data());
    }
}

void BM_FullRefresh(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        data.panel.Command(kPanelRefresh);
        benchmark::DoNotOptimize(data.canvas.Image().constBits());
    }
}

void BM_RubberBandStep(benchmark::State& state) {
    Fixture& data = Data();
    EditorPanel& panel = data.panel;
    panel.Command(kPanelNewArea);
    const ImageArea& area = panel.geometry().imageArea;
    panel.LeftButtonUp(area.left + 150, area.top + 150);  // a centre: the band follows
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 100;
        panel.MouseMove(area.left + 160 + step, area.top + 140 + step / 2);
        benchmark::DoNotOptimize(data.canvas.Image().constBits());
    }
    panel.RightButtonUp(area.left + 150, area.top + 150);
    panel.RunPosted();
}

BENCHMARK(BM_ReadImageFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RubberBandStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    return lorvane::bench::RunWithRatios(
        argc, argv,
        {{"refresh / decode", "BM_FullRefresh", "BM_DecodeImage"},
         {"refresh / read", "BM_FullRefresh", "BM_ReadImageFile"},
         {"decode / read", "BM_DecodeImage", "BM_ReadImageFile"},
         {"rubber-band step / refresh", "BM_RubberBandStep", "BM_FullRefresh"}});
}
