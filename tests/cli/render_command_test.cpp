// lorvane-cli render: the PNG holds the stretched tile image, and the paths
// and areas of the tile drawn with their pens where TileToPixel puts them.

#include <gtest/gtest.h>

#include <string>

#include "cli/render_overlay.h"
#include "image/pcx.h"
#include "support/pcx_writer.h"
#include "support/png_reader.h"
#include "support/run_command.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"

namespace lorvane {
namespace {

constexpr int kSize = 329;  // image area 328 wide: 10 feet per pixel

uint32_t Colour(const Pen& pen) {
    return uint32_t{pen.colour.red} << 16 | uint32_t{pen.colour.green} << 8 | pen.colour.blue;
}

class RenderCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = testing::MakeTempFolder("lorvane-render");
        // A 16 × 16 checkerboard of 4-pixel squares in dark green and grey.
        testing::PcxPicture picture;
        picture.width = 16;
        picture.height = 16;
        picture.indices.resize(256);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                picture.At(x, y) = static_cast<uint8_t>((x / 4 + y / 4) % 2);
        }
        picture.palette[0] = {20, 60, 20};
        picture.palette[1] = {90, 90, 90};
        tileBytes_ = testing::WritePcx(picture);
        testing::WriteFileBytes(folder_ / "h010.pcx", tileBytes_);

        // (type, width, start X, start Y, end X, end Y): a Road of two
        // segments, a River, and a 1-pixel No Data path near the top.
        std::vector<TilePath> paths = {{10, 50, 1000, 200, 1000, 1500},
                                       {10, 50, 1000, 1500, 2500, 1500},
                                       {2, 100, 300, 2000, 3000, 3000},
                                       {5, 20, 3100, 100, 3100, 900}};
        // (type, radius, centre X, centre Y): Water and Rocky.
        std::vector<TileArea> areas = {{1, 300, 2400, 800}, {8, 200, 600, 2600}};
        database_ =
            testing::MakeDatabase({TileSet{4, {testing::MakeTile("H000.PCX")}},
                                   TileSet{4, {testing::MakeTile("H010.PCX", paths, areas)}}});
        testing::WriteFileBytes(folder_ / "Texture.bin", SerializeTextureBin(database_));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "render");
        const testing::CommandResult result = testing::RunCommand(LORVANE_CLI, arguments);
        stderr_ = result.err;
        return result.exitStatus;
    }
    const std::string& Stderr() const { return stderr_; }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
    std::vector<std::byte> tileBytes_;
    TileDatabase database_;
    std::string stderr_;
};

