// Times the report of a full series: the head, ten resolutions of five runs each (every run
// read from a result file, scored and printed), the footer and the saved file. Prints the
// figures next to a bare write of the same bytes and the limit they are measured against.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench/reference_machine.h"
#include "bench/report_writer.h"
#include "bench/report_writer_win.h"
#include "bench/result_reader.h"
#include "measure.h"
#include "platform/files_win.h"
#include "platform/win.h"
#include "settings/resolution_catalogue.h"

namespace {

using quorvel::perf::Median;
using quorvel::perf::NowMs;

using namespace quorvel;
using namespace quorvel::bench;

constexpr double kLimitMs = 100.0;  // what a user may wait for the report at a series' end
constexpr int kRepeats = 200;

// The whole report of one series, saved into `folder`; returns the saved file's size.
size_t OneReport(const std::string& folder, const std::vector<std::string>& resultFiles,
                 bool save) {
  BenchSeries series;
  series.RunsWanted = 5;
  BeginSeries(series);
  series.Stamp = "perf";
  series.StartedAt = "3/12/2008 2:05:33 PM";
  series.DemoCaption = "Zarvent - Highway";
  series.DetailName = "Maximum";
  SlotBlockSettings settings{
      "Full (if available)", "256 MB", "4\xD7", "Anisotropic 16\xD7", true, "1400", "1050"};
  WriteReportHead(series, bench_test::AtiMachine(), "Reference machine, <b>overclocked</b>");
  for (const ResolutionSlot& slot : ResolutionCatalogue()) {
    series.CurrentKey = slot.RunKey;
    series.HeadingWritten = false;
    for (int run = 1; run <= 5; ++run) {
      series.RunsDone = run;
      if (!ReadRunScore(series, resultFiles[static_cast<size_t>(run - 1)], '.')) continue;
      AppendSlotHeading(series, settings);
      ScoreRun(series);
      AppendScoreLines(series);
    }
  }
  if (!save) {
    AppendReportFooter(series);
    return ReportText(series.ReportLines).size();
  }
  std::string failure = FinishReport(series, folder);
  if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
  return ReportText(series.ReportLines).size();
}

}  // namespace

int main() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "quorvel_perf_report\\";
  files::ForceDirectories(folder);

  std::vector<std::string> resultFiles;
  for (const char* figure : {"61.37", "62.04", "60.95", "61.50", "62.49"})
    resultFiles.push_back(
        "Half-Life 2 Benchmark Results\r\n\r\ndemofile,map,frames/sec,seconds,frames,\r\n"
        "zrv_highway,d1_canals_09," +
        std::string(figure) + ",48.9,3000,\r\n");

  std::vector<double> build, whole, bare;
  size_t bytes = 0;
  for (int i = 0; i < kRepeats; ++i) {
    double t0 = NowMs();
    OneReport(folder, resultFiles, false);
    double t1 = NowMs();
    bytes = OneReport(folder, resultFiles, true);
    double t2 = NowMs();
    build.push_back(t1 - t0);
    whole.push_back(t2 - t1);
  }
  std::optional<std::string> saved = files::ReadAll(folder + "result_perf.htm");
  std::string same = saved.value_or(std::string(bytes, 'x'));
  for (int i = 0; i < kRepeats; ++i) {
    double t0 = NowMs();
    files::WriteAll(folder + "bare.htm", same);
    bare.push_back(NowMs() - t0);
  }
  files::DeleteQuietly(folder + "result_perf.htm");
  files::DeleteQuietly(folder + "bare.htm");
  ::RemoveDirectoryA(folder.c_str());

  double wholeMs = Median(whole);
  std::printf(
      "report of a full series (head + 10 resolutions x 5 runs, %zu bytes), median of %d:\n", bytes,
      kRepeats);
  std::printf("  build the lines in memory      %8.3f ms\n", Median(build));
  std::printf("  build and save the report      %8.3f ms\n", wholeMs);
  std::printf("  bare write of the same bytes   %8.3f ms\n", Median(bare));
  std::printf("  limit                          %8.3f ms  -> %s\n", kLimitMs,
              wholeMs <= kLimitMs ? "within" : "OVER");
  return saved ? 0 : 1;
}
