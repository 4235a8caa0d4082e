#include "base/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "base/format.h"

namespace lorvane {
namespace {

std::string Written(const std::function<void(JsonWriter&)>& write) {
    std::ostringstream out;
    {
        JsonWriter json(out);
        write(json);
    }
    return out.str();
}

TEST(Windows1252, EveryByteHasItsCharacter) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"H000.PCX", "H000.PCX"},
        {"\xe9", "\xc3\xa9"},      // e acute, as in Latin-1
        {"\x80", "\xe2\x82\xac"},  // the euro sign
        {"\x9f", "\xc5\xb8"},      // Y diaeresis
        {"\x81\x8d\x8f\x90\x9d", "\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d"},  // unused: controls
        {"\xa0\xff", "\xc2\xa0\xc3\xbf"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(Windows1252ToUtf8(c.bytes), c.utf8) << c.bytes;
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_TRUE(
        nlohmann::json::accept(Written([&](JsonWriter& j) { j.String(Windows1252ToUtf8(all)); })));
}

TEST(JsonWriter, NumbersReadBackAndThoseThatAreNotFiniteAreNamed) {
    const std::string text = Written([](JsonWriter& json) {
        json.BeginArray();
        json.Real(2.0);
        json.Real(static_cast<double>(0.1f));
        json.Real(std::numeric_limits<double>::quiet_NaN());
        json.Real(std::numeric_limits<double>::infinity());
        json.Real(-std::numeric_limits<double>::infinity());
        json.Real(-0.0);
        json.Integer(std::numeric_limits<int64_t>::min());
        json.EndArray();
    });
    EXPECT_EQ(text,
              "[2.0,0.10000000149011612,\"NaN\",\"Infinity\",\"-Infinity\",-0.0,"
              "-9223372036854775808]");
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> bits;
    for (int k = 0; k < 2000; ++k) {
        const uint32_t pattern = bits(random);
        float value = 0;
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value)) continue;
        const auto json = nlohmann::json::parse(
            Written([&](JsonWriter& j) { j.Real(static_cast<double>(value)); }));
        EXPECT_EQ(json.get<float>(), value) << pattern;
    }
}

TEST(JsonWriter, StringsAreValidUtf8WhateverTheBytes) {
    EXPECT_EQ(Written([](JsonWriter& j) { j.String("a\"b\\c\n\x01\xc3\xa9"); }),
              "\"a\\\"b\\\\c\\u000a\\u0001\xc3\xa9\"");
    // A byte that starts no character, a cut sequence, an overlong form and a
    // surrogate each become U+FFFD.
    EXPECT_EQ(Written([](JsonWriter& j) { j.String("\xff|\xc3|\xc0\xaf|\xed\xa0\x80"); }),
              "\"\xef\xbf\xbd|\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbd|"
              "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"");
    std::mt19937 random(11);
    for (int k = 0; k < 500; ++k) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const std::string text = Written([&](JsonWriter& j) {
            j.BeginObject();
            j.Key("s");
            j.String(bytes);
            j.EndObject();
        });
        EXPECT_TRUE(nlohmann::json::accept(text)) << text;
    }
}

}  // namespace
}  // namespace lorvane
