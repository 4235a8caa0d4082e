// The rules of the New Path and New Area dialogs, and the reading of typed
// numbers.

#include "editor/path_dialogs.h"

#include <gtest/gtest.h>

#include "base/command_ids.h"

namespace lorvane {
namespace {

TEST(ScanDecimal, ReadsAsPercentDReads) {
    const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
        {"80", 80},
        {"  42", 42},
        {"-7", -7},
        {"+5", 5},
        {"12abc", 12},
        {"163.pcx", 163},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-", std::nullopt},
        {"0", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ScanDecimal(text), value) << text;
}

TEST(NewPathDialog, ProposesTheRememberedWidthOfEachType) {
    EditorChoices choices;
    EXPECT_EQ(NewPathTypeNames(), (std::vector<std::string>{"River", "Road", "Bridge", "Railway"}));
    const NewPathForm opened = OpenNewPath(choices);
    EXPECT_EQ(opened.selected, 1);
    EXPECT_EQ(opened.widthText, "50");
    EXPECT_EQ(choices.currentPathType, 10);
    const std::vector<std::pair<int, std::string>> widths = {
        {0, "100"}, {3, "20"}, {2, "50"}, {1, "50"}};
    for (const auto& [position, width] : widths) {
        EXPECT_EQ(ChangeNewPathType(choices, position).widthText, width) << position;
    }
}

TEST(NewPathDialog, AcceptedWidthIsRememberedForItsType) {
    EditorChoices choices;
    PanelReadouts readouts;
    OpenNewPath(choices);
    NewPathForm form = ChangeNewPathType(choices, 0);  // River
    form.widthText = "80";
    AcceptNewPath(choices, form, readouts);
    EXPECT_EQ(readouts.Text(kPanelWidth), "80");
    EXPECT_EQ(readouts.Text(kPanelType), "River");
    const NewPathForm reopened = OpenNewPath(choices);
    EXPECT_EQ(reopened.selected, 0);
    EXPECT_EQ(reopened.widthText, "80");
    EXPECT_EQ(ChangeNewPathType(choices, 1).widthText, "50");
}

TEST(NewPathDialog, ZeroEmptyAndNegativeWidths) {
    EditorChoices choices;
    PanelReadouts readouts;
    NewPathForm form = OpenNewPath(choices);
    form.widthText = "0";
    AcceptNewPath(choices, form, readouts);
    EXPECT_EQ(choices.currentWidth, 0);
    EXPECT_EQ(OpenNewPath(choices).widthText, "50");  // 0 is proposed as 50
    form = OpenNewPath(choices);
    form.widthText = "";
    AcceptNewPath(choices, form, readouts);
    EXPECT_EQ(choices.currentWidth, 50);  // an empty field keeps the width
    form.widthText = "-30";
    AcceptNewPath(choices, form, readouts);
    EXPECT_EQ(choices.currentWidth, -30);
    EXPECT_EQ(readouts.Text(kPanelWidth), "-30");
}

TEST(NewPathDialog, CancelKeepsTheChosenTypeButNotTheReadouts) {
    EditorChoices choices;
    PanelReadouts readouts;
    AcceptNewPath(choices, OpenNewPath(choices), readouts);  // Road, 50
    OpenNewPath(choices);
    ChangeNewPathType(choices, 3);  // Railway, then Cancel
    EXPECT_EQ(choices.currentPathType, 11);
    EXPECT_EQ(choices.currentWidth, 20);
    EXPECT_EQ(readouts.Text(kPanelType), "Road");
    EXPECT_EQ(readouts.Text(kPanelWidth), "50");
    EXPECT_EQ(OpenNewPath(choices).selected, 3);
}

TEST(NewPathDialog, AStoredTypeProposesItsWidthAtThePreviousPosition) {
    EditorChoices choices;
    PanelReadouts readouts;
    AcceptNewPath(choices, OpenNewPath(choices), readouts);  // Road at position 1
    choices.currentPathType = 2;  // a tile's last stored path was a River
    const NewPathForm form = OpenNewPath(choices);
    EXPECT_EQ(form.selected, 1);
    EXPECT_EQ(form.widthText, "100");
    choices.currentPathType = 5;  // not a path type: the width stays
    choices.currentWidth = 33;
    EXPECT_EQ(OpenNewPath(choices).widthText, "33");
}

TEST(NewAreaDialog, OffersWaterToUrbanAndStartsOnWater) {
    EditorChoices choices;
    PanelReadouts readouts;
    EXPECT_EQ(NewAreaTypeNames(),
              (std::vector<std::string>{"Water", "Swamp", "Plains", "Brush", "Thin Forest",
                                        "Thick Forest", "Rocky", "Urban"}));
    EXPECT_EQ(OpenNewArea(choices), 0);
    EXPECT_EQ(choices.currentAreaType, 1);
    AcceptNewArea(choices, 6, readouts);
    EXPECT_EQ(choices.currentAreaChoice, 6);
    EXPECT_EQ(choices.currentAreaType, 8);
    EXPECT_EQ(readouts.Text(kPanelType), "Rocky");
    EXPECT_EQ(OpenNewArea(choices), 6);
}

}  // namespace
}  // namespace lorvane
