#pragma once
// The report's stamp from the user's locale, saving it and opening it in the browser, and the
// whole recording step after a run. User-interface thread only.
#include <string>

#include "bench/bench_series.h"
#include "bench/report_writer.h"
#include "platform/win.h"
#include "settings/game_paths.h"

namespace quorvel::bench {

// The date and time of `when` in the user's locale (short date, a blank, the time format).
std::string LocaleDateTimeText(const SYSTEMTIME& when, LCID locale = LOCALE_USER_DEFAULT);

// Reads the clock twice: the first reading becomes Stamp (made file-name safe), the second
// StartedAt.
void StampSeries(BenchSeries& series);

// Appends the footer; then, only when a run of this series produced a score, saves the lines
// as ReportFileName(resultsFolder, Stamp), replacing a file of that name, and sets ReportPath.
// Returns the failure text "Cannot create file "<name>". <system reason>" when saving fails
// (ReportPath stays empty), otherwise an empty text. Never throws for a file failure.
std::string FinishReport(BenchSeries& series, const std::string& resultsFolder);

// Opens the saved report with the shell's "open" (SW_SHOW) through CurrentSeams(); does
// nothing when no report was saved in this series. The outcome is not examined.
void OpenReport(const BenchSeries& series, HWND owner);

// The recording step after a run, in the order that keeps a run without a usable result out
// of the report: when the series game's result file exists, copy it, read its figure and,
// when there is one, append the resolution's heading (once), score it (several runs) and
// append its lines; then delete the result files of both games. Returns whether the run
// produced a score.
bool RecordRunResult(BenchSeries& series, const GamePaths& paths, const SlotBlockSettings& settings,
                     HWND owner = nullptr);

}  // namespace quorvel::bench
