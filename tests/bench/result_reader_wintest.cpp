#include "bench/result_reader_win.h"

#include <gtest/gtest.h>

#include "bench/report_writer_win.h"
#include "bench/temp_tree_win.h"
#include "platform/files_win.h"

namespace quorvel::bench {
namespace {

using steam::Game;

std::string FixtureBytes(const std::string& name) {
  std::optional<std::string> bytes =
      files::ReadAll(std::string(QUORVEL_FIXTURES) + "/bench/" + name);
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or("");
}

class ResultFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { paths = tree.Games(); }

  // The four files the reader deals with, in both game folders.
  std::vector<std::string> LeftOver() {
    std::vector<std::string> found;
    for (const std::string& folder : {paths.Hl2GameFolder, paths.LostCoastGameFolder})
      for (const char* name : {"sourcebench.csv", "sourcebench.txt"})
        if (files::FileExists(folder + name)) found.push_back(folder + name);
    return found;
  }

  bench_test::TempTree tree{"results"};
  GamePaths paths;
  BenchSeries series;
};

TEST_F(ResultFilesTest, ReadsTheWorkingCopyOfTheSeriesGame) {
  std::string csv = FixtureBytes("sourcebench_old.csv");
  ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "sourcebench.csv", csv));
  EXPECT_TRUE(ResultExists(paths, Game::HalfLife2));
  EXPECT_FALSE(ResultExists(paths, Game::LostCoast));

  EXPECT_FALSE(ReadRunScore(series, paths));  // no working copy yet
  CopyResultFile(paths, Game::HalfLife2);
  EXPECT_EQ(files::ReadAll(paths.Hl2GameFolder + "sourcebench.txt"), csv);
  ASSERT_TRUE(ReadRunScore(series, paths));
  EXPECT_EQ(series.ScoreText, "45.67");

  // A copy left from an earlier run is replaced.
  ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "sourcebench.csv",
                              FixtureBytes("sourcebench_current.csv")));
  CopyResultFile(paths, Game::HalfLife2);
  ASSERT_TRUE(ReadRunScore(series, paths));
  EXPECT_EQ(series.ScoreText, "47.5");
}

TEST_F(ResultFilesTest, DeleteRemovesTheFilesOfBothGames) {
  for (const std::string& folder : {paths.Hl2GameFolder, paths.LostCoastGameFolder})
    for (const char* name : {"sourcebench.csv", "sourcebench.txt"})
      ASSERT_TRUE(files::WriteAll(folder + name, "x"));
  ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "zrv_highway.dem", "demo"));
  DeleteResultFiles(paths);
  EXPECT_TRUE(LeftOver().empty());
  EXPECT_TRUE(files::FileExists(paths.Hl2GameFolder + "zrv_highway.dem"));
  DeleteResultFiles(paths);  // nothing there: nothing happens
}

SlotBlockSettings Block() {
  SlotBlockSettings s;
  s.HdrText = "None";
  s.HeapsizeText = "128 MB";
  s.AAText = "None";
  s.AFText = "Trilinear";
  return s;
}

TEST_F(ResultFilesTest, LostCoastRunIsRecordedAndLeavesNoResultFileBehind) {
  series.LostCoast = true;
  series.RunsWanted = 1;
  series.CurrentKey = "1024";
  series.RunsDone = 1;
  series.DemoCaption = "Zarvent - Lost Coast";
  series.DetailName = "Maximum";
  ASSERT_TRUE(files::WriteAll(paths.LostCoastGameFolder + "sourcebench.csv",
                              FixtureBytes("sourcebench_old.csv")));
  EXPECT_TRUE(RecordRunResult(series, paths, Block()));
  EXPECT_TRUE(LeftOver().empty());
  ASSERT_EQ(series.ReportLines.size(), 10u);
  EXPECT_EQ(series.ReportLines[0],
            "<BR><B><FONT size=5>Resolution: 1024\xD7"
            "768</FONT></B><BR>");
  EXPECT_EQ(series.ReportLines[1], "Demo: Zarvent - Lost Coast<br>");
  EXPECT_EQ(series.ReportLines[8], "<span class=\"style5\"><b>Score = 45.67 FPS</b></span><br>");
  EXPECT_TRUE(series.SeriesScored);
}

TEST_F(ResultFilesTest, RunsWithoutAUsableResultLeaveNoTrace) {
  series.RunsWanted = 2;
  series.CurrentKey = "640";
  const std::string broken[] = {"", "Half-Life 2 Benchmark Results\r\n\r\n", std::string(3, '\0'),
                                "t\r\n\r\nh\r\nhl2,demo,n/a,1\r\n"};
  for (const std::string& content : broken) {
    ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "sourcebench.csv", content));
    series.RunsDone = 1;
    EXPECT_FALSE(RecordRunResult(series, paths, Block()));
    EXPECT_TRUE(LeftOver().empty());
  }
  series.RunsDone = 2;
  EXPECT_FALSE(RecordRunResult(series, paths, Block()));  // the game wrote nothing at all
  EXPECT_TRUE(series.ReportLines.empty());
  EXPECT_FALSE(series.HeadingWritten);
  EXPECT_FALSE(series.SeriesScored);
}

// A user whose locale writes decimals with a comma, set as the control panel does it.
class CommaLocaleTest : public ResultFilesTest {
 protected:
  void SetUp() override {
    ResultFilesTest::SetUp();
    char old[8] = {};
    ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old, sizeof(old)), 0);
    saved = old;
    ASSERT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","));
  }
  void TearDown() override {
    ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved.c_str());
  }
  std::string saved;
};

TEST_F(CommaLocaleTest, PointFigureReadsTheSameOnACommaLocale) {
  ASSERT_EQ(LocaleDecimalSeparator(), ',');
  series.RunsWanted = 2;
  series.CurrentKey = "640";
  series.RunsDone = 1;
  ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "sourcebench.csv",
                              FixtureBytes("sourcebench_old.csv")));
  ASSERT_TRUE(RecordRunResult(series, paths, Block()));
  EXPECT_DOUBLE_EQ(series.RunFigure, 45.67);
  EXPECT_EQ(series.Score, 46);
}

}  // namespace
}  // namespace quorvel::bench
