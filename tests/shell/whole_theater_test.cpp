// A whole theater made only through the program's own commands (on the
// scripted platform) gives the same files as the same steps through
// lorvane-cli.

#include "support/whole_theater.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "shell/command_fixture.h"

namespace lorvane::testing {
namespace {

class WholeTheaterTest : public CommandTest {
  protected:
    void LoadTile(const std::string& name) {
        panel->panel().LoadTileImage((inputs.tiles / name).string(), name);
    }
    void ChangeSetType(int position) {
        dialogs.setAnswers.push_back({ScriptedDialogs::SetPress{"", position}});
        shell.HandleCommand(kMenuChangeSetType);
    }

    TheaterInputs inputs = MakeTheaterInputs(folder);
};

TEST_F(WholeTheaterTest, ProgramCommandsMakeTheSameFilesAsTheCommandLine) {
    const auto program = folder / "program";
    std::filesystem::create_directories(program);

    // A new database from the tiles folder, saved at once.
    Answer(inputs.tiles / "H000.PCX");
    Answer(program / "Texture.bin");
    shell.HandleCommand(kMenuGenerateTextureBin);
    // The set types, each with a tile of its set on screen.
    LoadTile("H000.PCX");
    ChangeSetType(kSet0TypePosition);
    LoadTile("H010.PCX");
    ChangeSetType(kSet1TypePosition);
    // A road of two segments on H010, then Save.
    panel->newPathPosition = 1;  // Road
    panel->newPathWidth = std::to_string(kRoadWidth);
    panel->HandleCommand(kPanelNewPath);
    panel->Click(30, 270);
    panel->Click(100, 200);
    panel->Click(200, 100);
    panel->RightClick(200, 100);
    shell.HandleCommand(kMenuSaveTextureBin);
    // The terrain, its matrix and the theater outputs.
    Answer(inputs.l2);
    shell.HandleCommand(kMenuOpenL2File);
    Answer(program / "THEATER.L2M");
    shell.HandleCommand(kMenuSaveL2Matrix);
    Answer(program / "out.thr");
    shell.HandleCommand(kMenuGenerateThr);
    Answer(program / "out.mea");
    shell.HandleCommand(kMenuGenerateMea);
    // Theater.map through its dialog.
    std::filesystem::copy_file(inputs.theaterMap, program / "Theater.map");
    TheaterMapTexts edits;
    for (const MapEdit& edit : TheaterMapEdits()) edits[edit.controlId] = edit.text;
    dialogs.mapAnswers.push_back(edits);
    Answer(program / "Theater.map");
    shell.HandleCommand(kMenuEditTheaterMap);

    // Only the load and completion reports came.
    for (const Message& message : platform.messages)
        EXPECT_NE(message.icon, MessageIcon::Error) << message.text;
    EXPECT_TRUE(platform.choices.empty());
    EXPECT_EQ(dialogs.mapShown.size(), 1u);

    const auto cli = folder / "cli";
    const std::vector<RoadSegment> road =
        RoadOfClicks(panel->panel().view(), {{30, 270}, {100, 200}, {200, 100}});
    ASSERT_EQ(MakeTheaterWithCli(LORVANE_CLI, inputs, cli, road), "");
    for (const std::string& name : kTheaterOutputs) {
        SCOPED_TRACE(name);
        const auto ours = ReadFileBytes(program / name);
        EXPECT_FALSE(ours.empty());
        EXPECT_TRUE(ours == ReadFileBytes(cli / name));
    }
    // The road is in the database and the header was written in full.
    EXPECT_EQ(state.session.database().sets[1].tiles[0].pathCount(), 2);
    EXPECT_EQ(ReadFileBytes(program / "Theater.map").size(), 1116u);
    const auto thr = ReadFileBytes(program / "out.thr");
    EXPECT_TRUE(std::any_of(thr.begin() + 4, thr.end(),
                            [](std::byte b) { return (b & std::byte{0x40}) != std::byte{0}; }));
}

}  // namespace
}  // namespace lorvane::testing
