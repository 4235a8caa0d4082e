#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/run_command.h"
#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"

namespace lorvane {
namespace {

using testing::MakeDatabase;
using testing::MakeTile;

const TilePath kRoad{10, 60.0f, 0.0f, 400.0f, 1640.0f, 1200.0f};
const TilePath kRiver{2, 120.5f, 200.0f, 3000.0f, 2800.0f, 2400.0f};
const TilePath kRail{11, 30.0f, 10.0f, 20.0f, 30.0f, 40.0f};
const TileArea kLake{1, 300.0f, 2400.0f, 800.0f};
const TileArea kTown{9, 200.25f, 900.0f, 2500.0f};

// diff, merge, export --since, dump and undump, and the warning of the
// commands that add tiles, run as a user runs them.
class TeamCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::MakeTempFolder("lorvane-team");
        Write("Base.bin", BaseSets());
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::vector<TileSet> BaseSets() {
        return {TileSet{4, {MakeTile("H000.PCX", {kRoad, kRiver}, {kLake}), MakeTile("H001.PCX")}},
                TileSet{9, {MakeTile("H010.PCX", {kRail})}}};
    }
    std::string Write(const std::string& name, std::vector<TileSet> sets) {
        const auto path = folder / name;
        testing::WriteFileBytes(path, SerializeTextureBin(MakeDatabase(std::move(sets))));
        return path.string();
    }
    std::string At(const std::string& name) const { return (folder / name).string(); }
    testing::CommandResult Run(const std::vector<std::string>& arguments) {
        return testing::RunCommand(LORVANE_CLI, arguments, folder);
    }

