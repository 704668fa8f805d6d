#include "bench/run_sequencer.h"

#include "platform/errors.h"
#include "settings/steam_game.h"

namespace quorvel {

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
constexpr const char* kSuccessStatus = "The benchmarking is successful.";
constexpr const char* kAbortedStatus = "Benchmark aborted!";
}  // namespace

std::string BuildLaunchCommand(const std::string& steamFolder, bool lostCoast,
                               const std::string& width, const std::string& height,
                               const PreparedGame& game) {
  std::string command = steam::SteamProgramCommand(steamFolder);
  command += " -silent -applaunch ";
  command += lostCoast ? "340" : "220";
  command += " -preload -novid -mat_preloadshaders -nocdaudio -nosound -width ";
  command += width + " -height " + height + " ";
  command += game.FastZOption + " " + game.RefreshOption + " " + game.HeapOption;
  command += " +timedemoquit " + game.DemoName;
  return command;
}

std::string RunsLabelText(int runsWanted, int comingRun) {
  return "Runs: " + std::to_string(runsWanted) + "/" + std::to_string(comingRun);
}

bool SeriesIsLostCoast(const SeriesSelection& selection) {
  return selection.DemoItem == 1 || (selection.DemoItem == 3 && selection.Hl2LcTicked);
}

bool SlotSelected(const SeriesSelection& selection, int order) {
  if (order >= 0 && order < kFixedSlotCount) return selection.SlotTicked[order];
  if (order == kCustomSlot)
    return selection.CusResTicked && !selection.CusWidth.empty() && !selection.CusHeight.empty();
  return false;
}

std::optional<int> NextSelectedSlot(const SeriesSelection& selection, int order) {
  for (int o = order < 0 ? 0 : order; o <= kCustomSlot; ++o)
    if (SlotSelected(selection, o)) return o;
  return std::nullopt;
}

int SelectedCount(const SeriesSelection& selection) {
  int count = 0;
  for (int o = 0; o <= kCustomSlot; ++o) count += SlotSelected(selection, o) ? 1 : 0;
  return count;
}

void RunSequencer::Step(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& error) {
    host_.ReportError(error);
    EndSeries(std::string(kAbortedStatus) + " " + error.what());
  }
}

void RunSequencer::EndSeries(const std::string& status) {
  running_ = false;
  bool scriptBack = true;
  if (gameTouched_) {
    gameTouched_ = false;
    try {
      host_.SeriesEndedEarly();
    } catch (const std::exception& error) {
      host_.ReportError(error);
    }
    try {
      host_.RestoreAutoexec();
    } catch (const std::exception& error) {
      scriptBack = false;
      host_.ReportError(error);
    }
  }
  host_.SetStatus(status);
  host_.EnableRunButton(true);
  host_.ShowPanel(false);
  if (scriptBack) {
    try {
      host_.MarkSeriesEndedCleanly();
    } catch (const std::exception& error) {
      host_.ReportError(error);
    }
  }
}

void RunSequencer::RequestStop() { stopRequested_ = true; }

void RunSequencer::BenchButtonClick() {
  if (running_ || stopRequested_) return;
  host_.SaveBounds();
  host_.SetStatus("");
  host_.DeleteLeftoverResult(lostCoast_);
  host_.EnableRunButton(false);
  host_.ShowProgressLabels(false);

  if (!host_.CheckSteamRunning()) {
    host_.SetStatus(kSteamMissingStatus);
    host_.Repaint();
    if (host_.Confirm(kStartSteamQuestion)) {
      host_.SetStatus(kSteamStartingStatus);
      try {
        host_.StartSteam();
      } catch (const EOSError&) {
        host_.SetStatus(kProgramErrorStatus);
      }
    } else {
      host_.SetStatus(kSteamDeclinedStatus);
    }
    host_.EnableRunButton(true);
    return;
  }

  running_ = true;
  scored_ = false;
  runsDone_ = 0;
  Step([&] {
    host_.SetPanelTitle(kCollectingTitle, 38, 10);
    host_.ShowPanel(true);
    host_.Repaint();
    host_.SaveRunNumber();
    // A runs setting that was never valid would leave a resolution unfinished for ever.
    runsWanted_ = host_.RunsWanted() < 1 ? 1 : host_.RunsWanted();
    host_.CollectSystemInfo([this] { PrepareSeries(); });
  });
}

