#pragma once
// The benchmark's own steps of a series, one method per step of SeriesHost that belongs to
// the game configuration, the demos, the result reader and the report. The window's
// SeriesHost forwards those steps here; the rest (window, Steam, timers, probes, the game's
// script backup) stays with the window. Holds the BenchSeries of the program run.
// User-interface thread only.
#include <functional>
#include <optional>
#include <string>

#include "bench/bench_series.h"
#include "bench/results_export.h"
#include "bench/run_sequencer.h"
#include "platform/win.h"
#include "settings/game_paths.h"
#include "settings/settings_controls.h"
#include "settings/steam_game.h"
#include "sysinfo/system_info.h"

namespace quorvel::bench {

class SeriesWork {
 public:
  // `setAsideAutoexec` moves the game's own autoexec.cfg aside and records that it must be
  // put back (the game settings backup). `controls` are read when a step needs them.
  SeriesWork(const GamePaths& paths, SettingsControls& controls,
             std::function<void(steam::Game)> setAsideAutoexec, HWND owner = nullptr);

  // Deletes "sourcebench.csv" of the game of the previous series.
  void DeleteLeftoverResult(bool lostCoastOfLastSeries);
  // Why the series cannot start with the chosen demo (custom demo without an existing file).
  std::optional<std::string> RefusalReason(const SeriesSelection& selection);
  // Starts the series' own state afresh and takes its stamp and start time.
  void MakeStamps();
  // Sets the script aside, installs the demo, writes the game's registry values and script,
  // and builds the launch options. Registry write failures throw AppError.
  PreparedGame PrepareGame(bool lostCoast);
  // Starts the report with the machine as the probes just found it and the window's note.
  void WriteReportHead(const SystemInfoSnapshot& info);
  // The run's figure when the game left a usable result file; nullopt otherwise. With the
  // run's resolution key the run (with or without a figure) joins the result files.
  std::optional<std::string> ReadRunScore(bool lostCoast, const std::string& runKey = {});
  void AppendSlotHeading(const std::string& runKey);
  // Scores the run read last (several runs per resolution) and appends its lines.
  void AppendScoreLines(int runsDone, int runsWanted);
  void DeleteResultFiles();
  // Appends the footer and, when `scored`, saves the report into the results folder shown in
  // the window, and the result files beside it. True when the report was saved. Throws
  // AppError "Cannot create file ..." when saving the report fails; a result file that
  // cannot be written is shown by the error reporter and the series goes on.
  bool FinishReport(bool scored);
  // A series that ended in error: writes what it measured (when a run had a figure) as
  // result files marked incomplete, with the report's name. Never throws.
  void WriteIncompleteResults();
  void OpenReport();

  const BenchSeries& Series() const { return series_; }
  const SeriesResults& Results() const { return results_; }
  // The result files of the last series; empty when none were written.
  const std::string& ResultsJsonPath() const { return resultsJsonPath_; }

 private:
  GamePaths paths_;
  SettingsControls& controls_;
  std::function<void(steam::Game)> setAsideAutoexec_;
  HWND owner_;
  BenchSeries series_;
  SeriesSelection selection_;
  SeriesResults results_;
  std::string resultsJsonPath_;

  void SaveResults(bool complete);
};

}  // namespace quorvel::bench
