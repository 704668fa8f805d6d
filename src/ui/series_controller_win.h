#pragma once
// The benchmark series on the main window: the window's side of the run sequencer (what the
// window shows, the timers and the window's settings), the run button that hands the
// sequencer one order, and the exit button's wait for the game of a series. Created by the
// program once start-up has derived the game paths; lives as long as the main window.
// User-interface thread only.
#include <functional>

#include "bench/run_sequencer.h"
#include "bench/series_work_win.h"
#include "settings/game_backup_win.h"

namespace quorvel {

class MainWindow;

class SeriesController : public bench::SeriesView {
 public:
  // Hooks itself into the window's run button and its exit button (the registry restore,
  // after the game of a series has quit).
  SeriesController(MainWindow& window, AutoexecRestorePending& autoexec);
  ~SeriesController() override;
  SeriesController(const SeriesController&) = delete;
  SeriesController& operator=(const SeriesController&) = delete;

  // A series from the command line: the order runs as the run button's would; `ended` is
  // called once when the series has ended, however it ended (from within the sequencer: it
  // must not destroy this controller). The order's runs are not stored as the user's setting.
  void RunUnattended(const bench::SeriesOrder& order, std::function<void()> ended);
  // The report and the JSON result file of the last series; empty when none was saved.
  const std::string& ReportPath() const { return work_.Series().ReportPath; }
  const std::string& ResultsJsonPath() const { return work_.ResultsJsonPath(); }

  // SeriesView.
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
  int SaveRunNumber(int runsItem) override;
  void After(unsigned ms, std::function<void()> then) override;

 private:
  static void CALLBACK TimerFired(HWND, UINT, UINT_PTR id, DWORD);
  // The exit button while a series runs or its game still plays (a restore is pending):
  // stops the series after its current run, waits with the window alive for the game to
  // quit and then calls `resume`. False when the exit may go on at once.
  bool DelayExit(std::function<void()> resume);
  void WaitForGameThenLeave(std::function<void()> resume);

  MainWindow& window_;
  bench::SeriesWork work_;
  bench::RunSequencer sequencer_;
  RECT savedBounds_ = {};
  bool exitWaiting_ = false;
  std::function<void()> unattendedEnded_;
};

}  // namespace quorvel
