#include "bench/demos_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "bench/temp_tree_win.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"

namespace quorvel::bench {
namespace {

using steam::Game;

// Records the pauses instead of sleeping through them.
class PauseLog : public Seams {
 public:
  unsigned WaitMs(unsigned ms) override {
    pauses.push_back(ms);
    return 0;
  }
  std::vector<unsigned> pauses;
};

class InstallDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSeams(&seams);
    paths = tree.Games();
    demos = tree.Folder("prog\\Demos");
    for (const char* name : {"zrv_highway.dem", "zrv_lost_coast.dem", "zrv_anticitizen.dem"})
      ASSERT_TRUE(files::WriteAll(demos + name, std::string("delivered ") + name));
    chosen = tree.Folder("my demos") + "my.demo.dem";
    ASSERT_TRUE(files::WriteAll(chosen, "recorded by the user"));
  }
  void TearDown() override { InstallSeams(nullptr); }

  std::string Content(const std::string& path) { return files::ReadAll(path).value_or("(none)"); }

  bench_test::TempTree tree{"demos"};
  PauseLog seams;
  GamePaths paths;
  std::string demos;
  std::string chosen;
  BenchSeries series;
};

TEST_F(InstallDemoTest, BuiltInDemosAreCopiedIntoTheirGameFolderWhenMissing) {
  struct Case {
    int item;
    Game game;
    const char* file;
    std::vector<unsigned> pauses;
    const char *name, *caption;
  };
  const Case cases[] = {
      {0, Game::HalfLife2, "zrv_highway.dem", {}, "zrv_highway", "Zarvent - Highway"},
      {1, Game::LostCoast, "zrv_lost_coast.dem", {1000}, "zrv_lost_coast", "Zarvent - Lost Coast"},
      {2,
       Game::HalfLife2,
       "zrv_anticitizen.dem",
       {1000},
       "zrv_anticitizen",
       "Zarvent - Anticitizen One"},
  };
  for (const Case& c : cases) {
    seams.pauses.clear();
    DemoChoice choice{c.item, "", false};
    InstallDemo(series, paths, choice, SeriesGameFor(choice));
    Game other = c.game == Game::LostCoast ? Game::HalfLife2 : Game::LostCoast;
    EXPECT_EQ(Content(paths.GameFolder(c.game) + c.file), std::string("delivered ") + c.file);
    EXPECT_FALSE(files::FileExists(paths.GameFolder(other) + c.file)) << c.file;
    EXPECT_EQ(seams.pauses, c.pauses) << c.file;
    EXPECT_EQ(series.DemoName, c.name);
    EXPECT_EQ(series.DemoCaption, c.caption);
  }
}

TEST_F(InstallDemoTest, ADemoAlreadyInTheGameFolderIsUsedAsItIs) {
  std::string present = paths.Hl2GameFolder + "zrv_anticitizen.dem";
  ASSERT_TRUE(files::WriteAll(present, "an older recording"));
  InstallDemo(series, paths, DemoChoice{2, "", false}, Game::HalfLife2);
  EXPECT_EQ(Content(present), "an older recording");
  EXPECT_TRUE(seams.pauses.empty());
  EXPECT_EQ(series.DemoName, "zrv_anticitizen");
}

TEST_F(InstallDemoTest, CustomDemoIsCopiedFromTheChosenFileIntoTheSeriesGame) {
  DemoChoice lostCoast{kCustomDemoItem, chosen, true};
  InstallDemo(series, paths, lostCoast, SeriesGameFor(lostCoast));
  EXPECT_EQ(Content(paths.LostCoastGameFolder + "my.demo.dem"), "recorded by the user");
  EXPECT_FALSE(files::FileExists(paths.Hl2GameFolder + "my.demo.dem"));
  EXPECT_EQ(seams.pauses, std::vector<unsigned>{1000});
  EXPECT_EQ(series.DemoName, "my");
  EXPECT_EQ(series.DemoCaption, "Custom demo - my");

  DemoChoice normal{kCustomDemoItem, chosen, false};
  InstallDemo(series, paths, normal, SeriesGameFor(normal));
  EXPECT_EQ(Content(paths.Hl2GameFolder + "my.demo.dem"), "recorded by the user");
}

TEST_F(InstallDemoTest, NoTickedDemoKeepsTheDemoOfThePreviousSeries) {
  series.DemoName = "zrv_highway";
  series.DemoCaption = "Zarvent - Highway";
  InstallDemo(series, paths, DemoChoice{-1, chosen, false}, Game::HalfLife2);
  EXPECT_EQ(series.DemoName, "zrv_highway");
  EXPECT_EQ(series.DemoCaption, "Zarvent - Highway");
  EXPECT_FALSE(files::FileExists(paths.Hl2GameFolder + "my.demo.dem"));
}

TEST_F(InstallDemoTest, CustomDemoWhoseFileIsGoneRefusesTheSeries) {
  EXPECT_EQ(CheckDemoChoice(DemoChoice{kCustomDemoItem, chosen, false}), "");
  EXPECT_EQ(CheckDemoChoice(DemoChoice{kCustomDemoItem, "", false}),
            "Please define your custom demo and select its type (Normal or Lost Coast)");
  ASSERT_TRUE(files::DeleteQuietly(chosen));
  EXPECT_EQ(
      CheckDemoChoice(DemoChoice{kCustomDemoItem, chosen, false}),
      "The custom demo file \"" + chosen + "\" cannot be found. Please choose the demo again.");
  // A folder of that name is no demo file either.
  std::string folder = tree.Folder("my demos\\x.dem");
  folder.pop_back();
  EXPECT_EQ(
      CheckDemoChoice(DemoChoice{kCustomDemoItem, folder, false}),
      "The custom demo file \"" + folder + "\" cannot be found. Please choose the demo again.");
  EXPECT_EQ(CheckDemoChoice(DemoChoice{0, "", false}), "");
}

}  // namespace
}  // namespace quorvel::bench
