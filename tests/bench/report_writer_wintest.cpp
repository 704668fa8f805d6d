#include "bench/report_writer_win.h"

#include <gtest/gtest.h>

#include "bench/result_reader.h"
#include "bench/temp_tree_win.h"
#include "platform/files_win.h"
#include "support/scripted_seams_win.h"

namespace quorvel::bench {
namespace {

class ReportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSeams(&seams);
    paths = tree.Games();
    results = tree.Folder("Benchmark");
    series.RunsWanted = 1;
    series.DetailName = "Maximum";
  }
  void TearDown() override { InstallSeams(nullptr); }

  // Starts a series with the given stamp and its head.
  void Begin(const std::string& stamp) {
    BeginSeries(series);
    series.Stamp = stamp;
    series.StartedAt = "3/12/2008 2:05:33 PM";
    WriteReportHead(series, SystemInfoSnapshot{}, "");
  }

  // One run of 640 x 480 whose result file holds `content` (nullopt: none was written).
  void PlayRun(std::optional<std::string> content) {
    series.CurrentKey = "640";
    series.RunsDone = 1;
    series.HeadingWritten = false;
    if (content) ASSERT_TRUE(files::WriteAll(paths.Hl2GameFolder + "sourcebench.csv", *content));
    RecordRunResult(series, paths, SlotBlockSettings{});
  }

  int SavedReports() {
    int count = 0;
    WIN32_FIND_DATAA found;
    FindHandle find(::FindFirstFileA((results + "result_*.htm").c_str(), &found));
    if (find) do
        ++count;
      while (::FindNextFileA(find.Get(), &found));
    return count;
  }

  bench_test::TempTree tree{"report"};
  testing::ScriptedSeams seams;
  GamePaths paths;
  std::string results;
  BenchSeries series;
};

const char* kGoodResult = "t\r\n\r\nh\r\nhl2,demo,45.67,1\r\n";

TEST_F(ReportFileTest, ScoredSeriesSavesItsLinesAndOpensThem) {
  Begin("3_12_2008_2_05_33_PM");
  PlayRun(kGoodResult);
  std::string expectedName = results + "result_3_12_2008_2_05_33_PM.htm";
  ASSERT_TRUE(files::WriteAll(expectedName, "an older report of the same minute"));

  EXPECT_EQ(FinishReport(series, results), "");
  EXPECT_EQ(series.ReportPath, expectedName);
  EXPECT_EQ(series.ReportLines.back(),
            "<CENTER>Zarvent Half-Life 2 benchmark - Copyright (C) 2005-2008 Zarvent"
            "</CENTER><BR></BODY></HTML>");
  EXPECT_EQ(files::ReadAll(expectedName), ReportText(series.ReportLines));
  EXPECT_STREQ(SeriesEndStatus(series), "The benchmarking is successful.");

  OpenReport(series, nullptr);
  EXPECT_EQ(seams.log, std::vector<std::string>{"open SW_SHOW: " + expectedName});
}

TEST_F(ReportFileTest, SeriesWithoutAnyScoreSavesAndOpensNothing) {
  Begin("first");
  PlayRun(std::nullopt);
  PlayRun("not a result file");
  EXPECT_EQ(FinishReport(series, results), "");
  EXPECT_EQ(series.ReportPath, "");
  EXPECT_EQ(SavedReports(), 0);
  OpenReport(series, nullptr);
  EXPECT_TRUE(seams.log.empty());
  EXPECT_STREQ(SeriesEndStatus(series), "Benchmark aborted!");
}

TEST_F(ReportFileTest, FailedSeriesAfterAScoredOneIsStillAborted) {
  Begin("first");
  PlayRun(kGoodResult);
  ASSERT_EQ(FinishReport(series, results), "");
  OpenReport(series, nullptr);
  ASSERT_EQ(SavedReports(), 1);
  seams.log.clear();

  Begin("second");  // the game now writes nothing
  PlayRun(std::nullopt);
  PlayRun(std::nullopt);
  EXPECT_EQ(FinishReport(series, results), "");
  EXPECT_EQ(SavedReports(), 1);
  EXPECT_FALSE(files::FileExists(results + "result_second.htm"));
  EXPECT_STREQ(SeriesEndStatus(series), "Benchmark aborted!");
  OpenReport(series, nullptr);
  EXPECT_TRUE(seams.log.empty());
}

TEST_F(ReportFileTest, UnwritableResultsFolderGivesTheMessageAndNoReport) {
  Begin("x");
  PlayRun(kGoodResult);
  std::string missing = tree.Root() + "gone\\";
  std::string message = FinishReport(series, missing);
  std::string prefix = "Cannot create file \"" + missing + "result_x.htm\". ";
  EXPECT_EQ(message.substr(0, prefix.size()), prefix);
  EXPECT_GT(message.size(), prefix.size());  // the system's reason follows
  EXPECT_EQ(series.ReportPath, "");
  EXPECT_STREQ(SeriesEndStatus(series), "Benchmark aborted!");
  OpenReport(series, nullptr);
  EXPECT_TRUE(seams.log.empty());
}

TEST(LocaleStamp, DateAndTimeOfTheLocaleGiveTheFileName) {
  // Two-digit days and months in German, whose short date pads them on some systems only.
  struct Case {
    LANGID language;
    WORD month;
    const char* text;
    const char* file;
  } cases[] = {
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 3, "3/12/2008 2:05:33 PM",
       "C:\\R\\result_3_12_2008_2_05_33_PM.htm"},
      {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 11, "12.11.2008 14:05:33",
       "C:\\R\\result_12_11_2008_14_05_33.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SYSTEMTIME when = {};
    when.wYear = 2008;
    when.wMonth = c.month;
    when.wDay = 12;
    when.wHour = 14;
    when.wMinute = 5;
    when.wSecond = 33;
    std::string text = LocaleDateTimeText(when, MAKELCID(c.language, SORT_DEFAULT));
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(ReportFileName("C:\\R\\", MakeStamp(text)), c.file);
  }
}

TEST(LocaleStamp, SeriesStampIsFileNameSafe) {
  BenchSeries series;
  StampSeries(series);
  EXPECT_FALSE(series.StartedAt.empty());
  EXPECT_FALSE(series.Stamp.empty());
  EXPECT_EQ(series.Stamp.find_first_of(":./-\\ "), std::string::npos) << series.Stamp;
}

}  // namespace
}  // namespace quorvel::bench
