#include "bench/game_config_win.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "bench/temp_tree_win.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"

namespace quorvel::bench {
namespace {

using steam::Game;

// A user of our own below HKEY_USERS, created and removed by each test.
constexpr const char* kSid = "S-1-5-21-4242-4242-4242-1001";
constexpr std::uint32_t kMarker = 77;  // shows a value nobody wrote

class GameRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeA(HKEY_USERS, kSid);
    paths = DeriveGamePaths("C:\\prog\\", "C:\\steam\\", "C:\\steam\\acct\\", kSid);
    for (Game game : {Game::HalfLife2, Game::LostCoast}) {
      HKEY k = nullptr;
      ASSERT_EQ(::RegCreateKeyExA(HKEY_USERS, paths.GameSettingsKey(game).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &k, nullptr),
                ERROR_SUCCESS);
      RegKey key(k);
      for (const char* name : {"mat_antialias", "mat_forceaniso", "mat_trilinear", "mat_hdr_level"})
        reg::WriteDword(key.Get(), name, kMarker);
    }
  }
  void TearDown() override { ::RegDeleteTreeA(HKEY_USERS, kSid); }

  // Every value of the game's key with its number; wrong types fail the read.
  std::map<std::string, std::uint32_t> Values(Game game) {
    std::map<std::string, std::uint32_t> out;
    RegKey key = reg::Open(HKEY_USERS, paths.GameSettingsKey(game), KEY_READ);
    EXPECT_TRUE(key);
    if (!key) return out;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof(name);
      DWORD type = 0;
      if (::RegEnumValueA(key.Get(), i, name, &length, nullptr, &type, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
      out[name] = reg::ReadDword(key.Get(), name);
    }
    return out;
  }

  GamePaths paths;
};

TEST_F(GameRegistryTest, HalfLife2SeriesWritesEveryValueIntoItsOwnKeyOnly) {
  // Trilinear, 2x anti-aliasing, full HDR.
  EXPECT_TRUE(WriteRunRegistry(paths, Game::HalfLife2, 1, 1));
  EXPECT_TRUE(WriteDetailRegistry(paths, Game::HalfLife2, 2));
  std::map<std::string, std::uint32_t> expected = {
      {"mat_picmip", 0},         {"r_shadowrendertotexture", 1},
      {"r_rootlod", 0},          {"r_waterforcereflectentities", 1},
      {"mat_reducefillrate", 0}, {"mat_vsync", 0},
      {"mat_forceaniso", 1},     {"mat_trilinear", 1},
      {"mat_antialias", 2},      {"mat_parallaxmap", 1},
      {"mat_hdr_level", 2},
  };
  EXPECT_EQ(Values(Game::HalfLife2), expected);
  std::map<std::string, std::uint32_t> untouched = {{"mat_antialias", kMarker},
                                                    {"mat_forceaniso", kMarker},
                                                    {"mat_trilinear", kMarker},
                                                    {"mat_hdr_level", kMarker}};
  EXPECT_EQ(Values(Game::LostCoast), untouched);
}

TEST_F(GameRegistryTest, LostCoastSeriesWritesUnderLostCoastOnly) {
  EXPECT_TRUE(WriteRunRegistry(paths, Game::LostCoast, 5, 3));
  EXPECT_TRUE(WriteDetailRegistry(paths, Game::LostCoast, 0));
  std::map<std::string, std::uint32_t> lc = Values(Game::LostCoast);
  EXPECT_EQ(lc["mat_forceaniso"], 16u);
  EXPECT_EQ(lc["mat_trilinear"], 0u);
  EXPECT_EQ(lc["mat_antialias"], 6u);
  EXPECT_EQ(lc["mat_hdr_level"], 0u);
  EXPECT_EQ(lc.count("mat_vsync"), 1u);
  std::map<std::string, std::uint32_t> hl2 = Values(Game::HalfLife2);
  EXPECT_EQ(hl2.size(), 4u);
  EXPECT_EQ(hl2["mat_antialias"], kMarker);
}

TEST_F(GameRegistryTest, FromSystemAndNoSelectionKeepTheGamesOwnValues) {
  EXPECT_TRUE(WriteRunRegistry(paths, Game::HalfLife2, 6, 4));
  EXPECT_TRUE(WriteDetailRegistry(paths, Game::HalfLife2, -1));
  std::map<std::string, std::uint32_t> v = Values(Game::HalfLife2);
  EXPECT_EQ(v["mat_forceaniso"], kMarker);
  EXPECT_EQ(v["mat_trilinear"], kMarker);
  EXPECT_EQ(v["mat_antialias"], kMarker);
  EXPECT_EQ(v["mat_hdr_level"], kMarker);
  EXPECT_EQ(v["mat_picmip"], 0u);
  EXPECT_EQ(v["mat_parallaxmap"], 1u);
  EXPECT_EQ(v.size(), 11u);
}

TEST_F(GameRegistryTest, MissingKeyIsNeitherWrittenNorCreated) {
  ASSERT_EQ(::RegDeleteTreeA(HKEY_USERS, paths.GameSettingsKey(Game::HalfLife2).c_str()),
            ERROR_SUCCESS);
  ::RegDeleteKeyA(HKEY_USERS, paths.GameSettingsKey(Game::HalfLife2).c_str());
  EXPECT_FALSE(WriteRunRegistry(paths, Game::HalfLife2, 0, 0));
  EXPECT_FALSE(WriteDetailRegistry(paths, Game::HalfLife2, 0));
  EXPECT_FALSE(reg::KeyExists(HKEY_USERS, paths.GameSettingsKey(Game::HalfLife2)));
}

std::string Gold() {
  std::optional<std::string> gold =
      files::ReadAll(std::string(QUORVEL_FIXTURES) + "/bench/autoexec.cfg");
  EXPECT_TRUE(gold);
  return gold.value_or("");
}

TEST(Autoexec, WrittenIntoTheSeriesGamesCfgFolderReplacingWhatWasThere) {
  bench_test::TempTree tree("autoexec");
  GamePaths paths = tree.Games();
  std::string hl2 = paths.Hl2CfgFolder + "autoexec.cfg";
  std::string lc = paths.LostCoastCfgFolder + "autoexec.cfg";
  ASSERT_TRUE(files::WriteAll(
      hl2, "exec my_binds.cfg\r\nbind x quit\r\nbind y quit\r\n" + std::string(2000, '#')));
  ASSERT_TRUE(files::WriteAll(lc, "lost coast's own\r\n"));

  EXPECT_TRUE(WriteAutoexec(paths, Game::HalfLife2));
  EXPECT_EQ(files::ReadAll(hl2), Gold());
  EXPECT_EQ(files::ReadAll(lc), "lost coast's own\r\n");
  // A second series writes the same script.
  EXPECT_TRUE(WriteAutoexec(paths, Game::HalfLife2));
  EXPECT_EQ(files::ReadAll(hl2), Gold());
}

TEST(Autoexec, LostCoastSeriesWritesOnlyTheLostCoastScript) {
  bench_test::TempTree tree("autoexec_lc");
  GamePaths paths = tree.Games();
  EXPECT_TRUE(WriteAutoexec(paths, Game::LostCoast));
  EXPECT_EQ(files::ReadAll(paths.LostCoastCfgFolder + "autoexec.cfg"), Gold());
  EXPECT_FALSE(files::FileExists(paths.Hl2CfgFolder + "autoexec.cfg"));
}

TEST(Autoexec, MissingCfgFolderIsSkippedQuietly) {
  bench_test::TempTree tree("autoexec_missing");
  GamePaths paths = DeriveGamePaths(tree.Root(), tree.Root(), tree.Root() + "no account\\", kSid);
  EXPECT_FALSE(WriteAutoexec(paths, Game::HalfLife2));
  EXPECT_FALSE(files::DirectoryExists(paths.Hl2CfgFolder));
}

}  // namespace
}  // namespace quorvel::bench
