#pragma once
// The spine of a benchmark series: from the run button to the report. One series at a time,
// driven by events on the user-interface thread: the button press, the end of the system
// information collection, the end of each Steam hand-over, and the sequencer's own timers.
// Everything the series touches outside itself goes through `SeriesHost`.
#include <array>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "settings/resolution_catalogue.h"

namespace quorvel {

// What the user chose on the window when the series starts.
struct SeriesSelection {
  std::array<bool, kFixedSlotCount> SlotTicked{};
  bool CusResTicked = false;
  std::string CusWidth;
  std::string CusHeight;
  int DemoItem = -1;  // ticked item of the demo group, -1 for none
  bool Hl2LcTicked = false;
};

// Launch option fragments and the demo name of a prepared series.
struct PreparedGame {
  std::string DemoName;
  std::string FastZOption;
  std::string RefreshOption;
  std::string HeapOption;
};

class SeriesHost {
 public:
  virtual ~SeriesHost() = default;

  // The window.
  virtual SeriesSelection Selection() = 0;
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

  // Settings.
  virtual void SaveRunNumber() = 0;           // writes "RunNumber" from the runs list when it can
  virtual int RunsWanted() = 0;               // 0 when never set
  virtual void MarkSeriesEndedCleanly() = 0;  // "NoErrorWarning" = "0"

  // Steam and the game. StartSteam and LaunchGame throw EOSError when refused. The end of
  // a launch is reported later through RunSequencer::LaunchEnded.
  virtual bool CheckSteamRunning() = 0;
  virtual std::string SteamFolder() = 0;
  virtual void StartSteam() = 0;
  virtual void LaunchGame(const std::string& commandLine) = 0;
  virtual bool GameRunning() = 0;
  // Runs `then` once, after `ms` milliseconds, on the user-interface thread.
  virtual void After(unsigned ms, std::function<void()> then) = 0;

  // System information: calls `done` when finished (at once or later).
  virtual void CollectSystemInfo(std::function<void()> done) = 0;

  // Preparation. A non-empty answer of RefusalReason stops the series before the game is
  // touched (shown as a message).
  virtual void DeleteLeftoverResult(bool lostCoastOfLastSeries) = 0;
  virtual std::optional<std::string> RefusalReason(const SeriesSelection& selection,
                                                   bool lostCoast) = 0;
  virtual void MakeStamps() = 0;                         // the series' start stamp and start time
  virtual PreparedGame PrepareGame(bool lostCoast) = 0;  // script, demo, registry, options
  virtual void WriteReportHead() = 0;

  // Results of one run and the report.
  // The run's score text as the result file gives it; nullopt for a run without a result.
  virtual std::optional<std::string> ReadRunScore(bool lostCoast) = 0;
  virtual void AppendSlotHeading(const std::string& runKey) = 0;
  virtual void AppendScoreLines(const std::string& scoreText, int runsDone, int runsWanted) = 0;
  virtual void DeleteResultFiles() = 0;
  // Appends the footer; saves the report when `scored`. True when saved.
  virtual bool FinishReport(bool scored) = 0;
  virtual void OpenReport() = 0;
  virtual void RestoreAutoexec() = 0;
  // The series ended before its last run (an error, a refused start, the program left) after
  // the game was prepared: keep what it measured.
  virtual void SeriesEndedEarly() {}
};

// The command line of one game run, joined without quoting.
std::string BuildLaunchCommand(const std::string& steamFolder, bool lostCoast,
                               const std::string& width, const std::string& height,
                               const PreparedGame& game);

// "Runs: <wanted>/<coming run>".
std::string RunsLabelText(int runsWanted, int comingRun);

// Whether the series runs Lost Coast: the built-in Lost Coast demo, or the custom demo of
// the Lost Coast type.
bool SeriesIsLostCoast(const SeriesSelection& selection);

// Whether a slot (0..9) is selected; the custom slot needs its box and both sizes.
bool SlotSelected(const SeriesSelection& selection, int order);

// The first selected slot at or after `order`; nullopt when none.
std::optional<int> NextSelectedSlot(const SeriesSelection& selection, int order);

// Number of selected slots.
int SelectedCount(const SeriesSelection& selection);

class RunSequencer {
 public:
  // The waits of a series, in milliseconds.
  static constexpr unsigned kAfterHandOver = 20000;
  static constexpr unsigned kGamePoll = 5000;
  static constexpr unsigned kAfterGame = 1000;
  static constexpr unsigned kBetweenRuns = 2000;

  explicit RunSequencer(SeriesHost& host) : host_(host) {}

  // The run button.
  void BenchButtonClick();
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
  bool LostCoast() const { return lostCoast_; }
  const std::string& CurrentKey() const { return currentKey_; }

 private:
  void LaunchSlot(int order);
  void PollGame();
  void GameGone();
  void RecordRun();
  // Ends the series: the script back, the panel hidden, the run button enabled.
  void EndSeries(const std::string& status);
  // Runs one step of the series; an error ends the series in an orderly way.
  void Step(const std::function<void()>& step);

  SeriesHost& host_;
  SeriesSelection selection_;
  PreparedGame game_;
  bool running_ = false;
  bool stopRequested_ = false;
  bool gameTouched_ = false;
  bool lostCoast_ = false;
  bool scored_ = false;
  int selectedCount_ = 0;
  int completedCount_ = 0;
  int runsWanted_ = 1;
  int runsDone_ = 0;
  int currentOrder_ = -1;
  bool headingWritten_ = false;
  std::string currentKey_;
};

}  // namespace quorvel
