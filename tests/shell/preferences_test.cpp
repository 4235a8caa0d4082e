#include "shell/preferences.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"

namespace lorvane {
namespace {

TEST(Preferences, DefaultsAreTheProgramsOwnAndRoundTrip) {
    testing::ScriptedPlatform platform;
    const Preferences defaults = LoadPreferences(platform);
    EXPECT_EQ(defaults, DefaultPreferences());
    EXPECT_EQ(defaults.snapPixels, 8);
    EXPECT_EQ(defaults.pathColours[1], kRed);  // Road
    EXPECT_EQ(defaults.startWidths[0], 100);   // River
    EXPECT_EQ(defaults.startWidths[3], 20);    // Railway
    EXPECT_TRUE(defaults.journalFolder.empty());

    Preferences chosen = defaults;
    chosen.gridStep = 500;
    chosen.snapPixels = 12;
    chosen.pathColours[2] = PenColour{0x12, 0xab, 0xEF};
    chosen.startWidths[1] = 75;
    chosen.journalFolder = "/var/tmp/journals";
    ASSERT_TRUE(SavePreferences(platform, chosen));
    EXPECT_EQ(platform.settings.at(PathColourSetting(2)), "#12abef");
    EXPECT_EQ(LoadPreferences(platform), chosen);
}

TEST(Preferences, FieldsThatBreakARuleAreRefusedWithTheirSentence) {
    struct Case {
        void (*edit)(PreferenceTexts&);
        const char* problem;  // a part of the sentence; null: accepted
    };
    const Case cases[] = {
        {[](PreferenceTexts&) {}, nullptr},
        {[](PreferenceTexts& t) { t.gridStep = " 250 "; }, nullptr},
        {[](PreferenceTexts& t) { t.gridStep = "3281"; }, "grid step must be 0"},
        {[](PreferenceTexts& t) { t.gridStep = "-1"; }, "grid step must be 0"},
        {[](PreferenceTexts& t) { t.gridStep = "ten"; }, "grid step must be a whole number"},
        {[](PreferenceTexts& t) { t.snapPixels = ""; }, "snapping distance must be a whole"},
        {[](PreferenceTexts& t) { t.snapPixels = "51"; }, "0 to 50 screen pixels"},
        {[](PreferenceTexts& t) { t.snapPixels = "0"; }, nullptr},
        {[](PreferenceTexts& t) { t.pathColours[1] = "red"; }, "colour of a Road"},
        {[](PreferenceTexts& t) { t.pathColours[3] = "#12345g"; }, "colour of a Railway"},
        {[](PreferenceTexts& t) { t.pathColours[0] = "#ABCDEF"; }, nullptr},
        {[](PreferenceTexts& t) { t.startWidths[2] = "0"; }, "width of a Bridge must be 1"},
        {[](PreferenceTexts& t) { t.startWidths[0] = "10001"; }, "width of a River must be 1"},
        {[](PreferenceTexts& t) { t.startWidths[0] = "1.5"; }, "width of a River must be a whole"},
        {[](PreferenceTexts& t) { t.journalFolder = std::string(300, 'a'); }, "at most 255"},
    };
    for (const Case& c : cases) {
        PreferenceTexts texts = TextsOf(DefaultPreferences());
        c.edit(texts);
        const ReadPreferences read = ReadPreferenceTexts(texts);
        if (c.problem == nullptr) {
            EXPECT_TRUE(read.preferences.has_value()) << read.problem;
        } else {
            EXPECT_FALSE(read.preferences.has_value()) << c.problem;
            EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
        }
    }
}

TEST(Preferences, StoredValuesThatDoNotReadAreTheirDefaults) {
    testing::ScriptedPlatform platform;
    platform.settings[kSnapPixelsSetting] = "500";
    platform.settings[PathColourSetting(0)] = "cyan";
    platform.settings[PathWidthSetting(1)] = "-4";
    platform.settings[kJournalFolderSetting] = std::string(400, 'x');
    EXPECT_EQ(LoadPreferences(platform), DefaultPreferences());

    Preferences unsound = DefaultPreferences();
    unsound.startWidths[0] = 0;
    platform.settings.clear();
    EXPECT_FALSE(SavePreferences(platform, unsound));
    EXPECT_TRUE(platform.settings.empty());
}

}  // namespace
}  // namespace lorvane
