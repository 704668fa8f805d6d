#include "bench/compare_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bench/results_export.h"
#include "bench/results_fixture.h"

namespace quorvel::bench {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(ReadResultsFile, AFileWeWroteReadsBack) {
  auto read = ReadResultsFile(ResultsJson(testing::SmallSeries()), "a.json");
  ASSERT_TRUE(std::holds_alternative<ComparedResult>(read)) << std::get<std::string>(read);
  const ComparedResult& r = std::get<ComparedResult>(read);
  EXPECT_EQ(r.Source, "a.json");
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Game, "Half-Life 2");
  EXPECT_EQ(r.Demo, "zrv_highway (Highway)");
  EXPECT_EQ(r.StartedAt, "3/12/2008 2:05:33 PM");
  ASSERT_EQ(r.Resolutions.size(), 2u);
  EXPECT_EQ(r.Resolutions[0].Key, "1024");
  EXPECT_EQ(r.Resolutions[0].Figures, (std::vector<double>{45.6, 47.5}));
  EXPECT_EQ(r.Machine[3].Name, "Driver version");
  EXPECT_EQ(r.Settings[0].Value, "4\xC3\x97");
}

TEST(ReadResultsFile, EveryWrongFileGetsItsReason) {
  std::string good = ResultsJson(testing::SmallSeries());
  auto with = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  struct Case {
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"", "is not a JSON file"},
      {good.substr(0, good.size() / 2), "is not a JSON file"},
      {"result_1.htm <html>", "is not a JSON file"},
      {"{\"format\": \"quorvel-results\", \"name\": \"\xFF\"}", "is not a JSON file"},
      {"[1, 2]", "is not a Quorvel result file"},
      // A number too large for a double is refused by the parser with another exception.
      {"8e898", "is not a JSON file"},
      {with("\"fps\": 45.6", "\"fps\": 1e999"), "is not a JSON file"},
      {"{}", "is not a Quorvel result file"},
      {with("quorvel-results", "other-tool"), "is not a Quorvel result file"},
      {std::string(100000, '['), "is not a Quorvel result file"},
      {with("\"schema_version\": 1", "\"schema_version\": 2"),
       "was written with result format version 2; this program reads version 1"},
      {with("\"schema_version\": 1", "\"schema_version\": \"1\""), "is damaged"},
      {with("\"machine\"", "\"machines\""), "is damaged: \"machine\" is missing"},
      {with("\"fps\": 45.6", "\"fps\": \"45.6\""), "is damaged: a run's \"fps\" is not a number"},
      {with("\"fps\": 45.6", "\"fps\": -3"), "is damaged: a run's \"fps\" is out of range"},
      {with("\"resolutions\": [", "\"resolutions\": [7, "), "is damaged: a resolution is not"},
      {with("\"Windows XP\"", "17"), "is damaged: a value of \"machine\" is no text"},
      {with("\"complete\": true", "\"complete\": 1"), "is damaged: \"complete\""},
  };
  for (const Case& c : cases) {
    auto read = ReadResultsFile(c.bytes, "x.json");
    ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.bytes.substr(0, 80);
    EXPECT_THAT(std::get<std::string>(read), HasSubstr(c.reason)) << c.bytes.substr(0, 80);
  }
}

std::vector<ResultsFile> Files(const std::vector<SeriesResults>& series) {
  std::vector<ResultsFile> files;
  for (size_t i = 0; i < series.size(); ++i)
    files.push_back({"result_" + std::to_string(i + 1) + ".json", ResultsJson(series[i]), false});
  return files;
}

TEST(BuildComparePage, RefusesWhatCannotBeCompared) {
  SeriesResults hl2 = testing::SmallSeries();
  SeriesResults lc = testing::SmallSeries();
  lc.LostCoast = true;
  struct Case {
    std::vector<ResultsFile> files;
    std::string failure;
  } cases[] = {
      {{}, "Choose two or more result files (.json) to compare."},
      {Files({hl2}), "Choose two or more result files (.json) to compare."},
      {{Files({hl2})[0], {"gone.json", "", true}}, "The file \"gone.json\" cannot be read."},
      {{Files({hl2})[0], {"b.json", "{}", false}},
       "The file \"b.json\" is not a Quorvel result file."},
      {Files({hl2, hl2, lc}),
       "\"result_3.json\" holds results of Half-Life 2: Lost Coast and \"result_1.json\" of "
       "Half-Life 2: only results of the same game can be compared."},
  };
  for (const Case& c : cases) {
    CompareOutcome outcome = BuildComparePage(c.files);
    EXPECT_EQ(outcome.Failure, c.failure);
    EXPECT_TRUE(outcome.Page.empty());
  }
}