    std::filesystem::path folder;
};

TEST_F(TeamCommands, DiffJsonHasOneShape) {
    auto sets = BaseSets();
    sets[0].tiles[0].paths = {kRoad, kRail, kRiver};  // one inserted
    sets[0].tiles[0].areas = {kTown};                 // one changed
    sets[1].terrainType = 5;
    sets.push_back(TileSet{1, {MakeTile("H020.PCX", {}, {kLake})}});
    Write("Ours.bin", sets);

    const auto same = Run({"diff", At("Base.bin"), At("Base.bin"), "--json"});
    ASSERT_EQ(same.exitStatus, 0) << same.err;
    EXPECT_EQ(same.out, "{\"tiles\":[],\"sets\":[]}\n");

    const auto result = Run({"diff", At("Base.bin"), At("Ours.bin"), "--json"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    ASSERT_EQ(json["tiles"].size(), 2u);
    const auto& tile = json["tiles"][0];
    EXPECT_EQ(tile["id"], 0);
    EXPECT_EQ(tile["name"], "H000.PCX");
    EXPECT_EQ(tile["change"], "changed");
    ASSERT_EQ(tile["paths"]["added"].size(), 1u);
    EXPECT_EQ(tile["paths"]["added"][0]["entry"], 2);
    EXPECT_EQ(tile["paths"]["added"][0]["value"]["type"], 11);
    EXPECT_TRUE(tile["paths"]["removed"].empty());
    EXPECT_TRUE(tile["paths"]["changed"].empty());
    const auto& area = tile["areas"]["changed"].at(0);
    EXPECT_EQ(area["entry"], 1);
    EXPECT_EQ(area["before"]["radius"].get<float>(), kLake.radius);
    EXPECT_EQ(area["after"]["radius"].get<float>(), kTown.radius);
    EXPECT_EQ(json["tiles"][1]["id"], 32);
    EXPECT_EQ(json["tiles"][1]["change"], "added");
    EXPECT_EQ(json["tiles"][1]["areas"]["added"].size(), 1u);
    EXPECT_EQ(json["sets"],
              nlohmann::json::parse(R"([{"set":1,"change":"terrainType","before":9,"after":5},
                                                       {"set":2,"change":"added","after":1}])"));

    const auto text = Run({"diff", At("Base.bin"), At("Ours.bin")});
    EXPECT_NE(text.out.find("Set 1: terrain type Urban -> Brush"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  path 2 added: type 11 width 30 start 10,20 end 30,40"),
              std::string::npos);
    EXPECT_EQ(Run({"diff", At("Base.bin"), At("None.bin")}).exitStatus, 1);
    EXPECT_EQ(Run({"diff", At("Base.bin")}).exitStatus, 2);
}

TEST_F(TeamCommands, MergeExitsByItsConflicts) {
    auto ours = BaseSets();
    ours[0].tiles[0].paths[1].width = 100;    // ours changes path 2
    ours[1].tiles[0].paths.push_back(kRoad);  // and adds one to H010
    auto theirs = BaseSets();
    theirs[0].tiles[0].paths[0].width = 70;  // theirs changes path 1
    theirs[0].tiles[1].areas = {kTown};      // and H001
    Write("Ours.bin", ours);
    Write("Theirs.bin", theirs);
    const auto merged = Run(
        {"merge", At("Base.bin"), At("Ours.bin"), At("Theirs.bin"), "-o", At("Out.bin"), "--json"});
    ASSERT_EQ(merged.exitStatus, 0) << merged.err;
    EXPECT_EQ(nlohmann::json::parse(merged.out),
              nlohmann::json::parse(R"({"written":true,"conflicts":[]})"));
    auto both = BaseSets();
    both[0].tiles[0].paths = {ours[0].tiles[0].paths[1], theirs[0].tiles[0].paths[0]};
    std::swap(both[0].tiles[0].paths[0], both[0].tiles[0].paths[1]);
    both[0].tiles[1].areas = {kTown};
    both[1].tiles[0].paths = {kRail, kRoad};
    EXPECT_EQ(testing::ReadFileBytes(At("Out.bin")), SerializeTextureBin(MakeDatabase(both)));

    // Both change path 2 of H000, theirs removes H010's only path that ours
    // changed: two conflicts, nothing written, until a side is preferred.
    theirs[0].tiles[0].paths[1].width = 5;
    theirs[1].tiles[0].paths.clear();
    ours[1].tiles[0].paths = {kRiver};
    Write("Theirs.bin", theirs);
    Write("Ours.bin", ours);
    const std::vector<std::string> args = {"merge",          At("Base.bin"), At("Ours.bin"),
                                           At("Theirs.bin"), "-o",           At("Conflict.bin")};
    auto withJson = args;
    withJson.push_back("--json");
    const auto conflicts = Run(withJson);
    EXPECT_EQ(conflicts.exitStatus, 1);
    EXPECT_FALSE(std::filesystem::exists(At("Conflict.bin")));
    const auto json = nlohmann::json::parse(conflicts.out);
    EXPECT_EQ(json["written"], false);
    ASSERT_EQ(json["conflicts"].size(), 2u);
    EXPECT_EQ(json["conflicts"][0]["kind"], "path");
    EXPECT_EQ(json["conflicts"][0]["id"], 0);
    EXPECT_EQ(json["conflicts"][0]["name"], "H000.PCX");
    EXPECT_EQ(json["conflicts"][0]["entry"], 2);
    EXPECT_EQ(json["conflicts"][0]["ours"]["width"], 100.0);
    EXPECT_EQ(json["conflicts"][0]["theirs"]["width"], 5.0);
    EXPECT_EQ(json["conflicts"][1]["id"], 16);
    EXPECT_TRUE(json["conflicts"][1]["theirs"].is_null());  // removed
    EXPECT_TRUE(json["conflicts"][1]["settledBy"].is_null());
    const auto text = Run(args);
    EXPECT_EQ(text.exitStatus, 1);
    EXPECT_NE(text.out.find("Conflict: tile 16 H010.PCX, path 1: base type 11"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("theirs absent"), std::string::npos);

    auto prefer = args;
    prefer.insert(prefer.end(), {"--prefer", "theirs"});
    EXPECT_EQ(Run(prefer).exitStatus, 0);
    EXPECT_EQ(testing::ReadFileBytes(At("Conflict.bin")),
              SerializeTextureBin(MakeDatabase(theirs)));
    EXPECT_EQ(Run(prefer).exitStatus, 2);  // exists, no --overwrite
    prefer.back() = "mine";
    EXPECT_EQ(Run(prefer).exitStatus, 2);
    EXPECT_EQ(Run({"merge", At("Base.bin"), At("Ours.bin"), "-o", At("X.bin")}).exitStatus, 2);
}

// What export --since writes is what export --tile writes for the changed
// tiles, and imported into the base it gives the changed database.
TEST_F(TeamCommands, ExportSinceCarriesTheChangedTiles) {
    auto sets = BaseSets();
    sets[0].tiles[1].paths = {kRail};
    sets[1].tiles[0].areas = {kTown, kLake};
    sets[0].tiles[0].name = MakeTileName("H000.pcx");  // a name is not carried
    Write("Ours.bin", sets);
    const auto since =
        Run({"export", At("Ours.bin"), "--since", At("Base.bin"), "-o", At("s.exp")});
    ASSERT_EQ(since.exitStatus, 0) << since.err;
    EXPECT_EQ(since.err, "Export Completed: 2 tiles exported: H001.PCX and H010.PCX.\n");
    ASSERT_EQ(Run({"export", At("Ours.bin"), "--tile", "1", "--tile", "16", "-o", At("t.exp")})
                  .exitStatus,
              0);
    EXPECT_EQ(testing::ReadFileBytes(At("s.exp")), testing::ReadFileBytes(At("t.exp")));
    ASSERT_EQ(Run({"import", At("Base.bin"), At("s.exp"), "-o", At("Imported.bin")}).exitStatus, 0);
    auto expected = sets;
    expected[0].tiles[0].name = MakeTileName("H000.PCX");
    EXPECT_EQ(testing::ReadFileBytes(At("Imported.bin")),
              SerializeTextureBin(MakeDatabase(expected)));

    const auto nothing =
        Run({"export", At("Base.bin"), "--since", At("Base.bin"), "-o", At("n.exp")});
    EXPECT_EQ(nothing.exitStatus, 0);
    EXPECT_EQ(nothing.err,
              "Export Completed: No tile differs from the base. Nothing was exported.\n");
    EXPECT_FALSE(std::filesystem::exists(At("n.exp")));

    // An emptied list and a tile the base lacks are said.
    sets[1].tiles[0].paths.clear();
    sets.push_back(TileSet{1, {MakeTile("H020.PCX", {kRoad})}});
    Write("Ours.bin", sets);
    const auto warned =
        Run({"export", At("Ours.bin"), "--since", At("Base.bin"), "-o", At("w.exp")});
    EXPECT_EQ(warned.exitStatus, 0);
    EXPECT_NE(warned.err.find("Export: The base does not hold H020.PCX"), std::string::npos)
        << warned.err;
    EXPECT_NE(warned.err.find("emptied paths or areas of H010.PCX"), std::string::npos);
    EXPECT_EQ(Run({"export", At("Ours.bin"), "-o", At("x.exp")}).exitStatus, 2);
}

TEST_F(TeamCommands, DumpAndUndumpGiveTheSameBytes) {
    const auto dumped = Run({"dump", At("Base.bin")});
    ASSERT_EQ(dumped.exitStatus, 0) << dumped.err;
    EXPECT_EQ(dumped.out.rfind(
                  "lorvane-texture 1\nset 0 4\ntile 0 \"H000.PCX\"\narea 1 300 2400 800\n", 0),
              0u);
    ASSERT_EQ(Run({"dump", At("Base.bin"), "-o", At("Base.txt")}).exitStatus, 0);
    ASSERT_EQ(Run({"undump", At("Base.txt"), "-o", At("Back.bin")}).exitStatus, 0);
    EXPECT_EQ(testing::ReadFileBytes(At("Back.bin")), testing::ReadFileBytes(At("Base.bin")));
    EXPECT_EQ(Run({"undump", At("Base.txt"), "-o", At("Back.bin")}).exitStatus, 2);

    testing::WriteFileBytes(At("Bad.txt"), {std::byte{'l'}});
    const auto bad = Run({"undump", At("Bad.txt"), "-o", At("Bad.bin")});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_EQ(bad.err,
              "Read Error: Line 1 of the database text: the text does not begin with the line "
              "\"lorvane-texture 1\".\n");
    EXPECT_FALSE(std::filesystem::exists(At("Bad.bin")));
}

TEST_F(TeamCommands, AddingAnImageHeldByAnotherSetIsSaidOnce) {
    const auto added = Run({"add-tiles", At("Base.bin"), "--set", "1", "tiles/h000.pcx", "H001.PCX",
                            "H011.PCX", "-o", At("More.bin")});
    ASSERT_EQ(added.exitStatus, 0) << added.err;
    EXPECT_EQ(
        added.err,
        "Tile in Another Set: h000.pcx is already in Set# 0. H001.PCX is already in Set# 0.\n");
    const auto fresh =
        Run({"add-set", At("Base.bin"), "--type", "Urban", "H030.PCX", "-o", At("Fresh.bin")});
    ASSERT_EQ(fresh.exitStatus, 0);
    EXPECT_EQ(fresh.err, "");
}

}  // namespace
}  // namespace lorvane
