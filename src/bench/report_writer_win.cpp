#include "bench/report_writer_win.h"

#include <algorithm>
#include <vector>

#include "bench/result_reader.h"
#include "bench/result_reader_win.h"
#include "platform/handles_win.h"
#include "platform/seams_win.h"
#include "platform/text.h"

namespace quorvel::bench {

namespace {

std::string SystemReason(DWORD code) {
  char* buffer = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string reason = n && buffer ? text::Trim(std::string(buffer, n)) : std::string();
  if (buffer) ::LocalFree(buffer);
  if (reason.empty()) reason = text::Format("System error %lu.", static_cast<unsigned long>(code));
  return reason;
}

// Writes the whole file; the failing call's error code on failure, 0 on success.
DWORD SaveFile(const std::string& name, const std::string& bytes) {
  UniqueHandle file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!::WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr)) {
      DWORD code = ::GetLastError();
      return code ? code : ERROR_WRITE_FAULT;
    }
    if (wrote == 0) return ERROR_WRITE_FAULT;
    done += wrote;
  }
  return 0;
}

std::string LocaleText(bool date, const SYSTEMTIME& when, LCID locale) {
  auto call = [&](char* out, int size) {
    return date ? ::GetDateFormatA(locale, DATE_SHORTDATE, &when, nullptr, out, size)
                : ::GetTimeFormatA(locale, 0, &when, nullptr, out, size);
  };
  int size = call(nullptr, 0);
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size) + 1);
  int got = call(buffer.data(), static_cast<int>(buffer.size()));
  if (got <= 0) return std::string();
  return std::string(buffer.data());
}

}  // namespace

std::string LocaleDateTimeText(const SYSTEMTIME& when, LCID locale) {
  return DateTimeText(LocaleText(true, when, locale), LocaleText(false, when, locale));
}

void StampSeries(BenchSeries& series) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  series.Stamp = MakeStamp(LocaleDateTimeText(now));
  ::GetLocalTime(&now);
  series.StartedAt = LocaleDateTimeText(now);
}

std::string FinishReport(BenchSeries& series, const std::string& resultsFolder) {
  AppendReportFooter(series);
  if (!series.SeriesScored) return std::string();
  std::string name = ReportFileName(resultsFolder, series.Stamp);
  if (DWORD code = SaveFile(name, ReportText(series.ReportLines)))
    return text::Format("Cannot create file \"%s\". %s", name.c_str(), SystemReason(code).c_str());
  series.ReportPath = name;
  return std::string();
}

void OpenReport(const BenchSeries& series, HWND owner) {
  if (series.ReportPath.empty()) return;
  CurrentSeams().ShellOpen(owner, series.ReportPath, SW_SHOW);
}

bool RecordRunResult(BenchSeries& series, const GamePaths& paths, const SlotBlockSettings& settings,
                     HWND owner) {
  bool scored = false;
  if (ResultExists(paths, series.Game())) {
    CopyResultFile(paths, series.Game(), owner);
    if (ReadRunScore(series, paths)) {
      scored = true;
      AppendSlotHeading(series, settings);
      if (series.RunsWanted > 1) ScoreRun(series);
      AppendScoreLines(series);
    }
  }
  DeleteResultFiles(paths);
  return scored;
}

}  // namespace quorvel::bench