TEST(ComparePage, BarsWhiskersDifferencesAndWhatDiffers) {
  SeriesResults faster = testing::SmallSeries(1.1, "6.14.10.9999");
  faster.Complete = false;
  faster.Settings[1].Value = "<i>quiet</i> & cool";
  faster.Resolutions.erase(faster.Resolutions.begin() + 1);  // no 640x480
  CompareOutcome outcome = BuildComparePage(Files({testing::SmallSeries(), faster}));
  ASSERT_EQ(outcome.Failure, "");
  const std::string& page = outcome.Page;
  // One chart per resolution, in the catalogue's order, nothing to fetch or run.
  EXPECT_EQ(Count(page, "<svg"), 2u);
  EXPECT_LT(page.find("640\xC3\x97"
                      "480"),
            page.find("1024\xC3\x97"
                      "768"));
  EXPECT_THAT(page, Not(HasSubstr("<script")));
  EXPECT_THAT(page, Not(HasSubstr("http")));
  EXPECT_THAT(page, Not(HasSubstr("src=")));
  // 1024x768: means 46.55 and 51.205, axis up to 100 (max 52.25): bars from x 44 over 426.
  EXPECT_THAT(page, HasSubstr("46.5 fps"));
  EXPECT_THAT(page, HasSubstr("51.2 fps  +10.0 %"));
  // The second result's whisker from 45.6 * 1.1 = 50.16 to 52.25.
  EXPECT_THAT(page, HasSubstr("<line x1=\"257.7\" y1=\"61\" x2=\"266.6\" y2=\"61\""));
  // 640x480 was not measured by the second result.
  EXPECT_THAT(page, HasSubstr("not measured"));
  EXPECT_THAT(page, HasSubstr("incomplete"));
  // What differs: the driver and the completeness; the rest is the same in both.
  size_t differs = page.find("<h2>What differs</h2>");
  size_t same = page.find("<h2>The same in every result</h2>");
  ASSERT_NE(differs, std::string::npos);
  ASSERT_NE(same, std::string::npos);
  std::string differsPart = page.substr(differs, same - differs);
  EXPECT_THAT(differsPart,
              HasSubstr("<tr><th>Driver version</th><td>6.14.10.9147</td><td>6.14.10.9999</td>"));
  EXPECT_THAT(differsPart, HasSubstr("<tr><th>Complete</th><td>yes</td><td>no</td>"));
  EXPECT_THAT(differsPart, Not(HasSubstr("Athlon")));
  EXPECT_THAT(page.substr(same), HasSubstr("<tr><th>CPU</th><td>Athlon 64</td></tr>"));
  // Texts of the files are escaped, never markup, in either table.
  EXPECT_THAT(differsPart, HasSubstr("<td>new &quot;fan&quot;, &lt;b&gt;cool&lt;/b&gt;</td>"
                                     "<td>&lt;i&gt;quiet&lt;/i&gt; &amp; cool</td>"));
  EXPECT_THAT(page, Not(HasSubstr("<b>cool")));
  EXPECT_THAT(page, Not(HasSubstr("<i>quiet")));
}

TEST(ComparePage, ManyResultsEachGetARowAndAColour) {
  std::vector<SeriesResults> series;
  for (int i = 0; i < 20; ++i) series.push_back(testing::SmallSeries(1.0 + i * 0.05));
  CompareOutcome outcome = BuildComparePage(Files(series));
  ASSERT_EQ(outcome.Failure, "");
  EXPECT_THAT(outcome.Page, HasSubstr(">#20</text>"));
  EXPECT_THAT(outcome.Page, HasSubstr("<h1>Half-Life 2 Benchmark: 20 results compared</h1>"));
  EXPECT_THAT(outcome.Page, HasSubstr("<p>The machine, the driver, the settings and the demo are "
                                      "the same in every result.</p>"));
  // 20 bars in each of the two charts.
  EXPECT_EQ(Count(outcome.Page, "<rect "), 40u);
}

}  // namespace
}  // namespace quorvel::bench
