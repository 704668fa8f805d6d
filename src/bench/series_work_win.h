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
  // The run's figure when the game left a usable result file; nullopt otherwise.
  std::optional<std::string> ReadRunScore(bool lostCoast);
  void AppendSlotHeading(const std::string& runKey);
  // Scores the run read last (several runs per resolution) and appends its lines.
  void AppendScoreLines(int runsDone, int runsWanted);
  void DeleteResultFiles();
  // Appends the footer and, when `scored`, saves the report into the results folder shown in
  // the window. True when saved. Throws AppError "Cannot create file ..." when saving fails.
  bool FinishReport(bool scored);
  void OpenReport();

  const BenchSeries& Series() const { return series_; }

 private:
  GamePaths paths_;
  SettingsControls& controls_;
  std::function<void(steam::Game)> setAsideAutoexec_;
  HWND owner_;
  BenchSeries series_;
};

}  // namespace quorvel::bench
