#include "bench/results_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "bench/results_fixture.h"

namespace quorvel::bench {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

TEST(ResultFileFields, BothLayoutsNameEveryColumnOfTheRun) {
  std::string old =
      "Half-Life 2 Benchmark Results\r\n\r\n"
      "demofile,frame data spreadsheet,frames/sec,,width,\r\n"
      "zrv_highway,simulated, 45.67,0.09,1024,\r\n";
  std::vector<ResultField> expected = {{"demofile", "zrv_highway"},
                                       {"frame data spreadsheet", "simulated"},
                                       {"frames/sec", "45.67"},
                                       {"column 4", "0.09"},
                                       {"width", "1024"}};
  EXPECT_EQ(ResultFileFields(old), expected);

  // The newer layout: the last run in the file is the one just played.
  std::string current =
      "demo,fps,width,\n"
      "zrv_highway, 45.7,1024,\n"
      "zrv_highway, 47.5,1280,extra\n\n";
  expected = {{"demo", "zrv_highway"}, {"fps", "47.5"}, {"width", "1280"}, {"column 4", "extra"}};
  EXPECT_EQ(ResultFileFields(current), expected);

  EXPECT_TRUE(ResultFileFields("").empty());
  EXPECT_TRUE(ResultFileFields("title\r\n\r\nheader,\r\n").empty());
  EXPECT_TRUE(ResultFileFields("demo,fps,\r\n").empty());
}

TEST(ResultsJson, HoldsEverythingWithStatsAndSchema) {
  Json j = Json::parse(ResultsJson(testing::SmallSeries()));
  EXPECT_EQ(j["format"], "quorvel-results");
  EXPECT_EQ(j["schema_version"], 1);
  EXPECT_EQ(j["complete"], true);
  EXPECT_EQ(j["game"]["name"], "Half-Life 2");
  EXPECT_EQ(j["game"]["app_id"], 220);
  EXPECT_EQ(j["demo"]["name"], "zrv_highway");
  // Latin-1 texts arrive as UTF-8; the machine keeps the report's order.
  EXPECT_EQ(j["settings"]["Antialiasing mode"], "4\xC3\x97");
  std::vector<std::string> machineOrder;
  for (auto& [k, v] : j["machine"].items()) machineOrder.push_back(k);
  EXPECT_THAT(machineOrder,
              ::testing::ElementsAre("Operating system", "CPU", "Graphics card", "Driver version"));
  const Json& big = j["resolutions"][0];
  EXPECT_EQ(big["key"], "1024");
  EXPECT_EQ(big["label"],
            "1024\xC3\x97"
            "768");
  EXPECT_EQ(big["width"], 1024);
  ASSERT_EQ(big["runs"].size(), 3u);
  EXPECT_EQ(big["runs"][0]["fps"], 45.6);
  EXPECT_EQ(big["runs"][0]["fields"]["frames/sec"], "45.60");
  EXPECT_TRUE(big["runs"][1]["fps"].is_null());
  const Json& stats = big["stats"];
  EXPECT_EQ(stats["runs"], 2);  // the run without a result is not a figure
  EXPECT_EQ(stats["mean"], 46.55);
  EXPECT_EQ(stats["min"], 45.6);
  EXPECT_EQ(stats["max"], 47.5);
  EXPECT_EQ(stats["sd"], 1.3435);
  EXPECT_EQ(stats["t"], 12.706);
  EXPECT_EQ(stats["ci95_low"], 34.4793);
  EXPECT_EQ(stats["ci95_high"], 58.6207);
  // One run: a mean but no spread.
  const Json& small = j["resolutions"][1]["stats"];
  EXPECT_EQ(small["mean"], 80);
  EXPECT_TRUE(small["sd"].is_null());
  EXPECT_TRUE(small["ci95_low"].is_null());

  SeriesResults lc = testing::SmallSeries();
  lc.LostCoast = true;
  lc.Complete = false;
  Json k = Json::parse(ResultsJson(lc));
  EXPECT_EQ(k["game"]["name"], "Half-Life 2: Lost Coast");
  EXPECT_EQ(k["game"]["app_id"], 340);
  EXPECT_EQ(k["complete"], false);
}

TEST(ResultsCsv, OneTableWithQuotedTextsAndSummaries) {
  std::string csv = ResultsCsv(testing::SmallSeries());
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "kind,key,resolution,run,fps,mean,min,max,sd,cv_percent,ci95_low,ci95_high,name,value");
  EXPECT_THAT(csv, HasSubstr("\r\ninfo,,,,,,,,,,,,schema_version,1\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\ninfo,,,,,,,,,,,,complete,yes\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nmachine,,,,,,,,,,,,Driver version,6.14.10.9147\r\n"));
  // A comma or a quote in a text: the field is quoted, quotes doubled.
  EXPECT_THAT(csv, HasSubstr("\r\nsetting,,,,,,,,,,,,Note,\"new \"\"fan\"\", <b>cool</b>\"\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nrun,1024,1024\xC3\x97"
                             "768,1,45.6,,,,,,,,,\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nrun,1024,1024\xC3\x97"
                             "768,2,,,,,,,,,,\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nfield,1024,1024\xC3\x97"
                             "768,1,,,,,,,,,frames/sec,45.60\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nsummary,1024,1024\xC3\x97"
                             "768,2,,46.55,45.6,47.5,1.3435,2.8862,"
                             "34.4793,58.6207,,\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nsummary,640,640\xC3\x97"
                             "480,1,,80,80,80,,,,,,\r\n"));
  // Every row has the same number of columns (none of the texts above holds a line break).
  size_t rows = 0;
  for (size_t start = 0; start < csv.size(); ++rows) {
    size_t end = csv.find("\r\n", start);
    std::string row = csv.substr(start, end - start);
    int commas = 0;
    bool quoted = false;
    for (char c : row) {
      if (c == '"') quoted = !quoted;
      if (c == ',' && !quoted) ++commas;
    }
    EXPECT_EQ(commas, 13) << row;
    start = end + 2;
  }
  EXPECT_GT(rows, 10u);
}

