#include "app/single_instance_win.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/single_instance.h"

namespace quorvel {

namespace {

// What the instances of one program file share: which process is the running instance
// (its id and creation time, so a reused process id is not taken for it) and its window.
struct SharedArea {
  DWORD ownerProcess;
  std::uint64_t ownerCreated;
  DWORD windowProcess;
  std::uint64_t window;
};

// The registered message a later start sends first: the window answers kActivateAnswer
// when it is really one of ours and its thread is responsive.
constexpr const char* kActivateMessage = "Quorvel.SingleInstance.Activate";
constexpr LRESULT kActivateAnswer = 0x51756f72;
// WM_COPYDATA tag of the handed-over command line.
constexpr ULONG_PTR kCommandLineTag = 0x51436d64;
constexpr const char* kHookProperty = "Quorvel.SingleInstance.Guard";
// The window procedure before ours, kept with the window so that the hook can still pass
// messages on when a later hook keeps it in the chain after the guard has gone.
constexpr const char* kPreviousProperty = "Quorvel.SingleInstance.Previous";
// How long a later start waits for the running instance to show its window and to answer.
// A running instance that does neither in this time still runs: the later start ends
// without running, so that two instances never work on the game's settings at once.
constexpr DWORD kAnswerTimeoutMs = 5000;
constexpr DWORD kPollMs = 50;

UINT ActivateMessage() {
  static const UINT message = ::RegisterWindowMessageA(kActivateMessage);
  return message;
}

std::string UpperPath(const std::string& path) {
  std::vector<char> buffer(path.begin(), path.end());
  if (!buffer.empty()) ::CharUpperBuffA(buffer.data(), static_cast<DWORD>(buffer.size()));
  return std::string(buffer.begin(), buffer.end());
}

std::uint64_t CreationTime(HANDLE process) {
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// A handle on the process that owns the area, when it still runs; null otherwise.
UniqueHandle LiveOwner(const SharedArea& area) {
  if (area.ownerProcess == 0) return UniqueHandle();
  UniqueHandle process(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, area.ownerProcess));
  if (!process || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT ||
      CreationTime(process.Get()) != area.ownerCreated)
    return UniqueHandle();
  return process;
}

// Holds the named lock; an instance that died holding it leaves it abandoned, which
// still hands it over.
class AreaLock {
 public:
  explicit AreaLock(HANDLE mutex) : mutex_(mutex) {
    DWORD rc = mutex_ ? ::WaitForSingleObject(mutex_, kAnswerTimeoutMs) : WAIT_FAILED;
    held_ = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
  }
  ~AreaLock() {
    if (held_) ::ReleaseMutex(mutex_);
  }
  AreaLock(const AreaLock&) = delete;
  AreaLock& operator=(const AreaLock&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const std::string& programPath) {
  ActivateMessage();
  const std::string name = InstanceObjectName(UpperPath(programPath));
  mutex_.Reset(::CreateMutexA(nullptr, FALSE, (name + ".Lock").c_str()));
  mapping_.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(SharedArea), (name + ".Area").c_str()));
  if (!mutex_ || !mapping_) return;
  view_ = ::MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedArea));
  if (!view_) return;
  AreaLock lock(mutex_.Get());
  if (lock.Held()) TryClaim();
}

SingleInstanceGuard::~SingleInstanceGuard() {
  Unhook();
  Release();
  if (view_) ::UnmapViewOfFile(view_);
}

// Under the area lock: becomes the running instance when none runs.
bool SingleInstanceGuard::TryClaim() {
  SharedArea* area = static_cast<SharedArea*>(view_);
  if (LiveOwner(*area)) return false;
  area->ownerProcess = ::GetCurrentProcessId();
  area->ownerCreated = CreationTime(::GetCurrentProcess());
  area->window = 0;
  area->windowProcess = 0;
  owner_ = true;
  return true;
}

void SingleInstanceGuard::Unhook() {
  if (!hooked_) return;
  hooked_ = false;
  ::RemovePropA(window_, kHookProperty);
  // Put the window procedure back only when nobody has hooked it after us.
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window_, GWLP_WNDPROC)) == &WindowHook) {
    ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    ::RemovePropA(window_, kPreviousProperty);
  }
}

void SingleInstanceGuard::Release() {
  Unpublish();
  if (!view_ || !owner_) return;
  AreaLock lock(mutex_.Get());
  if (!lock.Held()) return;
  SharedArea* area = static_cast<SharedArea*>(view_);
  if (area->ownerProcess == ::GetCurrentProcessId()) {
    area->ownerProcess = 0;
    area->ownerCreated = 0;
  }
  owner_ = false;
}