void RunSequencer::PrepareSeries() {
  if (!running_) return;
  if (stopRequested_) {
    // Nothing of the game has been touched yet.
    running_ = false;
    host_.EnableRunButton(true);
    host_.ShowPanel(false);
    return;
  }
  Step([&] {
    host_.Repaint();
    selection_ = host_.Selection();
    lostCoast_ = SeriesIsLostCoast(selection_);
    selectedCount_ = 0;
    completedCount_ = 0;
    if (runsWanted_ > 1) host_.SetRunsLabel(RunsLabelText(runsWanted_, 1));
    selectedCount_ = SelectedCount(selection_);
    if (selectedCount_ < 1) {
      host_.Message(kNoResolutionMessage);
      running_ = false;
      host_.EnableRunButton(true);
      host_.ShowPanel(false);
      return;
    }
    if (auto refusal = host_.RefusalReason(selection_, lostCoast_)) {
      host_.Message(*refusal);
      running_ = false;
      host_.EnableRunButton(true);
      host_.ShowPanel(false);
      return;
    }
    host_.Repaint();
    host_.MakeStamps();
    gameTouched_ = true;
    game_ = host_.PrepareGame(lostCoast_);
    host_.WriteReportHead();
    host_.ShowProgressLabels(true);
    host_.SetPanelTitle(kRunningTitle, 68, 12);
    LaunchSlot(*NextSelectedSlot(selection_, 0));
  });
}

void RunSequencer::LaunchSlot(int order) {
  std::optional<int> next = NextSelectedSlot(selection_, order);
  if (!next || stopRequested_) {
    // Nothing left to run although the series is not complete: never leave it hanging with
    // the game prepared.
    EndSeries(kAbortedStatus);
    return;
  }
  const ResolutionSlot& slot = ResolutionCatalogue()[*next];
  bool custom = slot.Order == kCustomSlot;
  std::string width = custom ? selection_.CusWidth : std::to_string(slot.Width);
  std::string height = custom ? selection_.CusHeight : std::to_string(slot.Height);
  host_.SetResolutionLabel(SlotStatusText(slot, width, height));
  host_.Repaint();
  currentOrder_ = slot.Order;
  currentKey_ = slot.RunKey;
  std::string command = BuildLaunchCommand(host_.SteamFolder(), lostCoast_, width, height, game_);
  try {
    host_.LaunchGame(command);
  } catch (const EOSError&) {
    EndSeries(kProgramErrorStatus);
  }
}

void RunSequencer::LaunchEnded() {
  if (!running_) return;
  host_.After(kAfterHandOver, [this] { Step([this] { PollGame(); }); });
}

void RunSequencer::PollGame() {
  if (host_.GameRunning()) {
    host_.After(kGamePoll, [this] { Step([this] { PollGame(); }); });
    return;
  }
  host_.After(kAfterGame, [this] { Step([this] { GameGone(); }); });
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
    if (runsWanted_ > 1) host_.SetRunsLabel(RunsLabelText(runsWanted_, runsDone_ + 1));
    host_.After(kBetweenRuns, [this, order] { Step([this, order] { LaunchSlot(order); }); });
    return;
  }
  RecordRun();
  if (order == kCustomSlot || completedCount_ == selectedCount_) return;
  runsDone_ = 0;
  headingWritten_ = false;
  if (runsWanted_ > 1) host_.SetRunsLabel(RunsLabelText(runsWanted_, 1));
  host_.After(kBetweenRuns, [this, order] { Step([this, order] { LaunchSlot(order + 1); }); });
}

void RunSequencer::RecordRun() {
  host_.RestoreBounds();
  if (std::optional<std::string> score = host_.ReadRunScore(lostCoast_)) {
    if (!headingWritten_) {
      headingWritten_ = true;
      host_.AppendSlotHeading(currentKey_);
    }
    host_.AppendScoreLines(*score, runsDone_, runsWanted_);
    scored_ = true;
  }
  host_.DeleteResultFiles();
  if (completedCount_ != selectedCount_) return;

  bool saved = host_.FinishReport(scored_);
  host_.SetStatus(scored_ ? kSuccessStatus : kAbortedStatus);
  gameTouched_ = false;
  running_ = false;
  host_.RestoreAutoexec();
  if (saved) host_.OpenReport();
  host_.EnableRunButton(true);
  host_.ShowPanel(false);
  host_.MarkSeriesEndedCleanly();
}

}  // namespace quorvel
