#include "bench/run_sequencer.h"

#include "bench/bench_series.h"
#include "platform/errors.h"
#include "settings/steam_game.h"

namespace quorvel::bench {

namespace {
constexpr const char* kSteamMissingStatus = "Error! The Steam NOT running!";
constexpr const char* kStartSteamQuestion = "Error! The STEAM not running. Run now?";
constexpr const char* kSteamStartingStatus =
    "Please wait while the Steam successfully loaded. After that click RUN AGAIN.";
constexpr const char* kSteamDeclinedStatus =
    "Please RUN the Steam (online or offline) before bench.";
constexpr const char* kProgramErrorStatus = "Program error, benchmark aborted!";
constexpr const char* kCollectingTitle = "Collecting system information, please wait...";
constexpr const char* kRunningTitle = "Benchmarking in progress";
constexpr const char* kNoResolutionMessage = "Please, choose a resolution of Half-Life 2.";
constexpr const char* kSuccessStatus = kSeriesSucceeded;
constexpr const char* kAbortedStatus = kSeriesAborted;
}  // namespace

std::string BuildLaunchCommand(const std::string& steamFolder, steam::Game game,
                               const std::string& width, const std::string& height,
                               const PreparedGame& prepared) {
  std::string command = steam::SteamProgramCommand(steamFolder);
  command += " ";
  command += steam::kApplaunchArguments;
  command += steam::AppId(game);
  command += " -preload -novid -mat_preloadshaders -nocdaudio -nosound -width ";
  command += width + " -height " + height + " ";
  command += prepared.FastZOption + " " + prepared.RefreshOption + " " + prepared.HeapOption;
  command += " ";
  command += steam::kTimedemoQuit;
  command += " " + prepared.DemoName;
  return command;
}

std::string RunsLabelText(int runsWanted, int comingRun) {
  return "Runs: " + std::to_string(runsWanted) + "/" + std::to_string(comingRun);
}

void RunSequencer::Step(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& error) {
    view_.ReportError(error);
    EndSeries(std::string(kAbortedStatus) + " " + error.what());
  }
}

void RunSequencer::EndSeries(const std::string& status) {
  running_ = false;
  bool scriptBack = true;
  if (gameTouched_) {
    gameTouched_ = false;
    try {
      steps_.SeriesEndedEarly();
    } catch (const std::exception& error) {
      view_.ReportError(error);
    }
    try {
      steps_.RestoreAutoexec();
    } catch (const std::exception& error) {
      scriptBack = false;
      view_.ReportError(error);
    }
  }
  view_.SetStatus(status);
  view_.EnableRunButton(true);
  view_.ShowPanel(false);
  if (scriptBack) {
    try {
      steps_.MarkSeriesEndedCleanly();
    } catch (const std::exception& error) {
      view_.ReportError(error);
    }
  }
}

void RunSequencer::RequestStop() { stopRequested_ = true; }

void RunSequencer::BenchButtonClick(const SeriesOrder& order) {
  if (running_ || stopRequested_) return;
  view_.SaveBounds();
  view_.SetStatus("");
  steps_.DeleteLeftoverResult(game_);
  view_.EnableRunButton(false);
  view_.ShowProgressLabels(false);

  if (!steps_.CheckSteamRunning()) {
    view_.SetStatus(kSteamMissingStatus);
    view_.Repaint();
    if (view_.Confirm(kStartSteamQuestion)) {
      view_.SetStatus(kSteamStartingStatus);
      try {
        steps_.StartSteam();
      } catch (const EOSError&) {
        view_.SetStatus(kProgramErrorStatus);
      }
    } else {
      view_.SetStatus(kSteamDeclinedStatus);
    }
    view_.EnableRunButton(true);
    return;
  }

  running_ = true;
  scored_ = false;
  runsDone_ = 0;
  order_ = order;
  Step([&] {
    view_.SetPanelTitle(kCollectingTitle, 38, 10);
    view_.ShowPanel(true);
    view_.Repaint();
    // A runs setting that was never valid would leave a resolution unfinished for ever.
    int runsWanted = view_.SaveRunNumber(order_.RunsItem);
    runsWanted_ = runsWanted < 1 ? 1 : runsWanted;
    steps_.CollectSystemInfo([this] { PrepareSeries(); });
  });
}

void RunSequencer::Refuse() {
  running_ = false;
  view_.EnableRunButton(true);
  view_.ShowPanel(false);
}