void SingleInstanceGuard::Unpublish() {
  if (!view_ || !published_) return;
  AreaLock lock(mutex_.Get());
  if (!lock.Held()) return;
  SharedArea* area = static_cast<SharedArea*>(view_);
  if (area->window == reinterpret_cast<std::uintptr_t>(window_) &&
      area->windowProcess == ::GetCurrentProcessId()) {
    area->window = 0;
    area->windowProcess = 0;
  }
  published_ = false;
}

bool SingleInstanceGuard::ActivateOther() {
  // Without the shared objects nothing can be coordinated: this start runs.
  if (!view_ || owner_) return false;
  SharedArea* area = static_cast<SharedArea*>(view_);
  const DWORD started = ::GetTickCount();
  while (true) {
    HWND other = nullptr;
    UniqueHandle owner;
    {
      AreaLock lock(mutex_.Get());
      if (lock.Held()) {
        // The running instance has ended (or died) meanwhile: this start takes its place.
        if (TryClaim()) return false;
        owner = LiveOwner(*area);
        other = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(area->window));
        DWORD windowProcess = 0;
        // A window handle left behind by an instance that died may name another window now.
        if (other && (!::IsWindow(other) || !::GetWindowThreadProcessId(other, &windowProcess) ||
                      windowProcess != area->windowProcess || windowProcess != area->ownerProcess))
          other = nullptr;
      }
    }
    const DWORD elapsed = ::GetTickCount() - started;
    if (elapsed >= kAnswerTimeoutMs) break;
    if (other) {
      DWORD_PTR answer = 0;
      if (::SendMessageTimeoutA(other, ActivateMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                kAnswerTimeoutMs - elapsed, &answer) &&
          answer == static_cast<DWORD_PTR>(kActivateAnswer)) {
        BringForward(other);
        return true;
      }
    }
    // The running instance may still be creating its window, or be ending: wait for either.
    if (owner)
      ::WaitForSingleObject(owner.Get(), kPollMs);
    else
      ::Sleep(kPollMs);
  }
  // It runs and did not answer in time: this start ends all the same.
  return true;
}

void SingleInstanceGuard::BringForward(HWND other) {
  if (::IsIconic(other)) ::SendMessageA(other, WM_SYSCOMMAND, SC_RESTORE, 0);
  ::SetForegroundWindow(other);
  const char* commandLine = ::GetCommandLineA();
  COPYDATASTRUCT data = {};
  data.dwData = kCommandLineTag;
  data.cbData = static_cast<DWORD>(std::strlen(commandLine) + 1);
  data.lpData = const_cast<char*>(commandLine);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(other, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &ignored);
}

void SingleInstanceGuard::SetMainWindow(HWND window) {
  if (!window || window_) return;
  window_ = window;
  ::SetPropA(window, kHookProperty, this);
  previousProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowHook)));
  ::SetPropA(window, kPreviousProperty, reinterpret_cast<HANDLE>(previousProc_));
  hooked_ = true;
  if (!view_ || !owner_) return;
  AreaLock lock(mutex_.Get());
  if (!lock.Held()) return;
  SharedArea* area = static_cast<SharedArea*>(view_);
  area->window = reinterpret_cast<std::uintptr_t>(window);
  area->windowProcess = ::GetCurrentProcessId();
  published_ = true;
}
void SingleInstanceGuard::OnCommandLine(std::function<void(const std::string&)> observer) {
  observer_ = std::move(observer);
}

LRESULT CALLBACK SingleInstanceGuard::WindowHook(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* guard = static_cast<SingleInstanceGuard*>(::GetPropA(window, kHookProperty));
  if (!guard) {
    auto previous = reinterpret_cast<WNDPROC>(::GetPropA(window, kPreviousProperty));
    if (message == WM_NCDESTROY) ::RemovePropA(window, kPreviousProperty);
    return previous ? ::CallWindowProcA(previous, window, message, wParam, lParam)
                    : ::DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == ActivateMessage()) return kActivateAnswer;
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data && data->dwData == kCommandLineTag) {
      if (guard->observer_ && data->lpData) {
        const char* chars = static_cast<const char*>(data->lpData);
        guard->observer_(std::string(chars, strnlen(chars, data->cbData)));
      }
      return TRUE;
    }
  }
  if (message == WM_NCDESTROY) {
    // The window is going: later starts must not look for it any more.
    WNDPROC previous = guard->previousProc_;
    guard->Unhook();
    guard->Unpublish();
    ::RemovePropA(window, kPreviousProperty);
    return ::CallWindowProcA(previous, window, message, wParam, lParam);
  }
  return ::CallWindowProcA(guard->previousProc_, window, message, wParam, lParam);
}

}  // namespace quorvel
