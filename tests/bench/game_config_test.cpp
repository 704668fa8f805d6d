#include "bench/game_config.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace quorvel::bench {

void PrintTo(const GameValue& v, std::ostream* os) { *os << v.Name << "=" << v.Number; }

namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(QUORVEL_FIXTURES) + "/bench/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Autoexec, MatchesTheGoldFileByteForByte) {
  EXPECT_EQ(AutoexecText(), Fixture("autoexec.cfg"));
}

const std::vector<GameValue> kFixedStart = {
    {"mat_picmip", 0},         {"r_shadowrendertotexture", 1},
    {"r_rootlod", 0},          {"r_waterforcereflectentities", 1},
    {"mat_reducefillrate", 0}, {"mat_vsync", 0}};

std::vector<GameValue> WithFixedStart(std::vector<GameValue> tail) {
  std::vector<GameValue> all = kFixedStart;
  all.insert(all.end(), tail.begin(), tail.end());
  return all;
}

TEST(RunRegistry, FilteringAndAntiAliasingTables) {
  struct Case {
    int af, aa;
    std::vector<GameValue> tail;
  };
  const Case cases[] = {
      {0, 0, {{"mat_forceaniso", 1}, {"mat_trilinear", 0}, {"mat_antialias", 0}}},
      {1, 1, {{"mat_forceaniso", 1}, {"mat_trilinear", 1}, {"mat_antialias", 2}}},
      {2, 2, {{"mat_forceaniso", 2}, {"mat_trilinear", 0}, {"mat_antialias", 4}}},
      {3, 3, {{"mat_forceaniso", 4}, {"mat_trilinear", 0}, {"mat_antialias", 6}}},
      {4, 4, {{"mat_forceaniso", 8}, {"mat_trilinear", 0}}},
      {5, -1, {{"mat_forceaniso", 16}, {"mat_trilinear", 0}}},
      // "From System" and no selection leave the game's own values alone.
      {6, 0, {{"mat_antialias", 0}}},
      {-1, 3, {{"mat_antialias", 6}}},
      {6, 4, {}},
      {7, 5, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunRegistryValues(c.af, c.aa), WithFixedStart(c.tail))
        << "af " << c.af << " aa " << c.aa;
}

TEST(DetailRegistry, HdrLevelIsTheIndexAndMissingWithoutSelection) {
  const std::vector<GameValue> base = {{"mat_reducefillrate", 0}, {"mat_parallaxmap", 1}};
  for (int hdr = 0; hdr <= 2; ++hdr) {
    std::vector<GameValue> expected = base;
    expected.push_back({"mat_hdr_level", static_cast<std::uint32_t>(hdr)});
    EXPECT_EQ(DetailRegistryValues(hdr), expected) << hdr;
  }
  EXPECT_EQ(DetailRegistryValues(-1), base);
  EXPECT_EQ(DetailRegistryValues(3), base);
}

TEST(LaunchOptions, EntriesGiveTheirFragments) {
  struct Case {
    int refresh, heap;
    bool fastZ;
    const char *refreshText, *heapText, *fastZText;
  };
  const Case cases[] = {
      {0, 0, false, "-refresh 60", "-heapsize 64000", "+r_fastzreject 0"},
      {1, 1, true, "-refresh 70", "-heapsize 128000", "+r_fastzreject 1"},
      {2, 2, false, "-refresh 75", "-heapsize 256000", "+r_fastzreject 0"},
      {3, 3, true, "-refresh 85", "-heapsize 512000", "+r_fastzreject 1"},
      {3, 4, true, "-refresh 85", "-heapsize 1024000", "+r_fastzreject 1"},
  };
  for (const Case& c : cases) {
    BenchSeries series;
    BuildLaunchOptions(series, c.refresh, c.heap, c.fastZ);
    EXPECT_EQ(series.RefreshOption, c.refreshText);
    EXPECT_EQ(series.HeapOption, c.heapText);
    EXPECT_EQ(series.FastZOption, c.fastZText);
  }
}

TEST(LaunchOptions, ListWithoutSelectionKeepsThePreviousSeriesFragment) {
  BenchSeries series;
  BuildLaunchOptions(series, -1, -1, true);
  EXPECT_EQ(series.RefreshOption, "");  // first series since start-up
  EXPECT_EQ(series.HeapOption, "");
  EXPECT_EQ(series.FastZOption, "+r_fastzreject 1");

  BuildLaunchOptions(series, 2, 4, true);
  BeginSeries(series);  // a new series must not lose them
  BuildLaunchOptions(series, -1, -1, false);
  EXPECT_EQ(series.RefreshOption, "-refresh 75");
  EXPECT_EQ(series.HeapOption, "-heapsize 1024000");
  EXPECT_EQ(series.FastZOption, "+r_fastzreject 0");  // the tick box is always rebuilt
}

}  // namespace
}  // namespace quorvel::bench
