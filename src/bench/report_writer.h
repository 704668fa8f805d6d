#pragma once
// The HTML report of a series, built line by line in BenchSeries::ReportLines: the head when
// the series starts, a block per resolution as its runs come in, the footer at the end.
// Values are inserted as they are, without HTML escaping; the text is Latin-1 and the file
// ends every line with CR LF. Saving and opening are in report_writer_win.h. Pure functions:
// any thread; none fails.
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_series.h"
#include "bench/series_order.h"
#include "sysinfo/system_info.h"

namespace quorvel::bench {

inline constexpr const char* kBenchmarkSite = "http://www.zarvent.com/benchmarks/hl2/";
inline constexpr const char* kMakerNotice =
    "Zarvent Half-Life 2 benchmark - Copyright (C) 2005-2008 Zarvent";

// The settings a resolution's block prints, as the window showed them when the series was
// asked for.
struct SlotBlockSettings {
  std::string HdrText;       // shown text of HDRBox
  std::string HeapsizeText;  // shown text of HeapsizeBox
  std::string AAText;        // shown text of AABox
  std::string AFText;        // shown text of AFBox
  bool FastZ = false;        // FastZBox ticked
  std::string CustomWidth;   // text of CusWidth
  std::string CustomHeight;  // text of CusHeight
};

// Takes them from a series' order (a list without a selection shows empty text).
SlotBlockSettings SlotBlockSettingsOf(const SeriesOrder& order);

// Empties ReportLines and appends the head: the document start, StartedAt, the machine from
// `info` (already probed) with its graphics block or blocks, and the note, then "<hr>".
void WriteReportHead(BenchSeries& series, const SystemInfoSnapshot& info, const std::string& note);

// The heading line of the resolution with run key `runKey`; empty for an unknown key.
std::string SlotHeadingLine(const std::string& runKey, const std::string& customWidth,
                            const std::string& customHeight);

// Appends the heading and the setting lines of the current resolution (CurrentKey) unless
// HeadingWritten is already set; sets it.
void AppendSlotHeading(BenchSeries& series, const SlotBlockSettings& settings);

// Appends the score line of the run just read and, after a resolution's last run with
// several runs, the average line. One run per resolution prints ScoreText as the file gave it;
// several print Score and AverageScore (ScoreRun must have run).
void AppendScoreLines(BenchSeries& series);

// Appends the footer.
void AppendReportFooter(BenchSeries& series);

// resultsFolder + "result_" + stamp + ".htm" (the folder text ends with "\" or is empty).
std::string ReportFileName(const std::string& resultsFolder, const std::string& stamp);

// The file's bytes: every line followed by CR LF.
std::string ReportText(const std::vector<std::string>& lines);

// The locale's date and time texts as one: date, a blank, time.
std::string DateTimeText(std::string_view date, std::string_view time);

// A date and time text made safe for a file name: every ":", ".", "/", "-", "\" and blank
// becomes "_" ("3/12/2008 2:05:33 PM" -> "3_12_2008_2_05_33_PM").
std::string MakeStamp(std::string_view dateTimeText);

}  // namespace quorvel::bench
