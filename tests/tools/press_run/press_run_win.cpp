// Presses the run button of the running program and waits for the series to end, for
// headless runs of the demo and for end-to-end tests (a test tool, never shipped).
//
//   press_run.exe <results folder> [timeout seconds]
//
// Finds the program's main window, waits until its run button is enabled, presses it (the
// same command a click sends), then waits until the run button is enabled again and reads the
// status line. Prints the status line and, when the series saved a report, "report: <path>"
// (the newest "result_*.htm" in the results folder). Exit code 0 when a report was saved,
// 1 when the series ended without one, 2 when the window or the button was not found or
// the series did not end in time.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/handles_win.h"
#include "platform/win.h"
#include "support/process_helpers_win.h"
#include "ui/resource_ids.h"

namespace {

std::string WindowText(HWND window) {
  char text[1024] = {};
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// The newest report in `folder`, "" when there is none.
std::string NewestReport(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  quorvel::FindHandle find(::FindFirstFileA((folder + "result_*.htm").c_str(), &entry));
  if (!find) return "";
  std::string newest;
  FILETIME newestTime = {};
  do {
    if (newest.empty() || ::CompareFileTime(&entry.ftLastWriteTime, &newestTime) > 0) {
      newest = folder + entry.cFileName;
      newestTime = entry.ftLastWriteTime;
    }
  } while (::FindNextFileA(find.Get(), &entry));
  return newest;
}

bool WaitFor(DWORD timeoutMs, const auto& condition) {
  DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(200);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: press_run <results folder> [timeout seconds]\n");
    return 2;
  }
  std::string folder = argv[1];
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  DWORD timeoutMs = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 600) * 1000;

  HWND main = nullptr;
  HWND button = nullptr;
  HWND status = nullptr;
  if (!WaitFor(60000, [&] {
        main = ::FindWindowA(QUORVEL_MAIN_WINDOW_CLASS, nullptr);
        if (main) button = quorvel::testing::FindChildById(main, IDC_BENCHBUTTON);
        if (main) status = quorvel::testing::FindChildById(main, IDC_STATUSINFO);
        return button && status && ::IsWindowVisible(main) && ::IsWindowEnabled(button);
      })) {
    std::fprintf(stderr, "press_run: no program window with an enabled run button\n");
    return 2;
  }

  std::string before = NewestReport(folder);
  ::SendMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_BENCHBUTTON, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  // The button is disabled from the press until the series has ended or was refused.
  if (!WaitFor(timeoutMs, [&] { return ::IsWindow(button) && ::IsWindowEnabled(button); })) {
    std::fprintf(stderr, "press_run: the series did not end in time\n");
    return 2;
  }
  std::string statusText = WindowText(status);
  std::printf("status: %s\n", statusText.c_str());
  std::string report = NewestReport(folder);
  if (report.empty() || report == before) return 1;
  std::printf("report: %s\n", report.c_str());
  return 0;
}
