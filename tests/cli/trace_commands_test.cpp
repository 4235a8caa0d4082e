// lorvane-cli trace and suggest on painted tiles written as PCX files: the
// JSON they print, joined legs through --via points, and the exit status
// of points that connect nothing, of an unreadable image and of bad points.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "support/painted_tile.h"
#include "support/pcx_writer.h"
#include "support/run_command.h"
#include "support/texture_builder.h"
#include "trace/tracer.h"

namespace lorvane {
namespace {

constexpr int32_t kSize = 256;
constexpr double kFeetPerPixel = kTraceTileFeet / kSize;

// A pixel point (x across, y down) as "X,Y" in feet (X up, Y across).
std::string Feet(double x, double y) {
    return std::to_string(kTraceTileFeet - y * kFeetPerPixel) + "," +
           std::to_string(x * kFeetPerPixel);
}

class TraceCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = testing::MakeTempFolder("lorvane-trace");
        // A road across, bending down at x = 160, and a river from the top.
        PcxImage image = testing::PaintedGround(kSize, 21);
        testing::PaintBand(image, {{20, 80}, {160, 80}, {220, 200}}, 6, testing::kRoadColour);
        testing::PaintBand(image, {{60, 10}, {60, 60}}, 8, testing::kRiverColour);
        testing::PcxPicture picture;
        picture.width = picture.height = kSize;
        for (int32_t y = 0; y < kSize; ++y)
            for (int32_t x = 0; x < kSize; ++x) picture.indices.push_back(image.Index(x, y));
        for (size_t i = 0; i < 256; ++i)
            picture.palette[i] = {image.palette[i].red, image.palette[i].green,
                                  image.palette[i].blue};
        testing::WriteFileBytes(folder_ / "tile.pcx", testing::WritePcx(picture));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    testing::CommandResult Run(std::vector<std::string> arguments) {
        return testing::RunCommand(LORVANE_CLI, arguments);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

// Checks the segments' shape and that they are joined; gives them.
std::vector<TraceSegment> Segments(const nlohmann::json& segments) {
    std::vector<TraceSegment> out;
    for (const auto& s : segments) {
        EXPECT_EQ(s.size(), 4u);
        out.push_back({{s.at("startX").get<double>(), s.at("startY").get<double>()},
                       {s.at("endX").get<double>(), s.at("endY").get<double>()}});
        if (out.size() > 1) {
            EXPECT_EQ(out[out.size() - 2].end, out.back().start);
        }
    }
    return out;
}

TEST_F(TraceCommands, TracePrintsTheWidthAndJoinedSegmentsLegByLeg) {
    // Along the road, then through the bend by a --via point.
    const auto straight =
        Run({"trace", Path("tile.pcx"), "--from", Feet(30, 80), "--to", Feet(150, 80), "--json"});
    ASSERT_EQ(straight.exitStatus, 0) << straight.err;
    const auto json = nlohmann::json::parse(straight.out);
    EXPECT_EQ(json.size(), 2u);
    EXPECT_NEAR(json.at("width").get<double>() / kFeetPerPixel, 6, 1.5);
    const auto segments = Segments(json.at("segments"));
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_NEAR(segments[0].start.x, kTraceTileFeet - 80 * kFeetPerPixel, 2 * kFeetPerPixel);
    EXPECT_NEAR(segments[0].end.y, 150 * kFeetPerPixel, 4 * kFeetPerPixel);

    const auto bent =
        Run({"trace", Path("tile.pcx"), "--from", Feet(30, 80), "--via", Feet(120, 80), "--via",
             Feet(180, 120), "--to", Feet(210, 180), "--json"});
    ASSERT_EQ(bent.exitStatus, 0) << bent.err;
    // Each --via takes one point, wherever it stands.
    const auto reordered =
        Run({"trace", "--via", Feet(120, 80), "--via", Feet(180, 120), Path("tile.pcx"), "--from",
             Feet(30, 80), "--to", Feet(210, 180), "--json"});
    EXPECT_EQ(reordered.exitStatus, 0) << reordered.err;
    EXPECT_EQ(reordered.out, bent.out);
    const auto legs = Segments(nlohmann::json::parse(bent.out).at("segments"));
    ASSERT_GE(legs.size(), 2u);
    EXPECT_NEAR(legs.back().end.x, kTraceTileFeet - 180 * kFeetPerPixel, 4 * kFeetPerPixel);

    const auto text =
        Run({"trace", Path("tile.pcx"), "--from", Feet(30, 80), "--to", Feet(150, 80)});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    EXPECT_NE(text.out.find("feet, 1 segments"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("segment 1: "), std::string::npos) << text.out;
}

TEST_F(TraceCommands, SuggestListsEachFeatureWithColourWidthAndSegments) {
    const auto result = Run({"suggest", Path("tile.pcx"), "--json"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    ASSERT_EQ(json.size(), 1u);
    const auto& paths = json.at("paths");
    ASSERT_EQ(paths.size(), 2u) << result.out << result.err;
    // The road, longer, first; then the river.
    EXPECT_EQ(paths[0].at("colour"), nlohmann::json::parse("[178, 176, 172]"));
    EXPECT_EQ(paths[1].at("colour"), nlohmann::json::parse("[50, 90, 190]"));
    EXPECT_NEAR(paths[0].at("width").get<double>() / kFeetPerPixel, 6, 1.5);
    EXPECT_NEAR(paths[1].at("width").get<double>() / kFeetPerPixel, 8, 2);
    for (const auto& path : paths) {
        EXPECT_EQ(path.size(), 3u);
        EXPECT_FALSE(Segments(path.at("segments")).empty());
    }
    EXPECT_EQ(Segments(paths[0].at("segments")).size(), 2u) << result.out;  // the bend

    const auto text = Run({"suggest", Path("tile.pcx")});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    EXPECT_EQ(text.out.rfind("2 paths\npath 1: colour 178,176,172, width ", 0), 0u) << text.out;
    const auto none = Run({"suggest", Path("tile.pcx"), "--min-length", "6000", "--json"});
    ASSERT_EQ(none.exitStatus, 0) << none.err;
    EXPECT_EQ(nlohmann::json::parse(none.out), nlohmann::json::parse(R"({"paths": []})"));
}

TEST_F(TraceCommands, FailsWhereNothingConnectsOrTheImageCannotBeRead) {
    const std::string tile = Path("tile.pcx");
    testing::WriteFileBytes(folder_ / "bad.pcx", std::vector<std::byte>(300, std::byte{7}));
    const std::vector<std::vector<std::string>> failing = {
        // From the road out over bare ground.
        {"trace", tile, "--from", Feet(100, 80), "--to", Feet(100, 200)},
        // Both points on one pixel.
        {"trace", tile, "--from", Feet(100, 80), "--to", Feet(100.2, 80.2)},
        {"trace", Path("missing.pcx"), "--from", "10,10", "--to", "20,20"},
        {"trace", Path("bad.pcx"), "--from", "10,10", "--to", "20,20"},
        {"suggest", Path("missing.pcx")},
        {"suggest", Path("bad.pcx"), "--json"},
    };
    for (const auto& arguments : failing) {
        SCOPED_TRACE(arguments[1] + " " + (arguments.size() > 3 ? arguments[3] : ""));
        const auto result = Run(arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_NE(result.err.find(arguments[1]), std::string::npos) << result.err;
    }
}

TEST_F(TraceCommands, RefusesPointsThatAreNotOnTheTile) {
    const std::string tile = Path("tile.pcx");
    for (const std::string point : {"10", "10,", ",10", "10;20", "x,20", "10,20,30", "-1,20",
                                    "10,3280.5", "nan,10", "1e9,1"}) {
        SCOPED_TRACE(point);
        for (const char* option : {"--from", "--to", "--via"}) {
            std::vector<std::string> arguments = {"trace",   tile,   "--from",
                                                  "100,100", "--to", "200,200"};
            if (std::string(option) == "--via") {
                arguments.insert(arguments.end(), {"--via", point});
            } else {
                arguments[std::string(option) == "--from" ? 3 : 5] = point;
            }
            const auto result = Run(arguments);
            EXPECT_EQ(result.exitStatus, 2) << option;
            EXPECT_NE(result.err.find(point), std::string::npos) << result.err;
        }
    }
}

}  // namespace
}  // namespace lorvane
