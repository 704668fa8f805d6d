// A small windowed program guarded like the real one, for the single-instance tests.
//   guard_tool.exe [--minimized] [--busy] [anything else]
// --busy: the window shows, then its thread works for 20 s before it handles any message
// (as a start-up that keeps its thread busy would).
// Appends what happens to the file named by QUORVEL_GUARD_LOG, one line each:
//   "window <pid>"            this start runs and shows its window
//   "handed over <pid>"       this start found a running one and ends with exit code 0
//   "command line <text>"     the running start received a later start's command line
// Ends when its window is closed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/single_instance_win.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"

namespace {

void Log(const std::string& line) {
  const char* path = std::getenv("QUORVEL_GUARD_LOG");
  if (!path || !*path) return;
  quorvel::UniqueHandle file(::CreateFileA(path, FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  std::string text = line + "\n";
  DWORD wrote = 0;
  ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
}

LRESULT CALLBACK ToolWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string pid = std::to_string(::GetCurrentProcessId());
  quorvel::SingleInstanceGuard guard(quorvel::files::ProgramPath());
  if (guard.ActivateOther()) {
    Log("handed over " + pid);
    return 0;
  }
  bool minimized = false;
  bool busy = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--minimized") == 0) minimized = true;
    if (std::strcmp(argv[i], "--busy") == 0) busy = true;
  }

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ToolWindow;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QuorvelGuardTool";
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  ::RegisterClassA(&windowClass);
  HWND window =
      ::CreateWindowA("QuorvelGuardTool", ("Guard tool " + pid).c_str(), WS_OVERLAPPEDWINDOW, 100,
                      100, 320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 2;
  guard.SetMainWindow(window);
  guard.OnCommandLine([](const std::string& commandLine) { Log("command line " + commandLine); });
  ::ShowWindow(window, minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  Log("window " + pid);
  if (busy) ::Sleep(20000);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
