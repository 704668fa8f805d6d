#include "bench/results_files_win.h"

#include "platform/files_win.h"
#include "platform/os_error_win.h"
#include "platform/text.h"

namespace quorvel::bench {

namespace {
std::string CannotCreate(const std::string& name) {
  DWORD code = ::GetLastError();
  std::string reason = SystemErrorMessage(code);
  if (reason.empty()) reason = text::Format("System error %lu.", static_cast<unsigned long>(code));
  return text::Format("Cannot create file \"%s\". %s", name.c_str(), reason.c_str());
}
}  // namespace

WrittenResults WriteResultsFiles(const SeriesResults& results, const std::string& reportName) {
  WrittenResults written;
  std::string json = ResultsFileName(reportName, ".json");
  if (!files::WriteAll(json, ResultsJson(results))) {
    written.Failure = CannotCreate(json);
    return written;
  }
  written.JsonPath = json;
  std::string csv = ResultsFileName(reportName, ".csv");
  if (!files::WriteAll(csv, ResultsCsv(results))) {
    written.Failure = CannotCreate(csv);
    return written;
  }
  written.CsvPath = csv;
  return written;
}

std::vector<ResultsFile> ReadResultsFiles(const std::vector<std::string>& names) {
  std::vector<ResultsFile> files;
  for (const std::string& name : names) {
    ResultsFile file;
    file.Name = name;
    if (std::optional<std::string> bytes = files::ReadAll(name))
      file.Bytes = std::move(*bytes);
    else
      file.Unreadable = true;
    files.push_back(std::move(file));
  }
  return files;
}

std::string WriteComparePage(const std::vector<std::string>& names, const std::string& pagePath) {
  CompareOutcome outcome = BuildComparePage(ReadResultsFiles(names));
  if (!outcome.Failure.empty()) return outcome.Failure;
  if (!files::WriteAll(pagePath, outcome.Page)) return CannotCreate(pagePath);
  return std::string();
}

}  // namespace quorvel::bench
