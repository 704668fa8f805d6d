// Times what the result files add at a series' end and the comparison page:
//  1. the report of a full series (10 resolutions x 5 runs) saved, against the same report
//     saved together with its JSON and CSV files; the files must add under 5 %;
//  2. a comparison page of 100 such result files, read, compared and written: under 1 s.
// Prints each figure next to its limit.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/reference_machine.h"
#include "bench/report_writer.h"
#include "bench/report_writer_win.h"
#include "bench/result_reader.h"
#include "bench/results_export.h"
#include "bench/results_files_win.h"
#include "bench/results_recording.h"
#include "measure.h"
#include "platform/files_win.h"
#include "platform/win.h"
#include "settings/resolution_catalogue.h"

namespace {

using quorvel::perf::Median;
using quorvel::perf::NowMs;

using namespace quorvel;
using namespace quorvel::bench;

constexpr double kExportLimitPercent = 5.0;
constexpr double kCompareLimitMs = 1000.0;
constexpr int kRepeats = 100;
constexpr int kCompareFiles = 100;

std::string ResultFile(double fps) {
  char figure[32];
  std::snprintf(figure, sizeof(figure), "%.2f", fps);
  return "Half-Life 2 Benchmark Results\r\n\r\n"
         "demofile,frame data spreadsheet,frames/sec,framerate variability,totaltime (sec),"
         "width,height,numframes,antialias,aniso,hdr level,heapsize,\r\n"
         "zrv_highway,simulated," +
         std::string(figure) + ",0.0826,48.9,1024,768,3000,4,16,2,256000,\r\n";
}

// A whole series as it runs: the report's lines and the result files' contents, run by run.
struct Series {
  BenchSeries report;
  SeriesResults results;
};

Series OneSeries(double scale) {
  Series s;
  BenchSeries& series = s.report;
  series.RunsWanted = 5;
  BeginSeries(series);
  series.Stamp = "perf";
  series.StartedAt = "3/12/2008 2:05:33 PM";
  series.DemoCaption = "Zarvent - Highway";
  series.DetailName = "Maximum";
  SlotBlockSettings settings{
      "Full (if available)", "256 MB", "4\xD7", "Anisotropic 16\xD7", true, "1400", "1050"};
  WriteReportHead(series, bench_test::AtiMachine(), "Reference machine, <b>overclocked</b>");
  s.results.Stamp = series.Stamp;
  s.results.StartedAt = series.StartedAt;
  s.results.DemoName = "zrv_highway";
  s.results.DemoCaption = series.DemoCaption;
  s.results.Machine = MachineFields(bench_test::AtiMachine());
  s.results.Settings = {{"Resolutions", "all"},
                        {"Runs per resolution", "5"},
                        {"Detail", "Maximum quality"},
                        {"High Dynamic Range", "Full (if available)"},
                        {"Heapsize", "256 MB"},
                        {"Antialiasing mode", "4\xD7"},
                        {"Filtering mode", "Anisotropic 16\xD7"},
                        {"Fast Z", "Enabled"},
                        {"Refresh rate", "85 Hz"},
                        {"Note", "Reference machine"}};
  int index = 0;
  for (const ResolutionSlot& slot : ResolutionCatalogue()) {
    series.CurrentKey = slot.RunKey;
    series.HeadingWritten = false;
    for (int run = 1; run <= 5; ++run, ++index) {
      series.RunsDone = run;
      std::string file = ResultFile(scale * (200.0 - slot.Order * 15 + (index % 5) * 0.7));
      if (!ReadRunScore(series, file, '.')) continue;
      RecordResultRun(s.results, slot.RunKey, "1400", "1050", series.RunFigure, series.ScoreText,
                      file);
      AppendSlotHeading(series, settings);
      ScoreRun(series);
      AppendScoreLines(series);
    }
  }
  return s;
}

}  // namespace

