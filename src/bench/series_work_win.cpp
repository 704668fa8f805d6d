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

namespace quorvel::bench {

namespace {
steam::Game GameOf(bool lostCoast) {
  return lostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2;
}
}  // namespace

SeriesWork::SeriesWork(const GamePaths& paths, SettingsControls& controls,
                       std::function<void(steam::Game)> setAsideAutoexec, HWND owner)
    : paths_(paths),
      controls_(controls),
      setAsideAutoexec_(std::move(setAsideAutoexec)),
      owner_(owner) {}

void SeriesWork::DeleteLeftoverResult(bool lostCoastOfLastSeries) {
  files::DeleteQuietly(paths_.GameFolder(GameOf(lostCoastOfLastSeries)) + steam::kResultFile);
}

std::optional<std::string> SeriesWork::RefusalReason(const SeriesSelection& selection) {
  selection_ = selection;
  DemoChoice choice{selection.DemoItem, controls_.Text(Control::DemoEdit), selection.Hl2LcTicked};
  std::string problem = CheckDemoChoice(choice);
  if (problem.empty()) return std::nullopt;
  return problem;
}

void SeriesWork::MakeStamps() {
  BeginSeries(series_);
  StampSeries(series_);
  results_ = SeriesResults{};
  results_.Stamp = series_.Stamp;
  results_.StartedAt = series_.StartedAt;
  resultsJsonPath_.clear();
}

PreparedGame SeriesWork::PrepareGame(bool lostCoast) {
  steam::Game game = GameOf(lostCoast);
  series_.LostCoast = lostCoast;
  Seams& seams = CurrentSeams();
  if (setAsideAutoexec_) setAsideAutoexec_(game);
  seams.Checkpoint("series: script set aside");
  InstallDemo(series_, paths_, DemoChoiceFrom(controls_), game, owner_);
  seams.Checkpoint("series: demo installed");
  WriteRunRegistry(paths_, game, controls_.Selected(Control::AFBox),
                   controls_.Selected(Control::AABox));
  seams.Checkpoint("series: run registry written");
  WriteDetailRegistry(paths_, game, controls_.Selected(Control::HDRBox));
  seams.Checkpoint("series: detail registry written");
  series_.DetailName = kDetailName;
  WriteAutoexec(paths_, game);
  seams.Checkpoint("series: script written");
  BuildLaunchOptions(series_, controls_.Selected(Control::RefreshBox),
                     controls_.Selected(Control::HeapsizeBox),
                     controls_.Checked(Control::FastZBox));
  seams.Checkpoint("series: launch options built");
  results_.LostCoast = lostCoast;
  results_.DemoName = series_.DemoName;
  results_.DemoCaption = series_.DemoCaption;
  results_.Settings = SeriesSettingsFields(controls_, selection_);
  return PreparedGame{series_.DemoName, series_.FastZOption, series_.RefreshOption,
                      series_.HeapOption};
}

void SeriesWork::WriteReportHead(const SystemInfoSnapshot& info) {
  bench::WriteReportHead(series_, info, controls_.Text(Control::NoteEdit));
  results_.Machine = MachineFields(info);
}

std::optional<std::string> SeriesWork::ReadRunScore(bool lostCoast, const std::string& runKey) {
  series_.LostCoast = lostCoast;
  std::optional<std::string> content;
  if (ResultExists(paths_, GameOf(lostCoast))) {
    CopyResultFile(paths_, GameOf(lostCoast), owner_);
    content = files::ReadAll(paths_.GameFolder(GameOf(lostCoast)) + kResultCopy);
  }
  bool scored = content && bench::ReadRunScore(series_, *content, LocaleDecimalSeparator());
  if (!runKey.empty())
    RecordResultRun(results_, runKey, controls_.Text(Control::CusWidth),
                    controls_.Text(Control::CusHeight),
                    scored ? std::optional<double>(series_.RunFigure) : std::nullopt,
                    scored ? series_.ScoreText : std::string(), content ? *content : std::string());
  if (!scored) return std::nullopt;
  return series_.ScoreText;
}

void SeriesWork::AppendSlotHeading(const std::string& runKey) {
  series_.CurrentKey = runKey;
  series_.HeadingWritten = false;
  bench::AppendSlotHeading(series_, SlotBlockSettingsFrom(controls_));
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
  std::string folder = text::WithBackslash(controls_.Text(Control::ResEdit));
  std::string failure = bench::FinishReport(series_, folder);
  if (!failure.empty()) throw AppError(failure);
  if (series_.ReportPath.empty()) return false;
  SaveResults(true);
  return true;
}

void SeriesWork::WriteIncompleteResults() {
  if (!results_.AnyFigure() || !resultsJsonPath_.empty()) return;
  SaveResults(false);
}

void SeriesWork::SaveResults(bool complete) {
  results_.Complete = complete;
  std::string report = series_.ReportPath;
  if (report.empty())
    report = ReportFileName(text::WithBackslash(controls_.Text(Control::ResEdit)), series_.Stamp);
  WrittenResults written = WriteResultsFiles(results_, report);
  resultsJsonPath_ = written.JsonPath;
  if (!written.Failure.empty()) {
    AppError error(written.Failure);
    quorvel::ReportError(owner_, "Benchmark", &error);
  }
}

void SeriesWork::OpenReport() { bench::OpenReport(series_, owner_); }

}  // namespace quorvel::bench
