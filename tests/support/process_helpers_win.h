#pragma once
// Helpers for tests that start real programs: folders, the message pump, the process list
// and the clean-up of whatever a test started.
#include <functional>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"

namespace quorvel::testing {

// Folder of the running test program, ending with "\".
std::string TestProgramFolder();
// Folder of the built stand-ins (steam.exe, hl2.exe, dxdiag.exe), ending with "\".
std::string StandinsFolder();

// A fresh, empty folder below the temporary folder, removed with all it holds on
// destruction. `name` may contain blanks.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Ends with "\".
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Removes a folder and everything below it; true when it is gone.
bool RemoveTree(const std::string& folder);
// Copies a file, replacing the target; creates the target's folder. True on success.
bool CopyFileTo(const std::string& from, const std::string& to);
// The file's lines without line breaks; empty when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path);

// Dispatches this thread's messages until `done()` is true or `timeoutMs` have passed;
// returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Ids of the running processes whose executable name equals `exeName`, ignoring case.
std::vector<DWORD> ProcessIdsNamed(const std::string& exeName);
// Asks the process's windows to close, waits up to `graceMs`, then terminates it.
void StopProcess(DWORD processId, DWORD graceMs = 5000);
// StopProcess for every process named `exeName`.
void StopProcessesNamed(const std::string& exeName, DWORD graceMs = 5000);

// The first window below `parent`, at any depth, whose control id is `id`; null when none is.
HWND FindChildById(HWND parent, int id);

// A program started directly with CreateProcessA; stopped on destruction when still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;
  ~ChildProcess() { Stop(); }
  // Starts `commandLine` in `folder` (empty: ours); false when the start was refused.
  bool Start(const std::string& commandLine, const std::string& folder = "");
  bool Running() const;
  // Waits for the end; false on time-out.
  bool WaitForEnd(DWORD timeoutMs) const;
  DWORD Id() const { return id_; }
  void Stop(DWORD graceMs = 5000);

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

}  // namespace quorvel::testing