void RunSequencer::PrepareSeries() {
  if (!running_) return;
  if (stopRequested_) {
    // Nothing of the game has been touched yet.
    Refuse();
    return;
  }
  Step([&] {
    view_.Repaint();
    game_ = order_.Game;
    completedCount_ = 0;
    if (runsWanted_ > 1) view_.SetRunsLabel(RunsLabelText(runsWanted_, 1));
    selectedCount_ = SelectedCount(order_);
    if (selectedCount_ < 1) {
      view_.Message(kNoResolutionMessage);
      Refuse();
      return;
    }
    if (auto refusal = steps_.AcceptOrder(order_)) {
      view_.Message(*refusal);
      Refuse();
      return;
    }
    view_.Repaint();
    steps_.MakeStamps();
    gameTouched_ = true;
    prepared_ = steps_.PrepareGame();
    steps_.WriteReportHead();
    view_.ShowProgressLabels(true);
    view_.SetPanelTitle(kRunningTitle, 68, 12);
    LaunchSlot(*NextSelectedSlot(order_, 0));
  });
}

void RunSequencer::LaunchSlot(int slot) {
  std::optional<int> next = NextSelectedSlot(order_, slot);
  if (!next || stopRequested_) {
    // Nothing left to run although the series is not complete: never leave it hanging with
    // the game prepared.
    EndSeries(kAbortedStatus);
    return;
  }
  const ResolutionSlot& chosen = ResolutionCatalogue()[*next];
  bool custom = chosen.Order == kCustomSlot;
  std::string width = custom ? order_.CustomWidth : std::to_string(chosen.Width);
  std::string height = custom ? order_.CustomHeight : std::to_string(chosen.Height);
  view_.SetResolutionLabel(SlotStatusText(chosen, width, height));
  view_.Repaint();
  currentKey_ = chosen.RunKey;
  std::string command = BuildLaunchCommand(steps_.SteamFolder(), game_, width, height, prepared_);
  try {
    steps_.LaunchGame(command);
  } catch (const EOSError&) {
    EndSeries(kProgramErrorStatus);
  }
}

void RunSequencer::LaunchEnded() {
  if (!running_) return;
  view_.After(kAfterHandOver, [this] { Step([this] { PollGame(); }); });
}

void RunSequencer::PollGame() {
  if (steps_.GameRunning()) {
    view_.After(kGamePoll, [this] { Step([this] { PollGame(); }); });
    return;
  }
  view_.After(kAfterGame, [this] { Step([this] { GameGone(); }); });
}

void RunSequencer::GameGone() {
  if (stopRequested_) {
    EndSeries(kAbortedStatus);
    return;
  }
  const ResolutionSlot* slot = SlotByRunKey(currentKey_);
  if (!slot) return;
  int order = slot->Order;
  ++completedCount_;
  ++runsDone_;
  if (runsDone_ == 1) headingWritten_ = false;
  if (runsDone_ != runsWanted_) {
    --completedCount_;
    RecordRun();
    if (runsWanted_ > 1) view_.SetRunsLabel(RunsLabelText(runsWanted_, runsDone_ + 1));
    view_.After(kBetweenRuns, [this, order] { Step([this, order] { LaunchSlot(order); }); });
    return;
  }
  RecordRun();
  if (order == kCustomSlot || completedCount_ == selectedCount_) return;
  runsDone_ = 0;
  headingWritten_ = false;
  if (runsWanted_ > 1) view_.SetRunsLabel(RunsLabelText(runsWanted_, 1));
  view_.After(kBetweenRuns, [this, order] { Step([this, order] { LaunchSlot(order + 1); }); });
}

void RunSequencer::RecordRun() {
  view_.RestoreBounds();
  if (steps_.ReadRunScore(currentKey_)) {
    if (!headingWritten_) {
      headingWritten_ = true;
      steps_.AppendSlotHeading(currentKey_);
    }
    steps_.AppendScoreLines(runsDone_, runsWanted_);
    scored_ = true;
  }
  steps_.DeleteResultFiles();
  if (completedCount_ != selectedCount_) return;

  bool saved = steps_.FinishReport(scored_);
  view_.SetStatus(scored_ ? kSuccessStatus : kAbortedStatus);
  gameTouched_ = false;
  running_ = false;
  steps_.RestoreAutoexec();
  if (saved) steps_.OpenReport();
  view_.EnableRunButton(true);
  view_.ShowPanel(false);
  steps_.MarkSeriesEndedCleanly();
}

}  // namespace quorvel::bench