int main() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "quorvel_perf_results\\";
  files::ForceDirectories(folder);
  int status = 0;

  // 1. The series' end: the report alone, then the report and its result files.
  std::vector<double> reportOnly, withFiles, filesOnly, textsOnly;
  size_t jsonBytes = 0, csvBytes = 0;
  for (int i = 0; i < kRepeats; ++i) {
    Series a = OneSeries(1.0);
    a.report.Stamp = "a";
    double t0 = NowMs();
    std::string failure = FinishReport(a.report, folder);
    double t1 = NowMs();
    Series b = OneSeries(1.0);
    b.report.Stamp = "b";
    double t2 = NowMs();
    failure += FinishReport(b.report, folder);
    double t3 = NowMs();
    WrittenResults written = WriteResultsFiles(b.results, b.report.ReportPath);
    double t4 = NowMs();
    if (!failure.empty() || !written.Failure.empty()) {
      std::fprintf(stderr, "%s%s\n", failure.c_str(), written.Failure.c_str());
      return 1;
    }
    double t5 = NowMs();
    size_t textBytes = ResultsJson(b.results).size() + ResultsCsv(b.results).size();
    textsOnly.push_back(NowMs() - t5 + (textBytes ? 0 : 1));
    reportOnly.push_back(t1 - t0);
    withFiles.push_back(t4 - t2);
    filesOnly.push_back(t4 - t3);
    jsonBytes = files::ReadAll(written.JsonPath).value_or("").size();
    csvBytes = files::ReadAll(written.CsvPath).value_or("").size();
  }
  double report = Median(reportOnly), both = Median(withFiles), extra = Median(filesOnly);
  double percent = (both - report) / report * 100;
  std::printf("series end, 10 resolutions x 5 runs, median of %d:\n", kRepeats);
  std::printf("  report saved                          %8.3f ms\n", report);
  std::printf("  report and result files saved         %8.3f ms\n", both);
  std::printf("  of which JSON (%zu B) and CSV (%zu B)  %8.3f ms\n", jsonBytes, csvBytes, extra);
  std::printf("  of which making their texts            %8.3f ms\n", Median(textsOnly));
  std::printf("  added to the report's writing time    %8.1f %%  (limit %.1f %%) -> %s\n", percent,
              kExportLimitPercent, percent <= kExportLimitPercent ? "within" : "OVER");
  if (percent > kExportLimitPercent) status = 1;

  // 2. A comparison page of 100 result files.
  std::vector<std::string> names;
  for (int i = 0; i < kCompareFiles; ++i) {
    Series s = OneSeries(1.0 + i * 0.01);
    s.results.Machine[2].Value = "CPU " + std::to_string(i % 7);
    std::string name = folder + "result_" + std::to_string(i) + ".json";
    files::WriteAll(name, ResultsJson(s.results));
    names.push_back(name);
  }
  std::vector<double> compare;
  for (int i = 0; i < 5; ++i) {
    double t0 = NowMs();
    std::string failure = WriteComparePage(names, folder + "compare.htm");
    compare.push_back(NowMs() - t0);
    if (!failure.empty()) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 1;
    }
  }
  double compareMs = Median(compare);
  size_t pageBytes = files::ReadAll(folder + "compare.htm").value_or("").size();
  std::printf("comparison page of %d result files (%zu B page), median of 5:\n", kCompareFiles,
              pageBytes);
  std::printf("  read, compare and write               %8.1f ms  (limit %.0f ms) -> %s\n",
              compareMs, kCompareLimitMs, compareMs <= kCompareLimitMs ? "within" : "OVER");
  if (compareMs > kCompareLimitMs) status = 1;

  for (const std::string& name : names) files::DeleteQuietly(name);
  for (const char* name :
       {"result_a.htm", "result_b.htm", "result_b.json", "result_b.csv", "compare.htm"})
    files::DeleteQuietly(folder + name);
  ::RemoveDirectoryA(folder.c_str());
  return status;
}
