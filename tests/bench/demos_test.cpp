#include "bench/demos.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvel::bench {
namespace {

using steam::Game;

TEST(CustomDemo, NameIsTheFileNameUpToTheFirstDotDemAsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {"bench.dem", "bench"}, {"my.demo.dem", "my"}, {"BENCH.DEM", ""},
      {"bench.Dem", ""},      {"notes.txt", ""},     {".dem", ""},
      {"a.dem.dem", "a"},     {"x.dem.bak", "x"},    {"", ""},
  };
  for (auto [file, name] : cases) EXPECT_EQ(CustomDemoName(file), name) << file;
}

TEST(CustomDemo, FileNameOfPath) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Demos\\my run\\bench.dem", "bench.dem"},
      {"bench.dem", "bench.dem"},
      {"D:bench.dem", "bench.dem"},
      {"C:/games/x.dem", "x.dem"},
      {"C:\\Demos\\", ""},
  };
  for (auto [path, file] : cases) EXPECT_EQ(FileNameOfPath(path), file) << path;
}

TEST(SeriesGame, OnlyTheLostCoastDemoOrACustomLostCoastDemoRunsLostCoast) {
  struct Case {
    int item;
    bool lostCoastType;
    Game game;
  };
  const Case cases[] = {
      {0, false, Game::HalfLife2}, {0, true, Game::HalfLife2},  {1, false, Game::LostCoast},
      {1, true, Game::LostCoast},  {2, true, Game::HalfLife2},  {3, false, Game::HalfLife2},
      {3, true, Game::LostCoast},  {-1, true, Game::HalfLife2},
  };
  for (const Case& c : cases) {
    DemoChoice choice{c.item, "C:\\x.dem", c.lostCoastType};
    EXPECT_EQ(SeriesGameFor(choice), c.game) << c.item << " " << c.lostCoastType;
  }
}

GamePaths Paths() {
  return DeriveGamePaths("C:\\Prog\\", "C:\\Steam\\", "C:\\Steam\\steamapps\\me\\", "S-1");
}

TEST(DemoPlan, BuiltInDemosComeFromTheDemosFolderIntoTheirOwnGame) {
  struct Case {
    int item;
    const char *source, *target;
    unsigned pause;
    const char *name, *caption;
  };
  const Case cases[] = {
      {0, "C:\\Prog\\Demos\\zrv_highway.dem",
       "C:\\Steam\\steamapps\\me\\half-life 2\\hl2\\zrv_highway.dem", 0, "zrv_highway",
       "Zarvent - Highway"},
      {1, "C:\\Prog\\Demos\\zrv_lost_coast.dem",
       "C:\\Steam\\steamapps\\me\\half-life 2 lostcoast\\lostcoast\\zrv_lost_coast.dem", 1000,
       "zrv_lost_coast", "Zarvent - Lost Coast"},
      {2, "C:\\Prog\\Demos\\zrv_anticitizen.dem",
       "C:\\Steam\\steamapps\\me\\half-life 2\\hl2\\zrv_anticitizen.dem", 1000, "zrv_anticitizen",
       "Zarvent - Anticitizen One"},
  };
  for (const Case& c : cases) {
    DemoChoice choice{c.item, "C:\\Elsewhere\\other.dem", true};
    DemoInstallPlan plan = PlanDemoInstall(choice, SeriesGameFor(choice), Paths());
    EXPECT_TRUE(plan.HasDemo);
    EXPECT_EQ(plan.Source, c.source);
    EXPECT_EQ(plan.Target, c.target);
    EXPECT_EQ(plan.PauseMs, c.pause);
    EXPECT_EQ(plan.DemoName, c.name);
    EXPECT_EQ(plan.DemoCaption, c.caption);
  }
}

TEST(DemoPlan, CustomDemoIsCopiedFromTheChosenPathIntoTheSeriesGame) {
  DemoChoice choice{kCustomDemoItem, "D:\\My Demos\\my.demo.dem", true};
  DemoInstallPlan lc = PlanDemoInstall(choice, Game::LostCoast, Paths());
  EXPECT_EQ(lc.Source, "D:\\My Demos\\my.demo.dem");
  EXPECT_EQ(lc.Target, "C:\\Steam\\steamapps\\me\\half-life 2 lostcoast\\lostcoast\\my.demo.dem");
  EXPECT_EQ(lc.PauseMs, 1000u);
  EXPECT_EQ(lc.DemoName, "my");
  EXPECT_EQ(lc.DemoCaption, "Custom demo - my");

  choice.CustomPath = "D:\\BENCH.DEM";
  DemoInstallPlan hl2 = PlanDemoInstall(choice, Game::HalfLife2, Paths());
  EXPECT_EQ(hl2.Target, "C:\\Steam\\steamapps\\me\\half-life 2\\hl2\\BENCH.DEM");
  EXPECT_EQ(hl2.DemoName, "");
  EXPECT_EQ(hl2.DemoCaption, "Custom demo - ");
}

TEST(DemoPlan, NoTickedItemInstallsNothing) {
  EXPECT_FALSE(PlanDemoInstall(DemoChoice{-1, "", false}, Game::HalfLife2, Paths()).HasDemo);
}

TEST(DemoCheck, CustomDemoNeedsAnExistingFileBuiltInDemosNeedNothing) {
  std::set<std::string> existing = {"D:\\demos\\bench.dem"};
  auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
  EXPECT_EQ(DemoChoiceProblem({0, "", false}, exists), "");
  EXPECT_EQ(DemoChoiceProblem({1, "D:\\gone.dem", true}, exists), "");
  EXPECT_EQ(DemoChoiceProblem({kCustomDemoItem, "D:\\demos\\bench.dem", false}, exists), "");
  EXPECT_EQ(DemoChoiceProblem({kCustomDemoItem, "", false}, exists),
            "Please define your custom demo and select its type (Normal or Lost Coast)");
  EXPECT_EQ(DemoChoiceProblem({kCustomDemoItem, "D:\\demos\\", false}, exists),
            "Please define your custom demo and select its type (Normal or Lost Coast)");
  EXPECT_EQ(DemoChoiceProblem({kCustomDemoItem, "D:\\gone.dem", false}, exists),
            "The custom demo file \"D:\\gone.dem\" cannot be found. Please choose the demo again.");
}

}  // namespace
}  // namespace quorvel::bench
