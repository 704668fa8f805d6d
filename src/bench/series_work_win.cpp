#include "bench/series_work_win.h"

#include <utility>

#include "bench/demos_win.h"
#include "bench/game_config.h"
#include "bench/game_config_win.h"
#include "bench/report_writer.h"
#include "bench/report_writer_win.h"
#include "bench/result_reader.h"
#include "bench/result_reader_win.h"
#include "bench/results_files_win.h"
#include "bench/results_recording.h"
#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "platform/text.h"
#include "sysinfo/host_probes_win.h"
#include "sysinfo/report_head_probes_win.h"

namespace quorvel::bench {

SeriesWork::SeriesWork(const GamePaths& paths, SettingsStore& store, SettingsStore& userStore,
                       AutoexecRestorePending& autoexec, HWND owner)
    : paths_(paths),
      store_(store),
      userStore_(userStore),
      autoexec_(autoexec),
      owner_(owner),
      collector_(snapshot_, store, dxrun) {
  cp.WaitForTerminate = true;
  cp.ErrorOwner = owner;
  cp.OnTerminate = [this](ProcessRunner&, std::uint32_t) {
    if (OnLaunchEnded) OnLaunchEnded();
  };
  cp2.WaitForTerminate = false;
  dxrun.ErrorOwner = owner;
}

bool SeriesWork::CheckSteamRunning() {
  presence.CheckSteamRunning();
  return presence.SteamRunning;
}

std::string SeriesWork::SteamFolder() { return paths_.SteamFolder; }

void SeriesWork::StartSteam() {
  cp2.CurrentDirectory = paths_.SteamFolder;
  cp2.CommandLine = steam::SteamProgramCommand(paths_.SteamFolder);
  cp2.Run();
}

void SeriesWork::LaunchGame(const std::string& commandLine) {
  cp.CurrentDirectory = paths_.SteamFolder;
  cp.CommandLine = commandLine;
  cp.Run();
}

bool SeriesWork::GameRunning() {
  presence.GameRunning = GameRuns();
  return presence.GameRunning;
}

void SeriesWork::CollectSystemInfo(std::function<void()> done) {
  collector_.CollectSystemInfo(std::move(done));
}

void SeriesWork::DeleteLeftoverResult(steam::Game lastGame) {
  files::DeleteQuietly(paths_.GameFolder(lastGame) + steam::kResultFile);
}

std::optional<std::string> SeriesWork::AcceptOrder(const SeriesOrder& order) {
  std::string problem = CheckDemoChoice(order.Demo);
  if (!problem.empty()) return problem;
  // From here on a copy of the user's values is on disk and marked as to be put back.
  if (auto refusal = SecureBackupForSeries(paths_, store_, userStore_, order.Game)) return refusal;
  CurrentSeams().Checkpoint("series: backup secured");
  order_ = order;
  return std::nullopt;
}

void SeriesWork::MakeStamps() {
  BeginSeries(series_);
  StampSeries(series_);
  results_ = SeriesResults{};
  results_.Stamp = series_.Stamp;
  results_.StartedAt = series_.StartedAt;
  resultsJsonPath_.clear();
  reportUnsavable_ = false;
}

PreparedGame SeriesWork::PrepareGame() {
  steam::Game game = order_.Game;
  series_.LostCoast = game == steam::Game::LostCoast;
  Seams& seams = CurrentSeams();
  if (!SetAsideAutoexec(autoexec_, paths_, game, owner_))
    throw AppError(
        "Your autoexec.cfg could not be moved aside, so the benchmark did not change it. "
        "Please close the game and try again.");
  seams.Checkpoint("series: script set aside");
  InstallDemo(series_, paths_, order_.Demo, game, owner_);
  seams.Checkpoint("series: demo installed");
  WriteRunRegistry(paths_, game, order_.AFItem, order_.AAItem);
  seams.Checkpoint("series: run registry written");
  WriteDetailRegistry(paths_, game, order_.HDRItem);
  seams.Checkpoint("series: detail registry written");
  series_.DetailName = kDetailName;
  WriteAutoexec(paths_, game);
  seams.Checkpoint("series: script written");
  BuildLaunchOptions(series_, order_.RefreshItem, order_.HeapsizeItem, order_.FastZ);
  seams.Checkpoint("series: launch options built");
  results_.LostCoast = game == steam::Game::LostCoast;
  results_.DemoName = series_.DemoName;
  results_.DemoCaption = series_.DemoCaption;
  results_.Settings = SeriesSettingsFields(order_);
  return PreparedGame{series_.DemoName, series_.FastZOption, series_.RefreshOption,
                      series_.HeapOption};
}

void SeriesWork::WriteReportHead() {
  sysinfo::THostInfo host;
  sysinfo::RunReportHeadProbes(host, snapshot_);
  WriteReportHeadFor(snapshot_);
}

void SeriesWork::WriteReportHeadFor(const SystemInfoSnapshot& info) {
  bench::WriteReportHead(series_, info, order_.Note);
  results_.Machine = MachineFields(info);
}

bool SeriesWork::ReadRunScore(const std::string& runKey) {
  std::optional<std::string> content;
  if (ResultExists(paths_, order_.Game)) {
    CopyResultFile(paths_, order_.Game, owner_);
    content = files::ReadAll(paths_.GameFolder(order_.Game) + kResultCopy);
  }
  bool scored = content && bench::ReadRunScore(series_, *content, LocaleDecimalSeparator());
  if (!runKey.empty())
    RecordResultRun(results_, runKey, order_.CustomWidth, order_.CustomHeight,
                    scored ? std::optional<double>(series_.RunFigure) : std::nullopt,
                    scored ? series_.ScoreText : std::string(), content ? *content : std::string());
  return scored;
}

void SeriesWork::AppendSlotHeading(const std::string& runKey) {
  series_.CurrentKey = runKey;
  series_.HeadingWritten = false;
  bench::AppendSlotHeading(series_, SlotBlockSettingsOf(order_));
}

void SeriesWork::AppendScoreLines(int runsDone, int runsWanted) {
  series_.RunsDone = runsDone;
  series_.RunsWanted = runsWanted;
  if (runsWanted > 1) ScoreRun(series_);
  bench::AppendScoreLines(series_);
}

void SeriesWork::DeleteResultFiles() { bench::DeleteResultFiles(paths_); }

bool SeriesWork::FinishReport(bool scored) {
  // The sequencer counts the runs that scored; a series it counts as unscored saves nothing.
  if (!scored) series_.SeriesScored = false;
  // A folder typed without its closing backslash still means that folder.
  std::string folder = text::WithBackslash(order_.ResultsFolder);
  std::string failure = bench::FinishReport(series_, folder);
  if (!failure.empty()) {
    reportUnsavable_ = true;
    throw AppError(failure);
  }
  if (series_.ReportPath.empty()) return false;
  SaveResults(true);
  return true;
}

void SeriesWork::SeriesEndedEarly() {
  // The folder that refused the report (the user was told) would refuse the result files too.
  if (!results_.AnyFigure() || !resultsJsonPath_.empty() || reportUnsavable_) return;
  SaveResults(false);
}

void SeriesWork::SaveResults(bool complete) {
  results_.Complete = complete;
  std::string report = series_.ReportPath;
  if (report.empty())
    report = ReportFileName(text::WithBackslash(order_.ResultsFolder), series_.Stamp);
  WrittenResults written = WriteResultsFiles(results_, report);
  resultsJsonPath_ = written.JsonPath;
  if (!written.Failure.empty()) {
    AppError error(written.Failure);
    quorvel::ReportError(owner_, "Benchmark", &error);
  }
}

void SeriesWork::OpenReport() { bench::OpenReport(series_, owner_); }

void SeriesWork::RestoreAutoexec() { quorvel::RestoreAutoexec(autoexec_, paths_, owner_); }

void SeriesWork::MarkSeriesEndedCleanly() {
  MarkSeriesEnded(store_, userStore_);
  CurrentSeams().Checkpoint("series: ended");
}

}  // namespace quorvel::bench
