#include "sysinfo/process_runner_win.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/error_reporter_win.h"
#include "platform/errors.h"
#include "platform/os_error_win.h"
#include "platform/text.h"
#include "sysinfo/process_rules.h"

namespace quorvel {

namespace detail {

// What a runner shares with its waiter. The waiter has its own copy of the process handle
// and owns the stop event, so a runner that goes away while its program runs never closes a
// handle under the waiter's feet; `detached`, read and written under `lock`, tells the
// waiter that nobody wants the end any more, and the waiter posts only under that lock.
struct RunnerWatch {
  std::uint64_t id = 0;
  HWND window = nullptr;
  UniqueHandle process;
  UniqueHandle stop;
  std::mutex lock;
  bool detached = false;
  std::uint32_t exitCode = 0;
};

}  // namespace detail

namespace {

constexpr const char* kWindowClass = "QuorvelProcessRunner";
constexpr const char* kBusyText = "Cannot perform this operation when process is running";

std::atomic<std::uint64_t> g_lastWatchId{0};

DWORD PriorityClass(ProcessPriority priority) {
  switch (priority) {
    case ProcessPriority::Idle:
      return IDLE_PRIORITY_CLASS;
    case ProcessPriority::High:
      return HIGH_PRIORITY_CLASS;
    case ProcessPriority::RealTime:
      return REALTIME_PRIORITY_CLASS;
    case ProcessPriority::Normal:
      break;
  }
  return NORMAL_PRIORITY_CLASS;
}

void WaiterMain(std::shared_ptr<detail::RunnerWatch> watch) {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  // No time limit overall, but in slices, so that a runner destroyed while its program never
  // becomes ready for input does not keep this thread alive for good.
  while (::WaitForInputIdle(watch->process.Get(), 250) == WAIT_TIMEOUT) {
    if (::WaitForSingleObject(watch->stop.Get(), 0) == WAIT_OBJECT_0) return;
  }
  HANDLE handles[2] = {watch->stop.Get(), watch->process.Get()};
  DWORD which = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0) return;
  // A failed wait still reports the end, with exit code 0.
  DWORD code = 0;
  if (which == WAIT_OBJECT_0 + 1 && !::GetExitCodeProcess(watch->process.Get(), &code)) code = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(watch->lock);
      if (watch->detached) return;
      watch->exitCode = code;
      if (::PostMessageA(watch->window, ProcessRunner::kEndMessage, static_cast<WPARAM>(watch->id),
                         0))
        return;
    }
    // The queue is full; try again once the user-interface thread has drained some of it.
    if (::WaitForSingleObject(watch->stop.Get(), 100) == WAIT_OBJECT_0) return;
  }
}

}  // namespace

ProcessRunner::~ProcessRunner() {
  Detach();
  if (window_) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

void ProcessRunner::Run() {
  if (state_ == RunnerState::Waiting) throw AppError(kBusyText);
  state_ = RunnerState::Idle;
  CloseHandles();
  if (WaitForTerminate) EnsureWindow();

  // cb is this platform's record size (the 32-bit record is 68 bytes, ours is larger).
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  if (!StartupInfo.DefaultPosition) {
    startup.dwFlags |= STARTF_USEPOSITION;
    startup.dwX = static_cast<DWORD>(StartupInfo.Left);
    startup.dwY = static_cast<DWORD>(StartupInfo.Top);
  }
  if (!StartupInfo.DefaultSize) {
    startup.dwFlags |= STARTF_USESIZE;
    startup.dwXSize = static_cast<DWORD>(StartupInfo.Width);
    startup.dwYSize = static_cast<DWORD>(StartupInfo.Height);
  }
  if (!StartupInfo.DefaultWindowState) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(StartupInfo.ShowWindow);
  }

  // CreateProcessA may write into the command line, so it gets a copy.
  std::string command = CommandLine;
  std::string folder = text::Trim(CurrentDirectory);
  std::string environment = process::EnvironmentBlock(Environment);
  PROCESS_INFORMATION info = {};
  BOOL started =
      ::CreateProcessA(ApplicationName.empty() ? nullptr : ApplicationName.c_str(), command.data(),
                       nullptr, nullptr, FALSE, PriorityClass(Priority) | CreationFlags,
                       environment.empty() ? nullptr : environment.data(),
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  if (!started) {
    DWORD code = ::GetLastError();
    UniqueHandle leftProcess(info.hProcess);
    UniqueHandle leftThread(info.hThread);
    throw OsError(code);
  }
  process_.Reset(info.hProcess);
  thread_.Reset(info.hThread);

  if (!WaitForTerminate) {
    ::WaitForInputIdle(process_.Get(), INFINITE);
    state_ = RunnerState::Started;
    CloseHandles();
    return;
  }

  auto watch = std::make_shared<detail::RunnerWatch>();
  watch->id = ++g_lastWatchId;
  watch->window = window_;
  watch->stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE copy = nullptr;
  if (!watch->stop ||
      !::DuplicateHandle(::GetCurrentProcess(), process_.Get(), ::GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
    DWORD code = ::GetLastError();
    CloseHandles();
    throw OsError(code);
  }
  watch->process.Reset(copy);
  try {
    std::thread(WaiterMain, watch).detach();
  } catch (const std::system_error&) {
    CloseHandles();
    throw OsError(ERROR_NOT_ENOUGH_MEMORY);
  }
  watch_ = std::move(watch);
  state_ = RunnerState::Waiting;
}

void ProcessRunner::EnsureWindow() {
  if (window_) return;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  static const bool registered = [instance] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ProcessRunner::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) throw OsError(ERROR_CANNOT_FIND_WND_CLASS);
  HWND window = ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
  if (!window) throw OsError(::GetLastError());
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  window_ = window;
}

void ProcessRunner::CloseHandles() {
  process_.Reset();
  thread_.Reset();
}

void ProcessRunner::Detach() {
  if (!watch_) return;
  {
    std::lock_guard<std::mutex> guard(watch_->lock);
    watch_->detached = true;
    ::SetEvent(watch_->stop.Get());
  }
  watch_.reset();
}

void ProcessRunner::Delivered(std::uint64_t watchId) {
  // An end of a watch that was replaced or detached is stale.
  if (state_ != RunnerState::Waiting || !watch_ || watch_->id != watchId) return;
  {
    std::lock_guard<std::mutex> guard(watch_->lock);
    exitCode_ = watch_->exitCode;
  }
  watch_.reset();
  state_ = RunnerState::Idle;
  CloseHandles();
  std::uint32_t code = exitCode_;
  Guarded(ErrorOwner, "OnTerminate", [this, code] {
    // A copy, because the handler may reassign OnTerminate or start this runner again.
    TerminateHandler handler = OnTerminate;
    if (handler) handler(*this, code);
  });
}

LRESULT CALLBACK ProcessRunner::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEndMessage) {
    auto* runner = reinterpret_cast<ProcessRunner*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (runner) runner->Delivered(static_cast<std::uint64_t>(wParam));
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace quorvel