TEST(MachineFields, TheReportsGraphicsBlocksWithUniqueNames) {
  SystemInfoSnapshot info;
  info.OperatingSystem = "Windows XP";
  info.SystemMemory = "2.0 GB ";
  info.CpuSpeed = 2400;
  info.AtiFound = true;
  info.AtiCardName = "X800";
  info.AtiBusType = "AGP";  // without a memory type the bus type is not shown
  info.AdapterFound = true;
  info.AdapterName = "Adapter";
  info.DriverVersion = "6.14";
  std::vector<std::string> names;
  for (const ResultField& f : MachineFields(info)) names.push_back(f.Name);
  EXPECT_THAT(names,
              ::testing::ElementsAre("Operating system", "System memory", "CPU", "CPU speed",
                                     "Sound system", "Graphics card", "Memory", "Current VPU speed",
                                     "Current memory speed", "Driver version", "Graphics card (2)",
                                     "Memory (2)", "Current GPU speed (2)",
                                     "Current memory speed (2)", "Driver version (2)"));
  info.AtiFound = info.AdapterFound = false;
  info.CardName = "Generic";
  info.SystemMemory.reset();
  std::vector<ResultField> plain = MachineFields(info);
  EXPECT_EQ(plain.size(), 7u);
  EXPECT_EQ(plain[4].Name, "Graphics card");
  EXPECT_EQ(plain[4].Value, "Generic");
  EXPECT_EQ(plain[2].Value, "2400 MHz");
}

TEST(ResultsFileName, TheReportsNameWithAnotherExtension) {
  EXPECT_EQ(ResultsFileName("C:\\Bench\\result_1_2.htm", ".json"), "C:\\Bench\\result_1_2.json");
  EXPECT_EQ(ResultsFileName("C:\\my.results\\result_x", ".csv"), "C:\\my.results\\result_x.csv");
  EXPECT_EQ(ResultsFileName("result_x.htm", ".csv"), "result_x.csv");
}

TEST(SeriesResults, CustomSizeLabelAndFigures) {
  SeriesResults r;
  EXPECT_FALSE(r.AnyFigure());
  ResolutionResult& custom = r.Resolution("custom", "1000", "700");
  EXPECT_EQ(custom.Label, "1000 \xD7 700 (Custom)");
  EXPECT_EQ(custom.Width, 1000);
  custom.Runs.push_back({1, std::nullopt, "", {}});
  EXPECT_FALSE(r.AnyFigure());
  EXPECT_EQ(&r.Resolution("custom", "", ""), &r.Resolutions[0]);
  EXPECT_EQ(r.Resolution("hdtv1", "", "").Label,
            "1280\xD7"
            "768 (HD WideScreen)");
  r.Resolutions[0].Runs.push_back({2, 30.0, "30", {}});
  EXPECT_TRUE(r.AnyFigure());
}

}  // namespace
}  // namespace quorvel::bench
