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
    // A ";" after a value is part of it; the number is read from its start.
    EXPECT_EQ(profile.Read("location", "Theaters", "1"), "4 ; comment");
    int32_t count = 0;
    EXPECT_TRUE(ScanInt(profile.Read("location", "Theaters", "1"), count));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(profile.Read("Location", "missing", "dflt"), "dflt");
    EXPECT_EQ(profile.Read("Missing", "x", "d"), "d");
    EXPECT_EQ(IniProfile::Load(folder / "none.ini").Read("Location", "Theaters", "1"), "1");
}

TEST(IniProfile, ReadsAsTheSystemsProfileReaderDoes) {
    const IniProfile profile = IniProfile::Parse(
        "\xEF\xBB\xBFtop=1\n"
        "  [ Location ]  \r\n"
        "\t  Theaters = 2 ; two\r\n"
        "1=\"Balkans\"\n"
        "2='Korea\n"
        "; 3=commented\n"
        "bare\n"
        "[Korea\n"
        "   SW Long   =   124.5;east  \n"
        "[Empty]\n"
        "key=\n"
        "long=" +
        std::string(300, 'x') + "\n");
    struct Case {
        const char* section;
        const char* key;
        std::string value;
    };
    const Case cases[] = {
        {"location", "theaters", "2 ; two"},  // indented key; ";" belongs to the value
        {"Location", "1", "Balkans"},         // quoted at both ends: quotes dropped
        {"Location", "2", "'Korea"},          // quoted at one end: kept
        {"Location", "; 3", "fallback"},      // a comment line
        {"Location", "bare", ""},             // a key without "="
        {"Location", "top", "fallback"},      // keys before any section belong to none
        {"Korea", "SW Long", "124.5;east"},   // a section without "]" still starts
        {"Empty", "key", ""},
        {"Empty", "long", std::string(254, 'x')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(profile.Read(c.section, c.key, "fallback"), c.value) << c.section << "/" << c.key;
    EXPECT_TRUE(profile.HasSection("KOREA"));
    EXPECT_FALSE(profile.HasSection("Israel"));
    float longitude = 0;
    EXPECT_TRUE(ScanFloat(profile.Read("Korea", "SW Long", ""), longitude));
    EXPECT_FLOAT_EQ(longitude, 124.5f);
    // Text after a NUL is not read.
    EXPECT_EQ(IniProfile::Parse(std::string("[A]\nk=1\n\0[A]\nj=2\n", 18)).Read("A", "j", "-"),
              "-");
}

}  // namespace
}  // namespace lorvane
