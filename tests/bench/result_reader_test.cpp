#include "bench/result_reader.h"

#include <gtest/gtest.h>

#include "support/fixture.h"

namespace quorvel::bench {
namespace {

std::string Fixture(const std::string& name) { return testing::Fixture("bench/" + name); }

// A result file of the old layout whose run line is `runLine`.
std::string OldLayout(const std::string& runLine) {
  return "Half-Life 2 Benchmark Results\r\n\r\ndemofile,map,frames/sec,seconds,\r\n" + runLine +
         "\r\n";
}

TEST(ResultFile, LineBreaksOfEveryKind) {
  const char* cases[] = {
      "t\r\n\r\nh\r\nhl2,demo,45.67,1\r\n",
      "t\n\nh\nhl2,demo,45.67,1",
      "t\r\rh\rhl2,demo,45.67,1\r",
      "t\r\n\nh\rhl2,demo,45.67,1\n\r\n",
  };
  for (const char* content : cases)
    EXPECT_DOUBLE_EQ(ParseResultFile(content, '.').value_or(ResultFigure{}).Value, 45.67)
        << content;
  // CR LF is one line break, so the run is not on line 4 here.
  EXPECT_FALSE(ParseResultFile("t\n\r\nh\r\n\nhl2,demo,45.67,1\r\n", '.'));
}

TEST(ResultFile, OldLayoutGivesTheThirdFieldOfTheFourthLineUnchanged) {
  auto figure = ParseResultFile(Fixture("sourcebench_old.csv"), '.');
  ASSERT_TRUE(figure);
  EXPECT_EQ(figure->Text, "45.67");
  EXPECT_DOUBLE_EQ(figure->Value, 45.67);

  // Blanks stay in the printed text but do not break the number.
  auto spaced = ParseResultFile(OldLayout("hl2,demo, 45.67 ,12.3,88.1"), '.');
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->Text, " 45.67 ");
  EXPECT_DOUBLE_EQ(spaced->Value, 45.67);
}

TEST(ResultFile, CurrentLayoutTakesTheFpsColumnOfTheLastRun) {
  auto figure = ParseResultFile(Fixture("sourcebench_current.csv"), '.');
  ASSERT_TRUE(figure);
  EXPECT_EQ(figure->Text, "47.5");
  EXPECT_DOUBLE_EQ(figure->Value, 47.5);

  // One run, "%5.1f" padding, CR LF, a trailing empty line.
  auto one = ParseResultFile("demo,fps,frames,\r\nzrv, 9.5,300,\r\n\r\n", '.');
  ASSERT_TRUE(one);
  EXPECT_EQ(one->Text, "9.5");
  EXPECT_DOUBLE_EQ(one->Value, 9.5);
}

TEST(ResultFile, DecimalSeparatorOfEitherKindReadsTheSameOnEveryLocale) {
  for (char locale : {'.', ','}) {
    auto old = ParseResultFile(Fixture("sourcebench_old.csv"), locale);
    ASSERT_TRUE(old) << locale;
    EXPECT_DOUBLE_EQ(old->Value, 45.67) << locale;
    EXPECT_EQ(old->Text, "45.67");
    auto current = ParseResultFile(Fixture("sourcebench_current.csv"), locale);
    ASSERT_TRUE(current) << locale;
    EXPECT_DOUBLE_EQ(current->Value, 47.5) << locale;
  }
  EXPECT_DOUBLE_EQ(*ConvertFigure("45,67", '.'), 45.67);
  EXPECT_DOUBLE_EQ(*ConvertFigure("45.67", ','), 45.67);
  EXPECT_DOUBLE_EQ(*ConvertFigure("45,67", ','), 45.67);
  EXPECT_DOUBLE_EQ(*ConvertFigure(" 46 ", ','), 46.0);
}

TEST(ResultFile, FilesWithoutAUsableFigureGiveNoResult) {
  const std::string cases[] = {
      "",
      "Half-Life 2 Benchmark Results\r\n\r\nheader\r\n",  // three lines only
      OldLayout("hl2,demo,45.67"),                        // two commas
      OldLayout("hl2,demo,,12"),                          // empty field
      OldLayout("hl2,demo,fast,12"),                      // not a number
      OldLayout("hl2,demo,45.6.7,12"),
      OldLayout("hl2,demo,-,12"),
      OldLayout("hl2,demo,1e999,12"),       // no double holds it
      OldLayout("hl2,demo,3000000000,12"),  // no score holds it
      OldLayout("hl2,demo,nan,12"),
      OldLayout("hl2,demo,0x1A,12"),
      "demo,fps,\r\n",                 // header without a run
      "demo,map,fps,\r\nzrv,map\r\n",  // run line too short
      "demo,fps,\r\nzrv,n/a,\r\n",
      std::string("\0\0\0\n\x01,\x02,\x03,\n\n\n", 13),
  };
  for (const std::string& content : cases) EXPECT_FALSE(ParseResultFile(content, '.')) << content;
}

TEST(ResultFile, HugeFilesAreReadToTheirEndOnly) {
  // Megabytes of line breaks after a good run line, one endless line, an endless figure.
  std::string manyLines = OldLayout("hl2,demo,45.67,1") + std::string(1 << 20, '\n');
  EXPECT_DOUBLE_EQ(ParseResultFile(manyLines, '.').value_or(ResultFigure{}).Value, 45.67);
  EXPECT_FALSE(ParseResultFile(std::string(1 << 20, ','), '.'));
  EXPECT_FALSE(ParseResultFile(OldLayout("a,b,1" + std::string(1 << 20, '0') + ",c"), '.'));
  std::string columns = "fps," + std::string(1 << 20, ',') + "\n" + std::string(1 << 20, '\n');
  EXPECT_FALSE(ParseResultFile(columns, '.'));
}

TEST(ParseDecimal, StrictNumbersWithTheGivenSeparator) {
  const std::pair<const char*, double> good[] = {
      {"45.67", 45.67}, {"+3", 3},    {"-2.5", -2.5},    {".5", 0.5},
      {"7.", 7},        {"1e2", 100}, {"\t12.5 ", 12.5},
  };
  for (auto [text, value] : good)
    EXPECT_DOUBLE_EQ(ParseDecimal(text, '.').value_or(-999), value) << text;
  for (const char* bad : {"", " ", ".", "+", "1e", "1 2", "1..2", "12a", "a12", "45,6", "inf"})
    EXPECT_FALSE(ParseDecimal(bad, '.')) << bad;
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {
      {45.5, 46}, {46.5, 46}, {47.5, 48}, {0.5, 0},    {1.5, 2},    {-0.5, 0},
      {-1.5, -2}, {45.6, 46}, {46.4, 46}, {2.4999, 2}, {2.5001, 3}, {45.67, 46},
  };
  for (auto [in, out] : cases) EXPECT_EQ(RoundHalfEven(in), out) << in;
}

// Plays one run of the current resolution: the figure read from `content` (nullopt: the run
// left no usable file), scored as the sequencer does with several runs.
void PlayRun(BenchSeries& s, const std::string& key, int runNumber,
             std::optional<std::string> figure) {
  s.CurrentKey = key;
  s.RunsDone = runNumber;
  if (figure && ReadRunScore(s, OldLayout("hl2,demo," + *figure + ",1"), '.')) ScoreRun(s);
}

TEST(Scores, ThreeRunsAverageIsTruncated) {
  BenchSeries s;
  s.RunsWanted = 3;
  BeginSeries(s);
  std::vector<int> scores;
  for (auto [n, f] : {std::pair{1, "45.6"}, {2, "46.4"}, {3, "47.5"}}) {
    PlayRun(s, "640", n, f);
    scores.push_back(s.Score);
    EXPECT_EQ(s.ScoreText, std::to_string(s.Score));
    if (n == 2) EXPECT_EQ(s.ScoreSum, 92);
  }
  EXPECT_EQ(scores, (std::vector<int>{46, 46, 48}));
  EXPECT_EQ(s.AverageScore, 46);  // 140 / 3
  EXPECT_EQ(s.ScoreSum, 0);
}

TEST(Scores, HalvesRoundToEvenInTheAverage) {
  BenchSeries s;
  s.RunsWanted = 2;
  PlayRun(s, "800", 1, "45.5");
  EXPECT_EQ(s.Score, 46);
  PlayRun(s, "800", 2, "46.5");
  EXPECT_EQ(s.Score, 46);
  EXPECT_EQ(s.AverageScore, 46);
}

TEST(Scores, OneRunPerResolutionKeepsTheFiguresDecimals) {
  BenchSeries s;
  s.RunsWanted = 1;
  ASSERT_TRUE(ReadRunScore(s, Fixture("sourcebench_old.csv"), '.'));
  EXPECT_EQ(s.ScoreText, "45.67");
  EXPECT_TRUE(s.SeriesScored);
}

TEST(Scores, UnreadableRunLeavesTheLastScoreAndTheSeriesUnscored) {
  BenchSeries s;
  s.ScoreText = "untouched";
  EXPECT_FALSE(ReadRunScore(s, OldLayout("a,b,c"), '.'));
  EXPECT_EQ(s.ScoreText, "untouched");
  EXPECT_FALSE(s.SeriesScored);
}

TEST(Scores, SumStartsAfreshWithEveryResolution) {
  BenchSeries s;
  s.RunsWanted = 2;
  BeginSeries(s);
  // 640: the last run leaves no file, so no average is printed there ...
  PlayRun(s, "640", 1, "90");
  PlayRun(s, "640", 2, std::nullopt);
  // ... and its 90 must not leak into the next resolution's average.
  PlayRun(s, "800", 1, "40");
  PlayRun(s, "800", 2, "42");
  EXPECT_EQ(s.AverageScore, 41);
}

TEST(Scores, AverageCountsOnlyTheRunsThatProducedAScore) {
  BenchSeries s;
  s.RunsWanted = 3;
  PlayRun(s, "1024", 1, "60");
  PlayRun(s, "1024", 2, std::nullopt);  // the game crashed
  PlayRun(s, "1024", 3, "62");
  EXPECT_EQ(s.AverageScore, 61);
}

TEST(Series, ANewSeriesDoesNotInheritTheLastSeriesScore) {
  BenchSeries s;
  s.RunsWanted = 1;
  ASSERT_TRUE(ReadRunScore(s, Fixture("sourcebench_old.csv"), '.'));
  s.ReportPath = "C:\\Results\\result_1.htm";
  EXPECT_STREQ(SeriesEndStatus(s), "The benchmarking is successful.");

  BeginSeries(s);  // the next series: every run fails
  EXPECT_FALSE(ReadRunScore(s, "", '.'));
  EXPECT_FALSE(s.SeriesScored);
  EXPECT_EQ(s.ScoreText, "");
  EXPECT_EQ(s.ReportPath, "");
  EXPECT_STREQ(SeriesEndStatus(s), "Benchmark aborted!");
}

}  // namespace
}  // namespace quorvel::bench
