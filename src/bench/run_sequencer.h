#pragma once
// The spine of a benchmark series: from the order to the report. One series at a time,
// driven by events on the user-interface thread: the order (the run button), the end of the
// system information collection, the end of each Steam hand-over, and the sequencer's own
// timers. It talks to two ports: `SeriesView`, what the window shows and the timers, and
// `SeriesSteps`, the series' own work on Steam, the game and the report.
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "bench/series_order.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

// Launch option fragments and the demo name of a prepared series.
struct PreparedGame {
  std::string DemoName;
  std::string FastZOption;
  std::string RefreshOption;
  std::string HeapOption;
};

// What the window shows of a series, and its clock. User-interface thread only.
class SeriesView {
 public:
  virtual ~SeriesView() = default;

  virtual void SetStatus(const std::string& text) = 0;
  virtual void EnableRunButton(bool enabled) = 0;
  virtual void ShowPanel(bool visible) = 0;
  virtual void SetPanelTitle(const std::string& caption, int left, int fontSize) = 0;
  virtual void ShowProgressLabels(bool visible) = 0;  // the resolution and runs labels
  virtual void SetResolutionLabel(const std::string& text) = 0;
  virtual void SetRunsLabel(const std::string& text) = 0;
  virtual void Repaint() = 0;
  virtual void SaveBounds() = 0;
  virtual void RestoreBounds() = 0;
  virtual bool Confirm(const std::string& question) = 0;
  virtual void Message(const std::string& text) = 0;
  // Shows an error that ended a step of the series (the error reporter).
  virtual void ReportError(const std::exception& error) = 0;
  // The window keeps the settings: stores the runs item of the order as "RunNumber" (when
  // the settings key exists and an item is chosen) and answers the runs wanted, 0 when the
  // setting was never valid.
  virtual int SaveRunNumber(int runsItem) = 0;
  // Runs `then` once, after `ms` milliseconds, on the user-interface thread.
  virtual void After(unsigned ms, std::function<void()> then) = 0;
};

// The series' own steps. User-interface thread only.
class SeriesSteps {
 public:
  virtual ~SeriesSteps() = default;

  // Steam and the game. StartSteam and LaunchGame throw EOSError when refused. The end of
  // a launch is reported later through RunSequencer::LaunchEnded.
  virtual bool CheckSteamRunning() = 0;
  virtual std::string SteamFolder() = 0;
  virtual void StartSteam() = 0;
  virtual void LaunchGame(const std::string& commandLine) = 0;
  virtual bool GameRunning() = 0;

  // System information: calls `done` when finished (at once or later).
  virtual void CollectSystemInfo(std::function<void()> done) = 0;

  // Deletes the result file that the game of the previous series may have left.
  virtual void DeleteLeftoverResult(steam::Game lastGame) = 0;
  // A non-empty answer stops the series before the game is touched (shown as a message).
  // When there is none, the series is from then on the order's: the later steps work on it.
  virtual std::optional<std::string> AcceptOrder(const SeriesOrder& order) = 0;
  virtual void MakeStamps() = 0;           // the series' start stamp and start time
  virtual PreparedGame PrepareGame() = 0;  // script, demo, registry, options
  virtual void WriteReportHead() = 0;

  // Results of one run and the report.
  // Reads the run of resolution `runKey`; false for a run that left no usable result.
  virtual bool ReadRunScore(const std::string& runKey) = 0;
  virtual void AppendSlotHeading(const std::string& runKey) = 0;
  virtual void AppendScoreLines(int runsDone, int runsWanted) = 0;
  virtual void DeleteResultFiles() = 0;
  // Appends the footer; saves the report when `scored`. True when saved.
  virtual bool FinishReport(bool scored) = 0;
  virtual void OpenReport() = 0;
  virtual void RestoreAutoexec() = 0;
  virtual void MarkSeriesEndedCleanly() = 0;  // "NoErrorWarning" = "0"
  // The series ended before its last run (an error, a refused start, the program left) after
  // the game was prepared: keep what it measured.
  virtual void SeriesEndedEarly() {}
};

// The command line of one game run, joined without quoting.
std::string BuildLaunchCommand(const std::string& steamFolder, steam::Game game,
                               const std::string& width, const std::string& height,
                               const PreparedGame& prepared);

// "Runs: <wanted>/<coming run>".
std::string RunsLabelText(int runsWanted, int comingRun);

class RunSequencer {
 public:
  // The waits of a series, in milliseconds.
  static constexpr unsigned kAfterHandOver = 20000;
  static constexpr unsigned kGamePoll = 5000;
  static constexpr unsigned kAfterGame = 1000;
  static constexpr unsigned kBetweenRuns = 2000;

  RunSequencer(SeriesView& view, SeriesSteps& steps) : view_(view), steps_(steps) {}

  // The run button, with what the window showed at that moment.
  void BenchButtonClick(const SeriesOrder& order);
  // The end of the system information collection.
  void PrepareSeries();
  // The end of a Steam hand-over started by LaunchGame.
  void LaunchEnded();

  // The program is being left: the run under way (if any) is let finish, the game quitting
  // on its own, and the series then ends as an aborted one (script back, no report) without
  // starting another run. No series starts afterwards.
  void RequestStop();

  // A series is under way (from the button press until it ends or stops).
  bool Running() const { return running_; }
  // The game of the series under way, or of the last one (Half-Life 2 before the first).
  steam::Game Game() const { return game_; }
  const std::string& CurrentKey() const { return currentKey_; }

 private:
  void LaunchSlot(int slot);
  void PollGame();
  void GameGone();
  void RecordRun();
  // Ends the series: the script back, the panel hidden, the run button enabled.
  void EndSeries(const std::string& status);
  // Ends a series that was refused before anything of the game was touched.
  void Refuse();
  // Runs one step of the series; an error ends the series in an orderly way.
  void Step(const std::function<void()>& step);

  SeriesView& view_;
  SeriesSteps& steps_;
  SeriesOrder order_;
  PreparedGame prepared_;
  steam::Game game_ = steam::Game::HalfLife2;
  bool running_ = false;
  bool stopRequested_ = false;
  bool gameTouched_ = false;
  bool scored_ = false;
  int selectedCount_ = 0;
  int completedCount_ = 0;
  int runsWanted_ = 1;
  int runsDone_ = 0;
  bool headingWritten_ = false;
  std::string currentKey_;
};

}  // namespace quorvel::bench
