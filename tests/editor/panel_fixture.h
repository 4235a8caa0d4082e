#pragma once
// An editor panel on a recording host, with a viewer of 300 × 300 pixels
// (scale 3280 ÷ 300 feet per pixel).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/command_ids.h"
#include "base/format.h"
#include "editor/editor_panel.h"
#include "frame_items.h"
#include "support/pcx_writer.h"
#include "support/scripted_platform.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane::testing {

class RecordingHost : public PanelHost {
  public:
    void SetMainTitle(const std::string& title) override { titles.push_back(title); }
    void SetDatabaseMenus(bool enabled) override { databaseMenus = enabled; }
    void RememberRecentFile(const std::string& path) override { recentFiles.push_back(path); }
    void RefillTileList() override { ++refills; }
    void UpdateTileListRow(int indexPosition) override { updatedRows.push_back(indexPosition); }
    void FocusTileList() override { ++focusCount; }
    void StepTileList(TileStep step) override { steps.push_back(step); }
    void Beep() override { ++beeps; }
    bool RunNewPathDialog() override { return newPathDialog ? newPathDialog() : false; }
    bool RunNewAreaDialog() override { return newAreaDialog ? newAreaDialog() : false; }
    std::string& Folder(const char* settingName) override { return folders[settingName]; }
    void StoreFolder(const char* settingName, const std::string& folder) override {
        folders[settingName] = folder;
        storedFolders.emplace_back(settingName, folder);
    }
    void CommandPosted() override {}

    std::vector<std::string> titles;
    bool databaseMenus = false;
    std::vector<std::string> recentFiles;
    int refills = 0;
    std::vector<int> updatedRows;
    int focusCount = 0;
    std::vector<TileStep> steps;
    int beeps = 0;
    std::function<bool()> newPathDialog;
    std::function<bool()> newAreaDialog;
    std::map<std::string, std::string> folders;
    std::vector<std::pair<std::string, std::string>> storedFolders;
};

inline constexpr int kAreaSize = 300;

class PanelTest : public ::testing::Test {
  protected:
    PanelTest()
        : folder(MakeTempFolder("lorvane-panel")),
          panel({database, textureLoaded, folder}, {platform, platform, host}) {
        panel.Initialise();
        panel.view().SetViewport(kAreaSize, kAreaSize);
    }
    ~PanelTest() override {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // The database written to Texture.bin in the folder and loaded through
    // the panel; the load's messages are taken.
    void LoadDatabase(const TileDatabase& content) {
        const auto file = folder / "Texture.bin";
        WriteFileBytes(file, SerializeTextureBin(content));
        panel.SetTexturePath(file.string());
        panel.Command(kPanelLoadTexturePath);
        panel.RunPosted();
        platform.messages.clear();
    }

    // A 16 × 16 PCX image written under the name in the folder.
    std::string WriteTileImage(const std::string& name) {
        const auto file = folder / name;
        WriteFileBytes(file, WritePcx(MakePatternPicture(16, 16, 7)));
        return file.string();
    }

    void LoadTile(const std::string& name) {
        panel.SetTileImage(WriteTileImage(name), name);
        panel.Command(kPanelLoadTileImage);
        panel.RunPosted();
    }

    // Starts the path tool through the New Path dialog, OK pressed on what
    // it opens with, or on a type list position and a width typed.
    void NewPath() {
        host.newPathDialog = [this] { return panel.AcceptNewPath(panel.OpenNewPath()); };
        panel.Command(kPanelNewPath);
    }
    void NewPath(int position, const std::string& width) {
        host.newPathDialog = [this, position, width] {
            panel.OpenNewPath();
            NewPathForm form = panel.ChangeNewPathType(position);
            form.widthText = width;
            return panel.AcceptNewPath(form);
        };
        panel.Command(kPanelNewPath);
    }
    void NewArea(std::optional<int> position = std::nullopt) {
        host.newAreaDialog = [this, position] {
            const int opened = panel.OpenNewArea();
            panel.AcceptNewArea(position.value_or(opened));
            return true;
        };
        panel.Command(kPanelNewArea);
    }

    // Mouse input at a viewer pixel.
    void Click(int x, int y) { panel.PointerReleased(MouseButton::Left, {double(x), double(y)}); }
    void RightClick(int x, int y) {
        panel.PointerReleased(MouseButton::Right, {double(x), double(y)});
    }
    void Move(int x, int y) { panel.PointerMoved({double(x), double(y)}); }
    // A path of segments through viewer pixels, ended with a right click.
    void DrawPath(const std::vector<std::pair<int, int>>& points) {
        for (const auto& [x, y] : points) Click(x, y);
        RightClick(points.back().first, points.back().second);
        panel.RunPosted();
    }

    std::vector<std::string> FirstColumn(const ListView& list) const {
        std::vector<std::string> texts;
        for (const ListRow& row : list.Rows()) texts.push_back(row.front());
        return texts;
    }

    std::filesystem::path folder;
    TileDatabase database;
    bool textureLoaded = false;
    ScriptedPlatform platform;
    RecordingHost host;
    EditorPanel panel;
};

// Two sets: set 0 holds H000.PCX (two road segments, one lake) and
// H001.PCX (nothing); set 1 holds H010.PCX with one river segment.
inline TileDatabase TwoSetDatabase() {
    return MakeDatabase({
        TileSet{4,
                {MakeTile("H000.PCX", {{10, 60, 100, 200, 300, 400}, {10, 60, 300, 400, 500, 600}},
                          {{1, 300, 2400, 800}}),
                 MakeTile("H001.PCX")}},
        TileSet{9, {MakeTile("H010.PCX", {{2, 120, 200, 3000, 2800, 2400}})}},
    });
}

}  // namespace lorvane::testing
