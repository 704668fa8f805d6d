#pragma once
// Starts an outside program hidden and, when asked, reports its end on the user-interface
// thread. The main window owns three of these (Steam with the timedemo command, Steam alone,
// the diagnostics tool), configures them once and keeps them as long as it lives.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/win.h"

namespace quorvel {

namespace detail {
struct RunnerWatch;
}

enum class ProcessPriority { Idle, Normal, High, RealTime };

// How the started program is asked to show its first window. A "Default..." flag left false
// makes the values beside it count.
struct RunnerStartupInfo {
  bool DefaultPosition = false;
  bool DefaultSize = false;
  bool DefaultWindowState = false;
  int ShowWindow = SW_HIDE;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

enum class RunnerState {
  Idle,     // nothing started, or the last watched program has been reported
  Started,  // the last start was not watched
  Waiting,  // a watched program has not been reported yet
};

class ProcessRunner {
 public:
  // Called on the user-interface thread after a watched program ended; the runner is idle
  // again by then, so the handler may call Run on it.
  using TerminateHandler = std::function<void(ProcessRunner& sender, std::uint32_t exitCode)>;

  // The end message posted from the waiter to the runner's hidden window.
  static constexpr UINT kEndMessage = WM_USER + 2;

  ProcessRunner() = default;
  // Detaches a waiter that is still watching: nothing is reported afterwards and the started
  // program keeps running. Call on the thread that called Run.
  ~ProcessRunner();
  ProcessRunner(const ProcessRunner&) = delete;
  ProcessRunner& operator=(const ProcessRunner&) = delete;

  // The complete command line, program path first, handed to the platform unchanged.
  std::string CommandLine;
  // Working folder; trimmed before use, empty means the started program inherits ours.
  std::string CurrentDirectory;
  // Empty: the platform takes the program from the first token of CommandLine.
  std::string ApplicationName;
  bool WaitForTerminate = true;
  ProcessPriority Priority = ProcessPriority::Normal;
  // Extra creation flags beside the priority class.
  DWORD CreationFlags = 0;
  // "NAME=value" entries; empty means the started program inherits our environment.
  std::vector<std::string> Environment;
  RunnerStartupInfo StartupInfo;
  TerminateHandler OnTerminate;
  // Owner of the error report shown when OnTerminate ends with an error.
  HWND ErrorOwner = nullptr;

  // Starts the program. With WaitForTerminate it returns once the program is started and
  // OnTerminate follows through the message queue; without, it returns when the program is
  // ready for input and nothing follows. Throws EOSError (with the system's code) when the
  // platform refuses the start, AppError "Cannot perform this operation when process is
  // running" while a watched program has not been reported, and EOSError when the hidden
  // window or the waiter cannot be made. User-interface thread only.
  void Run();

  RunnerState State() const { return state_; }
  // Exit code of the last reported program (0 before the first).
  std::uint32_t ExitCode() const { return exitCode_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void EnsureWindow();
  void CloseHandles();
  void Detach();
  void Delivered(std::uint64_t watchId);

  RunnerState state_ = RunnerState::Idle;
  UniqueHandle process_;
  UniqueHandle thread_;
  std::uint32_t exitCode_ = 0;
  std::shared_ptr<detail::RunnerWatch> watch_;
  HWND window_ = nullptr;
};

}  // namespace quorvel