TEST_F(RenderCommand, DrawsPathsAndAreasWhereTileToPixelPutsThem) {
    ASSERT_EQ(Run({Path("h010.pcx"), "--texture", Path("Texture.bin"), "--size", "329", "-o",
                   Path("out.png")}),
              0)
        << Stderr();
    ASSERT_EQ(Run({Path("h010.pcx"), "--size", "329", "-o", Path("plain.png")}), 0) << Stderr();
    const auto drawn = testing::ReadPng(folder_ / "out.png");
    const auto plain = testing::ReadPng(folder_ / "plain.png");
    ASSERT_TRUE(drawn && plain);
    ASSERT_EQ(drawn->width, kSize);
    ASSERT_EQ(drawn->height, kSize);

    // The image alone is the decoded tile stretched.
    const auto image = DecodePcx(tileBytes_);
    ASSERT_TRUE(image);
    const std::vector<uint32_t> stretched = StretchPcx(*image, kSize, kSize);
    for (size_t i = 0; i < stretched.size(); ++i)
        ASSERT_EQ(plain->pixels[i], stretched[i] & 0xFFFFFF) << i;

    // The shapes, through the same take-in and mapping.
    EditorWorkingSet working;
    EditorChoices choices;
    TakeInPaths(working, choices, database_, 1, 0);
    TakeInAreas(working, choices, database_, 1, 0);
    const Overlay overlay = OverlayOf(working, PictureScale(kSize, kSize));
    ASSERT_EQ(overlay.segments.size(), 4u);
    ASSERT_EQ(overlay.circles.size(), 2u);
    EXPECT_EQ(overlay.segments[0], (SegmentShape{PathPens[1], 20, 228, 150, 228}));
    EXPECT_EQ(overlay.circles[0], (CircleShape{AreaPens[0], 80, 88, 30}));

    for (const SegmentShape& s : overlay.segments) {
        const uint32_t colour = Colour(s.pen);
        EXPECT_EQ(drawn->At(s.x1, s.y1), colour) << s.x1 << ", " << s.y1;
        EXPECT_EQ(drawn->At(s.x2, s.y2), colour) << s.x2 << ", " << s.y2;
        EXPECT_EQ(drawn->At((s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2), colour);
    }
    for (const CircleShape& c : overlay.circles) {
        const uint32_t colour = Colour(c.pen);
        EXPECT_EQ(drawn->At(c.centerX + c.radius, c.centerY), colour) << "right of " << c.centerX;
        EXPECT_EQ(drawn->At(c.centerX - c.radius, c.centerY), colour) << "left of " << c.centerX;
        EXPECT_EQ(drawn->At(c.centerX, c.centerY - c.radius), colour) << "top of " << c.centerX;
        EXPECT_EQ(drawn->At(c.centerX, c.centerY + c.radius), colour) << "bottom of " << c.centerX;
        // Circles are not filled.
        EXPECT_EQ(drawn->At(c.centerX, c.centerY), plain->At(c.centerX, c.centerY));
    }
    // Every changed pixel carries one of the pens' colours, and lies near a
    // shape: nothing is drawn elsewhere.
    int changed = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (drawn->At(x, y) == plain->At(x, y)) continue;
            ++changed;
            const uint32_t colour = drawn->At(x, y);
            EXPECT_TRUE(colour == 0xFF0000 || colour == 0x00FFFF || colour == 0x0000FF ||
                        colour == 0xFFFFFF)
                << std::hex << colour << " at " << std::dec << x << ", " << y;
        }
    }
    EXPECT_GT(changed, 500);
    EXPECT_LT(changed, 2500);
}

TEST_F(RenderCommand, TileNotInTheDatabaseIsAFailure) {
    testing::WriteFileBytes(folder_ / "H7FF.PCX", tileBytes_);
    EXPECT_EQ(Run({Path("H7FF.PCX"), "--texture", Path("Texture.bin"), "-o", Path("alone.png")}),
              1);
    EXPECT_EQ(Stderr(), "Tile Info Not Found: PCX file H7FF.PCX not in Texture.bin file.\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "alone.png"));
    // Without a database the image is drawn alone.
    ASSERT_EQ(Run({Path("H7FF.PCX"), "-o", Path("alone.png")}), 0);
    const auto alone = testing::ReadPng(folder_ / "alone.png");
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->width, 16);  // the image's own size
    EXPECT_EQ(alone->At(0, 0), 0x143C14u);
    EXPECT_EQ(alone->At(4, 0), 0x5A5A5Au);
}

TEST_F(RenderCommand, Failures) {
    std::vector<std::byte> notPcx(200, std::byte{0});
    testing::WriteFileBytes(folder_ / "zero.pcx", notPcx);
    testing::WriteFileBytes(folder_ / "taken.png", notPcx);
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{Path("missing.pcx"), "-o", Path("a.png")}, 1, "cannot read"},
        {{Path("zero.pcx"), "-o", Path("a.png")}, 1, "is not a PCX image that can be shown"},
        {{Path("h010.pcx"), "-o", Path("taken.png")}, 2, "give --overwrite"},
        {{Path("h010.pcx"), "--texture", Path("missing.bin"), "-o", Path("a.png")},
         1,
         "File Open Error: Error opening Texture.bin file."},
        {{Path("h010.pcx"), "--size", "0", "-o", Path("a.png")}, 2, "--size"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.arguments), c.status) << c.arguments[0] << " " << c.arguments[1];
        EXPECT_NE(Stderr().find(c.stderrHas), std::string::npos) << Stderr();
        EXPECT_FALSE(std::filesystem::exists(folder_ / "a.png")) << c.arguments[0];
    }
    EXPECT_EQ(Run({Path("h010.pcx"), "--overwrite", "-o", Path("taken.png")}), 0);
    EXPECT_TRUE(testing::ReadPng(folder_ / "taken.png"));
}

}  // namespace
}  // namespace lorvane
