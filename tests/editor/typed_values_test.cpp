#include "editor/typed_values.h"

#include <gtest/gtest.h>

namespace lorvane {
namespace {

TEST(ReadTypedFeet, NumbersKeepTheirFractionAndWhatIsNotOneIsRefused) {
    struct Case {
        const char* text;
        TypedRule rule;
        float value;          // when read
        const char* refusal;  // when refused
    };
    const Case cases[] = {
        {"1640", TypedRule::Coordinate, 1640, nullptr},
        {" 12.5 ", TypedRule::Coordinate, 12.5f, nullptr},
        {"1640.3", TypedRule::Coordinate, 1640.3f, nullptr},
        {"+7", TypedRule::Coordinate, 7, nullptr},
        {"0", TypedRule::Coordinate, 0, nullptr},
        {"3280", TypedRule::Coordinate, 3280, nullptr},
        {"3280.4", TypedRule::Coordinate, 0, "A coordinate must be between 0 and 3280 feet."},
        {"-1", TypedRule::Coordinate, 0, "A coordinate must be between 0 and 3280 feet."},
        {"abc", TypedRule::Coordinate, 0, "\"abc\" is not a number of feet."},
        {"12ft", TypedRule::Width, 0, "\"12ft\" is not a number of feet."},
        {"1e3", TypedRule::Width, 0, "\"1e3\" is not a number of feet."},
        {"", TypedRule::Radius, 0, "\"\" is not a number of feet."},
        {"  ", TypedRule::Radius, 0, "\"\" is not a number of feet."},
        {"nan", TypedRule::Radius, 0, "\"nan\" is not a number of feet."},
        {"1 2", TypedRule::Radius, 0, "\"1 2\" is not a number of feet."},
        {"++1", TypedRule::Radius, 0, "\"++1\" is not a number of feet."},
        {"50", TypedRule::Width, 50, nullptr},
        {"0", TypedRule::Width, 0, "A width must be more than 0 feet."},
        {"0.4", TypedRule::Width, 0.4f, nullptr},
        {"0.0", TypedRule::Width, 0, "A width must be more than 0 feet."},
        {"-20", TypedRule::Width, 0, "A width must be more than 0 feet."},
        {"0", TypedRule::Radius, 0, "A radius must be more than 0 feet."},
        {"-5", TypedRule::Radius, 0, "A radius must be more than 0 feet."},
        {"5000", TypedRule::Radius, 5000, nullptr},  // an area may reach past its tile
        {"99999999999", TypedRule::Radius, 0, "That is too many feet."},
    };
    for (const Case& c : cases) {
        const auto read = ReadTypedFeet(c.text, c.rule);
        if (c.refusal) {
            ASSERT_FALSE(read.has_value()) << c.text;
            EXPECT_EQ(read.error(), c.refusal) << c.text;
        } else {
            ASSERT_TRUE(read.has_value()) << c.text << ": " << read.error();
            EXPECT_EQ(*read, c.value) << c.text;
        }
    }
}

TEST(ReadTypedType, NamesOfEachListInAnyCase) {
    EXPECT_EQ(ReadTypedType("Road", false), 1);
    EXPECT_EQ(ReadTypedType(" railway ", false), 3);
    EXPECT_EQ(ReadTypedType("No Data", false), 4);
    EXPECT_EQ(ReadTypedType("thick forest", true), 5);
    EXPECT_EQ(ReadTypedType("Station", true), 9);
    EXPECT_EQ(ReadTypedType("Water", false).error(), "\"Water\" is not a path type.");
    EXPECT_EQ(ReadTypedType("Road", true).error(), "\"Road\" is not an area type.");
    EXPECT_EQ(ReadTypedType("", true).error(), "\"\" is not an area type.");
}

}  // namespace
}  // namespace lorvane
