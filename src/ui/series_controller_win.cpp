#include "ui/series_controller_win.h"

#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/seams_win.h"
#include "settings/steam_game.h"
#include "sysinfo/host_probes_win.h"
#include "sysinfo/report_head_probes_win.h"
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
      autoexec_(autoexec),
      collector_(snapshot_, window.Store(), dxrun),
      work_(
          window.Paths(), window,
          [this](steam::Game game) {
            if (!SetAsideAutoexec(autoexec_, window_.Paths(), game, window_.Handle()))
              throw AppError(
                  "Your autoexec.cfg could not be moved aside, so the benchmark did not "
                  "change it. Please close the game and try again.");
          },
          window.Handle()),
      sequencer_(*this) {
  cp.WaitForTerminate = true;
  cp.ErrorOwner = window.Handle();
  cp.OnTerminate = [this](ProcessRunner&, std::uint32_t) { sequencer_.LaunchEnded(); };
  cp2.WaitForTerminate = false;
  dxrun.ErrorOwner = window.Handle();
  window_.RunBenchmark = [this] { sequencer_.BenchButtonClick(); };
  window_.RestoreRegistryAtExit = [this] { RestoreGameSettings(window_.Paths(), window_.Store()); };
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

SeriesSelection SeriesController::Selection() {
  SeriesSelection s;
  for (int i = 0; i < kFixedSlotCount; ++i) s.SlotTicked[i] = window_.SlotTicked(i);
  s.CusResTicked = window_.Checked(Control::cusresbox);
  s.CusWidth = window_.Text(Control::CusWidth);
  s.CusHeight = window_.Text(Control::CusHeight);
  s.DemoItem = window_.TickedDemo();
  s.Hl2LcTicked = window_.Checked(Control::HL2LC);
  return s;
}

void SeriesController::SetStatus(const std::string& text) { window_.SetStatus(text); }

void SeriesController::EnableRunButton(bool enabled) {
  ::EnableWindow(window_.BenchButton, enabled);
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

void SeriesController::SaveRunNumber() {
  if (BenchSettings* settings = window_.Settings()) settings->RunNumberChanged();
}

int SeriesController::RunsWanted() {
  BenchSettings* settings = window_.Settings();
  return settings ? settings->RunsWanted() : 0;
}

void SeriesController::MarkSeriesEndedCleanly() {
  window_.Store().WriteString("NoErrorWarning", "0");
  CurrentSeams().Checkpoint("series: ended");
}

bool SeriesController::CheckSteamRunning() {
  presence.CheckSteamRunning();
  return presence.SteamRunning;
}

std::string SeriesController::SteamFolder() { return window_.Paths().SteamFolder; }

void SeriesController::StartSteam() {
  cp2.CurrentDirectory = window_.Paths().SteamFolder;
  cp2.CommandLine = steam::SteamProgramCommand(window_.Paths().SteamFolder);
  cp2.Run();
}

void SeriesController::LaunchGame(const std::string& commandLine) {
  cp.CurrentDirectory = window_.Paths().SteamFolder;
  cp.CommandLine = commandLine;
  cp.Run();
}

bool SeriesController::GameRunning() {
  presence.GameRunning = presence.GameProcessRunning();
  return presence.GameRunning;
}

void SeriesController::After(unsigned ms, std::function<void()> then) {
  UINT_PTR id = ::SetTimer(nullptr, 0, CurrentSeams().WaitMs(ms), TimerFired);
  if (!id) throw AppError("The benchmark could not start its timer.");
  PendingTimers()[id] = std::move(then);
}

void SeriesController::CollectSystemInfo(std::function<void()> done) {
  collector_.CollectSystemInfo(std::move(done));
}

void SeriesController::DeleteLeftoverResult(bool lostCoastOfLastSeries) {
  work_.DeleteLeftoverResult(lostCoastOfLastSeries);
}

std::optional<std::string> SeriesController::RefusalReason(const SeriesSelection& selection,
                                                           bool lostCoast) {
  if (auto refusal = work_.RefusalReason(selection)) return refusal;
  // The last check before the game is touched: from here on a copy of the user's values
  // is on disk and marked as to be put back.
  auto refusal = SecureBackupForSeries(window_.Paths(), window_.Store(),
                                       lostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2);
  if (!refusal) CurrentSeams().Checkpoint("series: backup secured");
  return refusal;
}

void SeriesController::MakeStamps() { work_.MakeStamps(); }

PreparedGame SeriesController::PrepareGame(bool lostCoast) { return work_.PrepareGame(lostCoast); }

void SeriesController::WriteReportHead() {
  sysinfo::THostInfo host;
  sysinfo::RunReportHeadProbes(host, snapshot_);
  work_.WriteReportHead(snapshot_);
}

std::optional<std::string> SeriesController::ReadRunScore(bool lostCoast) {
  return work_.ReadRunScore(lostCoast, sequencer_.CurrentKey());
}

void SeriesController::AppendSlotHeading(const std::string& runKey) {
  work_.AppendSlotHeading(runKey);
}

void SeriesController::AppendScoreLines(const std::string&, int runsDone, int runsWanted) {
  work_.AppendScoreLines(runsDone, runsWanted);
}

void SeriesController::DeleteResultFiles() { work_.DeleteResultFiles(); }

bool SeriesController::FinishReport(bool scored) { return work_.FinishReport(scored); }

void SeriesController::OpenReport() { work_.OpenReport(); }

void SeriesController::SeriesEndedEarly() { work_.WriteIncompleteResults(); }

bool SeriesController::DelayExit(std::function<void()> resume) {
  // Leaving: no series starts, and one under way starts no further run.
  sequencer_.RequestStop();
  // Until a series has changed a game, putting the values back cannot race with it.
  if (!RestorePending(window_.Store())) return false;
  if (!sequencer_.Running() && !presence.GameProcessRunning()) return false;
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
    if (sequencer_.Running() || presence.GameProcessRunning()) {
      WaitForGameThenLeave(std::move(resume));
      return;
    }
    resume();
  });
}

void SeriesController::RestoreAutoexec() {
  quorvel::RestoreAutoexec(autoexec_, window_.Paths(), window_.Handle());
}

}  // namespace quorvel
