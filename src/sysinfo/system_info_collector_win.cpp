#include "sysinfo/system_info_collector_win.h"

#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/seams_win.h"
#include "platform/win.h"
#include "sysinfo/diagnostics_values.h"
#include "sysinfo/dxdiag_report.h"

namespace quorvel::sysinfo {

namespace {
// The tool may still be closing its report when its process has ended.
constexpr unsigned kReportSettleMs = 1000;

std::string SystemFolder() {
  std::vector<char> buffer(MAX_PATH);
  while (true) {
    UINT n = ::GetSystemDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(n + 1);
  }
}
}  // namespace

SystemInfoCollector::Folders SystemInfoCollector::DefaultFolders() {
  return {SystemFolder(), files::UserDataFolder()};
}

SystemInfoCollector::SystemInfoCollector(SystemInfoSnapshot& snapshot, SettingsStore& store,
                                         ToolStarter startTool, Folders folders)
    : snapshot_(snapshot),
      store_(store),
      startTool_(std::move(startTool)),
      folders_(std::move(folders)) {}

SystemInfoCollector::SystemInfoCollector(SystemInfoSnapshot& snapshot, SettingsStore& store,
                                         ProcessRunner& dxrun, Folders folders)
    : SystemInfoCollector(
          snapshot, store,
          [&dxrun](const std::string& commandLine, const std::string& currentDirectory) {
            dxrun.CommandLine = commandLine;
            dxrun.CurrentDirectory = currentDirectory;
            dxrun.Run();
          },
          std::move(folders)) {
  dxrun.WaitForTerminate = true;
  dxrun.OnTerminate = [this](ProcessRunner& sender, std::uint32_t exitCode) {
    dxrunTerminate(sender, exitCode);
  };
}

std::string SystemInfoCollector::ReportPath() const { return folders_.output + kDxdiagReportFile; }

void SystemInfoCollector::CollectSystemInfo(std::function<void()> prepareSeries) {
  auto done = [&prepareSeries] {
    if (prepareSeries) prepareSeries();
  };
  if (TakeCachedValues(snapshot_, store_)) {
    done();
    return;
  }
  std::string tool = folders_.system + kDxdiagProgram;
  // Without a folder of the account's own the report has nowhere to go: as without the tool.
  if (folders_.system.empty() || folders_.output.empty() || !files::FileExists(tool) ||
      !startTool_) {
    TakeToolMissing(snapshot_);
    done();
    return;
  }
  try {
    pending_ = std::move(prepareSeries);
    startTool_(DxdiagCommandLine(folders_.system, folders_.output), folders_.system);
  } catch (const EOSError&) {
    // A tool that cannot be started is as good as a missing one: the series goes on.
    std::function<void()> refused = std::exchange(pending_, nullptr);
    TakeToolMissing(snapshot_);
    if (refused) refused();
  } catch (...) {
    pending_ = nullptr;
    throw;
  }
}

void SystemInfoCollector::dxrunTerminate(ProcessRunner& Sender, std::uint32_t ExitCode) {
  (void)Sender;
  (void)ExitCode;
  std::function<void()> prepareSeries = std::exchange(pending_, nullptr);
  if (!prepareSeries) return;
  ::Sleep(CurrentSeams().WaitMs(kReportSettleMs));
  std::string path = ReportPath();
  std::optional<std::string> report;
  if (files::FileExists(path)) report = files::ReadAll(path);
  if (!report) {
    TakeReportMissing(snapshot_);
    prepareSeries();
    return;
  }
  // Gone before the cache is written, so that a failing write leaves no report behind.
  files::DeleteQuietly(path);
  TakeReportValues(snapshot_, ParseDxdiagReportFile(*report), store_);
  prepareSeries();
}

}  // namespace quorvel::sysinfo
