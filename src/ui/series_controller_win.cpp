#include "ui/series_controller_win.h"

#include <map>
#include <utility>

#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/seams_win.h"
#include "ui/main_window_win.h"

namespace quorvel {

namespace {
constexpr const char* kWaitingForGameStatus =
    "Waiting for the game to quit; then your game settings are put back and the program ends.";
// How often the exit looks whether the game has quit.
constexpr unsigned kExitPollMs = 1000;

// The sequencer's timers, by the id the system gave them. One series runs at a time, but a
// map keeps this right for any number of pending waits.
std::map<UINT_PTR, std::function<void()>>& PendingTimers() {
  static std::map<UINT_PTR, std::function<void()>> timers;
  return timers;
}
}  // namespace

SeriesController::SeriesController(MainWindow& window, AutoexecRestorePending& autoexec)
    : window_(window),
      work_(window.Paths(), window.Store(), window.UserStore(), autoexec, window.Handle()),
      sequencer_(*this, work_) {
  work_.OnLaunchEnded = [this] { sequencer_.LaunchEnded(); };
  window_.RunBenchmark = [this] { sequencer_.BenchButtonClick(bench::SeriesOrderFrom(window_)); };
  window_.RestoreRegistryAtExit = [this] {
    RestoreGameSettings(window_.Paths(), window_.UserStore());
  };
  window_.DelayExit = [this](std::function<void()> resume) { return DelayExit(std::move(resume)); };
}

SeriesController::~SeriesController() {
  window_.RunBenchmark = nullptr;
  window_.RestoreRegistryAtExit = nullptr;
  window_.DelayExit = nullptr;
  for (auto& [id, then] : PendingTimers()) ::KillTimer(nullptr, id);
  PendingTimers().clear();
}

void CALLBACK SeriesController::TimerFired(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto found = PendingTimers().find(id);
  if (found == PendingTimers().end()) return;
  std::function<void()> then = std::move(found->second);
  PendingTimers().erase(found);
  Guarded(nullptr, "Benchmark timer", then);
}

void SeriesController::SetStatus(const std::string& text) { window_.SetStatus(text); }

void SeriesController::RunUnattended(const bench::SeriesOrder& order, std::function<void()> ended) {
  unattendedEnded_ = std::move(ended);
  sequencer_.BenchButtonClick(order);
}

void SeriesController::EnableRunButton(bool enabled) {
  ::EnableWindow(window_.BenchButton, enabled);
  // Every end of a series gives the run button back.
  if (enabled && !sequencer_.Running() && unattendedEnded_) {
    std::function<void()> ended = std::move(unattendedEnded_);
    unattendedEnded_ = nullptr;
    ended();
  }
}

void SeriesController::ShowPanel(bool visible) {
  ::ShowWindow(window_.Panel2, visible ? SW_SHOW : SW_HIDE);
  if (visible) ::SetWindowPos(window_.Panel2, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SeriesController::SetPanelTitle(const std::string& caption, int left, int fontSize) {
  ::SetWindowTextA(window_.Label20, caption.c_str());
  window_.SetFontSize(window_.Label20, fontSize);
  RECT r;
  ::GetWindowRect(window_.Label20, &r);
  POINT topLeft{r.left, r.top};
  ::ScreenToClient(window_.Panel2, &topLeft);
  ::SetWindowPos(window_.Label20, nullptr, left, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SeriesController::ShowProgressLabels(bool visible) {
  ::ShowWindow(window_.Label21, visible ? SW_SHOW : SW_HIDE);
  ::ShowWindow(window_.RunsLabel, visible ? SW_SHOW : SW_HIDE);
}

void SeriesController::SetResolutionLabel(const std::string& text) {
  ::SetWindowTextA(window_.Label21, text.c_str());
}

void SeriesController::SetRunsLabel(const std::string& text) {
  ::SetWindowTextA(window_.RunsLabel, text.c_str());
}

void SeriesController::Repaint() {
  ::RedrawWindow(window_.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SeriesController::SaveBounds() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (::GetWindowPlacement(window_.Handle(), &placement)) savedBounds_ = placement.rcNormalPosition;
}

void SeriesController::RestoreBounds() {
  if (savedBounds_.right <= savedBounds_.left) return;
  ::SetWindowPos(window_.Handle(), nullptr, savedBounds_.left, savedBounds_.top,
                 savedBounds_.right - savedBounds_.left, savedBounds_.bottom - savedBounds_.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SeriesController::Confirm(const std::string& question) {
  return CurrentSeams().Confirm(window_.Handle(), question);
}

void SeriesController::Message(const std::string& text) {
  CurrentSeams().Message(window_.Handle(), text);
}

void SeriesController::ReportError(const std::exception& error) {
  quorvel::ReportError(window_.Handle(), "Benchmark", &error);
}

int SeriesController::SaveRunNumber(int runsItem) {
  BenchSettings* settings = window_.Settings();
  if (!settings) return 0;
  // A command line's runs are for its series only.
  if (unattendedEnded_ && runsItem >= 0 && runsItem <= 4) return runsItem + 1;
  settings->RunNumberChosen(runsItem);
  return settings->RunsWanted();
}

void SeriesController::After(unsigned ms, std::function<void()> then) {
  UINT_PTR id = ::SetTimer(nullptr, 0, CurrentSeams().WaitMs(ms), TimerFired);
  if (!id) throw AppError("The benchmark could not start its timer.");
  PendingTimers()[id] = std::move(then);
}

bool SeriesController::DelayExit(std::function<void()> resume) {
  // Leaving: no series starts, and one under way starts no further run.
  sequencer_.RequestStop();
  // Until a series has changed a game, putting the values back cannot race with it.
  if (!RestorePending(window_.UserStore())) return false;
  if (!sequencer_.Running() && !GameRuns()) return false;
  if (exitWaiting_) return true;
  exitWaiting_ = true;
  // The game of a series stores its screen size when it quits: the user's values go back
  // only after that.
  EnableRunButton(false);
  SetStatus(kWaitingForGameStatus);
  WaitForGameThenLeave(std::move(resume));
  return true;
}

void SeriesController::WaitForGameThenLeave(std::function<void()> resume) {
  After(kExitPollMs, [this, resume = std::move(resume)]() mutable {
    if (sequencer_.Running() || GameRuns()) {
      WaitForGameThenLeave(std::move(resume));
      return;
    }
    resume();
  });
}

}  // namespace quorvel
