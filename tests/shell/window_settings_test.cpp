#include <gtest/gtest.h>

#include "shell/settings.h"
#include "support/scripted_platform.h"

namespace lorvane {
namespace {

TEST(WindowGeometrySetting, RoundTripsAndRefusesWhatDoesNotRead) {
    testing::ScriptedPlatform platform;
    EXPECT_EQ(LoadWindowGeometry(platform, 500, 400), std::nullopt);
    ASSERT_TRUE(SaveWindowGeometry(platform, {-20, 35, 1200, 900}));
    EXPECT_EQ(platform.settings.at(kWindowGeometrySetting), "-20,35,1200,900");
    EXPECT_EQ(LoadWindowGeometry(platform, 500, 400), (WindowGeometry{-20, 35, 1200, 900}));

    struct Case {
        const char* stored;
        std::optional<WindowGeometry> loaded;
    };
    const Case cases[] = {
        {"10,20,300,200", WindowGeometry{10, 20, 500, 400}},  // raised to the smallest size
        {"10,20,800", std::nullopt},
        {"10,20,800,600,5", std::nullopt},
        {"10,20,800,", std::nullopt},
        {"a,20,800,600", std::nullopt},
        {"10, 20,800,600", std::nullopt},
        {"10,20,800,600000", std::nullopt},
        {"10,20,800,99999999999", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        platform.settings[kWindowGeometrySetting] = c.stored;
        EXPECT_EQ(LoadWindowGeometry(platform, 500, 400), c.loaded) << c.stored;
    }
}

TEST(WindowGeometrySetting, AStoredGeometryFitsTheScreens) {
    const WindowGeometry primary{0, 0, 1280, 1000};
    const WindowGeometry right{1280, 0, 1920, 1080};
    struct Case {
        WindowGeometry stored;
        WindowGeometry fitted;
    };
    const Case cases[] = {
        {{10, 20, 800, 600}, {10, 20, 800, 600}},          // fits: as it was
        {{0, 0, 100000, 100000}, {1280, 0, 1920, 1080}},   // the screen most of it is on, at most
        {{-100000, -100000, 800, 600}, {0, 0, 800, 600}},  // off every screen
        {{100, 900, 800, 600}, {100, 400, 800, 600}},      // pulled back on it
        {{1500, 100, 5000, 600}, {1280, 100, 1920, 600}},  // on the screen it is on
        {{10, 20, 100, 100}, {10, 20, 500, 400}},          // never below the minimum
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitToScreens(c.stored, {primary, right}, 500, 400), c.fitted)
            << c.stored.x << "," << c.stored.y << "," << c.stored.width << "," << c.stored.height;
    }
    // A screen smaller than the minimum: the minimum holds, at its corner.
    EXPECT_EQ(FitToScreens({50, 50, 900, 900}, {{0, 0, 300, 200}}, 500, 400),
              (WindowGeometry{0, 0, 500, 400}));
    EXPECT_EQ(FitToScreens({5, 6, 7, 8}, {}, 1, 1), (WindowGeometry{5, 6, 7, 8}));
}

TEST(GridStepSetting, OffByDefaultAndWholeFeetOnTheTile) {
    testing::ScriptedPlatform platform;
    EXPECT_EQ(LoadGridStep(platform), 0);
    const std::pair<const char*, int32_t> cases[] = {
        {"100", 100}, {"1", 1}, {"3280", 3280}, {"0", 0},  {"-5", 0},
        {"3281", 0},  {"", 0},  {"10.5", 0},    {"x1", 0}, {"25 ", 0},
    };
    for (const auto& [stored, step] : cases) {
        platform.settings[kGridStepSetting] = stored;
        EXPECT_EQ(LoadGridStep(platform), step) << stored;
    }
    ASSERT_TRUE(SaveGridStep(platform, 250));
    EXPECT_EQ(LoadGridStep(platform), 250);
    ASSERT_TRUE(SaveGridStep(platform, 99999));
    EXPECT_EQ(platform.settings.at(kGridStepSetting), "0");
}

}  // namespace
}  // namespace lorvane
