#pragma once
// The benchmark's own steps of a series: Steam and the game through the process runners,
// the system information, the game's script and configuration, the demo, the result reader
// and the report. The run sequencer reaches them through SeriesSteps; the window is not
// involved. Holds the BenchSeries of the program run. User-interface thread only.
#include <functional>
#include <optional>
#include <string>

#include "bench/bench_series.h"
#include "bench/results_export.h"
#include "bench/run_sequencer.h"
#include "bench/series_order.h"
#include "platform/win.h"
#include "settings/game_backup_win.h"
#include "settings/game_paths.h"
#include "settings/settings_store.h"
#include "sysinfo/process_presence_win.h"
#include "sysinfo/process_runner_win.h"
#include "sysinfo/system_info.h"
#include "sysinfo/system_info_collector_win.h"

namespace quorvel::bench {

class SeriesWork : public SeriesSteps {
 public:
  // `store` holds the recovery marker and the diagnostics cache, `userStore` the account's own
  // mark that a restore is owed; `autoexec` records that the game's script is set aside. All
  // must outlive this object. `owner` owns the shell's
  // dialogs and the runners' error messages.
  SeriesWork(const GamePaths& paths, SettingsStore& store, SettingsStore& userStore,
             AutoexecRestorePending& autoexec, HWND owner = nullptr);
  SeriesWork(const SeriesWork&) = delete;
  SeriesWork& operator=(const SeriesWork&) = delete;

  // Called when the Steam hand-over of a launch has ended.
  std::function<void()> OnLaunchEnded;

  // The runners: the game runs through Steam, Steam alone, the diagnostics tool.
  ProcessRunner cp;
  ProcessRunner cp2;
  ProcessRunner dxrun;
  ProcessPresence presence;

  bool CheckSteamRunning() override;
  std::string SteamFolder() override;
  void StartSteam() override;
  void LaunchGame(const std::string& commandLine) override;
  bool GameRunning() override;
  void CollectSystemInfo(std::function<void()> done) override;
  void DeleteLeftoverResult(steam::Game lastGame) override;
  // Refuses a custom demo without an existing file, then secures the backup of the user's
  // game settings (the last check before the game is touched).
  std::optional<std::string> AcceptOrder(const SeriesOrder& order) override;
  void MakeStamps() override;
  // Sets the script aside, installs the demo, writes the game's registry values and script,
  // and builds the launch options. A script that cannot be set aside and registry write
  // failures throw AppError.
  PreparedGame PrepareGame() override;
  // Runs the adapter and host probes, then starts the report with the machine and the note.
  void WriteReportHead() override;
  // The run also joins the result files, with or without a figure.
  bool ReadRunScore(const std::string& runKey) override;
  void AppendSlotHeading(const std::string& runKey) override;
  // Scores the run read last (several runs per resolution) and appends its lines.
  void AppendScoreLines(int runsDone, int runsWanted) override;
  void DeleteResultFiles() override;
  // Appends the footer and, when `scored`, saves the report into the order's results folder
  // and the result files beside it. True when the report was saved. Throws AppError "Cannot
  // create file ..." when saving the report fails; a result file that cannot be written is
  // shown by the error reporter and the series goes on.
  bool FinishReport(bool scored) override;
  void OpenReport() override;
  void RestoreAutoexec() override;
  void MarkSeriesEndedCleanly() override;
  // A series that ended in error: writes what it measured (when a run had a figure) as result
  // files marked incomplete, with the report's name. Never throws.
  void SeriesEndedEarly() override;

  const BenchSeries& Series() const { return series_; }
  const SeriesResults& Results() const { return results_; }
  // The JSON result file of the last series; empty when none was written.
  const std::string& ResultsJsonPath() const { return resultsJsonPath_; }

 protected:
  // Starts the report with the machine as `info` describes it and the order's note.
  void WriteReportHeadFor(const SystemInfoSnapshot& info);

 private:
  void SaveResults(bool complete);
  GamePaths paths_;
  SettingsStore& store_;
  SettingsStore& userStore_;
  SeriesResults results_;
  std::string resultsJsonPath_;
  bool reportUnsavable_ = false;  // the report of this series could not be saved
  AutoexecRestorePending& autoexec_;
  HWND owner_;
  SeriesOrder order_;
  BenchSeries series_;
  SystemInfoSnapshot snapshot_;
  sysinfo::SystemInfoCollector collector_;
};

}  // namespace quorvel::bench
