#include "shell/theaters.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/command_ids.h"
#include "support/texture_builder.h"

namespace lorvane {
namespace {

const TheaterSettings kDefaults{11.0f, 36.625f, 21.0f, 46.625f, 1024, 1024, 64, 64, 16, 16};

class TheatersTest : public ::testing::Test {
  protected:
    void WriteIni(const std::string& text) { std::ofstream(folder / "Quistral.ini") << text; }
    std::vector<std::string> TheaterItems() const {
        std::vector<std::string> texts;
        for (const MenuItem& item : menu.popups[kTheaterPopup].items)
            if (IsTheaterId(item.id)) texts.push_back(item.text);
        return texts;
    }
    std::filesystem::path folder = testing::MakeTempFolder("theaters");
    MenuBar menu = LorvaneMenu();
    Theaters theaters;
};

TEST_F(TheatersTest, NoIniFileGivesBalkansWithTheDefaults) {
    LoadTheaterList(theaters, menu, folder);
    const auto& items = menu.popups[kTheaterPopup].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], MenuItem::Command(kMenuSelectTheaterTitle, "Select Theater", false));
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].id, kTheaterFirst);
    EXPECT_EQ(items[2].text, "Balkans");
    EXPECT_TRUE(items[2].checked);
    EXPECT_EQ(theaters.currentTheaterId, kTheaterFirst);
    EXPECT_EQ(theaters.settings, kDefaults);
}

TEST_F(TheatersTest, TheaterCountIsCappedOrEmpty) {
    struct Case {
        const char* count;
        size_t items;
    };
    for (const Case& c : {Case{"15", 10}, Case{"0", 0}, Case{"abc", 0}, Case{"-3", 0},
                          Case{"  3 theaters", 3}, Case{"", 0}}) {
        SCOPED_TRACE(c.count);
        WriteIni(std::string("[Location]\nTheaters=") + c.count + "\n1=Korea\n2=Israel\n");
        menu = LorvaneMenu();
        theaters = {};
        LoadTheaterList(theaters, menu, folder);
        const auto names = TheaterItems();
        ASSERT_EQ(names.size(), c.items);
        if (c.items >= 3) {
            // Missing names take the default.
            EXPECT_EQ(names[0], "Korea");
            EXPECT_EQ(names[1], "Israel");
            EXPECT_EQ(names[2], "Balkans");
        }
        if (c.items == 10) {
            EXPECT_NE(menu.Find(kTheaterLast), nullptr);
        }
        // The start-up values come from "Balkans" whatever the count.
        EXPECT_EQ(theaters.settings, kDefaults);
    }
}

TEST_F(TheatersTest, StartupReadsBalkansUntilATheaterIsChosen) {
    WriteIni(
        "[Location]\nTheaters=2\n1=Korea\n2=Balkans\n"
        "[Korea]\nSW Long=124.5\nSW Lat=33\nX Sections=32\nY Tiles=abc\n"
        "[balkans]\nX Map Extent=2048\n");
    LoadTheaterList(theaters, menu, folder);
    EXPECT_TRUE(menu.IsChecked(kTheaterFirst));
    EXPECT_EQ(theaters.settings.xMapExtent, 2048);  // section names ignore letter case
    EXPECT_EQ(theaters.settings.swLong, 11.0f);

    ASSERT_TRUE(SelectTheater(theaters, menu, kTheaterFirst));
    EXPECT_FLOAT_EQ(theaters.settings.swLong, 124.5f);
    EXPECT_FLOAT_EQ(theaters.settings.swLat, 33.0f);
    EXPECT_EQ(theaters.settings.xSections, 32);
    EXPECT_EQ(theaters.settings.xMapExtent, 1024);  // default of the Korea section
    EXPECT_EQ(theaters.settings.yTiles, 16);        // no number: the field keeps its value
    EXPECT_TRUE(menu.IsChecked(kTheaterFirst));     // chosen again: the mark stays

    ASSERT_TRUE(SelectTheater(theaters, menu, kTheaterFirst + 1));
    EXPECT_FALSE(menu.IsChecked(kTheaterFirst));
    EXPECT_TRUE(menu.IsChecked(kTheaterFirst + 1));
    EXPECT_EQ(theaters.currentTheaterId, kTheaterFirst + 1);
    EXPECT_EQ(theaters.settings.xMapExtent, 2048);

    // An id with no theater item changes nothing.
    EXPECT_FALSE(SelectTheater(theaters, menu, kTheaterFirst + 5));
    EXPECT_EQ(theaters.currentTheaterId, kTheaterFirst + 1);
}

TEST_F(TheatersTest, LongNamesAreCutTo31Characters) {
    const std::string longName(40, 'N');
    WriteIni("[Location]\nTheaters=1\n1=" + longName + "\n");
    LoadTheaterList(theaters, menu, folder);
    EXPECT_EQ(theaters.table[0], std::string(31, 'N'));
    EXPECT_EQ(TheaterItems(), std::vector<std::string>{std::string(31, 'N')});
}

TEST(ProfileScanTest, ScansLikeFormattedInput) {
    struct Case {
        const char* text;
        bool scanned;
        float asFloat;
        int32_t asInt;
    };
    for (const Case& c :
         {Case{"12", true, 12.0f, 12}, Case{"  -7.5xyz", true, -7.5f, -7},
          Case{"abc", false, 99.0f, 99}, Case{"", false, 99.0f, 99}, Case{"+3e2", true, 300.0f, 3},
          Case{"99999999999", true, 99999999999.0f, INT32_MAX}}) {
        SCOPED_TRACE(c.text);
        float f = 99.0f;
        int32_t i = 99;
        EXPECT_EQ(ScanFloat(c.text, f), c.scanned);
        EXPECT_EQ(ScanInt(c.text, i), c.scanned);
        EXPECT_FLOAT_EQ(f, c.asFloat);
        EXPECT_EQ(i, c.asInt);
    }
}

TEST_F(TheatersTest, ProfileReadsFirstValueWithoutRegardToCase) {
    WriteIni("[Location]\nTHEATERS = 4 ; comment\ntheaters=7\n[Other]\nx=1\n");
    const IniProfile profile = IniProfile::Load(folder / "Quistral.ini");
    EXPECT_EQ(profile.Read("location", "Theaters", "1"), "4");
    EXPECT_EQ(profile.Read("Location", "missing", "dflt"), "dflt");
    EXPECT_EQ(profile.Read("Missing", "x", "d"), "d");
    EXPECT_EQ(IniProfile::Load(folder / "none.ini").Read("Location", "Theaters", "1"), "1");
}

}  // namespace
}  // namespace lorvane
