#pragma once
// Gathers the diagnostics part of the machine description once per series: from the cache in
// the settings key, or by running the DirectX diagnostics tool and reading its report when it
// has ended. Either way the series is then prepared, exactly once per collection.
#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings_store.h"
#include "sysinfo/process_runner_win.h"
#include "sysinfo/system_info.h"

namespace quorvel::sysinfo {

class SystemInfoCollector {
 public:
  // Starts the diagnostics tool hidden with this command line and working folder and returns
  // at once; when the tool ends, its end must reach dxrunTerminate on the user-interface
  // thread (the `dxrun` runner does that). Throws EOSError when the platform refuses the start.
  using ToolStarter =
      std::function<void(const std::string& commandLine, const std::string& currentDirectory)>;

  struct Folders {
    std::string system;  // where dxdiag.exe lives, without a trailing backslash
    std::string output;  // where the report is written, with its trailing backslash
  };
  // The system folder (GetSystemDirectoryA) and the account's own data folder.
  static Folders DefaultFolders();

  // `snapshot` and `store` must outlive the collector.
  SystemInfoCollector(SystemInfoSnapshot& snapshot, SettingsStore& store, ToolStarter startTool,
                      Folders folders = DefaultFolders());
  // The same with the window's `dxrun` runner (which must outlive the collector): the tool is
  // started through it, and its end handler becomes dxrunTerminate.
  SystemInfoCollector(SystemInfoSnapshot& snapshot, SettingsStore& store, ProcessRunner& dxrun,
                      Folders folders = DefaultFolders());
  SystemInfoCollector(const SystemInfoCollector&) = delete;
  SystemInfoCollector& operator=(const SystemInfoCollector&) = delete;

  // Takes the cached values, or falls back when the tool is missing or refuses to start,
  // and then calls `prepareSeries` before returning; otherwise starts the tool and returns,
  // the collection ending in dxrunTerminate, which calls `prepareSeries`. Errors of the
  // settings store propagate (and then `prepareSeries` is not called). User-interface thread.
  void CollectSystemInfo(std::function<void()> prepareSeries);

  // The tool's end: waits a second for its report, reads and deletes it, fills the values
  // and the cache (a missing report gives "indeterminable" throughout), then calls the
  // `prepareSeries` of the collection that started the tool (once; a second end is ignored).
  // `Sender` and `ExitCode` are not used. Errors of the settings store propagate after the values
  // are set. User-interface thread.
  void dxrunTerminate(ProcessRunner& Sender, std::uint32_t ExitCode);

  // Where the tool writes its report.
  std::string ReportPath() const;

 private:
  SystemInfoSnapshot& snapshot_;
  SettingsStore& store_;
  ToolStarter startTool_;
  Folders folders_;
  std::function<void()> pending_;  // the started tool's collection, until its end
};

}  // namespace quorvel::sysinfo
