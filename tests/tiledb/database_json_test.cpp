#include "tiledb/database_json.h"

#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/texture_builder.h"

namespace lorvane {
namespace {

TEST(DatabaseJson, NamesInTheCodePageAndCoordinatesThatAreNotFinite) {
    TileDatabase database = testing::MakeDatabase({
        TileSet{6,
                {testing::MakeTile("H\xe9\x80.PCX",
                                   {{1, std::numeric_limits<float>::quiet_NaN(), 1.5f,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(), 2.0f}},
                                   {{3, 4.0f, 5.0f, 6.0f}})}},
        TileSet{0, {}},
    });
    std::ostringstream out;
    ASSERT_TRUE(WriteDatabaseJson(out, database));
    const auto json = nlohmann::json::parse(out.str());
    const auto& tile = json["sets"][0]["tiles"][0];
    EXPECT_EQ(tile["name"], "H\u00e9\u20ac.PCX");
    EXPECT_EQ(tile["paths"][0]["width"], "NaN");
    EXPECT_EQ(tile["paths"][0]["startY"], "Infinity");
    EXPECT_EQ(tile["paths"][0]["endX"], "-Infinity");
    EXPECT_EQ(tile["paths"][0]["endY"], 2.0);
    EXPECT_EQ(tile["areas"][0]["radius"], 4.0);
    EXPECT_TRUE(json["sets"][1]["tiles"].empty());

    std::ostringstream failed;
    failed.setstate(std::ios::badbit);
    EXPECT_FALSE(WriteDatabaseJson(failed, database));
}

}  // namespace
}  // namespace lorvane
