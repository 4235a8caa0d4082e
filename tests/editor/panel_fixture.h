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

class RecordingHost : public PanelHost, public PanelView {
  public:
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
    SuggestionTypes SuggestionColours() override { return suggestionTypes; }
    void StoreSuggestionColours(const SuggestionTypes& types) override { suggestionTypes = types; }
    std::optional<int32_t> ChooseSuggestionType(int32_t) override { return suggestionType; }
    std::optional<int32_t> ChooseEntryType(PanelList, int32_t) override { return entryType; }
    std::optional<int32_t> ChooseEntryWidth(int32_t) override { return entryWidth; }
    void PutOnClipboard(const std::string& text) override { clipboard = text; }
    std::string ClipboardText() override { return clipboard; }

    std::optional<int32_t> entryType;
    std::optional<int32_t> entryWidth;
    std::string clipboard;

    SuggestionTypes suggestionTypes = SuggestionTypes::Defaults();
    std::optional<int32_t> suggestionType;
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
        : folder(MakeTempFolder("lorvane-panel")), panel(document, {platform, platform, host}) {
        panel.SetView(&host);
        panel.Initialise();
        panel.view().SetViewport(kAreaSize, kAreaSize);
    }
    ~PanelTest() override {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // The database (as read back from its file) takes the place of the one
    // in memory, as the program's session does it.
    void LoadDatabase(const TileDatabase& content) {
        document.Reset(false, false);
        panel.DatabaseReset();
        NullMessages quiet;
        const std::vector<std::byte> bytes = SerializeTextureBin(content);
        database = *ParseTextureBin(bytes, quiet);
        document.Reset(true, false);
        panel.RunPosted();
    }

    // A 16 × 16 PCX image written under the name in the folder.
    std::string WriteTileImage(const std::string& name) {
        const auto file = folder / name;
        WriteFileBytes(file, WritePcx(MakePatternPicture(16, 16, 7)));
        return file.string();
    }

    void LoadTile(const std::string& name) {
        panel.LoadTileImage(WriteTileImage(name), name);
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
    // The point of the tile under a viewer pixel, as a click there (with
    // nothing to snap to) stores it: the float of the view's feet.
    FeetPoint FeetAt(int x, int y) const {
        const FeetPointF feet = panel.view().ToFeet({double(x), double(y)});
        return {StoredFeet(feet.x), StoredFeet(feet.y)};
    }
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
    EditDocument document{database};
    ScriptedPlatform platform;
    RecordingHost host;
    EditorPanel panel;
};

}  // namespace lorvane::testing
