#pragma once
// The benchmark series as the main window runs it: the window's side of the run sequencer
// (its controls, Steam and the game through the process runners, the timers, the system
// information, the game's script) and the benchmark's own steps. Created by the program once
// start-up has derived the game paths; lives as long as the main window.
// User-interface thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "bench/run_sequencer.h"
#include "bench/series_work_win.h"
#include "settings/game_backup_win.h"
#include "sysinfo/process_presence_win.h"
#include "sysinfo/process_runner_win.h"
#include "sysinfo/system_info.h"
#include "sysinfo/system_info_collector_win.h"

namespace quorvel {

class MainWindow;

class SeriesController : public SeriesHost {
 public:
  // Hooks itself into the window's run button and its exit button (the registry restore,
  // after the game of a series has quit).
  SeriesController(MainWindow& window, AutoexecRestorePending& autoexec);
  ~SeriesController() override;
  SeriesController(const SeriesController&) = delete;
  SeriesController& operator=(const SeriesController&) = delete;

  RunSequencer& Sequencer() { return sequencer_; }
  const SystemInfoSnapshot& Snapshot() const { return snapshot_; }

  // The runners of the window: the game runs through Steam, Steam alone, the diagnostics.
  ProcessRunner cp;
  ProcessRunner cp2;
  ProcessRunner dxrun;
  ProcessPresence presence;

  // SeriesHost.
  SeriesSelection Selection() override;
  void SetStatus(const std::string& text) override;
  void EnableRunButton(bool enabled) override;
  void ShowPanel(bool visible) override;
  void SetPanelTitle(const std::string& caption, int left, int fontSize) override;
  void ShowProgressLabels(bool visible) override;
  void SetResolutionLabel(const std::string& text) override;
  void SetRunsLabel(const std::string& text) override;
  void Repaint() override;
  void SaveBounds() override;
  void RestoreBounds() override;
  bool Confirm(const std::string& question) override;
  void Message(const std::string& text) override;
  void ReportError(const std::exception& error) override;
  void SaveRunNumber() override;
  int RunsWanted() override;
  void MarkSeriesEndedCleanly() override;
  bool CheckSteamRunning() override;
  std::string SteamFolder() override;
  void StartSteam() override;
  void LaunchGame(const std::string& commandLine) override;
  bool GameRunning() override;
  void After(unsigned ms, std::function<void()> then) override;
  void CollectSystemInfo(std::function<void()> done) override;
  void DeleteLeftoverResult(bool lostCoastOfLastSeries) override;
  std::optional<std::string> RefusalReason(const SeriesSelection& selection,
                                           bool lostCoast) override;
  void MakeStamps() override;
  PreparedGame PrepareGame(bool lostCoast) override;
  void WriteReportHead() override;
  std::optional<std::string> ReadRunScore(bool lostCoast) override;
  void AppendSlotHeading(const std::string& runKey) override;
  void AppendScoreLines(const std::string& scoreText, int runsDone, int runsWanted) override;
  void DeleteResultFiles() override;
  bool FinishReport(bool scored) override;
  void OpenReport() override;
  void RestoreAutoexec() override;
  void SeriesEndedEarly() override;
  bench::SeriesWork& Work() { return work_; }

 private:
  static void CALLBACK TimerFired(HWND, UINT, UINT_PTR id, DWORD);
  // The exit button while a series runs or its game still plays (a restore is pending):
  // stops the series after its current run, waits with the window alive for the game to
  // quit and then calls `resume`. False when the exit may go on at once.
  bool DelayExit(std::function<void()> resume);
  void WaitForGameThenLeave(std::function<void()> resume);

  MainWindow& window_;
  AutoexecRestorePending& autoexec_;
  SystemInfoSnapshot snapshot_;
  sysinfo::SystemInfoCollector collector_;
  bench::SeriesWork work_;
  RunSequencer sequencer_;
  RECT savedBounds_ = {};
  bool exitWaiting_ = false;
  std::map<UINT_PTR, std::function<void()>> timers_;
};

}  // namespace quorvel
