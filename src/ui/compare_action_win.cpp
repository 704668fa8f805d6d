#include "ui/compare_action_win.h"

#include <vector>

#include "bench/report_writer.h"
#include "bench/report_writer_win.h"
#include "bench/results_files_win.h"
#include "platform/seams_win.h"
#include "platform/text.h"

namespace quorvel {

namespace {
constexpr char kResultFilter[] = "Result files (*.json)\0*.json\0All files (*.*)\0*.*\0";
constexpr const char* kTooFewFiles = "Choose two or more result files (.json) to compare.";
}  // namespace

std::string ComparePagePath(const std::string& resultsFolder, const std::string& stamp) {
  return text::WithBackslash(resultsFolder) + "compare_" + stamp + ".htm";
}

void CompareResultsClick(HWND owner, const std::string& resultsFolder) {
  Seams& seams = CurrentSeams();
  std::vector<std::string> chosen = seams.ChooseFiles(
      owner, "Compare results", std::string(kResultFilter, sizeof(kResultFilter)), resultsFolder);
  if (chosen.empty()) return;
  if (chosen.size() < 2) {
    seams.Message(owner, kTooFewFiles);
    return;
  }
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  std::string page =
      ComparePagePath(resultsFolder, bench::MakeStamp(bench::LocaleDateTimeText(now)));
  std::string failure = bench::WriteComparePage(chosen, page);
  if (!failure.empty()) {
    seams.Message(owner, failure);
    return;
  }
  seams.ShellOpen(owner, page, SW_SHOW);
}

}  // namespace quorvel
